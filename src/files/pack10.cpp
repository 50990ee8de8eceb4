#include "files/pack10.h"

namespace kelo {

void pack10(const uint16_t*, size_t, uint8_t*) {}
void unpack10(const uint8_t*, size_t, uint16_t*) {}

}  // namespace kelo
