#include "bounded_text.h"

#include <cstring>

BoundedText::BoundedText(char* buffer, size_t capacity)
    : buffer_(buffer), capacity_(capacity), length_(0) {
  // A text that fills the whole buffer without a NUL leaves no room: nothing more can be added to
  // it, and it is not terminated here, because the caller's bytes are not ours to change.
  length_ = capacity_ == 0 ? 0 : strnlen(buffer_, capacity_);
}

void BoundedText::Clear() {
  length_ = 0;
  if (capacity_ > 0) buffer_[0] = '\0';
}

bool BoundedText::Append(std::string_view text) {
  if (length_ + 1 > capacity_) return text.empty();
  const size_t room = capacity_ - 1 - length_;
  const size_t count = text.size() < room ? text.size() : room;
  std::memcpy(buffer_ + length_, text.data(), count);
  length_ += count;
  buffer_[length_] = '\0';
  return count == text.size();
}

bool BoundedText::AppendHex8(uint32_t code) {
  static const char kDigits[] = "0123456789abcdef";
  char hex[8];
  for (int i = 7; i >= 0; --i) {
    hex[i] = kDigits[code & 0xF];
    code >>= 4;
  }
  return Append(std::string_view(hex, sizeof hex));
}

bool BoundedText::AppendWhole(std::initializer_list<std::string_view> parts) {
  size_t total = 0;
  for (std::string_view part : parts) total += part.size();
  if (length_ + total + 1 > capacity_) return false;
  for (std::string_view part : parts) Append(part);
  return true;
}
