#include "phonebook_files.h"

#include <cstring>

namespace {

// The first "[" that begins a line in [from, end), where `from` is past a line's first character.
const char* FindHeaderStart(const char* from, const char* end) {
  while (from < end) {
    const char* bracket = static_cast<const char*>(std::memchr(from, '[', end - from));
    if (!bracket) return nullptr;
    if (bracket[-1] == '\n') return bracket;
    from = bracket + 1;
  }
  return nullptr;
}

// Whether every LF in `lines`, which begins a line, has a CR right before it. Written without
// an early exit so that the compiler can check many characters at once.
bool EveryLineEndIsCrLf(std::string_view lines) {
  if (lines.empty()) return true;
  unsigned char bare = lines[0] == '\n';
  for (size_t i = 1; i < lines.size(); ++i)
    bare |= static_cast<unsigned char>((lines[i] == '\n') & (lines[i - 1] != '\r'));
  return bare == 0;
}

}  // namespace

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

LineSource::Read FileLineSource::CopyToNextHeader(LineSink& out, std::string_view& header) {
  for (;;) {
    // The whole lines in what is already read, up to a header or to the last line end.
    const char* start = buffer_ + at_;
    const char* end = buffer_ + filled_;
    const char* stop = start;
    if (start < end && *start != '[') {
      stop = FindHeaderStart(start + 1, end);
      if (!stop)
        for (stop = end; stop > start && stop[-1] != '\n';) --stop;
    }
    if (stop != start) {
      if (!out.WriteLines(std::string_view(start, stop - start))) return Read::kError;
      at_ += static_cast<DWORD>(stop - start);
      continue;
    }
    // The next line is a header, runs over the end of what is read, or is not read yet.
    const Read read = ReadLine(header);
    if (read != Read::kLine || (!header.empty() && header.front() == '[')) return read;
    if (!out.WriteLine(header)) return Read::kError;
  }
}

bool FileLineSink::WriteLine(std::string_view line) {
  return Append(line.data(), line.size()) && Append("\r\n", 2);
}

bool FileLineSink::WriteLines(std::string_view lines) {
  if (!EveryLineEndIsCrLf(lines)) return LineSink::WriteLines(lines);
  return Append(lines.data(), lines.size());
}

bool FileLineSink::Append(const char* data, size_t size) {
  if (filled_ + size > sizeof pending_) {
    if (!WritePending()) return false;
    // Text longer than the whole buffer goes out on its own.
    if (size > sizeof pending_) return WriteAll(data, size);
  }
  std::memcpy(pending_ + filled_, data, size);
  filled_ += size;
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
