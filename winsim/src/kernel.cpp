// Kernel services: the last-error code, message texts, local memory, modules and the code page.
#include <cstdlib>
#include <cstring>

#include "newdev.h"
#include "process.h"
#include "wintrust.h"

using namespace winsim;
using namespace winsim::detail;

void* winsim::detail::Allocate(size_t bytes, bool zero) {
  void* memory = zero ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  if (memory) TheProcess().allocations[memory] = bytes;
  return memory;
}

DWORD WINAPI GetLastError() {
  return LastError();
}

void WINAPI SetLastError(DWORD code) {
  LastError() = code;
}

DWORD WINAPI FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId,
                            LPSTR buffer, DWORD size, va_list* arguments) {
  ApiCall call("FormatMessageA", {{"flags", Hex(flags)},
                                  {"source", Handle(source)},
                                  {"messageId", Hex(messageId)},
                                  {"languageId", Hex(languageId)},
                                  {"size", Dec(size)},
                                  {"arguments", Handle(arguments)}});
  if (call.fault()) return Fail(call.fault(), DWORD{0});
  // Only the system's own table is simulated.
  if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || buffer == nullptr)
    return Fail(ERROR_INVALID_PARAMETER, DWORD{0});
  ProcessState& m = TheProcess();
  auto found = m.messages.find(messageId);
  if (found == m.messages.end()) return Fail(ERROR_MR_MID_NOT_FOUND, DWORD{0});
  const std::string& text = found->second;
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    char* copy = static_cast<char*>(Allocate(text.size() + 1, false));
    if (!copy) return Fail(ERROR_NOT_ENOUGH_MEMORY, DWORD{0});
    std::memcpy(copy, text.c_str(), text.size() + 1);
    *reinterpret_cast<char**>(buffer) = copy;
  } else {
    if (size < text.size() + 1) return Fail(ERROR_INSUFFICIENT_BUFFER, DWORD{0});
    std::memcpy(buffer, text.c_str(), text.size() + 1);
  }
  return static_cast<DWORD>(text.size());
}

HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) {
  ApiCall call("LocalAlloc", {{"flags", Hex(flags)}, {"bytes", Dec(bytes)}});
  if (call.fault()) return Fail(call.fault(), HLOCAL{nullptr});
  void* memory = Allocate(bytes, (flags & LMEM_ZEROINIT) != 0);
  if (!memory) return Fail(ERROR_NOT_ENOUGH_MEMORY, HLOCAL{nullptr});
  return memory;
}

HLOCAL WINAPI LocalFree(HLOCAL memory) {
  ApiCall call("LocalFree", {{"memory", Handle(memory)}});
  if (memory == nullptr) return nullptr;
  ProcessState& m = TheProcess();
  auto found = m.allocations.find(memory);
  if (found == m.allocations.end()) return Fail(ERROR_INVALID_HANDLE, memory);
  std::free(memory);
  m.allocations.erase(found);
  return nullptr;
}

HMODULE WINAPI LoadLibraryA(LPCSTR fileName) {
  ApiCall call("LoadLibraryA", {{"fileName", Text(fileName)}});
  if (call.fault()) return Fail(call.fault(), HMODULE{nullptr});
  ProcessState& m = TheProcess();
  // A DLL of the system by its bare name, found by the search, or at its place in the system
  // folder.
  const char* dll = nullptr;
  for (const char* known : {"newdev.dll", "wintrust.dll"}) {
    if (fileName &&
        (EqualNoCase(fileName, known) || EqualNoCase(fileName, m.systemDirectory + "\\" + known)))
      dll = known;
  }
  if (!dll) return Fail(ERROR_MOD_NOT_FOUND, HMODULE{nullptr});
  const uintptr_t token = NewHandle();
  m.modules[token] = dll;
  return reinterpret_cast<HMODULE>(token);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName) {
  ApiCall call("GetProcAddress", {{"module", Handle(module)}, {"procName", Text(procName)}});
  if (call.fault()) return Fail(call.fault(), FARPROC{nullptr});
  const ProcessState& m = TheProcess();
  // Through void(*)(), the one function-pointer type any other converts to without a warning.
  const auto exported = [&](const char* name, bool present, void (*function)()) {
    return present && procName && std::strcmp(procName, name) == 0
               ? reinterpret_cast<FARPROC>(function)
               : nullptr;
  };
  FARPROC function = nullptr;
  if (IsKernel32(module)) {
    function = exported("IsWow64Process", m.underWow64.has_value(),
                        reinterpret_cast<void (*)()>(&IsWow64Process));
    if (!function)
      function = exported("SetDefaultDllDirectories", m.hasSetDefaultDllDirectories,
                          reinterpret_cast<void (*)()>(&SetDefaultDllDirectories));
    if (!function)
      function = exported("SetDllDirectoryA", m.hasSetDllDirectory,
                          reinterpret_cast<void (*)()>(&SetDllDirectoryA));
  } else if (IsSetupapi(module)) {
    function = exported("SetupUninstallOEMInfA", TheNewdev().package.uninstallsPackages,
                        reinterpret_cast<void (*)()>(&SetupUninstallOEMInfA));
  } else {
    const auto loaded = m.modules.find(Token(module));
    if (loaded == m.modules.end()) return Fail(ERROR_INVALID_HANDLE, FARPROC{nullptr});
    function =
        loaded->second == "wintrust.dll"
            ? WintrustExport(procName)
            : exported("UpdateDriverForPlugAndPlayDevicesA", TheNewdev().package.exportsUpdate,
                       reinterpret_cast<void (*)()>(&UpdateDriverForPlugAndPlayDevicesA));
  }
  return function ? function : Fail(ERROR_PROC_NOT_FOUND, FARPROC{nullptr});
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  ApiCall call("FreeLibrary", {{"module", Handle(module)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (TheProcess().modules.erase(Token(module)) == 0) return Fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}

// Asked once per character of a compared text, so it stays out of the call log.
BOOL WINAPI IsDBCSLeadByte(BYTE testChar) {
  for (const auto& [first, last] : TheProcess().leadBytes)
    if (testChar >= first && testChar <= last) return TRUE;
  return FALSE;
}
