// GIF reader: hand-made files with known codes, the classic giflib pictures
// against their expected decodes, other encoders' files against ImageMagick
// and Pillow, and damaged files.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "files/gif_read.h"
#include "files/gif_support.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::bytes_of;
using test::pic_on;
using test::shared_path;
using test::shared_present;

const std::string kScreen2x2 = bytes_of({'G', 'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0});
const std::string kPalette2 = bytes_of({0, 0, 0, 255, 255, 255});
const std::string kImage2x2 = bytes_of({',', 0, 0, 0, 0, 2, 0, 2, 0, 0});
// Pixels 1 0 / 0 1 with minimum code size 2, worked out by hand: codes
// clear(4) 1 0 0 in 3 bits, then (table at 8 entries) 1 and end(5) in 4 bits,
// least significant bit first: 0x0C 0x10 0x05.
const std::string kData2x2 = bytes_of({2, 3, 0x0C, 0x10, 0x05, 0, ';'});
// Graphic control extension: label 0xF9, one 4-byte sub-block, terminator.
const std::string kGce = bytes_of({'!', 0xF9, 4, 1, 0, 0, 0, 0});

int header_of(const std::string& bytes, std::unique_ptr<PIC_INFO>* out = nullptr) {
  test::TempDir dir;
  auto pic = pic_on(dir.write("t.gif", bytes));
  int r = read_gif_header(pic.get());
  if (out != nullptr) *out = std::move(pic);
  return r;
}

TEST(GifRead, HandMadeGif89aWithExtensionBeforeTheImage) {
  test::TempDir dir;
  auto pic = pic_on(dir.write("t.gif", kScreen2x2 + kPalette2 + kGce + kImage2x2 + kData2x2));
  ASSERT_EQ(read_gif_header(pic.get()), 0);
  EXPECT_EQ(pic->width, 2);
  EXPECT_EQ(pic->height, 2);
  EXPECT_EQ(pic->depth, 8);
  EXPECT_EQ(pic->lut_size, 2);
  EXPECT_EQ(pic->lut[0][1], 255);
  EXPECT_EQ(pic->lut[2][0], 0);
  EXPECT_EQ(pic->frame.words_padded, 2);
  EXPECT_EQ(pic->frame.line_bytes, 2);
  EXPECT_EQ(pic->frame.hdr_words, 0);
  EXPECT_EQ(pic->frame.n_channels, 1);
  EXPECT_EQ(pic->chan_present[0], 0);
  EXPECT_EQ(pic->chan_present[1], 1);
  EXPECT_EQ(pic->chan_present[2], 0);
  // 13 screen + 6 palette + 8 extension + 10 descriptor + 1 code size byte
  EXPECT_EQ(pic->data_offset, 38);
  EXPECT_EQ(pic->orientation, 3);
  EXPECT_EQ(pic->scan_dir, 1);
  uint16_t line[2] = {9, 9};
  ASSERT_EQ(read_gif_line(pic.get(), 0, line), kLineRead);
  EXPECT_EQ(line[0], 1);
  EXPECT_EQ(line[1], 0);
  ASSERT_EQ(read_gif_line(pic.get(), 1, line), kLineRead);
  EXPECT_EQ(line[0], 0);
  EXPECT_EQ(line[1], 1);
  // The same line again comes from the copy of the last one.
  ASSERT_EQ(read_gif_line(pic.get(), 1, line), kLineRead);
  EXPECT_EQ(line[1], 1);
  // Outside the picture: nothing.
  EXPECT_EQ(read_gif_line(pic.get(), 2, line), 0);
  EXPECT_EQ(read_gif_line(pic.get(), -1, line), 0);
}

TEST(GifRead, LocalColourTableReplacesTheGlobalOne) {
  // Local table flag 0x80 with 2 colours (n = 0): red and blue.
  std::string image = bytes_of({',', 0, 0, 0, 0, 2, 0, 2, 0, 0x80, 255, 0, 0, 0, 0, 255});
  std::unique_ptr<PIC_INFO> pic;
  ASSERT_EQ(header_of(kScreen2x2 + kPalette2 + image + kData2x2, &pic), 0);
  EXPECT_EQ(pic->lut_size, 2);
  EXPECT_EQ(pic->lut[0][0], 255);
  EXPECT_EQ(pic->lut[2][0], 0);
  EXPECT_EQ(pic->lut[2][1], 255);
}

TEST(GifRead, HeaderResultCodes) {
  const std::string head = kScreen2x2 + kPalette2;
  EXPECT_EQ(header_of("GIF89a\x02"), kGifNoScreen);
  EXPECT_EQ(header_of(head + bytes_of({',', 0, 0, 0, 0, 2})), kGifNoImageDesc);
  EXPECT_EQ(header_of(head + kImage2x2), kGifNoCodeSize);
  EXPECT_EQ(header_of(head + kImage2x2 + bytes_of({0})), kGifBadCodeSize);
  EXPECT_EQ(header_of(head + kImage2x2 + bytes_of({10})), kGifBadCodeSize);
  EXPECT_EQ(header_of(head + ";"), kGifTrailerFirst);
  testing::internal::CaptureStdout();
  EXPECT_EQ(header_of(head + "X"), kGifBadBlock);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unexpected char: X  88\n");
  EXPECT_EQ(header_of(head), kGifEofNoImage);
  EXPECT_EQ(header_of(head + bytes_of({'!', 0xF9, 4, 1, 0})), kGifEofNoImage);
  // Global table announced but cut short.
  EXPECT_EQ(header_of(kScreen2x2 + bytes_of({0, 0, 0})), kGifEofNoImage);
  // Minimum code sizes 2 and 9 are accepted.
  EXPECT_EQ(header_of(head + kImage2x2 + bytes_of({9, 0, ';'})), 0);
}

TEST(GifRead, CodesAreTakenLeastSignificantBitFirstAcrossSubBlocks) {
  test::TempDir dir;
  // Two sub-blocks (AB, then CD) and the terminator. Bits from the lowest:
  // AB = 1 1 0 1 0 1 0 1, CD = 1 0 1 1 0 0 1 1.
  auto pic = pic_on(dir.write("codes", bytes_of({1, 0xAB, 1, 0xCD, 0})));
  LZW_STATE* s = &pic->lzw;
  EXPECT_EQ(get_next_code(s, 0, nullptr), 0);
  FILE* fp = pic->pic_fp.get();
  EXPECT_EQ(get_next_code(s, 3, fp), 3);
  EXPECT_EQ(get_next_code(s, 3, fp), 5);
  EXPECT_EQ(get_next_code(s, 3, fp), 6);  // two bits of AB, one of CD
  EXPECT_EQ(get_next_code(s, 3, fp), 6);
  EXPECT_EQ(get_next_code(s, 3, fp), 4);
  EXPECT_EQ(get_next_code(s, 3, fp), -1);  // one bit left, then the terminator
  EXPECT_EQ(get_next_code(s, 3, fp), -1);
  // A reset forgets the end and the pending bits.
  std::rewind(fp);
  EXPECT_EQ(get_next_code(s, 0, nullptr), 0);
  EXPECT_EQ(get_next_code(s, 12, fp), 0xDAB);
}

TEST(GifRead, GiflibPicturesMatchTheirExpectedDecodes) {
  if (!shared_present("gif/giflib")) GTEST_SKIP() << "shared corpus absent";
  // Single-image pictures: the whole picture is compared. (fire and
  // welcome2 hold several images; their .rgb is the last one, while the
  // viewer shows the first: they are compared with ImageMagick below.)
  for (const char* name : {"treescap", "gifgrid", "porsche", "solid2", "x-trans", "treescap-interlaced"}) {
    SCOPED_TRACE(name);
    auto pic = pic_on(shared_path(std::string("gif/giflib/") + name + ".gif"));
    ASSERT_EQ(read_gif_header(pic.get()), 0);
    std::string expect = test::read_file(shared_path(std::string("gif/giflib/") + name + ".rgb"));
    ASSERT_EQ(expect.size(), static_cast<size_t>(pic->width) * pic->height * 3);
    int ok = 0;
    std::vector<uint8_t> got = test::gif_rgb(pic.get(), &ok);
    EXPECT_EQ(ok, pic->height);
    const bool interlaced = std::string(name) == "treescap-interlaced" || std::string(name) == "x-trans";
    const size_t row = static_cast<size_t>(pic->width) * 3;
    int bad_rows = 0;
    for (int k = 0; k < pic->height; ++k) {
      // Interlaced files come in stored order: stored row k is picture row
      // interlaced_row(k) of the expected (de-interlaced) decode.
      int y = interlaced ? test::interlaced_row(k, pic->height) : k;
      if (std::memcmp(got.data() + k * row, expect.data() + y * row, row) != 0) ++bad_rows;
    }
    EXPECT_EQ(bad_rows, 0);
  }
}

TEST(GifRead, InterlacedPictureIsDeliveredInStoredOrder) {
  if (!shared_present("gif/giflib")) GTEST_SKIP() << "shared corpus absent";
  auto plain = pic_on(shared_path("gif/giflib/treescap.gif"));
  auto inter = pic_on(shared_path("gif/giflib/treescap-interlaced.gif"));
  ASSERT_EQ(read_gif_header(plain.get()), 0);
  ASSERT_EQ(read_gif_header(inter.get()), 0);
  std::vector<uint8_t> a = test::gif_rgb(plain.get());
  std::vector<uint8_t> b = test::gif_rgb(inter.get());
  const size_t row = 40 * 3;
  // Stored row 1 is picture row 8 (second row of the first pass).
  EXPECT_EQ(std::memcmp(b.data() + row, a.data() + 8 * row, row), 0);
  EXPECT_NE(std::memcmp(b.data() + row, a.data() + row, row), 0);
}

TEST(GifRead, LinesAreReadForwardOnlyUntilRewound) {
  if (!shared_present("gif/giflib")) GTEST_SKIP() << "shared corpus absent";
  auto pic = pic_on(shared_path("gif/giflib/porsche.gif"));
  ASSERT_EQ(read_gif_header(pic.get()), 0);
  std::vector<std::vector<uint16_t>> all(pic->height, std::vector<uint16_t>(pic->width));
  for (int y = 0; y < pic->height; ++y) ASSERT_EQ(read_gif_line(pic.get(), y, all[y].data()), kLineRead);
  ASSERT_NE(all[5], all[106]);

  ASSERT_EQ(rewind_gif(pic.get()), 0);
  std::vector<uint16_t> line(pic->width);
  ASSERT_EQ(read_gif_line(pic.get(), 100, line.data()), kLineRead);
  EXPECT_EQ(line, all[100]);
  // Going back without a rewind restarts the count where the decoder is:
  // six more lines are decoded, which gives picture line 106.
  ASSERT_EQ(read_gif_line(pic.get(), 5, line.data()), kLineRead);
  EXPECT_NE(line, all[5]);
  EXPECT_EQ(line, all[106]);
  ASSERT_EQ(rewind_gif(pic.get()), 0);
  ASSERT_EQ(read_gif_line(pic.get(), 5, line.data()), kLineRead);
  EXPECT_EQ(line, all[5]);
}

TEST(GifRead, DamagedFilesGiveACodeOrACleanPartialPicture) {
  if (!shared_present("gif/broken")) GTEST_SKIP() << "shared corpus absent";
  std::map<std::string, int> codes;
  for (const auto& e : std::filesystem::directory_iterator(shared_path("gif/broken"))) {
    if (e.path().extension() != ".gif") continue;
    SCOPED_TRACE(e.path().filename().string());
    auto pic = pic_on(e.path().string());
    int r = read_gif_header(pic.get());
    codes[e.path().filename().string()] = r;
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 7);
    if (r != 0) continue;
    std::vector<uint16_t> line(static_cast<size_t>(pic->width) + 1);
    for (int y = 0; y < pic->height; ++y) {
      int got = read_gif_line(pic.get(), y, line.data());
      ASSERT_TRUE(got == 0 || got == kLineRead);
      for (int x = 0; x < pic->width; ++x) ASSERT_LT(line[x], 256);
    }
  }
  // Known faults and the codes they must give.
  EXPECT_EQ(codes["pillow-issue_2811.gif"], kGifBadCodeSize);                 // minimum code size 11
  EXPECT_EQ(codes["imagegif-issue-96-small-codesize.gif"], kGifBadCodeSize);  // size 0
  EXPECT_EQ(codes["image-zero-loop-count.gif"], kGifBadBlock);
  EXPECT_EQ(codes["gofuzz-05aa44b09c9c.gif"], kGifEofNoImage);  // table cut short
  EXPECT_EQ(codes["gofuzz-21c76bd0ecf7.gif"], kGifNoImageDesc);
  EXPECT_EQ(codes["gofuzz-05800fbfdc92.gif"], kGifEofNoImage);  // extension cut short
}

TEST(GifRead, TruncatedPictureDecodesUpToTheBreakThenZeros) {
  if (!shared_present("gif/broken")) GTEST_SKIP() << "shared corpus absent";
  auto pic = pic_on(shared_path("gif/broken/giflib-cve-2005-2974-truncated.gif"));
  ASSERT_EQ(read_gif_header(pic.get()), 0);
  auto whole = pic_on(shared_path("gif/giflib/treescap.gif"));
  ASSERT_EQ(read_gif_header(whole.get()), 0);
  std::vector<uint16_t> a(40), b(40);
  int full_lines = 0;
  bool seen_break = false;
  for (int y = 0; y < 40; ++y) {
    int ra = read_gif_line(pic.get(), y, a.data());
    ASSERT_EQ(read_gif_line(whole.get(), y, b.data()), kLineRead);
    if (ra == kLineRead) {
      ASSERT_FALSE(seen_break) << "a full line after the data broke off";
      EXPECT_EQ(a, b) << "line " << y;
      ++full_lines;
    } else {
      seen_break = true;
      EXPECT_EQ(read_gif_line(pic.get(), y, a.data()), 0) << "the same short line again";
      // The part decoded before the break agrees; the rest is 0.
      int x = 0;
      while (x < 40 && a[x] == b[x]) ++x;
      for (; x < 40; ++x) EXPECT_EQ(a[x], 0) << "line " << y << " x " << x;
    }
  }
  EXPECT_GT(full_lines, 0);
  EXPECT_TRUE(seen_break);
}

// What ImageMagick (or, for short interlaced pictures, Pillow) makes of the
// first image of a file, as RGB bytes of the image rectangle.
bool reference_rgb(const std::string& path, bool use_pillow, std::string* out) {
  if (use_pillow) {
    std::string py = test::pillow_python();
    if (py.empty()) return false;
    std::string cmd = py +
                      " -c \"import sys; from PIL import Image; im=Image.open(sys.argv[1]); "
                      "sys.stdout.buffer.write(im.convert('RGB').tobytes())\" '" +
                      path + "'";
    return test::run_capture(cmd, out);
  }
  return test::run_capture("convert '" + path + "[0]' -depth 8 rgb:- 2>/dev/null", out);
}

TEST(GifRead, OtherEncodersFilesDecodeAsImageMagickOrPillowDecodeThem) {
  if (!shared_present("gif/pillow")) GTEST_SKIP() << "shared corpus absent";
  if (!test::have_tool("convert")) GTEST_SKIP() << "ImageMagick not installed";
  int compared = 0;
  for (const char* sub : {"gif/pillow", "gif/imagegif", "gif/image", "gif/giflib"}) {
    for (const auto& e : std::filesystem::directory_iterator(shared_path(sub))) {
      if (e.path().extension() != ".gif") continue;
      const std::string name = e.path().filename().string();
      SCOPED_TRACE(name);
      auto pic = pic_on(e.path().string());
      ASSERT_EQ(read_gif_header(pic.get()), 0);
      const int flags = test::first_image_flags(test::read_file(e.path().string()));
      const bool interlaced = (flags & 0x40) != 0;
      // Pillow shows a frame inside its logical screen; compare with it
      // only when the frame is the whole screen.
      const bool use_pillow = interlaced && pic->height <= 4;
      std::string ref;
      if (!reference_rgb(e.path().string(), use_pillow, &ref)) continue;
      std::vector<uint8_t> got = test::gif_rgb(pic.get());
      if (ref.size() != got.size()) {
        ADD_FAILURE() << "reference size " << ref.size() << " ours " << got.size();
        continue;
      }
      const size_t row = static_cast<size_t>(pic->width) * 3;
      int bad_rows = 0;
      for (int k = 0; k < pic->height; ++k) {
        int y = interlaced ? test::interlaced_row(k, pic->height) : k;
        if (std::memcmp(got.data() + k * row, ref.data() + y * row, row) != 0) ++bad_rows;
      }
      EXPECT_EQ(bad_rows, 0);
      ++compared;
    }
  }
  EXPECT_GT(compared, 20);
}

// A 97 x 23 picture of 200 colours as RGB bytes: colour i = (i*37, i*91+17,
// i*53+101) mod 256, pixel (x, y) takes colour (x * 3 + y * 11) mod 200.
std::string pattern_rgb() {
  std::string rgb;
  for (int y = 0; y < 23; ++y) {
    for (int x = 0; x < 97; ++x) {
      int i = (x * 3 + y * 11) % 200;
      rgb.push_back(static_cast<char>((i * 37) & 0xFF));
      rgb.push_back(static_cast<char>((i * 91 + 17) & 0xFF));
      rgb.push_back(static_cast<char>((i * 53 + 101) & 0xFF));
    }
  }
  return rgb;
}

TEST(GifRead, PicturesOtherProgramsWriteGiveTheirPixels) {
  test::TempDir dir;
  const std::string rgb = pattern_rgb();
  const std::string ppm = dir.write("pattern.ppm", "P6\n97 23\n255\n" + rgb);
  int checked = 0;
  if (test::have_tool("convert")) {
    for (const char* interlace : {"None", "GIF"}) {
      SCOPED_TRACE(interlace);
      std::string gif = dir.file(std::string("im_") + interlace + ".gif");
      std::string ignored;
      ASSERT_TRUE(
          test::run_capture("convert '" + ppm + "' -interlace " + interlace + " '" + gif + "'", &ignored));
      auto pic = pic_on(gif);
      ASSERT_EQ(read_gif_header(pic.get()), 0);
      ASSERT_EQ(pic->width, 97);
      ASSERT_EQ(pic->height, 23);
      std::vector<uint8_t> got = test::gif_rgb(pic.get());
      const bool inter = std::string(interlace) == "GIF";
      const size_t row = 97 * 3;
      int bad_rows = 0;
      for (int k = 0; k < 23; ++k) {
        int y = inter ? test::interlaced_row(k, 23) : k;
        if (std::memcmp(got.data() + k * row, rgb.data() + y * row, row) != 0) ++bad_rows;
      }
      EXPECT_EQ(bad_rows, 0);
      ++checked;
    }
  }
  const std::string py = test::pillow_python();
  if (!py.empty()) {
    std::string gif = dir.file("pillow.gif");
    std::string ignored;
    ASSERT_TRUE(test::run_capture(py +
                                      " -c \"import sys; from PIL import Image; "
                                      "im=Image.frombytes('P', (97, 23), bytes((x * 3 + y * 11) % 200 "
                                      "for y in range(23) for x in range(97))); "
                                      "im.putpalette([v for i in range(256) for v in ((i * 37) % 256, "
                                      "(i * 91 + 17) % 256, (i * 53 + 101) % 256)]); "
                                      "im.save(sys.argv[1])\" '" +
                                      gif + "'",
                                  &ignored));
    auto pic = pic_on(gif);
    ASSERT_EQ(read_gif_header(pic.get()), 0);
    std::vector<uint8_t> got = test::gif_rgb(pic.get());
    // Pillow writes interlaced GIFs: rows come in stored order.
    const bool inter = (test::first_image_flags(test::read_file(gif)) & 0x40) != 0;
    const size_t row = 97 * 3;
    int bad_rows = 0;
    for (int k = 0; k < 23; ++k) {
      int y = inter ? test::interlaced_row(k, 23) : k;
      if (std::memcmp(got.data() + k * row, rgb.data() + y * row, row) != 0) ++bad_rows;
    }
    EXPECT_EQ(bad_rows, 0);
    ++checked;
  }
  if (checked == 0) GTEST_SKIP() << "neither ImageMagick nor Pillow installed";
}

}  // namespace
}  // namespace kelo
