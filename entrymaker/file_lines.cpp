#include "file_lines.h"

#include <algorithm>
#include <cstring>

namespace {

// Past the last LF in [start, end), or `start` when there is none. The first LF is looked for
// forwards, which is fast on a long line; the last backwards, which is fast on short ones.
const char* AfterLastLineEnd(const char* start, const char* end) {
  const char* first = static_cast<const char*>(std::memchr(start, '\n', end - start));
  if (!first) return start;
  while (end[-1] != '\n') --end;
  return end;
}

}  // namespace

bool FileLineSource::ReadOn() {
  std::memmove(buffer_, buffer_ + at_, filled_ - at_);
  filled_ -= at_;
  at_ = 0;
  DWORD read = 0;
  if (!ReadFile(file_, buffer_ + filled_, sizeof buffer_ - filled_, &read, nullptr)) return false;
  filled_ += read;
  ended_ = read == 0;
  return true;
}

// Reads only while what is held has no LF, so that the lines of one piece go out together.
LineSource::Read FileLineSource::NextRun(std::string_view& run) {
  for (;;) {
    const char* start = buffer_ + at_;
    const char* stop = AfterLastLineEnd(start, buffer_ + filled_);
    // A line that fills the whole buffer, or the last one, goes out without its end.
    if (stop == start && (ended_ || (at_ == 0 && filled_ == sizeof buffer_)))
      stop = buffer_ + filled_;
    if (stop != start) {
      run = std::string_view(start, static_cast<size_t>(stop - start));
      at_ = static_cast<DWORD>(stop - buffer_);
      return Read::kLine;
    }
    if (ended_) return Read::kEnd;
    if (!ReadOn()) return Read::kError;
  }
}

// Fills the buffer to the brim before each write, so that every write but the last is whole.
bool FileLineSink::Write(std::string_view bytes) {
  const char* data = bytes.data();
  size_t size = bytes.size();
  while (size > 0) {
    if (filled_ == sizeof pending_ && !WritePending()) return false;
    const size_t part = std::min(size, sizeof pending_ - filled_);
    std::memcpy(pending_ + filled_, data, part);
    filled_ += part;
    data += part;
    size -= part;
  }
  return true;
}

bool FileLineSink::WriteAll(const char* data, size_t size) {
  size_t at = 0;
  while (at < size) {
    DWORD written = 0;
    if (!WriteFile(file_, data + at, static_cast<DWORD>(size - at), &written, nullptr) ||
        written == 0)
      return false;
    at += written;
  }
  return true;
}

bool FileLineSink::WritePending() {
  const bool written = WriteAll(pending_, filled_);
  filled_ = 0;
  return written;
}

bool FileLineSink::Finish() {
  return WritePending() && FlushFileBuffers(file_);
}
