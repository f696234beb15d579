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

// Reads only while the line has no LF in the buffer, searching just what each read brings. The
// line's start moves to the buffer's first, so that a line shorter than the buffer ends in it.
bool FileLineSource::FillLine(const char*& lineEnd) {
  DWORD from = at_;  // what is not yet searched for an LF
  for (;;) {
    lineEnd = static_cast<const char*>(std::memchr(buffer_ + from, '\n', filled_ - from));
    if (lineEnd || ended_ || (at_ == 0 && filled_ == sizeof buffer_)) return true;
    std::memmove(buffer_, buffer_ + at_, filled_ - at_);
    filled_ -= at_;
    at_ = 0;
    from = filled_;
    DWORD read = 0;
    if (!ReadFile(file_, buffer_ + filled_, sizeof buffer_ - filled_, &read, nullptr)) return false;
    filled_ += read;
    ended_ = read == 0;
  }
}

LineSource::Read FileLineSource::NextLine(std::string_view& line, bool& whole) {
  const char* lineEnd = nullptr;
  if (!FillLine(lineEnd)) return Read::kError;
  const char* start = buffer_ + at_;
  if (lineEnd) {
    line = std::string_view(start, static_cast<size_t>(lineEnd - start));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    at_ = static_cast<DWORD>(lineEnd + 1 - buffer_);
    whole = true;
    return Read::kLine;
  }
  if (at_ == filled_) return Read::kEnd;
  // A last line without its end is a line all the same, its CR kept.
  line = std::string_view(start, filled_ - at_);
  whole = ended_;
  at_ = filled_;
  return Read::kLine;
}

bool FileLineSource::ReadPiece() {
  DWORD read = 0;
  at_ = filled_ = 0;
  if (!ReadFile(file_, buffer_, sizeof buffer_, &read, nullptr)) return false;
  filled_ = read;
  ended_ = read == 0;
  return true;
}

LineSource::Read FileLineSource::HoldLongLine(std::string_view& part) {
  carried_.Clear();
  for (;;) {
    if (!carried_.Append(part) || !ReadPiece()) return Read::kError;
    const char* lineEnd = static_cast<const char*>(std::memchr(buffer_, '\n', filled_));
    if (!lineEnd) {
      part = std::string_view(buffer_, filled_);
      at_ = filled_;
      if (!ended_) continue;
      part = carried_.View();
      return Read::kLine;
    }
    at_ = static_cast<DWORD>(lineEnd + 1 - buffer_);
    if (!carried_.Append(std::string_view(buffer_, at_ - 1))) return Read::kError;
    part = carried_.View();
    if (!part.empty() && part.back() == '\r') part.remove_suffix(1);
    return Read::kLine;
  }
}

bool FileLineSource::CopyLongLine(LineSink& out, std::string_view part) {
  for (;;) {
    // A CR that ends a piece is the line's end when an LF begins the next: it waits for it.
    const bool cr = !part.empty() && part.back() == '\r';
    if (cr) part.remove_suffix(1);
    if (!part.empty() && !out.WriteLinePart(part, false)) return false;
    if (!ReadPiece()) return false;
    const char* lineEnd = static_cast<const char*>(std::memchr(buffer_, '\n', filled_));
    if (cr && lineEnd != buffer_ && !out.WriteLinePart("\r", false)) return false;
    if (ended_) return out.WriteLinePart({}, true);
    if (lineEnd) {
      at_ = static_cast<DWORD>(lineEnd + 1 - buffer_);
      std::string_view last(buffer_, at_ - 1);
      if (!last.empty() && last.back() == '\r') last.remove_suffix(1);
      return out.WriteLinePart(last, true);
    }
    part = std::string_view(buffer_, filled_);
    at_ = filled_;
  }
}

LineSource::Read FileLineSource::ReadLine(std::string_view& line) {
  bool whole = false;
  const Read read = NextLine(line, whole);
  return read != Read::kLine || whole ? read : HoldLongLine(line);
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
    bool whole = false;
    const Read read = NextLine(line, whole);
    if (read != Read::kLine) return read;
    // A line longer than the full buffer is not the one wanted, which is far shorter.
    if (!whole && wanted.size() + 1 < sizeof buffer_) {
      if (!CopyLongLine(out, line)) return Read::kError;
      continue;
    }
    if (!whole && HoldLongLine(line) != Read::kLine) return Read::kError;
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
    bool whole = false;
    const Read read = NextLine(line, whole);
    if (read == Read::kEnd) return true;
    if (read == Read::kError || !(whole ? out.WriteLine(line) : CopyLongLine(out, line)))
      return false;
  }
}

bool FileLineSink::WriteLine(std::string_view line) {
  return Append(line.data(), line.size()) && Append("\r\n", 2);
}

bool FileLineSink::WriteLines(std::string_view lines) {
  if (!EveryLineEndIsCrLf(lines)) return LineSink::WriteLines(lines);
  return Append(lines.data(), lines.size());
}

bool FileLineSink::WriteLinePart(std::string_view part, bool last) {
  return Append(part.data(), part.size()) && (!last || Append("\r\n", 2));
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
