// The 10-bit word packer shared by every recording format.
#include "core/files/pack10.h"

#include <array>
#include <bit>
#include <cstring>

namespace kelo {

namespace {

// Low-bit byte of a group -> the two low bits of words 0-3 in four 16-bit
// lanes (word 0 in the lowest lane, as a little-endian store lays them out).
constexpr std::array<uint64_t, 256> make_low_pairs() {
  std::array<uint64_t, 256> t{};
  for (unsigned b = 0; b < 256; ++b)
    t[b] = static_cast<uint64_t>((b >> 6) & 3) | static_cast<uint64_t>((b >> 4) & 3) << 16 |
           static_cast<uint64_t>((b >> 2) & 3) << 32 | static_cast<uint64_t>(b & 3) << 48;
  return t;
}
constexpr std::array<uint64_t, 256> kLowPairs = make_low_pairs();

}  // namespace

void pack10(const uint16_t* words, size_t groups, uint8_t* out) {
  for (size_t g = 0; g < groups; ++g) {
    const uint16_t* w = words + g * kPackWords;
    uint8_t* b = out + g * kPackBytes;
    b[0] = static_cast<uint8_t>((w[0] >> 2) & 0xFF);
    b[1] = static_cast<uint8_t>((w[1] >> 2) & 0xFF);
    b[2] = static_cast<uint8_t>((w[2] >> 2) & 0xFF);
    b[3] = static_cast<uint8_t>((w[3] >> 2) & 0xFF);
    b[4] = static_cast<uint8_t>(((w[0] & 3) << 6) | ((w[1] & 3) << 4) | ((w[2] & 3) << 2) | (w[3] & 3));
  }
}

void unpack10(const uint8_t* in, size_t groups, uint16_t* words) {
  size_t g = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // The line reader unpacks eleven thousand words a line: spread the four
    // high bytes into four 16-bit lanes with two shift-and-mask steps, add
    // the low pairs from a table, and store the four words at once.
    for (; g < groups; ++g) {
      const uint8_t* b = in + g * kPackBytes;
      uint32_t high;
      std::memcpy(&high, b, sizeof high);
      uint64_t lanes = high;
      lanes = (lanes | (lanes << 16)) & 0x0000FFFF0000FFFFull;
      lanes = (lanes | (lanes << 8)) & 0x00FF00FF00FF00FFull;
      const uint64_t four = (lanes << 2) | kLowPairs[b[4]];
      std::memcpy(words + g * kPackWords, &four, sizeof four);
    }
  }
  for (; g < groups; ++g) {
    const uint8_t* b = in + g * kPackBytes;
    uint16_t* w = words + g * kPackWords;
    const unsigned low = b[4];
    w[0] = static_cast<uint16_t>((b[0] << 2) | ((low >> 6) & 3));
    w[1] = static_cast<uint16_t>((b[1] << 2) | ((low >> 4) & 3));
    w[2] = static_cast<uint16_t>((b[2] << 2) | ((low >> 2) & 3));
    w[3] = static_cast<uint16_t>((b[3] << 2) | (low & 3));
  }
}

}  // namespace kelo
