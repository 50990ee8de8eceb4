// Export speed: one channel of a full five-channel NOAA pass (5400 lines of
// 2048 pixels) written as GIF and as PGM by kelo-export, beside ImageMagick
// converting the same picture from PGM to GIF in the same run.
//
// Run: bench_export --benchmark_min_time=1x (each iteration is a whole pass).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/export/hrpt_fixture.h"
#include "core/export/kelo_export_cli.h"

namespace {

constexpr int kPassLines = 5400;  // a 15-minute pass at six lines a second
constexpr int kPassWidth = 2048;  // AVHRR samples per channel line

struct Pass {
  std::string dir;
  std::string rec;  // the recording
  std::string pgm;  // channel 4 as an 8-bit PGM, for ImageMagick
  bool ok = false;
};

int run_export(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  std::vector<std::string> a = {"--no-prefs", "--force"};
  a.insert(a.end(), args.begin(), args.end());
  return kelo::kelo_export_main(a, out, err);
}

const Pass& pass() {
  static Pass p = [] {
    Pass q;
    q.dir = (std::filesystem::temp_directory_path() / "kelo-bench-export").string();
    std::filesystem::create_directories(q.dir);
    q.rec = q.dir + "/pass.10b";
    q.pgm = q.dir + "/pass.pgm";
    kelo::test::FixtureShape shape;
    shape.width = kPassWidth;
    shape.lines = kPassLines;
    q.ok = kelo::test::write_fixture(q.rec, shape) &&
           run_export({q.rec, "-c", "4", "--type", "pgm1", "-o", q.pgm}) == 0;
    return q;
  }();
  return p;
}

void BM_KeloExportGif(benchmark::State& state) {
  const Pass& p = pass();
  if (!p.ok) state.SkipWithError("could not make the pass");
  for (auto _ : state) {
    if (run_export({p.rec, "-c", "4", "-o", p.dir + "/kelo.gif"}) != 0) state.SkipWithError("export failed");
  }
}

void BM_KeloExportPgm(benchmark::State& state) {
  const Pass& p = pass();
  if (!p.ok) state.SkipWithError("could not make the pass");
  for (auto _ : state) {
    if (run_export({p.rec, "-c", "4", "-o", p.dir + "/kelo.pgm"}) != 0) state.SkipWithError("export failed");
  }
}

void BM_ImageMagickPgmToGif(benchmark::State& state) {
  const Pass& p = pass();
  if (!p.ok) state.SkipWithError("could not make the pass");
  std::string cmd = "convert '" + p.pgm + "' '" + p.dir + "/magick.gif' 2>/dev/null";
  for (auto _ : state) {
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("ImageMagick convert failed or missing");
  }
}

BENCHMARK(BM_KeloExportGif)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_KeloExportPgm)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImageMagickPgmToGif)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
