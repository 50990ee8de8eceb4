// The line store: despeckle, channel translation, line sets, grid colour.
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/files/ppm.h"
#include "core/view/data_proc.h"
#include "line_sets.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

// Lines of a small recording-like layout: `hdr` header words, then `nch`
// channels interleaved per pixel.
struct Lines : test::HeldLines {
  int hdr, nch, width;

  Lines(int n, int hdr_words, int channels, int pixels, int words_padded)
      : HeldLines(n, static_cast<size_t>(words_padded) * kLineBufFactor),
        hdr(hdr_words),
        nch(channels),
        width(pixels) {}
  uint16_t& at(int line, int x, int k) { return store[line][hdr + x * nch + k]; }
  void fill(int line, int k, uint16_t v) {
    for (int x = 0; x < width; ++x) at(line, x, k) = v;
  }
};

using test::recording_like;

VIEW_INFO despeckle_view(int ulimit, int llimit) {
  VIEW_INFO view;
  view.desp_ulimit = ulimit;
  view.desp_llimit = llimit;
  return view;
}

TEST(Despeckle, FiltersTheCentreBlockIntoTheFirstLines) {
  // 8 pixels, 2 channels, 3 header words: 3 + 16 = 19 samples in 2 * 10.
  const int hdr = 3, nch = 2, width = 8, padded = 10;
  PIC_INFO pic = recording_like(hdr, nch, width, padded);
  VIEW_INFO view = despeckle_view(25, 10);

  Lines set(3, hdr, nch, width, padded);
  for (int k = 0; k < nch; ++k) {
    set.fill(0, k, 90);   // above
    set.fill(1, k, 100);  // centre
    set.fill(2, k, 110);  // below
  }
  set.store[0][0] = 7;  // header words of the first line are not touched
  set.store[1][0] = 8;
  // A speckle in channel 1 (k = 1) of pixel 3: 110 / 90 from above / below,
  // 100 from left and right -- all within 25 of each other, more than 10.
  set.at(1, 3, 1) = 200;
  // A vertical edge in channel 0 from pixel 5 on: 400 at the edge pixel differs
  // from its left (100) and right (400) neighbours unequally.
  for (int x = 5; x < width; ++x) {
    set.at(0, x, 0) = 400;
    set.at(1, x, 0) = 400;
    set.at(2, x, 0) = 400;
  }
  const std::vector<uint16_t> centre = set.store[1];
  const std::vector<uint16_t> below = set.store[2];
  despeckle(&pic, &view, set.get(), 3);

  // The speckle keeps the sample of the line above, the edge is kept.
  EXPECT_EQ(std::make_tuple(set.at(0, 3, 1), set.at(0, 3, 0), set.at(0, 4, 0), set.at(0, 5, 0)),
            std::make_tuple(90, 100, 100, 400));
  // Ordinary pixels take the centre line; the first and last pixel keep the
  // line above.
  for (int k = 0; k < nch; ++k)
    EXPECT_EQ(std::make_tuple(set.at(0, 0, k), set.at(0, width - 1, k), set.at(0, 1, k), set.at(0, 6, k)),
              std::make_tuple(90, k == 0 ? 400 : 90, 100, k == 0 ? 400 : 100))
        << k;
  EXPECT_EQ(set.store[0][0], 7);
  EXPECT_EQ(set.store[1], centre);
  EXPECT_EQ(set.store[2], below);
}

TEST(Despeckle, LimitsDecideWhatCountsAsASpeckle) {
  const int width = 5, padded = 4;  // GIF-like: one channel, no header
  PIC_INFO pic;
  pic.file_type = kKindGIF;
  pic.width = width;
  pic.frame.words_padded = padded;
  Lines base(3, 0, 1, width, padded);
  base.fill(0, 0, 50);
  base.fill(1, 0, 50);
  base.fill(2, 0, 50);
  base.at(1, 2, 0) = 62;  // 12 above all four neighbours

  struct Case {
    int ulimit, llimit;
    uint16_t want;
  } cases[] = {
      {1, 11, 50},  // a = 12 > 11, all differences 0 < 1: speckle
      {1, 12, 62},  // a = 12 is not above the pixel limit
      {0, 0, 62},   // differences 0 are not below a surround limit of 0
  };
  for (const auto& c : cases) {
    Lines set = base;
    VIEW_INFO view = despeckle_view(c.ulimit, c.llimit);
    despeckle(&pic, &view, set.get(), 3);
    EXPECT_EQ(set.at(0, 2, 0), c.want) << c.ulimit << " " << c.llimit;
  }
  // Unequal neighbours: 62 against 50 above and 30 below is an edge.
  Lines set = base;
  set.at(2, 2, 0) = 30;
  VIEW_INFO view = despeckle_view(10, 5);
  despeckle(&pic, &view, set.get(), 3);
  EXPECT_EQ(set.at(0, 2, 0), 62);
}

TEST(Despeckle, BlocksOfASetAndSetsTooSmall) {
  const int width = 4, padded = 4;
  PIC_INFO pic = recording_like(0, 1, width, padded);
  VIEW_INFO view = despeckle_view(20, 10);

  // Fewer than 3 lines: nothing changes.
  for (int n = 0; n < 3; ++n) {
    Lines set(3, 0, 1, width, padded);
    for (int l = 0; l < 3; ++l) set.fill(l, 0, static_cast<uint16_t>(10 * (l + 1)));
    const auto before = set.store;
    despeckle(&pic, &view, set.get(), n);
    EXPECT_EQ(set.store, before) << n;
  }
  // 7 lines: blocks of 2 (lines 0-1 above, 2-3 centre, 4-5 below), line 6
  // is outside the blocks; lines 0 and 1 receive lines 2 and 3.
  Lines set(7, 0, 1, width, padded);
  for (int l = 0; l < 7; ++l) set.fill(l, 0, static_cast<uint16_t>(10 * (l + 1)));
  const auto before = set.store;
  despeckle(&pic, &view, set.get(), 7);
  // The first pixel keeps the line above.
  EXPECT_EQ(std::make_tuple(set.at(0, 1, 0), set.at(0, 2, 0), set.at(1, 1, 0), set.at(1, 0, 0)),
            std::make_tuple(30, 30, 40, 20));
  for (int l = 2; l < 7; ++l) EXPECT_EQ(set.store[l], before[l]) << l;
  // A geometry the buffers cannot hold is left alone.
  PIC_INFO wide = recording_like(0, 1, 2 * padded + 1, padded);
  Lines set2(3, 0, 1, width, padded);
  set2.fill(1, 0, 5);
  const auto before2 = set2.store;
  despeckle(&wide, &view, set2.get(), 3);
  EXPECT_EQ(set2.store, before2);
}

using Rgb = std::tuple<int, int, int>;

// Two channels of 2048 pixels, 20 lines; line j holds 10 * j + 1 in channel
// 1 and 500 + j in channel 2.
struct TiltFixture {
  static constexpr int kWidth = 2048;
  static constexpr int kN = 20;
  PIC_INFO pic = recording_like(0, 2, kWidth, kWidth);
  Lines set{kN, 0, 2, kWidth, kWidth};
  VIEW_INFO view;
  TiltFixture() {
    for (int j = 0; j < kN; ++j) {
      set.fill(j, 0, static_cast<uint16_t>(10 * j + 1));
      set.fill(j, 1, static_cast<uint16_t>(500 + j));
    }
  }
  Rgb rgb(int x) {
    uint16_t r = 0, g = 0, b = 0;
    Translate_Pix(x, &view, &pic, set.get(), kN, x * 2, &r, &g, &b);
    return {r, g, b};
  }
  uint16_t red(int x) { return std::get<0>(rgb(x)); }
  std::vector<int> reds(std::initializer_list<int> xs) {
    std::vector<int> out;
    for (int x : xs) out.push_back(red(x));
    return out;
  }
};

TEST(TranslatePix, TiltSpreadsTheSourceLineAcrossTheLine) {
  TiltFixture f;
  f.view.map_used[1] = 1;
  f.view.map_wr[1] = 1.0F;
  f.view.tilt[1] = 10;
  f.view.vshift_min = -10;  // offsets -10 .. +9 become lines 0 .. 19
  // Line offsets -10 at the left edge, 0 in the middle, +9 (40940 / 2048 =
  // 19) at the right edge; 2040 / 2048 = 0 at pixel 102, 2060 / 2048 = 1 at 103.
  EXPECT_EQ(f.reds({0, 1024, 2047, 102, 103}), (std::vector<int>{1, 101, 191, 1, 11}));
  // With vshift 3 every pixel comes 3 lines lower.
  f.view.vshift[1] = 3;
  EXPECT_EQ(f.red(0), 31);
  // A line outside the set adds nothing: the left edge needs line -10.
  f.view.vshift[1] = 0;
  f.view.vshift_min = 0;
  EXPECT_EQ(f.reds({0, 2047, 1024}), (std::vector<int>{0, 91, 1}));
  // One line further down, the right edge needs line 20 of a set of 20.
  f.view.vshift_min = -11;
  EXPECT_EQ(f.reds({0, 2047}), (std::vector<int>{11, 0}));
}

TEST(TranslatePix, SumsWeightsOffsetsAndClamps) {
  TiltFixture f;
  // Offsets enter times 4; weights are truncated after each channel.
  f.view.map_offset[0] = 10;
  f.view.map_offset[1] = -100;
  f.view.map_offset[2] = 0;
  f.view.map_used[1] = f.view.map_used[2] = 1;
  f.view.map_wr[1] = 0.5F;
  f.view.map_wr[2] = 1.5F;
  f.view.map_wg[1] = 2.0F;
  f.view.map_wg[2] = 0.5F;
  f.view.map_wb[1] = 100.0F;
  // Line 0 (1 and 500): red trunc(40 + 0.5) = 40, trunc(40 + 750) = 790.
  EXPECT_EQ(f.red(5), 790);
  // Line 1 (11 and 501): red trunc(40 + 5.5) = 45, trunc(45 + 751.5) = 796;
  // green -400 + 22 = -378, trunc(-378 + 250.5) = -127 clamps to 0; blue 1100
  // clamps to 1023.
  f.view.vshift_min = -1;
  EXPECT_EQ(f.rgb(5), Rgb(796, 0, 1023));
  // Each step truncates: 5.5 -> 5, then 5 + 250.5 -> 255 (256 if the sum were
  // truncated once at the end).
  f.view.map_offset[0] = 0;
  f.view.map_wr[2] = 0.5F;
  EXPECT_EQ(f.red(5), 255);
  // Offsets and weights far out of range clamp without overflowing; a weight
  // that is not a number adds nothing.
  f.view.map_offset[0] = 2147483647;
  f.view.map_offset[1] = -2147483647;
  f.view.map_wb[1] = std::numeric_limits<float>::quiet_NaN();
  f.view.map_offset[2] = 3;
  EXPECT_EQ(f.rgb(5), Rgb(1023, 0, 12));
}

TEST(TranslatePix, ChannelPlacesShiftsAndEarlyEnd) {
  // Channels 1, 3 and 4 present (k = 0, 1, 2); channel 2 absent.
  const int width = 6;
  PIC_INFO pic = recording_like(2, 3, width, 16);  // 2 + 18 samples in 32
  pic.chan_present[2] = 0;
  pic.chan_present[3] = pic.chan_present[4] = 1;
  pic.chan_present[5] = 0;
  Lines set(2, 2, 3, width, 16);
  for (int l = 0; l < 2; ++l) {
    for (int x = 0; x < width; ++x) {
      set.at(l, x, 0) = static_cast<uint16_t>(100 * l + x);        // channel 1
      set.at(l, x, 1) = static_cast<uint16_t>(300 + 100 * l + x);  // channel 3
      set.at(l, x, 2) = static_cast<uint16_t>(600 + 100 * l + x);  // channel 4
    }
  }
  VIEW_INFO view;
  auto pix = [&](int x) {
    uint16_t r = 0, g = 0, b = 0;
    Translate_Pix(x, &view, &pic, set.get(), 2, 2 + 3 * x, &r, &g, &b);
    return Rgb(r, g, b);
  };
  view.map_used[4] = 1;
  view.map_wb[4] = 1.0F;
  EXPECT_EQ(pix(2), Rgb(0, 0, 602));  // channel 4 is the third sample of the pixel
  view.map_used[3] = 1;
  view.map_wg[3] = 1.0F;
  view.hshift[3] = 2;  // channel 3 two pixels to the right
  EXPECT_EQ(pix(2), Rgb(0, 304, 602));
  // Shifted off the line, the channel adds nothing (it does not reach the
  // next line or the header words).
  EXPECT_EQ(pix(4), Rgb(0, 0, 604));
  view.hshift[3] = -1;
  EXPECT_EQ(pix(0), Rgb(0, 0, 600));
  // Channel 3 wants line 1 + 1 = 2, outside a set of 2: channel 3 and the
  // later channel 4 add nothing, channel 1 before them counts.
  view.hshift[3] = 0;
  view.vshift[3] = 2;
  view.map_used[1] = 1;
  view.map_wr[1] = 1.0F;
  EXPECT_EQ(pix(3), Rgb(3, 0, 0));
}

TEST(TranslateLine, MirrorsForTheSouthViewAndShifts) {
  const int width = 4;
  PIC_INFO pic;
  pic.file_type = kKindPGM;
  pic.width = width;
  pic.frame.words_padded = 4;
  pic.chan_present[1] = 1;
  Lines set(1, 0, 1, width, 4);
  for (int x = 0; x < width; ++x) set.at(0, x, 0) = static_cast<uint16_t>(100 + 100 * x);
  VIEW_INFO view;
  view.map_used[1] = 1;
  view.map_wr[1] = 1.0F;
  view.map_wg[1] = 2.0F;
  view.map_wb[1] = 0.5F;
  std::vector<uint16_t> r(width), g(width), b(width);

  view.orientation = Orientation::FromSouth;
  Translate_Line(&view, &pic, 0, 0, 1, set.get(), 1, r.data(), g.data(), b.data());
  EXPECT_EQ(r, (std::vector<uint16_t>{100, 200, 300, 400}));  // screen pass: never mirrored
  EXPECT_EQ(g, (std::vector<uint16_t>{200, 400, 600, 800}));
  EXPECT_EQ(b, (std::vector<uint16_t>{50, 100, 150, 200}));

  Translate_Line(&view, &pic, -2, 0, 0, set.get(), 1, r.data(), g.data(), b.data());
  EXPECT_EQ(r, (std::vector<uint16_t>{100, 75, 50, 25}));
  EXPECT_EQ(g, (std::vector<uint16_t>{200, 150, 100, 50}));

  view.orientation = Orientation::Normal;
  Translate_Line(&view, &pic, 2, 0, 0, set.get(), 1, r.data(), g.data(), b.data());
  EXPECT_EQ(r, (std::vector<uint16_t>{400, 800, 1200, 1600}));
  EXPECT_EQ(b, (std::vector<uint16_t>{200, 400, 600, 800}));
}

TEST(LineSet, AllocationAndGridColour) {
  for (auto [len, n] : {std::pair{0, 3}, std::pair{8, 0}, std::pair{-4, 2}})
    EXPECT_EQ(alloc_lines(len, n), nullptr);
  free_lines(nullptr, 5);  // an empty set is accepted
  uint16_t** set = alloc_lines(8, 3);
  ASSERT_NE(set, nullptr);
  for (int i = 0; i < 3; ++i) {
    // 8 positions of 4 bytes, zero-filled; the last sample is ours (the
    // sanitizer build checks).
    EXPECT_EQ(std::vector<uint16_t>(set[i], set[i] + 16), std::vector<uint16_t>(16, 0)) << i;
    set[i][15] = 1;
  }
  free_lines(set, 3);

  // No view: white grid pixels; else the view's grid colour.
  uint16_t r = 0, g = 0, b = 0;
  add_gridpix(nullptr, &r, &g, &b);
  EXPECT_EQ(Rgb(r, g, b), Rgb(255, 255, 255));
  VIEW_INFO view;
  view.grid_rgb[0] = 12;
  view.grid_rgb[1] = 34;
  view.grid_rgb[2] = 56;
  add_gridpix(&view, &r, &g, &b);
  EXPECT_EQ(Rgb(r, g, b), Rgb(12, 34, 56));
}

// A PGM picture whose pixel x of line y is 7 * y + x (all below 256).
constexpr int kPgmWidth = 6;
constexpr int kPgmHeight = 30;

uint16_t pgm_value(int y, int x) { return static_cast<uint16_t>(7 * y + x); }

struct PgmPicture {
  test::TempDir dir;
  PIC_INFO pic;
  bool ok = false;
  explicit PgmPicture(uint16_t (*value)(int y, int x) = pgm_value) {
    std::string bytes = "P5\n" + std::to_string(kPgmWidth) + " " + std::to_string(kPgmHeight) + "\n255\n";
    for (int y = 0; y < kPgmHeight; ++y)
      for (int x = 0; x < kPgmWidth; ++x) bytes.push_back(static_cast<char>(value(y, x)));
    const std::string path = dir.write("lines.pgm", bytes);
    ok = pic.pic_fp.open(path, "rb") && read_ppm_header(&pic) == kPpmOk;
    pic.file_type = kKindPGM;
  }
};

constexpr uint16_t kPoison = 0xEEEE;

void poison(uint16_t** lines, int n) {
  for (int i = 0; i < n; ++i)
    for (int x = 0; x < kPgmWidth; ++x) lines[i][x] = kPoison;
}

// Which file line buffer i holds: -1 when poisoned (not read), -2 when it
// holds something else.
int held_line(const uint16_t* buf) {
  if (buf[0] == kPoison) return -1;
  const int y = buf[0] / 7;
  for (int x = 0; x < kPgmWidth; ++x)
    if (buf[x] != pgm_value(y, x)) return -2;
  return y;
}

std::vector<int> held(uint16_t** lines, int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i) out.push_back(held_line(lines[i]));
  return out;
}

TEST(ReadLines, ReusesHeldLinesBySwappingBuffers) {
  PgmPicture p;
  ASSERT_TRUE(p.ok);
  VIEW_INFO view;
  LineSet set(p.pic.frame.words_padded, 5);
  ASSERT_TRUE(set.ok());
  uint16_t** lines = set.get();
  const int linemap[] = {10, 10, 12, 12, 20, 19, 27};

  // First row of a pass: every line is read.
  EXPECT_EQ(read_lines(&view, &p.pic, linemap, 0, 5, lines, nullptr, nullptr, nullptr, set.memory()),
            kLineRead);
  EXPECT_EQ(held(lines, 5), (std::vector<int>{10, 11, 12, 13, 14}));

  // Same first line on the next row: nothing is read.
  poison(lines, 5);
  EXPECT_EQ(read_lines(&view, &p.pic, linemap, 1, 5, lines, nullptr, nullptr, nullptr, set.memory()), 0);
  EXPECT_EQ(held(lines, 5), (std::vector<int>{-1, -1, -1, -1, -1}));

  // Two lines down: the three held buffers move up (the same buffers, not
  // copies), two lines are read.
  for (int i = 0; i < 5; ++i)
    for (int x = 0; x < kPgmWidth; ++x) lines[i][x] = pgm_value(10 + i, x);
  const std::vector<uint16_t*> before(lines, lines + 5);
  poison(lines + 0, 2);  // lines 10 and 11 are not needed any more
  EXPECT_EQ(read_lines(&view, &p.pic, linemap, 2, 5, lines, nullptr, nullptr, nullptr, set.memory()),
            kLineRead);
  EXPECT_EQ(held(lines, 5), (std::vector<int>{12, 13, 14, 15, 16}));
  EXPECT_EQ(std::vector<uint16_t*>(lines, lines + 3),
            std::vector<uint16_t*>(before.begin() + 2, before.end()));
  // A new pass on the same first line reads everything again.
  poison(lines, 5);
  const int again[] = {12};
  EXPECT_EQ(read_lines(&view, &p.pic, again, 0, 5, lines, nullptr, nullptr, nullptr, set.memory()),
            kLineRead);
  EXPECT_EQ(held(lines, 5), (std::vector<int>{12, 13, 14, 15, 16}));

  // Eight lines down (more than the set) and one line up: all read.
  poison(lines, 5);
  read_lines(&view, &p.pic, linemap, 4, 5, lines, nullptr, nullptr, nullptr, set.memory());
  EXPECT_EQ(held(lines, 5), (std::vector<int>{20, 21, 22, 23, 24}));
  poison(lines, 5);
  read_lines(&view, &p.pic, linemap, 5, 5, lines, nullptr, nullptr, nullptr, set.memory());
  EXPECT_EQ(held(lines, 5), (std::vector<int>{19, 20, 21, 22, 23}));

  // Past the end of the picture: lines 30 and 31 are not read, their buffers
  // keep what they held; the lines that exist are read.
  poison(lines, 5);
  EXPECT_EQ(read_lines(&view, &p.pic, linemap, 6, 5, lines, nullptr, nullptr, nullptr, set.memory()),
            kLineRead);
  EXPECT_EQ(held(lines, 5), (std::vector<int>{27, 28, 29, -1, -1}));
}

TEST(ReadLines, ForgottenOrMissingMemoryReadsAgain) {
  // Sets of two passes in turns are checked by the side-by-side test.
  PgmPicture p;
  ASSERT_TRUE(p.ok);
  VIEW_INFO view;
  LineSet screen(p.pic.frame.words_padded, 3);
  const int linemap[] = {4, 4, 5};
  read_lines(&view, &p.pic, linemap, 0, 3, screen.get(), nullptr, nullptr, nullptr, screen.memory());
  read_lines(&view, &p.pic, linemap, 2, 3, screen.get(), nullptr, nullptr, nullptr, screen.memory());
  ASSERT_EQ(held(screen.get(), 3), (std::vector<int>{5, 6, 7}));
  // Forgetting (a new picture), or no memory at all, makes the next row read.
  screen.forget();
  poison(screen.get(), 3);
  EXPECT_EQ(
      read_lines(&view, &p.pic, linemap, 2, 3, screen.get(), nullptr, nullptr, nullptr, screen.memory()),
      kLineRead);
  EXPECT_EQ(held(screen.get(), 3), (std::vector<int>{5, 6, 7}));
  poison(screen.get(), 3);
  EXPECT_EQ(read_lines(&view, &p.pic, linemap, 2, 3, screen.get(), nullptr, nullptr, nullptr, nullptr),
            kLineRead);
  EXPECT_EQ(held(screen.get(), 3), (std::vector<int>{5, 6, 7}));
  // No open file, no set, no lines: nothing read.
  PIC_INFO closed;
  closed.file_type = kKindPGM;
  EXPECT_EQ(
      read_lines(&view, &closed, linemap, 0, 3, screen.get(), nullptr, nullptr, nullptr, screen.memory()), 0);
  EXPECT_EQ(
      read_lines(&view, &p.pic, linemap, 0, 0, screen.get(), nullptr, nullptr, nullptr, screen.memory()), 0);
  EXPECT_EQ(read_lines(&view, &p.pic, linemap, 0, 3, nullptr, nullptr, nullptr, nullptr, screen.memory()), 0);
}

TEST(ReadLines, DespecklesFreshSetsAndReusesFilteredOnes) {
  // Line 12 carries a speckle at pixel 2 (40 above its neighbours, which
  // differ from it by about the same amount); everything else is smooth.
  PgmPicture p([](int y, int x) -> uint16_t { return y == 12 && x == 2 ? 100 : 60; });
  ASSERT_TRUE(p.ok);
  PIC_INFO& pic = p.pic;
  VIEW_INFO view = despeckle_view(20, 10);
  view.despeckle_on = true;
  LineSet set(pic.frame.words_padded, 6);  // blocks of 2
  const int linemap[] = {9, 10, 11};
  // Rows 9, 10, 11: the centre lines of the set are 11-12, 12-13, 13-14;
  // the speckle of line 12 never reaches the filtered lines.
  for (int row = 0; row < 3; ++row) {
    read_lines(&view, &pic, linemap, row, 6, set.get(), nullptr, nullptr, nullptr, set.memory());
    for (int i = 0; i < 2; ++i) {
      for (int x = 0; x < kPgmWidth; ++x) {
        EXPECT_EQ(set[i][x], 60) << "row " << row << " line " << i << " x " << x;
      }
    }
  }
  // Without the filter the speckle is there.
  view.despeckle_on = 0;
  read_lines(&view, &pic, linemap, 0, 6, set.get(), nullptr, nullptr, nullptr, set.memory());
  EXPECT_EQ(set[3][2], 100);
}

TEST(ReadLine, KindsWithoutReaderAndSetsTooSmall) {
  test::TempDir dir;
  uint16_t buf[64];
  for (auto& v : buf) v = 77;
  PIC_INFO pic;
  VIEW_INFO view;
  // No open file: nothing read.
  pic.file_type = kKindPGM;
  EXPECT_EQ(read_line(&pic, &view, 0, buf, nullptr, nullptr, nullptr), 0);
  // Kinds without a line reader read nothing and count as read.
  ASSERT_TRUE(pic.pic_fp.open(dir.write("junk.bin", std::string(3 * 12800, '\x55')), "rb"));
  pic.file_type = kKindUnknown;
  EXPECT_EQ(read_line(&pic, &view, 0, buf, nullptr, nullptr, nullptr), kLineRead);
  EXPECT_EQ(buf[0], 77);
  // An AHRPT line needs 9240 samples; a set made for fewer is not written.
  pic.file_type = kKindAHRPT;
  pic.width = 1540;
  pic.frame.words_padded = 32;
  EXPECT_EQ(read_line(&pic, &view, 0, buf, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(buf[63], 77);
  // A PGM whose width does not fit the set is not read either.
  pic.file_type = kKindPGM;
  pic.width = 65;
  pic.height = 3;
  EXPECT_EQ(read_line(&pic, &view, 0, buf, nullptr, nullptr, nullptr), 0);
}

TEST(ReadLine, TruncatedPictureLineIsNotReportedAsRead) {
  test::TempDir dir;
  // 4 x 3 PGM with only 1.5 lines of data.
  const std::string bytes = std::string("P5\n4 3\n255\n") + "\x01\x02\x03\x04\x05\x06";
  PIC_INFO pic;
  ASSERT_TRUE(pic.pic_fp.open(dir.write("short.pgm", bytes), "rb"));
  ASSERT_EQ(read_ppm_header(&pic), kPpmOk);
  pic.file_type = kKindPGM;
  VIEW_INFO view;
  LineSet set(pic.frame.words_padded, 1);
  EXPECT_EQ(read_line(&pic, &view, 0, set[0], nullptr, nullptr, nullptr), kLineRead);
  EXPECT_EQ(set[0][3], 4);
  EXPECT_EQ(read_line(&pic, &view, 1, set[0], nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(read_line(&pic, &view, 2, set[0], nullptr, nullptr, nullptr), 0);
}

}  // namespace
}  // namespace kelo
