// A row painted straight from the mixed levels (full and zoomed-out views)
// and a zoomed-in temperature row painted from the colours of its shown
// samples must give the pixels and the histogram of the table painters,
// block by block, mirrored, and without touching the next row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/view/rgbdraw.h"
#include "core/view/row_paint.h"

namespace kelo {
namespace {

constexpr int kW = 24;

struct Canvas {
  DRAWABLE_INFO c;
  VIEW_INFO v;
  Canvas() {
    renew_rgbbuf(&c, kW, 2);
    std::vector<KColor> pal;
    for (int i = 0; i < 256; ++i)
      pal.push_back(KColor{static_cast<uint16_t>(i * 257), static_cast<uint16_t>((i * 7 % 256) * 257),
                           static_cast<uint16_t>((255 - i) * 257)});
    Create_RGBPalette(&c, pal);
    std::fill(c.rgb_buf.begin(), c.rgb_buf.end(), uint8_t{77});
  }
  bool same(const Canvas& o) const {
    return c.rgb_buf == o.c.rgb_buf && std::equal(std::begin(v.hist), std::end(v.hist), std::begin(o.v.hist));
  }
};

std::vector<int> lummap() {
  std::vector<int> m(1024);
  for (int v = 0; v < 1024; ++v) m[static_cast<size_t>(v)] = (v * 5) % 256;
  return m;
}

TEST(MixedRows, SpansPaintAsTheColumnTable) {
  // Twenty shown columns on canvas columns 2 .. 21; columns 0, 1 and 23 show
  // nothing, column 22 a sample past the line.
  constexpr int kShown = 20;
  int red[kShown], green[kShown], blue[kShown];
  for (int k = 0; k < kShown; ++k) {
    red[k] = k * 97 % 1024;
    green[k] = k == 3 ? 1023 : (1023 + 1024 - k * 61 % 1024) % 1024;
    blue[k] = k * k * 13 % 1024;
  }
  std::vector<int> xmap(kW, -1);
  for (int x = 2; x < 22; ++x) xmap[static_cast<size_t>(x)] = 10 + x;
  xmap[23] = 99;
  const ColumnRuns runs = column_runs(xmap.data(), kW, 40);
  const std::vector<int> lm = lummap();
  for (const bool mirrored : {false, true}) {
    std::vector<int> kmap(kW, 0);
    for (int x = 2; x < 22; ++x) kmap[static_cast<size_t>(x)] = mirrored ? 21 - x : x - 2;
    const MixedSpans spans = mixed_spans(runs, kmap.data(), kShown);
    ASSERT_TRUE(spans.direct) << mirrored;
    ASSERT_EQ(spans.spans.size(), 1u);
    EXPECT_EQ(spans.spans[0].step, mirrored ? -1 : 1);

    Canvas want, got;
    const LevelPixels px = level_pixels(rgb_level_colours(lm.data(), &want.c));
    MixedColumns mixed;
    colour_columns(red, green, blue, kShown, px, &mixed);
    paint_row_columns(mixed, runs, kmap.data(), 0, &want.c, &want.v);
    // Blocks that end inside the span, as the pass mixes them.
    paint_row_gaps(runs, 0, &got.c);
    for (size_t from = 0; from < kShown; from += 7)
      paint_row_mixed(red, green, blue, from, std::min<size_t>(kShown, from + 7), spans, runs, px, 0, &got.c,
                      &got.v);
    EXPECT_TRUE(want.same(got)) << mirrored;
    for (size_t i = kW * 3; i < kW * 6; ++i) ASSERT_EQ(got.c.rgb_buf[i], 77) << "row 1 at " << i;
  }

  // A canvas column showing the entry past the shown columns (level 0) has
  // no mixed level: such a row needs the table.
  std::vector<int> past(kW, 0);
  for (int x = 2; x < 22; ++x) past[static_cast<size_t>(x)] = x - 2;
  past[21] = kShown;
  EXPECT_FALSE(mixed_spans(runs, past.data(), kShown).direct);
}

TEST(MixedRows, ZoomedTemperaturesPaintAsThePixelTable) {
  // Tenths of a kelvin past both ends of the scale; each sample shown on
  // two or three canvas columns.
  const std::vector<uint16_t> line = {0, 2029, 2030, 2500, 3000, 3439, 3440, 60000, 2700};
  const std::vector<int> xmap = {1, 1, 2, 2, 2, 3, 3, 5, 5, 7, -1, 8, 8, 8, 0, 0, 4, 4, 6, 6, 6, -1, -1, 9};
  const ColumnRuns runs = column_runs(xmap.data(), kW, 9);  // column 23 past the line
  std::vector<int> shown = {0, 1, 2, 3, 4, 5, 6, 7, 8}, kmap(kW, 0);
  for (int x = 0; x < kW; ++x)
    if (xmap[static_cast<size_t>(x)] >= 0)
      kmap[static_cast<size_t>(x)] = static_cast<int>(
          std::lower_bound(shown.begin(), shown.end(), xmap[static_cast<size_t>(x)]) - shown.begin());
  const std::vector<int> lm = lummap();
  Canvas want, got;
  const TempPixels px = temp_pixels(temp_colours(lm.data(), &want.c));
  paint_row_temp(line.data(), runs, xmap.data(), px, 0, &want.c, &want.v);
  MixedColumns cols;
  temp_columns(line.data(), shown, px, &cols);
  paint_row_columns(cols, runs, kmap.data(), column_times(runs, kmap.data(), shown.size()), 0, &got.c,
                    &got.v);
  EXPECT_TRUE(want.same(got));
}

}  // namespace
}  // namespace kelo
