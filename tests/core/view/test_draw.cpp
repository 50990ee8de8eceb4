// The picture pass on synthetic recordings: exact rows where the pattern
// makes them easy to work out, and golden checksums for the whole canvas.
//
// The golden pictures were looked at once: set KELO_GOLDEN_DIR to a folder to
// get every render of this file written there as a PPM.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/base/misc.h"
#include "core/export/hrpt_fixture.h"
#include "core/files/file.h"
#include "core/files/hrpt1_read.h"
#include "core/orbit/draw_satpos.h"
#include "core/view/data_proc.h"
#include "core/view/draw.h"
#include "core/view/mapping.h"
#include "core/view/open_picture.h"
#include "core/view/render.h"
#include "core/view/zoom.h"
#include "support/temp_dir.h"
#include "synthetic_pass.h"

namespace kelo {
namespace {

constexpr int kLines = 64;
constexpr int kWidth = 2048;
constexpr int kBrightLine = 20;  // channel 1 all 1023
constexpr int kNoSyncLine = 30;  // its frame sync words are lost
constexpr int kSpeckleLine = 45;
constexpr int kCw = 256, kCh = 64;

constexpr uint16_t kBlackBodyCount = test::kBlackBodyCount;

uint16_t ch1(int x, int line) {
  if (line == kBrightLine) return 1023;
  if (line == kSpeckleLine && x % 97 == 50) return 1023;  // lone bright pixels
  return static_cast<uint16_t>(x * 1023 / 2047);
}
uint16_t ch2(int x, int line) {
  if (x >= 512 && x < 1024 && line >= 16 && line < 32) return 0;  // a dark block
  return static_cast<uint16_t>(line * 1023 / 63);
}
// Channel 4: sixteen bands from the blackbody count (warm) towards space (cold).
uint16_t ch4(int x, int) { return static_cast<uint16_t>(kBlackBodyCount + (x / 128) * 590 / 15); }

std::string write_pass(const test::TempDir& dir) {
  return test::write_synthetic_pass(
      dir.file("pass.hrp"), "NOAA 15", test::noaa_like_kepler(1.7227f), kLines, kLines,  // 98.7 degrees
      [](int line, test::PassLine& l) {
        l.prt(400);
        for (int x = 0; x < kWidth; ++x) {
          uint16_t* px = l.px(x);
          px[0] = ch1(x, line);
          px[1] = ch2(x, line);
          px[2] = 500;
          px[3] = ch4(x, line);
          px[4] = static_cast<uint16_t>(1023 - ch1(x, line));
        }
      },
      [](int line) { return line == kNoSyncLine ? kLineRead : kLineRead | kLinePreSync; });
}

struct Render {
  std::unique_ptr<PIC_INFO> pic = std::make_unique<PIC_INFO>();
  std::unique_ptr<VIEW_INFO> view = std::make_unique<VIEW_INFO>();
  DRAWABLE_INFO canvas;
  // Opens the picture with gamma 1 and, for the synthetic pass, channel 1 alone.
  explicit Render(const std::string& path, bool channel1 = true) {
    pic->path = path;
    EXPECT_EQ(open_picture(pic.get(), view.get(), nullptr), 0) << path;
    view->gamma = 1.0f;
    if (!channel1) return;
    for (int& c : view->chan_sel) c = 0;
    view->chan_sel[1] = 1;
  }
  int draw(const char* name) {
    const int rc = render_view(pic.get(), view.get(), &canvas, kCw, kCh);
    if (const char* out = std::getenv("KELO_GOLDEN_DIR")) {
      EXPECT_EQ(write_canvas_ppm(&canvas, std::string(out) + "/" + name + ".ppm"), 0);
    }
    return rc;
  }
  const uint8_t* px(int x, int y) const { return &canvas.rgb_buf[(static_cast<size_t>(y) * kCw + x) * 3]; }
  uint64_t checksum() const {  // FNV-1a, 64 bits
    uint64_t h = 1469598103934665603ull;
    for (uint8_t b : canvas.rgb_buf) h = (h ^ b) * 1099511628211ull;
    return h;
  }
};

class PicturePass : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new test::TempDir;
    path_ = write_pass(*dir_);
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static test::TempDir* dir_;
  static std::string path_;
};
test::TempDir* PicturePass::dir_ = nullptr;
std::string PicturePass::path_;

TEST_F(PicturePass, GreyRampPlantedLineAndMirror) {
  Render r(path_);
  ASSERT_EQ(std::make_pair(r.pic->width, r.pic->height), std::make_pair(kWidth, kLines));
  ASSERT_EQ(r.draw("grey"), 0);
  // Row 0: canvas column x shows picture column 8x; level -> 256 grey steps.
  for (int x = 0; x < kCw; ++x) {
    const int level = 8 * x * 1023 / 2047;
    const int grey = std::min(level * 256 / 1023, 255);
    ASSERT_EQ(r.px(x, 0)[0], grey) << x;
    ASSERT_EQ(r.px(x, 0)[2], grey) << x;
  }
  for (int x = 0; x < kCw; ++x) ASSERT_EQ(r.px(x, kBrightLine)[1], 255) << x;
  EXPECT_EQ(r.view->hist[1023], kCw + 2);  // the bright line and two of the speckles
  EXPECT_EQ(r.checksum(), 3286544915562141059ull);
  const std::vector<uint8_t> normal = r.canvas.rgb_buf;

  // Seen from the south: column x shows what column 256 - x showed.
  r.view->orientation = Orientation::FromSouth;
  ASSERT_EQ(r.draw("grey_mirrored"), 0);
  for (int y : {0, 40})
    for (int x = 1; x < kCw; ++x)
      ASSERT_EQ(r.px(x, y)[0], normal[(static_cast<size_t>(y) * kCw + (kCw - x)) * 3]) << x << "," << y;
  EXPECT_EQ(r.px(0, 0)[0], 255);  // the last picture column, level 1023
  EXPECT_EQ(r.checksum(), 559059270875298134ull);
}

TEST_F(PicturePass, FaultyLinesMarked) {
  Render r(path_);
  ASSERT_EQ(r.draw("unmarked"), 0);
  const std::vector<uint8_t> plain = r.canvas.rgb_buf;
  r.view->mark_faulty = true;
  ASSERT_EQ(r.draw("marked"), 0);
  for (int y = 0; y < kCh; ++y) {
    const bool own = y == kNoSyncLine;                          // red
    const bool next = y == kNoSyncLine - 1 || y == kLines - 1;  // yellow: next line lacks sync / no next line
    for (int x = 0; x < kCw; ++x) {
      const uint8_t* p = r.px(x, y);
      const uint8_t* q = &plain[(static_cast<size_t>(y) * kCw + x) * 3];
      if (x < 5 && (own || next)) {
        EXPECT_EQ(p[0], 255) << x << "," << y;
        EXPECT_EQ(p[1], next ? 255 : 0) << x << "," << y;
        EXPECT_EQ(p[2], 0) << x << "," << y;
      } else {
        ASSERT_TRUE(p[0] == q[0] && p[1] == q[1] && p[2] == q[2]) << x << "," << y;
      }
    }
  }
  EXPECT_EQ(r.checksum(), 12229757854988728164ull);
}

TEST_F(PicturePass, SecondChannelAndRgbMix) {
  Render r(path_);
  r.view->chan_sel[1] = 0;
  r.view->chan_sel[2] = 1;
  ASSERT_EQ(r.draw("channel2"), 0);
  // Vertical ramp with the dark block at columns 64..127, rows 16..31.
  for (int y = 0; y < kCh; ++y) {  // the last record too
    const int grey = std::min((y * 1023 / 63) * 256 / 1023, 255);
    EXPECT_EQ(r.px(10, y)[0], grey) << y;
    EXPECT_EQ(r.px(100, y)[0], (y >= 16 && y < 32) ? 0 : grey) << y;
  }
  EXPECT_EQ(r.checksum(), 12997549150506274243ull);

  // Red from channel 1, green from channel 2, blue from channel 5.
  r.view->rgb_map = true;
  for (int ch = 0; ch <= kMaxChannels; ++ch) {
    r.view->map_used[ch] = ch == 1 || ch == 2 || ch == 5;
    r.view->map_wr[ch] = ch == 1 ? 1.0f : 0.0f;
    r.view->map_wg[ch] = ch == 2 ? 1.0f : 0.0f;
    r.view->map_wb[ch] = ch == 5 ? 1.0f : 0.0f;
  }
  ASSERT_EQ(r.draw("rgb"), 0);
  const std::vector<uint8_t> full = r.canvas.rgb_buf;
  // Zoomed in twice each line fills two rows; the second row of a pair shows
  // the same mix without reading again.
  r.view->zoom.zx = r.view->zoom.zy = 2.0f;
  ASSERT_EQ(r.draw("rgb_zoomed"), 0);
  for (int y = 0; y + 1 < kCh; y += 2)
    for (int x = 0; x < kCw; ++x)
      for (int k = 0; k < 3; ++k) ASSERT_EQ(r.px(x, y + 1)[k], r.px(x, y)[k]) << x << "," << y;
  EXPECT_EQ(r.px(0, 11)[1], full[(5 * kCw) * 3 + 1]);  // line 5 on rows 10 and 11
  r.view->zoom = zoom_full();
  ASSERT_EQ(r.draw("rgb"), 0);
  for (int x : {0, 100, 255}) {
    const int lr = 8 * x * 1023 / 2047;
    EXPECT_EQ(r.px(x, 5)[0], std::min(lr * 256 / 1023, 255)) << x;
    EXPECT_EQ(r.px(x, 5)[2], std::min((1023 - lr) * 256 / 1023, 255)) << x;
    EXPECT_EQ(r.px(x, 5)[1], std::min((5 * 1023 / 63) * 256 / 1023, 255)) << x;
  }
  EXPECT_EQ(r.checksum(), 9183876118493304863ull);
}

TEST_F(PicturePass, TemperatureBands) {
  Render r(path_);
  r.view->chan_sel[1] = 0;
  r.view->chan_sel[4] = 1;
  r.view->temperature = true;
  ASSERT_EQ(r.draw("temperature"), 0);
  // Sixteen bands of one temperature each (128 picture columns = 16 canvas
  // columns): uniform inside a band, different from band to band up to the
  // coldest two, which both lie below -70 C.
  for (int band = 0; band < 16; ++band) {
    const uint8_t* first = r.px(band * 16, 3);
    for (int x = band * 16; x < band * 16 + 16; ++x)
      for (int k = 0; k < 3; ++k) ASSERT_EQ(r.px(x, 3)[k], first[k]) << band << " " << x;
    if (band > 0) {
      const uint8_t* prev = r.px(band * 16 - 1, 3);
      EXPECT_EQ(prev[0] == first[0] && prev[1] == first[1] && prev[2] == first[2], band == 15) << band;
    }
  }
  // Every row shows the same field, the last one too (a buffer that comes
  // round again unread is not converted twice).
  for (int x = 0; x < kCw; ++x)
    for (int k = 0; k < 3; ++k) ASSERT_EQ(r.px(x, kCh - 1)[k], r.px(x, 0)[k]) << x;
  // Only temperature bins were counted: nothing in level 500 of raw counts.
  int counted = 0;
  for (int v : r.view->hist) counted += v;
  EXPECT_EQ(counted, kCw * kCh);
  EXPECT_EQ(r.checksum(), 17501888962045911939ull);
  // Temperature set but only channel 2 shown: grey.
  r.view->chan_sel[4] = 0;
  r.view->chan_sel[2] = 1;
  ASSERT_EQ(r.draw("temperature_off"), 0);
  EXPECT_EQ(r.px(10, 62)[0], 251);  // line 62: 1006 -> 251
  EXPECT_EQ(r.px(10, 62)[1], 251);
}

TEST_F(PicturePass, GridLinearisedAndDespeckled) {
  Render r(path_);
  ASSERT_EQ(r.pic->orbit.valid, 1);
  r.view->grid_on = true;
  r.view->grid_rgb[0] = 255;
  ASSERT_EQ(r.draw("grid"), 0);
  int grid = 0;
  for (int y = 0; y < kCh; ++y)
    for (int x = 0; x < kCw; ++x) grid += r.px(x, y)[0] == 255 && r.px(x, y)[1] == 0 && r.px(x, y)[2] == 0;
  EXPECT_GT(grid, 20);
  EXPECT_EQ(r.checksum(), 6328029599756002259ull);

  Render s(path_);
  s.view->linearize = true;
  ASSERT_EQ(s.draw("linearised"), 0);
  // The edges of the scan are widened: screen column 32 shows a picture
  // column left of 256 (where it lies unstraightened), column 224 one right
  // of 1792, and the middle stays the middle; each shows its ramp grey.
  const int left = scrx2picx(32, s.view.get(), s.pic.get());
  const int right = scrx2picx(224, s.view.get(), s.pic.get());
  EXPECT_LT(left, 256 - 50);
  EXPECT_GT(right, 1792 + 50);
  EXPECT_NEAR(scrx2picx(128, s.view.get(), s.pic.get()), 1024, 8);
  EXPECT_EQ(s.px(32, 0)[0], std::min((left * 1023 / 2047) * 256 / 1023, 255));
  EXPECT_EQ(s.px(224, 0)[0], std::min((right * 1023 / 2047) * 256 / 1023, 255));
  EXPECT_EQ(s.checksum(), 6668183539121339966ull);

  Render d(path_);
  d.view->despeckle_on = true;
  d.view->desp_ulimit = 100;
  d.view->desp_llimit = 200;
  ASSERT_EQ(d.draw("despeckled"), 0);
  // Row y shows line y + 1 filtered (the middle of three). The lone bright
  // pixels of line 45 (canvas columns 79 and 176) take the line above.
  for (int x : {0, 78, 79, 80, 176}) {
    EXPECT_EQ(d.px(x, kSpeckleLine - 1)[0], std::min((8 * x * 1023 / 2047) * 256 / 1023, 255)) << x;
  }
  EXPECT_EQ(d.px(100, kBrightLine - 1)[0], 255);
  EXPECT_EQ(d.px(0, kBrightLine - 1)[0], 0);  // first pixel: the upper line's sample
  Render plain(path_);
  ASSERT_EQ(plain.draw("speckled"), 0);
  EXPECT_EQ(plain.px(79, kSpeckleLine)[0], 255);
  EXPECT_EQ(plain.px(176, kSpeckleLine)[0], 255);
  EXPECT_EQ(d.checksum(), 14039585232754489566ull);
}

// A window for the pass: Escape or a redraw request or a resize at a chosen
// row, and a record of the repainted rows and of busy/idle.
class FakeWindow : public PassListener {
 public:
  DRAWABLE_INFO board;  // the canvas record of the window
  VIEW_INFO* view = nullptr;
  int rows_seen = 0;  // stop_requested calls = rows started
  int escape_at = -1, redraw_at = -1, resize_at = -1;
  int started = 0, ended = 0;
  std::vector<std::pair<int, int>> refreshed;
  void pass_started() override { ++started; }
  void pass_ended() override { ++ended; }
  bool stop_requested() override {
    if (rows_seen == redraw_at) view->redraw_pending = 1;
    if (rows_seen == resize_at) renew_rgbbuf(&board, kCw / 2, kCh / 2);
    return rows_seen++ == escape_at;
  }
  void rows_drawn(int y, int rows) override { refreshed.push_back({y, rows}); }
};

int lit_rows(const DRAWABLE_INFO& c) {
  int rows = 0;
  for (int y = 0; y < c.height; ++y) {
    bool any = false;
    for (int x = 0; x < c.width * 3 && !any; ++x)
      any = c.rgb_buf[static_cast<size_t>(y) * c.width * 3 + x] != 0;
    rows += any;
  }
  return rows;
}

TEST_F(PicturePass, StopsAndResizesThroughItsListener) {
  Render r(path_);
  FakeWindow fake;
  fake.view = r.view.get();
  renew_rgbbuf(&fake.board, kCw, kCh);
  load_std_palette(&fake.board, r.pic.get());
  correct_zoomval(&fake.board, r.view.get(), r.pic.get());

  // A full pass: busy once, every row repainted once, in order, idle again.
  ASSERT_EQ(draw_pic(r.pic.get(), r.view.get(), &fake.board, &fake), 0);
  EXPECT_EQ(std::make_pair(fake.started, fake.ended), std::make_pair(1, 1));
  ASSERT_EQ(fake.refreshed.size(), static_cast<size_t>(kCh));
  EXPECT_EQ(fake.refreshed[7], std::make_pair(7, 1));
  EXPECT_EQ(lit_rows(fake.board), kCh);
  // Without a canvas there are no tables.
  EXPECT_EQ(map_pic_canvas(nullptr, r.pic.get(), r.view.get(), 0, nullptr, nullptr, nullptr), -1);

  // A pass on a fresh canvas with the window event `event` due at row `at`.
  auto pass_with = [&](int FakeWindow::*event, int at) {
    renew_rgbbuf(&fake.board, kCw, kCh);
    fake.rows_seen = 0;
    fake.*event = at;
    const int rc = draw_pic(r.pic.get(), r.view.get(), &fake.board, &fake);
    fake.*event = -1;
    return rc;
  };
  // Escape before row 5: rows 0..4 drawn, the pass ends as completed.
  EXPECT_EQ(pass_with(&FakeWindow::escape_at, 5), 0);
  EXPECT_EQ(lit_rows(fake.board), 5);
  // A redraw request while row 3 starts: the pass stops and says so.
  EXPECT_EQ(pass_with(&FakeWindow::redraw_at, 3), 1);
  EXPECT_EQ(lit_rows(fake.board), 3);
  r.view->redraw_pending = 0;
  // The window shrinks during row 2: a new pass fills the new canvas whole.
  EXPECT_EQ(pass_with(&FakeWindow::resize_at, 2), 0);
  EXPECT_EQ(fake.board.width, kCw / 2);
  EXPECT_EQ(lit_rows(fake.board), kCh / 2);
  // The last column shows picture column 127 * 16 = 2032 of the ramp.
  EXPECT_EQ(fake.board.rgb_buf[((kCh / 2 - 2) * (kCw / 2) + kCw / 2 - 1) * 3],
            std::min((2032 * 1023 / 2047) * 256 / 1023, 255));

  // Film show: no row by row repaint, the whole canvas once at the end.
  fake.refreshed.clear();
  r.view->slide_mode = 1;
  EXPECT_EQ(draw_pic(r.pic.get(), r.view.get(), &fake.board, &fake), 0);
  ASSERT_EQ(fake.refreshed.size(), 1u);
  EXPECT_EQ(fake.refreshed[0], std::make_pair(0, kCh / 2));
  r.view->slide_mode = false;

  // Grid: Escape before the fourth row ends it with rows 1..2 done.
  FakeWindow esc;
  esc.view = r.view.get();
  esc.escape_at = 3;
  r.view->grid_rgb[0] = 255;
  renew_rgbbuf(&esc.board, kCw, kCh);
  correct_zoomval(&esc.board, r.view.get(), r.pic.get());
  EXPECT_EQ(draw_lonlat_canvas(r.pic.get(), r.view.get(), &esc.board, &esc), 1);
  EXPECT_EQ(esc.refreshed.size(), 3u);
  // No grid pixel below row 2 (the labels of row 1 reach further down, in white).
  int grid_below = 0, grid_above = 0;
  for (size_t i = 0; i < esc.board.rgb_buf.size(); i += 3) {
    const bool red =
        esc.board.rgb_buf[i] == 255 && esc.board.rgb_buf[i + 1] == 0 && esc.board.rgb_buf[i + 2] == 0;
    (i / 3 / kCw >= 3 ? grid_below : grid_above) += red;
  }
  EXPECT_EQ(grid_below, 0);
  EXPECT_GT(grid_above, 0);
  EXPECT_EQ(draw_lonlat_canvas(r.pic.get(), r.view.get(), nullptr, nullptr), 0);
}

// Settings typed into the windows or read from a damaged preference file:
// the pass completes, stays inside its tables and the buffer (the sanitizer
// build checks the latter), and shows what the settings mean.
TEST_F(PicturePass, OddSettingsDrawSafely) {
  Render r(path_);
  r.view->lmin = 900;  // window the wrong way round: everything below 900 black
  r.view->lmax = 100;
  ASSERT_EQ(r.draw("odd_window"), 0);
  EXPECT_EQ(r.px(10, 0)[0], 0);
  EXPECT_EQ(r.px(255, 0)[0], 255);  // level 1019 > lmax
  r.view->lmin = -50;
  r.view->lmax = 5000;
  r.view->gamma = -2.0f;
  ASSERT_EQ(r.draw("odd_gamma"), 0);
  r.view->gamma = 1.0f;
  r.view->zoom.zx = 1e9f;  // far beyond one picture pixel per screen pixel
  r.view->zoom.zy = 1e9f;
  r.view->zoom.ox = 1 << 30;
  r.view->zoom.oy = -5;
  ASSERT_EQ(r.draw("odd_zoom"), 0);
  EXPECT_EQ(r.view->zoom.ox, kWidth - 1);  // kept inside the picture
  EXPECT_EQ(r.view->zoom.oy, 0);
  r.view->zoom = zoom_full();
  r.view->linearize = true;
  r.pic->x_offset = 5000;  // cut-out beyond the scan line
  r.pic->scan_angle = 0.0f;
  ASSERT_EQ(r.draw("odd_linearise"), 0);
  r.pic->x_offset = 0;
  r.view->rgb_map = true;
  for (int ch = 1; ch <= kMaxChannels; ++ch) {
    r.view->map_used[ch] = 1;
    r.view->vshift[ch] = ch * 40;  // alignment far beyond the lines held
    r.view->tilt[ch] = -ch;
    r.view->map_wr[ch] = 3.0f;
  }
  ASSERT_EQ(r.draw("odd_rgb"), 0);
  // Alignment typed a thousand times too large: the pass still draws, with a
  // line set of bounded size.
  r.view->vshift[1] = 2000000000;
  r.view->tilt[2] = -2000000000;
  ASSERT_EQ(r.draw("odd_align"), 0);
  EXPECT_EQ(r.view->vshift_max, 512);
  EXPECT_EQ(r.view->vshift_min, -512);
}

// Real pictures drawn at their own size come out as ImageMagick reads them;
// at half size every second pixel of every second line.
TEST(RealPictures, DrawnAtOwnAndHalfSize) {
  if (!test::have_imagemagick()) GTEST_SKIP() << "ImageMagick not installed";
  test::TempDir dir;
  for (const std::string name : {"hopper_8bit.pgm", "hopper_8bit.ppm"}) {
    const std::string path = std::string(KELO_CORPUS) + "/pnm/pillow/" + name;
    if (!exist_file(path)) GTEST_SKIP() << "corpus missing";
    const test::Decoded in = test::imagemagick_decode(path, name.substr(12), dir.file("plain"));
    ASSERT_EQ(in.width, 128);
    ASSERT_EQ(in.samples.size(), static_cast<size_t>(in.width * in.height * in.channels));
    Render r(path, false);
    auto sample = [&](int x, int y, int k) {
      // Level v of 256 lands on palette entry v * 256 / 255, which is v for
      // 0..254 and 256 -> 255 (clamped) for 255.
      return in.samples[(static_cast<size_t>(y) * in.width + x) * in.channels + (in.channels == 3 ? k : 0)];
    };
    for (int scale : {1, 2}) {
      const int w = in.width / scale, h = in.height / scale;
      ASSERT_EQ(render_view(r.pic.get(), r.view.get(), &r.canvas, w, h), 0);
      int diffs = 0;
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          for (int k = 0; k < 3; ++k)
            diffs +=
                r.canvas.rgb_buf[(static_cast<size_t>(y) * w + x) * 3 + k] != sample(scale * x, scale * y, k);
      EXPECT_EQ(diffs, 0) << name << " at 1/" << scale;
    }
  }
}

TEST(PicturePassEdges, NothingToDraw) {
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  DRAWABLE_INFO c;
  renew_rgbbuf(&c, 8, 8);
  EXPECT_EQ(draw_pic_canvas(pic.get(), view.get(), &c, nullptr), 0);  // no open file
  EXPECT_EQ(draw_pic(pic.get(), view.get(), &c, nullptr), 0);
  struct Mark {
    FileKind kind;
    int status, want;
  } marks[] = {{kKindHRPT, 0x0D, 2}, {kKindHRPT, 0xE1, 1}, {kKindHRPT, 0xED, 0}, {kKindAHRPT, 0x01, 3},
               {kKindHRI, 0x0D, 1},  {kKindHRI, 0xE1, 0},  {kKindGIF, 0, 0}};
  for (const Mark& m : marks)
    EXPECT_EQ(faulty_mark(m.kind, m.status), m.want) << file_kind_code(m.kind) << " " << m.status;
  EXPECT_EQ(write_canvas_ppm(&c, "/nonexistent-dir/x.ppm"), 'o');
  DRAWABLE_INFO none;
  EXPECT_EQ(write_canvas_ppm(&none, "/tmp/never.ppm"), 'p');
}

}  // namespace
}  // namespace kelo
