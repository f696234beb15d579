// Lines kept in memory, for tests of the patch apart from any file.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "section_patch.h"

// Lines from a text: a line ends at LF, a CR right before it belongs to the end; the last line
// needs no end. `failAt` makes the read of that line (0-based) fail.
class TextSource : public LineSource {
 public:
  explicit TextSource(std::string text, int failAt = -1)
      : text_(std::move(text)), failAt_(failAt) {}
  Read ReadLine(std::string_view& view) override {
    if (read_++ == failAt_) return Read::kError;
    if (at_ >= text_.size()) return Read::kEnd;
    size_t end = text_.find('\n', at_);
    const size_t next = end == std::string::npos ? text_.size() : end + 1;
    if (end == std::string::npos) end = text_.size();
    line_ = text_.substr(at_, end - at_);
    if (end < text_.size() && !line_.empty() && line_.back() == '\r') line_.pop_back();
    at_ = next;
    view = line_;
    return Read::kLine;
  }

 private:
  std::string text_;
  std::string line_;
  size_t at_ = 0;
  int read_ = 0;
  int failAt_;
};

class TextSink : public LineSink {
 public:
  explicit TextSink(int failAt = -1) : failAt_(failAt) {}
  bool WriteLine(std::string_view line) override {
    if (written_++ == failAt_) return false;
    text += std::string(line) + "\r\n";
    return true;
  }
  std::string text;

 private:
  int written_ = 0;
  int failAt_;
};

// The patch of "GPRS Connection" line by line in memory: the copy, or none when it fails.
inline std::optional<std::string> PatchText(const std::string& phonebook) {
  TextSource in(phonebook);
  TextSink out;
  if (!PatchEntrySection(in, out, "GPRS Connection")) return std::nullopt;
  return out.text;
}
