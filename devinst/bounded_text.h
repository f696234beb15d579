// Writing into the kit's fixed text buffers without ever passing their end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

// Appends to the NUL-terminated text already in a buffer of `capacity` bytes. The buffer stays
// NUL-terminated whatever is appended.
class BoundedText {
 public:
  BoundedText(char* buffer, size_t capacity);

  // Starts over with the empty text.
  void Clear();
  // Appends as much of `text` as fits; false when some of it was cut.
  bool Append(std::string_view text);
  // Appends `code` as eight lower-case hexadecimal digits.
  bool AppendHex8(uint32_t code);
  // Appends all of `parts` or, when they would not fit together, nothing.
  bool AppendWhole(std::initializer_list<std::string_view> parts);

 private:
  char* buffer_;
  size_t capacity_;
  size_t length_;
};
