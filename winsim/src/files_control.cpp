// The tests' hold on the file system: files put in place and read back, held open, given away.
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "files.h"

namespace winsim {

using namespace detail;

namespace detail {

void FileState::Reset() {
  for (auto& [token, file] : files) ::close(file.descriptor);
  if (!sandbox.empty()) std::filesystem::remove_all(sandbox);
  *this = FileState();
}

}  // namespace detail

void AddFile(std::string_view path, std::string_view contents) {
  const std::filesystem::path host = HostPath(path);
  std::filesystem::create_directories(host.parent_path());
  ForgetIdentity(host);
  std::ofstream(host, std::ios::binary | std::ios::trunc) << contents;
}

void ReplaceCarriesOnlyTheData(bool only) {
  TheFiles().replaceCarriesOnlyData = only;
}

void AddFolder(std::string_view path) {
  const std::string host = HostPath(path);
  std::filesystem::create_directories(host);
  ForgetIdentity(host, true);
}

void AddLink(std::string_view path, std::string_view target) {
  const std::filesystem::path host = HostPath(path);
  std::filesystem::create_directories(host.parent_path());
  std::filesystem::create_symlink(HostPath(target), host);
  ForgetIdentity(host.string(), true);
}

bool FileExists(std::string_view path) {
  return std::filesystem::is_regular_file(std::filesystem::path(HostPath(path)));
}

std::optional<std::string> FileContents(std::string_view path) {
  std::string contents;
  if (!ReadHostFile(HostPath(path), contents)) return std::nullopt;
  return contents;
}

std::vector<std::string> FilesIn(std::string_view folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(HostPath(folder), error))
    names.push_back(entry.path().filename().string());
  return names;
}

void GiveFileOwner(std::string_view path, std::string_view sid) {
  IdentityOf(HostPath(path), true).owner = std::string(sid);
}

void HoldFileOpen(std::string_view path, DWORD access, DWORD shareMode) {
  TheFiles().heldFiles[HostPath(path)] = {access, shareMode};
}

}  // namespace winsim
