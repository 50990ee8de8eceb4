// Speed of the line store and the calibration on full HRPT lines: five
// channels of 2048 pixels with the frame header words, as a NOAA pass is
// recorded.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/files/hrpt1_read.h"
#include "core/files/hrpt1_write.h"
#include "core/view/data_proc.h"
#include "core/view/hrpt_calcs.h"

namespace kelo {
namespace {

constexpr int kWidth = 2048;
constexpr int kChans = 5;
constexpr int kLines = 256;

// A recording of kLines lines with calibration words that give real
// temperatures (PRT lines cycling behind a reference line) and a varied scene.
class Recording {
 public:
  Recording() {
    path_ = (std::filesystem::temp_directory_path() / ("kelo-bench-" + std::to_string(::getpid()) + ".10b"))
                .string();
    PIC_INFO w;
    w.file_type = kKindHRPT;
    w.sat_name = "NOAA 19";
    w.width = kWidth;
    for (int ch = 0; ch <= kChans; ++ch) {
      w.chan_present[ch] = 1;
    }
    w.frame = calc_hrptframeinfo(kKindHRPT, w.chan_present, kWidth);
    if (!w.pic_fp.open(path_, "wb") || write_hrpt1_hdr(&w) != 0) {
      return;
    }
    std::vector<uint16_t> words(static_cast<size_t>(w.frame.words_padded), 0);
    const uint16_t sync[6] = {644, 367, 860, 413, 527, 149};
    uint32_t seed = 12345;
    for (int l = 0; l < kLines; ++l) {
      for (int i = 0; i < 6; ++i) {
        words[i] = sync[i];
      }
      for (int r = 0; r < 3; ++r) {
        words[17 + r] = static_cast<uint16_t>(l % 5 == 0 ? 2 : 380 + 9 * (l % 5) + 4 * r);
      }
      for (int ch = 3; ch <= 5; ++ch) {
        for (int i = 0; i < 10; ++i) {
          words[19 + ch + 3 * i] = static_cast<uint16_t>(400 + i);
        }
      }
      for (int ch = 1; ch <= 5; ++ch) {
        for (int i = 0; i < 10; ++i) {
          words[51 + ch + 5 * i] = static_cast<uint16_t>(ch < 3 ? 40 : 990);
        }
      }
      for (int s = 0; s < kWidth * kChans; ++s) {
        seed = seed * 1103515245U + 12345U;
        words[w.frame.hdr_words + s] = static_cast<uint16_t>(300 + (seed >> 16) % 600);
      }
      if (write_hrpt1_line(&w, words.data(), kLinePreSync) != 1) {
        return;
      }
    }
    ok_ = w.pic_fp.close_checked();
  }
  ~Recording() { std::filesystem::remove(path_); }
  Recording(const Recording&) = delete;
  Recording& operator=(const Recording&) = delete;

  bool open(PIC_INFO* pic) const {
    pic->file_type = kKindHRPT;
    return ok_ && pic->pic_fp.open(path_, "rb") && read_hrpt1_hdr(pic) == 0;
  }

 private:
  std::string path_;
  bool ok_ = false;
};

const Recording& recording() {
  static const Recording rec;
  return rec;
}

VIEW_INFO rgb_view() {
  VIEW_INFO view;
  view.despeckle_on = true;
  view.desp_ulimit = 20;
  view.desp_llimit = 10;
  view.map_used[1] = view.map_used[2] = view.map_used[4] = 1;
  view.map_wr[2] = 1.0F;
  view.map_wg[1] = 0.7F;
  view.map_wg[2] = 0.3F;
  view.map_wb[4] = 1.0F;
  view.tilt[4] = 1;
  view.vshift_min = -1;
  return view;
}

void per_pixel(benchmark::State& state, int64_t lines) {
  state.counters["ns_per_pixel"] = benchmark::Counter(
      static_cast<double>(lines) * kWidth * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetItemsProcessed(lines * kWidth);
}

// A screen pass walking down the recording one line per row with a set of 3:
// one line read per row, despeckle, RGB channel map.
void BM_ReadDespeckleTranslate(benchmark::State& state) {
  PIC_INFO pic;
  if (!recording().open(&pic)) {
    state.SkipWithError("cannot write the recording");
    return;
  }
  VIEW_INFO view = rgb_view();
  LineSet set(pic.frame.words_padded, 3);
  std::vector<int> linemap(kLines - 3);
  for (size_t i = 0; i < linemap.size(); ++i) {
    linemap[i] = static_cast<int>(i);
  }
  std::vector<uint16_t> r(kWidth), g(kWidth), b(kWidth);
  int64_t lines = 0;
  for (auto _ : state) {
    for (int row = 0; row < static_cast<int>(linemap.size()); ++row) {
      read_lines(&view, &pic, linemap.data(), row, 3, set.get(), nullptr, nullptr, nullptr, set.memory());
      Translate_Line(&view, &pic, 0, 0, 1, set.get(), 3, r.data(), g.data(), b.data());
      benchmark::DoNotOptimize(r.data());
      ++lines;
    }
  }
  per_pixel(state, lines);
}
BENCHMARK(BM_ReadDespeckleTranslate)->Unit(benchmark::kMillisecond);

// The parts alone, on a set held in memory.
void BM_Despeckle(benchmark::State& state) {
  PIC_INFO pic;
  if (!recording().open(&pic)) {
    state.SkipWithError("cannot write the recording");
    return;
  }
  VIEW_INFO view = rgb_view();
  LineSet set(pic.frame.words_padded, 3);
  const int linemap[] = {0};
  view.despeckle_on = 0;
  read_lines(&view, &pic, linemap, 0, 3, set.get(), nullptr, nullptr, nullptr, set.memory());
  int64_t lines = 0;
  for (auto _ : state) {
    despeckle(&pic, &view, set.get(), 3);
    benchmark::DoNotOptimize(set[0]);
    ++lines;
  }
  per_pixel(state, lines);
}
BENCHMARK(BM_Despeckle);

void BM_TranslateLine(benchmark::State& state) {
  PIC_INFO pic;
  if (!recording().open(&pic)) {
    state.SkipWithError("cannot write the recording");
    return;
  }
  VIEW_INFO view = rgb_view();
  LineSet set(pic.frame.words_padded, 3);
  const int linemap[] = {0};
  read_lines(&view, &pic, linemap, 0, 3, set.get(), nullptr, nullptr, nullptr, set.memory());
  std::vector<uint16_t> r(kWidth), g(kWidth), b(kWidth);
  int64_t lines = 0;
  for (auto _ : state) {
    Translate_Line(&view, &pic, 0, 0, 1, set.get(), 3, r.data(), g.data(), b.data());
    benchmark::DoNotOptimize(r.data());
    ++lines;
  }
  per_pixel(state, lines);
}
BENCHMARK(BM_TranslateLine);

// Temperatures of one line (three infrared channels of 2048 pixels). The
// converter works in place, so each round starts from a fresh copy.
void BM_MapNoaaTemp(benchmark::State& state) {
  PIC_INFO pic;
  if (!recording().open(&pic)) {
    state.SkipWithError("cannot write the recording");
    return;
  }
  VIEW_INFO view;
  LineSet raw(pic.frame.words_padded, 5);
  LineSet work(pic.frame.words_padded, 5);
  const int linemap[] = {0};
  read_lines(&view, &pic, linemap, 0, 5, raw.get(), nullptr, nullptr, nullptr, raw.memory());
  const CAL_COEFS cal = load_cal(pic.sat_name, nullptr);
  const size_t samples = static_cast<size_t>(pic.frame.words_padded) * kLineBufFactor;
  int64_t lines = 0;
  for (auto _ : state) {
    state.PauseTiming();
    for (int i = 0; i < 5; ++i) {
      std::copy(raw[i], raw[i] + samples, work[i]);
    }
    NoaaTempState temp_state;
    state.ResumeTiming();
    map_noaatemp(work.get(), 5, &cal, &pic, &view, &temp_state);
    benchmark::DoNotOptimize(work[0]);
    ++lines;
  }
  per_pixel(state, lines);
}
BENCHMARK(BM_MapNoaaTemp);

}  // namespace
}  // namespace kelo
