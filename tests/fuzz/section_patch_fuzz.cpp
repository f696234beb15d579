// Any phonebook the patch may meet: it never crashes, it fails exactly when the entry's header is
// missing or its section holds none of the keys, and otherwise its copy is, byte for byte, the one
// the rule makes, written apart from the patch's code (text_lines.h). The patch runs through files
// in the simulator's sandbox, read and written in whole pieces and in pieces of a few bytes, so
// that short inputs meet lines too long to hold as well.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "section_patch.h"
#include "text_lines.h"
#include "winsim/control.h"

namespace {

// The sandbox goes when the fuzzer ends, through exit(): registered once Reset has made every area
// of the simulated machine, the clearing runs before any of them is destroyed.
void PrepareSandbox() {
  static const bool cleared = (winsim::Reset(), std::atexit([] { winsim::Reset(); }) == 0);
  (void)cleared;
  winsim::SetCallLogging(false);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PrepareSandbox();
  const std::string phonebook(reinterpret_cast<const char*>(data), size);
  const std::optional<std::string> expected = ExpectedPatch(phonebook);
  for (const size_t piece : {kPhonebookPiece, 1 + size % 23, 1 + size % 97}) {
    if (PatchText(phonebook, piece) != expected) std::abort();
  }
  return 0;
}
