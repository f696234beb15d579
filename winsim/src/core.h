// What every area of the simulated machine shares: the call log and the faults armed on it, the
// thread's last-error code and the numbering of handles.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "winsim/control.h"

namespace winsim::detail {

// What an armed fault does to its call: fail it with a code, fail it leaving the code at 0 or as
// it was, let it move fewer bytes than asked, or let it report a size larger than what it filled.
struct Fault {
  enum class Kind { kFail, kFailWithoutCode, kFailLeavingCode, kFewerBytes, kLargerSize };
  std::string op;
  int nth = 0;
  Kind kind = Kind::kFail;
  DWORD amount = 0;  // the code, the most bytes moved, or the size added
  int seen = 0;
};

// The codes a fault that leaves the code at 0, or as it was, gives its call, which Fail turns into
// 0 or leaves the code alone for. No Win32 error has them.
inline constexpr DWORD kFailsWithoutCode = 0xFFFFFFFFUL;
inline constexpr DWORD kFailsLeavingCode = 0xFFFFFFFEUL;

struct CoreState {
  std::vector<Call> log;
  bool logging = true;
  std::vector<Fault> faults;
  uintptr_t nextHandle = 0x1000;

  void Reset() { *this = CoreState(); }
};

// The one instance of an area's state, made when first used and destroyed at exit in the reverse
// order: a handler that atexit() took before an area was made runs after that area is gone, so a
// program that clears the machine at exit calls Reset(), which makes every area, first.
template <class State>
State& AreaState() {
  static State state;
  return state;
}

inline CoreState& TheCore() {
  return AreaState<CoreState>();
}
DWORD& LastError();
uintptr_t NewHandle();

template <class Handle>
uintptr_t Token(Handle handle) {
  return reinterpret_cast<uintptr_t>(handle);
}

// Records one call and tells whether an armed fault makes it fail.
class ApiCall {
 public:
  ApiCall(const char* op, std::initializer_list<std::pair<const char*, CallArg>> args);
  // The code a fault gives this call, or 0 when it goes ahead.
  DWORD fault() const { return fault_; }
  // The most bytes this call may move, and what it adds to a size it reports.
  DWORD most() const { return most_; }
  DWORD extra() const { return extra_; }

 private:
  DWORD fault_ = 0;
  DWORD most_ = 0xFFFFFFFFUL;
  DWORD extra_ = 0;
};

// The arguments of a logged call. Pointers that may be null are absent then.
CallArg Hex(uint64_t value);  // a number read as flags or a code
CallArg Dec(uint64_t value);  // a number read as a size, an index or an ID
CallArg Text(const char* text);
CallArg Handle(const void* handle);
CallArg Guid(const GUID* guid);
CallArg Given(bool given);  // a pointer whose target is not logged
CallArg Absent();

// How a log line writes a number in hexadecimal and a GUID.
std::string HexText(uint64_t value);
std::string GuidText(const GUID& guid);

// A failing SetupAPI or kernel call: sets the last-error code and returns `result`.
template <class Result>
Result Fail(DWORD code, Result result) {
  if (code != kFailsLeavingCode) LastError() = code == kFailsWithoutCode ? 0 : code;
  return result;
}

bool EqualNoCase(std::string_view a, std::string_view b);

}  // namespace winsim::detail
