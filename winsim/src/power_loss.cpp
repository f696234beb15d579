// The power watch: what the disk holds for certain while a test waits to cut the power, and the
// machine as it comes up again after the cut.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include <unistd.h>

#include "files.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

constexpr size_t kSector = 512;

const std::set<std::string_view, std::less<>> kFileServices = {"CreateFileA",
                                                               "ReadFile",
                                                               "WriteFile",
                                                               "FlushFileBuffers",
                                                               "CloseHandle",
                                                               "MoveFileExA",
                                                               "ReplaceFileA",
                                                               "DeleteFileA",
                                                               "GetFileAttributesA",
                                                               "SetFileAttributesA",
                                                               "GetFileInformationByHandle",
                                                               "SetFileTime",
                                                               "GetFileSecurityA",
                                                               "SetFileSecurityA",
                                                               "GetSecurityInfo",
                                                               "RemoveDirectoryA"};

PowerWatch& Watch() {
  return TheFiles().power;
}

// Keeps the bytes a file has before its first change under the watch: they are on the disk.
void KeepFlushed(const std::string& hostPath) {
  PowerWatch& watch = Watch();
  const uint64_t inode = InodeOf(hostPath);
  if (!watch.on || inode == 0 || watch.flushed.count(inode)) return;
  ReadHostFile(hostPath, watch.flushed[inode]);
}

// Where files taken away under the watch are kept, out of the simulated drives' sight.
std::string Graveyard() {
  return TheFiles().sandbox + "/~removed";
}

std::vector<std::string> RegularFilesIn(const std::string& folder) {
  std::vector<std::string> paths;
  std::error_code error;
  const std::string graveyard = Graveyard() + "/";
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
    const std::string path = entry.path().string();
    if (entry.is_regular_file() && path.rfind(graveyard, 0) != 0) paths.push_back(path);
  }
  return paths;
}

bool Kept(WriteLoss loss, uint64_t at) {
  switch (loss) {
    case WriteLoss::kAllKept:
      return true;
    case WriteLoss::kEvenSectorsKept:
      return (at / kSector) % 2 == 0;
    case WriteLoss::kOddSectorsKept:
      return (at / kSector) % 2 == 1;
    default:
      return false;
  }
}

// The bytes a file holds after the loss: the flushed ones, and what the loss keeps of the writes
// made since, in their order.
std::string Survivor(std::string bytes, const std::vector<PowerWatch::Write>& writes,
                     WriteLoss loss) {
  if (loss == WriteLoss::kAllLost) return bytes;
  for (const PowerWatch::Write& write : writes) {
    if (write.truncate) {
      bytes.clear();
      continue;
    }
    const uint64_t end = write.offset + write.bytes.size();
    if (bytes.size() < end) bytes.resize(end, '\0');
    for (uint64_t at = write.offset; at < end; ++at)
      if (Kept(loss, at)) bytes[at] = write.bytes[at - write.offset];
  }
  return bytes;
}

}  // namespace

namespace winsim::detail {

bool PowerIsCut(std::string_view op) {
  PowerWatch& watch = Watch();
  if (!watch.on || !kFileServices.count(op)) return false;
  ++watch.steps;
  return watch.cutAt > 0 && watch.steps >= watch.cutAt;
}

void NoteMade(const std::string& hostPath) {
  PowerWatch& watch = Watch();
  if (!watch.on) return;
  const uint64_t inode = InodeOf(hostPath);
  watch.flushed[inode] = std::string();
  watch.nameChanges.push_back({std::string(), hostPath, inode});
}

void NoteWrite(const std::string& hostPath, uint64_t offset, const void* bytes, size_t size) {
  KeepFlushed(hostPath);
  if (!Watch().on) return;
  Watch().unflushed[InodeOf(hostPath)].push_back(
      {offset, std::string(static_cast<const char*>(bytes), size), false});
}

void NoteEmptied(const std::string& hostPath) {
  KeepFlushed(hostPath);
  if (Watch().on) Watch().unflushed[InodeOf(hostPath)].push_back({0, std::string(), true});
}

void NoteFlushed(const std::string& hostPath) {
  PowerWatch& watch = Watch();
  if (!watch.on) return;
  const uint64_t inode = InodeOf(hostPath);
  ReadHostFile(hostPath, watch.flushed[inode]);
  watch.unflushed.erase(inode);
}

void NoteRenamed(const std::string& from, const std::string& to) {
  KeepFlushed(from);
  KeepFlushed(to);  // a replaced file may come back
  if (Watch().on) Watch().nameChanges.push_back({from, to, InodeOf(from)});
}

void NoteRemoved(const std::string& hostPath) {
  KeepFlushed(hostPath);
  if (Watch().on) Watch().nameChanges.push_back({hostPath, std::string(), InodeOf(hostPath)});
}

void Retire(const std::string& hostPath) {
  if (!Watch().on) {
    std::filesystem::remove(hostPath);
    return;
  }
  // Kept aside rather than removed: the host would give its inode to the next new file, and the
  // watch tells files apart by inode while a loss may bring this one back.
  std::filesystem::create_directories(Graveyard());
  const std::string grave = Graveyard() + "/" + std::to_string(InodeOf(hostPath));
  std::filesystem::rename(hostPath, grave);
}

}  // namespace winsim::detail

namespace winsim {

void WatchForPowerLoss() {
  FileState& m = TheFiles();
  m.power = PowerWatch();
  m.power.on = true;
  HostPath("");  // the sandbox is made
  for (const std::string& path : RegularFilesIn(m.sandbox)) m.power.names[path] = InodeOf(path);
}

void CutPowerAt(int step) {
  Watch().cutAt = step;
}

int FileSteps() {
  return Watch().steps;
}

int NameChanges() {
  return static_cast<int>(Watch().nameChanges.size());
}

void RestartAfterPowerLoss(WriteLoss loss, int nameChangesKept) {
  FileState& m = TheFiles();
  PowerWatch watch = std::move(m.power);
  m.power = PowerWatch();
  // The names the disk shows: those of the watch's start, and the first changes made since.
  std::map<std::string, uint64_t> names = watch.names;
  const size_t kept = std::min(watch.nameChanges.size(), static_cast<size_t>(nameChangesKept));
  for (size_t i = 0; i < kept; ++i) {
    const PowerWatch::NameChange& change = watch.nameChanges[i];
    if (!change.from.empty()) names.erase(change.from);
    if (!change.to.empty()) names[change.to] = change.inode;
  }
  // Each file's bytes, read before any file is touched: an inode no change reached is read
  // where it lies now.
  std::map<uint64_t, std::string> now;
  for (const std::string& path : RegularFilesIn(m.sandbox)) ReadHostFile(path, now[InodeOf(path)]);
  std::map<std::string, std::string> contents;
  std::map<std::string, FileIdentity> identities;
  for (const auto& [path, inode] : names) {
    auto flushed = watch.flushed.find(inode);
    const std::string base = flushed != watch.flushed.end() ? flushed->second : now[inode];
    auto writes = watch.unflushed.find(inode);
    contents[path] = writes == watch.unflushed.end() ? base : Survivor(base, writes->second, loss);
    auto identity = m.identities.find(inode);
    if (identity != m.identities.end()) identities[path] = identity->second;
  }

  for (auto& [token, file] : m.files) ::close(file.descriptor);
  m.files.clear();
  m.heldFiles.clear();
  m.identities.clear();
  for (const std::string& path : RegularFilesIn(m.sandbox)) std::filesystem::remove(path);
  std::filesystem::remove_all(Graveyard());
  for (const auto& [path, bytes] : contents) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    auto identity = identities.find(path);
    if (identity != identities.end()) IdentityOf(path) = identity->second;
  }
}

}  // namespace winsim
