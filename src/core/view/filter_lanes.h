// The despeckle filter on whole vectors of 16-bit samples, written once for
// any vector width: `Lanes` names the vector type and its operations (SSE2,
// eight samples; AVX2, sixteen). Samples and their differences are 16-bit,
// so the tests are made in 16 bits: d < ulimit as d <= ulimit - 1 and
// a > llimit, both by saturating subtraction; limits outside 0 .. 65535 are
// decided by the caller. Every unit that includes this header gets its own
// copy (an unnamed namespace), so a copy built for AVX2 is never taken for
// the baseline one.
#pragma once

#include <cstdint>

namespace kelo {
namespace {

// Filters samples [p, end) vector by vector into `above`; returns the first
// sample not filtered (fewer than a vector left).
template <class Lanes>
int filter_lanes(uint16_t* above, const uint16_t* centre, const uint16_t* below, int p, int end, int s,
                 uint16_t ulimit_less_one, uint16_t llimit, bool any_a) {
  using V = typename Lanes::V;
  const V ulm1 = Lanes::set1(ulimit_less_one);
  const V llv = Lanes::set1(llimit);
  const V all = Lanes::set1(0xFFFF);
  const V any = any_a ? all : Lanes::zero();
  const V zero = Lanes::zero();
  auto absd = [](V x, V y) { return Lanes::or_(Lanes::subs(x, y), Lanes::subs(y, x)); };
  auto below_limit = [&](V d) { return Lanes::eq(Lanes::subs(d, ulm1), zero); };
  for (; p + Lanes::kLanes <= end; p += Lanes::kLanes) {
    const V ctr = Lanes::load(centre + p);
    const V up = Lanes::load(above + p);
    const V a = absd(ctr, up);
    const V bl = absd(ctr, Lanes::load(below + p));
    const V l = absd(ctr, Lanes::load(centre + p - s));
    const V r = absd(ctr, Lanes::load(centre + p + s));
    const V a_over = Lanes::or_(any, Lanes::xor_(Lanes::eq(Lanes::subs(a, llv), zero), all));
    const V speckle = Lanes::and_(Lanes::and_(below_limit(absd(a, bl)), below_limit(absd(l, r))),
                                  Lanes::and_(below_limit(absd(a, l)), a_over));
    Lanes::store(above + p, Lanes::or_(Lanes::and_(speckle, up), Lanes::andnot(speckle, ctr)));
  }
  return p;
}

}  // namespace
}  // namespace kelo
