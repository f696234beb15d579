#include "core.h"

#include <cctype>
#include <cstdio>

#include "files.h"

namespace winsim::detail {

DWORD& LastError() {
  thread_local DWORD code = 0;
  return code;
}

uintptr_t NewHandle() {
  // Steps of 4 keep tokens looking like aligned pointers and far from INVALID_HANDLE_VALUE.
  CoreState& core = TheCore();
  core.nextHandle += 4;
  return core.nextHandle;
}

ApiCall::ApiCall(const char* op, std::initializer_list<std::pair<const char*, CallArg>> args) {
  CoreState& core = TheCore();
  Call call;
  call.op = op;
  for (const auto& [name, arg] : args) call.args.emplace_back(name, arg);
  if (core.logging) core.log.push_back(std::move(call));
  // A machine without power fails every file service before any fault is counted.
  if (PowerIsCut(op)) {
    fault_ = ERROR_NOT_READY;
    return;
  }
  for (Fault& f : core.faults) {
    if (f.op != op) continue;
    ++f.seen;
    if (f.nth != 0 && f.seen != f.nth) continue;
    switch (f.kind) {
      case Fault::Kind::kFail:
        if (fault_ == 0) fault_ = f.amount;
        break;
      case Fault::Kind::kFailWithoutCode:
        if (fault_ == 0) fault_ = kFailsWithoutCode;
        break;
      case Fault::Kind::kFailLeavingCode:
        if (fault_ == 0) fault_ = kFailsLeavingCode;
        break;
      case Fault::Kind::kFewerBytes:
        most_ = f.amount;
        break;
      case Fault::Kind::kLargerSize:
        extra_ = f.amount;
        break;
    }
  }
}

namespace {

CallArg Number(uint64_t value, bool hex) {
  CallArg arg;
  arg.kind = CallArg::Kind::kNumber;
  arg.number = value;
  arg.hex = hex;
  return arg;
}

}  // namespace

CallArg Hex(uint64_t value) {
  return Number(value, true);
}

CallArg Dec(uint64_t value) {
  return Number(value, false);
}

CallArg Text(const char* text) {
  CallArg arg;
  if (!text) return arg;
  arg.kind = CallArg::Kind::kText;
  arg.text = text;
  return arg;
}

CallArg Handle(const void* handle) {
  CallArg arg;
  if (!handle) return arg;
  arg.kind = CallArg::Kind::kHandle;
  arg.number = Token(handle);
  return arg;
}

CallArg Guid(const GUID* guid) {
  CallArg arg;
  if (!guid) return arg;
  arg.kind = CallArg::Kind::kGuid;
  arg.guid = *guid;
  return arg;
}

CallArg Given(bool given) {
  CallArg arg;
  if (given) arg.kind = CallArg::Kind::kGiven;
  return arg;
}

CallArg Absent() {
  return CallArg();
}

std::string HexText(uint64_t value) {
  char text[24];
  (void)std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
  return text;
}

std::string GuidText(const GUID& guid) {
  char text[40];
  (void)std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                      guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1],
                      guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6],
                      guid.Data4[7]);
  return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace winsim::detail
