#include "phonebook_editor.h"

#include <cstring>

#include "phonebook_files.h"
#include "program_strings.h"
#include "ras_entry.h"
#include "resource.h"

namespace {

constexpr char kPhonebookBelowAppData[] = "\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";

}  // namespace

void PhonebookEditor::ReadPhonebookPath(char (&path)[kTextCapacity]) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Volatile Environment", 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS)
    return;
  RegKey environment(opened);
  char appData[kTextCapacity] = {};
  DWORD size = sizeof appData;
  if (RegQueryValueExA(environment.get(), "APPDATA", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(appData), &size) != ERROR_SUCCESS)
    return;
  // Taken as stored: an environment reference in it is not expanded. A value that fills the
  // buffer without its NUL is longer than a path can be.
  const size_t length = strnlen(appData, sizeof appData);
  if (length == sizeof appData) return;
  if (length + sizeof kPhonebookBelowAppData > sizeof path) return;
  std::memcpy(path, appData, length);
  std::memcpy(path + length, kPhonebookBelowAppData, sizeof kPhonebookBelowAppData);
}

bool PhonebookEditor::CreateEntry(const RASIPADDR& dnsAddress) {
  ReadPhonebookPath(phonebookPath_);
  char entryName[kTextCapacity];
  char deviceName[kTextCapacity];
  LoadProgramString(IDS_ENTRY_NAME, entryName);
  LoadProgramString(IDS_DEVICE_NAME, deviceName);
  RasEntryV4 entry = {};
  if (!BuildGprsEntry(deviceName, dnsAddress, entry)) return false;
  return RasSetEntryPropertiesA(phonebookPath_, entryName, reinterpret_cast<LPRASENTRYA>(&entry),
                                sizeof entry, nullptr, 0) == ERROR_SUCCESS;
}

bool PhonebookEditor::PatchPhonebook() {
  char entryName[kTextCapacity];
  LoadProgramString(IDS_ENTRY_NAME, entryName);

  phonebookIn_.Reset(CreateFileA(phonebookPath_, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!phonebookIn_) return false;

  // The copy is made beside the phonebook, so that it can take the phonebook's place in one step.
  char folder[kTextCapacity];
  std::memcpy(folder, phonebookPath_, sizeof folder);
  char* separator = std::strrchr(folder, '\\');
  if (!separator) return false;
  *separator = '\0';
  char tempPath[MAX_PATH] = {};
  if (GetTempFileNameA(folder, "", 0, tempPath) == 0) return false;
  tempOut_.Reset(CreateFileA(tempPath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!tempOut_) return Discard(tempPath);

  if (!CopyPatched(phonebookIn_.get(), tempOut_.get(), entryName)) return Discard(tempPath);
  phonebookIn_.Reset();
  if (!CloseHandle(tempOut_.Release())) return Discard(tempPath);

  if (!MoveFileExA(tempPath, phonebookPath_, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return Discard(tempPath);
  return true;
}

bool PhonebookEditor::Discard(const char* tempPath) {
  phonebookIn_.Reset();
  tempOut_.Reset();
  DeleteFileA(tempPath);
  return false;
}

bool RunEntrySetup() {
  PhonebookEditor editor;
  const RASIPADDR dnsAddress = {0, 0, 0, 0};
  const bool done = editor.CreateEntry(dnsAddress) && editor.PatchPhonebook();
  if (!done) {
    char text[kTextCapacity];
    LoadProgramString(IDS_ENTRY_FAILED, text);
    MessageBoxA(nullptr, text, nullptr, MB_OK);
  }
  return done;
}
