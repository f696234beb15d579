// The file system: the host folder that holds the simulated drives, the files open in it, what it
// keeps of each file besides its bytes, and the power watch over it.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core.h"

namespace winsim::detail {

struct OpenFile {
  int descriptor = -1;
  std::string hostPath;
  DWORD access = 0;
  DWORD shareMode = 0;
  bool deleteOnClose = false;
  bool link = false;  // a symbolic link opened as itself
};

// What the file system keeps of a file besides its bytes, by the host file's inode, so that it
// follows the file through renames.
struct FileIdentity {
  DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
  uint64_t created = 0;
  std::string owner = kUserSid;
  std::string group = kUserGroupSid;
  std::string dacl = kDefaultDacl;
};

// What the disk holds for certain, while a test watches for a power loss.
struct PowerWatch {
  bool on = false;
  int steps = 0;
  int cutAt = 0;                          // 0 while the power stays on
  std::map<std::string, uint64_t> names;  // host path to inode, as when the watch began
  struct NameChange {
    std::string from;  // empty for a file made
    std::string to;    // empty for a file removed
    uint64_t inode = 0;
  };
  std::vector<NameChange> nameChanges;
  std::map<uint64_t, std::string> flushed;  // bytes as of the last flush, of files written
  struct Write {
    uint64_t offset = 0;
    std::string bytes;
    bool truncate = false;  // emptied instead
  };
  std::map<uint64_t, std::vector<Write>> unflushed;
};

struct FileState {
  std::string sandbox;  // the host folder that holds the simulated drives; made when first needed
  std::map<uintptr_t, OpenFile> files;
  std::set<uintptr_t> finds;
  std::map<uint64_t, FileIdentity> identities;
  PowerWatch power;
  uint64_t fileClock = 0;  // creation times: each new file is made later than the one before
  // Host paths another program holds open: its access and share mode.
  std::map<std::string, std::pair<DWORD, DWORD>> heldFiles;
  bool replaceCarriesOnlyData = false;

  size_t OpenHandles() const { return files.size() + finds.size(); }
  // Closes every file and empties the sandbox.
  void Reset();
};

inline FileState& TheFiles() {
  return AreaState<FileState>();
}

// Where a Windows path lies in the sandbox; relative paths start at the current directory.
std::string HostPath(std::string_view windowsPath);
bool ReadHostFile(const std::string& hostPath, std::string& contents);
// Whether an open asking for `access`, sharing `shareMode`, conflicts with the file's opens: a
// second opener's access must be shared by every earlier one, and its share mode must cover
// theirs. Another program's hold shares nothing.
bool SharingRefuses(const std::string& hostPath, DWORD access, DWORD shareMode);
// Whether the file's name cannot change hands: it is held, or open without FILE_SHARE_DELETE.
bool NameIsHeld(const std::string& hostPath);
// The file a name leads to, or with `linkItself` the name itself: a link's own, not its target's.
uint64_t InodeOf(const std::string& hostPath, bool linkItself = false);
// The identity of the file at `hostPath`, made when first asked for; the file must exist.
FileIdentity& IdentityOf(const std::string& hostPath, bool linkItself = false);
// Drops what was kept of a file that is gone, or is about to be made anew.
void ForgetIdentity(const std::string& hostPath, bool linkItself = false);

// Whether the power is cut, for a file service call `op` that has just begun.
bool PowerIsCut(std::string_view op);
// What the file services tell the power watch. Each is called before the change it describes,
// but for NoteMade, which is called once the file is there.
void NoteMade(const std::string& hostPath);
void NoteWrite(const std::string& hostPath, uint64_t offset, const void* bytes, size_t size);
void NoteEmptied(const std::string& hostPath);
void NoteFlushed(const std::string& hostPath);
void NoteRenamed(const std::string& from, const std::string& to);
void NoteRemoved(const std::string& hostPath);
// Takes the file away: removed, or kept aside while a watch may bring it back.
void Retire(const std::string& hostPath);

}  // namespace winsim::detail
