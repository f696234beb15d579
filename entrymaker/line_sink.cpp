#include "line_sink.h"

#include "line_ends.h"

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
    std::string_view line;
    TakeToLineEnd(lines, line);
    if (!WriteLine(WithoutCr(line))) return false;
  }
  return true;
}
