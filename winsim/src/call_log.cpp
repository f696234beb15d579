// The test's view of the call log and its faults.
#include <cstdio>
#include <cstdlib>

#include "core.h"

namespace winsim {

using namespace detail;

namespace {

const char* KindName(CallArg::Kind kind) {
  switch (kind) {
    case CallArg::Kind::kNumber:
      return "a number";
    case CallArg::Kind::kText:
      return "a text";
    case CallArg::Kind::kHandle:
      return "a handle";
    case CallArg::Kind::kGuid:
      return "a GUID";
    case CallArg::Kind::kGiven:
      return "a pointer given";
    case CallArg::Kind::kAbsent:
      break;
  }
  return "absent";
}

}  // namespace

const CallArg& Call::Find(std::string_view name) const {
  for (const auto& [key, arg] : args)
    if (key == name) return arg;
  // A test that asks for an argument the call does not have has a typo: it must not pass by
  // comparing an empty text.
  (void)std::fprintf(stderr, "winsim: %s has no argument \"%.*s\"\n", op.c_str(),
                     static_cast<int>(name.size()), name.data());
  std::abort();
}

// Read as another kind, a null text would compare as "" and a handle as a number.
void Call::WrongKind(std::string_view name, CallArg::Kind kind, const char* wanted) const {
  (void)std::fprintf(stderr, "winsim: %s's argument \"%.*s\" is %s, not %s\n", op.c_str(),
                     static_cast<int>(name.size()), name.data(), KindName(kind), wanted);
  std::abort();
}

const CallArg& Call::Expect(std::string_view name, CallArg::Kind kind) const {
  const CallArg& arg = Find(name);
  if (arg.kind != kind) WrongKind(name, arg.kind, KindName(kind));
  return arg;
}

uint64_t Call::Number(std::string_view name) const {
  return Expect(name, CallArg::Kind::kNumber).number;
}

const std::string& Call::Text(std::string_view name) const {
  return Expect(name, CallArg::Kind::kText).text;
}

bool Call::IsNull(std::string_view name) const {
  const CallArg& arg = Find(name);
  if (arg.kind == CallArg::Kind::kNumber) WrongKind(name, arg.kind, "a pointer");
  return arg.kind == CallArg::Kind::kAbsent;
}

std::string Call::Arg(std::string_view name) const {
  const CallArg& arg = Find(name);
  switch (arg.kind) {
    case CallArg::Kind::kNumber:
      return arg.hex ? HexText(arg.number) : std::to_string(arg.number);
    case CallArg::Kind::kText:
      return arg.text;
    case CallArg::Kind::kHandle:
      return HexText(arg.number);
    case CallArg::Kind::kGuid:
      return GuidText(arg.guid);
    case CallArg::Kind::kGiven:
      return "set";
    case CallArg::Kind::kAbsent:
      break;
  }
  return "null";
}

namespace {

void Arm(std::string_view op, int nth, Fault::Kind kind, DWORD amount) {
  Fault fault;
  fault.op = std::string(op);
  fault.nth = nth;
  fault.kind = kind;
  fault.amount = amount;
  TheCore().faults.push_back(fault);
}

}  // namespace

void FailCall(std::string_view op, int nth, DWORD code) {
  Arm(op, nth, Fault::Kind::kFail, code);
}

void FailCallWithoutCode(std::string_view op, int nth) {
  Arm(op, nth, Fault::Kind::kFailWithoutCode, 0);
}

void FailCallLeavingCode(std::string_view op, int nth) {
  Arm(op, nth, Fault::Kind::kFailLeavingCode, 0);
}

void MoveFewerBytes(std::string_view op, int nth, DWORD most) {
  Arm(op, nth, Fault::Kind::kFewerBytes, most);
}

void ReportLargerSize(std::string_view op, int nth, DWORD extra) {
  Arm(op, nth, Fault::Kind::kLargerSize, extra);
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
