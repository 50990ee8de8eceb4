// Screen/picture mapping, luminance map, palettes, row drawers and the
// temperature colours.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <tuple>

#include "core/view/data_proc.h"
#include "core/view/mapping.h"
#include "core/view/zoom.h"

namespace kelo {
namespace {

constexpr int kNpal = 256;

std::unique_ptr<VIEW_INFO> view_with(int lmin, int lmax, float gamma = 1.0f, int invert = 0) {
  auto v = std::make_unique<VIEW_INFO>();
  v->lmin = lmin;
  v->lmax = lmax;
  v->gamma = gamma;
  v->invert = invert;
  return v;
}

// The entries of a luminance map at the given levels.
std::vector<int> at(const std::vector<int>& m, std::initializer_list<int> levels) {
  std::vector<int> out;
  for (int l : levels) out.push_back(m[static_cast<size_t>(l)]);
  return out;
}

TEST(LumMap, LimitsInvertGammaAndSmallPictures) {
  std::vector<int> m;
  auto v = view_with(100, 100);
  ASSERT_EQ(mk_lummap(v.get(), 1024, kNpal, &m), 0);
  EXPECT_EQ(v->lmax, 101);  // raised so the window has a width
  EXPECT_EQ(at(m, {99, 100, 101, 1023}), (std::vector<int>{0, 0, 255, 255}));  // 1 * 256 / 1, clamped
  auto w = view_with(100, 612);
  mk_lummap(w.get(), 1024, kNpal, &m);
  // 1 * 256 / 512 = 0.5; 256 * 256 / 512 = 128; 511 * 256 / 512 = 255.5; 256 clamped.
  EXPECT_EQ(at(m, {100, 101, 102, 356, 611, 612}), (std::vector<int>{0, 0, 1, 128, 255, 255}));
  auto inv = view_with(100, 612, 1.0f, 1);
  mk_lummap(inv.get(), 1024, kNpal, &m);
  EXPECT_EQ(at(m, {0, 100, 356, 613, 1023}), (std::vector<int>{255, 255, 127, 0, 0}));

  // Gamma 0 and 1 are linear (512 * 256 / 1023 = 128.1); gamma 2 bends:
  // trunc(sqrt(256) * 256 / sqrt(1023)) = 128, sqrt(64) * 256 / 31.984 = 64.03.
  std::vector<int> lin, g0, g2;
  auto v1 = view_with(0, 1023, 1.0f), v0 = view_with(0, 1023, 0.0f), v2 = view_with(0, 1023, 2.0f);
  mk_lummap(v1.get(), 1024, kNpal, &lin);
  mk_lummap(v0.get(), 1024, kNpal, &g0);
  mk_lummap(v2.get(), 1024, kNpal, &g2);
  EXPECT_EQ(lin, g0);
  EXPECT_EQ(lin[512], 128);
  EXPECT_EQ(at(g2, {64, 256, 1023}), (std::vector<int>{64, 128, 255}));

  // An 8-bit picture: RGB mixes and temperature bins still index up to 1023;
  // a map with no colours yet still gives valid index 0.
  auto small = view_with(10, 200);
  ASSERT_EQ(mk_lummap(small.get(), 256, kNpal, &m), 0);
  ASSERT_GE(m.size(), 1024u);
  EXPECT_EQ(at(m, {255, 1023}), (std::vector<int>{255, 255}));
  mk_lummap(small.get(), 256, 0, &m);
  EXPECT_EQ(m[150], 0);
}

struct Pic {
  PIC_INFO pic;
  std::unique_ptr<VIEW_INFO> view = std::make_unique<VIEW_INFO>();
  // With `scanning`: an AVHRR scan of 2048 pixels over +-55.4 degrees, to be straightened.
  Pic(int w, int h, bool scanning = false) {
    pic.width = w;
    pic.height = h;
    if (scanning) {
      pic.pixels_per_chan = 2048;
      pic.scan_angle = 55.4f;
      view->linearize = true;
    }
    pic.frame.n_channels = 1;
    view->zoom = zoom_full();
    view->orientation = Orientation::Normal;
    view->scan_dir = ScanDir::TopDown;
  }
};

TEST(Mapping, ScreenToPictureBothOrientations) {
  Pic p(2048, 1000);
  correct_zoomval(1024, 500, p.view.get(), &p.pic);  // dx = 0.5, dy = 0.5
  EXPECT_EQ(scrx2picx(0, p.view.get(), &p.pic), 0);
  EXPECT_EQ(scrx2picx(1, p.view.get(), &p.pic), 2);
  EXPECT_EQ(scrx2picx(1023, p.view.get(), &p.pic), 2046);
  EXPECT_EQ(scry2picy(499, p.view.get(), &p.pic), 998);
  // Seen from the south the left column shows the last picture column.
  p.view->orientation = Orientation::FromSouth;
  EXPECT_EQ(scrx2picx(0, p.view.get(), &p.pic), 2047);
  EXPECT_EQ(scrx2picx(1023, p.view.get(), &p.pic), 2);  // 2048 - 2046
  p.view->scan_dir = ScanDir::BottomUp;
  EXPECT_EQ(scry2picy(1, p.view.get(), &p.pic), 998);
  // Offsets of a cut-out picture are included.
  p.view->orientation = Orientation::Normal;
  p.view->scan_dir = ScanDir::TopDown;
  p.pic.x_offset = 100;
  p.pic.y_offset = 7;
  EXPECT_EQ(scrx2picx(1, p.view.get(), &p.pic), 102);
  EXPECT_EQ(scry2picy(0, p.view.get(), &p.pic), 7);
  // Zoomed: screen back to picture and picture back to screen agree.
  p.view->zoom.zx = p.view->zoom.zy = 4.0f;
  p.view->zoom.ox = 600;
  p.view->zoom.oy = 300;
  correct_zoomval(1024, 500, p.view.get(), &p.pic);  // dx = 2, dy = 2
  EXPECT_EQ(scrx2picx(10, p.view.get(), &p.pic), 100 + 605);
  EXPECT_EQ(picx2scrx(100 + 605, p.view.get(), &p.pic), 10);
  EXPECT_EQ(picy2scry(7 + 305, p.view.get(), &p.pic), 10);
  p.view->orientation = Orientation::FromSouth;
  p.view->scan_dir = ScanDir::BottomUp;
  // px = 600 - 5 + 512 = 1107; back: (512 - (1107 - 600)) * 2 = 10.
  EXPECT_EQ(scrx2picx(10, p.view.get(), &p.pic), 100 + 1107);
  EXPECT_EQ(picx2scrx(100 + 1107, p.view.get(), &p.pic), 10);
  EXPECT_EQ(picy2scry(7 + scry2picy(10, p.view.get(), &p.pic) - 7, p.view.get(), &p.pic), 10);
}

TEST(Mapping, SampleIndexesAndLineMap) {
  // A 5-channel recording: 100 header words, channel 4 shown.
  Pic p(2048, 1000);
  p.pic.frame.n_channels = 5;
  p.pic.frame.hdr_words = 100;
  for (int ch = 1; ch <= 5; ++ch) p.pic.chan_present[ch] = 1;
  p.view->chan_sel[4] = 1;
  std::vector<int> xmap, ymap;
  ASSERT_EQ(map_xy(2048, 2000, 0, &p.pic, p.view.get(), &xmap, &ymap), 0);
  ASSERT_EQ(xmap.size(), 2048u);
  ASSERT_EQ(ymap.size(), 2000u);
  EXPECT_EQ(at(xmap, {0, 1, 2047}), (std::vector<int>{103, 108, 2047 * 5 + 103}));
  EXPECT_EQ(at(ymap, {0, 1, 3, 1999}), (std::vector<int>{0, 0, 1, 999}));  // two rows per line
  EXPECT_EQ(std::make_pair(p.view->zoom.dx, p.view->zoom.dy), std::make_pair(1.0f, 2.0f));
  // Channel 2 absent from the file: channel 4 is then the 3rd present (k = 2).
  p.pic.chan_present[2] = 0;
  map_xy(2048, 2000, 0, &p.pic, p.view.get(), &xmap, &ymap);
  EXPECT_EQ(xmap[0], 102);
  // RGB mode indexes the three component rows directly.
  map_xy(2048, 2000, 1, &p.pic, p.view.get(), &xmap, &ymap);
  EXPECT_EQ(at(xmap, {0, 7}), (std::vector<int>{0, 7}));
  // Bottom-up: the first row would be line `height`: limited to the last line.
  p.view->scan_dir = ScanDir::BottomUp;
  map_xy(2048, 2000, 1, &p.pic, p.view.get(), &xmap, &ymap);
  EXPECT_EQ(at(ymap, {0, 1999}), (std::vector<int>{999, 0}));
}

TEST(Mapping, SingleSampleLinesHaveNoChannelOffset) {
  // An HRI picture with channels 1 and 2: its line holds only the shown
  // channel, one sample per pixel, so channel 2 starts at index 0.
  Pic p(2500, 100);
  p.pic.file_type = kKindHRI;
  p.pic.frame.n_channels = 1;
  p.pic.frame.hdr_words = 0;
  p.pic.chan_present[1] = p.pic.chan_present[2] = 1;
  p.view->chan_sel[2] = 1;
  std::vector<int> xmap, ymap;
  ASSERT_EQ(map_xy(2500, 100, 0, &p.pic, p.view.get(), &xmap, &ymap), 0);
  EXPECT_EQ(at(xmap, {0, 2499}), (std::vector<int>{0, 2499}));
}

TEST(Mapping, LinearisationTable) {
  Pic p(2048, 100, true);
  const std::vector<int>* t = mk_lintbl(&p.pic, p.view.get());
  ASSERT_NE(t, nullptr);
  ASSERT_EQ(t->size(), 4096u);
  ASSERT_EQ(p.view->lin_inv.size(), 2048u);
  const std::vector<int>& L = *t;
  EXPECT_EQ(L[0], 0);
  EXPECT_EQ(L[4095], 2047);
  for (size_t i = 1; i < L.size(); ++i) ASSERT_LE(L[i - 1], L[i]) << i;
  for (size_t i = 0; i < L.size(); ++i) ASSERT_EQ(L[i] + L[4095 - i], 2047) << i;  // symmetric
  // The swath edge is stretched (source pixels repeat), the centre is not:
  // count how many table entries the first and the middle source pixel get.
  auto entries = [&L](int from, int to) {
    return std::count_if(L.begin(), L.end(), [=](int v) { return v >= from && v <= to; });
  };
  EXPECT_GT(entries(0, 9), 4 * entries(1019, 1028));
  EXPECT_GT(entries(2038, 2047), 4 * entries(1019, 1028));
  EXPECT_GE(entries(1019, 1028), 10);  // every source pixel keeps a place
  for (int v = 0; v < 2048; v += 97) EXPECT_EQ(L[p.view->lin_inv[v]], v) << v;
  // A straightened screen column: the left edge of the screen stays the left
  // edge of the picture, the middle stays the middle.
  correct_zoomval(1024, 100, p.view.get(), &p.pic);
  EXPECT_EQ(scrx2picx(0, p.view.get(), &p.pic), 0);
  EXPECT_NEAR(scrx2picx(512, p.view.get(), &p.pic), 1024, 2);
  EXPECT_LT(scrx2picx(100, p.view.get(), &p.pic), 100);  // edge pixels are widened

  // Pictures the table cannot serve are shown as recorded, and tables built
  // before stay in place.
  Pic wide(3000, 10, true);
  EXPECT_EQ(mk_lintbl(&wide.pic, wide.view.get()), nullptr);
  Pic one(1, 10, true);
  one.view->lin_tbl = {5};
  EXPECT_EQ(mk_lintbl(&one.pic, one.view.get()), nullptr);
  EXPECT_EQ(one.view->lin_tbl, std::vector<int>{5});
  p.view->linearize = false;
  EXPECT_EQ(mk_lintbl(&p.pic, p.view.get()), nullptr);
}

TEST(Palettes, GreyPictureAndDrawingColours) {
  DRAWABLE_INFO c;
  load_std_palette(&c, nullptr);
  ASSERT_EQ(c.n_colors, 256);
  const std::vector<KColor> grey = std_palette(nullptr);
  ASSERT_EQ(grey.size(), 256u);
  EXPECT_EQ(grey[3].red, 3 * 256);
  EXPECT_EQ(grey[255].blue, 255 * 256);
  EXPECT_EQ(c.rgb_cmap[200], 0xc8c8c8u);

  // A 10-bit recording with identity tables: 1024 entries, every 4th kept.
  auto pic = std::make_unique<PIC_INFO>();
  pic->lut_size = 1024;
  for (int i = 0; i < 1024; ++i) pic->lut[0][i] = pic->lut[1][i] = pic->lut[2][i] = i;
  pic->lut[0][1020] = 0;  // a picture colour table is honoured
  const std::vector<KColor> own = std_palette(pic.get());
  ASSERT_EQ(own.size(), 1024u);
  EXPECT_EQ(own[5].green, 5 << 6);  // bits = 10, shift 16 - 10
  load_std_palette(&c, pic.get());
  ASSERT_EQ(c.n_colors, 256);
  EXPECT_EQ(c.rgb_cmap[100], 0x646464u);
  EXPECT_EQ(c.rgb_cmap[255], 0x00ffffu);

  // A 32-colour GIF: its table holds 8-bit colours, which stay 8-bit.
  auto gif = std::make_unique<PIC_INFO>();
  gif->file_type = kKindGIF;
  gif->lut_size = 32;
  gif->lut[0][31] = 255;
  gif->lut[1][31] = 128;
  gif->lut[2][31] = 1;
  const std::vector<KColor> gp = std_palette(gif.get());
  ASSERT_EQ(gp.size(), 32u);
  EXPECT_EQ(std::make_tuple(gp[31].red, gp[31].green, gp[31].blue), std::make_tuple(0xff00, 0x8000, 0x0100));
}

// A 4 x 2 canvas with a grey map (entry i = i, i, i).
DRAWABLE_INFO grey_canvas(int w = 4, int h = 2) {
  DRAWABLE_INFO c;
  renew_rgbbuf(&c, w, h);
  load_std_palette(&c, nullptr);
  return c;
}

TEST(RowDrawers, GreyRowHistogramAndBounds) {
  DRAWABLE_INFO c = grey_canvas();
  auto view = std::make_unique<VIEW_INFO>();
  std::vector<int> lum(1024);
  for (int i = 0; i < 1024; ++i) lum[i] = i / 4;
  const uint16_t line[6] = {0, 40, 1023, 2000, 8, 9};
  const int xmap[4] = {1, 3, 2, 77};  // the last one lies outside the line
  draw_a_line_bw(line, 6, 4, 1, xmap, lum.data(), 1023, &c, view.get());
  EXPECT_EQ(c.rgb_buf,
            (std::vector<uint8_t>{0,  0,  0,  0,   0,   0,   0,   0,   0,   0, 0, 0,  // row 0 untouched
                                  10, 10, 10, 255, 255, 255, 255, 255, 255, 0, 0, 0}));
  EXPECT_EQ(view->hist[40], 1);
  EXPECT_EQ(view->hist[1023], 2);  // 2000 limited to the maximum level
  // A row below the buffer is skipped, so is a row wider than the canvas.
  draw_a_line_bw(line, 6, 4, 2, xmap, lum.data(), 1023, &c, view.get());
  draw_a_line_bw(line, 6, 5, 0, xmap, lum.data(), 1023, &c, view.get());
  EXPECT_TRUE(std::all_of(c.rgb_buf.begin(), c.rgb_buf.begin() + 12, [](uint8_t b) { return b == 0; }));
  EXPECT_EQ(view->hist[40], 1);
}

TEST(RowDrawers, RgbRowMixAndSmallTables) {
  DRAWABLE_INFO c = grey_canvas(2, 1);
  auto view = std::make_unique<VIEW_INFO>();
  const uint16_t r[2] = {300, 1023}, g[2] = {30, 1500}, b[2] = {3, 0};
  const int xmap[2] = {0, 1};
  // Without a map levels are palette indexes, limited to 255.
  draw_a_line_rgb(r, g, b, 2, 2, 0, xmap, nullptr, &c, view.get());
  EXPECT_EQ(c.rgb_buf, (std::vector<uint8_t>{255, 30, 3, 255, 255, 0}));
  EXPECT_EQ(view->hist[111], 1);  // (300 + 30 + 3) / 3
  EXPECT_EQ(view->hist[841], 1);  // (1023 + 1500 + 0) / 3
  // An 8-bit picture's map still covers levels up to 1023.
  std::vector<int> lum;
  auto lv = view_with(0, 255);
  mk_lummap(lv.get(), 256, 256, &lum);
  draw_a_line_rgb(r, g, b, 2, 2, 0, xmap, lum.data(), &c, nullptr);
  EXPECT_EQ(c.rgb_buf[0], 255);
  EXPECT_EQ(c.rgb_buf[1], 30);
}

TEST(RowDrawers, GridMarksTakeTheGridColour) {
  DRAWABLE_INFO c = grey_canvas(3, 1);
  auto view = std::make_unique<VIEW_INFO>();
  view->grid_rgb[0] = 10;
  view->grid_rgb[1] = 20;
  view->grid_rgb[2] = 30;
  const uint8_t marks[3] = {0, 1, 0};
  const int xmap[3] = {1, 0, 9};
  draw_grid(marks, 3, 3, 0, xmap, &c, view.get());
  EXPECT_EQ(c.rgb_buf, (std::vector<uint8_t>{10, 20, 30, 0, 0, 0, 0, 0, 0}));
  const int all_marked[3] = {1, 1, 1};
  draw_grid(marks, 3, 3, 0, all_marked, &c, nullptr);  // no view: white
  EXPECT_EQ(c.rgb_buf[3], 255);
}

TEST(Temperature, BinsColoursAndReadBack) {
  std::vector<int> lum(1024, 0);
  int r, g, b;
  EXPECT_EQ(map_temp(2930, lum.data(), &r, &g, &b), 657);  // 293.0 K
  // Angle 0: g = 127, b = trunc(127 * (1 + sin 120)) = 236, r = trunc(127 * (1 + sin 240)) = 17.
  EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(17, 127, 236));
  EXPECT_EQ(map_temp(0, lum.data(), &r, &g, &b), 0);        // below -70 C
  EXPECT_EQ(map_temp(2030, lum.data(), &r, &g, &b), 0);     // -70 C
  EXPECT_EQ(map_temp(3430, lum.data(), &r, &g, &b), 1023);  // +70 C
  EXPECT_EQ(map_temp(65535, lum.data(), &r, &g, &b), 1023);
  lum[1023] = 90;
  map_temp(4000, lum.data(), &r, &g, &b);
  // With pi taken as 3.1415926, sin 90 falls just short of 1: 253, not 254.
  // Blue 127 * (1 + sin 210) = 63.5, red 127 * (1 + sin 330).
  EXPECT_EQ(std::make_tuple(r, g, b), std::make_tuple(63, 253, 63));

  auto v = view_with(0, 1023);
  // (63, 254, 63): red branch, a = trunc(120 + asin(63 / 127 - 1) deg) = 89;
  // level = 1023 * 89 / 256 = 355; 355 * 140 / 1000 - 70 = -21.
  EXPECT_EQ(inv_maptemp(KColor{63, 254, 63}, v.get(), 256), -21);
  // (17, 127, 236): blue branch, a = 0: level 0 -> -70 C.
  EXPECT_EQ(inv_maptemp(KColor{17, 127, 236}, v.get(), 256), -70);
  // (250, 10, 200): a = trunc(240 + asin(200 / 127 - 1) deg) = 274;
  // level = 1023 * 274 / 256 = 1094 -> 83 C.
  EXPECT_EQ(inv_maptemp(KColor{250, 10, 200}, v.get(), 256), 83);
  // Colours map_temp never makes do not leave asin's range.
  EXPECT_EQ(inv_maptemp(KColor{255, 255, 255}, v.get(), 256), inv_maptemp(KColor{255, 0, 254}, v.get(), 256));
}

}  // namespace
}  // namespace kelo
