#include "core/orbit/scan_geometry.h"

#include <cmath>

namespace kelo {

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kE2 = kWgs84F * (2.0 - kWgs84F);  // first eccentricity squared

double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
}  // namespace

double scan_angle(double x, int samples, double half_angle_deg) {
  if (samples < 2) return 0.0;
  const double centre = (samples - 1) / 2.0;
  return (centre - x) / centre * half_angle_deg * kPi / 180.0;
}

ScanFrame scan_frame(const double r[3], const double v[3]) {
  ScanFrame f{};
  const double rn = std::sqrt(dot(r, r));
  const double vn = std::sqrt(dot(v, v));
  double k[3] = {v[0] / vn, v[1] / vn, v[2] / vn};
  for (int i = 0; i < 3; ++i) f.nadir[i] = -r[i] / rn;
  // Turning nadir by -a about the flight direction k (Rodrigues):
  // n cos a - (k x n) sin a + k (k . n)(1 - cos a), so that a positive
  // angle looks to the right of the track.
  f.side[0] = k[1] * f.nadir[2] - k[2] * f.nadir[1];
  f.side[1] = k[2] * f.nadir[0] - k[0] * f.nadir[2];
  f.side[2] = k[0] * f.nadir[1] - k[1] * f.nadir[0];
  const double kn = dot(k, f.nadir);
  for (int i = 0; i < 3; ++i) f.along[i] = k[i] * kn;
  return f;
}

void scan_direction(const ScanFrame& f, double sin_a, double cos_a, double dir[3]) {
  for (int i = 0; i < 3; ++i) dir[i] = f.nadir[i] * cos_a - f.side[i] * sin_a + f.along[i] * (1.0 - cos_a);
}

bool ellipsoid_hit(const double from[3], const double dir[3], double hit[3]) {
  // Scaled so the ellipsoid is the unit sphere: |p + s d|^2 = 1.
  const double p[3] = {from[0] / kWgs84A, from[1] / kWgs84A, from[2] / kWgs84B};
  const double d[3] = {dir[0] / kWgs84A, dir[1] / kWgs84A, dir[2] / kWgs84B};
  const double a = dot(d, d);
  const double b = dot(p, d);
  const double c = dot(p, p) - 1.0;
  const double disc = b * b - a * c;
  if (disc < 0.0 || a == 0.0) return false;
  const double s = (-b - std::sqrt(disc)) / a;
  if (s < 0.0) return false;
  for (int i = 0; i < 3; ++i) hit[i] = from[i] + s * dir[i];
  return true;
}

double geodetic_latitude(const double p[3]) { return std::atan2(p[2], (1.0 - kE2) * std::hypot(p[0], p[1])); }

}  // namespace kelo
