// Keeping the thread's last-error code across calls that may change it.
#pragma once

#include "platform.h"

// Saves the last-error code on construction and puts it back on destruction, so that releasing a
// handle never changes the code a failure left for the logic to read.
class LastErrorKeeper {
 public:
  LastErrorKeeper() : code_(GetLastError()) {}
  ~LastErrorKeeper() { SetLastError(code_); }
  LastErrorKeeper(const LastErrorKeeper&) = delete;
  LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

 private:
  DWORD code_;
};
