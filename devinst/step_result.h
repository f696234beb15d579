// What one step of the library's work came to, so that a routine reads as its steps in order. A
// failed step has written its report and left its code as the thread's, so the caller only
// decides on the result.
#pragma once

#include "platform.h"

// Every step that can fail, in the order the library takes them. Each has its own fixed prefix
// in g_szError; StepResult::Failed writes it.
enum class Step : unsigned char {
  kCheckPort,
  kFindInf,
  kGetPresentDevices,
  kReadHardwareIds,
  kEnumDevices,
  kRegister,
  kOpenDriverKey,
  kCreateDriverKey,
  kSetValue,
  kQueryValue,
  kGetInfClass,
  kCreateSet,
  kCreateElement,
  kSetHardwareId,
  kLoadNewdev,
  kFindDriverUpdate,
  kUpdateDriver,
  kCount
};

class StepResult {
 public:
  static StepResult Done() { return StepResult(true); }
  // The step failed with the thread's last-error code: its report goes into g_szError and the
  // code stays the thread's.
  static StepResult Failed(Step step);
  // The step failed with `code`, which the registry returned instead of setting it: it becomes
  // the thread's code, then the report is written as above.
  static StepResult Failed(Step step, LONG code);

  // Whether the step was done.
  explicit operator bool() const { return done_; }

 private:
  explicit StepResult(bool done) : done_(done) {}
  bool done_;
};
