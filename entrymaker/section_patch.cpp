#include "section_patch.h"

#include <algorithm>
#include <cstring>

#include "entry_settings.h"
#include "growing_text.h"

namespace {

constexpr size_t kNone = std::string_view::npos;

// The characters of `text` from `start` up to `end` or its end. Unlike substr it has no
// exception to throw, which would bring the C++ library's exception support into the program.
std::string_view Slice(std::string_view text, size_t start, size_t end) {
  end = std::min(end, text.size());
  return start < end ? std::string_view(text.data() + start, end - start) : std::string_view();
}

// Whether `line` is the setting `key`: after leading blanks it begins with the key's text, so a
// longer key that only ends with it ("IpHeaderCompression=" for "Compression=") is another one.
bool HoldsKey(std::string_view line, std::string_view key) {
  const size_t start = line.find_first_not_of(" \t");
  return start != kNone && Slice(line, start, start + key.size()) == key;
}

bool IsSectionHeader(std::string_view line) {
  return !line.empty() && line.front() == '[';
}

// Copies lines through the entry's header line; false when the input ends or fails first.
bool CopyThroughSectionHeader(LineSource& in, LineSink& out, std::string_view entryName) {
  GrowingText header;
  if (!header.Append("[") || !header.Append(entryName) || !header.Append("]")) return false;
  return in.CopyThroughLine(out, header.View()) == LineSource::Read::kLine;
}

// The section's lines are kept one after another, each followed by an LF, which no line holds.
// Finds the first line at or after `from` that holds the setting's key, gives where it starts in
// `line` so that the setting replaces it, and moves `from` past it; false, with `from` as it
// was, when no such line is left.
bool ReplaceNextSetting(std::string_view section, size_t& from, size_t& line,
                        const EntrySetting& setting) {
  for (size_t start = from; start < section.size();) {
    const size_t end = section.find('\n', start);
    if (HoldsKey(Slice(section, start, end), setting.key)) {
      line = start;
      from = end + 1;
      return true;
    }
    start = end + 1;
  }
  return false;
}

bool WriteSetting(LineSink& out, const EntrySetting& setting) {
  char line[64];
  const size_t keyLength = std::strlen(setting.key);
  const size_t valueLength = std::strlen(setting.value);
  if (keyLength + valueLength > sizeof line) return false;
  std::memcpy(line, setting.key, keyLength);
  std::memcpy(line + keyLength, setting.value, valueLength);
  return out.WriteLine(std::string_view(line, keyLength + valueLength));
}

}  // namespace

bool LineSink::WriteLines(std::string_view lines) {
  while (!lines.empty()) {
    const size_t end = lines.find('\n');
    std::string_view line = Slice(lines, 0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!WriteLine(line)) return false;
    lines.remove_prefix(end == std::string_view::npos ? lines.size() : end + 1);
  }
  return true;
}

LineSource::Read LineSource::CopyThroughLine(LineSink& out, std::string_view wanted) {
  for (;;) {
    std::string_view line;
    const Read read = ReadLine(line);
    if (read != Read::kLine) return read;
    if (!out.WriteLine(line)) return Read::kError;
    if (line == wanted) return Read::kLine;
  }
}

bool LineSource::CopyRest(LineSink& out) {
  for (;;) {
    std::string_view line;
    const Read read = ReadLine(line);
    if (read == Read::kEnd) return true;
    if (read == Read::kError || !out.WriteLine(line)) return false;
  }
}

bool PatchEntrySection(LineSource& in, LineSink& out, std::string_view entryName) {
  if (!CopyThroughSectionHeader(in, out, entryName)) return false;

  // The section runs to the next header or the end of the file.
  GrowingText section;
  GrowingText next;
  bool haveNext = false;
  for (;;) {
    std::string_view line;
    const LineSource::Read read = in.ReadLine(line);
    if (read == LineSource::Read::kError) return false;
    if (read == LineSource::Read::kEnd) break;
    if (IsSectionHeader(line)) {
      if (!next.Append(line)) return false;
      haveNext = true;
      break;
    }
    if (!section.Append(line) || !section.Append("\n")) return false;
  }

  // Each key after the line of the one found before it; a missing key leaves the place where the
  // next search starts as it was. Each line is replaced by one setting at most.
  const std::string_view lines = section.View();
  size_t replacedLine[kEntrySettingCount];
  size_t from = 0;
  int replaced = 0;
  for (int i = 0; i < kEntrySettingCount; ++i) {
    replacedLine[i] = kNone;
    if (ReplaceNextSetting(lines, from, replacedLine[i], EntrySettings[i])) ++replaced;
  }
  if (replaced == 0) return false;

  for (size_t start = 0; start < lines.size();) {
    const size_t end = lines.find('\n', start);
    const size_t* setting = std::find(replacedLine, replacedLine + kEntrySettingCount, start);
    const bool written = setting != replacedLine + kEntrySettingCount
                             ? WriteSetting(out, EntrySettings[setting - replacedLine])
                             : out.WriteLine(Slice(lines, start, end));
    if (!written) return false;
    start = end + 1;
  }
  if (haveNext && !out.WriteLine(next.View())) return false;
  return in.CopyRest(out);
}
