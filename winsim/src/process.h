// The process under test and the system around it: the Windows version, the current directory,
// the program's string table, the system's message texts and code page, kernel32's modules and
// local memory.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core.h"

namespace winsim::detail {

// The texts Windows gives for the codes the kit meets; SetupAPI's own codes have none.
std::map<DWORD, std::string> DefaultMessages();

struct ProcessState {
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  DWORD majorVersion = 5;
  DWORD minorVersion = 1;
  std::optional<bool> underWow64 = false;
  // kernel32's ways to narrow the DLL search: Windows 8's, and Windows XP SP1's.
  bool hasSetDefaultDllDirectories = true;
  bool hasSetDllDirectory = true;
  std::string systemDirectory = "C:\\WINDOWS\\system32";
  std::optional<std::string> commonAppData = std::string("C:\\ProgramData");
  std::optional<std::string> currentDirectory = std::string("C:\\Kit");
  DWORD currentDirectoryError = ERROR_ACCESS_DENIED;
  std::string modulePath = "C:\\Kit\\GprsKit.exe";
  std::map<UINT, std::string> strings;
  std::map<DWORD, std::string> messages = DefaultMessages();
  std::vector<std::pair<BYTE, BYTE>> leadBytes;
  std::map<uintptr_t, std::string> modules;  // by the name of the DLL each was loaded from
  std::map<void*, size_t> allocations;

  size_t OpenHandles() const { return modules.size() + allocations.size(); }
  // Frees every local allocation.
  void Reset();
};

inline ProcessState& TheProcess() {
  return AreaState<ProcessState>();
}

void* Allocate(size_t bytes, bool zero);
bool IsKernel32(HMODULE module);
bool IsSetupapi(HMODULE module);

}  // namespace winsim::detail
