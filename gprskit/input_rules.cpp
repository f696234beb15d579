#include "input_rules.h"

namespace {

bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

// The APN goes into the modem's init string between quotes: a quote or a ';' there would add
// commands of its own that the modem runs before every connection.
bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto fold = [](char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  };
  for (size_t i = 0; i < a.size(); ++i)
    if (fold(a[i]) != fold(b[i])) return false;
  return true;
}

bool IsPlainApn(std::string_view apn) {
  if (apn.size() > kApnMost) return false;
  for (const char c : apn)
    if (!IsLetterOrDigit(c) && c != '-' && c != '.' && c != '_') return false;
  return true;
}

bool IsPortName(std::string_view port) {
  if (port.empty()) return false;
  for (const char c : port)
    if (!IsLetterOrDigit(c)) return false;
  return true;
}

bool IsAutoApn(std::string_view apn) {
  return SameNoCase(apn, "auto");
}
