#include "phonebook_editor.h"

#include <cstring>

#ifdef _WIN32
#include <shlobj.h>
#endif

#include "file_identity.h"
#include "copy_patched.h"
#include "program_strings.h"
#include "ras_entry.h"
#include "resource.h"

namespace {

constexpr char kPhonebookBelowAppData[] = "\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";

// The name beside the phonebook that differs from it in the extension: as long as the
// phonebook's own, so that it fits wherever the phonebook's does.
bool NameBeside(const char* phonebook, const char (&extension)[4], char (&name)[kTextCapacity]) {
  const size_t length = strnlen(phonebook, kTextCapacity);
  if (length < sizeof extension || length == kTextCapacity) return false;
  std::memcpy(name, phonebook, length + 1);
  std::memcpy(name + length - 3, extension, 3);
  return true;
}

// Only a file that is not there: a name that cannot be looked at for another reason is not
// taken for a missing one.
bool IsMissing(const char* path) {
  return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES &&
         GetLastError() == ERROR_FILE_NOT_FOUND;
}

// The names beside the phonebook are the run's own: a folder or a link under one of them was put
// there by someone else, and a link would lead the lock's delete, the copy or the backup's move to
// whatever it points to. A name that cannot be looked at is left to the step that uses it.
bool HoldsFolderOrLink(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return false;
  SetLastError(ERROR_ACCESS_DENIED);
  return true;
}

// Gone, or never there.
bool Delete(const char* path) {
  return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

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
    : phonebook_(phonebook) {
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
  return phonebookPath_[0] != '\0' && NameBeside(phonebookPath_, "new", copyPath_) &&
         NameBeside(phonebookPath_, "old", backupPath_) &&
         NameBeside(phonebookPath_, "lck", lockPath_);
}

bool PhonebookEditor::HoldTheFolder() {
  if (lock_) return true;
  if (HoldsFolderOrLink(lockPath_)) return false;
  // Opened without sharing, so that a second run cannot open it while this one lives, and deleted
  // when its last handle closes, which the system does for a run that is killed too. A link put
  // there after the look is opened as itself, so that only the link goes with the lock.
  lock_.Reset(CreateFileA(
      lockPath_, GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return lock_.valid();
}

bool PhonebookEditor::Reclaim() {
  if (!FindPhonebook()) return true;                                    // the patch reports it
  if (!HoldTheFolder()) return GetLastError() == ERROR_PATH_NOT_FOUND;  // no folder: nothing left
  if (HoldsFolderOrLink(copyPath_) || HoldsFolderOrLink(backupPath_)) return false;
  // A swap cut short by a power loss, between its two renames, leaves the phonebook under the
  // backup's name only. It must be put back before the service sees no phonebook and makes a
  // new one.
  if (!PutBackupBack()) return false;
  // Under the lock, any copy or backup is a stopped run's, never a running one's. The copy is
  // made only where no file is, and the swap needs the backup's name free.
  return Delete(copyPath_) && Delete(backupPath_);
}

bool PhonebookEditor::CreateEntry(const RASIPADDR& dnsAddress) {
  FindPhonebook();  // an empty path goes to the service as it is
  RasEntryV4 entry = {};
  if (!BuildGprsEntry(deviceName_, dnsAddress, entry)) return false;
  return RasSetEntryPropertiesA(phonebookPath_, entryName_, reinterpret_cast<LPRASENTRYA>(&entry),
                                sizeof entry, nullptr, 0) == ERROR_SUCCESS;
}

bool PhonebookEditor::PatchPhonebook() {
  if (!FindPhonebook() || !HoldTheFolder()) return false;

  phonebookIn_.Reset(CreateFileA(phonebookPath_, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!phonebookIn_) return false;
  FileIdentity identity;
  if (!identity.Read(phonebookIn_.get(), phonebookPath_)) return Discard();

  // The copy is made beside the phonebook, so that it can take the phonebook's place by a rename.
  // Only as a new file: whatever stands under its name was not left by this run.
  tempOut_.Reset(CreateFileA(copyPath_, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!tempOut_) return Discard();
  if (!CopyPatched(phonebookIn_.get(), tempOut_.get(), entryName_) ||
      !identity.GiveTime(tempOut_.get()))
    return Discard();
  phonebookIn_.Reset();
  if (!CloseHandle(tempOut_.Release())) return Discard();
  if (!identity.GiveSecurityAndAttributes(copyPath_)) return Discard();
  return Swap();
}

bool PhonebookEditor::Swap() {
  if (ReplaceFileA(phonebookPath_, copyPath_, backupPath_, 0, nullptr, nullptr)) {
    // The old phonebook lies at the backup's name now. Should this fail, the next run removes it.
    DeleteFileA(backupPath_);
    return true;
  }
  // These two results may leave the phonebook under the backup's name alone: it goes back. Should
  // that fail as well, the next run puts it back.
  const DWORD error = GetLastError();
  if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
    PutBackupBack();
  return Discard();
}

bool PhonebookEditor::PutBackupBack() {
  if (!IsMissing(phonebookPath_) || GetFileAttributesA(backupPath_) == INVALID_FILE_ATTRIBUTES)
    return true;
  return MoveFileExA(backupPath_, phonebookPath_, 0) != FALSE;
}

bool PhonebookEditor::Discard() {
  phonebookIn_.Reset();
  tempOut_.Reset();
  DeleteFileA(copyPath_);
  return false;
}

namespace {

EntrySetup SetUpWith(PhonebookEditor& editor) {
  const RASIPADDR dnsAddress = {0, 0, 0, 0};
  if (!editor.Reclaim()) return EntrySetup::kNotReclaimed;
  if (!editor.CreateEntry(dnsAddress)) return EntrySetup::kNotCreated;
  return editor.PatchPhonebook() ? EntrySetup::kDone : EntrySetup::kNotPatched;
}

}  // namespace

EntrySetup SetUpEntry(const EntryNames& names, Phonebook phonebook) {
  PhonebookEditor editor(names, phonebook);
  return SetUpWith(editor);
}

bool RunEntrySetup() {
  PhonebookEditor editor;
  const bool done = SetUpWith(editor) == EntrySetup::kDone;
  if (!done) {
    char text[kTextCapacity];
    LoadProgramString(IDS_ENTRY_FAILED, text);
    MessageBoxA(nullptr, text, nullptr, MB_OK);
  }
  return done;
}
