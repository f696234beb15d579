#include "phonebook_files.h"

#include <cstring>

LineSource::Read FileLineSource::ReadLine(std::string& line) {
  line.clear();
  bool any = false;
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
    any = true;
    const char* start = buffer_ + at_;
    const void* end = std::memchr(start, '\n', filled_ - at_);
    if (!end) {
      line.append(start, filled_ - at_);
      at_ = filled_;
      continue;
    }
    const DWORD length = static_cast<DWORD>(static_cast<const char*>(end) - start);
    line.append(start, length);
    at_ += length + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return Read::kLine;
  }
  // A last line without its end is a line all the same.
  return any ? Read::kLine : Read::kEnd;
}

bool FileLineSink::WriteLine(std::string_view line) {
  pending_.append(line.data(), line.size());
  pending_ += "\r\n";
  return pending_.size() < 64 * 1024 || WritePending();
}

bool FileLineSink::WritePending() {
  size_t at = 0;
  while (at < pending_.size()) {
    DWORD written = 0;
    if (!WriteFile(file_, pending_.data() + at, static_cast<DWORD>(pending_.size() - at), &written,
                   nullptr) ||
        written == 0)
      return false;
    at += written;
  }
  pending_.clear();
  return true;
}

bool FileLineSink::Finish() {
  return WritePending() && FlushFileBuffers(file_);
}
