// A whole 15-minute NOAA pass (5400 full minor frames) recorded in batch mode
// from the decoder emulator as fast as it delivers: wall time, CPU time, and
// the CPU time per frame beside the satellite's frame period (1/6 s).
#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "core/base/gui_seam.h"
#include "core/base/misc.h"
#include "core/base/prefer.h"
#include "core/record/batch.h"
#include "core/record/emulator.h"
#include "core/record/port.h"
#include "core/record/station_session.h"

using namespace kelo;

namespace {

constexpr int kPassFrames = 5400;  // 15 minutes at 6 frames per second

class QuietSeam : public HeadlessGui {
 public:
  void sleep_ms(int) override {}
  void message(const std::string&, const std::string&) override {}
};

void BM_BatchPass(benchmark::State& state) {
  std::string dir = (std::filesystem::temp_directory_path() / "kelo-bench-rec").string();
  QuietSeam seam;
  int64_t frames = 0;
  double cpu_total = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    EmuConfig cfg;
    std::string err;
    // The pass: in sync for 5400 frames after the six the recorder waits
    // for, then the decoder loses the satellite.
    if (parse_emu_source("noaa,syncloss=" + std::to_string(kPassFrames + 6) + ":200", &cfg, &err) != 0) {
      state.SkipWithError(err.c_str());
      break;
    }
    DecoderEmulator emu(cfg);
    emu.open(&err);
    StationSession session(seam);
    session.ports().set_port(&emu);
    PREFS prefs;
    Load_Prefdef(&prefs);
    RECORD_INFO rec;
    VIEW_INFO view;
    auto pic = std::make_unique<PIC_INFO>();
    Load_Prefs(&prefs, &rec, &view, pic.get());
    rec.rec_dir = dir + "/";
    rec.port_address = 0x378;
    rec.batch = true;
    rec.stop_when_done = true;
    rec.request = "hrpt:a";
    rec.hrpt_stop_after = 0;
    session.log().set_dir(dir + "/");  // the batch log goes to kelo.log there
    session.log().set_to_file(true);
    std::clock_t c0 = std::clock();
    state.ResumeTiming();
    do_batch(session, &rec, pic.get(), &view);
    state.PauseTiming();
    cpu_total += static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
    frames += kPassFrames;
    state.ResumeTiming();
  }
  std::filesystem::remove_all(dir);
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  state.counters["cpu_ms/frame"] = cpu_total * 1000.0 / static_cast<double>(frames);
  state.counters["frame_period_ms"] = 1000.0 / 6.0;
}
BENCHMARK(BM_BatchPass)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

}  // namespace
