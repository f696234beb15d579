// The record of every call the code under test makes into the platform, and the faults a test
// arms on chosen calls.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "winsim/win32.h"

namespace winsim {

// One call into the platform, with its arguments as text ("0x1100", "PortName", "null").
struct Call {
  std::string op;
  std::vector<std::pair<std::string, std::string>> args;
  // The argument's text. Asking for one the call does not have stops the test program.
  std::string Arg(std::string_view name) const;
};

const std::vector<Call>& CallLog();
// Whether calls are logged (they are after Reset); a benchmark turns it off to measure the code.
void SetCallLogging(bool on);
std::vector<Call> CallsTo(std::string_view op);
void ClearCallLog();

// Make operation `op` fail with `code` on its `nth` call from now (1 = the next one); nth 0 makes
// every call fail. SetupAPI and kernel operations then return their failure value and set the
// last-error code; registry operations return the code.
void FailCall(std::string_view op, int nth, DWORD code);

}  // namespace winsim
