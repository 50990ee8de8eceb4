// The 10-bit word packer shared by every recording format.
#include "files/pack10.h"

namespace kelo {

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
  for (size_t g = 0; g < groups; ++g) {
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
