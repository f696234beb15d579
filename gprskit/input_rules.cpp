#include "input_rules.h"

namespace {

bool IsLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

// The APN goes into the modem's init string between quotes: a quote or a ';' there would add
// commands of its own that the modem runs before every connection.
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
  constexpr std::string_view kAuto = "auto";
  if (apn.size() != kAuto.size()) return false;
  for (size_t i = 0; i < apn.size(); ++i)
    if ((apn[i] | 0x20) != kAuto[i]) return false;
  return true;
}
