// The simulated machine behind the Win32 functions: its devices, handles, files and the record of
// every call. Shared by the files that implement the functions; tests reach it through control.h.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "winsim/control.h"

namespace winsim::detail {

struct DeviceSet {
  bool hasClass = false;
  GUID classGuid{};
  std::vector<DeviceId> elements;
  // Elements made in this set and not registered: they vanish with the set.
  std::vector<DeviceId> created;
};

struct KeyHandle {
  std::string userKey;  // a key of the current user's registry, or none for a device's key
  DeviceId device = 0;
  DWORD keyType = DIREG_DEV;
  REGSAM access = 0;
};

struct Fault {
  std::string op;
  int nth = 0;
  DWORD code = 0;
  int seen = 0;
};

struct State {
  std::map<DeviceId, Device> devices;  // in enumeration order
  DeviceId nextDevice = 1;
  std::map<uintptr_t, DeviceSet> sets;
  std::map<uintptr_t, KeyHandle> keys;
  std::set<uintptr_t> finds;
  std::set<uintptr_t> modules;
  std::map<void*, size_t> allocations;
  uintptr_t nextHandle = 0x1000;
  std::string sandbox;  // the host folder that holds the simulated drives; made when first needed
  struct OpenFile {
    int descriptor = -1;
    std::string hostPath;
    DWORD shareMode = 0;
    bool deleteOnClose = false;
  };
  std::map<uintptr_t, OpenFile> files;
  // What the file system keeps of a file besides its bytes, by the host file's inode, so that it
  // follows the file through renames.
  struct FileIdentity {
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    uint64_t created = 0;
    std::string owner = kUserSid;
    std::string group = kUserGroupSid;
    std::string dacl = kDefaultDacl;
  };
  std::map<uint64_t, FileIdentity> identities;
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
  } power;
  uint64_t fileClock = 0;  // creation times: each new file is made later than the one before
  std::set<std::string> heldFiles;  // host paths another program holds open
  unsigned tempCounter = 0;
  std::map<std::string, Values, NoCaseLess> userKeys;
  bool phonebookWithFrameSize = false;
  std::map<DWORD, std::string> messages;
  DriverPackage newdev;
  std::vector<Call> log;
  bool logging = true;
  bool staleLastError = false;  // successful SetupAPI calls leave the last-error code alone
  std::vector<Fault> faults;
  std::vector<std::pair<BYTE, BYTE>> leadBytes;
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  DWORD majorVersion = 5;
  DWORD minorVersion = 1;
  std::optional<bool> underWow64 = false;
  std::optional<std::string> currentDirectory = std::string("C:\\Kit");
  DWORD currentDirectoryError = ERROR_ACCESS_DENIED;
  std::map<UINT, std::string> strings;
};

State& Machine();
DWORD& LastError();
uintptr_t NewHandle();

template <class Handle>
uintptr_t Token(Handle handle) {
  return reinterpret_cast<uintptr_t>(handle);
}

// Records one call and tells whether an armed fault makes it fail.
class ApiCall {
 public:
  ApiCall(const char* op, std::initializer_list<std::pair<const char*, std::string>> args);
  // The code a fault gives this call, or 0 when it goes ahead.
  DWORD fault() const { return fault_; }

 private:
  DWORD fault_ = 0;
};

std::string Hex(uint64_t value);
std::string Dec(uint64_t value);
std::string Text(const char* text);
std::string Handle(const void* handle);
std::string GuidText(const GUID* guid);

// A failing SetupAPI or kernel call: sets the last-error code and returns `result`.
template <class Result>
Result Fail(DWORD code, Result result) {
  LastError() = code;
  return result;
}

bool EqualNoCase(std::string_view a, std::string_view b);
// Where a Windows path lies in the sandbox; relative paths start at the current directory.
std::string HostPath(std::string_view windowsPath);
bool ReadHostFile(const std::string& hostPath, std::string& contents);
bool IsOpenOrHeld(const std::string& hostPath);
uint64_t InodeOf(const std::string& hostPath);
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
// The identity of the file at `hostPath`, made when first asked for; the file must exist.
State::FileIdentity& IdentityOf(const std::string& hostPath);
// Drops what was kept of a file that is gone, or is about to be made anew.
void ForgetIdentity(const std::string& hostPath);
// Whether the REG_MULTI_SZ bytes hold `id` as a whole entry; never reads past `bytes`.
bool MultiSzHolds(const std::vector<BYTE>& bytes, std::string_view id);
void* Allocate(size_t bytes, bool zero);
bool IsKernel32(HMODULE module);

}  // namespace winsim::detail
