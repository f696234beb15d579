#include "phonebook_editor.h"

#include <cstring>

#ifdef _WIN32
#include <shlobj.h>
#endif

#include "program_strings.h"
#include "ras_entry.h"
#include "resource.h"
#include "section_patch.h"
#include "unique_handle.h"

namespace {

constexpr char kPhonebookBelowAppData[] = "\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";

// The phonebook's place below an application-data folder; `path` stays as it was when the whole
// would not fit. A folder that fills the buffer without its NUL is longer than a path can be.
void JoinPhonebookPath(const char (&appData)[kTextCapacity], char (&path)[kTextCapacity]) {
  const size_t length = strnlen(appData, sizeof appData);
  if (length == sizeof appData) return;
  if (length + sizeof kPhonebookBelowAppData > sizeof path) return;
  std::memcpy(path, appData, length);
  std::memcpy(path + length, kPhonebookBelowAppData, sizeof kPhonebookBelowAppData);
}

// Copies `text` into `buffer`, cut to fit as a string-table entry would be.
void CopyName(const char* text, char (&buffer)[kTextCapacity]) {
  const size_t length = strnlen(text, kTextCapacity - 1);
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
}

}  // namespace

PhonebookEditor::PhonebookEditor() {
  LoadProgramString(IDS_ENTRY_NAME, entryName_);
  LoadProgramString(IDS_DEVICE_NAME, deviceName_);
}

PhonebookEditor::PhonebookEditor(const EntryNames& names, Phonebook phonebook)
    : phonebook_(phonebook), replace_(phonebook) {
  CopyName(names.entry, entryName_);
  CopyName(names.device, deviceName_);
}

void PhonebookEditor::ReadPhonebookPath(char (&path)[kTextCapacity]) {
  char appData[kTextCapacity] = {};
  if (phonebook_ == Phonebook::kAllUsers) {
    // The system's own answer, never the environment's, which whoever starts the program sets.
    if (FAILED(
            SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
      return;
    JoinPhonebookPath(appData, path);
    return;
  }
  HKEY opened = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Volatile Environment", 0, KEY_QUERY_VALUE, &opened) !=
      ERROR_SUCCESS)
    return;
  RegKey environment(opened);
  DWORD size = sizeof appData;
  if (RegQueryValueExA(environment.get(), "APPDATA", nullptr, nullptr,
                       reinterpret_cast<BYTE*>(appData), &size) != ERROR_SUCCESS)
    return;
  // Taken as stored: an environment reference in it is not expanded.
  JoinPhonebookPath(appData, path);
}

bool PhonebookEditor::FindPhonebook() {
  if (phonebookPath_[0] == '\0') ReadPhonebookPath(phonebookPath_);
  return replace_.Aim(phonebookPath_);
}

bool PhonebookEditor::Reclaim() {
  return !FindPhonebook() || replace_.Reclaim();  // without a phonebook, the patch reports it
}

bool PhonebookEditor::CreateEntry(const RASIPADDR& dnsAddress) {
  FindPhonebook();  // an empty path goes to the service as it is
  RasEntryV4 entry = {};
  if (!BuildGprsEntry(deviceName_, dnsAddress, entry)) return false;
  return RasSetEntryPropertiesA(phonebookPath_, entryName_, reinterpret_cast<LPRASENTRYA>(&entry),
                                sizeof entry, nullptr, 0) == ERROR_SUCCESS;
}

bool PhonebookEditor::PatchPhonebook() {
  if (!FindPhonebook() || !replace_.Begin()) return false;
  if (!CopyPatched(replace_.Original(), replace_.Copy(), entryName_)) return replace_.Discard();
  return replace_.Commit();
}

EntrySetup SetUpEntry(PhonebookEditor& editor) {
  const RASIPADDR dnsAddress = {0, 0, 0, 0};
  if (!editor.Reclaim())
    return editor.BackupKeptFor() ? EntrySetup::kBackupKept : EntrySetup::kNotReclaimed;
  if (!editor.CreateEntry(dnsAddress)) return EntrySetup::kNotCreated;
  return editor.PatchPhonebook() ? EntrySetup::kDone : EntrySetup::kNotPatched;
}

EntrySetup SetUpEntry(const EntryNames& names, Phonebook phonebook) {
  PhonebookEditor editor(names, phonebook);
  return SetUpEntry(editor);
}

bool RunEntrySetup() {
  PhonebookEditor editor;
  const bool done = SetUpEntry(editor) == EntrySetup::kDone;
  if (!done) {
    char text[kTextCapacity];
    LoadProgramString(IDS_ENTRY_FAILED, text);
    MessageBoxA(nullptr, text, nullptr, MB_OK);
  }
  return done;
}
