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

namespace {

// A device whose list keeps changing size between two reads would otherwise keep the loop going.
constexpr int kMaxReadAttempts = 8;

}  // namespace

ListRead ReadHardwareIds(HDEVINFO set, SP_DEVINFO_DATA& element, LocalMemory& buffer, DWORD& size) {
  DWORD type = 0;
  DWORD capacity = 0;
  DWORD required = 0;
  for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
    if (SetupDiGetDeviceRegistryPropertyA(set, &element, SPDRP_HARDWAREID, &type,
                                          static_cast<BYTE*>(buffer.get()), capacity, &required)) {
      // The platform reports what it wrote; never trust it beyond what was allocated.
      size = required < capacity ? required : capacity;
      return ListRead::kRead;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_INVALID_DATA) return ListRead::kNoList;
    if (code != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.Reset(LocalAlloc(LPTR, required));
    if (!buffer) {
      if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      break;
    }
    capacity = required;
  }
  return ListRead::kFailed;
}
