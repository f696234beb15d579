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

// One argument of a logged call, kept as the kind of thing the function takes.
struct CallArg {
  enum class Kind {
    kNumber,  // flags, sizes, codes, indexes
    kText,    // a string the caller passed
    kHandle,  // a handle or a buffer, by its value
    kGuid,
    kGiven,  // a pointer whose target the log does not keep: an output, a callback
    kAbsent  // a null pointer or handle
  };
  Kind kind = Kind::kAbsent;
  uint64_t number = 0;  // a number's or a handle's value
  bool hex = false;     // flags and codes read better in hexadecimal
  std::string text;
  GUID guid{};
};

// One call into the platform, with its arguments by name. Each accessor stops the test program
// when the call has no argument of that name or the argument is of another kind: a misspelt name
// or a changed signature must not pass by comparing a default.
struct Call {
  std::string op;
  std::vector<std::pair<std::string, CallArg>> args;

  uint64_t Number(std::string_view name) const;
  const std::string& Text(std::string_view name) const;
  // Whether a pointer or handle argument was null; a number is never null and cannot be asked.
  bool IsNull(std::string_view name) const;
  // Any argument as a log line shows it: "0x1100", "260", "PortName", a GUID in braces, "set"
  // for a pointer given, "null".
  std::string Arg(std::string_view name) const;

 private:
  const CallArg& Find(std::string_view name) const;
  const CallArg& Expect(std::string_view name, CallArg::Kind kind) const;
  [[noreturn]] void WrongKind(std::string_view name, CallArg::Kind kind, const char* wanted) const;
};

// Whether calls are logged (they are after Reset); a benchmark turns it off to measure the code.
void SetCallLogging(bool on);
// Every call in the order it was made, and the calls to one operation.
const std::vector<Call>& CallLog();
std::vector<Call> CallsTo(std::string_view op);
void ClearCallLog();

// Make operation `op` fail with `code` on its `nth` call from now (1 = the next one); nth 0 makes
// every call fail. SetupAPI and kernel operations then return their failure value and set the
// last-error code; registry operations return the code.
void FailCall(std::string_view op, int nth, DWORD code);
// The same for a failure that leaves the last-error code at 0, as the platform's calls may; for
// SetupAPI and kernel operations, whose failure is their result and not the code.
void FailCallWithoutCode(std::string_view op, int nth);
// The same for a failure that leaves the last-error code as it was before the call, stale: "the
// return value ... is not reset by every function", as GetLastError's page warns.
void FailCallLeavingCode(std::string_view op, int nth);
// ReadFile or WriteFile moves at most `most` bytes on its `nth` call, and succeeds.
void MoveFewerBytes(std::string_view op, int nth, DWORD most);
// A call that reports a size (SetupDiGetDeviceRegistryPropertyA, the hash's size of
// CryptCATAdminCalcHashFromFileHandle) reports `extra` bytes more than
// it filled, on its `nth` successful or failing call alike.
void ReportLargerSize(std::string_view op, int nth, DWORD extra);

}  // namespace winsim
