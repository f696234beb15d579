#include "hardware_id.h"

#include <cstring>

#include "platform.h"

namespace {

char FoldCase(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Compares `entry` (of `length` bytes) with the NUL-terminated `id`. In a double-byte code page a
// lead byte and its trail byte are one character: they must match exactly, because a trail byte
// that looks like a letter is not one.
bool SameIdIgnoringCase(const char* entry, size_t length, const char* id) {
  size_t i = 0;
  while (i < length) {
    if (id[i] == '\0') return false;
    if (IsDBCSLeadByte(static_cast<BYTE>(entry[i]))) {
      if (i + 1 >= length) return false;
      if (entry[i] != id[i] || entry[i + 1] != id[i + 1]) return false;
      i += 2;
      continue;
    }
    if (FoldCase(entry[i]) != FoldCase(id[i])) return false;
    ++i;
  }
  return id[i] == '\0';
}

}  // namespace

bool HardwareIdListHolds(const char* list, size_t size, const char* hardwareId) {
  size_t at = 0;
  while (at < size && list[at] != '\0') {
    const size_t length = strnlen(list + at, size - at);
    if (SameIdIgnoringCase(list + at, length, hardwareId)) return true;
    at += length + 1;
  }
  return false;
}
