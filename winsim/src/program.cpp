// What a program asks about itself and its surroundings: the Windows version, its current
// directory, its module and its string table.
#include <cstring>

#include "process.h"

using namespace winsim;
using namespace winsim::detail;

namespace {
// The one module a program under test is: its own executable.
const HMODULE kProgram = reinterpret_cast<HMODULE>(uintptr_t{0x400000});
// kernel32, always loaded; its handle is not counted as open.
const HMODULE kKernel32 = reinterpret_cast<HMODULE>(uintptr_t{0x7c800000});
// setupapi, which the programs import, so it is loaded as long as they run.
const HMODULE kSetupapi = reinterpret_cast<HMODULE>(uintptr_t{0x77920000});
// The pseudo handle Windows gives for the current process.
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(~uintptr_t{0});
}  // namespace

bool winsim::detail::IsKernel32(HMODULE module) {
  return module == kKernel32;
}

bool winsim::detail::IsSetupapi(HMODULE module) {
  return module == kSetupapi;
}

HANDLE WINAPI GetCurrentProcess() {
  return kCurrentProcess;
}

BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64Process) {
  ApiCall call("IsWow64Process", {{"process", Handle(process)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (process != kCurrentProcess) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!wow64Process) return Fail(ERROR_NOACCESS, FALSE);
  *wow64Process = TheProcess().underWow64.value_or(false) ? TRUE : FALSE;
  return TRUE;
}

BOOL WINAPI SetDefaultDllDirectories(DWORD directoryFlags) {
  ApiCall call("SetDefaultDllDirectories", {{"directoryFlags", Hex(directoryFlags)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  return TRUE;
}

BOOL WINAPI SetDllDirectoryA(LPCSTR pathName) {
  ApiCall call("SetDllDirectoryA", {{"pathName", Text(pathName)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  return TRUE;
}

// Like GetCurrentDirectoryA: too small a buffer gets nothing and the size needed, NUL included.
UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
  ApiCall call("GetSystemDirectoryA", {{"size", Dec(size)}});
  if (call.fault()) return Fail(call.fault(), UINT{0});
  const std::string& path = TheProcess().systemDirectory;
  if (!buffer || size < path.size() + 1) return static_cast<UINT>(path.size() + 1);
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<UINT>(path.size());
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA versionInfo) {
  ApiCall call("GetVersionExA",
               {{"size", versionInfo ? Dec(versionInfo->dwOSVersionInfoSize) : Absent()}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!versionInfo || versionInfo->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA))
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  const ProcessState& m = TheProcess();
  versionInfo->dwMajorVersion = m.majorVersion;
  versionInfo->dwMinorVersion = m.minorVersion;
  versionInfo->dwBuildNumber = 2600;
  versionInfo->dwPlatformId = m.platformId;
  std::memset(versionInfo->szCSDVersion, 0, sizeof versionInfo->szCSDVersion);
  return TRUE;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
  ApiCall call("GetCurrentDirectoryA", {{"bufferLength", Dec(bufferLength)}});
  if (call.fault()) return Fail(call.fault(), DWORD{0});
  const ProcessState& m = TheProcess();
  if (!m.currentDirectory) return Fail(m.currentDirectoryError, DWORD{0});
  const std::string& path = *m.currentDirectory;
  // Too small a buffer gets nothing and the size needed, NUL included.
  if (!buffer || bufferLength < path.size() + 1) return static_cast<DWORD>(path.size() + 1);
  std::memcpy(buffer, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  ApiCall call("GetModuleHandleA", {{"moduleName", Text(moduleName)}});
  if (call.fault()) return Fail(call.fault(), HMODULE{nullptr});
  if (!moduleName) return kProgram;
  if (EqualNoCase(moduleName, "kernel32.dll") || EqualNoCase(moduleName, "kernel32"))
    return kKernel32;
  if (EqualNoCase(moduleName, "setupapi.dll") || EqualNoCase(moduleName, "setupapi"))
    return kSetupapi;
  return Fail(ERROR_MOD_NOT_FOUND, HMODULE{nullptr});
}

// As from Windows XP on: too small a buffer gets as much as fits and its NUL, the size is returned
// and the code is ERROR_INSUFFICIENT_BUFFER. (Windows 2000 leaves out the NUL and the code.)
// The buffer holds MAX_PATH characters, as the shell requires.
HRESULT WINAPI SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path) {
  ApiCall call("SHGetFolderPathA", {{"owner", Handle(owner)},
                                    {"folder", Hex(static_cast<DWORD>(folder))},
                                    {"token", Handle(token)},
                                    {"flags", Hex(flags)}});
  const std::optional<std::string>& found = TheProcess().commonAppData;
  if (call.fault() || folder != CSIDL_COMMON_APPDATA || !path || !found ||
      found->size() >= MAX_PATH)
    return E_FAIL;
  std::memcpy(path, found->c_str(), found->size() + 1);
  return S_OK;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  ApiCall call("GetModuleFileNameA", {{"module", Handle(module)}, {"size", Dec(size)}});
  if (call.fault()) return Fail(call.fault(), DWORD{0});
  if (module && module != kProgram) return Fail(ERROR_MOD_NOT_FOUND, DWORD{0});
  if (!fileName && size) return Fail(ERROR_NOACCESS, DWORD{0});
  const std::string& path = TheProcess().modulePath;
  if (size == 0) return Fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
  if (path.size() + 1 > size) {
    std::memcpy(fileName, path.data(), size - 1);
    fileName[size - 1] = '\0';
    return Fail(ERROR_INSUFFICIENT_BUFFER, size);
  }
  std::memcpy(fileName, path.c_str(), path.size() + 1);
  return static_cast<DWORD>(path.size());
}

int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax) {
  ApiCall call("LoadStringA", {{"instance", Handle(instance)},
                               {"id", Dec(id)},
                               {"bufferMax", Dec(static_cast<DWORD>(bufferMax))}});
  if (call.fault()) return Fail(call.fault(), 0);
  if (instance != kProgram) return Fail(ERROR_RESOURCE_DATA_NOT_FOUND, 0);
  if (!buffer || bufferMax <= 0) return Fail(ERROR_INVALID_PARAMETER, 0);
  const ProcessState& m = TheProcess();
  auto found = m.strings.find(id);
  if (found == m.strings.end()) {
    buffer[0] = '\0';
    return Fail(ERROR_RESOURCE_NAME_NOT_FOUND, 0);
  }
  // Like Windows: as much as fits, always NUL-terminated.
  const size_t count = found->second.size() < static_cast<size_t>(bufferMax - 1)
                           ? found->second.size()
                           : static_cast<size_t>(bufferMax - 1);
  std::memcpy(buffer, found->second.data(), count);
  buffer[count] = '\0';
  return static_cast<int>(count);
}

// The program under test never waits for a user: the message is logged and taken as read.
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  ApiCall call("MessageBoxA", {{"owner", Handle(owner)},
                               {"text", Text(text)},
                               {"caption", Text(caption)},
                               {"type", Hex(type)}});
  if (call.fault()) return Fail(call.fault(), 0);
  return IDOK;
}
