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
using test::Ints;
using test::ints;
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

// Writes the lines and finishes the file; the header result is returned.
int write_gif(PIC_INFO* pic, std::vector<std::vector<uint16_t>> lines) {
  int head = write_gif_header(pic);
  for (auto& l : lines) EXPECT_EQ(write_gif_line(pic, l.data()), 0);
  EXPECT_EQ(write_gif_end(&pic->lzw, pic->pic_fp.get()), 0);
  pic->pic_fp.close();
  return head;
}

// First line of the GIF at path as our reader decodes it.
Ints first_line(const std::string& path) {
  auto rd = pic_on(path);
  EXPECT_EQ(read_gif_header(rd.get()), 0);
  std::vector<uint16_t> out(static_cast<size_t>(std::max(rd->width, 1)));
  EXPECT_EQ(read_gif_line(rd.get(), 0, out.data()), kLineRead);
  return Ints(out.begin(), out.end());
}

TEST(GifWrite, HeaderAndCodeStreamAreByteExact) {
  test::TempDir dir;
  auto pic = writer_on(dir.file("four.gif"), 4, 1, 8);
  for (int i = 0; i < 256; ++i)
    pic->lut[0][i] = pic->lut[1][i] = pic->lut[2][i] = 0x100 + i;  // low bytes count
  // Header: 13 + 768 + 10 + 768 + 1 bytes.
  EXPECT_EQ(write_gif(pic.get(), {{1, 1, 1, 1}}), 1560);
  std::string palette;
  for (int i = 0; i < 256; ++i) palette += std::string(3, static_cast<char>(i));
  // Codes in 9 bits: clear 256, 1, 258 (= 1 1), 1, end 257, and the code 0
  // that pushes the last bits out; packed least significant bit first they
  // give the six bytes 00 03 08 0C 10 10 (the last 6 bits are dropped).
  EXPECT_EQ(test::read_file(dir.file("four.gif")),
            bytes_of({'G', 'I', 'F', '8', '7', 'a', 4, 0, 1, 0, 0xF7, 0, 0}) + palette +
                bytes_of({',', 0, 0, 0, 0, 4, 0, 1, 0, 0x87}) + palette +
                bytes_of({8, 6, 0x00, 0x03, 0x08, 0x0C, 0x10, 0x10, 0, ';'}));

  // One bit a pixel: a value carries 8 pixels, most significant first; the
  // screen is 8 times as wide; minimum code size 2.
  const std::string one = dir.file("one.gif");
  EXPECT_EQ(write_gif(writer_on(one, 1, 1, 1).get(), {{0xB1}}), 13 + 6 + 10 + 6 + 1);
  std::string bytes = test::read_file(one);
  ASSERT_GT(bytes.size(), 36u);
  EXPECT_EQ(bytes.substr(0, 13), bytes_of({'G', 'I', 'F', '8', '7', 'a', 8, 0, 1, 0, 0x80, 0, 0}));
  EXPECT_EQ(bytes.substr(19, 10), bytes_of({',', 0, 0, 0, 0, 8, 0, 1, 0, 0x80}));
  EXPECT_EQ(bytes[35], 2);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), bytes_of({0, ';'}));
  EXPECT_EQ(first_line(one), ints(1, 0, 1, 1, 0, 0, 0, 1));
}

TEST(GifWrite, ValuesAbove255AreStoredAs255AlsoInTheCallersBuffer) {
  test::TempDir dir;
  auto pic = writer_on(dir.file("clamp.gif"), 3, 1, 8);
  ASSERT_GT(write_gif_header(pic.get()), 0);
  uint16_t line[3] = {300, 255, 7};
  ASSERT_EQ(write_gif_line(pic.get(), line), 0);
  EXPECT_EQ(ints(line[0], line[1], line[2]), ints(255, 255, 7));
  ASSERT_EQ(write_gif_end(&pic->lzw, pic->pic_fp.get()), 0);
  pic->pic_fp.close();
  EXPECT_EQ(first_line(dir.file("clamp.gif")), ints(255, 255, 7));
}

TEST(GifWrite, RefusesWhatAGifCannotHoldAndReportsAFullDisk) {
  test::TempDir dir;
  EXPECT_EQ(write_gif_header(writer_on(dir.file("w.gif"), 70000, 1, 8).get()), -1);
  EXPECT_EQ(write_gif_header(writer_on(dir.file("e.gif"), 0, 1, 8).get()), -1);
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

struct Written {
  std::string path;
  int screen_w = 0, h = 0;
  std::string rgb;  // expected RGB bytes of the whole screen
};

// Pixel (x, y) of the test pictures: noise for 8 bits (fills the code table
// many times over, so the writer must clear at 12 bits), a pattern for fewer.
Written write_test_picture(const test::TempDir& dir, int screen_w, int h, int bits) {
  Written out{dir.file("p" + std::to_string(bits) + "_" + std::to_string(screen_w) + ".gif"), screen_w, h,
              ""};
  const int per = 8 / bits, w = screen_w / per;
  auto pic = writer_on(out.path, w, h, bits);
  std::mt19937 rng(static_cast<unsigned>(screen_w * 131 + bits));
  std::vector<std::vector<uint16_t>> lines(h, std::vector<uint16_t>(w));
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < screen_w; ++x) {
      int p = bits == 8 ? static_cast<int>(rng() & 0xFF)
                        : (x * 7 + y * 3 + (x / 5) * (y / 3)) & ((1 << bits) - 1);
      lines[y][x / per] = static_cast<uint16_t>((lines[y][x / per] << bits) | p);
      for (int k = 0; k < 3; ++k) out.rgb.push_back(static_cast<char>(pic->lut[k][p]));
    }
  }
  EXPECT_GT(write_gif(pic.get(), lines), 0);
  return out;
}

TEST(GifWrite, OurReaderImageMagickGiflibAndPillowReadOurPixels) {
  test::TempDir dir;
  const bool have_im = test::have_tool("convert") && test::have_tool("identify");
  const bool have_giflib = test::have_tool("gif2rgb");
  const std::string py = test::pillow_python();
  for (auto [w, h, bits] :
       {std::tuple{301, 97, 8}, {1, 5, 8}, {777, 300, 8}, {128, 40, 1}, {96, 33, 2}, {250, 61, 4}}) {
    const Written p = write_test_picture(dir, w, h, bits);
    SCOPED_TRACE(p.path);
    auto rd = pic_on(p.path);
    ASSERT_EQ(read_gif_header(rd.get()), 0);
    ASSERT_EQ(rd->width, p.screen_w);
    int ok = 0;
    EXPECT_TRUE(test::gif_rgb(rd.get(), &ok) == p.rgb);
    EXPECT_EQ(ok, p.h);
    std::string out;
    if (have_im) {
      ASSERT_TRUE(test::run_capture("identify -format '%m %wx%h' '" + p.path + "'", &out));
      EXPECT_EQ(out, "GIF " + std::to_string(p.screen_w) + "x" + std::to_string(p.h));
      ASSERT_TRUE(test::run_capture("convert '" + p.path + "' -depth 8 rgb:-", &out));
      EXPECT_TRUE(out == p.rgb) << "ImageMagick";
    }
    if (have_giflib) {
      ASSERT_TRUE(test::run_capture("gif2rgb -1 -o '" + p.path + ".rgb' '" + p.path + "' 2>&1", &out)) << out;
      EXPECT_TRUE(test::read_file(p.path + ".rgb") == p.rgb) << "giflib";
    }
    if (!py.empty()) {
      ASSERT_TRUE(test::pillow_rgb(py, p.path, &out));
      EXPECT_TRUE(out == p.rgb) << "Pillow";
    }
  }
}

}  // namespace
}  // namespace kelo
