#include "phonebook_files.h"

#include <algorithm>
#include <cstring>

namespace {

// Where the line `wanted` (not empty) stands whole in [start, end), `start` being a line's start:
// its first character, with `next` set past its line end; null when it is not there.
const char* FindLine(const char* start, const char* end, std::string_view wanted,
                     const char*& next) {
  for (const char* from = start; from < end;) {
    const char* first = static_cast<const char*>(std::memchr(from, wanted.front(), end - from));
    if (!first) return nullptr;
    from = first + 1;
    if (first != start && first[-1] != '\n') continue;
    const char* lineEnd = static_cast<const char*>(std::memchr(first, '\n', end - first));
    if (!lineEnd) return nullptr;  // the rest runs past what is read
    std::string_view line(first, static_cast<size_t>(lineEnd - first));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line != wanted) continue;
    next = lineEnd + 1;
    return first;
  }
  return nullptr;
}

// Past the last LF in [start, end), or `start` when there is none.
const char* AfterLastLineEnd(const char* start, const char* end) {
  while (end > start && end[-1] != '\n') --end;
  return end;
}

// Whether every LF in `lines`, which begins a line, has a CR right before it. Written without
// an early exit so that the compiler can check many characters at once.
bool EveryLineEndIsCrLf(std::string_view lines) {
  if (lines.empty()) return true;
  unsigned char bare = lines[0] == '\n';
  for (size_t i = 1; i < lines.size(); ++i)
    bare |= static_cast<unsigned char>(static_cast<unsigned char>(lines[i] == '\n') &
                                       static_cast<unsigned char>(lines[i - 1] != '\r'));
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
      if (!partial) carried_.Clear();
      if (!carried_.Append(std::string_view(start, filled_ - at_))) return Read::kError;
      partial = true;
      at_ = filled_;
      continue;
    }
    const DWORD length = static_cast<DWORD>(static_cast<const char*>(end) - start);
    at_ += length + 1;
    if (partial) {
      if (!carried_.Append(std::string_view(start, length))) return Read::kError;
      line = carried_.View();
    } else {
      line = std::string_view(start, length);  // the common case: no copy at all
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return Read::kLine;
  }
  // A last line without its end is a line all the same.
  if (!partial) return Read::kEnd;
  line = carried_.View();
  return Read::kLine;
}

bool FileLineSource::PassOn(LineSink& out, const char* stop) {
  const char* start = buffer_ + at_;
  at_ = static_cast<DWORD>(stop - buffer_);
  return stop == start || out.WriteLines(std::string_view(start, stop - start));
}

LineSource::Read FileLineSource::CopyThroughLine(LineSink& out, std::string_view wanted) {
  for (;;) {
    const char* start = buffer_ + at_;
    const char* end = buffer_ + filled_;
    const char* next = nullptr;
    if (const char* found = FindLine(start, end, wanted, next)) {
      if (!PassOn(out, found) || !out.WriteLine(wanted)) return Read::kError;
      at_ = static_cast<DWORD>(next - buffer_);
      return Read::kLine;
    }
    const char* stop = AfterLastLineEnd(start, end);
    if (stop != start) {
      if (!PassOn(out, stop)) return Read::kError;
      continue;
    }
    // The next line runs over the end of what is read, or nothing is read yet.
    std::string_view line;
    const Read read = ReadLine(line);
    if (read != Read::kLine) return read;
    if (!out.WriteLine(line)) return Read::kError;
    if (line == wanted) return Read::kLine;
  }
}

bool FileLineSource::CopyRest(LineSink& out) {
  for (;;) {
    const char* start = buffer_ + at_;
    const char* stop = AfterLastLineEnd(start, buffer_ + filled_);
    if (stop != start) {
      if (!PassOn(out, stop)) return false;
      continue;
    }
    std::string_view line;
    const Read read = ReadLine(line);
    if (read == Read::kEnd) return true;
    if (read == Read::kError || !out.WriteLine(line)) return false;
  }
}

bool FileLineSink::WriteLine(std::string_view line) {
  return Append(line.data(), line.size()) && Append("\r\n", 2);
}

bool FileLineSink::WriteLines(std::string_view lines) {
  if (!EveryLineEndIsCrLf(lines)) return LineSink::WriteLines(lines);
  return Append(lines.data(), lines.size());
}

// Fills the buffer to the brim before each write, so that every write but the last is whole.
bool FileLineSink::Append(const char* data, size_t size) {
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

bool CopyPatched(HANDLE phonebook, HANDLE copy, std::string_view entryName) {
  FileLineSource in(phonebook);
  FileLineSink out(copy);
  return PatchEntrySection(in, out, entryName) && out.Finish();
}
