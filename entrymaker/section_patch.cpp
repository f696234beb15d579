#include "section_patch.h"

#include <vector>

#include "entry_settings.h"

namespace {

// Whether `line` is the setting `key`: after leading blanks it begins with the key's text, so a
// longer key that only ends with it ("IpHeaderCompression=" for "Compression=") is another one.
bool HoldsKey(std::string_view line, std::string_view key) {
  const size_t start = line.find_first_not_of(" \t");
  return start != std::string_view::npos && line.substr(start, key.size()) == key;
}

bool IsSectionHeader(std::string_view line) {
  return !line.empty() && line.front() == '[';
}

// Copies lines through the entry's header line; false when the input ends or fails first.
bool CopyThroughSectionHeader(LineSource& in, LineSink& out, std::string_view entryName) {
  const std::string header = "[" + std::string(entryName) + "]";
  return in.CopyThroughLine(out, header) == LineSource::Read::kLine;
}

// Replaces the first line at or after `from` that holds the setting's key with the setting, and
// moves `from` past it; false, with `from` as it was, when no such line is left.
bool ReplaceNextSetting(std::vector<std::string>& section, size_t& from,
                        const EntrySetting& setting) {
  for (size_t i = from; i < section.size(); ++i) {
    if (!HoldsKey(section[i], setting.key)) continue;
    section[i] = std::string(setting.key) + setting.value;
    from = i + 1;
    return true;
  }
  return false;
}

}  // namespace

bool LineSink::WriteLines(std::string_view lines) {
  while (!lines.empty()) {
    const size_t end = lines.find('\n');
    std::string_view line = lines.substr(0, end);
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
  std::vector<std::string> section;
  std::string next;
  bool haveNext = false;
  for (;;) {
    std::string_view line;
    const LineSource::Read read = in.ReadLine(line);
    if (read == LineSource::Read::kError) return false;
    if (read == LineSource::Read::kEnd) break;
    if (IsSectionHeader(line)) {
      next = line;
      haveNext = true;
      break;
    }
    section.emplace_back(line);
  }

  // Each key after the line of the one found before it; a missing key leaves the place where the
  // next search starts as it was.
  size_t from = 0;
  int replaced = 0;
  for (const EntrySetting& setting : EntrySettings)
    if (ReplaceNextSetting(section, from, setting)) ++replaced;
  if (replaced == 0) return false;

  for (const std::string& line : section)
    if (!out.WriteLine(line)) return false;
  if (haveNext && !out.WriteLine(next)) return false;
  return in.CopyRest(out);
}
