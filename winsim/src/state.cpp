#include "state.h"

#include "kit_facts.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/stat.h>
#include <unistd.h>

namespace winsim {

namespace detail {

State Fresh();

State& Machine() {
  static State state = Fresh();
  return state;
}

DWORD& LastError() {
  thread_local DWORD code = 0;
  return code;
}

uintptr_t NewHandle() {
  // Steps of 4 keep tokens looking like aligned pointers and far from INVALID_HANDLE_VALUE.
  State& m = Machine();
  m.nextHandle += 4;
  return m.nextHandle;
}

ApiCall::ApiCall(const char* op, std::initializer_list<std::pair<const char*, std::string>> args) {
  State& m = Machine();
  Call call;
  call.op = op;
  for (const auto& [name, text] : args) call.args.emplace_back(name, text);
  if (m.logging) m.log.push_back(std::move(call));
  if (PowerIsCut(op)) {
    fault_ = ERROR_NOT_READY;
    return;
  }
  for (Fault& f : m.faults) {
    if (f.op != op) continue;
    ++f.seen;
    if (fault_ == 0 && (f.nth == 0 || f.seen == f.nth)) fault_ = f.code;
  }
}

std::string Hex(uint64_t value) {
  char text[24];
  (void)std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string Dec(uint64_t value) {
  return std::to_string(value);
}

std::string Text(const char* text) {
  return text ? std::string(text) : std::string("null");
}

std::string Handle(const void* handle) {
  return handle ? Hex(Token(handle)) : "null";
}

std::string GuidText(const GUID* guid) {
  if (!guid) return "null";
  char text[40];
  (void)std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                      guid->Data1, guid->Data2, guid->Data3, guid->Data4[0], guid->Data4[1],
                      guid->Data4[2], guid->Data4[3], guid->Data4[4], guid->Data4[5],
                      guid->Data4[6], guid->Data4[7]);
  return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

bool MultiSzHolds(const std::vector<BYTE>& bytes, std::string_view id) {
  const char* data = reinterpret_cast<const char*>(bytes.data());
  size_t at = 0;
  while (at < bytes.size() && data[at] != '\0') {
    const size_t length = strnlen(data + at, bytes.size() - at);
    if (EqualNoCase(std::string_view(data + at, length), id)) return true;
    at += length + 1;
  }
  return false;
}

std::string HostPath(std::string_view windowsPath) {
  State& m = Machine();
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
  if (!absolute && m.currentDirectory) path = *m.currentDirectory + "\\" + path;
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

bool IsOpenOrHeld(const std::string& hostPath) {
  const State& m = Machine();
  if (m.heldFiles.count(hostPath)) return true;
  for (const auto& [token, file] : m.files)
    if (file.hostPath == hostPath) return true;
  return false;
}

uint64_t InodeOf(const std::string& hostPath) {
  struct stat status = {};
  return ::stat(hostPath.c_str(), &status) == 0 ? static_cast<uint64_t>(status.st_ino) : 0;
}

State::FileIdentity& IdentityOf(const std::string& hostPath) {
  State& m = Machine();
  auto [found, made] = m.identities.try_emplace(InodeOf(hostPath));
  if (made) found->second.created = ++m.fileClock;
  return found->second;
}

void ForgetIdentity(const std::string& hostPath) {
  // Under a power watch no inode is given twice, and a file taken away may come back.
  if (Machine().power.on) return;
  if (const uint64_t inode = InodeOf(hostPath)) Machine().identities.erase(inode);
}

void* Allocate(size_t bytes, bool zero) {
  void* memory = zero ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  if (memory) Machine().allocations[memory] = bytes;
  return memory;
}

}  // namespace detail

using namespace detail;

const GUID kPortsClass = kPortsClassGuid;
const GUID kModemClass = {
    0x4D36E96D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

std::string Call::Arg(std::string_view name) const {
  for (const auto& [key, text] : args)
    if (key == name) return text;
  // A test that asks for an argument the call does not have has a typo: it must not pass by
  // comparing an empty text.
  (void)std::fprintf(stderr, "winsim: %s has no argument \"%.*s\"\n", op.c_str(),
                     static_cast<int>(name.size()), name.data());
  std::abort();
}

Value Sz(std::string_view text) {
  Value value;
  value.type = REG_SZ;
  value.bytes.assign(text.begin(), text.end());
  value.bytes.push_back(0);
  return value;
}

std::vector<BYTE> MultiSz(std::initializer_list<std::string_view> entries) {
  std::vector<BYTE> bytes;
  for (std::string_view entry : entries) {
    bytes.insert(bytes.end(), entry.begin(), entry.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return bytes;
}

// The texts Windows gives for the codes the kit meets; SetupAPI's own codes have none.
static std::map<DWORD, std::string> DefaultMessages() {
  return {
      {0, "The operation completed successfully.\r\n"},
      {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
      {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
      {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
      {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
      {ERROR_NOT_ENOUGH_MEMORY,
       "Not enough memory resources are available to process this command.\r\n"},
      {ERROR_INVALID_DATA, "The data is invalid.\r\n"},
      {ERROR_OUTOFMEMORY,
       "Not enough memory resources are available to complete this operation.\r\n"},
      {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
      {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small.\r\n"},
      {ERROR_MOD_NOT_FOUND, "The specified module could not be found.\r\n"},
      {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found.\r\n"},
      {ERROR_MORE_DATA, "More data is available.\r\n"},
      {ERROR_NO_MORE_ITEMS, "No more data is available.\r\n"},
      {ERROR_INVALID_FLAGS, "Invalid flags.\r\n"},
      {ERROR_INVALID_USER_BUFFER,
       "The supplied user buffer is not valid for the requested operation.\r\n"},
  };
}

namespace detail {
State Fresh() {
  State state;
  state.messages = DefaultMessages();
  state.newdev.driverValues["FriendlyName"] = Sz("GPRS Modem");
  return state;
}
}  // namespace detail

void Reset() {
  State& m = Machine();
  for (auto& [memory, size] : m.allocations) std::free(memory);
  for (auto& [token, file] : m.files) ::close(file.descriptor);
  if (!m.sandbox.empty()) std::filesystem::remove_all(m.sandbox);
  m = Fresh();
  LastError() = 0;
}

DeviceId AddDevice(const DeviceSpec& wanted) {
  State& m = Machine();
  Device device;
  device.id = m.nextDevice++;
  // A class name of any length is kept whole.
  char number[16];
  (void)std::snprintf(number, sizeof number, "\\%04u", static_cast<unsigned>(device.id));
  device.instanceId = "ROOT\\" + wanted.className + number;
  device.classGuid = wanted.classGuid;
  device.className = wanted.className;
  device.present = wanted.present;
  if (wanted.hardwareIds)
    device.properties[SPDRP_HARDWAREID] = Value{REG_MULTI_SZ, *wanted.hardwareIds};
  device.deviceKey = wanted.deviceKey;
  device.driverKey = wanted.driverKey;
  m.devices[device.id] = device;
  return device.id;
}

DeviceId AddComPort(std::string_view portName, bool present) {
  DeviceSpec wanted;
  wanted.present = present;
  wanted.deviceKey = Values{};
  if (!portName.empty()) (*wanted.deviceKey)["PortName"] = Sz(portName);
  return AddDevice(wanted);
}

void SetDriverKeyReadOnly(DeviceId id, bool readOnly) {
  auto found = Machine().devices.find(id);
  if (found != Machine().devices.end()) found->second.driverKeyReadOnly = readOnly;
}

std::vector<const Device*> Devices() {
  std::vector<const Device*> devices;
  for (const auto& [id, device] : Machine().devices)
    if (device.registered) devices.push_back(&device);
  return devices;
}

const Device* FindDevice(DeviceId id) {
  auto found = Machine().devices.find(id);
  return found == Machine().devices.end() ? nullptr : &found->second;
}

void AddFile(std::string_view path, std::string_view contents) {
  const std::filesystem::path host = HostPath(path);
  std::filesystem::create_directories(host.parent_path());
  ForgetIdentity(host);
  std::ofstream(host, std::ios::binary | std::ios::trunc) << contents;
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

void LeaveLastErrorAfterSuccess(bool leave) {
  Machine().staleLastError = leave;
}

void GiveFileOwner(std::string_view path, std::string_view sid) {
  IdentityOf(HostPath(path)).owner = std::string(sid);
}

void HoldFileOpen(std::string_view path) {
  Machine().heldFiles.insert(HostPath(path));
}

void SetUserValue(std::string_view key, std::string_view name, const Value& value) {
  Machine().userKeys[std::string(key)][std::string(name)] = value;
}

void SetPhonebookWithFrameSize(bool withFrameSize) {
  Machine().phonebookWithFrameSize = withFrameSize;
}

void SetMessageText(DWORD code, std::optional<std::string> text) {
  if (text)
    Machine().messages[code] = *text;
  else
    Machine().messages.erase(code);
}

void SetDbcsLeadBytes(std::vector<std::pair<BYTE, BYTE>> ranges) {
  Machine().leadBytes = std::move(ranges);
}

void SetWindowsVersion(DWORD platformId, DWORD major, DWORD minor) {
  State& m = Machine();
  m.platformId = platformId;
  m.majorVersion = major;
  m.minorVersion = minor;
}

void SetWow64(std::optional<bool> underWow64) {
  Machine().underWow64 = underWow64;
}

void SetCurrentDirectory(std::optional<std::string> path, DWORD code) {
  Machine().currentDirectory = std::move(path);
  Machine().currentDirectoryError = code;
}

void SetStrings(std::map<UINT, std::string> strings) {
  Machine().strings = std::move(strings);
}

DriverPackage& Newdev() {
  return Machine().newdev;
}

void FailCall(std::string_view op, int nth, DWORD code) {
  Fault fault;
  fault.op = std::string(op);
  fault.nth = nth;
  fault.code = code;
  Machine().faults.push_back(fault);
}

const std::vector<Call>& CallLog() {
  return Machine().log;
}

std::vector<Call> CallsTo(std::string_view op) {
  std::vector<Call> calls;
  for (const Call& call : Machine().log)
    if (call.op == op) calls.push_back(call);
  return calls;
}

void ClearCallLog() {
  Machine().log.clear();
}

void SetCallLogging(bool on) {
  Machine().logging = on;
}

int OpenHandles() {
  const State& m = Machine();
  return static_cast<int>(m.sets.size() + m.keys.size() + m.finds.size() + m.modules.size() +
                          m.allocations.size() + m.files.size());
}

}  // namespace winsim
