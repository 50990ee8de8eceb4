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
#include "core/orbit/calc_satpos.h"
#include "core/orbit/draw_satpos.h"
#include "core/view/draw.h"
#include "core/view/mapping.h"
#include "core/view/open_picture.h"
#include "core/view/zoom.h"
#include "support/temp_dir.h"
#include "synthetic_pass.h"

namespace kelo {
namespace {

constexpr int kLines = 40;
constexpr int kWidth = 2048;
constexpr int kCw = 256, kCh = 40;

// A pass whose PRT words carry `prt` on its first `prt_lines` lines and read
// as reference lines after that (the station lost the PRT words): every later
// row is calibrated with the PRT readings kept from its first lines. Channel
// 4 runs from the blackbody count towards space across the line; channel 1
// has lone bright pixels for the despeckle filter.
std::string write_pass(const test::TempDir& dir, const char* name, const char* sat, uint16_t prt,
                       int prt_lines, const KEPLER& kepler) {
  return test::write_synthetic_pass(
      dir.file(name), sat, kepler, kLines, kLines + 1,
      [prt, prt_lines](int line, test::PassLine& l) {
        l.prt(line < prt_lines ? prt : 0);
        for (int x = 0; x < kWidth; ++x) {
          uint16_t* px = l.px(x);
          px[0] = static_cast<uint16_t>(x % 97 == line % 7 ? 1023 : (x * 3 + line * 11) % 700);
          px[1] = static_cast<uint16_t>((x + line * 5) % 1024);
          px[2] = 500;
          px[3] = static_cast<uint16_t>(test::kBlackBodyCount + (x / 64) * 590 / 31);
          px[4] = static_cast<uint16_t>(1023 - (x % 1024));
        }
      },
      [](int) { return kLinePreSync; });
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

}  // namespace
}  // namespace kelo
