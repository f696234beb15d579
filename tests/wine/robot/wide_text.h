// Text that comes back from Windows in UTF-16, in the ANSI code page the kit works in.
#pragma once

#include <string>

#include <windows.h>

namespace robot {

inline std::string Narrow(const std::wstring& text) {
  if (text.empty()) return "";
  const int size = static_cast<int>(text.size());
  const int length =
      WideCharToMultiByte(CP_ACP, 0, text.c_str(), size, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return "";
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.c_str(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

}  // namespace robot
