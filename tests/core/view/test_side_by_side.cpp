// Two pictures open at once and drawn in turns give each the pixels it gives
// alone: the calibration state, the line store's memory and the orbit caches
// belong to the pass or the picture, never to the program.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/export/hrpt_fixture.h"
#include "core/files/hrpt1_write.h"
#include "core/orbit/calc_satpos.h"
#include "core/orbit/draw_satpos.h"
#include "core/view/draw.h"
#include "core/view/mapping.h"
#include "core/view/open_picture.h"
#include "core/view/zoom.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

constexpr int kLines = 40;
constexpr int kWidth = 2048;
constexpr int kCw = 256, kCh = 40;

// AVHRR header words the calibration reads.
constexpr int kPrtWord = 17;    // 17, 18, 19
constexpr int kBackScan = 19;   // 19 + ch + 3i
constexpr int kSpaceView = 50;  // 50 + ch + 5i
constexpr uint16_t kBlackBodyCount = 400;
constexpr uint16_t kSpaceCount = 990;

// A pass whose PRT words carry `prt` on its first `prt_lines` lines and read
// as reference lines after that (the station lost the PRT words): every later
// row is calibrated with the PRT readings kept from its first lines. Channel
// 4 runs from the blackbody count towards space across the line; channel 1
// has lone bright pixels for the despeckle filter.
std::string write_pass(const test::TempDir& dir, const char* name, const char* sat, uint16_t prt,
                       int prt_lines, const KEPLER& kepler) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->file_type = kKindHRPT;
  pic->sat_name = sat;
  pic->width = kWidth;
  pic->height = kLines;
  pic->scan_dir = ScanDir::TopDown;
  pic->orientation = Orientation::Normal;
  for (int i = 0; i <= 5; ++i) pic->chan_present[i] = 1;
  pic->kepler = kepler;
  const BrokenTime t = test::april_tenth_2024(12, 25);
  pic->orbit.start_tm = t;
  pic->orbit.start_tm_comp = t;
  pic->orbit.use_sattime = 1;
  pic->frame = calc_hrptframeinfo(kKindHRPT, pic->chan_present, kWidth);
  const std::string path = dir.file(name);
  EXPECT_TRUE(pic->pic_fp.open(path, "wb"));
  EXPECT_EQ(write_hrpt1_hdr(pic.get()), 0);
  const FRAME_GEOM& g = pic->frame;
  for (int line = 0; line <= kLines; ++line) {
    std::vector<uint16_t> w(static_cast<size_t>(g.words_padded), 0);
    for (int i = 0; i < kHrptSyncWords; ++i) w[i] = kHrptSync[i];
    for (int i = 0; i < 3; ++i) w[kPrtWord + i] = line < prt_lines ? prt : 0;
    for (int ch = 3; ch <= 5; ++ch)
      for (int i = 0; i < 10; ++i) {
        w[kBackScan + ch + 3 * i] = kBlackBodyCount;
        w[kSpaceView + ch + 5 * i] = kSpaceCount;
      }
    for (int x = 0; x < kWidth; ++x) {
      uint16_t* px = &w[static_cast<size_t>(g.hdr_words + x * g.n_channels)];
      px[0] = static_cast<uint16_t>(x % 97 == line % 7 ? 1023 : (x * 3 + line * 11) % 700);
      px[1] = static_cast<uint16_t>((x + line * 5) % 1024);
      px[2] = 500;
      px[3] = static_cast<uint16_t>(kBlackBodyCount + (x / 64) * 590 / 31);
      px[4] = static_cast<uint16_t>(1023 - (x % 1024));
    }
    EXPECT_EQ(write_hrpt1_line(pic.get(), w.data(), kLinePreSync), 1);
  }
  EXPECT_TRUE(pic->pic_fp.close_checked());
  return path;
}

// Calls `between` before every row of the pass and of the grid it draws.
class Interleave : public PassListener {
 public:
  explicit Interleave(std::function<void()> between) : between_(std::move(between)) {}
  bool stop_requested() override {
    if (between_) between_();
    return false;
  }

 private:
  std::function<void()> between_;
};

struct Shown {
  std::unique_ptr<PIC_INFO> pic = std::make_unique<PIC_INFO>();
  std::unique_ptr<VIEW_INFO> view = std::make_unique<VIEW_INFO>();
  DRAWABLE_INFO canvas;
  // Channel 4 as temperatures with despeckle, or channel 1 with despeckle;
  // the grid over either.
  Shown(const std::string& path, bool temperature) {
    pic->path = path;
    EXPECT_EQ(open_picture(pic.get(), view.get(), nullptr), 0) << path;
    EXPECT_EQ(pic->orbit.valid, 1) << path;
    view->gamma = 1.0f;
    for (int& c : view->chan_sel) c = 0;
    view->chan_sel[temperature ? 4 : 1] = 1;
    view->temperature = temperature ? 1 : 0;
    view->despeckle_on = 1;
    view->desp_ulimit = 100;
    view->desp_llimit = 200;
    view->grid_on = 1;
    view->grid_rgb[0] = 255;
  }
  // The render of kelo-export --render, with a listener for both passes.
  std::vector<uint8_t> draw(PassListener* listener) {
    EXPECT_GE(renew_rgbbuf(&canvas, kCw, kCh), 0);
    load_std_palette(&canvas, pic.get());
    correct_zoomval(&canvas, view.get(), pic.get());
    EXPECT_EQ(draw_pic_canvas(pic.get(), view.get(), &canvas, listener), 0);
    EXPECT_EQ(draw_lonlat_canvas(pic.get(), view.get(), &canvas, listener), 1);
    return canvas.rgb_buf;
  }
};

TEST(SideBySide, TwoPassesDrawnInTurnsMatchEachAlone) {
  test::TempDir dir;
  const std::string a_path =
      write_pass(dir, "a.hrp", "NOAA 19", 400, 3, test::noaa_like_kepler(1.7227f));  // 98.7 degrees
  KEPLER other = test::noaa_like_kepler(1.7104f);                                    // 98.0 degrees
  other.raan += 0.8f;
  const std::string b_path = write_pass(dir, "b.hrp", "NOAA 15", 650, 2, other);

  Shown a(a_path, true);
  Shown b(b_path, true);
  Shown b_grey(b_path, false);
  const std::vector<uint8_t> a_alone = a.draw(nullptr);
  const std::vector<uint8_t> b_alone = b.draw(nullptr);
  const std::vector<uint8_t> grey_alone = b_grey.draw(nullptr);
  // The pictures differ, so a pass that took the other's state would show.
  ASSERT_FALSE(a_alone == b_alone);

  // Before every row of the first picture (and of its grid) the second is
  // drawn whole: its calibration, line store and positions run in between.
  int b_passes = 0;
  Interleave b_between([&] {
    ++b_passes;
    EXPECT_TRUE(b.draw(nullptr) == b_alone) << "second picture, pass " << b_passes;
  });
  EXPECT_TRUE(a.draw(&b_between) == a_alone);
  EXPECT_GT(b_passes, kCh);

  // And the other way round, the second picture grey this time, with the
  // first's temperature pass drawn between its rows.
  Interleave a_between([&] { EXPECT_TRUE(a.draw(nullptr) == a_alone); });
  EXPECT_TRUE(b_grey.draw(&a_between) == grey_alone);
}

TEST(SideBySide, PositionsOfTwoPassesAskedInTurns) {
  test::TempDir dir;
  KEPLER other = test::noaa_like_kepler(1.7104f);
  other.raan += 0.8f;
  Shown a(write_pass(dir, "a.hrp", "NOAA 19", 400, 3, test::noaa_like_kepler(1.7227f)), false);
  Shown b(write_pass(dir, "b.hrp", "NOAA 15", 650, 2, other), false);
  // Each alone: a few positions along and across both passes.
  const int xs[] = {0, 300, 1024, 2047};
  std::vector<POSITION> a_alone, b_alone;
  for (int y = 0; y < kLines; ++y)
    for (int x : xs) {
      POSITION p;
      ASSERT_EQ(xy2lonlat(x, y, a.pic.get(), &p), 1);
      a_alone.push_back(p);
    }
  for (int y = 0; y < kLines; ++y)
    for (int x : xs) {
      POSITION p;
      ASSERT_EQ(xy2lonlat(x, y, b.pic.get(), &p), 1);
      b_alone.push_back(p);
    }
  // In turns, pixel by pixel: the same positions, bit for bit.
  size_t i = 0;
  for (int y = 0; y < kLines; ++y)
    for (int x : xs) {
      POSITION pa, pb;
      ASSERT_EQ(xy2lonlat(x, y, a.pic.get(), &pa), 1);
      ASSERT_EQ(xy2lonlat(x, y, b.pic.get(), &pb), 1);
      EXPECT_EQ(pa.lon, a_alone[i].lon) << x << "," << y;
      EXPECT_EQ(pa.lat, a_alone[i].lat) << x << "," << y;
      EXPECT_EQ(pb.lon, b_alone[i].lon) << x << "," << y;
      EXPECT_EQ(pb.lat, b_alone[i].lat) << x << "," << y;
      ++i;
    }
  EXPECT_NE(a_alone[0].lon, b_alone[0].lon);
}

}  // namespace
}  // namespace kelo
