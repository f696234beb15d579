// Lines kept in memory, for tests of the patch apart from any file.
#pragma once

#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "section_patch.h"

// Lines from a text: a line ends at LF, a CR right before it belongs to the end; the last line
// needs no end. Each read hands out one line with its end; or, with a `hold`, as many lines as
// fit in it, a longer line in parts of that size, as a source that holds no more would.
// `failAt` makes that read (0-based) fail.
class TextSource : public LineSource {
 public:
  explicit TextSource(std::string text, int failAt = -1, size_t hold = 0)
      : text_(std::move(text)), failAt_(failAt), hold_(hold) {}

 private:
  Read NextRun(std::string_view& run) override {
    if (read_++ == failAt_) return Read::kError;
    if (at_ >= text_.size()) return Read::kEnd;
    size_t next = PastLine(at_);
    if (hold_ > 0 && next - at_ > hold_) {
      next = at_ + hold_;
    } else if (hold_ > 0) {
      // Only lines with their LF go together: the last one without goes alone.
      while (text_[next - 1] == '\n' && next < text_.size() && PastLine(next) - at_ <= hold_ &&
             text_[PastLine(next) - 1] == '\n')
        next = PastLine(next);
    }
    // A copy of its own, so that a run used after the next read no longer holds its bytes.
    run_ = text_.substr(at_, next - at_);
    at_ = next;
    run = run_;
    return Read::kLine;
  }
  size_t PastLine(size_t from) const {
    const size_t end = text_.find('\n', from);
    return end == std::string::npos ? text_.size() : end + 1;
  }

  std::string text_;
  std::string run_;
  size_t at_ = 0;
  int read_ = 0;
  int failAt_;
  size_t hold_;
};

// The copy's bytes. `failAt` makes the write that ends that line (0-based) fail.
class TextSink : public LineSink {
 public:
  explicit TextSink(int failAt = -1) : failAt_(failAt) {}
  bool Write(std::string_view bytes) override {
    // Only the one write fails: a patch that went on past it is caught.
    const int ends = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n'));
    const bool fails = failAt_ >= written_ && failAt_ < written_ + ends;
    written_ += ends;
    if (fails) return false;
    text.append(bytes);
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
