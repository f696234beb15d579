// Text that grows as needed.
#pragma once

#include <cstddef>
#include <string_view>

// Kept on the C heap, and a growth that fails is reported rather than thrown: a phonebook line too
// long for memory then fails the patch, with the phonebook as it was, instead of ending the
// program. It also keeps the C++ library's strings, and all they bring, out of the program.
class GrowingText {
 public:
  GrowingText() = default;
  ~GrowingText();
  GrowingText(const GrowingText&) = delete;
  GrowingText& operator=(const GrowingText&) = delete;

  // False, with the text as it was, when there is no memory for more.
  bool Append(std::string_view text);
  void Clear() { size_ = 0; }
  std::string_view View() const { return {data_, size_}; }

 private:
  char* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};
