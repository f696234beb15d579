#include "phonebook_files.h"

#include <cstring>

LineSource::Read FileLineSource::ReadLine(std::string_view& line) {
  bool partial = false;  // part of the line came from an earlier piece of the file
  for (;;) {
    if (at_ == filled_) {
      if (ended_) break;
      DWORD read = 0;
      if (!ReadFile(file_, buffer_, sizeof buffer_, &read, nullptr)) return Read::kError;
      filled_ = read;
      at_ = 0;
      if (read == 0) {
        ended_ = true;
        break;
      }
    }
    const char* start = buffer_ + at_;
    const void* end = std::memchr(start, '\n', filled_ - at_);
    if (!end) {
      if (!partial) carried_.clear();
      carried_.append(start, filled_ - at_);
      partial = true;
      at_ = filled_;
      continue;
    }
    const DWORD length = static_cast<DWORD>(static_cast<const char*>(end) - start);
    at_ += length + 1;
    if (partial) {
      carried_.append(start, length);
      line = carried_;
    } else {
      line = std::string_view(start, length);  // the common case: no copy at all
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return Read::kLine;
  }
  // A last line without its end is a line all the same.
  if (!partial) return Read::kEnd;
  line = carried_;
  return Read::kLine;
}

bool FileLineSink::WriteLine(std::string_view line) {
  if (filled_ + line.size() + 2 > sizeof pending_) {
    if (!WritePending()) return false;
    // A line longer than the whole buffer goes out on its own.
    if (line.size() + 2 > sizeof pending_)
      return WriteAll(line.data(), line.size()) && WriteAll("\r\n", 2);
  }
  std::memcpy(pending_ + filled_, line.data(), line.size());
  filled_ += line.size();
  pending_[filled_++] = '\r';
  pending_[filled_++] = '\n';
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
