// Where a line ends: at LF, with a CR right before the LF belonging to the end.
#pragma once

#include <string_view>

// Takes from `text` the bytes before its first LF into `before`, and the LF; false, with the
// whole of `text` taken, when it holds none.
inline bool TakeToLineEnd(std::string_view& text, std::string_view& before) {
  const size_t end = text.find('\n');
  if (end == std::string_view::npos) {
    before = text;
    text = {};
    return false;
  }
  before = std::string_view(text.data(), end);
  text.remove_prefix(end + 1);
  return true;
}

// The line whose bytes before its LF are `line`: without the CR that belongs to its end.
inline std::string_view WithoutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}
