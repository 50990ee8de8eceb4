#include "core/orbit/precise_orbit.h"

#include <cmath>
#include <memory>

#include "core/base/misc.h"
#include "core/orbit/scan_geometry.h"
#include "core/orbit/sgp4.h"
#include "core/orbit/sidereal.h"

namespace kelo {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;
// The rest of the station turns radians into degrees with 3.1415926 for pi;
// answers are scaled so that its degrees are true degrees.
constexpr double kStationPerTrue = 3.1415926 / kPi;
constexpr double kEarthRate = 7.292115e-5;  // radians per second
constexpr double kJdUnixEpoch = 2440587.5;  // 1970 January 1, 0 h
constexpr double kSecPerDay = 86400.0;
constexpr double kAvhrrHeaderAngle = 55.4;  // how a recording header rounds the AVHRR's half angle
constexpr int kAvhrrSamples = 2048;
constexpr int kMaxScanTable = 1 << 16;

bool same_tm(const BrokenTime& a, const BrokenTime& b) {
  return a.tm_sec == b.tm_sec && a.tm_min == b.tm_min && a.tm_hour == b.tm_hour && a.tm_mday == b.tm_mday &&
         a.tm_mon == b.tm_mon && a.tm_year == b.tm_year && a.tm_yday == b.tm_yday;
}

bool same_elements(const KEPLER& a, const KEPLER& b) {
  return a.epoch_year == b.epoch_year && a.epoch_day == b.epoch_day && a.decay == b.decay &&
         a.inclination == b.inclination && a.raan == b.raan && a.eccentricity == b.eccentricity &&
         a.perigee == b.perigee && a.anomaly == b.anomaly && a.motion == b.motion &&
         a.epoch_day_exact == b.epoch_day_exact && a.bstar == b.bstar;
}

bool line_cached(const SATPOS_PRECISE& c, const PIC_INFO* pic, int y) {
  const ORBIT& o = pic->orbit;
  return c.filled && c.y == y && c.lines_per_sec == pic->lines_per_sec && same_tm(c.start_tm, o.start_tm) &&
         c.start_ms == o.start_ms && c.use_sattime == o.use_sattime && c.offset_gmt == o.offset_gmt &&
         c.offset_sec == o.offset_sec;
}

// Julian date of line y: the picture's start plus y / lines a second, with
// the operator's time corrections unless the satellite's clock is used.
double line_julian_date(const PIC_INFO* pic, int y) {
  const ORBIT& o = pic->orbit;
  const int lps = pic->lines_per_sec;
  BrokenTime tm = o.start_tm;
  tm.tm_sec += y / lps;
  const int ms = (y % lps) * 1000 / lps + o.start_ms;
  if (!o.use_sattime) {
    tm.tm_hour += o.offset_gmt;
    tm.tm_sec += o.offset_sec;
  }
  const double secs = static_cast<double>(mktime_ntz(&tm)) + ms / 1000.0;
  return kJdUnixEpoch + secs / kSecPerDay;
}

// Places the satellite at line y; false when the propagator has no position.
bool place_line(PIC_INFO* pic, int y) {
  SATPOS_PRECISE& c = pic->satpos.precise;
  if (c.sgp4 == nullptr || !same_elements(c.kepler, pic->kepler)) {
    auto st = std::make_shared<Sgp4State>();
    sgp4_init(sgp4_elements_of(pic->kepler), st.get());
    c.sgp4 = st;
    c.kepler = pic->kepler;
    c.filled = false;
  }
  if (c.sgp4->init_error != Sgp4Error::None) return false;
  if (line_cached(c, pic, y)) return true;
  c.filled = false;
  const double jd = line_julian_date(pic, y);
  const double minutes = (jd - c.sgp4->el.epoch_jd) * 1440.0;
  if (sgp4_propagate(*c.sgp4, minutes, c.r, c.v) != Sgp4Error::None) return false;
  c.sidereal = greenwich_sidereal_angle(jd);
  const ScanFrame f = scan_frame(c.r, c.v);
  for (int i = 0; i < 3; ++i) {
    c.nadir[i] = f.nadir[i];
    c.side[i] = f.side[i];
    c.along[i] = f.along[i];
  }
  const ORBIT& o = pic->orbit;
  c.y = y;
  c.lines_per_sec = pic->lines_per_sec;
  c.start_tm = o.start_tm;
  c.start_ms = o.start_ms;
  c.use_sattime = o.use_sattime;
  c.offset_gmt = o.offset_gmt;
  c.offset_sec = o.offset_sec;
  c.filled = true;
  return true;
}

void scan_sin_cos(SATPOS_PRECISE* c, int samples, double half, int x, double* s, double* co) {
  if (samples != c->scan_pixels || half != c->scan_half_angle) {
    c->scan_sin.clear();
    c->scan_cos.clear();
    c->scan_pixels = samples;
    c->scan_half_angle = half;
    if (samples > 0 && samples <= kMaxScanTable) {
      c->scan_sin.resize(static_cast<size_t>(samples));
      c->scan_cos.resize(static_cast<size_t>(samples));
      for (int i = 0; i < samples; ++i) {
        const double a = scan_angle(i, samples, half);
        c->scan_sin[static_cast<size_t>(i)] = std::sin(a);
        c->scan_cos[static_cast<size_t>(i)] = std::cos(a);
      }
    }
  }
  if (x >= 0 && static_cast<size_t>(x) < c->scan_sin.size()) {
    *s = c->scan_sin[static_cast<size_t>(x)];
    *co = c->scan_cos[static_cast<size_t>(x)];
  } else {
    const double a = scan_angle(x, samples, half);
    *s = std::sin(a);
    *co = std::cos(a);
  }
}

}  // namespace

double precise_half_scan_angle(const PIC_INFO* pic) {
  if (pic->pixels_per_chan == kAvhrrSamples && std::fabs(pic->scan_angle - kAvhrrHeaderAngle) < 0.05)
    return kAvhrrHalfScanDeg;
  return pic->scan_angle;
}

int xy2lonlat_precise(int x, int y, PIC_INFO* pic, POSITION* lonlat) {
  if (pic->lines_per_sec <= 0 || !pic->orbit.valid) return 0;
  if (!place_line(pic, y)) return 0;
  SATPOS_PRECISE& c = pic->satpos.precise;
  double sin_a, cos_a;
  scan_sin_cos(&c, pic->pixels_per_chan, precise_half_scan_angle(pic), x, &sin_a, &cos_a);
  // Each sample is taken a little later than the line's first.
  const double dt = x * kAvhrrSampleSec;
  const double from[3] = {c.r[0] + c.v[0] * dt, c.r[1] + c.v[1] * dt, c.r[2] + c.v[2] * dt};
  ScanFrame frame;
  for (int i = 0; i < 3; ++i) {
    frame.nadir[i] = c.nadir[i];
    frame.side[i] = c.side[i];
    frame.along[i] = c.along[i];
  }
  double dir[3];
  scan_direction(frame, sin_a, cos_a, dir);
  double hit[3];
  if (!ellipsoid_hit(from, dir, hit)) return 0;
  double lon = std::atan2(hit[1], hit[0]) - (c.sidereal + kEarthRate * dt) -
               static_cast<double>(pic->orbit.offset_lon) * kPi / 180.0;
  lon = std::remainder(lon, kTwoPi);
  const double lat = geodetic_latitude(hit);
  lonlat->lon = static_cast<float>(lon * kStationPerTrue);
  lonlat->lat = static_cast<float>(lat * kStationPerTrue);
  return 1;
}

}  // namespace kelo
