// A program the robot starts, owned for as long as the test holds it: one that is still running
// when its owner goes is ended, so a failing test never leaves a dialog behind to block the next.
#pragma once

#include <optional>
#include <string>

#include "handles.h"
#include "timing.h"

namespace robot {

class Process {
 public:
  // Starts `program` with `arguments` in `workingDirectory` (empty: the robot's own). Check
  // started(); when it is false, startError() holds the code CreateProcessA left.
  static Process Start(const std::string& program, const std::string& arguments = "",
                       const std::string& workingDirectory = "");

  Process() = default;
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  Process(Process&&) = default;
  Process& operator=(Process&&) noexcept;

  bool started() const { return handle_.valid(); }
  DWORD startError() const { return startError_; }
  DWORD id() const { return id_; }

  // Waits up to `timeoutMs` for the program to end; says whether it did.
  bool WaitForExit(DWORD timeoutMs = kDefaultTimeoutMs);
  // The program's exit code once it has ended; nothing while it runs or when it never started.
  std::optional<DWORD> ExitCode() const;

 private:
  void EndIfRunning();

  KernelHandle handle_;
  DWORD id_ = 0;
  DWORD startError_ = 0;
};

}  // namespace robot
