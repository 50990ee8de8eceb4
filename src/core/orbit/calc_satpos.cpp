// The orbit model behind the grid and the position read-out: a circular
// orbit with secular drift of node and perigee (J2), the earth turning
// underneath, and the AVHRR scan across track. Residual errors are the
// operator's to correct with the time and longitude offsets.
#include "core/orbit/calc_satpos.h"

#include <cfloat>
#include <cmath>
#include <new>
#include <vector>

#include "core/base/misc.h"
#include "core/orbit/parse_norad.h"
#include "core/orbit/precise_orbit.h"

namespace kelo {

namespace {

constexpr double kTwoPi = 6.2831852;  // 2 x the station's pi, as in every stored result
constexpr double kSecPerDay = 86400.0;
constexpr double kMinMotion = 0.1;      // revolutions per day; below it there is no orbit
constexpr float kMaxEpochDay = 367.0f;  // day 366 of a leap year, with its fraction
// Kepler's third law with the earth's GM, in the station's units: the orbit
// radius in earth radii is (period / 2pi / 806.8243322830014 s)^(2/3).
constexpr double kKeplerTime = 806.8243322830014;
constexpr double kJ2DriftDeg = 9.95;  // degrees per day of the J2 secular drift at one earth radius
constexpr double kJ2Exponent = 3.5;
// Earth rotation: sidereal turns per tropical year, and the rotation angle at
// the start of day 0 of the year.
constexpr double kSiderealRatio = 366.2422 / 365.2422;
constexpr double kEarthAngleDay0 = 1.7273076508052443;

// Reduces an angle to [lo, hi] by whole turns. Loops like the station always
// did for ordinary angles; a damaged value (infinite, or so large that taking
// 2pi away changes nothing) must neither hang nor pass as a position.
double wrap_below(double v, double lo, double hi) {
  if (!std::isfinite(v)) return v;
  if (std::fabs(v) > 64.0 * kTwoPi) v = std::fmod(v, kTwoPi);
  while (v < lo) v += kTwoPi;
  while (v > hi) v -= kTwoPi;
  return v;
}

double reduce_turns(double p) { return p - std::trunc(p / kTwoPi) * kTwoPi; }

// Seconds of the element epoch. Taken from the broken-down epoch, which does
// not wrap in 2038 the way the 32-bit epoch_t of the record would.
int64_t epoch_seconds(const ORBIT* orbit) {
  BrokenTime e = orbit->epoch_tm;
  return mktime_ntz(&e);
}

// ---------------------------------------------------------------- line cache
bool same_tm(const BrokenTime& a, const BrokenTime& b) {
  return a.tm_sec == b.tm_sec && a.tm_min == b.tm_min && a.tm_hour == b.tm_hour && a.tm_mday == b.tm_mday &&
         a.tm_mon == b.tm_mon && a.tm_year == b.tm_year && a.tm_yday == b.tm_yday;
}

bool same_kepler(const KEPLER& a, const KEPLER& b) {
  return a.epoch_year == b.epoch_year && a.epoch_day == b.epoch_day && a.decay == b.decay &&
         a.inclination == b.inclination && a.raan == b.raan && a.eccentricity == b.eccentricity &&
         a.perigee == b.perigee && a.anomaly == b.anomaly && a.motion == b.motion && a.revnum == b.revnum;
}

bool cache_hit(const PIC_INFO* pic, int y) {
  const SATPOS_LINE& c = pic->satpos.line;
  const ORBIT& o = pic->orbit;
  return c.filled && c.y == y && c.lines_per_sec == pic->lines_per_sec &&
         same_kepler(c.kepler, pic->kepler) && same_tm(c.start_tm, o.start_tm) && c.start_ms == o.start_ms &&
         c.use_sattime == o.use_sattime && c.offset_gmt == o.offset_gmt && c.offset_sec == o.offset_sec &&
         same_tm(c.epoch_tm, o.epoch_tm) && c.epoch_ms == o.epoch_ms && c.perigee_rate == o.perigee_rate &&
         c.node_rate == o.node_rate;
}

void cache_store(PIC_INFO* pic, int y) {
  SATPOS_LINE& c = pic->satpos.line;
  const ORBIT& o = pic->orbit;
  c.filled = true;
  c.y = y;
  c.lines_per_sec = pic->lines_per_sec;
  c.kepler = pic->kepler;
  c.start_tm = o.start_tm;
  c.start_ms = o.start_ms;
  c.use_sattime = o.use_sattime;
  c.offset_gmt = o.offset_gmt;
  c.offset_sec = o.offset_sec;
  c.epoch_tm = o.epoch_tm;
  c.epoch_ms = o.epoch_ms;
  c.perigee_rate = o.perigee_rate;
  c.node_rate = o.node_rate;
  c.node_shift = o.node_shift;
  c.sin_incl = std::sin(static_cast<double>(pic->kepler.inclination));
  c.cos_incl = std::cos(static_cast<double>(pic->kepler.inclination));
}

// ---------------------------------------------------------------- scan table
// The earth-centre angle of every scan position depends only on the height,
// the pixels per line and the scan angle: one table per picture, not four
// library calls per pixel.
constexpr int kMaxScanTable = 16384;  // positions; wider lines are computed directly

// Row of scan position x in the picture's table, or null when x lies outside
// the table.
const SATPOS_SCAN_ROW* scan_row(SATPOS_CACHE* cache, float height, int pixels, float scan_angle, int x) {
  if (pixels <= 0 || pixels > kMaxScanTable || x < 0 || x > pixels) return nullptr;
  SATPOS_CACHE& t = *cache;
  if (t.scan_height != height || t.scan_pixels != pixels || t.scan_angle != scan_angle) {
    t.scan_height = height;
    t.scan_pixels = pixels;
    t.scan_angle = scan_angle;
    try {
      t.scan.assign(static_cast<size_t>(pixels) + 1, SATPOS_SCAN_ROW{});
    } catch (const std::bad_alloc&) {
      t.scan_height = -1;
      t.scan_pixels = -1;
      t.scan_angle = -1;
      t.scan.clear();
      return nullptr;
    }
    const float to_nadir = static_cast<float>(pixels / 2);
    for (int i = 0; i <= pixels; ++i) {
      SATPOS_SCAN_ROW& r = t.scan[static_cast<size_t>(i)];
      r.angle = x2earthangle(height, 4, static_cast<float>(i), to_nadir, scan_angle);
      r.sin_b = std::sin(r.angle);
      r.cos_b = std::cos(r.angle);
    }
  }
  return &t.scan[static_cast<size_t>(x)];
}

}  // namespace

int calc_orbitconst(const KEPLER* kepler, ORBIT* orbit) {
  // A NaN from a damaged header is no orbit either.
  if (!(kepler->motion >= kMinMotion) || !std::isfinite(kepler->motion)) return 0;
  // An epoch that is no day of a year (a damaged header) has no time.
  if (!(kepler->epoch_day >= 0.0f && kepler->epoch_day < kMaxEpochDay)) return 0;
  const double incl = kepler->inclination;
  const float period = static_cast<float>(kSecPerDay / kepler->motion);
  const float height =
      static_cast<float>((std::pow(period / kTwoPi / kKeplerTime, 2.0 / 3.0) - 1.0) * kEarthRadius);
  const double k = std::pow(kEarthRadius / (static_cast<double>(height) + kEarthRadius), kJ2Exponent);
  const double cos_i = std::cos(incl);
  const double perigee_deg = (2.5 * cos_i * cos_i - 0.5) * kJ2DriftDeg * k;
  const double node_deg = cos_i * kJ2DriftDeg * k;
  orbit->period = period;
  orbit->height = height;
  orbit->perigee_rate = static_cast<float>(perigee_deg * kPiD / 180.0);
  orbit->node_rate = static_cast<float>(node_deg * kPiD / 180.0);

  orbit->node_shift = 0;
  BrokenTime e{};
  e.tm_year = kepler->epoch_year;
  const double day0 = static_cast<double>(kepler->epoch_day) - 1.0;  // days since 1 January 00:00
  e.tm_yday = static_cast<int>(day0);
  yday2mday_mon(&e);
  const double hours = (day0 - e.tm_yday) * 24.0;
  e.tm_hour = static_cast<int>(hours);
  const double minutes = (hours - e.tm_hour) * 60.0;
  e.tm_min = static_cast<int>(minutes);
  e.tm_sec = static_cast<int>((minutes - e.tm_min) * 60.0);
  orbit->epoch_t = static_cast<int32_t>(mktime_ntz(&e));
  orbit->epoch_tm = e;
  orbit->epoch_ms = 0;
  orbit->valid = true;
  return 1;
}

int calcpossat(const BrokenTime* tm, int ms, const KEPLER* kepler, ORBIT* orbit, POSITION* pos) {
  BrokenTime when = *tm;
  // The milliseconds are a fraction of a second: six lines a second must
  // fall at six places along the track.
  const double t = (static_cast<double>(mktime_ntz(&when) - epoch_seconds(orbit)) +
                    static_cast<double>(ms - orbit->epoch_ms) / 1000.0) /
                   kSecPerDay;
  const double n = t * (kepler->motion + t * kepler->decay);
  if (!(std::fabs(n / 10.0) < FLT_MAX)) return 0;

  double u = kepler->perigee + (n - std::trunc(n)) * kTwoPi + kepler->anomaly;
  u = wrap_below(u, 0.0, kTwoPi);
  const double p = reduce_turns(orbit->perigee_rate * t);
  orbit->node_shift = static_cast<float>(reduce_turns(orbit->node_rate * t));
  const double a = u + p;
  const double incl = kepler->inclination;
  pos->x = static_cast<float>(std::cos(incl) * std::sin(a));
  pos->y = static_cast<float>(std::cos(a));
  pos->z = static_cast<float>(std::sin(incl) * std::sin(a));
  return 1;
}

void calcposearth(const BrokenTime* tm, int ms, POSITION* pos) {
  const double d = (tm->tm_yday + 1) + tm->tm_hour / 24.0 + tm->tm_min / 1440.0 + tm->tm_sec / kSecPerDay +
                   ms / (kSecPerDay * 1000.0);
  const double ds = d * kSiderealRatio;
  double lon = (ds - std::trunc(ds)) * kTwoPi + kEarthAngleDay0;
  while (lon >= kTwoPi) lon -= kTwoPi;
  pos->lon = static_cast<float>(lon);
  pos->lat = 0;
}

float x2earthangle(float height, int direction, float x, float w, float angle) {
  // No scan positions: everything is nadir (a damaged picture record must not
  // divide by zero).
  if (w == 0.0f) return 0.0f;
  float a = (w - x) * (angle * kPi / 180.0f) / w;
  if (direction == 3) a = -a;
  const float k = (height + kEarthRadius) / kEarthRadius;
  const double s = std::sin(a);
  double c = std::sqrt(1.0 - static_cast<double>(k) * k * s * s) * std::cos(a) + k * s * s;
  // cos of an angle: rounding near nadir may step past 1.
  if (c > 1.0) c = 1.0;
  if (c < -1.0) c = -1.0;
  float e = static_cast<float>(std::acos(c));
  if (a < 0) e = -e;
  return e;
}

void calc_satobs(const KEPLER* kepler, const ORBIT* /*orbit*/, const POSITION* sat, POSITION* pix,
                 float angle) {
  if (angle == 0.0f) {
    pix->x = sat->x;
    pix->y = sat->y;
    pix->z = sat->z;
    return;
  }
  const double sb = std::sin(angle);
  const double cb = std::cos(angle);
  const double incl = kepler->inclination;
  pix->x = static_cast<float>(sb * std::sin(incl) + cb * sat->x);
  pix->y = static_cast<float>(cb * sat->y);
  pix->z = static_cast<float>(cb * sat->z - sb * std::cos(incl));
}

void calc_x2satobs(const KEPLER* kepler, const ORBIT* orbit, const POSITION* sat, POSITION* pix,
                   int pixels_per_line, float half_scan_angle, float x) {
  const int to_nadir = pixels_per_line / 2;  // whole positions from the swath edge to nadir
  const float b = x2earthangle(orbit->height, 4, x, static_cast<float>(to_nadir), half_scan_angle);
  calc_satobs(kepler, orbit, sat, pix, b);
}

void calcposrel(const KEPLER* kepler, const ORBIT* orbit, const POSITION* pix, const POSITION* earth,
                POSITION* lonlat) {
  double lon = std::atan2(pix->x, pix->y) + kepler->raan - orbit->node_shift - earth->lon -
               orbit->offset_lon * kPiD / 180.0;
  double lat = std::asin(std::fmax(-1.0, std::fmin(1.0, static_cast<double>(pix->z))));
  lonlat->lon = static_cast<float>(wrap_below(lon, -kPiD, kPiD));
  lonlat->lat = static_cast<float>(wrap_below(lat, -kPiD, kPiD));
}

int xy2lonlat(int x, int y, PIC_INFO* pic, POSITION* lonlat) {
  // The one choice point between the two models: everything that places a
  // pixel (grid, read-out, exports) comes here.
  if (pic->orbit.model == OrbitModel::Precise) return xy2lonlat_precise(x, y, pic, lonlat);
  const int lps = pic->lines_per_sec;
  // No line timing, or no orbit derived from the elements: no geography.
  if (lps <= 0 || pic->orbit.valid == 0) return 0;
  ORBIT* o = &pic->orbit;
  SATPOS_LINE& line = pic->satpos.line;
  if (cache_hit(pic, y)) {
    o->node_shift = line.node_shift;
  } else {
    BrokenTime tm = o->start_tm;
    tm.tm_sec += y / lps;
    int ms = (y % lps) * 1000 / lps + o->start_ms;
    if (o->use_sattime == 0) {
      tm.tm_hour += o->offset_gmt;
      tm.tm_sec += o->offset_sec;
    }
    POSITION earth;
    POSITION sat;
    calcposearth(&tm, ms, &earth);
    // An overflowing revolution count has no position: never answer with
    // the satellite position of another line.
    if (calcpossat(&tm, ms, &pic->kepler, o, &sat) == 0) return 0;
    line.pos_earth = earth;
    line.pos_sat = sat;
    cache_store(pic, y);
  }
  POSITION pix;
  const SATPOS_SCAN_ROW* row = scan_row(&pic->satpos, o->height, pic->pixels_per_chan, pic->scan_angle, x);
  if (row == nullptr) {
    calc_x2satobs(&pic->kepler, o, &line.pos_sat, &pix, pic->pixels_per_chan, pic->scan_angle,
                  static_cast<float>(x));
  } else if (row->angle == 0.0f) {
    pix = line.pos_sat;
  } else {
    // calc_satobs with the scan angle's sine and cosine from the table and
    // the inclination's from the line cache: the same arithmetic, the same
    // result, without four library calls a pixel.
    const POSITION& sat = line.pos_sat;
    pix.x = static_cast<float>(row->sin_b * line.sin_incl + row->cos_b * sat.x);
    pix.y = static_cast<float>(row->cos_b * sat.y);
    pix.z = static_cast<float>(row->cos_b * sat.z - row->sin_b * line.cos_incl);
  }
  calcposrel(&pic->kepler, o, &pix, &line.pos_earth, lonlat);
  // A scan position beyond the horizon (or damaged elements) sees no earth.
  if (!std::isfinite(lonlat->lon) || !std::isfinite(lonlat->lat)) return 0;
  return 1;
}

void reset_satpos_cache(PIC_INFO* pic) {
  if (pic != nullptr) pic->satpos = SATPOS_CACHE{};
}

}  // namespace kelo
