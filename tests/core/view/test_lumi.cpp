// Automatic luminance window, histogram plot and plot clicks.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "core/view/lumi.h"

namespace kelo {
namespace {

// The luminance window as (lmin, lmax).
using W = std::pair<int, int>;
W window(const VIEW_INFO& v) { return {v.lmin, v.lmax}; }

TEST(Lumi, ThresholdsFromTheHistogram) {
  auto v = std::make_unique<VIEW_INFO>();
  v->lmin = 7;
  v->lmax = 77;
  v->hist[0] = 100000;  // level 0 alone: nothing to go by
  calc_lum_thresholds(v.get(), 1024);
  EXPECT_EQ(window(*v), W(7, 77));

  // Levels 100..900, peak 5000 (2 % = 100), tails at or below 100 counts.
  for (int i = 100; i <= 900; ++i) v->hist[i] = 50;
  v->hist[100] = 100;  // exactly 2 %: not above
  for (int i = 150; i <= 850; ++i) v->hist[i] = 101;
  v->hist[500] = 5000;
  v->hist[1000] = 100;
  calc_lum_thresholds(v.get(), 1024);
  EXPECT_EQ(window(*v), W(150, 850));
  // Only levels below `levels` count.
  v->hist[1000] = 4000;
  calc_lum_thresholds(v.get(), 1000);
  EXPECT_EQ(v->lmax, 850);
  calc_lum_thresholds(v.get(), 1001);
  EXPECT_EQ(v->lmax, 1000);
}

TEST(Lumi, ClicksAndNormalising) {
  // Column, plot width, expected level (130 * 1023 / 259 = 513).
  const int clicks[][3] = {{0, 260, 0},      {259, 260, 1023}, {130, 260, 513},
                           {400, 260, 1023}, {-3, 260, 0},     {5, 1, 0}};
  for (const auto& c : clicks) EXPECT_EQ(lum_click_level(c[0], c[1], 1024), c[2]) << c[0] << " of " << c[1];

  auto v = std::make_unique<VIEW_INFO>();
  v->lmin = 100;
  v->lmax = 300;
  // Halfway between the ends lmin moves (the nearer end moving is checked by
  // clicks on the Luminance window's plot).
  lum_click(v.get(), 200);
  EXPECT_EQ(window(*v), W(200, 300));

  v->lmin = 700;  // typed above lmax
  v->lmax = 200;
  lum_normalise(v.get());
  EXPECT_EQ(window(*v), W(200, 700));
  v->lmin = -5;
  lum_normalise(v.get());
  EXPECT_EQ(v->lmin, 0);
}

bool is(const DRAWABLE_INFO& c, int x, int y, uint8_t r, uint8_t g, uint8_t b) {
  const size_t o = (static_cast<size_t>(y) * c.width + x) * 3;
  return c.rgb_buf[o] == r && c.rgb_buf[o + 1] == g && c.rgb_buf[o + 2] == b;
}

TEST(Lumi, HistogramPlot) {
  auto pic = std::make_unique<PIC_INFO>();
  auto v = std::make_unique<VIEW_INFO>();
  pic->lut_size = 11;  // n = 10 levels across an 11 x 11 plot: column = level
  DRAWABLE_INFO plot;
  renew_rgbbuf(&plot, 11, 11);
  int amp = 0;
  EXPECT_EQ(draw_stat(&plot, pic.get(), v.get(), &amp), 0);  // empty histogram

  v->hist[0] = 999999;  // level 0 is not plotted and sets no scale
  v->hist[1] = 40;
  v->hist[2] = 20;
  v->hist[3] = 0;
  v->hist[4] = 36;
  v->lmin = 6;
  v->lmax = 9;
  ASSERT_EQ(draw_stat(&plot, pic.get(), v.get(), &amp), 1);
  EXPECT_EQ(amp, 1);
  EXPECT_TRUE(is(plot, 1, 0, 255, 0, 0));   // peak at the top
  EXPECT_TRUE(is(plot, 2, 5, 255, 0, 0));   // half the peak: 10 - 20 * 10 / 40
  EXPECT_TRUE(is(plot, 3, 10, 255, 0, 0));  // nothing: the bottom
  EXPECT_TRUE(is(plot, 4, 1, 255, 0, 0));   // 10 - 36 * 10 / 40 = 1
  EXPECT_TRUE(is(plot, 0, 0, 255, 0, 0));   // the curve starts top left
  EXPECT_TRUE(is(plot, 2, 0, 0, 0, 0));
  for (int y = 0; y <= 10; ++y) {
    EXPECT_TRUE(is(plot, 6, y, 0, 255, 0)) << y;  // lmin marker
    EXPECT_TRUE(is(plot, 9, y, 0, 255, 0)) << y;  // lmax marker
  }
  // Amplified 10 times, a tenth of the peak reaches the top.
  v->hist[2] = 5;
  amp = 10;
  draw_stat(&plot, pic.get(), v.get(), &amp);
  EXPECT_TRUE(is(plot, 2, 0, 255, 0, 0));
  EXPECT_TRUE(is(plot, 1, 3, 0, 0, 0));  // on the first curve only: the plot was cleared

  // Two levels per column: only the first level of each column is plotted
  // (column i / 2 takes level i, even; odd levels are all zero and unseen).
  pic->lut_size = 21;
  for (int i = 1; i <= 20; ++i) v->hist[i] = (i % 2) ? 0 : 10;
  amp = 1;
  draw_stat(&plot, pic.get(), v.get(), &amp);
  for (int x : {1, 2, 5, 7, 8, 10}) EXPECT_TRUE(is(plot, x, 0, 255, 0, 0)) << x;
  for (int x : {1, 2, 5, 7, 8, 10}) EXPECT_TRUE(is(plot, x, 10, 0, 0, 0)) << x;
  EXPECT_TRUE(is(plot, 3, 0, 0, 255, 0));  // lmin 6 now falls on column 3
}

}  // namespace
}  // namespace kelo
