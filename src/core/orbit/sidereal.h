// Greenwich mean sidereal angle of the actual date: how far the earth has
// turned under the equinox, with the century terms (UTC taken for UT1).
#pragma once

namespace kelo {

// Radians in [0, 2 pi) at Julian date `jd_ut1`.
double greenwich_sidereal_angle(double jd_ut1);

}  // namespace kelo
