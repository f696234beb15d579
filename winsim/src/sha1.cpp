// SHA-1 as FIPS 180-4 defines it: the message padded with a 1 bit, zeros and its length in bits to
// a whole number of 64-byte blocks, each folded into five 32-bit words over eighty rounds.
#include "sha1.h"

#include <string>

namespace winsim::detail {

namespace {

uint32_t Rotate(uint32_t value, int bits) {
  return (value << bits) | (value >> (32 - bits));
}

}  // namespace

std::array<uint8_t, 20> Sha1(std::string_view bytes) {
  std::string message(bytes);
  const uint64_t bits = uint64_t{bytes.size()} * 8;
  message.push_back('\x80');
  while (message.size() % 64 != 56) message.push_back('\0');
  for (int shift = 56; shift >= 0; shift -= 8) message.push_back(static_cast<char>(bits >> shift));

  uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
  for (size_t block = 0; block < message.size(); block += 64) {
    uint32_t w[80];
    for (int i = 0; i < 16; ++i) {
      w[i] = 0;
      for (int j = 0; j < 4; ++j)
        w[i] = (w[i] << 8) | static_cast<uint8_t>(message[block + size_t{4} * i + j]);
    }
    for (int i = 16; i < 80; ++i) w[i] = Rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    for (int i = 0; i < 80; ++i) {
      uint32_t f = 0;
      uint32_t k = 0;
      if (i < 20) {
        f = (b & c) | (~b & d);
        k = 0x5A827999;
      } else if (i < 40) {
        f = b ^ c ^ d;
        k = 0x6ED9EBA1;
      } else if (i < 60) {
        f = (b & c) | (b & d) | (c & d);
        k = 0x8F1BBCDC;
      } else {
        f = b ^ c ^ d;
        k = 0xCA62C1D6;
      }
      const uint32_t next = Rotate(a, 5) + f + e + k + w[i];
      e = d;
      d = c;
      c = Rotate(b, 30);
      b = a;
      a = next;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
  }
  std::array<uint8_t, 20> digest{};
  for (int i = 0; i < 20; ++i) digest[i] = static_cast<uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
  return digest;
}

}  // namespace winsim::detail
