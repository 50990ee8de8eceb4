// Longitude/latitude grid and the position read-out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <memory>

#include "core/export/hrpt_fixture.h"
#include "core/orbit/calc_satpos.h"
#include "core/orbit/draw_satpos.h"
#include "core/view/mapping.h"
#include "core/view/zoom.h"

namespace kelo {
namespace {

constexpr double kDeg = 180.0 / 3.1415926;
const KColor kGreen{0, 255, 0};

TEST(Grid, StepsFromTheSpan) {
  // A span of 6 gives 6 / 8 = 0 -> 1; 40 to 20 is 20 degrees as well; 24 / 8 = 3 -> 5.
  const int steps[][3] = {{10, 16, 1}, {-3, 4, 1}, {0, 16, 2},    {40, 20, 2},
                          {0, 23, 2},  {0, 24, 5}, {-170, 170, 5}};
  for (const auto& c : steps) EXPECT_EQ(grid_step(c[0], c[1]), c[2]) << c[0] << ".." << c[1];
}

struct Px {
  DRAWABLE_INFO c;
  Px() { renew_rgbbuf(&c, 40, 30); }
  bool lit(int x, int y) const {
    const size_t o = (static_cast<size_t>(y) * c.width + x) * 3;
    return c.rgb_buf[o] || c.rgb_buf[o + 1] || c.rgb_buf[o + 2];
  }
  bool green(int x, int y) const {
    const size_t o = (static_cast<size_t>(y) * c.width + x) * 3;
    return c.rgb_buf[o] == 0 && c.rgb_buf[o + 1] == 255 && c.rgb_buf[o + 2] == 0;
  }
  int count() const {
    int n = 0;
    for (int y = 0; y < c.height; ++y)
      for (int x = 0; x < c.width; ++x) n += lit(x, y);
    return n;
  }
};

POSITION at(float lon, float lat) {
  POSITION p;
  p.lon = lon;
  p.lat = lat;
  return p;
}

TEST(Grid, PixelDecision) {
  // Whole degrees that are multiples of the step, crossed towards either
  // neighbour; away from row 1 and column 1 no label.
  struct Case {
    const char* what;
    POSITION cur, left, up;
    int lon_step, lat_step;
    bool drawn;
  } cases[] = {
      {"10.2 from 9.8", at(10.2f, 3.5f), at(9.8f, 3.5f), at(10.2f, 3.6f), 5, 5, true},
      {"11 is not a multiple of 5", at(11.2f, 3.5f), at(10.8f, 3.5f), at(11.2f, 3.6f), 5, 5, false},
      {"11 with step 1", at(11.2f, 3.5f), at(10.8f, 3.5f), at(11.2f, 3.6f), 1, 5, true},
      {"-9.8 -> -10.2 on the western side", at(-10.2f, 3.5f), at(-9.8f, 3.5f), at(-10.2f, 3.5f), 5, 5, true},
      {"meridian 0: both truncate to 0", at(0.3f, 3.5f), at(-0.2f, 3.5f), at(0.3f, 3.5f), 5, 5, true},
      {"the equator, from the row above", at(3.5f, -0.1f), at(3.4f, -0.1f), at(3.5f, 0.2f), 5, 5, true},
      {"inside one degree", at(12.6f, 44.6f), at(12.5f, 44.5f), at(12.6f, 44.7f), 1, 1, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Px p;
    Draw_Lonlatpix(20, 10, &c.cur, &c.left, &c.up, c.lon_step, c.lat_step, &p.c, kGreen);
    EXPECT_EQ(p.green(20, 10), c.drawn);
    EXPECT_EQ(p.count(), c.drawn ? 1 : 0);
  }
  // On row 1 a meridian gets its label "10" at (x + 3, 6) in white, in
  // column 1 a parallel gets its label at (8, y + 5).
  struct Label {
    int x, y;
    POSITION cur, left, up;
    int lx, ly;
    const char* text;
  } labels[] = {
      {4, 1, at(10.4f, 3.5f), at(9.9f, 3.5f), at(10.4f, 3.5f), 7, 6, "10"},
      {1, 9, at(3.5f, -20.3f), at(3.4f, -20.3f), at(3.5f, -19.8f), 8, 14, "-20"},
  };
  for (const Label& l : labels) {
    SCOPED_TRACE(l.text);
    Px p, want;
    Draw_Lonlatpix(l.x, l.y, &l.cur, &l.left, &l.up, 5, 5, &p.c, kGreen);
    draw_rgbpoint(&want.c, kGreen, l.x, l.y);
    draw_rgbstring(&want.c, KColor{255, 255, 255}, l.lx, l.ly, l.text);
    EXPECT_EQ(p.c.rgb_buf, want.c.rgb_buf);
  }
}

// A NOAA-like pass: 98.7 degrees inclination, 14.2 revolutions a day, ten
// minutes at 6 lines per second.
struct Pass {
  std::unique_ptr<PIC_INFO> pic = std::make_unique<PIC_INFO>();
  std::unique_ptr<VIEW_INFO> view = std::make_unique<VIEW_INFO>();
  Pass() {
    pic->kepler = test::noaa_like_kepler(static_cast<float>(98.7 / kDeg));
    EXPECT_EQ(calc_orbitconst(&pic->kepler, &pic->orbit), 1);
    pic->orbit.start_tm = test::april_tenth_2024(12, 0);
    pic->lines_per_sec = 6;
    pic->pixels_per_chan = 2048;
    pic->scan_angle = 55.4f;
    pic->width = 2048;
    pic->height = 3600;
    view->zoom = zoom_full();
    view->orientation = Orientation::Normal;
    view->scan_dir = ScanDir::TopDown;
    view->grid_rgb[1] = 255;
  }
};

TEST(Grid, PassOverAPicture) {
  Pass s;
  DRAWABLE_INFO c;
  renew_rgbbuf(&c, 160, 120);
  correct_zoomval(&c, s.view.get(), s.pic.get());
  s.pic->orbit.valid = false;
  EXPECT_EQ(draw_lonlat_canvas(s.pic.get(), s.view.get(), &c, nullptr), 0);
  s.pic->orbit.valid = true;
  ASSERT_EQ(draw_lonlat_canvas(s.pic.get(), s.view.get(), &c, nullptr), 1);

  auto px = [&c](int x, int y, int k) { return c.rgb_buf[(static_cast<size_t>(y) * c.width + x) * 3 + k]; };
  auto is_grid = [&](int x, int y) { return px(x, y, 0) == 0 && px(x, y, 1) == 255 && px(x, y, 2) == 0; };
  int grid = 0, white = 0;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      grid += is_grid(x, y);
      white += px(x, y, 0) == 255 && px(x, y, 1) == 255;
    }
  EXPECT_GT(grid, 200);
  EXPECT_GT(white, 20);  // labels
  for (int x = 0; x < c.width; ++x) {
    EXPECT_FALSE(is_grid(x, 0)) << "first row, x " << x;
    EXPECT_FALSE(is_grid(x, c.height - 1)) << "last row, x " << x;
  }
  for (int y = 0; y < c.height; ++y) EXPECT_FALSE(is_grid(0, y)) << "first column, y " << y;

  // Every grid pixel sits where the exact position crosses a multiple of the
  // step towards its left or upper neighbour (allowing a pixel's worth of
  // interpolation error); the steps come from the corner span.
  auto deg = [&](int sx, int sy) {
    POSITION p;
    EXPECT_EQ(xy2lonlat(scrx2picx(sx, s.view.get(), s.pic.get()), scry2picy(sy, s.view.get(), s.pic.get()),
                        s.pic.get(), &p),
              1);
    return at(static_cast<float>(p.lon * kDeg), static_cast<float>(p.lat * kDeg));
  };
  const POSITION c00 = deg(0, 0), c11 = deg(159, 119), c01 = deg(0, 119), c10 = deg(159, 0);
  const int lon_step =
      grid_step(static_cast<int>(std::fmin(std::fmin(c00.lon, c11.lon), std::fmin(c01.lon, c10.lon))),
                static_cast<int>(std::fmax(std::fmax(c00.lon, c11.lon), std::fmax(c01.lon, c10.lon))));
  const int lat_step =
      grid_step(static_cast<int>(std::fmin(std::fmin(c00.lat, c11.lat), std::fmin(c01.lat, c10.lat))),
                static_cast<int>(std::fmax(std::fmax(c00.lat, c11.lat), std::fmax(c01.lat, c10.lat))));
  // Positions are computed every 5 columns and interpolated between, so the
  // tolerance grows with how fast the position changes there (near the pole).
  auto crosses = [](float a, float b, int step, float tol) {
    const float lo = std::fmin(a, b) - tol, hi = std::fmax(a, b) + tol;
    for (int m = static_cast<int>(std::floor(lo / step)) * step; m <= hi; m += step)
      if (m >= lo && m <= hi) return true;
    return false;
  };
  int checked = 0;
  for (int y = 1; y < c.height - 1; y += 3)
    for (int x = 1; x < c.width; ++x) {
      if (!is_grid(x, y)) continue;
      const POSITION p = deg(x, y), l = deg(x - 1, y), u = deg(x, y - 1);
      const POSITION w5 = deg(std::max(x - 5, 0), y), e5 = deg(std::min(x + 5, c.width - 1), y);
      const float tlon = 0.1f + std::fabs(e5.lon - w5.lon) / 4, tlat = 0.1f + std::fabs(e5.lat - w5.lat) / 4;
      const bool ok = crosses(p.lon, l.lon, lon_step, tlon) || crosses(p.lon, u.lon, lon_step, tlon) ||
                      crosses(p.lat, l.lat, lat_step, tlat) || crosses(p.lat, u.lat, lat_step, tlat);
      EXPECT_TRUE(ok) << "grid pixel " << x << "," << y << " at " << p.lon << "," << p.lat;
      ++checked;
    }
  EXPECT_GT(checked, 50);
}

TEST(ReadOut, PositionAndPixelTexts) {
  Pass s;
  DRAWABLE_INFO c;
  renew_rgbbuf(&c, 160, 120);
  correct_zoomval(&c, s.view.get(), s.pic.get());
  draw_rgbpoint(&c, KColor{128, 128, 128}, 10, 20);
  s.view->lmin = 0;
  s.view->lmax = 1020;
  s.view->gamma = 1.0f;

  COORD_TEXT t = coord_values(&c, 10, 20, s.pic.get(), s.view.get());
  POSITION p;
  // Screen (10, 20) is picture (128, 599): 20 / (120 / 3600.f) falls just short of 600.
  ASSERT_EQ(xy2lonlat(128, 599, s.pic.get(), &p), 1);
  char want[64];
  std::snprintf(want, sizeof want, "%5.2f,%5.2f", p.lon * kDeg, p.lat * kDeg);
  EXPECT_EQ(t.position, want);
  EXPECT_EQ(t.pixel, "512");  // 1020 * 128 / 255

  s.view->show_xy = true;
  t = coord_values(&c, 10, 20, s.pic.get(), s.view.get());
  EXPECT_EQ(t.position, "[x=128,y=599]");
  s.view->show_xy = false;
  s.pic->lines_per_sec = 0;  // no line timing: pixel coordinates
  EXPECT_EQ(coord_values(&c, 10, 20, s.pic.get(), s.view.get()).position, "[x=128,y=599]");

  s.view->gamma = 2.0f;  // (sqrt(1020) * 128 / 255)^2 = 257.004
  EXPECT_EQ(coord_values(&c, 10, 20, s.pic.get(), s.view.get()).pixel, "257");
  s.view->lmin = 100;
  s.view->lmax = 900;
  draw_rgbpoint(&c, KColor{150, 200, 250}, 11, 20);  // v = 200: (10 + 20 * 200 / 255)^2 = 659.78
  EXPECT_EQ(coord_values(&c, 11, 20, s.pic.get(), s.view.get()).pixel, "659");
  s.view->gamma = 0.0f;  // drawn linearly, so read back linearly: 100 + 800 * 200 / 255
  EXPECT_EQ(coord_values(&c, 11, 20, s.pic.get(), s.view.get()).pixel, "727");

  // Temperature shown: the colour is read back as degrees C.
  s.view->temperature = true;
  s.view->chan_sel[4] = 1;
  s.view->lmin = 0;
  s.view->lmax = 1023;
  load_std_palette(&c, nullptr);
  draw_rgbpoint(&c, KColor{63, 254, 63}, 12, 20);
  EXPECT_EQ(coord_values(&c, 12, 20, s.pic.get(), s.view.get()).pixel, "-21 C");
}

}  // namespace
}  // namespace kelo
