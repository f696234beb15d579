// Any phonebook the patch may meet: it never crashes, and when it says yes, the copy is the input
// but for the lines it set to a setting's value, each of which held that setting's key. The patch
// through real files, which passes lines on in whole pieces, gives the same answer and the same
// bytes as the patch line by line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "entry_settings.h"
#include "phonebook_files.h"
#include "section_patch.h"
#include "unique_handle.h"
#include "winsim/control.h"

namespace {

std::vector<std::string> InputLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    const bool ended = end != std::string::npos;
    if (!ended) end = text.size();
    std::string line = text.substr(at, end - at);
    if (ended && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = ended ? end + 1 : end;
  }
  return lines;
}

class Source : public LineSource {
 public:
  explicit Source(const std::vector<std::string>& lines) : lines_(lines) {}
  Read ReadLine(std::string_view& line) override {
    if (next_ == lines_.size()) return Read::kEnd;
    line = lines_[next_++];
    return Read::kLine;
  }

 private:
  const std::vector<std::string>& lines_;
  size_t next_ = 0;
};

class Sink : public LineSink {
 public:
  bool WriteLine(std::string_view line) override {
    lines.emplace_back(line);
    return true;
  }
  std::vector<std::string> lines;
};

bool IsSettingOf(const std::string& before, const std::string& after) {
  for (const EntrySetting& setting : EntrySettings) {
    if (after != std::string(setting.key) + setting.value) continue;
    const size_t start = before.find_first_not_of(" \t");
    if (start != std::string::npos &&
        before.compare(start, std::string(setting.key).size(), setting.key) == 0)
      return true;
  }
  return false;
}

// The same patch through files in the simulator's sandbox; none when it fails.
bool PatchThroughFiles(const std::string& phonebook, std::string& copy) {
  // The sandbox goes when the fuzzer ends, through exit(): registered after the simulated
  // machine is made, the clearing runs before the machine is destroyed.
  winsim::SetCallLogging(false);
  static const bool cleared = std::atexit([] { winsim::Reset(); }) == 0;
  (void)cleared;
  winsim::AddFile("C:\\pbk\\rasphone.pbk", phonebook);
  bool patched = false;
  {
    File in(CreateFileA("C:\\pbk\\rasphone.pbk", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
    File out(CreateFileA("C:\\pbk\\copy.pbk", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in || !out) std::abort();
    patched = CopyPatched(in.get(), out.get(), "GPRS Connection");
  }
  if (patched) copy = winsim::FileContents("C:\\pbk\\copy.pbk").value_or("(none)");
  return patched;
}

std::string WithCrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<std::string> input =
      InputLines(std::string(reinterpret_cast<const char*>(data), size));
  Source source(input);
  Sink sink;
  const bool patched = PatchEntrySection(source, sink, "GPRS Connection");
  std::string copy;
  if (PatchThroughFiles(std::string(reinterpret_cast<const char*>(data), size), copy) != patched)
    std::abort();
  if (!patched) return 0;
  if (copy != WithCrLf(sink.lines)) std::abort();
  if (sink.lines.size() != input.size()) std::abort();
  int changed = 0;
  for (size_t i = 0; i < input.size(); ++i) {
    if (sink.lines[i] == input[i]) continue;
    if (!IsSettingOf(input[i], sink.lines[i])) std::abort();
    ++changed;
  }
  if (changed > kEntrySettingCount) std::abort();
  return 0;
}
