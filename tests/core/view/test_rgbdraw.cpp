// Canvas record, drawing primitives and the 8x8 font.
#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "core/view/rgbdraw.h"

namespace kelo {
namespace {

using Points = std::set<std::pair<int, int>>;

DRAWABLE_INFO canvas(int w, int h) {
  DRAWABLE_INFO c;
  EXPECT_EQ(renew_rgbbuf(&c, w, h), 1);
  return c;
}

// Every pixel that is not black, as (x, y).
Points lit(const DRAWABLE_INFO& c) {
  Points p;
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      const size_t o = (static_cast<size_t>(y) * c.width + x) * 3;
      if (c.rgb_buf[o] | c.rgb_buf[o + 1] | c.rgb_buf[o + 2]) p.insert({x, y});
    }
  return p;
}

const KColor kWhite{255, 255, 255};

TEST(RgbDraw, RenewBufferSizesAndClears) {
  DRAWABLE_INFO c;
  EXPECT_EQ(renew_rgbbuf(&c, 4, 3), 1);
  EXPECT_EQ(std::make_tuple(c.rgb_size, c.width, c.height), std::make_tuple(36, 4, 3));
  draw_rgbpoint(&c, kWhite, 1, 1);
  EXPECT_EQ(lit(c).size(), 1u);
  EXPECT_EQ(renew_rgbbuf(&c, 4, 3), 0);  // same size: cleared, not remade
  EXPECT_TRUE(lit(c).empty());
  EXPECT_EQ(renew_rgbbuf(&c, 5, 3), 1);
  EXPECT_EQ(c.rgb_size, 45);
  EXPECT_EQ(renew_rgbbuf(&c, -1, 3), -1);
  EXPECT_EQ(renew_rgbbuf(&c, 1 << 20, 1 << 20), -1);  // 3 TB: refused
  EXPECT_EQ(c.rgb_size, 45);
  EXPECT_EQ(renew_rgbbuf(nullptr, 1, 1), -1);
}

TEST(RgbDraw, PointsClipAndReadBack) {
  DRAWABLE_INFO c = canvas(3, 2);
  draw_rgbpoint(&c, KColor{0x1ff, 0x280, 0x3}, 2, 1);  // only the low bytes count
  draw_rgbpoint(&c, kWhite, -1, 0);
  draw_rgbpoint(&c, kWhite, 3, 0);
  draw_rgbpoint(&c, kWhite, 0, 2);
  EXPECT_EQ(lit(c), (Points{{2, 1}}));
  EXPECT_EQ(std::vector<uint8_t>(c.rgb_buf.begin() + 15, c.rgb_buf.begin() + 18),
            (std::vector<uint8_t>{0xff, 0x80, 0x03}));
  KColor got;
  EXPECT_EQ(get_rgbpoint(&c, &got, 2, 1), 1);
  EXPECT_EQ(std::make_tuple(got.red, got.green, got.blue), std::make_tuple(0xff, 0x80, 0x03));
  EXPECT_EQ(get_rgbpoint(&c, &got, 3, 1), 0);
  EXPECT_EQ(get_rgbpoint(&c, &got, 0, -1), 0);
  DRAWABLE_INFO empty;
  draw_rgbpoint(&empty, kWhite, 0, 0);  // no buffer: nothing happens
  EXPECT_EQ(get_rgbpoint(&empty, &got, 0, 0), 0);
}

TEST(RgbDraw, LinesOnePointPerStepOfTheLongerAxisAndRectangles) {
  // Flat: y = trunc(x / 10 * 3); drawn the other way round the same points
  // come out. Partly outside: the inside points are drawn one by one.
  const Points flat{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 1}, {5, 1}, {6, 1}, {7, 2}, {8, 2}, {9, 2}, {10, 3}};
  struct Case {
    bool rect;
    int size, x1, y1, x2, y2;
    Points want;
  } cases[] = {
      {false, 16, 0, 0, 10, 3, flat},
      {false, 16, 10, 3, 0, 0, flat},
      {false,
       16,
       0,
       0,
       3,
       10,
       {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 4}, {1, 5}, {1, 6}, {2, 7}, {2, 8}, {2, 9}, {3, 10}}},
      {false, 16, 5, 6, 5, 6, {{5, 6}}},
      {false, 4, -2, 1, 5, 1, {{0, 1}, {1, 1}, {2, 1}, {3, 1}}},
      {true, 8, 2, 2, 1, 1, {{2, 2}}},
      {true, 8, 1, 1, 4, 3, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {4, 2}, {4, 3}, {3, 3}, {2, 3}, {1, 3}, {1, 2}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << (k.rect ? "rect " : "line ") << k.x1 << "," << k.y1 << " " << k.x2
                                    << "," << k.y2);
    DRAWABLE_INFO c = canvas(k.size, k.size);
    if (k.rect) {
      draw_rgbrect(&c, kWhite, k.x1, k.y1, k.x2, k.y2);
    } else {
      draw_rgbline(&c, kWhite, k.x1, k.y1, k.x2, k.y2);
    }
    EXPECT_EQ(lit(c), k.want);
  }
}

TEST(RgbDraw, StringsPlacedClippedAndEnded) {
  // "A0" at (1, 2): glyph bits land where the font says.
  DRAWABLE_INFO c = canvas(20, 12);
  draw_rgbstring(&c, kWhite, 1, 2, "A0");
  Points want;
  for (int k = 0; k < 2; ++k) {
    const uint8_t* g = &kFont8x8[((k ? '0' : 'A') - 32) * 8];
    for (int i = 0; i < 8; ++i)
      for (int j = 0; j < 7; ++j)
        if (g[i] & (0x80 >> j)) want.insert({1 + 8 * k + j, 2 + i});
  }
  EXPECT_EQ(lit(c), want);
  EXPECT_TRUE(lit(c).count({1 + 2, 2}));  // "A" top row 0x38: columns 2..4
  EXPECT_FALSE(lit(c).count({1 + 1, 2}));

  // At x = width - 4 only the first four columns of "N" appear; rows below
  // the buffer are cut.
  DRAWABLE_INFO c2 = canvas(12, 5);
  draw_rgbstring(&c2, kWhite, 8, 0, "NN");
  Points cut;
  for (int i = 0; i < 5; ++i)
    for (int j = 0; j < 4; ++j)
      if (kFont8x8[('N' - 32) * 8 + i] & (0x80 >> j)) cut.insert({8 + j, i});
  EXPECT_EQ(lit(c2), cut);

  // A character without a glyph ends the text.
  DRAWABLE_INFO c3 = canvas(40, 8);
  draw_rgbstring(&c3, kWhite, 0, 0, std::string_view("I\nI", 3));
  for (const auto& p : lit(c3)) EXPECT_LT(p.first, 8);
  EXPECT_FALSE(lit(c3).empty());
}

TEST(RgbDraw, StringLineBytes) {
  uint8_t line[24];
  std::fill(std::begin(line), std::end(line), 7);
  EXPECT_EQ(get_strline("AN", 0, line, 16), 2);
  // "A" then "N", and nothing written past the text.
  EXPECT_EQ(std::vector<uint8_t>(line, line + 17),
            (std::vector<uint8_t>{0, 0, 255, 255, 255, 0, 0, 0, 255, 255, 0, 0, 0, 255, 255, 0, 7}));
  // Room for one character only.
  std::fill(std::begin(line), std::end(line), 7);
  EXPECT_EQ(get_strline("AN", 1, line, 15), 1);
  EXPECT_EQ(line[1], 255);  // 108 = .##.##.
  EXPECT_EQ(line[8], 7);
  EXPECT_EQ(get_strline("AN", 8, line, 24), 0);  // no such row
  EXPECT_EQ(get_strline("A\x01N", 0, line, 24), 1);
}

TEST(RgbDraw, PaletteSamplingAndPacking) {
  DRAWABLE_INFO c = canvas(1, 1);
  std::vector<KColor> pal(1024);
  for (int j = 0; j < 1024; ++j) {
    pal[j].red = static_cast<uint16_t>(j * 64);
    pal[j].green = static_cast<uint16_t>((1023 - j) * 64);
    pal[j].blue = 0x12ff;
  }
  Create_RGBPalette(&c, pal);
  ASSERT_EQ(c.n_colors, 256);
  ASSERT_EQ(c.rgb_cmap.size(), 256u);
  // Entry 1 is palette entry 4: red 256 -> 0x01, green 1019 * 64 = 0xfec0 ->
  // 0xfe, blue 0x12ff -> 0x12.
  EXPECT_EQ(c.rgb_cmap[1], 0x01fe12u);
  EXPECT_EQ(c.rgb_cmap[0], 0x00ff12u);    // green 1023 * 64 = 0xffc0 -> 0xff
  EXPECT_EQ(c.rgb_cmap[255], 0xff0012u);  // entry 1020: red 0xff00, green 3 * 64 = 0x00c0 -> 0
  for (int i = 0; i < 256; ++i) EXPECT_EQ(c.rgb_cmap[i] >> 16, static_cast<uint32_t>(i));

  std::vector<KColor> small(3, KColor{0xffff, 0, 0x8000});
  Create_RGBPalette(&c, small);
  EXPECT_EQ(c.n_colors, 3);
  EXPECT_EQ(c.rgb_cmap[2], 0xff0080u);
}

}  // namespace
}  // namespace kelo
