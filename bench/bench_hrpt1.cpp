// Speed of the polar recording reader and of the pixel geolocation.
//
// Reading: every line of a five-channel, 5400-line HRPT recording (a full
// 15-minute pass with sync words, 75 MB) read and unpacked, beside a plain
// fread of the same bytes in the same run. Geolocation: xy2lonlat for every
// pixel of a 1280 x 1024 screen showing the whole pass. AHRPT: every line of
// an 8 MiB file whose every block carries a line sync (the worst case of the
// line search: each line starts again at every block), which must take well
// under a second.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/files/ahrpt1_read.h"
#include "core/files/hrpt1_read.h"
#include "core/files/hrpt1_write.h"
#include "core/orbit/calc_satpos.h"
#include "core/orbit/parse_norad.h"

namespace kelo {
namespace {

constexpr int kPassLines = 5400;  // 15 minutes at six lines a second
constexpr int kScreenW = 1280;
constexpr int kScreenH = 1024;

// Writes the recording once per process; returns its path.
const std::string& pass_file() {
  static const std::string path = [] {
    char tmpl[] = "/tmp/kelo-bench-hrpt1-XXXXXX";
    const int fd = mkstemp(tmpl);
    if (fd >= 0) close(fd);
    auto pic = std::make_unique<PIC_INFO>();
    pic->file_type = kKindHRPT;
    pic->sat_name = "NOAA 19";
    for (int i = 0; i <= 5; ++i) pic->chan_present[i] = 1;
    pic->height = kPassLines;
    // An empty path makes every benchmark report the file as unreadable.
    if (!pic->pic_fp.open(tmpl, "wb") || write_hrpt1_hdr(pic.get()) != 0) return std::string();
    std::vector<uint16_t> w(static_cast<size_t>(pic->frame.words_padded), 0);
    const uint16_t sync[6] = {644, 367, 860, 413, 527, 149};
    for (int n = 0; n < kPassLines; ++n) {
      for (size_t i = 0; i < static_cast<size_t>(pic->frame.words_per_line); ++i)
        w[i] = static_cast<uint16_t>((i * 37 + static_cast<size_t>(n)) & 1023);
      for (int i = 0; i < 6; ++i) w[static_cast<size_t>(i)] = sync[i];
      if (write_hrpt1_line(pic.get(), w.data(), 0x0C) != 1) return std::string();
    }
    if (!pic->pic_fp.close_checked()) return std::string();
    return std::string(tmpl);
  }();
  return path;
}

void BM_ReadUnpackPass(benchmark::State& state) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->file_type = kKindHRPT;
  if (!pic->pic_fp.open(pass_file(), "rb") || read_hrpt1_hdr(pic.get()) != 0) {
    state.SkipWithError("recording not readable");
    return;
  }
  std::vector<uint16_t> words(static_cast<size_t>(pic->frame.words_padded));
  int64_t bytes = 0;
  for (auto _ : state) {
    int good = 0;
    for (int n = 0; n < pic->height; ++n) good += read_hrpt1_line(pic.get(), nullptr, n, words.data()) != 0;
    benchmark::DoNotOptimize(good);
    bytes += static_cast<int64_t>(pic->height) * pic->frame.line_bytes;
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadUnpackPass)->Unit(benchmark::kMillisecond);

void BM_PlainFreadPass(benchmark::State& state) {
  FILE* fp = std::fopen(pass_file().c_str(), "rb");
  const size_t record = 13872;  // five channels with sync words, one line record
  std::vector<uint8_t> buf(record);
  int64_t bytes = 0;
  for (auto _ : state) {
    std::fseek(fp, kHrpt1HdrLen, SEEK_SET);
    size_t got = 0;
    while (std::fread(buf.data(), 1, record, fp) == record) got += record;
    benchmark::DoNotOptimize(buf.data());
    bytes += static_cast<int64_t>(got);
  }
  std::fclose(fp);
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_PlainFreadPass)->Unit(benchmark::kMillisecond);

void BM_Xy2lonlatScreen(benchmark::State& state) {
  auto pic = std::make_unique<PIC_INFO>();
  KEPLER& k = pic->kepler;
  k.epoch_year = 120;
  k.epoch_day = 271.10459514f;
  k.inclination = 99.1973f * kPi / 180;
  k.raan = 279.1029f * kPi / 180;
  k.perigee = 147.6332f * kPi / 180;
  k.anomaly = 212.5731f * kPi / 180;
  k.motion = 14.12432861f;
  calc_orbitconst(&pic->kepler, &pic->orbit);
  pic->lines_per_sec = 6;
  pic->pixels_per_chan = 2048;
  pic->scan_angle = 55.4f;
  pic->orbit.use_sattime = true;
  pic->orbit.start_tm = pic->orbit.epoch_tm;
  POSITION p;
  for (auto _ : state) {
    for (int sy = 0; sy < kScreenH; ++sy) {
      const int y = sy * kPassLines / kScreenH;
      for (int sx = 0; sx < kScreenW; ++sx) {
        xy2lonlat(sx * 2048 / kScreenW, y, pic.get(), &p);
        benchmark::DoNotOptimize(p);
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kScreenW * kScreenH);
}
BENCHMARK(BM_Xy2lonlatScreen)->Unit(benchmark::kMillisecond);

constexpr long kAllSyncBytes = 8L << 20;

void BM_AhrptAllSyncBlocks8MiB(benchmark::State& state) {
  std::FILE* fp = std::tmpfile();
  if (fp == nullptr) {
    state.SkipWithError("no temporary file");
    return;
  }
  // Block sync, then the two line-sync words at byte 22 of every block.
  uint8_t block[kAhrptBlockBytes] = {0x1A, 0xCF, 0xFC, 0x1D};
  const uint8_t line_sync[8] = {0x02, 0x18, 0xA7, 0xA3, 0x92, 0xDD, 0x9A, 0xBF};
  std::copy(std::begin(line_sync), std::end(line_sync), block + 22);
  for (long at = 0; at < kAllSyncBytes; at += kAhrptBlockBytes) std::fwrite(block, 1, sizeof block, fp);
  std::fflush(fp);
  auto pic = std::make_unique<PIC_INFO>();
  pic->file_type = kKindAHRPT;
  pic->pic_fp.adopt(fp);
  (void)read_ahrpt1_hdr(pic.get());
  std::vector<uint16_t> values(kAhrptLineValues);
  for (auto _ : state) {
    for (int line = 0; line < pic->height; ++line) read_ahrpt1_line(pic.get(), nullptr, line, values.data());
    benchmark::DoNotOptimize(values.data());
  }
  state.counters["lines"] = pic->height;
}
BENCHMARK(BM_AhrptAllSyncBlocks8MiB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelo
