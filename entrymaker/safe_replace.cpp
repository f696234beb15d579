#include "safe_replace.h"

#include <cstring>

#ifdef _WIN32
#include <aclapi.h>
#endif

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

constexpr SECURITY_INFORMATION kOwnerAndAccess =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// The attributes a user's file may carry over. Read-only never does: a read-only file is not
// opened for the replace at all.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The name beside the file that differs from it in the extension: as long as the file's own, so
// that it fits wherever the file's does.
bool NameBeside(const char* path, const char (&extension)[4], char (&name)[kTextCapacity]) {
  const size_t length = strnlen(path, kTextCapacity);
  if (length < sizeof extension || length == kTextCapacity) return false;
  std::memcpy(name, path, length + 1);
  std::memcpy(name + length - 3, extension, 3);
  return true;
}

// Whether a name stands: only "not found" says it does not, and a look that fails for another
// reason (no right to look, a device that did not answer) says nothing either way.
enum class Presence { kThere, kMissing, kUnknown };

Presence Look(const char* path) {
  if (GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES) return Presence::kThere;
  return GetLastError() == ERROR_FILE_NOT_FOUND ? Presence::kMissing : Presence::kUnknown;
}

// One part of the process's token, in a block of its own; none when it cannot be read.
LocalMemory TokenPart(HANDLE token, TOKEN_INFORMATION_CLASS part) {
  DWORD needed = 0;
  if (GetTokenInformation(token, part, nullptr, 0, &needed) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
    return LocalMemory();
  LocalMemory block(LocalAlloc(LMEM_FIXED, needed));
  if (!block || !GetTokenInformation(token, part, block.get(), needed, &needed))
    return LocalMemory();
  return block;
}

// A SID of the system's own authority, S-1-5-first[-second]: made by hand, as Windows 2000 has no
// call that names the well-known ones.
Sid NtSid(BYTE count, DWORD first, DWORD second = 0) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID sid = nullptr;
  if (!AllocateAndInitializeSid(&nt, count, first, second, 0, 0, 0, 0, 0, 0, &sid)) return Sid();
  return Sid(sid);
}

// Gone, or never there.
bool Delete(const char* path) {
  return DeleteFileA(path) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

}  // namespace

bool SafeReplace::Aim(const char* path) {
  const size_t length = strnlen(path, kTextCapacity);
  if (length == 0 || length == kTextCapacity) return false;
  std::memcpy(path_, path, length + 1);
  return NameBeside(path_, "new", copyPath_) && NameBeside(path_, "old", backupPath_) &&
         NameBeside(path_, "lck", lockPath_);
}

bool SafeReplace::LearnWhomToTrust() {
  if (trusted_.system) return true;  // the last part learnt: all are known
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
  const AccessToken token(opened);
  return (trusted_.tokenOwner = TokenPart(token.get(), TokenOwner)) &&
         (trusted_.tokenUser = TokenPart(token.get(), TokenUser)) &&
         (trusted_.administrators =
              NtSid(2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS)) &&
         (trusted_.system = NtSid(1, SECURITY_LOCAL_SYSTEM_RID));
}

bool SafeReplace::Trusts(PSID owner) const {
  const PSID own = static_cast<const TOKEN_OWNER*>(trusted_.tokenOwner.get())->Owner;
  const PSID user = static_cast<const TOKEN_USER*>(trusted_.tokenUser.get())->User.Sid;
  const PSID besides = whose_ == Phonebook::kAllUsers ? trusted_.system.get() : user;
  return EqualSid(owner, own) || EqualSid(owner, trusted_.administrators.get()) ||
         EqualSid(owner, besides);
}

bool SafeReplace::Vet(const char* path, File& held) {
  const DWORD attributes = GetFileAttributesA(path);
  // Nothing there. A name that cannot be looked at may be anything, the file's only copy among
  // them: nothing is done with it, and the run fails with the look's code (the folder's absence
  // among them, which the lock's look is the first to see).
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  // The name itself, a link as the link: its owner is whoever put it there, whoever owns what it
  // points to.
  held.Reset(CreateFileA(path, READ_CONTROL, kShareAll, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!held) return false;
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  const DWORD error = GetSecurityInfo(held.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                                      &owner, nullptr, nullptr, nullptr, &descriptor);
  const LocalMemory kept(descriptor);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return false;
  }
  // Learnt only once there is a name to judge: most runs find none.
  if (!LearnWhomToTrust()) return false;
  const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  if (Trusts(owner)) {
    // A run leaves only files here. A link, even one of the user's own, would lead the lock's
    // delete, the copy or the backup's move to whatever it points to.
    if (!link && !folder) return true;
  } else if (link || !folder) {
    // Whatever someone else left is never the run's to put back: it goes, a link as itself. Not
    // held any more, so that its name goes at once.
    held.Reset();
    return (link && folder ? RemoveDirectoryA(path) : DeleteFileA(path)) != FALSE;
  }
  SetLastError(ERROR_ACCESS_DENIED);
  return false;
}

bool SafeReplace::HoldTheFolder() {
  if (lock_) return true;
  File vetted;  // a stale lock the run trusts, opened again as the lock
  if (!Vet(lockPath_, vetted)) return false;
  vetted.Reset();
  // Opened without sharing, so that a second run cannot open it while this one lives, and deleted
  // when its last handle closes, which the system does for a run that is killed too. A link put
  // there after the look is opened as itself, so that only the link goes with the lock.
  lock_.Reset(CreateFileA(
      lockPath_, GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  return lock_.valid();
}

bool SafeReplace::Reclaim() {
  if (!HoldTheFolder()) return GetLastError() == ERROR_PATH_NOT_FOUND;  // no folder: nothing left
  File copy;
  File backup;
  if (!Vet(copyPath_, copy) || !Vet(backupPath_, backup)) return false;
  // A swap cut short by a power loss, between its two renames, leaves the file under the backup's
  // name only. It must be put back before anyone sees no file and makes a new one: only the
  // backup vetted and still held, whose name no one but who may delete it can take over.
  if (backup && !PutBackupBack()) return false;
  copy.Reset();
  backup.Reset();
  // Under the lock, any copy or backup is a stopped run's, never a running one's. The copy is
  // made only where no file is, and the swap needs the backup's name free.
  return Delete(copyPath_) && Delete(backupPath_);
}

bool SafeReplace::ReadIdentity() {
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(original_.get(), &information)) return false;
  identity_.attributes = information.dwFileAttributes & kKeptAttributes;
  identity_.created = information.ftCreationTime;

  // The descriptor's size is learnt from a first call with no room at all.
  DWORD needed = 0;
  if (GetFileSecurityA(path_, kOwnerAndAccess, nullptr, 0, &needed) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
    return false;
  identity_.security.Reset(LocalAlloc(LMEM_FIXED, needed));
  if (!identity_.security) return false;
  DWORD size = needed;
  return GetFileSecurityA(path_, kOwnerAndAccess, identity_.security.get(), size, &needed) != FALSE;
}

bool SafeReplace::Begin() {
  if (!HoldTheFolder()) return false;
  original_.Reset(CreateFileA(path_, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!original_) return false;
  if (!ReadIdentity()) return Discard();
  // The copy is made beside the file, so that it can take the file's place by a rename. Only as a
  // new file: whatever stands under its name was not left by this run.
  copy_.Reset(CreateFileA(copyPath_, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!copy_) return Discard();
  return true;
}

bool SafeReplace::Commit() {
  if (!SetFileTime(copy_.get(), &identity_.created, nullptr, nullptr)) return Discard();
  original_.Reset();
  if (!CloseHandle(copy_.Release())) return Discard();
  // The owner can only be given where the user may set it; where not, the copy keeps the user as
  // its owner, which is who made the file in the user's own profile.
  if (!SetFileSecurityA(copyPath_, kOwnerAndAccess, identity_.security.get()) &&
      !SetFileSecurityA(copyPath_, DACL_SECURITY_INFORMATION, identity_.security.get()))
    return Discard();
  // A new file has the archive attribute; the copy takes exactly the file's, or none.
  if (!SetFileAttributesA(copyPath_,
                          identity_.attributes ? identity_.attributes : FILE_ATTRIBUTE_NORMAL))
    return Discard();
  return Swap();
}

bool SafeReplace::Swap() {
  if (ReplaceFileA(path_, copyPath_, backupPath_, 0, nullptr, nullptr)) {
    // The old file lies at the backup's name now. Should this fail, the next run removes it.
    DeleteFileA(backupPath_);
    return true;
  }
  // These two results may leave the file under the backup's name alone: it goes back. Should that
  // fail as well, the next run puts it back.
  const DWORD error = GetLastError();
  if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
    PutBackupBack();
  return Discard();
}

bool SafeReplace::PutBackupBack() {
  switch (Look(path_)) {
    case Presence::kThere:
      return true;
    case Presence::kMissing:
      return MoveFileExA(backupPath_, path_, 0) != FALSE;
    case Presence::kUnknown:
      break;
  }
  // The backup may be the file's only copy: it stays until a look can tell.
  backupKeptFor_ = GetLastError();
  return false;
}

bool SafeReplace::Discard() {
  original_.Reset();
  copy_.Reset();
  DeleteFileA(copyPath_);
  return false;
}
