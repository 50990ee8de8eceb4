// The despeckle filter sixteen samples at a time, built for processors with
// AVX2 (this unit alone is compiled for them; the pass calls it only where
// the processor has AVX2).
#include "core/view/filter_lanes_avx2.h"

#include <immintrin.h>

#include "core/view/filter_lanes.h"

namespace kelo {

namespace {

struct Avx2Lanes {
  using V = __m256i;
  static constexpr int kLanes = 16;
  static V load(const uint16_t* q) { return _mm256_loadu_si256(reinterpret_cast<const V*>(q)); }
  static void store(uint16_t* q, V v) { _mm256_storeu_si256(reinterpret_cast<V*>(q), v); }
  static V set1(uint16_t v) { return _mm256_set1_epi16(static_cast<short>(v)); }
  static V zero() { return _mm256_setzero_si256(); }
  static V subs(V x, V y) { return _mm256_subs_epu16(x, y); }
  static V eq(V x, V y) { return _mm256_cmpeq_epi16(x, y); }
  static V or_(V x, V y) { return _mm256_or_si256(x, y); }
  static V and_(V x, V y) { return _mm256_and_si256(x, y); }
  static V andnot(V x, V y) { return _mm256_andnot_si256(x, y); }
  static V xor_(V x, V y) { return _mm256_xor_si256(x, y); }
};

}  // namespace

int filter_lanes_avx2(uint16_t* above, const uint16_t* centre, const uint16_t* below, int p, int end, int s,
                      uint16_t ulimit_less_one, uint16_t llimit, bool any_a) {
  return filter_lanes<Avx2Lanes>(above, centre, below, p, end, s, ulimit_less_one, llimit, any_a);
}

}  // namespace kelo
