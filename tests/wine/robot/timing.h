// How long the robot waits for another process, and how it waits: short polls against a bound, so
// a test is as fast as the program it drives and a program that never answers fails it.
#pragma once

#include <windows.h>

namespace robot {

// Long enough for a dialog to come up in a freshly started Wine program.
constexpr DWORD kDefaultTimeoutMs = 10000;
// A message to another process that takes longer than this means the program hangs.
constexpr DWORD kMessageTimeoutMs = 5000;
constexpr DWORD kPollIntervalMs = 20;

// Calls `done` until it returns true or `timeoutMs` has passed; says whether it returned true.
template <class Done>
bool PollUntil(Done done, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(kPollIntervalMs);
  }
}

}  // namespace robot
