#include "core/orbit/sidereal.h"

#include <cmath>

namespace kelo {

namespace {
constexpr double kTwoPi = 6.283185307179586476925;
constexpr double kJ2000 = 2451545.0;  // 2000 January 1, 12 h
constexpr double kDaysPerCentury = 36525.0;
constexpr double kSecToRad = kTwoPi / 86400.0;  // a sidereal-time second as an angle
}  // namespace

double greenwich_sidereal_angle(double jd_ut1) {
  const double t = (jd_ut1 - kJ2000) / kDaysPerCentury;
  // seconds of sidereal time: 876600 h a century plus the polynomial
  const double sec =
      -6.2e-6 * t * t * t + 0.093104 * t * t + (876600.0 * 3600.0 + 8640184.812866) * t + 67310.54841;
  double a = std::fmod(sec * kSecToRad, kTwoPi);
  if (a < 0.0) a += kTwoPi;
  return a;
}

}  // namespace kelo
