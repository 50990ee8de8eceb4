// Speed of opening HRI1 recordings and of assembling their lines, and of
// unpacking AHRPT lines.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/base/bytes.h"
#include "core/base/records.h"
#include "core/files/ahrpt1_read.h"
#include "core/files/hri1_read.h"
#include "core/files/hri_functions.h"

namespace {

using namespace kelo;

std::string scratch(const char* stem) {
  std::string t = std::string("/tmp/") + stem + "-XXXXXX";
  std::vector<char> buf(t.begin(), t.end());
  buf.push_back('\0');
  const int fd = mkstemp(buf.data());
  if (fd >= 0) close(fd);
  return buf.data();
}

// A format-8 picture with channels 1 and 2 at single resolution after six
// header frames; `segs` segments, counter rising by one per segment.
std::string make_hri(int segs) {
  const std::string path = scratch("kelo-bench-hri");
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (fp == nullptr) return path;
  uint8_t header[kHriHeaderBytes] = {'P', 'D', 'U', 'S'};
  std::fwrite(header, 1, sizeof header, fp);
  auto put = [&](const uint8_t* frame) {
    uint8_t head[kHriRecordHead] = {'F', 'R', 'A', 'M', 'E', 0, 0};
    put_le16(head + 5, kHriFrameBytes);
    std::fwrite(head, 1, sizeof head, fp);
    std::fwrite(frame, 1, kHriFrameBytes, fp);
  };
  uint8_t f[kHriFrameBytes];
  for (int i = 0; i < 6 + segs * 8; ++i) {
    const bool hdr = i < 6;
    const int seg = (i - 6) / 8;
    const int pos = hdr ? 0 : (i - 6) % 8;
    for (int b = 0; b < kHriFrameBytes; ++b) f[b] = static_cast<uint8_t>(b * 3 + i);
    f[0] = 0x05;
    f[1] = 0x0C;
    f[2] = 0xDF;
    f[3] = static_cast<uint8_t>(0x70 | pos);
    if (pos == 0) {
      put_be16(f + 4, 8);
      put_be16(f + 6, static_cast<uint16_t>(2 + segs));
      put_be16(f + 8, static_cast<uint16_t>(hdr ? 1 : 2 + seg));
      for (int b = 10; b < 17; ++b) f[b] = 0x11;
      f[17] = hdr ? 0 : (seg % 2 == 0 ? 0xFF : 0x00);
      f[18] = hdr ? 0 : (seg % 2 == 0 ? 0x00 : 0xFF);
      f[19] = 0;
      f[20] = 0;
      f[23] = 0xFF;
      put_be16(f + 36, 0xD4F7);
      put_be16(f + 38, 2003);
      put_be16(f + 40, 32);
      put_be16(f + 42, 1230);
    }
    put(f);
  }
  std::fclose(fp);
  return path;
}

void BM_HriOpen(benchmark::State& state) {
  const std::string path = make_hri(200);
  auto pic = std::make_unique<PIC_INFO>();
  if (!pic->pic_fp.open(path, "rb")) state.SkipWithError("cannot open the HRI file");
  for (auto _ : state) benchmark::DoNotOptimize(read_hri1_hdr(pic.get()));
  std::remove(path.c_str());
}
BENCHMARK(BM_HriOpen);

void BM_HriLines(benchmark::State& state) {
  const std::string path = make_hri(400);
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  if (!pic->pic_fp.open(path, "rb") || read_hri1_hdr(pic.get()) != 0) {
    state.SkipWithError("cannot open the HRI file");
    return;
  }
  view->chan_sel[1] = 1;
  hri_channelselect(pic.get(), view.get());
  if (pic->height <= 0) {
    state.SkipWithError("no HRI picture found in the generated stream");
    return;
  }
  std::vector<uint16_t> values(static_cast<size_t>(pic->frame.words_padded));
  std::vector<uint8_t> grid(kHriGridBytes);
  int n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(read_hri1_line(pic.get(), view.get(), n, values.data(), grid.data()));
    if (++n >= pic->height) n = 0;
  }
  state.SetItemsProcessed(state.iterations());
  std::remove(path.c_str());
}
BENCHMARK(BM_HriLines);

void BM_AhrptLines(benchmark::State& state) {
  const std::string path = scratch("kelo-bench-ahrpt");
  FILE* fp = std::fopen(path.c_str(), "wb");
  std::vector<uint8_t> block(kAhrptBlockBytes);
  for (int k = 0; k < 10 * kAhrptBlocksPerLine; ++k) {
    for (int i = 0; i < kAhrptBlockBytes; ++i)
      block[static_cast<size_t>(i)] = static_cast<uint8_t>(i * 7 + k);
    put_be32(block.data(), kAhrptBlockSync);
    if (k % kAhrptBlocksPerLine == 0) {
      put_be32(block.data() + 22, kAhrptLineSync1);
      put_be32(block.data() + 26, kAhrptLineSync2);
    }
    if (fp != nullptr) std::fwrite(block.data(), 1, block.size(), fp);
  }
  if (fp != nullptr) std::fclose(fp);
  auto pic = std::make_unique<PIC_INFO>();
  VIEW_INFO view{};
  pic->file_type = kKindAHRPT;
  if (!pic->pic_fp.open(path, "rb") || read_ahrpt1_hdr(pic.get()) != 0 || pic->height <= 0) {
    state.SkipWithError("no AHRPT lines in the generated file");
    return;
  }
  std::vector<uint16_t> values(kAhrptLineValues);
  int n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(read_ahrpt1_line(pic.get(), &view, n, values.data()));
    if (++n >= pic->height) n = 0;
  }
  state.SetItemsProcessed(state.iterations());
  std::remove(path.c_str());
}
BENCHMARK(BM_AhrptLines);

}  // namespace
