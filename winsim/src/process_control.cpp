// The tests' hold on the process and the system it runs on.
#include <cstdlib>

#include "process.h"

namespace winsim {

using namespace detail;

namespace detail {

void ProcessState::Reset() {
  for (auto& [memory, size] : allocations) std::free(memory);
  *this = ProcessState();
}

}  // namespace detail

void SetMessageText(DWORD code, std::optional<std::string> text) {
  if (text)
    TheProcess().messages[code] = *text;
  else
    TheProcess().messages.erase(code);
}

void SetDbcsLeadBytes(std::vector<std::pair<BYTE, BYTE>> ranges) {
  TheProcess().leadBytes = std::move(ranges);
}

void SetWindowsVersion(DWORD platformId, DWORD major, DWORD minor) {
  ProcessState& m = TheProcess();
  m.platformId = platformId;
  m.majorVersion = major;
  m.minorVersion = minor;
}

void SetWow64(std::optional<bool> underWow64) {
  TheProcess().underWow64 = underWow64;
}

void SetDllSearchFunctions(bool setDefaultDllDirectories, bool setDllDirectory) {
  TheProcess().hasSetDefaultDllDirectories = setDefaultDllDirectories;
  TheProcess().hasSetDllDirectory = setDllDirectory;
}

void SetSystemDirectory(std::string path) {
  TheProcess().systemDirectory = std::move(path);
}

void SetCommonAppData(std::optional<std::string> path) {
  TheProcess().commonAppData = std::move(path);
}

void SetCurrentDirectory(std::optional<std::string> path, DWORD code) {
  TheProcess().currentDirectory = std::move(path);
  TheProcess().currentDirectoryError = code;
}

void SetModulePath(std::string path) {
  TheProcess().modulePath = std::move(path);
}

void SetStrings(std::map<UINT, std::string> strings) {
  TheProcess().strings = std::move(strings);
}

}  // namespace winsim
