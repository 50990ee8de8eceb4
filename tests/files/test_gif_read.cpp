// GIF reader: hand-made files with known codes, the classic giflib pictures
// against their expected decodes, other encoders' files against ImageMagick
// and Pillow, and damaged files.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "files/gif_read.h"
#include "files/gif_support.h"
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
            ints(2, 2, 8, 2, 255, 0, 2, 2, 0, 1, 0, 1, 0, 38, 3, 1));
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
  if (!shared_present("gif/giflib")) GTEST_SKIP() << "shared corpus absent";
  // Single-image pictures: the whole picture is compared. (fire and
  // welcome2 hold several images; their .rgb is the last one, while the
  // viewer shows the first: they are compared with ImageMagick below.)
  // Interlaced files come in stored order.
  for (const char* name : {"treescap", "gifgrid", "porsche", "solid2", "x-trans", "treescap-interlaced"}) {
    SCOPED_TRACE(name);
    auto pic = pic_on(shared_path(std::string("gif/giflib/") + name + ".gif"));
    ASSERT_EQ(read_gif_header(pic.get()), 0);
    std::string expect = test::read_file(shared_path(std::string("gif/giflib/") + name + ".rgb"));
    ASSERT_EQ(expect.size(), static_cast<size_t>(pic->width) * pic->height * 3);
    int ok = 0;
    std::string got = test::gif_rgb(pic.get(), &ok);
    EXPECT_EQ(ok, pic->height);
    const bool interlaced = std::string(name) == "treescap-interlaced" || std::string(name) == "x-trans";
    EXPECT_EQ(test::bad_rows(got, expect, pic->width, pic->height, interlaced), 0);
  }
  // Stored row 1 of the interlaced copy is picture row 8 (second row of the first pass).
  auto plain = pic_on(shared_path("gif/giflib/treescap.gif"));
  auto inter = pic_on(shared_path("gif/giflib/treescap-interlaced.gif"));
  ASSERT_EQ(read_gif_header(plain.get()) + read_gif_header(inter.get()), 0);
  const std::string a = test::gif_rgb(plain.get()), b = test::gif_rgb(inter.get());
  EXPECT_EQ(b.substr(120, 120), a.substr(8 * 120, 120));
  EXPECT_NE(b.substr(120, 120), a.substr(120, 120));
}

TEST(GifRead, LinesAreReadForwardOnlyUntilRewound) {
  if (!shared_present("gif/giflib")) GTEST_SKIP() << "shared corpus absent";
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
  if (!shared_present("gif/broken")) GTEST_SKIP() << "shared corpus absent";
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
  if (!shared_present("gif/pillow")) GTEST_SKIP() << "shared corpus absent";
  if (!test::have_tool("convert")) GTEST_SKIP() << "ImageMagick not installed";
  const std::string py = test::pillow_python();
  int compared = 0;
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
      // screen, so only when the frame is the whole screen).
      std::string ref;
      const bool ok = interlaced && pic->height <= 4
                          ? !py.empty() && test::pillow_rgb(py, path, &ref)
                          : test::run_capture("convert '" + path + "[0]' -depth 8 rgb:- 2>/dev/null", &ref);
      if (!ok) continue;
      const std::string got = test::gif_rgb(pic.get());
      EXPECT_EQ(ref.size(), got.size());
      EXPECT_EQ(test::bad_rows(got, ref, pic->width, pic->height, interlaced), 0);
      ++compared;
    }
  }
  EXPECT_GT(compared, 20);
}

TEST(GifRead, PicturesOtherProgramsWriteGiveTheirPixels) {
  // A 97 x 23 picture of 200 colours: colour i = (i*37, i*91+17, i*53+101)
  // mod 256, pixel (x, y) takes colour (x * 3 + y * 11) mod 200.
  std::string rgb;
  for (int y = 0; y < 23; ++y) {
    for (int x = 0; x < 97; ++x) {
      int i = (x * 3 + y * 11) % 200;
      for (int c : {i * 37, i * 91 + 17, i * 53 + 101}) rgb.push_back(static_cast<char>(c & 0xFF));
    }
  }
  test::TempDir dir;
  const std::string ppm = dir.write("pattern.ppm", "P6\n97 23\n255\n" + rgb);
  std::vector<std::string> gifs;
  std::string ignored;
  if (test::have_tool("convert")) {
    for (const char* interlace : {"None", "GIF"}) {
      gifs.push_back(dir.file(std::string("im_") + interlace + ".gif"));
      ASSERT_TRUE(test::run_capture(
          "convert '" + ppm + "' -interlace " + interlace + " '" + gifs.back() + "'", &ignored));
    }
  }
  const std::string py = test::pillow_python();
  if (!py.empty()) {
    gifs.push_back(dir.file("pillow.gif"));
    ASSERT_TRUE(test::run_pillow(py,
                                 "im=Image.frombytes('P', (97, 23), bytes((x * 3 + y * 11) % 200 "
                                 "for y in range(23) for x in range(97))); "
                                 "im.putpalette([v for i in range(256) for v in ((i * 37) % 256, "
                                 "(i * 91 + 17) % 256, (i * 53 + 101) % 256)]); im.save(sys.argv[1])",
                                 gifs.back(), &ignored, false));
  }
  if (gifs.empty()) GTEST_SKIP() << "neither ImageMagick nor Pillow installed";
  for (const std::string& gif : gifs) {
    SCOPED_TRACE(gif);
    auto pic = pic_on(gif);
    ASSERT_EQ(read_gif_header(pic.get()), 0);
    ASSERT_EQ(ints(pic->width, pic->height), ints(97, 23));
    // Interlaced files (ImageMagick's "GIF", Pillow's): rows come in stored order.
    const bool inter = (test::first_image_flags(test::read_file(gif)) & 0x40) != 0;
    EXPECT_TRUE(inter || !gif.ends_with("im_GIF.gif")) << "asked for an interlaced file";
    EXPECT_EQ(test::bad_rows(test::gif_rgb(pic.get()), rgb, 97, 23, inter), 0);
  }
}

}  // namespace
}  // namespace kelo
