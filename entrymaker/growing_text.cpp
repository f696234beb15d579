#include "growing_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

GrowingText::~GrowingText() {
  std::free(data_);
}

bool GrowingText::Append(std::string_view text) {
  if (text.empty()) return true;
  if (text.size() > capacity_ - size_) {
    if (text.size() > SIZE_MAX / 2 - size_) return false;
    const size_t wanted = std::max({size_ + text.size(), capacity_ * 2, size_t{256}});
    char* grown = static_cast<char*>(std::realloc(data_, wanted));
    if (!grown) return false;
    data_ = grown;
    capacity_ = wanted;
  }
  std::memcpy(data_ + size_, text.data(), text.size());
  size_ += text.size();
  return true;
}
