// Any hardware-ID list a device may report, of any size and with or without its NULs, against any
// ID: the match never reads past the list's bytes nor past the ID's NUL, and it agrees with a plain
// reading of the list: whole entries up to the first empty one, letters in any case, a double-byte
// character (a lead byte and the byte after it) only exactly as it is, an empty ID never.
//
// Input: one byte choosing the code page, the ID up to the first NUL, then the list's bytes.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "hardware_id.h"
#include "winsim/control.h"

namespace {

using LeadBytes = std::vector<std::pair<BYTE, BYTE>>;

// Single-byte code pages, Japanese (932) and the lead bytes of Chinese and Korean (936, 949, 950).
LeadBytes CodePage(uint8_t choice) {
  switch (choice % 4) {
    case 2:
      return {{0x81, 0x9F}, {0xE0, 0xFC}};
    case 3:
      return {{0x81, 0xFE}};
    default:
      return {};
  }
}

bool IsLead(char c, const LeadBytes& lead) {
  const auto byte = static_cast<unsigned char>(c);
  for (const auto& [first, last] : lead)
    if (byte >= first && byte <= last) return true;
  return false;
}

// The program never sets a locale, so toupper knows only the letters a-z.
int Upper(char c) {
  return std::toupper(static_cast<unsigned char>(c));
}

bool SameId(const std::string& entry, const std::string& id, const LeadBytes& lead) {
  if (entry.size() != id.size()) return false;
  for (size_t i = 0; i < entry.size(); ++i) {
    if (IsLead(entry[i], lead)) {
      if (i + 1 == entry.size()) return false;  // its trail byte is cut off
      if (entry.compare(i, 2, id, i, 2) != 0) return false;
      ++i;
    } else if (Upper(entry[i]) != Upper(id[i])) {
      return false;
    }
  }
  return true;
}

bool ExpectedHolds(const std::string& list, const std::string& id, const LeadBytes& lead) {
  if (id.empty()) return false;
  size_t at = 0;
  while (at < list.size()) {
    size_t end = list.find('\0', at);
    if (end == std::string::npos) end = list.size();
    if (end == at) return false;  // an empty entry ends the list
    if (SameId(list.substr(at, end - at), id, lead)) return true;
    at = end + 1;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const LeadBytes lead = CodePage(data[0]);
  const char* rest = reinterpret_cast<const char*>(data + 1);
  const size_t restSize = size - 1;
  const std::string id(rest, strnlen(rest, restSize));
  const size_t listStart = id.size() < restSize ? id.size() + 1 : restSize;
  const std::string list(rest + listStart, restSize - listStart);

  // Heap copies of exactly the list's bytes and of the ID with its NUL, so that a read past either
  // is caught.
  std::unique_ptr<char[]> listBytes(new char[list.size()]);
  std::memcpy(listBytes.get(), list.data(), list.size());
  std::unique_ptr<char[]> idText(new char[id.size() + 1]);
  std::memcpy(idText.get(), id.c_str(), id.size() + 1);

  winsim::SetDbcsLeadBytes(lead);
  const bool holds = HardwareIdListHolds(listBytes.get(), list.size(), idText.get());
  if (holds != ExpectedHolds(list, id, lead)) std::abort();
  return 0;
}
