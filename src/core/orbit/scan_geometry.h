// Where a scanning radiometer's line of sight meets the earth: the scan
// angle of a sample, the line of sight turned from nadir about the flight
// direction, and its first crossing of the WGS-84 ellipsoid.
#pragma once

namespace kelo {

inline constexpr double kWgs84A = 6378.137;                   // equatorial radius, km
inline constexpr double kWgs84F = 1.0 / 298.257223563;        // flattening
inline constexpr double kWgs84B = kWgs84A * (1.0 - kWgs84F);  // polar radius, km
inline constexpr double kAvhrrHalfScanDeg = 55.37;            // AVHRR: 2048 samples over +-55.37 degrees
inline constexpr double kAvhrrSampleSec = 25e-6;              // one sample every 25 microseconds

// Scan angle (radians) of sample x of `samples` spanning +-half_angle_deg:
// sample 0 at +half, the last at -half, the two middle samples either side
// of nadir. Positive angles look to the right of the flight direction.
double scan_angle(double x, int samples, double half_angle_deg);

// The satellite's view frame for one instant, from its position and velocity
// (any inertial frame with the earth's axis as z): nadir towards the earth's
// centre, and the turn of nadir about the flight direction.
struct ScanFrame {
  double nadir[3];  // unit, towards the earth's centre
  double side[3];   // flight direction x nadir: the part of the turn along sin
  double along[3];  // flight direction (flight . nadir): the part along 1 - cos
};
ScanFrame scan_frame(const double r[3], const double v[3]);

// Line of sight at scan angle (sine, cosine) from `frame`.
void scan_direction(const ScanFrame& frame, double sin_a, double cos_a, double dir[3]);

// First point where the ray from `from` (km) along `dir` meets the WGS-84
// ellipsoid; false when it passes beside the earth.
bool ellipsoid_hit(const double from[3], const double dir[3], double hit[3]);

// Geodetic latitude (radians) of a point on the WGS-84 ellipsoid.
double geodetic_latitude(const double p[3]);

}  // namespace kelo
