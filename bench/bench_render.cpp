// Speed of the picture pass and of the grid on a full pass.
//
// A 5-channel 5400-line recording (15 minutes of NOAA HRPT) is drawn onto a
// 1280 x 1024 canvas, at full view and at zoom 4. Each pass has beside it the
// read of the lines it needs (BM_Read...): the file lines the view shows, and
// for a despeckled row also the lines above and below, for a temperature row
// the five lines that carry the calibration readings. Those reads are the
// floor any pass has to pay; the pass benchmarks set their time beside them.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/files/file.h"
#include "core/files/hrpt1_read.h"
#include "core/files/hrpt1_write.h"
#include "core/orbit/draw_satpos.h"
#include "core/view/data_proc.h"
#include "core/view/mapping.h"
#include "core/view/open_picture.h"
#include "core/view/render.h"
#include "core/view/zoom.h"

namespace kelo {
namespace {

constexpr int kLines = 5400;
constexpr int kWidth = 2048;
constexpr int kCw = 1280, kCh = 1024;

// The recording, written once per run into a private temporary folder.
class PassFile {
 public:
  PassFile() {
    char tmpl[] = "/tmp/kelo_bench_XXXXXX";
    if (!mkdtemp(tmpl)) std::abort();
    dir_ = tmpl;
    path_ = dir_ + "/pass.hrp";
    auto pic = std::make_unique<PIC_INFO>();
    pic->file_type = kKindHRPT;
    pic->sat_name = "NOAA 19";
    pic->width = kWidth;
    pic->height = kLines;
    pic->scan_dir = ScanDir::TopDown;
    pic->orientation = Orientation::Normal;
    for (int i = 0; i <= 5; ++i) pic->chan_present[i] = 1;
    KEPLER& k = pic->kepler;
    k.epoch_year = 124;
    k.epoch_day = 100.5f;
    k.inclination = 1.7227f;
    k.raan = 1.0f;
    k.eccentricity = 0.001f;
    k.perigee = 1.5f;
    k.anomaly = 2.0f;
    k.motion = 14.2f;
    BrokenTime t{};
    t.tm_year = 124;
    t.tm_mon = 3;
    t.tm_mday = 10;
    t.tm_yday = 100;
    t.tm_hour = 12;
    t.tm_min = 20;
    pic->orbit.start_tm = t;
    pic->orbit.start_tm_comp = t;
    pic->orbit.use_sattime = true;
    pic->frame = calc_hrptframeinfo(kKindHRPT, pic->chan_present, kWidth);
    if (!pic->pic_fp.open(path_, "wb") || write_hrpt1_hdr(pic.get()) != 0) std::abort();
    const FRAME_GEOM& g = pic->frame;
    std::vector<uint16_t> w(static_cast<size_t>(g.words_padded), 0);
    // Calibration words as a real frame carries them, so the temperature
    // pass converts every count: PRT readings (words 17-19), blackbody
    // counts (words 22-51) and space counts (words 52-101).
    for (int i = 17; i < 20; ++i) w[static_cast<size_t>(i)] = 500;
    for (int i = 22; i < 52; ++i) w[static_cast<size_t>(i)] = 380;
    for (int i = 52; i < 102; ++i) w[static_cast<size_t>(i)] = 990;
    for (int line = 0; line < kLines; ++line) {
      for (int i = 0; i < kHrptSyncWords; ++i) w[i] = kHrptSync[i];
      for (int x = 0; x < kWidth; ++x)
        for (int c = 0; c < 5; ++c)
          w[static_cast<size_t>(g.hdr_words + x * 5 + c)] =
              static_cast<uint16_t>((x * (c + 1) + line * 3 + ((x * 7919 + line * 104729) % 61)) & 1023);
      if (write_hrpt1_line(pic.get(), w.data(), 0x0D) != 1) std::abort();
    }
    pic->pic_fp.close();
  }
  ~PassFile() {
    std::remove(path_.c_str());
    rmdir(dir_.c_str());
  }
  const std::string& path() const { return path_; }

 private:
  std::string dir_, path_;
};

const PassFile& pass_file() {
  static PassFile f;
  return f;
}

// The views measured: the whole pass, or a quarter of it in each direction
// around its middle.
enum class View { kFull, kZoom4 };

struct Opened {
  std::unique_ptr<PIC_INFO> pic = std::make_unique<PIC_INFO>();
  std::unique_ptr<VIEW_INFO> view = std::make_unique<VIEW_INFO>();
  explicit Opened(View v = View::kFull) {
    pic->path = pass_file().path();
    if (open_picture(pic.get(), view.get(), nullptr) != 0) std::abort();
    for (int& c : view->chan_sel) c = 0;
    view->chan_sel[2] = 1;
    view->gamma = 1.0f;
    view->desp_ulimit = 40;
    view->desp_llimit = 100;
    if (v == View::kZoom4) {
      view->zoom.zx = 4.0f;
      view->zoom.zy = 4.0f;
      view->zoom.ox = kWidth * 3 / 8;
      view->zoom.oy = kLines * 3 / 8;
    }
  }
  void rgb() {
    view->rgb_map = true;
    for (int ch = 1; ch <= 5; ++ch) view->map_used[ch] = 1;
    view->map_wr[1] = 1.0f;
    view->map_wg[2] = 1.0f;
    view->map_wb[4] = 0.5f;
    view->map_wb[5] = 0.5f;
  }
  void temperature() {
    for (int& c : view->chan_sel) c = 0;
    view->chan_sel[4] = 1;
    view->temperature = true;
  }
};

// Reads and unpacks the lines a pass holds, as the line store reads them: a
// set of `set` lines per row from the row's file line on, each line read
// once while later rows still need it.
void read_needed(benchmark::State& state, View v, int set) {
  Opened o(v);
  DRAWABLE_INFO canvas;
  renew_rgbbuf(&canvas, kCw, kCh);
  correct_zoomval(&canvas, o.view.get(), o.pic.get());
  std::vector<int> xmap, ymap;
  map_xy(kCw, kCh, 0, o.pic.get(), o.view.get(), &xmap, &ymap);
  std::vector<uint16_t> buf(static_cast<size_t>(o.pic->frame.words_padded) * kLineBufFactor);
  long long lines = 0;
  for (auto _ : state) {
    int held_end = -1, got = 0;
    lines = 0;
    for (int y = 0; y < kCh; ++y) {
      const int first = ymap[static_cast<size_t>(y)];
      for (int line = std::max(first, held_end); line < first + set; ++line, ++lines)
        got += read_line(o.pic.get(), o.view.get(), line, buf.data(), nullptr, nullptr, nullptr) != 0;
      held_end = std::max(held_end, first + set);
    }
    benchmark::DoNotOptimize(got);
  }
  state.counters["lines"] = static_cast<double>(lines);
}
void BM_ReadNeededLines(benchmark::State& s) { read_needed(s, View::kFull, 1); }
void BM_ReadNeededLinesDespeckle(benchmark::State& s) { read_needed(s, View::kFull, 3); }
void BM_ReadNeededLinesTemperature(benchmark::State& s) { read_needed(s, View::kFull, 5); }
void BM_ReadNeededLinesZoom4(benchmark::State& s) { read_needed(s, View::kZoom4, 1); }
void BM_ReadNeededLinesDespeckleZoom4(benchmark::State& s) { read_needed(s, View::kZoom4, 3); }
void BM_ReadNeededLinesTemperatureZoom4(benchmark::State& s) { read_needed(s, View::kZoom4, 5); }
BENCHMARK(BM_ReadNeededLines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNeededLinesDespeckle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNeededLinesTemperature)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNeededLinesZoom4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNeededLinesDespeckleZoom4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNeededLinesTemperatureZoom4)->Unit(benchmark::kMillisecond);

enum class Mix { kGrey, kRgb, kTemperature };

void pass(benchmark::State& state, View v, Mix mix, bool despeckle, bool linearize) {
  Opened o(v);
  if (mix == Mix::kRgb) o.rgb();
  if (mix == Mix::kTemperature) o.temperature();
  o.view->despeckle_on = despeckle;
  o.view->linearize = linearize;
  DRAWABLE_INFO canvas;
  for (auto _ : state) {
    if (render_view(o.pic.get(), o.view.get(), &canvas, kCw, kCh) != 0) state.SkipWithError("pass failed");
    benchmark::DoNotOptimize(canvas.rgb_buf.data());
  }
}
void BM_PassGrey(benchmark::State& s) { pass(s, View::kFull, Mix::kGrey, false, false); }
void BM_PassGreyDespeckle(benchmark::State& s) { pass(s, View::kFull, Mix::kGrey, true, false); }
void BM_PassGreyLinearised(benchmark::State& s) { pass(s, View::kFull, Mix::kGrey, false, true); }
void BM_PassRgb(benchmark::State& s) { pass(s, View::kFull, Mix::kRgb, false, false); }
void BM_PassRgbDespeckleLinearised(benchmark::State& s) { pass(s, View::kFull, Mix::kRgb, true, true); }
void BM_PassTemperature(benchmark::State& s) { pass(s, View::kFull, Mix::kTemperature, false, false); }
void BM_PassGreyZoom4(benchmark::State& s) { pass(s, View::kZoom4, Mix::kGrey, false, false); }
void BM_PassGreyDespeckleZoom4(benchmark::State& s) { pass(s, View::kZoom4, Mix::kGrey, true, false); }
void BM_PassRgbZoom4(benchmark::State& s) { pass(s, View::kZoom4, Mix::kRgb, false, false); }
void BM_PassRgbDespeckleLinearisedZoom4(benchmark::State& s) { pass(s, View::kZoom4, Mix::kRgb, true, true); }
void BM_PassTemperatureZoom4(benchmark::State& s) { pass(s, View::kZoom4, Mix::kTemperature, false, false); }
BENCHMARK(BM_PassGrey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassGreyDespeckle)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassGreyLinearised)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassRgb)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassRgbDespeckleLinearised)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassTemperature)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassGreyZoom4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassGreyDespeckleZoom4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassRgbZoom4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassRgbDespeckleLinearisedZoom4)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassTemperatureZoom4)->Unit(benchmark::kMillisecond);

void BM_GridPass(benchmark::State& state) {
  Opened o;
  DRAWABLE_INFO canvas;
  renew_rgbbuf(&canvas, kCw, kCh);
  correct_zoomval(&canvas, o.view.get(), o.pic.get());
  o.view->grid_rgb[0] = 255;
  if (!o.pic->orbit.valid) state.SkipWithError("no orbit");
  for (auto _ : state) {
    if (draw_lonlat_canvas(o.pic.get(), o.view.get(), &canvas, nullptr) != 1) state.SkipWithError("no grid");
    benchmark::DoNotOptimize(canvas.rgb_buf.data());
  }
}
BENCHMARK(BM_GridPass)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelo
