// Any list the port dialog may be handed: the reader never reads past the list's NUL nor writes
// past a piece's 260 bytes, leaves the list as it was, and gives, in order, each run of characters
// between commas that is not empty, cut to the 259 characters a piece holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform.h"
#include "port_choice.h"

namespace {

// The list read the long way round: the runs between commas that hold something, each cut to fit.
std::vector<std::string> ExpectedPieces(const std::string& list) {
  std::vector<std::string> pieces;
  std::string run;
  for (size_t i = 0; i <= list.size(); ++i) {
    if (i < list.size() && list[i] != ',') {
      run += list[i];
      continue;
    }
    if (!run.empty()) pieces.push_back(run.substr(0, kTextCapacity - 1));
    run.clear();
  }
  return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The list is the input up to its first NUL. Its copy on the heap ends right after that NUL, so
  // a read past the end of the list is caught.
  const char* text = reinterpret_cast<const char*>(data);
  const std::string input(text, strnlen(text, size));
  std::unique_ptr<char[]> list(new char[input.size() + 1]);
  std::memcpy(list.get(), input.c_str(), input.size() + 1);
  const std::vector<std::string> expected = ExpectedPieces(input);

  PortListReader reader(list.get());
  char piece[kTextCapacity];
  size_t count = 0;
  for (;;) {
    // Neither NUL nor comma: a piece left without its NUL shows as 260 bytes long.
    std::memset(piece, 'x', sizeof piece);
    if (!reader.Next(piece)) break;
    const size_t length = strnlen(piece, sizeof piece);
    if (length == sizeof piece) std::abort();
    if (length == 0) std::abort();
    if (std::memchr(piece, ',', length) != nullptr) std::abort();
    if (count == expected.size()) std::abort();
    if (std::string(piece, length) != expected[count]) std::abort();
    ++count;
  }
  if (count != expected.size()) std::abort();
  // Past the last piece the reader stays at the end.
  if (reader.Next(piece)) std::abort();
  if (std::memcmp(list.get(), input.c_str(), input.size() + 1) != 0) std::abort();
  return 0;
}
