// The despeckle filter for processors with AVX2 (see filter_lanes.h);
// built only on x86-64, where KELO_DESPECKLE_AVX2 is defined.
#pragma once

#include <cstdint>

namespace kelo {

int filter_lanes_avx2(uint16_t* above, const uint16_t* centre, const uint16_t* below, int p, int end, int s,
                      uint16_t ulimit_less_one, uint16_t llimit, bool any_a);

}  // namespace kelo
