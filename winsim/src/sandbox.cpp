// Where the simulated drives lie on the host, and what the file system keeps of each file there.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

#include "files.h"
#include "process.h"

namespace winsim::detail {

std::string HostPath(std::string_view windowsPath) {
  FileState& m = TheFiles();
  if (m.sandbox.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "winsim.XXXXXX").string();
    // Without its own folder the simulated drives would land in the host's root: stop here.
    if (!::mkdtemp(pattern.data())) {
      std::perror("winsim: cannot make the sandbox folder");
      std::abort();
    }
    m.sandbox = pattern;
  }
  // A path of the host's own, as a benchmark's, is taken as it is.
  if (!windowsPath.empty() && windowsPath.front() == '/') return std::string(windowsPath);
  std::string path(windowsPath);
  const bool absolute = path.size() >= 2 && path[1] == ':';
  const std::optional<std::string>& currentDirectory = TheProcess().currentDirectory;
  if (!absolute && currentDirectory) path = *currentDirectory + "\\" + path;
  std::string host = m.sandbox + "/";
  for (size_t i = 0; i < path.size(); ++i) {
    if (i == 1 && path[1] == ':') continue;  // "C:" is the folder "C"
    const char c = path[i];
    host += c == '\\'
                ? '/'
                : (i == 0 ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c);
  }
  return host;
}

bool ReadHostFile(const std::string& hostPath, std::string& contents) {
  std::ifstream file(hostPath, std::ios::binary);
  if (!file || !std::filesystem::is_regular_file(hostPath)) return false;
  contents.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

namespace {

// What an access mask asks of the file, as the share modes name it: reading, writing, deleting.
DWORD SharedKinds(DWORD access) {
  constexpr DWORD kReadData = 0x0001, kWriteData = 0x0002, kAppendData = 0x0004;
  constexpr DWORD kGenericAll = 0x10000000UL;
  DWORD kinds = 0;
  if (access & (GENERIC_READ | kGenericAll | kReadData)) kinds |= FILE_SHARE_READ;
  if (access & (GENERIC_WRITE | kGenericAll | kWriteData | kAppendData)) kinds |= FILE_SHARE_WRITE;
  if (access & (DELETE | kGenericAll)) kinds |= FILE_SHARE_DELETE;
  return kinds;
}

}  // namespace

bool SharingRefuses(const std::string& hostPath, DWORD access, DWORD shareMode) {
  const FileState& m = TheFiles();
  // Each opening, this program's or another's, must share what the other asks of the file.
  const auto refuses = [&](DWORD openAccess, DWORD openShare) {
    return (SharedKinds(access) & ~openShare) || (SharedKinds(openAccess) & ~shareMode);
  };
  const auto held = m.heldFiles.find(hostPath);
  if (held != m.heldFiles.end() && refuses(held->second.first, held->second.second)) return true;
  for (const auto& [token, file] : m.files)
    if (file.hostPath == hostPath && refuses(file.access, file.shareMode)) return true;
  return false;
}

bool NameIsHeld(const std::string& hostPath) {
  const FileState& m = TheFiles();
  const auto held = m.heldFiles.find(hostPath);
  if (held != m.heldFiles.end() && !(held->second.second & FILE_SHARE_DELETE)) return true;
  for (const auto& [token, file] : m.files)
    if (file.hostPath == hostPath && !(file.shareMode & FILE_SHARE_DELETE)) return true;
  return false;
}

uint64_t InodeOf(const std::string& hostPath, bool linkItself) {
  struct stat status = {};
  const int result =
      linkItself ? ::lstat(hostPath.c_str(), &status) : ::stat(hostPath.c_str(), &status);
  return result == 0 ? static_cast<uint64_t>(status.st_ino) : 0;
}

FileIdentity& IdentityOf(const std::string& hostPath, bool linkItself) {
  FileState& m = TheFiles();
  auto [found, made] = m.identities.try_emplace(InodeOf(hostPath, linkItself));
  if (made) found->second.created = ++m.fileClock;
  return found->second;
}

void ForgetIdentity(const std::string& hostPath, bool linkItself) {
  // Under a power watch no inode is given twice, and a file taken away may come back.
  if (TheFiles().power.on) return;
  if (const uint64_t inode = InodeOf(hostPath, linkItself)) TheFiles().identities.erase(inode);
}

}  // namespace winsim::detail
