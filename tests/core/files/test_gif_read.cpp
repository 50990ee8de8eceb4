// GIF reader and writer: hand-made files with known codes, the classic giflib
// pictures against their expected decodes, other encoders' files against
// ImageMagick and Pillow, damaged files; the writer's header layout and code
// stream worked out by hand, value clamping, and pictures that ImageMagick
// and giflib must read with exactly our pixels (odd widths, 1/2/4/8 bits,
// tables that fill and clear).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <random>

#include "core/files/gif_read.h"
#include "core/files/gif_support.h"
#include "core/files/gif_write.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::bytes_of;
using test::Ints;
using test::ints;
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

struct Gif {
  test::TempDir dir;
  std::unique_ptr<PIC_INFO> pic;
  int rc;
  explicit Gif(const std::string& bytes)
      : pic(pic_on(dir.write("t.gif", bytes))), rc(read_gif_header(pic.get())) {}
  Ints line(int y) {
    uint16_t v[2] = {9, 9};
    int r = read_gif_line(pic.get(), y, v);
    return {r, v[0], v[1]};
  }
};

TEST(GifRead, HandMadeGif89aAndItsColourTables) {
  Gif g(kScreen2x2 + kPalette2 + kGce + kImage2x2 + kData2x2);
  ASSERT_EQ(g.rc, 0);
  const PIC_INFO& p = *g.pic;
  // data_offset: 13 screen + 6 palette + 8 extension + 10 descriptor + 1 code size byte.
  EXPECT_EQ(ints(p.width, p.height, p.depth, p.lut_size, p.lut[0][1], p.lut[2][0], p.frame.words_padded,
                 p.frame.line_bytes, p.frame.hdr_words, p.frame.n_channels, p.chan_present[0],
                 p.chan_present[1], p.chan_present[2], p.data_offset, p.orientation, p.scan_dir),
            ints(2, 2, 8, 2, 255, 0, 2, 2, 0, 1, 0, 1, 0, 38, Orientation::Normal, ScanDir::TopDown));
  EXPECT_EQ(g.line(0), ints(kLineRead, 1, 0));
  EXPECT_EQ(g.line(1), ints(kLineRead, 0, 1));
  EXPECT_EQ(g.line(1), ints(kLineRead, 0, 1));  // the same line again: from the copy of the last one
  EXPECT_EQ(g.line(2)[0], 0);                   // outside the picture: nothing
  EXPECT_EQ(g.line(-1)[0], 0);

  // A local table (flag 0x80, 2 colours: red and blue) replaces the global one.
  Gif l(kScreen2x2 + kPalette2 + bytes_of({',', 0, 0, 0, 0, 2, 0, 2, 0, 0x80, 255, 0, 0, 0, 0, 255}) +
        kData2x2);
  ASSERT_EQ(l.rc, 0);
  EXPECT_EQ(ints(l.pic->lut_size, l.pic->lut[0][0], l.pic->lut[2][0], l.pic->lut[2][1]),
            ints(2, 255, 0, 255));
}

TEST(GifRead, HeaderResultCodes) {
  const std::string head = kScreen2x2 + kPalette2;
  // A global table announced but cut short ends the file too; minimum
  // code sizes 2 and 9 are accepted, 0 and 10 not.
  const auto rc_of = [](const std::string& b) { return Gif(b).rc; };
  EXPECT_EQ(ints(rc_of("GIF89a\x02"), rc_of(head + bytes_of({',', 0, 0, 0, 0, 2})), rc_of(head + kImage2x2),
                 rc_of(head + ";"), rc_of(head + kImage2x2 + bytes_of({9, 0, ';'}))),
            ints(kGifNoScreen, kGifNoImageDesc, kGifNoCodeSize, kGifTrailerFirst, 0));
  for (int size : {0, 10}) EXPECT_EQ(rc_of(head + kImage2x2 + bytes_of({size})), kGifBadCodeSize) << size;
  for (std::string b : {head, head + bytes_of({'!', 0xF9, 4, 1, 0}), kScreen2x2 + bytes_of({0, 0, 0})}) {
    EXPECT_EQ(rc_of(b), kGifEofNoImage) << b.size();
  }
  testing::internal::CaptureStdout();
  EXPECT_EQ(rc_of(head + "X"), kGifBadBlock);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Unexpected char: X  88\n");
}

TEST(GifRead, CodesAreTakenLeastSignificantBitFirstAcrossSubBlocks) {
  test::TempDir dir;
  // Two sub-blocks (AB, then CD) and the terminator. Bits from the lowest:
  // AB = 1 1 0 1 0 1 0 1, CD = 1 0 1 1 0 0 1 1.
  auto pic = pic_on(dir.write("codes", bytes_of({1, 0xAB, 1, 0xCD, 0})));
  LZW_STATE* s = &pic->lzw;
  FILE* fp = pic->pic_fp.get();
  EXPECT_EQ(get_next_code(s, 0, nullptr), 0);
  Ints got;
  for (int i = 0; i < 7; ++i) got.push_back(get_next_code(s, 3, fp));
  // The third takes two bits of AB and one of CD; after the last full code
  // one bit is left, then the terminator.
  EXPECT_EQ(got, ints(3, 5, 6, 6, 4, -1, -1));
  // A reset forgets the end and the pending bits.
  std::rewind(fp);
  EXPECT_EQ(get_next_code(s, 0, nullptr), 0);
  EXPECT_EQ(get_next_code(s, 12, fp), 0xDAB);
}

TEST(GifRead, GiflibPicturesMatchTheirExpectedDecodes) {
  if (!shared_present("gif/giflib")) GTEST_SKIP() << "corpus missing";
  // Single-image pictures: the whole picture is compared. (fire and
  // welcome2 hold several images; their .rgb is the last one, while the
  // viewer shows the first: they are compared with ImageMagick below.)
  // Interlaced files come in display order like the others.
  for (const char* name : {"treescap", "gifgrid", "porsche", "solid2", "x-trans", "treescap-interlaced"}) {
    SCOPED_TRACE(name);
    auto pic = pic_on(shared_path(std::string("gif/giflib/") + name + ".gif"));
    ASSERT_EQ(read_gif_header(pic.get()), 0);
    std::string expect = test::read_file(shared_path(std::string("gif/giflib/") + name + ".rgb"));
    ASSERT_EQ(expect.size(), static_cast<size_t>(pic->width) * pic->height * 3);
    int ok = 0;
    std::string got = test::gif_rgb(pic.get(), &ok);
    EXPECT_EQ(ok, pic->height);
    EXPECT_EQ(test::bad_rows(got, expect, pic->width, pic->height), 0);
  }
  // The interlaced copy, decoded whole at its first read, gives any line in
  // any order without a rewind: bottom to top equals the plain picture.
  auto plain = pic_on(shared_path("gif/giflib/treescap.gif"));
  auto inter = pic_on(shared_path("gif/giflib/treescap-interlaced.gif"));
  ASSERT_EQ(read_gif_header(plain.get()) + read_gif_header(inter.get()), 0);
  std::vector<std::vector<uint16_t>> want(40, std::vector<uint16_t>(40));
  for (int y = 0; y < 40; ++y) ASSERT_EQ(read_gif_line(plain.get(), y, want[y].data()), kLineRead);
  std::vector<uint16_t> line(40);
  for (int y = 39; y >= 0; --y) {
    ASSERT_EQ(read_gif_line(inter.get(), y, line.data()), kLineRead) << y;
    EXPECT_EQ(line, want[y]) << "line " << y;
  }
}

TEST(GifRead, LinesAreReadForwardOnlyUntilRewound) {
  if (!shared_present("gif/giflib")) GTEST_SKIP() << "corpus missing";
  auto pic = pic_on(shared_path("gif/giflib/porsche.gif"));
  ASSERT_EQ(read_gif_header(pic.get()), 0);
  std::vector<std::vector<uint16_t>> all(pic->height, std::vector<uint16_t>(pic->width));
  for (int y = 0; y < pic->height; ++y) ASSERT_EQ(read_gif_line(pic.get(), y, all[y].data()), kLineRead);
  ASSERT_NE(all[5], all[106]);
  std::vector<uint16_t> line(pic->width);
  auto read = [&](int y) {
    EXPECT_EQ(read_gif_line(pic.get(), y, line.data()), kLineRead);
    return line;
  };
  ASSERT_EQ(rewind_gif(pic.get()), 0);
  EXPECT_EQ(read(100), all[100]);
  // Going back without a rewind restarts the count where the decoder is:
  // six more lines are decoded, which gives picture line 106.
  EXPECT_EQ(read(5), all[106]);
  ASSERT_EQ(rewind_gif(pic.get()), 0);
  EXPECT_EQ(read(5), all[5]);
}

TEST(GifRead, DamagedFilesGiveACodeOrACleanPartialPicture) {
  if (!shared_present("gif/broken")) GTEST_SKIP() << "corpus missing";
  std::map<std::string, int> codes;
  for (const auto& e : std::filesystem::directory_iterator(shared_path("gif/broken"))) {
    if (e.path().extension() != ".gif") continue;
    SCOPED_TRACE(e.path().filename().string());
    auto pic = pic_on(e.path().string());
    int r = codes[e.path().filename().string()] = read_gif_header(pic.get());
    ASSERT_TRUE(r >= 0 && r <= 7) << r;
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

  // A truncated picture decodes up to the break, then zeros.
  auto pic = pic_on(shared_path("gif/broken/giflib-cve-2005-2974-truncated.gif"));
  auto whole = pic_on(shared_path("gif/giflib/treescap.gif"));
  ASSERT_EQ(read_gif_header(pic.get()) + read_gif_header(whole.get()), 0);
  std::vector<uint16_t> a(40), b(40);
  int full_lines = 0;
  bool seen_break = false;
  for (int y = 0; y < 40; ++y) {
    SCOPED_TRACE(y);
    int ra = read_gif_line(pic.get(), y, a.data());
    ASSERT_EQ(read_gif_line(whole.get(), y, b.data()), kLineRead);
    if (ra == kLineRead) {
      ASSERT_FALSE(seen_break) << "a full line after the data broke off";
      EXPECT_EQ(a, b);
      ++full_lines;
      continue;
    }
    seen_break = true;
    EXPECT_EQ(read_gif_line(pic.get(), y, a.data()), 0) << "the same short line again";
    // The part decoded before the break agrees; the rest is 0.
    int x = 0;
    while (x < 40 && a[x] == b[x]) ++x;
    for (; x < 40; ++x) EXPECT_EQ(a[x], 0) << "x " << x;
  }
  EXPECT_GT(full_lines, 0);
  EXPECT_TRUE(seen_break);
}

TEST(GifRead, OtherEncodersFilesDecodeAsImageMagickOrPillowDecodeThem) {
  if (!shared_present("gif/pillow")) GTEST_SKIP() << "corpus missing";
  if (!test::have_tool("convert")) GTEST_SKIP() << "ImageMagick not installed";
  const std::string py = test::pillow_python();
  int compared = 0;
  int interlaced_compared = 0;
  for (const char* sub : {"gif/pillow", "gif/imagegif", "gif/image", "gif/giflib"}) {
    for (const auto& e : std::filesystem::directory_iterator(shared_path(sub))) {
      if (e.path().extension() != ".gif") continue;
      const std::string path = e.path().string();
      SCOPED_TRACE(path);
      auto pic = pic_on(path);
      ASSERT_EQ(read_gif_header(pic.get()), 0);
      const bool interlaced = (test::first_image_flags(test::read_file(path)) & 0x40) != 0;
      // ImageMagick misorders the rows of interlaced pictures 3 or 4 rows
      // high: those go to Pillow (which shows a frame inside its logical
      // screen, so only when the frame is the whole screen). The corpora
      // have none of those: every interlaced one is compared with ImageMagick.
      std::string ref;
      const bool ok = interlaced && pic->height <= 4
                          ? !py.empty() && test::pillow_rgb(py, path, &ref)
                          : test::run_capture("convert '" + path + "[0]' -depth 8 rgb:- 2>/dev/null", &ref);
      if (!ok) continue;
      const std::string got = test::gif_rgb(pic.get());
      EXPECT_EQ(ref.size(), got.size());
      EXPECT_EQ(test::bad_rows(got, ref, pic->width, pic->height), 0);
      ++compared;
      if (interlaced) ++interlaced_compared;
    }
  }
  EXPECT_GT(compared, 20);
  // treescap-interlaced, x-trans, fire, text_mono, hopper_zero_comment_subblocks,
  // first_frame_transparency and imagegif's interlaced.gif.
  EXPECT_EQ(interlaced_compared, 7);
}

// A picture record writing to path with width w (input values per line),
// height h, depth d and the palette (i*37, i*91+17, i*53+101).
std::unique_ptr<PIC_INFO> writer_on(const std::string& path, int w, int h, int d) {
  auto pic = test::pic_writing(path, kKindGIF, w, h, d);
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

  // Values above 255 are stored as 255, also in the caller's buffer.
  auto clamp = writer_on(dir.file("clamp.gif"), 3, 1, 8);
  ASSERT_GT(write_gif_header(clamp.get()), 0);
  uint16_t line[3] = {300, 255, 7};
  ASSERT_EQ(write_gif_line(clamp.get(), line), 0);
  EXPECT_EQ(ints(line[0], line[1], line[2]), ints(255, 255, 7));
  ASSERT_EQ(write_gif_end(&clamp->lzw, clamp->pic_fp.get()), 0);
  clamp->pic_fp.close();
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
  // The buffered header and lines may fail or not; the trailer flush must.
  (void)write_gif_header(full.get());
  std::vector<uint16_t> line(64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) line[x] = static_cast<uint16_t>((x * y) & 0xFF);
    (void)write_gif_line(full.get(), line.data());
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

TEST(GifWrite, OurReaderImageMagickAndGiflibReadOurPixels) {
  test::TempDir dir;
  const bool have_im = test::have_tool("convert") && test::have_tool("identify");
  const bool have_giflib = test::have_tool("gif2rgb");
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
  }
}

}  // namespace
}  // namespace kelo
