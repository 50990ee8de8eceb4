// The precise orbit model: pixel positions of a 15-minute NOAA 19 pass
// against an independent navigation (python3-pyorbital's AVHRR scan
// geometry with python3-sgp4), and what happens where there is no position.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/base/misc.h"
#include "core/orbit/calc_satpos.h"
#include "core/orbit/parse_norad.h"
#include "support/kepler_sets.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

constexpr double kStationDeg = 180.0 / 3.1415926;  // the station's radians to degrees

constexpr const char* kLine1 = test::kNoaa19Line1;
constexpr const char* kLine2 = test::kNoaa19Line2;

// Geodesic distance on the WGS-84 ellipsoid is not needed at this scale:
// great circle on a 6371 km sphere, km.
double distance_km(double lon1, double lat1, double lon2, double lat2) {
  const double d = M_PI / 180.0;
  const double c = std::sin(lat1 * d) * std::sin(lat2 * d) +
                   std::cos(lat1 * d) * std::cos(lat2 * d) * std::cos((lon1 - lon2) * d);
  return 6371.0 * std::acos(std::fmax(-1.0, std::fmin(1.0, c)));
}

// A 6-lines-a-second AVHRR picture starting `after` seconds past the epoch's
// whole second, placed with the precise model.
std::unique_ptr<PIC_INFO> precise_pass(int after) {
  auto pic = std::make_unique<PIC_INFO>();
  EXPECT_EQ(parse_norad_lines(kLine1, kLine2, &pic->kepler), 1);
  EXPECT_EQ(calc_orbitconst(&pic->kepler, &pic->orbit), 1);
  pic->lines_per_sec = 6;
  pic->pixels_per_chan = 2048;
  pic->scan_angle = 55.4f;  // as an HRPT header holds it
  pic->orbit.use_sattime = true;
  pic->orbit.start_tm = pic->orbit.epoch_tm;
  pic->orbit.start_tm.tm_sec += after;
  pic->orbit.model = OrbitModel::Precise;
  return pic;
}

constexpr const char* kNavScript = R"(
import sys
import numpy as np
from sgp4.api import Satrec
from pyorbital.geoloc import ScanGeometry, compute_pixels, get_lonlatalt
sat = Satrec.twoline2rv(sys.argv[1], sys.argv[2])
unix0 = np.datetime64('1970-01-01T00:00:00')
class Orbit:
    def get_position(self, times, normalize=False):
        pos, vel = [], []
        for t in np.ravel(times):
            jd = (t - unix0) / np.timedelta64(1, 'us') / 1e6 / 86400.0 + 2440587.5
            err, r, v = sat.sgp4(np.floor(jd), jd - np.floor(jd))
            assert err == 0
            pos.append(r)
            vel.append(v)
        shape = (3,) + np.shape(times)
        return np.array(pos).T.reshape(shape), np.array(vel).T.reshape(shape)
for tok in sys.argv[3:]:
    secs, x = tok.split(':')
    x = int(x)
    angle = (x / 1023.5 - 1) * np.deg2rad(-55.37)
    start = unix0 + np.timedelta64(int(round(float(secs) * 1e6)), 'us')
    geom = ScanGeometry(np.array([[angle], [0.0]]), np.array([x * 0.000025]))
    times = geom.times(start)
    lon, lat, alt = get_lonlatalt(compute_pixels(Orbit(), geom, times), times)
    print(float(np.ravel(lon)[0]), float(np.ravel(lat)[0]))
)";

std::string python_with_navigation() {
  const char* py = "/usr/bin/python3";
  const std::string cmd = std::string(py) + " -c \"import sgp4.api, pyorbital.geoloc\" >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0 ? py : "";
}

TEST(PreciseOrbit, PassAgreesWithIndependentAvhrrNavigation) {
  const std::string py = python_with_navigation();
  if (py.empty()) GTEST_SKIP() << "python3 with sgp4 and pyorbital not available";
  const int after = 3 * 3600;  // three hours past the epoch
  auto pic = precise_pass(after);
  const int64_t start = mktime_ntz(&pic->orbit.start_tm);
  const int last = 15 * 60 * 6 - 1;
  struct Probe {
    int x, y;
    double limit_km;
  };
  const std::vector<Probe> probes = {{0, 0, 5.0},    {1023, 0, 2.0},    {1024, 0, 2.0},    {2047, 0, 5.0},
                                     {0, last, 5.0}, {1023, last, 2.0}, {1024, last, 2.0}, {2047, last, 5.0}};
  std::ostringstream args;
  args.precision(17);
  for (const Probe& p : probes) {
    // the line's time as the model takes it: whole milliseconds
    const double t = static_cast<double>(start) + p.y / 6 + ((p.y % 6) * 1000 / 6) / 1000.0;
    args << ' ' << t << ':' << p.x;
  }
  test::TempDir dir;
  const std::string script = dir.write("nav.py", kNavScript);
  const std::string cmd =
      py + " " + script + " '" + kLine1 + "' '" + kLine2 + "'" + args.str() + " 2>" + dir.path() + "/err.txt";
  FILE* pipe = popen(cmd.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  size_t n = 0;
  double lon, lat;
  while (n < probes.size() && std::fscanf(pipe, "%lf %lf", &lon, &lat) == 2) {
    const Probe& p = probes[n++];
    POSITION pos;
    ASSERT_EQ(xy2lonlat(p.x, p.y, pic.get(), &pos), 1);
    const double d = distance_km(pos.lon * kStationDeg, pos.lat * kStationDeg, lon, lat);
    std::printf("pixel %4d line %4d: %9.4f %8.4f  reference %9.4f %8.4f  %.3f km\n", p.x, p.y,
                pos.lon * kStationDeg, pos.lat * kStationDeg, lon, lat, d);
    EXPECT_LT(d, p.limit_km) << "pixel " << p.x << " line " << p.y;
  }
  pclose(pipe);
  ASSERT_EQ(n, probes.size()) << "navigation output incomplete";
}

// Where the propagator has no position there is no longitude/latitude, never
// a number made of NaN: a decayed orbit, an eccentricity out of range.
TEST(PreciseOrbit, NoPositionWhereThePropagatorReportsAnError) {
  auto pic = precise_pass(0);
  POSITION pos{1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
  ASSERT_EQ(xy2lonlat(1024, 0, pic.get(), &pos), 1);
  // 16.46 revolutions a day with 0.3 eccentricity, at perigee: inside the
  // earth
  pic->kepler.motion = 16.46f;
  pic->kepler.eccentricity = 0.3f;
  pic->kepler.anomaly = 0.0f;
  pos = POSITION{1.0f, 2.0f, 3.0f, 4.0f, 5.0f};
  EXPECT_EQ(xy2lonlat(1024, 0, pic.get(), &pos), 0);
  EXPECT_EQ(pos.lon, 4.0f);
  pic->kepler.eccentricity = 1.2f;
  EXPECT_EQ(xy2lonlat(1024, 0, pic.get(), &pos), 0);
  // beyond the horizon: a scan far wider than the instrument's
  pic = precise_pass(0);
  pic->scan_angle = 80.0f;
  EXPECT_EQ(xy2lonlat(0, 0, pic.get(), &pos), 0);
  EXPECT_EQ(xy2lonlat(1024, 0, pic.get(), &pos), 1);
}

}  // namespace
}  // namespace kelo
