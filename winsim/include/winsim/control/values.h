// Registry values as the registry and the device properties store them.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "winsim/win32.h"

namespace winsim {

// Registry value: its type and its bytes exactly as stored.
struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> bytes;
  bool operator==(const Value& other) const { return type == other.type && bytes == other.bytes; }
};

// Value names compare without regard to case, as in the registry.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};
using Values = std::map<std::string, Value, NoCaseLess>;

// A REG_SZ value holding `text` and its NUL.
Value Sz(std::string_view text);
// REG_MULTI_SZ bytes: each entry and its NUL, then the closing NUL.
std::vector<BYTE> MultiSz(std::initializer_list<std::string_view> entries);

}  // namespace winsim
