// The one 10-bit word packer of every recording format: four words in five
// bytes. Bytes 0-3 carry the upper eight bits of words 0-3; byte 4 carries
// the two low bits of each word, word 0 in its top pair:
//   b4 = (w0 & 3) << 6 | (w1 & 3) << 4 | (w2 & 3) << 2 | (w3 & 3)
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelo {

inline constexpr int kPackWords = 4;  // words per packed group
inline constexpr int kPackBytes = 5;  // bytes per packed group (4 * 10 bits / 8)

// Packs `groups` groups of four words from `words` into groups * 5 bytes.
// Only the low ten bits of each word are kept.
void pack10(const uint16_t* words, size_t groups, uint8_t* out);
// Unpacks `groups` groups of five bytes into groups * 4 words (0-1023).
void unpack10(const uint8_t* in, size_t groups, uint16_t* words);

// Bytes needed for `words` words packed (words rounded up to whole groups).
inline constexpr size_t packed_bytes(size_t words) {
  return (words + kPackWords - 1) / kPackWords * kPackBytes;
}

}  // namespace kelo
