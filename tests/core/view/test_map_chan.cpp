// The automatic colour mixes and detector alignment of the channel map.
#include "core/view/map_chan.h"

#include <gtest/gtest.h>

#include <memory>

namespace kelo {
namespace {

struct Mix {
  int ch;
  float r, g, b;
};

// Every channel's three weights, against a table of the non-zero ones.
void expect_weights(const VIEW_INFO& v, std::initializer_list<Mix> mix) {
  for (int n = 1; n <= kMaxChannels; n++) {
    float r = 0, g = 0, b = 0;
    for (const Mix& m : mix)
      if (m.ch == n) {
        r = m.r;
        g = m.g;
        b = m.b;
      }
    EXPECT_FLOAT_EQ(v.map_wr[n], r) << "red weight of channel " << n;
    EXPECT_FLOAT_EQ(v.map_wg[n], g) << "green weight of channel " << n;
    EXPECT_FLOAT_EQ(v.map_wb[n], b) << "blue weight of channel " << n;
  }
}

TEST(AutoColor, MixPerSatelliteFamily) {
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();

  // NOAA 15 and later: red 3, green 2, blue 1.
  pic->file_type = kKindHRPT;
  pic->sat_name = "NOAA 15";
  EXPECT_EQ(mapchan_auto_color(pic.get(), view.get()), 0);
  expect_weights(*view, {{1, 0, 0, 1}, {2, 0, 1, 0}, {3, 1, 0, 0}});

  // NOAA 14: blue from the thermal channel 4. Channel 3 stays marked used
  // from before, now with weight 0.
  pic->sat_name = "NOAA 14";
  EXPECT_EQ(mapchan_auto_color(pic.get(), view.get()), 0);
  expect_weights(*view, {{1, 1, 0, 0}, {2, 0, 1, 0}, {4, 0, 0, 1}});
  EXPECT_EQ(view->map_used[3], 1);
  EXPECT_EQ(view->map_used[4], 1);
  EXPECT_EQ(view->map_used[5], 0);

  // No number in the name counts as an old satellite.
  *view = VIEW_INFO{};
  pic->sat_name = "unknown";
  mapchan_auto_color(pic.get(), view.get());
  expect_weights(*view, {{1, 1, 0, 0}, {2, 0, 1, 0}, {4, 0, 0, 1}});

  // A GIF has no mix: weights cleared, nothing marked.
  *view = VIEW_INFO{};
  view->map_wr[4] = 2.5f;
  pic->file_type = kKindGIF;
  EXPECT_EQ(mapchan_auto_color(pic.get(), view.get()), 1);
  EXPECT_FLOAT_EQ(view->map_wr[4], 0.0f);
  EXPECT_EQ(view->map_used[4], 0);
}

TEST(AutoAlign, KnownFengYunOffsetsAndReset) {
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  for (int n = 1; n <= kMaxChannels; n++) {
    view->hshift[n] = 5;
    view->vshift[n] = -4;
    view->tilt[n] = 2;
  }
  pic->file_type = kKindCHRPT;
  mapchan_auto_align(pic.get(), view.get());
  for (int n = 1; n <= kMaxChannels; n++) {
    int h = n == 7 || n == 9 ? -3 : n == 10 ? -2 : 0;
    EXPECT_EQ(view->hshift[n], h) << n;
    EXPECT_EQ(view->vshift[n], 0) << n;
    EXPECT_EQ(view->tilt[n], n == 7 ? 4 : 0) << n;
  }
  // Other kinds: everything cleared.
  pic->file_type = kKindHRPT;
  mapchan_auto_align(pic.get(), view.get());
  EXPECT_EQ(view->hshift[7], 0);
  EXPECT_EQ(view->tilt[7], 0);

  view->vshift[3] = 6;
  mapchan_reset_align(view.get());
  EXPECT_EQ(view->vshift[3], 0);
}

}  // namespace
}  // namespace kelo
