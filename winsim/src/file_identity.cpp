// What the file system keeps of a file besides its bytes: its attributes, its creation time and
// its security descriptor, read by name or by handle. The read-only attribute is enforced by the
// file services in files.cpp, also when the tests run as a user the host would let write anything.
#include <algorithm>
#include <cstring>
#include <filesystem>

#include "files.h"
#include "process.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The code for a name that names no file: its folder missing is another failure than the file.
DWORD MissingCode(const std::string& host) {
  return std::filesystem::is_directory(std::filesystem::path(host).parent_path())
             ? ERROR_FILE_NOT_FOUND
             : ERROR_PATH_NOT_FOUND;
}

// The attributes as Windows reports them: a file with none has the normal attribute.
DWORD Reported(const FileIdentity& identity) {
  return identity.attributes ? identity.attributes : FILE_ATTRIBUTE_NORMAL;
}

uint64_t TimeOf(const FILETIME& time) {
  return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The line of `descriptor` that begins with `tag` ("O:" and so on), without its tag.
bool PartOf(std::string_view descriptor, std::string_view tag, std::string& part) {
  for (size_t at = 0; at < descriptor.size();) {
    size_t end = descriptor.find('\n', at);
    if (end == std::string_view::npos) end = descriptor.size();
    const std::string_view line = descriptor.substr(at, end - at);
    if (line.substr(0, tag.size()) == tag) {
      part = std::string(line.substr(tag.size()));
      return true;
    }
    at = end + 1;
  }
  return false;
}

}  // namespace

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
  ApiCall call("GetFileAttributesA", {{"fileName", Text(fileName)}});
  if (call.fault()) return Fail(call.fault(), INVALID_FILE_ATTRIBUTES);
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER, INVALID_FILE_ATTRIBUTES);
  const std::string host = HostPath(fileName);
  // A link's own attributes, whatever it points to.
  if (std::filesystem::is_symlink(host))
    return FILE_ATTRIBUTE_REPARSE_POINT |
           (std::filesystem::is_directory(host) ? FILE_ATTRIBUTE_DIRECTORY : 0);
  if (std::filesystem::is_directory(host)) return FILE_ATTRIBUTE_DIRECTORY;
  if (!std::filesystem::is_regular_file(host))
    return Fail(MissingCode(host), INVALID_FILE_ATTRIBUTES);
  return Reported(IdentityOf(host));
}

BOOL WINAPI SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
  ApiCall call("SetFileAttributesA",
               {{"fileName", Text(fileName)}, {"attributes", Hex(attributes)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!fileName) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  const std::string host = HostPath(fileName);
  if (!std::filesystem::is_regular_file(host)) return Fail(MissingCode(host), FALSE);
  IdentityOf(host).attributes = attributes & kSettableAttributes;
  return TRUE;
}

BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
  ApiCall call("GetFileInformationByHandle", {{"file", Handle(file)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  auto open = TheFiles().files.find(Token(file));
  if (open == TheFiles().files.end() || !information) return Fail(ERROR_INVALID_HANDLE, FALSE);
  const std::string& host = open->second.hostPath;
  const FileIdentity& identity = IdentityOf(host);
  std::error_code error;
  const uint64_t size = std::filesystem::file_size(host, error);
  *information = {};
  information->dwFileAttributes = Reported(identity);
  information->ftCreationTime = {static_cast<DWORD>(identity.created),
                                 static_cast<DWORD>(identity.created >> 32)};
  information->nFileSizeLow = static_cast<DWORD>(size);
  information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  information->nNumberOfLinks = 1;
  return TRUE;
}

BOOL WINAPI SetFileTime(HANDLE file, const FILETIME* creationTime, const FILETIME*,
                        const FILETIME*) {
  ApiCall call("SetFileTime",
               {{"file", Handle(file)},
                {"creationTime", creationTime ? Hex(TimeOf(*creationTime)) : Absent()}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  auto open = TheFiles().files.find(Token(file));
  if (open == TheFiles().files.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (creationTime) IdentityOf(open->second.hostPath).created = TimeOf(*creationTime);
  return TRUE;
}

BOOL WINAPI GetFileSecurityA(LPCSTR fileName, SECURITY_INFORMATION requested,
                             PSECURITY_DESCRIPTOR descriptor, DWORD length, LPDWORD lengthNeeded) {
  ApiCall call(
      "GetFileSecurityA",
      {{"fileName", Text(fileName)}, {"requested", Hex(requested)}, {"length", Dec(length)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!fileName || !lengthNeeded) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  const std::string host = HostPath(fileName);
  if (!std::filesystem::is_regular_file(host)) return Fail(MissingCode(host), FALSE);
  const FileIdentity& identity = IdentityOf(host);
  std::string text;
  if (requested & OWNER_SECURITY_INFORMATION) text += "O:" + identity.owner + "\n";
  if (requested & GROUP_SECURITY_INFORMATION) text += "G:" + identity.group + "\n";
  if (requested & DACL_SECURITY_INFORMATION) text += "D:" + identity.dacl + "\n";
  *lengthNeeded = static_cast<DWORD>(text.size() + 1);
  if (!descriptor || length < *lengthNeeded) return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  std::memcpy(descriptor, text.c_str(), text.size() + 1);
  return TRUE;
}

// The descriptor is its text, as GetFileSecurityA gives it, and behind its NUL each part asked for
// on its own, with its NUL, for the pointers into it; all in one block that LocalFree frees.
DWORD WINAPI GetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE objectType,
                             SECURITY_INFORMATION securityInfo, PSID* owner, PSID* group,
                             PACL* dacl, PACL* sacl, PSECURITY_DESCRIPTOR* securityDescriptor) {
  ApiCall call("GetSecurityInfo", {{"handle", Handle(handle)},
                                   {"objectType", Dec(objectType)},
                                   {"securityInfo", Hex(securityInfo)},
                                   {"owner", Given(owner)},
                                   {"group", Given(group)},
                                   {"dacl", Given(dacl)},
                                   {"sacl", Given(sacl)},
                                   {"securityDescriptor", Given(securityDescriptor)}});
  if (call.fault()) return call.fault();
  if (objectType != SE_FILE_OBJECT) return ERROR_INVALID_PARAMETER;
  const auto open = TheFiles().files.find(Token(handle));
  if (open == TheFiles().files.end()) return ERROR_INVALID_HANDLE;
  // The simulation keeps no system access list, which only a handle opened for it may read.
  constexpr DWORD kParts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  if (securityInfo & ~kParts) return ERROR_ACCESS_DENIED;
  // The generic rights each take in the right to read the descriptor.
  constexpr DWORD kGenericAll = 0x10000000UL;
  if (!(open->second.access & (READ_CONTROL | GENERIC_READ | GENERIC_WRITE | kGenericAll)))
    return ERROR_ACCESS_DENIED;
  if ((owner || group || dacl || sacl) && !securityDescriptor) return ERROR_INVALID_PARAMETER;
  if (!securityDescriptor) return ERROR_SUCCESS;
  // A link opened as itself has its own owner, whatever it points to.
  const FileIdentity& identity = IdentityOf(open->second.hostPath, open->second.link);
  std::string text;
  if (securityInfo & OWNER_SECURITY_INFORMATION) text += "O:" + identity.owner + "\n";
  if (securityInfo & GROUP_SECURITY_INFORMATION) text += "G:" + identity.group + "\n";
  if (securityInfo & DACL_SECURITY_INFORMATION) text += "D:" + identity.dacl + "\n";
  text += '\0';
  const auto part = [&](SECURITY_INFORMATION kind, const std::string& value) {
    if (!(securityInfo & kind)) return std::string::npos;
    const size_t at = text.size();
    text += value + '\0';
    return at;
  };
  const size_t ownerAt = part(OWNER_SECURITY_INFORMATION, identity.owner);
  const size_t groupAt = part(GROUP_SECURITY_INFORMATION, identity.group);
  const size_t daclAt = part(DACL_SECURITY_INFORMATION, identity.dacl);
  char* block = static_cast<char*>(Allocate(text.size(), false));
  if (!block) return ERROR_NOT_ENOUGH_MEMORY;
  std::copy(text.begin(), text.end(), block);  // its parts' NULs and all
  const auto at = [&](size_t offset) {
    return offset == std::string::npos ? nullptr : block + offset;
  };
  if (owner) *owner = at(ownerAt);
  if (group) *group = at(groupAt);
  if (dacl) *dacl = reinterpret_cast<PACL>(at(daclAt));
  if (sacl) *sacl = nullptr;
  *securityDescriptor = block;
  return ERROR_SUCCESS;
}

BOOL WINAPI SetFileSecurityA(LPCSTR fileName, SECURITY_INFORMATION given,
                             PSECURITY_DESCRIPTOR descriptor) {
  ApiCall call("SetFileSecurityA", {{"fileName", Text(fileName)}, {"given", Hex(given)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!fileName || !descriptor) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  const std::string host = HostPath(fileName);
  if (!std::filesystem::is_regular_file(host)) return Fail(MissingCode(host), FALSE);
  const std::string_view text(static_cast<const char*>(descriptor));
  FileIdentity wanted = IdentityOf(host);
  if (((given & OWNER_SECURITY_INFORMATION) && !PartOf(text, "O:", wanted.owner)) ||
      ((given & GROUP_SECURITY_INFORMATION) && !PartOf(text, "G:", wanted.group)) ||
      ((given & DACL_SECURITY_INFORMATION) && !PartOf(text, "D:", wanted.dacl)))
    return Fail(ERROR_INVALID_SECURITY_DESCR, FALSE);
  if (wanted.owner != IdentityOf(host).owner && wanted.owner != kUserSid)
    return Fail(ERROR_INVALID_OWNER, FALSE);
  IdentityOf(host) = wanted;
  return TRUE;
}
