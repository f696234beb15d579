#include "section_patch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "growing_text.h"

const EntrySetting EntrySettings[kEntrySettingCount] = {
    {"NegotiateMultilinkAlways=", "0"},
    {"BindMsNetClient=", "0"},
    {"PreviewUserPw=", "1"},
    {"ShowDialingProgress=", "1"},
    {"ShowMonitorIconInTaskBar=", "1"},
    {"IpHeaderCompression=", "0"},
    {"IpNameAssign=", "1"},
    {"IpFrameSize=", "0"},
    {"ms_msclient=", "0"},
    {"ConnectBPS=", "115200"},
    {"HwFlowControl=", "0"},
    {"Protocol=", "0"},
    {"Compression=", "0"},
};

namespace {

constexpr size_t kNone = std::string_view::npos;

// The characters of `text` from `start` up to `end` or its end. Unlike substr it has no
// exception to throw, which would bring the C++ library's exception support into the program.
std::string_view Slice(std::string_view text, size_t start, size_t end) {
  end = std::min(end, text.size());
  return start < end ? std::string_view(text.data() + start, end - start) : std::string_view();
}

// Takes from `text` the bytes before its first LF into `before`, and the LF; false, with the
// whole of `text` taken, when it holds none.
bool TakeToLineEnd(std::string_view& text, std::string_view& before) {
  const size_t end = text.find('\n');
  if (end == kNone) {
    before = text;
    text = {};
    return false;
  }
  before = std::string_view(text.data(), end);
  text.remove_prefix(end + 1);
  return true;
}

// The line whose bytes before its LF are `line`: without the CR that belongs to its end.
std::string_view WithoutCr(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

// The setting whose key `line` holds, or null: after leading blanks the line begins with the
// key's text, so a longer key that only ends with it ("IpHeaderCompression=" for "Compression=")
// is another one. Each key ends with its only "=", so no line holds two of them.
const EntrySetting* SettingOf(std::string_view line) {
  const size_t start = line.find_first_not_of(" \t");
  if (start == kNone) return nullptr;
  for (const EntrySetting& setting : EntrySettings) {
    const std::string_view key = setting.key;
    if (Slice(line, start, start + key.size()) == key) return &setting;
  }
  return nullptr;
}

// A line whose first character after leading blanks is "[" begins another section.
bool IsSectionHeader(std::string_view line) {
  const size_t start = line.find_first_not_of(" \t");
  return start != kNone && line[start] == '[';
}

// The setting's line, as the patch writes it; false when it would not fit in `line`.
bool SettingLine(const EntrySetting& setting, char (&line)[64], std::string_view& text) {
  const size_t keyLength = std::strlen(setting.key);
  const size_t valueLength = std::strlen(setting.value);
  if (keyLength + valueLength > sizeof line) return false;
  std::memcpy(line, setting.key, keyLength);
  std::memcpy(line + keyLength, setting.value, valueLength);
  text = std::string_view(line, keyLength + valueLength);
  return true;
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

// Past the last LF in [start, end), or `start` when there is none. The first LF is looked for
// forwards, which is fast on a long line; the last backwards, which is fast on short ones.
const char* AfterLastLineEnd(const char* start, const char* end) {
  if (start == end || !std::memchr(start, '\n', end - start)) return start;
  while (end[-1] != '\n') --end;
  return end;
}

// What a read of the phonebook gives.
enum class Got {
  kLines,  // whole lines, each ending with LF; the first may end a line that came in parts
  kPart,   // bytes with no LF: a part of a line longer than a piece, or of the last line
  kEnd,
  kError,
};

// The phonebook, read a piece at a time. The lines of a piece go out together, and a line that
// fills a whole piece goes out in parts.
class PhonebookReader {
 public:
  PhonebookReader(HANDLE file, size_t piece) : file_(file), piece_(piece) {}

  // The next bytes, valid until the next call and never empty.
  Got Next(std::string_view& run) {
    for (;;) {
      const char* start = buffer_ + at_;
      const char* stop = AfterLastLineEnd(start, buffer_ + filled_);
      if (stop == start && (ended_ || (at_ == 0 && filled_ == piece_))) stop = buffer_ + filled_;
      if (stop != start) {
        run = std::string_view(start, static_cast<size_t>(stop - start));
        at_ = static_cast<size_t>(stop - buffer_);
        return run.back() == '\n' ? Got::kLines : Got::kPart;
      }
      if (ended_) return Got::kEnd;
      if (!ReadOn()) return Got::kError;
    }
  }

 private:
  // Moves what is not handed out to the buffer's start and reads on behind it. Called only while
  // what is held has no LF, so that the lines of one piece go out together.
  bool ReadOn() {
    std::memmove(buffer_, buffer_ + at_, filled_ - at_);
    filled_ -= at_;
    at_ = 0;
    DWORD read = 0;
    if (!ReadFile(file_, buffer_ + filled_, static_cast<DWORD>(piece_ - filled_), &read, nullptr))
      return false;
    filled_ += read;
    ended_ = read == 0;
    return true;
  }

  HANDLE file_;
  size_t piece_;
  char buffer_[kPhonebookPiece];
  size_t filled_ = 0;
  size_t at_ = 0;  // what is handed out ends here
  bool ended_ = false;
};

// The copy, written a piece at a time, each write but the last a whole piece. Without a file it
// takes everything and keeps nothing, for a pass that only reads.
class CopyWriter {
 public:
  CopyWriter(HANDLE file, size_t piece) : file_(file), piece_(piece) {}

  bool Copying() const { return file_ != nullptr; }

  bool Write(std::string_view bytes) {
    if (!Copying()) return true;
    while (!bytes.empty()) {
      if (filled_ == piece_ && !WritePending()) return false;
      // A whole piece with nothing before it goes out from where it lies: a long line is then
      // read and written without being copied in between.
      if (filled_ == 0 && bytes.size() >= piece_) {
        if (!WriteOut(bytes.data(), piece_)) return false;
        bytes.remove_prefix(piece_);
        continue;
      }
      const size_t part = std::min(bytes.size(), piece_ - filled_);
      std::memcpy(pending_ + filled_, bytes.data(), part);
      filled_ += part;
      bytes.remove_prefix(part);
    }
    return true;
  }

  // `line` followed by CR LF.
  bool WriteLine(std::string_view line) { return (line.empty() || Write(line)) && Write("\r\n"); }

  // Whole lines: `lines` ends with LF, and a CR right before an LF belongs to the line's end. Text
  // whose ends are all CR LF already goes out as it stands, without being taken apart.
  bool WriteLines(std::string_view lines) {
    if (!Copying()) return true;
    if (EveryLineEndIsCrLf(lines)) return Write(lines);
    while (!lines.empty()) {
      std::string_view line;
      TakeToLineEnd(lines, line);
      if (!WriteLine(WithoutCr(line))) return false;
    }
    return true;
  }

  // Writes what is left and flushes the copy to disk: only then is it complete.
  bool Finish() { return WritePending() && FlushFileBuffers(file_); }

 private:
  bool WritePending() {
    const bool written = WriteOut(pending_, filled_);
    filled_ = 0;
    return written;
  }

  // All of `size` bytes, in as many writes as the file takes; a write that moves nothing fails.
  bool WriteOut(const char* bytes, size_t size) {
    size_t at = 0;
    bool written = true;
    while (written && at < size) {
      DWORD wrote = 0;
      written = WriteFile(file_, bytes + at, static_cast<DWORD>(size - at), &wrote, nullptr) &&
                wrote != 0;
      at += wrote;
    }
    return written;
  }

  HANDLE file_;
  size_t piece_;
  char pending_[kPhonebookPiece];
  size_t filled_ = 0;
};

// One pass over the phonebook, from its first line to its last, each line written to the copy as
// it is read: the setting's line in place of a line of the section that holds its key, wherever it
// stands and however often (an entry with two links has two device blocks, and a section written
// by hand need not keep the service's order). Most of a phonebook lies outside the section: there
// the lines of a piece go on together, and a line longer than a piece part by part, so that it
// costs no memory. A pass without a copy ends with the section.
class SectionPass {
 public:
  SectionPass(HANDLE phonebook, HANDLE copy, std::string_view entryName, size_t piece,
              SectionSettings& seen)
      : in_(phonebook, piece), out_(copy, piece), entryName_(entryName), seen_(seen) {}

  // False when the phonebook could not be read or the copy written, or when the section ended
  // with nothing set, which leaves the copy nothing to be made for.
  bool Run() {
    for (;;) {
      std::string_view run;
      const Got got = in_.Next(run);
      if (got == Got::kError) return false;
      if (got == Got::kEnd) return EndLastLine();
      if (got == Got::kPart) {
        if (!TakePart(run)) return false;
        continue;
      }
      if (open_ != Open::kNone) {
        std::string_view end;
        TakeToLineEnd(run, end);
        if (!EndOpenLine(end)) return false;
      }
      if (!TakeLines(run)) return false;
      if (place_ == Place::kAfter && !out_.Copying()) return true;
    }
  }

  bool SetAny() const { return set_ > 0; }
  bool Finish() { return out_.Finish(); }

 private:
  enum class Place { kBefore, kIn, kAfter };      // the section
  enum class Open { kNone, kGathered, kPassed };  // a line that came in parts, not yet ended

  bool IsHeader(std::string_view line) const {
    return line.size() == entryName_.size() + 2 && line.front() == '[' && line.back() == ']' &&
           std::string_view(line.data() + 1, entryName_.size()) == entryName_;
  }

  // Where the entry's header stands whole in `lines`, which begin a line and end with LF; kNone
  // when it is not there.
  size_t FindHeader(std::string_view lines) const {
    const char* start = lines.data();
    const char* end = start + lines.size();
    for (const char* from = start; from < end;) {
      const char* first = static_cast<const char*>(std::memchr(from, '[', end - from));
      if (!first) return kNone;
      from = first + 1;
      if (first != start && first[-1] != '\n') continue;
      std::string_view rest(first, static_cast<size_t>(end - first));
      std::string_view line;
      TakeToLineEnd(rest, line);
      if (IsHeader(WithoutCr(line))) return static_cast<size_t>(first - start);
    }
    return kNone;
  }

  // Whole lines, each ending with LF.
  bool TakeLines(std::string_view lines) {
    while (!lines.empty()) {
      if (place_ == Place::kAfter) return out_.WriteLines(lines);
      if (place_ == Place::kBefore) {
        const size_t header = FindHeader(lines);
        if (header == kNone) return out_.WriteLines(lines);
        if (!out_.WriteLines(Slice(lines, 0, header))) return false;
        lines.remove_prefix(header);
      }
      std::string_view line;
      TakeToLineEnd(lines, line);
      if (!TakeLine(WithoutCr(line))) return false;
    }
    return true;
  }

  // One line without its end.
  bool TakeLine(std::string_view line) {
    if (place_ != Place::kIn) {
      if (place_ == Place::kBefore && IsHeader(line)) {
        place_ = Place::kIn;
        seen_.found = true;
      }
      return out_.WriteLine(line);
    }
    if (IsSectionHeader(line)) {
      place_ = Place::kAfter;
      return !(out_.Copying() && set_ == 0) && out_.WriteLine(line);
    }
    const EntrySetting* setting = SettingOf(line);
    if (!setting) return out_.WriteLine(line);
    char buffer[64];
    std::string_view text;
    if (!SettingLine(*setting, buffer, text)) return false;
    const size_t index = static_cast<size_t>(setting - EntrySettings);
    seen_.stands[index] = true;
    // The patch puts the setting's line in place of the whole line, blanks and all.
    if (line != text) seen_.differs[index] = true;
    ++set_;
    return out_.WriteLine(text);
  }

  // A part of a line. The line is gathered whole where it must be looked at whole: in the section,
  // and before it while it is short enough to be the header. Else it is passed on part by part.
  bool TakePart(std::string_view part) {
    if (open_ == Open::kNone) {
      gathered_.Clear();
      open_ = Open::kGathered;
      heldCr_ = false;
    }
    if (open_ == Open::kGathered) {
      const size_t limit = place_ == Place::kIn       ? SIZE_MAX
                           : place_ == Place::kBefore ? entryName_.size() + 3  // with a CR
                                                      : 0;
      if (part.size() <= limit - gathered_.View().size()) return gathered_.Append(part);
      // A CR that ends what is gathered is the line's own: this part follows it.
      if (!out_.Write(gathered_.View())) return false;
      open_ = Open::kPassed;
    }
    // A CR that ends a part is the line's end when an LF begins the next run: it waits for it.
    if (heldCr_ && !out_.Write("\r")) return false;
    heldCr_ = part.back() == '\r';
    if (heldCr_) part.remove_suffix(1);
    return part.empty() || out_.Write(part);
  }

  // The open line's bytes before the LF that ends it.
  bool EndOpenLine(std::string_view end) {
    const Open open = open_;
    open_ = Open::kNone;
    if (open == Open::kGathered) {
      // A CR that ended the part before belongs to the line's end as well as one right before LF.
      return gathered_.Append(end) && TakeLine(WithoutCr(gathered_.View()));
    }
    if (heldCr_ && !end.empty() && !out_.Write("\r")) return false;
    return out_.WriteLine(WithoutCr(end));
  }

  // The end of the phonebook: an open line is the last one, its CR kept.
  bool EndLastLine() {
    const Open open = open_;
    open_ = Open::kNone;
    if (open == Open::kGathered) return TakeLine(gathered_.View());
    if (open == Open::kPassed) return (!heldCr_ || out_.Write("\r")) && out_.Write("\r\n");
    return true;
  }

  PhonebookReader in_;
  CopyWriter out_;
  std::string_view entryName_;
  SectionSettings& seen_;
  Place place_ = Place::kBefore;
  int set_ = 0;  // lines set
  Open open_ = Open::kNone;
  GrowingText gathered_;  // the open line, when gathered
  bool heldCr_ = false;   // the open line's last part, when passed on, ended with a CR
};

}  // namespace

bool CopyPatched(HANDLE phonebook, HANDLE copy, std::string_view entryName, size_t piece) {
  SectionSettings seen;
  SectionPass pass(phonebook, copy, entryName, std::clamp(piece, size_t{1}, kPhonebookPiece), seen);
  return pass.Run() && pass.SetAny() && pass.Finish();
}

bool SectionSettings::AsPatched() const {
  bool any = false;
  for (int i = 0; i < kEntrySettingCount; ++i) {
    if (differs[i]) return false;
    any = any || stands[i];
  }
  return found && any;
}

bool ReadEntrySection(HANDLE phonebook, std::string_view entryName, SectionSettings& settings) {
  settings = SectionSettings();
  SectionPass pass(phonebook, nullptr, entryName, kPhonebookPiece, settings);
  return pass.Run();
}
