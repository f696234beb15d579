#include "file_identity.h"

namespace {

constexpr SECURITY_INFORMATION kOwnerAndAccess =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// The attributes a user's file may carry over. Read-only never does: a read-only phonebook is not
// patched at all.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

}  // namespace

bool FileIdentity::Read(HANDLE file, const char* path) {
  BY_HANDLE_FILE_INFORMATION information = {};
  if (!GetFileInformationByHandle(file, &information)) return false;
  attributes_ = information.dwFileAttributes & kKeptAttributes;
  created_ = information.ftCreationTime;

  // The descriptor's size is learnt from a first call with no room at all.
  DWORD needed = 0;
  if (GetFileSecurityA(path, kOwnerAndAccess, nullptr, 0, &needed) ||
      GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0)
    return false;
  security_.Reset(LocalAlloc(LMEM_FIXED, needed));
  if (!security_) return false;
  DWORD size = needed;
  return GetFileSecurityA(path, kOwnerAndAccess, security_.get(), size, &needed) != FALSE;
}

bool FileIdentity::GiveTime(HANDLE copy) const {
  return SetFileTime(copy, &created_, nullptr, nullptr) != FALSE;
}

bool FileIdentity::GiveSecurityAndAttributes(const char* path) const {
  // The owner can only be given where the user may set it; where not, the copy keeps the user as
  // its owner, which is who made the phonebook in the user's own profile.
  if (!SetFileSecurityA(path, kOwnerAndAccess, security_.get()) &&
      !SetFileSecurityA(path, DACL_SECURITY_INFORMATION, security_.get()))
    return false;
  // A new file has the archive attribute; the copy takes exactly the phonebook's, or none.
  return SetFileAttributesA(path, attributes_ ? attributes_ : FILE_ATTRIBUTE_NORMAL) != FALSE;
}
