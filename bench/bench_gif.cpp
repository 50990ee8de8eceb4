// GIF encode and decode of a 2048 x 5400 8-bit picture (the size of a long
// HRPT pass channel), ours side by side with giflib in the same run. Both
// encoders write to /dev/null; both decoders read the same file (written
// once by our encoder) line by line.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/files/gif_read.h"
#include "core/files/gif_write.h"

namespace {

constexpr int kWidth = 2048;
constexpr int kHeight = 5400;

// A picture that compresses like a satellite channel: smooth large-scale
// structure (land, cloud bands) with a few levels of sensor noise.
const std::vector<uint8_t>& picture() {
  static const std::vector<uint8_t> pix = [] {
    std::vector<uint8_t> p(static_cast<size_t>(kWidth) * kHeight);
    uint32_t noise = 12345;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        noise = noise * 1664525u + 1013904223u;
        int base = ((x / 16) * 3 + (y / 24) * 5 + ((x * y) >> 14)) & 0xFF;
        int v = base + static_cast<int>((noise >> 28) & 3);
        p[static_cast<size_t>(y) * kWidth + x] = static_cast<uint8_t>(v > 255 ? 255 : v);
      }
    }
    return p;
  }();
  return pix;
}

void set_grey_palette(kelo::PIC_INFO* pic) {
  for (int i = 0; i < 256; ++i) pic->lut[0][i] = pic->lut[1][i] = pic->lut[2][i] = i;
}

bool kelo_encode(const std::string& path) {
  auto pic = std::make_unique<kelo::PIC_INFO>();
  pic->width = kWidth;
  pic->height = kHeight;
  pic->depth = 8;
  set_grey_palette(pic.get());
  if (!pic->pic_fp.open(path, "wb") || kelo::write_gif_header(pic.get()) < 0) return false;
  const std::vector<uint8_t>& p = picture();
  std::vector<uint16_t> line(kWidth);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) line[x] = p[static_cast<size_t>(y) * kWidth + x];
    if (kelo::write_gif_line(pic.get(), line.data()) != 0) return false;
  }
  return kelo::write_gif_end(&pic->lzw, pic->pic_fp.get()) == 0;
}

bool giflib_encode(const std::string& path) {
  int err = 0;
  GifFileType* gif = EGifOpenFileName(path.c_str(), false, &err);
  if (gif == nullptr) return false;
  GifColorType colours[256];
  for (int i = 0; i < 256; ++i)
    colours[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(i), static_cast<GifByteType>(i)};
  ColorMapObject* map = GifMakeMapObject(256, colours);
  bool ok = EGifPutScreenDesc(gif, kWidth, kHeight, 8, 0, map) == GIF_OK &&
            EGifPutImageDesc(gif, 0, 0, kWidth, kHeight, false, nullptr) == GIF_OK;
  const std::vector<uint8_t>& p = picture();
  std::vector<GifPixelType> line(kWidth);
  for (int y = 0; ok && y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) line[x] = p[static_cast<size_t>(y) * kWidth + x];
    ok = EGifPutLine(gif, line.data(), kWidth) == GIF_OK;
  }
  GifFreeMapObject(map);
  return EGifCloseFile(gif, &err) == GIF_OK && ok;
}

const std::string& encoded_file() {
  static const std::string path = [] {
    std::string p = std::string(std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp") +
                    "/kelo-bench-gif.gif";
    if (!kelo_encode(p)) std::abort();
    return p;
  }();
  return path;
}

void BM_EncodeKelo(benchmark::State& state) {
  picture();
  for (auto _ : state) {
    if (!kelo_encode("/dev/null")) state.SkipWithError("encode failed");
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

void BM_EncodeGiflib(benchmark::State& state) {
  picture();
  for (auto _ : state) {
    if (!giflib_encode("/dev/null")) state.SkipWithError("encode failed");
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

void BM_DecodeKelo(benchmark::State& state) {
  const std::string& path = encoded_file();
  auto pic = std::make_unique<kelo::PIC_INFO>();
  std::vector<uint16_t> line(kWidth);
  int64_t sum = 0;
  for (auto _ : state) {
    if (!pic->pic_fp.open(path, "rb") || kelo::read_gif_header(pic.get()) != 0) {
      state.SkipWithError("open failed");
      break;
    }
    for (int y = 0; y < kHeight; ++y) {
      kelo::read_gif_line(pic.get(), y, line.data());
      sum += line[y % kWidth];
    }
    pic->pic_fp.close();
  }
  benchmark::DoNotOptimize(sum);
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

void BM_DecodeGiflib(benchmark::State& state) {
  const std::string& path = encoded_file();
  std::vector<GifPixelType> line(kWidth);
  int64_t sum = 0;
  for (auto _ : state) {
    int err = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &err);
    GifRecordType type;
    bool ok = gif != nullptr;
    while (ok && DGifGetRecordType(gif, &type) == GIF_OK && type != IMAGE_DESC_RECORD_TYPE) {
      if (type == TERMINATE_RECORD_TYPE) ok = false;
    }
    ok = ok && DGifGetImageDesc(gif) == GIF_OK;
    for (int y = 0; ok && y < kHeight; ++y) {
      ok = DGifGetLine(gif, line.data(), kWidth) == GIF_OK;
      sum += line[y % kWidth];
    }
    if (gif != nullptr) DGifCloseFile(gif, &err);
    if (!ok) state.SkipWithError("decode failed");
  }
  benchmark::DoNotOptimize(sum);
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

}  // namespace

BENCHMARK(BM_EncodeKelo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeKelo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeGiflib)->Unit(benchmark::kMillisecond);
