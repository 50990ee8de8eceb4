// GIF writer: the header layout and code stream worked out by hand, value
// clamping, and pictures that ImageMagick, giflib and Pillow must read with
// exactly our pixels (odd widths, 1/2/4/8 bits, tables that fill and clear).
#include <gtest/gtest.h>

#include <random>

#include "files/gif_read.h"
#include "files/gif_support.h"
#include "files/gif_write.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::bytes_of;
using test::pic_on;

// A picture record writing to path with width w (input values per line),
// height h, depth d and the palette (i*37, i*91+17, i*53+101).
std::unique_ptr<PIC_INFO> writer_on(const std::string& path, int w, int h, int d) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->path = path;
  pic->file_type = kKindGIF;
  pic->width = w;
  pic->height = h;
  pic->depth = d;
  pic->pic_fp.open(path, "wb");
  for (int i = 0; i < 256; ++i) {
    pic->lut[0][i] = (i * 37) & 0xFF;
    pic->lut[1][i] = (i * 91 + 17) & 0xFF;
    pic->lut[2][i] = (i * 53 + 101) & 0xFF;
  }
  return pic;
}

TEST(GifWrite, EightBitHeaderAndCodeStreamAreByteExact) {
  test::TempDir dir;
  std::string path = dir.file("four.gif");
  auto pic = std::make_unique<PIC_INFO>();
  pic->width = 4;
  pic->height = 1;
  pic->depth = 8;
  ASSERT_TRUE(pic->pic_fp.open(path, "wb"));
  for (int i = 0; i < 256; ++i)
    pic->lut[0][i] = pic->lut[1][i] = pic->lut[2][i] = 0x100 + i;  // low bytes count
  // Header: 13 + 768 + 10 + 768 + 1 bytes.
  EXPECT_EQ(write_gif_header(pic.get()), 1560);
  uint16_t line[4] = {1, 1, 1, 1};
  EXPECT_EQ(write_gif_line(pic.get(), line), 0);
  EXPECT_EQ(write_gif_end(&pic->lzw, pic->pic_fp.get()), 0);
  pic->pic_fp.close();

  std::string palette;
  for (int i = 0; i < 256; ++i) palette += std::string(3, static_cast<char>(i));
  // Codes in 9 bits: clear 256, 1, 258 (= 1 1), 1, end 257, and the code 0
  // that pushes the last bits out; packed least significant bit first they
  // give the six bytes 00 03 08 0C 10 10 (the last 6 bits are dropped).
  std::string expect = bytes_of({'G', 'I', 'F', '8', '7', 'a', 4, 0, 1, 0, 0xF7, 0, 0}) + palette +
                       bytes_of({',', 0, 0, 0, 0, 4, 0, 1, 0, 0x87}) + palette +
                       bytes_of({8, 6, 0x00, 0x03, 0x08, 0x0C, 0x10, 0x10, 0, ';'});
  EXPECT_EQ(test::read_file(path), expect);
}

TEST(GifWrite, LowDepthHeaderAndPackedPixels) {
  test::TempDir dir;
  std::string path = dir.file("one.gif");
  // One bit a pixel: a value carries 8 pixels, most significant first; the
  // screen is 8 times as wide; minimum code size 2.
  auto pic = writer_on(path, 1, 1, 1);
  EXPECT_EQ(write_gif_header(pic.get()), 13 + 6 + 10 + 6 + 1);
  uint16_t line[1] = {0xB1};  // pixels 1 0 1 1 0 0 0 1
  EXPECT_EQ(write_gif_line(pic.get(), line), 0);
  EXPECT_EQ(write_gif_end(&pic->lzw, pic->pic_fp.get()), 0);
  pic->pic_fp.close();
  std::string bytes = test::read_file(path);
  ASSERT_GT(bytes.size(), 36u);
  EXPECT_EQ(bytes.substr(0, 13), bytes_of({'G', 'I', 'F', '8', '7', 'a', 8, 0, 1, 0, 0x80, 0, 0}));
  EXPECT_EQ(bytes.substr(19, 10), bytes_of({',', 0, 0, 0, 0, 8, 0, 1, 0, 0x80}));
  EXPECT_EQ(static_cast<uint8_t>(bytes[35]), 2);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), bytes_of({0, ';'}));

  auto rd = pic_on(path);
  ASSERT_EQ(read_gif_header(rd.get()), 0);
  ASSERT_EQ(rd->width, 8);
  uint16_t out[8];
  ASSERT_EQ(read_gif_line(rd.get(), 0, out), kLineRead);
  const uint16_t expect[8] = {1, 0, 1, 1, 0, 0, 0, 1};
  for (int x = 0; x < 8; ++x) EXPECT_EQ(out[x], expect[x]) << x;
}

TEST(GifWrite, ValuesAbove255AreStoredAs255AlsoInTheCallersBuffer) {
  test::TempDir dir;
  std::string path = dir.file("clamp.gif");
  auto pic = writer_on(path, 3, 1, 8);
  ASSERT_GT(write_gif_header(pic.get()), 0);
  uint16_t line[3] = {300, 255, 7};
  ASSERT_EQ(write_gif_line(pic.get(), line), 0);
  EXPECT_EQ(line[0], 255);
  EXPECT_EQ(line[1], 255);
  EXPECT_EQ(line[2], 7);
  ASSERT_EQ(write_gif_end(&pic->lzw, pic->pic_fp.get()), 0);
  pic->pic_fp.close();
  auto rd = pic_on(path);
  ASSERT_EQ(read_gif_header(rd.get()), 0);
  uint16_t out[3];
  ASSERT_EQ(read_gif_line(rd.get(), 0, out), kLineRead);
  EXPECT_EQ(out[0], 255);
  EXPECT_EQ(out[2], 7);
}

TEST(GifWrite, RefusesWhatAGifCannotHoldAndReportsAFullDisk) {
  test::TempDir dir;
  auto wide = writer_on(dir.file("w.gif"), 70000, 1, 8);
  EXPECT_EQ(write_gif_header(wide.get()), -1);
  auto empty = writer_on(dir.file("e.gif"), 0, 1, 8);
  EXPECT_EQ(write_gif_header(empty.get()), -1);
  auto nofile = std::make_unique<PIC_INFO>();
  nofile->width = nofile->height = nofile->depth = 8;
  EXPECT_EQ(write_gif_header(nofile.get()), -1);
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  auto full = writer_on("/dev/full", 64, 64, 8);
  ASSERT_TRUE(full->pic_fp);
  write_gif_header(full.get());
  std::vector<uint16_t> line(64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) line[x] = static_cast<uint16_t>((x * y) & 0xFF);
    write_gif_line(full.get(), line.data());
  }
  EXPECT_EQ(write_gif_end(&full->lzw, full->pic_fp.get()), -1);
}

// Pixel (x, y) of the test pictures: noise for 8 bits (fills the code table
// many times over, so the writer must clear at 12 bits), a pattern for fewer.
int test_pixel(int x, int y, int bits, std::mt19937* rng) {
  if (bits == 8) return static_cast<int>((*rng)() & 0xFF);
  return (x * 7 + y * 3 + (x / 5) * (y / 3)) & ((1 << bits) - 1);
}

struct Written {
  std::string path;
  int screen_w = 0, h = 0;
  std::string rgb;  // expected RGB bytes of the whole screen
};

Written write_test_picture(const test::TempDir& dir, int screen_w, int h, int bits) {
  Written out;
  out.path = dir.file("p" + std::to_string(bits) + "_" + std::to_string(screen_w) + ".gif");
  out.screen_w = screen_w;
  out.h = h;
  const int per = 8 / bits;
  const int w = screen_w / per;
  auto pic = writer_on(out.path, w, h, bits);
  EXPECT_GT(write_gif_header(pic.get()), 0);
  std::mt19937 rng(static_cast<unsigned>(screen_w * 131 + bits));
  std::vector<uint16_t> line(static_cast<size_t>(w));
  for (int y = 0; y < h; ++y) {
    for (int v = 0; v < w; ++v) {
      int value = 0;
      for (int k = 0; k < per; ++k) {
        int x = v * per + k;
        int p = test_pixel(x, y, bits, &rng);
        value = (value << bits) | p;
        out.rgb.push_back(static_cast<char>(pic->lut[0][p]));
        out.rgb.push_back(static_cast<char>(pic->lut[1][p]));
        out.rgb.push_back(static_cast<char>(pic->lut[2][p]));
      }
      line[static_cast<size_t>(v)] = static_cast<uint16_t>(value);
    }
    EXPECT_EQ(write_gif_line(pic.get(), line.data()), 0);
  }
  EXPECT_EQ(write_gif_end(&pic->lzw, pic->pic_fp.get()), 0);
  return out;
}

std::vector<Written> written_set(const test::TempDir& dir) {
  return {write_test_picture(dir, 301, 97, 8),  write_test_picture(dir, 1, 5, 8),
          write_test_picture(dir, 777, 300, 8), write_test_picture(dir, 128, 40, 1),
          write_test_picture(dir, 96, 33, 2),   write_test_picture(dir, 250, 61, 4)};
}

TEST(GifWrite, OurReaderGetsBackEveryPixel) {
  test::TempDir dir;
  for (const Written& w : written_set(dir)) {
    SCOPED_TRACE(w.path);
    auto rd = pic_on(w.path);
    ASSERT_EQ(read_gif_header(rd.get()), 0);
    ASSERT_EQ(rd->width, w.screen_w);
    int ok = 0;
    std::vector<uint8_t> got = test::gif_rgb(rd.get(), &ok);
    EXPECT_EQ(ok, w.h);
    EXPECT_TRUE(std::string(got.begin(), got.end()) == w.rgb);
  }
}

TEST(GifWrite, ImageMagickReadsOurPixels) {
  if (!test::have_tool("convert") || !test::have_tool("identify"))
    GTEST_SKIP() << "ImageMagick not installed";
  test::TempDir dir;
  for (const Written& w : written_set(dir)) {
    SCOPED_TRACE(w.path);
    std::string size;
    ASSERT_TRUE(test::run_capture("identify -format '%m %wx%h' '" + w.path + "'", &size));
    EXPECT_EQ(size, "GIF " + std::to_string(w.screen_w) + "x" + std::to_string(w.h));
    std::string rgb;
    ASSERT_TRUE(test::run_capture("convert '" + w.path + "' -depth 8 rgb:-", &rgb));
    EXPECT_TRUE(rgb == w.rgb);
  }
}

TEST(GifWrite, GiflibReadsOurPixels) {
  if (!test::have_tool("gif2rgb")) GTEST_SKIP() << "giflib tools not installed";
  test::TempDir dir;
  for (const Written& w : written_set(dir)) {
    SCOPED_TRACE(w.path);
    std::string out = w.path + ".rgb";
    std::string ignored;
    ASSERT_TRUE(test::run_capture("gif2rgb -1 -o '" + out + "' '" + w.path + "' 2>&1", &ignored)) << ignored;
    EXPECT_TRUE(test::read_file(out) == w.rgb);
  }
}

TEST(GifWrite, PillowReadsOurPixels) {
  std::string py = test::pillow_python();
  if (py.empty()) GTEST_SKIP() << "Pillow not installed";
  test::TempDir dir;
  for (const Written& w : written_set(dir)) {
    SCOPED_TRACE(w.path);
    std::string rgb;
    ASSERT_TRUE(test::run_capture(py +
                                      " -c \"import sys; from PIL import Image; im=Image.open(sys.argv[1]); "
                                      "sys.stdout.buffer.write(im.convert('RGB').tobytes())\" '" +
                                      w.path + "'",
                                  &rgb));
    EXPECT_TRUE(rgb == w.rgb);
  }
}

}  // namespace
}  // namespace kelo
