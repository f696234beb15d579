// The test's view of the call log and its faults.
#include <cstdio>
#include <cstdlib>

#include "core.h"

namespace winsim {

using namespace detail;

std::string Call::Arg(std::string_view name) const {
  for (const auto& [key, text] : args)
    if (key == name) return text;
  // A test that asks for an argument the call does not have has a typo: it must not pass by
  // comparing an empty text.
  (void)std::fprintf(stderr, "winsim: %s has no argument \"%.*s\"\n", op.c_str(),
                     static_cast<int>(name.size()), name.data());
  std::abort();
}

void FailCall(std::string_view op, int nth, DWORD code) {
  Fault fault;
  fault.op = std::string(op);
  fault.nth = nth;
  fault.code = code;
  TheCore().faults.push_back(fault);
}

const std::vector<Call>& CallLog() {
  return TheCore().log;
}

std::vector<Call> CallsTo(std::string_view op) {
  std::vector<Call> calls;
  for (const Call& call : TheCore().log)
    if (call.op == op) calls.push_back(call);
  return calls;
}

void ClearCallLog() {
  TheCore().log.clear();
}

void SetCallLogging(bool on) {
  TheCore().logging = on;
}

}  // namespace winsim
