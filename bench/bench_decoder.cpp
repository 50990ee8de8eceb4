// Frames per second through the selection layer's frame collector, with the
// decoder emulator behind the port: the cost of the register protocol plus
// the emulated decoder, for full HRPT frames (11 090 words). The real stream
// brings 6 frames a second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/record/emulator.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/station_session.h"

namespace {

using namespace kelo;

void run_frames(benchmark::State& state, EmuConfig cfg, int fast_access) {
  DecoderEmulator emu(cfg);
  std::string err;
  if (emu.open(&err) != 0) {
    state.SkipWithError(err.c_str());
    return;
  }
  StationSession session;
  session.ports().set_port(&emu);
  RECORD_INFO rec;
  rec.port_address = 0x378;
  rec.active = true;
  rec.fast_access = fast_access;
  rec.frame.words_per_line = kEmuNoaaFrameWords;
  std::vector<uint16_t> words(kEmuNoaaFrameWords + 2);
  for (auto _ : state) {
    int s = get_hrpt_frame(session, words.data(), &rec);
    if (s != 1) {
      state.SkipWithError("frame not received");
      break;
    }
    benchmark::DoNotOptimize(words.data());
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["frames/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_NoaaPassFastAccess(benchmark::State& state) {
  EmuConfig cfg;
  cfg.source = kEmuNoaa;
  run_frames(state, cfg, 1);
}
BENCHMARK(BM_NoaaPassFastAccess)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_NoaaPassSecondRead(benchmark::State& state) {
  EmuConfig cfg;
  cfg.source = kEmuNoaa;
  run_frames(state, cfg, 0);
}
BENCHMARK(BM_NoaaPassSecondRead)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_TestPattern(benchmark::State& state) {
  EmuConfig cfg;
  cfg.source = kEmuPattern;
  run_frames(state, cfg, 1);
}
BENCHMARK(BM_TestPattern)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Replay of a frame file of a software-radio pipeline (.raw16), looped.
void BM_Raw16Replay(benchmark::State& state) {
  const std::string path = "/tmp/kelo_bench_decoder_" + std::to_string(getpid()) + ".raw16";
  {
    EmuConfig gen;
    gen.source = kEmuNoaa;
    std::string err;
    auto src = make_emu_source(gen, &err);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
      state.SkipWithError("cannot write the frame file");
      return;
    }
    EmuFrame fr;
    for (int k = 0; k < 60 && src->next(&fr); ++k) {
      for (uint16_t w : fr.words) {
        const unsigned char b[2] = {static_cast<unsigned char>(w & 0xFF), static_cast<unsigned char>(w >> 8)};
        std::fwrite(b, 1, 2, f);
      }
    }
    std::fclose(f);
  }
  EmuConfig cfg;
  std::string err;
  if (parse_emu_source(path + ",loop", &cfg, &err) != 0)
    state.SkipWithError(err.c_str());
  else
    run_frames(state, cfg, 1);
  std::remove(path.c_str());
}
BENCHMARK(BM_Raw16Replay)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
