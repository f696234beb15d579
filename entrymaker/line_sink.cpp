#include "line_sink.h"

namespace {

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

bool LineSink::WriteLine(std::string_view line) {
  return (line.empty() || Write(line)) && Write("\r\n");
}

bool LineSink::WriteLines(std::string_view lines) {
  if (EveryLineEndIsCrLf(lines)) return Write(lines);
  while (!lines.empty()) {
    const size_t end = lines.find('\n');
    const size_t next = end == std::string_view::npos ? lines.size() : end + 1;
    std::string_view line(lines.data(), end == std::string_view::npos ? lines.size() : end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!WriteLine(line)) return false;
    lines.remove_prefix(next);
  }
  return true;
}
