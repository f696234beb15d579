// The test-side controls of the simulated platform: build a machine, make any operation fail on a
// chosen call, read back what the code under test called, and start over.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winsim/win32.h"

namespace winsim {

// Registry value: its type and its bytes exactly as stored.
struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
  bool operator==(const Value& other) const { return type == other.type && bytes == other.bytes; }
};

// Value names compare without regard to case, as in the registry.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};
using Values = std::map<std::string, Value, NoCaseLess>;

// A REG_SZ value holding `text` and its NUL.
Value Sz(std::string_view text);
// REG_MULTI_SZ bytes: each entry and its NUL, then the closing NUL.
std::vector<BYTE> MultiSz(std::initializer_list<std::string_view> entries);

// {4D36E978-E325-11CE-BFC1-08002BE10318} and {4D36E96D-E325-11CE-BFC1-08002BE10318}.
extern const GUID kPortsClass;
extern const GUID kModemClass;

using DeviceId = DWORD;

struct DeviceSpec {
  GUID classGuid = kPortsClass;
  std::string className = "Ports";
  // Raw REG_MULTI_SZ bytes of SPDRP_HARDWAREID; none when the device has no list.
  std::optional<std::vector<BYTE>> hardwareIds;
  // The hardware key (DIREG_DEV) and the driver key (DIREG_DRV); none when the key does not exist.
  std::optional<Values> deviceKey;
  std::optional<Values> driverKey;
  bool present = true;
};

struct Device {
  DeviceId id = 0;
  std::string instanceId;
  GUID classGuid{};
  std::string className;
  bool present = true;
  bool registered = true;
  std::map<DWORD, Value> properties;  // SPDRP_* codes
  std::optional<Values> deviceKey;
  std::optional<Values> driverKey;
  bool driverKeyReadOnly =
      false;  // opening it for writing is refused, as for a user who is no admin
};

// One call into the platform, with its arguments as text ("0x1100", "PortName", "null").
struct Call {
  std::string op;
  std::vector<std::pair<std::string, std::string>> args;
  // The argument's text. Asking for one the call does not have stops the test program.
  std::string Arg(std::string_view name) const;
};

// Back to an empty machine: no devices or files, every fault and the call log cleared, the
// last-error code 0, the system's message texts and newdev.dll as on Windows, and no handle open.
void Reset();

DeviceId AddDevice(const DeviceSpec& wanted);
// A Ports-class device whose hardware key holds "PortName" (none when `portName` is empty).
DeviceId AddComPort(std::string_view portName, bool present = true);
void SetDriverKeyReadOnly(DeviceId id, bool readOnly);
// Every device the machine holds, registered ones only, in enumeration order.
std::vector<const Device*> Devices();
const Device* FindDevice(DeviceId id);

// Files, by Windows path. They are real files in a folder of their own that Reset empties, so the
// code under test reads and writes through the host's own file system; "C:\\a\\b" is C/a/b there.
void AddFile(std::string_view path, std::string_view contents);
bool FileExists(std::string_view path);
std::optional<std::string> FileContents(std::string_view path);
// The names of the files in a folder.
std::vector<std::string> FilesIn(std::string_view folder);
// Another program holds the file open without sharing, until Reset.
void HoldFileOpen(std::string_view path);
// A file's security descriptor, as GetFileSecurityA gives it and SetFileSecurityA takes it, is
// text: a line "O:<sid>", "G:<sid>" or "D:<access list>" for each part asked for or given, then a
// NUL. The user may give a file no owner but the user's own sid. A new file has the user as owner,
// the user's group, and the access list a file in the user's profile inherits.
inline constexpr char kUserSid[] = "S-1-5-21-1-2-3-1001";
inline constexpr char kUserGroupSid[] = "S-1-5-21-1-2-3-513";
inline constexpr char kDefaultDacl[] =
    "(A;ID;FA;;;S-1-5-21-1-2-3-1001)(A;ID;FA;;;SY)(A;ID;FA;;;BA)";
// Makes `sid` the file's owner, as an administrator may.
void GiveFileOwner(std::string_view path, std::string_view sid);

// A value in the current user's registry, under `key` (a path below HKEY_CURRENT_USER).
void SetUserValue(std::string_view key, std::string_view name, const Value& value);

// Whether the remote-access service writes "IpFrameSize=" into an entry, as before Windows Vista.
void SetPhonebookWithFrameSize(bool withFrameSize);

// The system's message text for `code` (its own line break included), or none.
void SetMessageText(DWORD code, std::optional<std::string> text);

// The lead bytes of the system's double-byte code page, as ranges; none (a single-byte code page)
// after Reset.
void SetDbcsLeadBytes(std::vector<std::pair<BYTE, BYTE>> ranges);

// What GetVersionExA reports: Windows XP (NT 5.1) after Reset.
void SetWindowsVersion(DWORD platformId, DWORD major, DWORD minor);
// Whether the program runs as a 32-bit process on 64-bit Windows, as IsWow64Process tells; none
// makes kernel32 lack IsWow64Process, as before Windows XP SP2. False after Reset.
void SetWow64(std::optional<bool> underWow64);
// The process's current directory; none makes GetCurrentDirectoryA fail with `code`.
void SetCurrentDirectory(std::optional<std::string> path, DWORD code = ERROR_ACCESS_DENIED);
// The string table of the program under test.
void SetStrings(std::map<UINT, std::string> strings);

// newdev.dll: whether it loads, whether it exports the driver update, and what the update does.
struct DriverPackage {
  bool loadable = true;
  bool exportsUpdate = true;
  bool rebootRequired = false;
  // Values that installing the driver puts into each matching device's driver key.
  Values driverValues;
};
DriverPackage& Newdev();

// Make operation `op` fail with `code` on its `nth` call from now (1 = the next one); nth 0 makes
// every call fail. SetupAPI and kernel operations then return their failure value and set the
// last-error code; registry operations return the code.
void FailCall(std::string_view op, int nth, DWORD code);

// Whether a successful SetupAPI or newdev call leaves the last-error code as it was, as Wine's do,
// instead of setting it to 0 as Windows' do. Off after Reset.
void LeaveLastErrorAfterSuccess(bool leave);

const std::vector<Call>& CallLog();
// Whether calls are logged (they are after Reset); a benchmark turns it off to measure the code.
void SetCallLogging(bool on);
std::vector<Call> CallsTo(std::string_view op);
void ClearCallLog();

// Device sets, keys, find handles, modules and local allocations not yet released.
int OpenHandles();

// Power loss, after the test file systems of embedded databases: from WatchForPowerLoss on, the
// machine keeps what its disk holds for certain. A file's bytes are certain up to its last
// flush; what was written since may be lost in any part. A change of names (a file made, renamed
// or deleted) is certain only once its folder is flushed, which the simulated file services never
// do; the changes are kept in the order they were made, as a journal replays them, so a loss
// keeps some first of them and undoes the rest.
void WatchForPowerLoss();
// The power goes at the `step`th file service call after the watch began (1 for the first): that
// call and every later one does nothing and fails with ERROR_NOT_READY.
void CutPowerAt(int step);
// The file service calls made since the watch began.
int FileSteps();
// The changes of names made since the watch began.
int NameChanges();
// Which of the bytes written since a file's last flush reach the disk.
enum class WriteLoss {
  kAllLost,
  kAllKept,
  kEvenSectorsKept,  // the 512-byte sectors of even number only
  kOddSectorsKept,
  kZerosInstead  // the file grows as written, but with zeros in place of the bytes
};
// Powers the machine on again: every handle is gone, the first `nameChangesKept` changes of names
// stand and the rest are undone, and each file holds its certain bytes and what `loss` keeps of
// the rest. The watch ends.
void RestartAfterPowerLoss(WriteLoss loss, int nameChangesKept);

}  // namespace winsim
