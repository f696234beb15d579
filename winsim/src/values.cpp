// Registry values: names without case, and the string and multi-string layouts.
#include <cctype>
#include <cstring>

#include "devices.h"

namespace winsim {

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    const int ca = std::tolower(static_cast<unsigned char>(a[i]));
    const int cb = std::tolower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb;
  }
  return a.size() < b.size();
}

Value Sz(std::string_view text) {
  Value value;
  value.type = REG_SZ;
  value.bytes.assign(text.begin(), text.end());
  value.bytes.push_back(0);
  return value;
}

std::vector<BYTE> MultiSz(std::initializer_list<std::string_view> entries) {
  std::vector<BYTE> bytes;
  for (std::string_view entry : entries) {
    bytes.insert(bytes.end(), entry.begin(), entry.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return bytes;
}

bool detail::MultiSzHolds(const std::vector<BYTE>& bytes, std::string_view id) {
  const char* data = reinterpret_cast<const char*>(bytes.data());
  size_t at = 0;
  while (at < bytes.size() && data[at] != '\0') {
    const size_t length = strnlen(data + at, bytes.size() - at);
    if (EqualNoCase(std::string_view(data + at, length), id)) return true;
    at += length + 1;
  }
  return false;
}

}  // namespace winsim
