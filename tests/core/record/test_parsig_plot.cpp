// The port test window's plot: bands, steps per zoom and offset, and the
// pixels of one step.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/record/parsig_plot.h"

namespace kelo {
namespace {

TEST(ParsigPlot, BandsStepsAndOneStepsPixels) {
  // 13 traces on a canvas 130 high: bands of 10, swings of 8.
  const ParBand b = parsig_band(12, 13, 130);
  EXPECT_EQ(std::make_tuple(b.top, b.band, b.swing), std::make_tuple(120, 10, 8));

  DRAWABLE_INFO c;
  ASSERT_GE(renew_rgbbuf(&c, 400, 10), 0);
  std::vector<ParSignal> one(1);
  one[0].name = "Sync";
  one[0].data.assign(kParSamples - 10, 0x00);
  one[0].data[1] = 0xFF;
  // Zoom 1: 10 000 steps; zoom 500: 20; an offset of 9990 leaves 9.
  EXPECT_EQ(draw_parsigs(&c, one, kParSamples, 0), kParSamples - 1);
  EXPECT_EQ(draw_parsigs(&c, one, kParSamples / 500, 0), 19);
  EXPECT_EQ(draw_parsigs(&c, one, kParSamples, 9990), 9);
  EXPECT_EQ(draw_parsigs(&c, one, 20, 0), 19);

  // 20 steps on 400 pixels: step 1 (sample 0 low -> sample 1 high) rises at
  // x 100 from level 8 to level 0, then runs along row 0 to x 119.
  ASSERT_GE(renew_rgbbuf(&c, 400, 10), 0);
  draw_parsigs(&c, one, 20, 0);
  KColor px;
  const KColor yellow{255, 255, 0};
  auto at = [&](int x, int y) {
    return get_rgbpoint(&c, &px, x, y) == 1 && px.red == yellow.red && px.green == yellow.green &&
           px.blue == yellow.blue;
  };
  EXPECT_TRUE(at(100, 4));
  EXPECT_TRUE(at(110, 0));
  EXPECT_FALSE(at(110, 8));
  EXPECT_TRUE(at(125, 8));  // step 2 back low
  // A canvas one pixel wide is left alone.
  DRAWABLE_INFO thin;
  ASSERT_GE(renew_rgbbuf(&thin, 1, 10), 0);
  EXPECT_EQ(draw_parsigs(&thin, one, 20, 0), 0);
}

}  // namespace
}  // namespace kelo
