// Geolocation speed: longitude/latitude of every pixel of a 1280x1024 screen
// showing a whole 15-minute NOAA pass, with the simple and the precise orbit
// model (the grid pass asks this for every fifth pixel of every row); and a
// GeoTIFF export of a 5400-line pass with its control points beside the GIF
// export of the same channel.
//
// Run: bench_geolocation (each export iteration is a whole pass).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "core/export/hrpt_fixture.h"
#include "core/export/kelo_export_cli.h"
#include "core/orbit/calc_satpos.h"
#include "core/orbit/parse_norad.h"

namespace {

constexpr int kScreenW = 1280, kScreenH = 1024;
constexpr int kPassLines = 5400;  // a 15-minute pass at six lines a second
constexpr int kPassWidth = 2048;  // AVHRR samples per channel line
constexpr const char* kLine1 = "1 33591U 09005A   20271.10459514  .00000036  00000-0  44902-4 0  9998";
constexpr const char* kLine2 = "2 33591  99.1973 279.1029 0014510 147.6332 212.5731 14.12432861599745";

std::unique_ptr<kelo::PIC_INFO> pass_picture(kelo::OrbitModel model) {
  auto pic = std::make_unique<kelo::PIC_INFO>();
  if (kelo::parse_norad_lines(kLine1, kLine2, &pic->kepler) != 1) return nullptr;
  if (kelo::calc_orbitconst(&pic->kepler, &pic->orbit) != 1) return nullptr;
  pic->lines_per_sec = 6;
  pic->pixels_per_chan = kPassWidth;
  pic->width = kPassWidth;
  pic->height = kPassLines;
  pic->scan_angle = 55.4f;
  pic->orbit.use_sattime = true;
  pic->orbit.start_tm = pic->orbit.epoch_tm;
  pic->orbit.start_tm.tm_sec += 3600;
  pic->orbit.model = model;
  return pic;
}

void screen_positions(benchmark::State& state, kelo::OrbitModel model) {
  auto pic = pass_picture(model);
  if (!pic) state.SkipWithError("no orbit");
  for (auto _ : state) {
    int placed = 0;
    for (int y = 0; y < kScreenH; ++y) {
      const int py = y * kPassLines / kScreenH;
      for (int x = 0; x < kScreenW; ++x) {
        kelo::POSITION p;
        placed += kelo::xy2lonlat(x * kPassWidth / kScreenW, py, pic.get(), &p);
      }
    }
    benchmark::DoNotOptimize(placed);
  }
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
}

void BM_ScreenLonLatSimple(benchmark::State& state) { screen_positions(state, kelo::OrbitModel::Simple); }
void BM_ScreenLonLatPrecise(benchmark::State& state) { screen_positions(state, kelo::OrbitModel::Precise); }
BENCHMARK(BM_ScreenLonLatSimple)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScreenLonLatPrecise)->Unit(benchmark::kMillisecond);

struct Pass {
  std::string dir, rec;
  bool ok = false;
};

const Pass& pass() {
  static Pass p = [] {
    Pass q;
    q.dir = (std::filesystem::temp_directory_path() / "kelo-bench-geolocation").string();
    std::filesystem::create_directories(q.dir);
    q.rec = q.dir + "/pass.10b";
    kelo::test::FixtureShape shape;
    shape.width = kPassWidth;
    shape.lines = kPassLines;
    q.ok = kelo::parse_norad_lines(kLine1, kLine2, &shape.kepler) == 1;
    shape.year = 120;
    shape.yday = 270;
    shape.mon = 8;
    shape.mday = 27;
    shape.hour = 3;
    shape.min = 30;
    q.ok = q.ok && kelo::test::write_fixture(q.rec, shape);
    return q;
  }();
  return p;
}

int run_export(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  std::vector<std::string> a = {"--no-prefs", "--force"};
  a.insert(a.end(), args.begin(), args.end());
  return kelo::kelo_export_main(a, out, err);
}

void BM_PassExportGif(benchmark::State& state) {
  const Pass& p = pass();
  if (!p.ok) state.SkipWithError("could not make the pass");
  for (auto _ : state)
    if (run_export({p.rec, "-c", "4", "-o", p.dir + "/pass.gif"}) != 0) state.SkipWithError("export failed");
}
void BM_PassExportGeoTiffPrecise(benchmark::State& state) {
  const Pass& p = pass();
  if (!p.ok) state.SkipWithError("could not make the pass");
  for (auto _ : state)
    if (run_export({p.rec, "--orbit", "precise", "-t", "geotiff", "-c", "4", "-o", p.dir + "/pass.tif"}) != 0)
      state.SkipWithError("export failed");
}
void BM_PassExportGeoTiffTemperature(benchmark::State& state) {
  const Pass& p = pass();
  if (!p.ok) state.SkipWithError("could not make the pass");
  for (auto _ : state)
    if (run_export({p.rec, "--orbit", "precise", "-t", "geotiff", "-c", "4", "--temperature", "-o",
                    p.dir + "/temp.tif"}) != 0)
      state.SkipWithError("export failed");
}
BENCHMARK(BM_PassExportGif)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassExportGeoTiffPrecise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PassExportGeoTiffTemperature)->Unit(benchmark::kMillisecond);

}  // namespace
