// GprsKit, the kit's console tool for scripts and deployment tools: each verb is a function that
// prints to the console it is given and returns the process's exit code, so that the host tests
// drive it as the program does.
#pragma once

#include "platform.h"

// The exit codes, as the platform's own driver tools give them.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRestart = 3010;  // ERROR_SUCCESS_REBOOT_REQUIRED

// Where a verb's words go: one line on success to the output, the reason of a failure to the
// error stream. Never a message box.
class Console {
 public:
  virtual ~Console() = default;
  virtual void Line(const char* text) = 0;
  virtual void Error(const char* text) = 0;
  // A line on the error stream that says no outcome of its own: the usage after the reason a
  // command line is wrong, which stays the reason a log keeps.
  virtual void Aside(const char* text) { Error(text); }
};

// The whole command line after the program's name.
int RunGprsKit(int argc, const char* const* argv, Console& console);

// `GprsKit remove`: every present device with the kit's hardware ID, then the driver package the
// system copied for it (found through the driver key's "InfPath"); phonebooks are untouched.
int RemoveVerb(Console& console);
