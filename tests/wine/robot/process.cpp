#include "process.h"

#include <vector>

namespace robot {

Process Process::Start(const std::string& program, const std::string& arguments,
                       const std::string& workingDirectory) {
  std::string commandLine = "\"" + program + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  // CreateProcessA may write into the command line it is given.
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');

  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  Process process;
  if (!CreateProcessA(program.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                      &info)) {
    process.startError_ = GetLastError();
    return process;
  }
  CloseHandle(info.hThread);
  process.handle_.Reset(info.hProcess);
  process.id_ = info.dwProcessId;
  return process;
}

Process::~Process() {
  EndIfRunning();
}

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    EndIfRunning();
    handle_ = std::move(other.handle_);
    id_ = other.id_;
    startError_ = other.startError_;
  }
  return *this;
}

bool Process::WaitForExit(DWORD timeoutMs) {
  return started() && WaitForSingleObject(handle_.get(), timeoutMs) == WAIT_OBJECT_0;
}

std::optional<DWORD> Process::ExitCode() const {
  if (!started() || WaitForSingleObject(handle_.get(), 0) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  if (!GetExitCodeProcess(handle_.get(), &code)) return std::nullopt;
  return code;
}

void Process::EndIfRunning() {
  if (started() && WaitForSingleObject(handle_.get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(handle_.get(), ERROR_TIMEOUT);
    WaitForSingleObject(handle_.get(), kMessageTimeoutMs);
  }
}

}  // namespace robot
