// The screen pass works only on what the column map shows: the mix of the
// shown columns, the despeckle filter and the temperature conversion of the
// shown samples, the per-pass colour tables and the rows painted straight from
// the mixed levels. Each must give, wherever the screen looks, exactly what
// the whole-line function or the table painter gives, without touching the
// next row.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "core/view/data_proc.h"
#include "core/view/hrpt_calcs.h"
#include "core/view/mapping.h"
#include "core/view/rgbdraw.h"
#include "core/view/row_paint.h"
#include "line_sets.h"

namespace kelo {
namespace {

constexpr int kHdr = 3, kNch = 5, kWidth = 40, kPadded = kHdr + kNch * kWidth;

PIC_INFO recording() { return test::recording_like(kHdr, kNch, kWidth, kPadded); }

// A set of n lines of random samples 0 .. top.
struct RandomSet : test::HeldLines {
  RandomSet(int n, unsigned seed, int top) : HeldLines(n, static_cast<size_t>(kPadded) * kLineBufFactor) {
    std::mt19937 gen(seed);
    std::uniform_int_distribution<int> level(0, top);
    for (auto& s : store)
      for (uint16_t& v : s) v = static_cast<uint16_t>(level(gen));
  }
};

// Every other column and a run at the right edge, ascending.
std::vector<int> some_columns() {
  std::vector<int> cols;
  for (int x = 0; x < kWidth; ++x)
    if (x % 2 == 0 || x >= kWidth - 5) cols.push_back(x);
  return cols;
}

// A canvas of two rows with a colour palette, filled with 77, and the
// histogram of the rows painted on it.
struct Canvas {
  DRAWABLE_INFO c;
  VIEW_INFO v;
  explicit Canvas(int w) {
    renew_rgbbuf(&c, w, 2);
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
  bool row1_untouched() const {
    return std::all_of(c.rgb_buf.begin() + c.width * 3, c.rgb_buf.end(), [](uint8_t b) { return b == 77; });
  }
};

// A luminance map that runs past the palette's 256 entries.
std::vector<int> lummap(int mul, int mod) {
  std::vector<int> m(1024);
  for (int v = 0; v < 1024; ++v) m[static_cast<size_t>(v)] = (v * mul) % mod;
  return m;
}

TEST(ShownSamples, MixOfShownColumnsEqualsTheWholeLine) {
  PIC_INFO pic = recording();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* what;
    float wr1, wg2, wb4, wb5, w3;  // weights of channels 1, 2, 4, 5 and channel 3 in all colours
    int hshift1, hshift4, vshift2, tilt5, offset;
  };
  const Case cases[] = {
      {"plain weights", 1.0f, 1.0f, 0.5f, 0.5f, 0.0f, 0, 0, 0, 0, 0},
      {"shifts and offsets", 0.7f, 1.3f, -0.4f, 0.9f, 0.25f, 5, -7, 0, 0, -3},
      {"aligned lines", 1.0f, 1.0f, 0.5f, 0.5f, 0.0f, 0, 0, 2, 0, 1},
      {"tilted channel", 1.0f, 1.0f, 0.5f, 0.5f, 0.0f, 2, 0, 1, 2, 0},
      {"weights past the fast range", 3e5f, 1.0f, 0.5f, 0.5f, 0.0f, 0, 3, 0, 0, 0},
      {"a NaN weight", 1.0f, nan, 0.5f, 0.5f, 0.0f, 0, 0, 0, 0, 0},
      {"a line not held", 1.0f, 1.0f, 0.5f, 0.5f, 0.0f, 0, 0, 9, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    VIEW_INFO view;
    for (int ch = 1; ch <= kNch; ++ch) view.map_used[ch] = 1;
    view.map_wr[1] = c.wr1;
    view.map_wg[2] = c.wg2;
    view.map_wb[4] = c.wb4;
    view.map_wb[5] = c.wb5;
    view.map_wr[3] = view.map_wg[3] = view.map_wb[3] = c.w3;
    view.hshift[1] = c.hshift1;
    view.hshift[4] = c.hshift4;
    view.vshift[2] = c.vshift2;
    view.tilt[5] = c.tilt5;
    view.map_offset[0] = view.map_offset[1] = view.map_offset[2] = c.offset;
    view.vshift_min = -2;
    const int n = 5;
    RandomSet set(n, 7, 1023);
    std::vector<uint16_t> r(kWidth), g(kWidth), b(kWidth);
    Translate_Line(&view, &pic, 0, 0, 1, set.get(), n, r.data(), g.data(), b.data());
    const std::vector<int> cols = some_columns();
    constexpr uint16_t kUntouched = 0xBEEF;
    std::vector<uint16_t> r2(kWidth, kUntouched), g2(kWidth, kUntouched), b2(kWidth, kUntouched);
    ColumnMixer mixer;
    mixer.mix(&view, &pic, set.get(), n, cols, r2.data(), g2.data(), b2.data());
    size_t next = 0;
    for (int x = 0; x < kWidth; ++x) {
      const bool shown = next < cols.size() && cols[next] == x;
      if (shown) ++next;
      EXPECT_EQ(r2[x], shown ? r[x] : kUntouched) << "column " << x;
      EXPECT_EQ(g2[x], shown ? g[x] : kUntouched) << "column " << x;
      EXPECT_EQ(b2[x], shown ? b[x] : kUntouched) << "column " << x;
    }
    // The pass mixes a straight mix in blocks of columns: block edges that
    // cut the columns shifted off the line give the same levels.
    ColumnMixer blocks;
    blocks.prepare(&view, &pic, n, cols);
    if (!blocks.straight()) continue;
    for (size_t from = 0; from < cols.size(); from += 3) blocks.mix_levels(set.get(), n, from, from + 3);
    for (size_t k = 0; k < cols.size(); ++k) {
      const size_t x = static_cast<size_t>(cols[k]);
      EXPECT_EQ(blocks.levels(0)[k], r[x]) << "column " << x;
      EXPECT_EQ(blocks.levels(1)[k], g[x]) << "column " << x;
      EXPECT_EQ(blocks.levels(2)[k], b[x]) << "column " << x;
    }
  }
}

TEST(ShownSamples, ShownColumnsAndMixSamples) {
  PIC_INFO pic = recording();
  // Outside the picture, repeated and unordered entries of the column map.
  EXPECT_EQ(shown_columns(&pic, {7, -1, 3, 3, kWidth, 39}), (std::vector<int>{3, 7, 39}));
  VIEW_INFO view;
  view.map_used[2] = 1;
  view.map_used[4] = 1;
  view.hshift[4] = -1;
  // Channel 2 (place 1) at columns 0 and 39; channel 4 (place 3) one column
  // to the left, which for column 0 lies off the line.
  EXPECT_EQ(mix_samples(&view, &pic, {0, 39}),
            (std::vector<int>{kHdr + 1, kHdr + 38 * kNch + 3, kHdr + 39 * kNch + 1}));
}

// The despeckle rule sample by sample, as the station states it: a sample
// that differs from its four neighbours by about the same amount (pairwise
// within ulimit) and from the line above by more than llimit is a speckle and
// keeps the line above; any other sample takes the centre.
uint16_t despeckle_rule(uint16_t up, const std::vector<uint16_t>& centre, uint16_t down, int p, int ulimit,
                        int llimit) {
  auto d = [](int x, int y) { return x > y ? x - y : y - x; };
  const int c = centre[static_cast<size_t>(p)];
  const int a = d(c, up), b = d(c, down), l = d(c, centre[static_cast<size_t>(p - kNch)]),
            r = d(c, centre[static_cast<size_t>(p + kNch)]);
  const bool speckle = d(a, b) < ulimit && d(l, r) < ulimit && d(a, l) < ulimit && a > llimit;
  return speckle ? up : static_cast<uint16_t>(c);
}

TEST(ShownSamples, DespeckleOfShownSamplesEqualsTheWholeFilter) {
  PIC_INFO pic = recording();
  struct Limits {
    int ulimit, llimit;
  };
  // Ordinary limits, limits that decide alone, limits past 16 bits, and
  // small ones that few levels meet exactly.
  const Limits limits[] = {{40, 100}, {300, 20},      {0, 5}, {70000, -3}, {200, 70000},
                           {1, 0},    {65536, 65534}, {3, 1}, {4, 2},      {2, -1}};
  const std::vector<int> wanted = {kHdr + 1,   kHdr + 2,   kHdr + 7,   kHdr + 8,   kHdr + 30, kHdr + 31,
                                   kHdr + 60,  kHdr + 95,  kHdr + 96,  kHdr + 97,  kHdr + 98, kHdr + 99,
                                   kHdr + 100, kHdr + 101, kHdr + 150, kHdr + 196, kHdr + 197};
  const DespeckleSamples shown = despeckle_samples(&pic, wanted);
  for (const int top : {7, 1023, 0xFFFF}) {
    for (const Limits& l : limits) {
      SCOPED_TRACE(testing::Message() << "limits " << l.ulimit << "," << l.llimit << " levels to " << top);
      VIEW_INFO view;
      view.desp_ulimit = l.ulimit;
      view.desp_llimit = l.llimit;
      // Two blocks per set: both upper lines are filtered.
      RandomSet whole(6, 11, top);
      RandomSet part(6, 11, top);
      despeckle(&pic, &view, whole.get(), 6);
      despeckle_shown(&pic, &view, part.get(), 6, 0, shown);
      const RandomSet raw(6, 11, top);
      for (int i = 0; i < 2; ++i) {
        for (int p = kHdr + kNch; p < kHdr + (kWidth - 1) * kNch; ++p) {
          const uint16_t want =
              despeckle_rule(raw.store[i][p], raw.store[2 + i], raw.store[4 + i][p], p, l.ulimit, l.llimit);
          ASSERT_EQ(whole.store[i][p], want) << "line " << i << " sample " << p;
        }
        for (const int p : wanted) {
          if (p >= kHdr + kNch && p < kHdr + (kWidth - 1) * kNch) {
            EXPECT_EQ(part.store[i][p], whole.store[i][p]) << "line " << i << " sample " << p;
          }
        }
      }
      // The first column and the last have no neighbour: never filtered.
      EXPECT_EQ(part.store[0][kHdr + 1], RandomSet(6, 11, top).store[0][kHdr + 1]);
    }
  }
  // A list made for another layout filters nothing.
  PIC_INFO other = recording();
  other.frame.hdr_words = kHdr + 1;
  VIEW_INFO view;
  view.desp_ulimit = 1000;
  RandomSet set(3, 5, 1023);
  const std::vector<uint16_t> before = set.store[0];
  despeckle_shown(&other, &view, set.get(), 3, 0, shown);
  EXPECT_EQ(set.store[0], before);
}

TEST(ShownSamples, TemperaturesOfShownSamplesEqualTheWholeLine) {
  PIC_INFO pic;
  pic.file_type = kKindHRPT;
  const int hdr = 103, nch = 5, width = 30;
  pic.width = width;
  pic.frame.hdr_words = hdr;
  pic.frame.n_channels = nch;
  pic.frame.words_padded = hdr + nch * width;
  for (int ch = 0; ch <= nch; ++ch) pic.chan_present[ch] = 1;
  const CAL_COEFS cal = load_cal("NOAA 19", nullptr);
  std::vector<std::vector<uint16_t>> lines(
      5, std::vector<uint16_t>(static_cast<size_t>(pic.frame.words_padded) * 2));
  for (auto& l : lines) {
    for (int i = 17; i < 20; ++i) l[static_cast<size_t>(i)] = 500;   // PRT
    for (int i = 22; i < 52; ++i) l[static_cast<size_t>(i)] = 380;   // blackbody
    for (int i = 52; i < 102; ++i) l[static_cast<size_t>(i)] = 990;  // space
    for (int x = 0; x < width * nch; ++x)
      l[static_cast<size_t>(hdr + x)] = static_cast<uint16_t>(300 + 13 * x % 600);
  }
  auto whole = lines;
  std::vector<uint16_t*> wp, sp;
  for (auto& l : whole) wp.push_back(l.data());
  for (auto& l : lines) sp.push_back(l.data());
  // Channel 4 of columns 2, 3 and 29, channel 1 of column 5 (no temperature),
  // a header word and the place of channel 4 one column past the line.
  const std::vector<int> wanted = {
      hdr + 2 * nch + 3, hdr + 3 * nch + 3, hdr + 29 * nch + 3, hdr + 5 * nch, 40, hdr + width * nch + 3};
  const TempSamples shown = temp_samples(&pic, wanted);
  EXPECT_EQ(shown.at[4].size(), 3u);
  EXPECT_TRUE(shown.at[3].empty() && shown.at[5].empty());
  NoaaTempState sw, ss;
  map_noaatemp(wp.data(), 5, &cal, &pic, nullptr, &sw);
  map_noaatemp_shown(sp.data(), 5, &cal, &pic, nullptr, &ss, shown);
  for (const int j : wanted)
    EXPECT_EQ(lines[0][static_cast<size_t>(j)], whole[0][static_cast<size_t>(j)]) << j;
  EXPECT_NE(lines[0][static_cast<size_t>(hdr + 2 * nch + 3)], 300 + 13 * (2 * nch + 3) % 600);  // converted
  EXPECT_EQ(lines[0][static_cast<size_t>(hdr + 4 * nch + 3)], 300 + 13 * (4 * nch + 3) % 600);  // not shown
  EXPECT_EQ(ss.Nbb[4], sw.Nbb[4]);
}

TEST(ShownSamples, TemperatureTableDrawsAsThePixelFunction) {
  Canvas a(8), b(8), c(8);
  const std::vector<int> lm = lummap(7, 300);
  const std::vector<int> xmap = {0, 1, 2, 3, 4, 5, -1, 9};
  // Temperatures past both ends of the scale.
  const std::vector<uint16_t> t = {0, 2029, 2030, 2500, 3000, 3439, 3440, 60000, 2700, 2800};
  draw_a_line_func(t.data(), 9, 8, 0, xmap.data(), lm.data(), &a.c, &a.v, map_temp);
  draw_a_line_temp(t.data(), 9, 8, 0, xmap.data(), temp_colours(lm.data(), &b.c), &b.c, &b.v);
  paint_row_temp(t.data(), column_runs(xmap.data(), 8, 9), xmap.data(),
                 temp_pixels(temp_colours(lm.data(), &c.c)), 0, &c.c, &c.v);
  EXPECT_TRUE(a.same(b));
  EXPECT_TRUE(a.same(c));
  EXPECT_TRUE(c.row1_untouched());
}

// The painters of the pass against the row drawers on a row whose column
// map leaves the line on the left and in the middle and shows the last
// column; the row below keeps its bytes (a run's last pixel writes three
// bytes only).
TEST(ShownSamples, RowPaintersDrawAsTheRowDrawers) {
  const std::vector<int> xmap = {-1, 0, 2, 2, 9, 1, 3, 5, 6, 4};  // line_len 6
  const ColumnRuns runs = column_runs(xmap.data(), 10, 6);
  std::vector<std::pair<int, int>> spans;
  for (const auto& r : runs.runs) spans.emplace_back(r.begin, r.end);
  EXPECT_EQ(spans, (std::vector<std::pair<int, int>>{{1, 4}, {5, 8}, {9, 10}}));
  const std::vector<int> lm = lummap(5, 256);
  const uint16_t line[6] = {0, 700, 1023, 4000, 17, 300};
  Canvas want(10), got(10);
  draw_a_line_bw(line, 6, 10, 0, xmap.data(), lm.data(), 1023, &want.c, &want.v);
  paint_row_grey(line, runs, xmap.data(), grey_colours(lm, 1023, &got.c), 0, &got.c, &got.v);
  EXPECT_TRUE(want.same(got));

  const uint16_t r[6] = {0, 1023, 511, 3, 900, 12}, g[6] = {5, 0, 1000, 1023, 2, 640},
                 b[6] = {1023, 7, 0, 44, 0, 1};
  const RgbLevelColours levels = rgb_level_colours(lm.data(), &want.c);
  draw_a_line_rgb_levels(r, g, b, 6, 10, 0, xmap.data(), levels, &want.c, &want.v);
  paint_row_levels(r, g, b, runs, xmap.data(), level_pixels(levels), 0, &got.c, &got.v);
  EXPECT_TRUE(want.same(got));

  // The same levels as the levels of a straight mix of shown columns 0, 1,
  // 2 and 5, with entry 4 past the shown columns: the row's columns 3 and 4
  // read level 0.
  const int sr[4] = {0, 1023, 511, 12}, sg[4] = {5, 0, 1000, 640}, sb[4] = {1023, 7, 0, 1};
  const uint16_t r0[6] = {0, 1023, 511, 0, 0, 12}, g0[6] = {5, 0, 1000, 0, 0, 640},
                 b0[6] = {1023, 7, 0, 0, 0, 1};
  const std::vector<int> kmap = {0, 0, 2, 2, 0, 1, 4, 3, 0, 4};
  MixedColumns mixed;
  colour_columns(sr, sg, sb, 4, level_pixels(levels), &mixed);
  draw_a_line_rgb_levels(r0, g0, b0, 6, 10, 0, xmap.data(), levels, &want.c, &want.v);
  paint_row_columns(mixed, runs, kmap.data(), 0, &got.c, &got.v);
  EXPECT_TRUE(want.same(got));
  EXPECT_TRUE(got.row1_untouched());
}

// Rows painted straight from the mixed levels (full and zoomed-out views)
// and zoomed-in temperature rows, against the column tables.
constexpr int kW = 24;

TEST(ShownSamples, SpansPaintAsTheColumnTable) {
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
  const std::vector<int> lm = lummap(5, 256);
  for (const bool mirrored : {false, true}) {
    std::vector<int> kmap(kW, 0);
    for (int x = 2; x < 22; ++x) kmap[static_cast<size_t>(x)] = mirrored ? 21 - x : x - 2;
    const MixedSpans spans = mixed_spans(runs, kmap.data(), kShown);
    ASSERT_TRUE(spans.direct) << mirrored;
    ASSERT_EQ(spans.spans.size(), 1u);
    EXPECT_EQ(spans.spans[0].step, mirrored ? -1 : 1);

    Canvas want(kW), got(kW);
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
    EXPECT_TRUE(got.row1_untouched()) << mirrored;
  }

  // A canvas column showing the entry past the shown columns (level 0) has
  // no mixed level: such a row needs the table.
  std::vector<int> past(kW, 0);
  for (int x = 2; x < 22; ++x) past[static_cast<size_t>(x)] = x - 2;
  past[21] = kShown;
  EXPECT_FALSE(mixed_spans(runs, past.data(), kShown).direct);
}

TEST(ShownSamples, ZoomedTemperaturesPaintAsThePixelTable) {
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
  const std::vector<int> lm = lummap(5, 256);
  Canvas want(kW), got(kW);
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
