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

// Takes the lines that lead up to the section, to look at none of them.
class NoSink : public LineSink {
 public:
  bool Write(std::string_view) override { return true; }
};

// A line whose first character after leading blanks is "[" begins another section.
bool IsSectionHeader(std::string_view line) {
  const size_t start = line.find_first_not_of(" \t");
  return start != kNone && line[start] == '[';
}

// Copies lines through the entry's header line: kLine when it was found.
LineSource::Read CopyThroughSectionHeader(LineSource& in, LineSink& out,
                                          std::string_view entryName) {
  GrowingText header;
  if (!header.Append("[") || !header.Append(entryName) || !header.Append("]"))
    return LineSource::Read::kError;
  return in.CopyThroughLine(out, header.View());
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

bool WriteSetting(LineSink& out, const EntrySetting& setting) {
  char line[64];
  std::string_view text;
  return SettingLine(setting, line, text) && out.WriteLine(text);
}

}  // namespace

bool PatchEntrySection(LineSource& in, LineSink& out, std::string_view entryName) {
  if (CopyThroughSectionHeader(in, out, entryName) != LineSource::Read::kLine) return false;

  // Each line of the section is passed on as it is read, the setting in place of a line that
  // holds its key, wherever it stands and however often: an entry with two links has two device
  // blocks, and a section written by hand need not keep the service's order. The section runs to
  // the next header or the end of the file.
  int set = 0;
  for (;;) {
    std::string_view line;
    const LineSource::Read read = in.ReadLine(line);
    if (read == LineSource::Read::kError) return false;
    if (read == LineSource::Read::kEnd) return set > 0;
    if (IsSectionHeader(line)) {
      if (set == 0 || !out.WriteLine(line)) return false;
      break;
    }
    const EntrySetting* setting = SettingOf(line);
    if (!(setting ? WriteSetting(out, *setting) : out.WriteLine(line))) return false;
    if (setting) ++set;
  }
  return in.CopyRest(out);
}

bool SectionSettings::AsPatched() const {
  bool any = false;
  for (int i = 0; i < kEntrySettingCount; ++i) {
    if (differs[i]) return false;
    any = any || stands[i];
  }
  return found && any;
}

bool ReadEntrySection(LineSource& in, std::string_view entryName, SectionSettings& settings) {
  settings = SectionSettings();
  NoSink before;
  const LineSource::Read atHeader = CopyThroughSectionHeader(in, before, entryName);
  if (atHeader != LineSource::Read::kLine) return atHeader == LineSource::Read::kEnd;
  settings.found = true;
  for (;;) {
    std::string_view line;
    const LineSource::Read read = in.ReadLine(line);
    if (read != LineSource::Read::kLine) return read == LineSource::Read::kEnd;
    if (IsSectionHeader(line)) return true;
    const EntrySetting* setting = SettingOf(line);
    if (!setting) continue;
    const size_t index = static_cast<size_t>(setting - EntrySettings);
    char expected[64];
    std::string_view text;
    settings.stands[index] = true;
    // The patch puts the setting's line in place of the whole line, blanks and all.
    if (!SettingLine(*setting, expected, text) || line != text) settings.differs[index] = true;
  }
}
