// Any phonebook the patch may meet: it never crashes, it fails exactly when the entry's header is
// missing or its section holds none of the keys, and otherwise its copy is, byte for byte, the one
// the rule below makes, written here apart from the patch's code. The patch through real files,
// which passes lines on in whole pieces, gives the same answer and the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "copy_patched.h"
#include "section_patch.h"
#include "text_lines.h"
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

// The thirteen settings with their values, kept here rather than taken from the patch's table, so
// that a key or value lost there is caught.
const char* const kSettings[][2] = {
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

// The line without its leading spaces and tabs.
std::string Unindented(const std::string& line) {
  size_t start = 0;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
  return line.substr(start);
}

// The rule: the section runs from the first line that is exactly the header to the next line that
// begins with "[" after blanks; each of its lines that begins, after blanks, with a key becomes
// that key and its value. Every line ends with CR LF. False when the header is missing or no line
// of the section holds a key.
bool Expected(const std::vector<std::string>& lines, std::string& text) {
  size_t header = 0;
  while (header < lines.size() && lines[header] != "[GPRS Connection]") ++header;
  if (header == lines.size()) return false;
  bool inSection = false;
  int set = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string line = lines[i];
    const std::string unindented = Unindented(line);
    if (i == header) {
      inSection = true;
    } else if (!unindented.empty() && unindented[0] == '[') {
      inSection = false;
    } else if (inSection) {
      for (const auto& setting : kSettings) {
        const std::string key = setting[0];
        if (unindented.compare(0, key.size(), key) != 0) continue;
        line = key + setting[1];
        ++set;
        break;
      }
    }
    text += line + "\r\n";
  }
  return set > 0;
}

// The same patch through files in the simulator's sandbox; none when it fails.
bool PatchThroughFiles(const std::string& phonebook, std::string& copy) {
  // The sandbox goes when the fuzzer ends, through exit(): registered once Reset has made every
  // area of the simulated machine, the clearing runs before any of them is destroyed.
  static const bool cleared = (winsim::Reset(), std::atexit([] { winsim::Reset(); }) == 0);
  (void)cleared;
  winsim::SetCallLogging(false);
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string phonebook(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> input = InputLines(phonebook);
  std::string expected;
  const bool patches = Expected(input, expected);

  // Line by line in memory, and from a source that holds only a few bytes, so that short inputs
  // meet lines too long to hold as well.
  TextSource lines(phonebook);
  TextSink linesCopy;
  if (PatchEntrySection(lines, linesCopy, "GPRS Connection") != patches) std::abort();
  TextSource held(phonebook, -1, 1 + size % 23);
  TextSink heldCopy;
  if (PatchEntrySection(held, heldCopy, "GPRS Connection") != patches) std::abort();
  std::string copy;
  if (PatchThroughFiles(phonebook, copy) != patches) std::abort();
  if (!patches) return 0;
  if (linesCopy.text != expected || heldCopy.text != expected || copy != expected) std::abort();
  return 0;
}
