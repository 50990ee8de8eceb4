// PGM/PPM: header facts and samples of hand-written files, every sample of
// the real corpus against netpbm's own reading, damaged files, and the bytes
// of what we write (read back by netpbm, ImageMagick and Pillow).
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "files/gif_support.h"
#include "files/ppm.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::bytes_of;
using test::pic_on;
using test::shared_path;
using test::shared_present;

int header_of(const std::string& bytes, std::unique_ptr<PIC_INFO>* out = nullptr) {
  test::TempDir dir;
  auto pic = pic_on(dir.write("t.pnm", bytes));
  int r = read_ppm_header(pic.get());
  if (out != nullptr) *out = std::move(pic);
  return r;
}

TEST(PpmRead, OwnLayoutGivesTheHeaderFacts) {
  std::unique_ptr<PIC_INFO> pic;
  const std::string head = "P5\n#Created by kelo\n640 480\n255\n";
  ASSERT_EQ(header_of(head + std::string(640 * 480, '\x07'), &pic), 0);
  EXPECT_EQ(pic->width, 640);
  EXPECT_EQ(pic->height, 480);
  EXPECT_EQ(pic->depth, 8);
  EXPECT_EQ(pic->lut_size, 256);
  EXPECT_EQ(pic->sat_name, "Created by kelo");
  EXPECT_EQ(pic->frame.words_padded, 640);
  EXPECT_EQ(pic->frame.line_bytes, 640);
  EXPECT_EQ(pic->frame.hdr_words, 0);
  EXPECT_EQ(pic->frame.n_channels, 1);
  EXPECT_EQ(pic->chan_present[1], 1);
  EXPECT_EQ(pic->chan_present[2], 0);
  EXPECT_EQ(pic->data_offset, static_cast<int>(head.size()));
  EXPECT_EQ(pic->orientation, 3);
  EXPECT_EQ(pic->scan_dir, 1);
  EXPECT_EQ(pic->lut[1][200], 200);
  EXPECT_EQ(pic->lut[2][255], 255);

  ASSERT_EQ(header_of("P6\n# first\n# second\n3 1\n255\n" + bytes_of({1, 2, 3, 4, 5, 6, 7, 8, 9}), &pic), 0);
  EXPECT_EQ(pic->sat_name, " second");
  EXPECT_EQ(pic->frame.words_padded, 9);
  EXPECT_EQ(pic->frame.line_bytes, 9);
  uint16_t r[3], g[3], b[3];
  EXPECT_EQ(read_ppm_line(pic.get(), 0, r, g, b), 3);
  EXPECT_EQ(r[1], 4);
  EXPECT_EQ(g[1], 5);
  EXPECT_EQ(b[2], 9);
  // A comment keeps its first 39 characters.
  ASSERT_EQ(header_of("P5\n#" + std::string(50, 'n') + "\n1 1\n255\n\x01", &pic), 0);
  EXPECT_EQ(pic->sat_name, std::string(39, 'n'));
}

TEST(PpmRead, SamplesAboveEightBitsAreTwoBytesMostSignificantFirst) {
  std::unique_ptr<PIC_INFO> pic;
  // Maximum 4095: depth 12; 0x0FFF reads 4095, 0x1234 is beyond the maximum
  // and reads 4095 too; grey goes to all three outputs.
  ASSERT_EQ(
      header_of("P5\n3 2\n4095\n" + bytes_of({0x0F, 0xFF, 0x12, 0x34, 0x01, 0x02, 0, 9, 0, 0, 0, 0}), &pic),
      0);
  EXPECT_EQ(pic->depth, 12);
  EXPECT_EQ(pic->lut_size, 4096);
  EXPECT_EQ(pic->frame.line_bytes, 6);
  uint16_t r[3], g[3], b[3];
  ASSERT_EQ(read_ppm_line(pic.get(), 0, r, g, b), 3);
  EXPECT_EQ(r[0], 4095);
  EXPECT_EQ(r[1], 4095);
  EXPECT_EQ(r[2], 0x0102);
  EXPECT_EQ(g[2], 0x0102);
  EXPECT_EQ(b[2], 0x0102);
  ASSERT_EQ(read_ppm_line(pic.get(), 1, r, nullptr, nullptr), 3);
  EXPECT_EQ(r[0], 9);

  // Maximum 1023: depth 10, lut_size 1024.
  ASSERT_EQ(header_of("P5\n1 1\n1023\n" + bytes_of({0x03, 0xFF}), &pic), 0);
  EXPECT_EQ(pic->depth, 10);
  EXPECT_EQ(pic->lut_size, 1024);

  // Maximum 65535: lut_size 4096, depth 12, and the samples keep their top
  // twelve bits.
  ASSERT_EQ(header_of("P5\n2 1\n65535\n" + bytes_of({0x12, 0x34, 0xFF, 0xFF}), &pic), 0);
  EXPECT_EQ(pic->lut_size, 4096);
  EXPECT_EQ(pic->depth, 12);
  ASSERT_EQ(read_ppm_line(pic.get(), 0, r, g, b), 2);
  EXPECT_EQ(r[0], 0x123);
  EXPECT_EQ(r[1], 4095);

  // Colour with two-byte samples.
  ASSERT_EQ(header_of("P6\n1 1\n1000\n" + bytes_of({0x03, 0xE8, 0x00, 0x01, 0x02, 0x00}), &pic), 0);
  EXPECT_EQ(pic->frame.line_bytes, 6);
  ASSERT_EQ(read_ppm_line(pic.get(), 0, r, g, b), 1);
  EXPECT_EQ(r[0], 1000);
  EXPECT_EQ(g[0], 1);
  EXPECT_EQ(b[0], 512);
}

TEST(PpmRead, HeaderResultCodes) {
  EXPECT_EQ(header_of("P4\n1 1\n"), kPpmBadMagic);
  EXPECT_EQ(header_of("GIF89a"), kPpmBadMagic);
  EXPECT_EQ(header_of("P"), kPpmBadMagic);
  EXPECT_EQ(header_of("P5\n#no end"), kPpmEof);
  EXPECT_EQ(header_of("P5\n640 480\n"), kPpmEof);
  EXPECT_EQ(header_of("P5\nabc\n"), kPpmNoWidth);
  EXPECT_EQ(header_of("P5\n640 x\n255\n"), kPpmNoHeight);
  EXPECT_EQ(header_of("P5\n640 480\nmax\n"), kPpmNoWidth);
  EXPECT_EQ(header_of("P5\n640 480\n0\n"), kPpmNoWidth);
  EXPECT_EQ(header_of("P5\n640 480\n65536\n"), kPpmNoWidth);
  EXPECT_EQ(header_of("P5\n640 -480\n255\n"), kPpmNoHeight);
  EXPECT_EQ(header_of("P5\n99999999999 1\n255\n"), kPpmNoWidth);
  // A size line of 100 characters is too long; 99 are fine.
  std::string line99 = "640 480" + std::string(92, ' ');
  ASSERT_EQ(line99.size(), 99u);
  EXPECT_EQ(header_of("P5\n" + line99 + "\n255\n"), 0);
  EXPECT_EQ(header_of("P5\n" + line99 + " \n255\n"), kPpmLongLine);
  EXPECT_EQ(header_of("P5\n6" + std::string(99, '0') + "\n1\n255\n"), kPpmLongLine);
}

TEST(PpmRead, OtherLayoutsAndLineEndsOfOtherPrograms) {
  std::unique_ptr<PIC_INFO> pic;
  uint16_t r[4];
  // Everything on one line, one blank before the samples.
  ASSERT_EQ(header_of("P5 2 1 255 " + bytes_of({10, 13}), &pic), 0);
  ASSERT_EQ(read_ppm_line(pic.get(), 0, r, nullptr, nullptr), 2);
  EXPECT_EQ(r[0], 10);
  EXPECT_EQ(r[1], 13);
  // Size and maximum on one line; a sample byte that looks like a newline.
  ASSERT_EQ(header_of("P5\n2 1 255\n" + bytes_of({'\n', 7}), &pic), 0);
  ASSERT_EQ(read_ppm_line(pic.get(), 0, r, nullptr, nullptr), 2);
  EXPECT_EQ(r[0], 10);
  EXPECT_EQ(r[1], 7);
  // CR LF line ends: the samples start after the LF.
  ASSERT_EQ(header_of("P5\r\n2 1\r\n255\r\n" + bytes_of({3, 4}), &pic), 0);
  ASSERT_EQ(read_ppm_line(pic.get(), 0, r, nullptr, nullptr), 2);
  EXPECT_EQ(r[0], 3);
  EXPECT_EQ(r[1], 4);
}

TEST(PpmRead, ShortFileYieldsFewerSamplesAndZeros) {
  std::unique_ptr<PIC_INFO> pic;
  ASSERT_EQ(header_of("P5\n4 2\n255\n" + bytes_of({1, 2, 3, 4, 5}), &pic), 0);
  uint16_t r[4] = {9, 9, 9, 9}, g[4], b[4];
  EXPECT_EQ(read_ppm_line(pic.get(), 1, r, g, b), 1);
  EXPECT_EQ(r[0], 5);
  EXPECT_EQ(r[1], 0);
  EXPECT_EQ(b[3], 0);
  EXPECT_EQ(read_ppm_line(pic.get(), 2, r, g, b), 0);
  EXPECT_EQ(read_ppm_line(pic.get(), -1, r, g, b), 0);
  // Colour: the count is of whole pixels, so a short line is never taken
  // for a full one (two pixels and one sample of a four-pixel line).
  ASSERT_EQ(header_of("P6\n4 1\n255\n" + bytes_of({1, 2, 3, 4, 5, 6, 7}), &pic), 0);
  EXPECT_EQ(read_ppm_line(pic.get(), 0, r, g, b), 2);
  EXPECT_EQ(b[1], 6);
  EXPECT_EQ(r[2], 0);
}

// Samples as netpbm reads them: "P2"/"P3" plain text, maximum, values.
bool netpbm_samples(const std::string& path, long* maxval, std::vector<long>* values) {
  std::string text;
  if (!test::run_capture("pamtopnm -plain '" + path + "' 2>/dev/null", &text)) return false;
  std::istringstream in(text);
  std::string magic;
  long w = 0, h = 0;
  in >> magic >> w >> h >> *maxval;
  values->clear();
  long v;
  while (in >> v) values->push_back(v);
  return true;
}

TEST(PpmRead, RealFilesGiveNetpbmsSamples) {
  if (!shared_present("pnm")) GTEST_SKIP() << "shared corpus absent";
  if (!test::have_tool("pamtopnm")) GTEST_SKIP() << "netpbm not installed";
  int compared = 0;
  for (const char* sub : {"pnm/charls", "pnm/imagers", "pnm/pillow", "pnm/ppmsharp", "pnm/wic"}) {
    for (const auto& e : std::filesystem::directory_iterator(shared_path(sub))) {
      std::string bytes = test::read_file(e.path().string());
      if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) continue;
      SCOPED_TRACE(e.path().filename().string());
      long maxval = 0;
      std::vector<long> expect;
      ASSERT_TRUE(netpbm_samples(e.path().string(), &maxval, &expect));
      auto pic = pic_on(e.path().string());
      ASSERT_EQ(read_ppm_header(pic.get()), 0);
      const bool colour = bytes[1] == '6';
      const int per = colour ? 3 : 1;
      ASSERT_EQ(expect.size(), static_cast<size_t>(pic->width) * pic->height * per);
      int shift = 0;
      while ((maxval >> shift) > 4095) ++shift;
      std::vector<uint16_t> r(pic->width), g(pic->width), b(pic->width);
      int bad = 0;
      for (int y = 0; y < pic->height; ++y) {
        ASSERT_EQ(read_ppm_line(pic.get(), y, r.data(), g.data(), b.data()), pic->width);
        for (int x = 0; x < pic->width; ++x) {
          size_t at = (static_cast<size_t>(y) * pic->width + x) * per;
          const uint16_t* got[3] = {r.data(), g.data(), b.data()};
          for (int k = 0; k < 3; ++k) {
            long want = std::min(4095L, expect[at + (colour ? k : 0)] >> shift);
            if (got[k][x] != want) ++bad;
          }
        }
      }
      EXPECT_EQ(bad, 0);
      ++compared;
    }
  }
  EXPECT_GE(compared, 20);
}

TEST(PpmRead, DamagedAndAmbiguousFiles) {
  if (!shared_present("pnm/broken")) GTEST_SKIP() << "shared corpus absent";
  for (const auto& e : std::filesystem::directory_iterator(shared_path("pnm/broken"))) {
    SCOPED_TRACE(e.path().filename().string());
    auto pic = pic_on(e.path().string());
    int r = read_ppm_header(pic.get());
    ASSERT_GE(r, 0);
    ASSERT_LE(r, 5);
    if (r != 0) continue;
    std::vector<uint16_t> a(pic->width), b(pic->width), c(pic->width);
    for (int y = 0; y < pic->height; ++y) {
      int n = read_ppm_line(pic.get(), y, a.data(), b.data(), c.data());
      ASSERT_GE(n, 0);
      for (int x = 0; x < pic->width; ++x) ASSERT_LT(a[x], 4096);
    }
  }
  // A negative size is refused.
  auto neg = pic_on(shared_path("pnm/broken/pillow-negative_size.ppm"));
  EXPECT_NE(read_ppm_header(neg.get()), 0);
  // The CR LF copy of feep reads exactly like feep: its samples start after
  // the LF of the maximum's line.
  auto crlf = pic_on(shared_path("pnm/broken/ppmsharp-P5-15-feep_crlf.pgm"));
  auto lf = pic_on(shared_path("pnm/ppmsharp/P5-15-feep.pgm"));
  ASSERT_EQ(read_ppm_header(crlf.get()), 0);
  ASSERT_EQ(read_ppm_header(lf.get()), 0);
  ASSERT_EQ(crlf->width, 24);
  ASSERT_EQ(crlf->height, 7);
  std::vector<uint16_t> x(24), y(24);
  int non_zero = 0;
  for (int line = 0; line < 7; ++line) {
    ASSERT_EQ(read_ppm_line(crlf.get(), line, x.data(), nullptr, nullptr), 24);
    ASSERT_EQ(read_ppm_line(lf.get(), line, y.data(), nullptr, nullptr), 24);
    EXPECT_EQ(x, y) << line;
    for (uint16_t v : y) non_zero += v != 0;
  }
  EXPECT_GT(non_zero, 0);
}

std::unique_ptr<PIC_INFO> ppm_writer(const std::string& path, int kind, int w, int h, int depth,
                                     int lut_size) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->file_type = kind;
  pic->width = w;
  pic->height = h;
  pic->depth = depth;
  pic->lut_size = lut_size;
  pic->frame.line_bytes = w;
  pic->pic_fp.open(path, "wb");
  return pic;
}

TEST(PpmWrite, ByteExactFiles) {
  test::TempDir dir;
  {
    auto pic = ppm_writer(dir.file("a.pgm"), kKindPGM, 3, 2, 8, 256);
    const std::string head = "P5\n#Created by kelo\n3 2\n255\n";
    EXPECT_EQ(write_ppm_header(pic.get()), static_cast<int>(head.size()));
    uint16_t l0[3] = {0, 128, 255}, l1[3] = {1, 2, 3};
    EXPECT_EQ(write_ppm_line(pic.get(), l0, nullptr, nullptr), 3);
    EXPECT_EQ(write_ppm_line(pic.get(), l1, nullptr, nullptr), 3);
    pic->pic_fp.close();
    EXPECT_EQ(test::read_file(dir.file("a.pgm")), head + bytes_of({0, 128, 255, 1, 2, 3}));
  }
  {
    auto pic = ppm_writer(dir.file("b.pgm"), kKindPGM, 2, 1, 12, 4096);
    const std::string head = "P5\n#Created by kelo\n2 1\n4095\n";
    EXPECT_EQ(write_ppm_header(pic.get()), static_cast<int>(head.size()));
    uint16_t l0[2] = {0x0ABC, 0x0123};
    EXPECT_EQ(write_ppm_line(pic.get(), l0, nullptr, nullptr), 2);
    pic->pic_fp.close();
    EXPECT_EQ(test::read_file(dir.file("b.pgm")), head + bytes_of({0x0A, 0xBC, 0x01, 0x23}));
  }
  {
    // Colour: three low bytes a pixel. The source's range is 10 bits, but a
    // one-byte sample cannot say more than 255: the maximum says 255 and
    // larger values are held at 255.
    auto pic = ppm_writer(dir.file("c.ppm"), kKindPPM, 2, 1, 10, 1024);
    const std::string head = "P6\n#Created by kelo\n2 1\n255\n";
    EXPECT_EQ(write_ppm_header(pic.get()), static_cast<int>(head.size()));
    uint16_t r[2] = {1, 300}, g[2] = {2, 20}, b[2] = {3, 30};
    EXPECT_EQ(write_ppm_line(pic.get(), r, g, b), 6);
    pic->pic_fp.close();
    EXPECT_EQ(test::read_file(dir.file("c.ppm")), head + bytes_of({1, 2, 3, 255, 20, 30}));
  }
  {
    // The kind only the writer uses is a PGM too.
    auto pic = ppm_writer(dir.file("d.pgm"), kKindPGM8, 1, 1, 8, 256);
    EXPECT_GT(write_ppm_header(pic.get()), 0);
    pic->pic_fp.close();
    EXPECT_EQ(test::read_file(dir.file("d.pgm")).substr(0, 3), "P5\n");
  }
  if (std::filesystem::exists("/dev/full")) {
    auto pic = ppm_writer("/dev/full", kKindPGM, 8000, 1, 8, 256);
    std::vector<uint16_t> line(8000, 1);
    int h = write_ppm_header(pic.get());
    int l = write_ppm_line(pic.get(), line.data(), nullptr, nullptr);
    EXPECT_TRUE(h < 0 || l < 0) << "a full disk must be reported";
  }
}

TEST(PpmWrite, OtherProgramsReadOurSamples) {
  const bool have_netpbm = test::have_tool("pamtopnm");
  const bool have_im = test::have_tool("convert");
  const std::string py = test::pillow_python();
  if (!have_netpbm && !have_im && py.empty()) GTEST_SKIP() << "no netpbm, ImageMagick or Pillow";
  test::TempDir dir;
  struct Case {
    int kind, depth, lut_size, max;
    const char* name;
  };
  for (const Case c : {Case{kKindPGM, 8, 256, 255, "g8.pgm"}, Case{kKindPGM, 12, 4096, 4095, "g16.pgm"},
                       Case{kKindPPM, 8, 256, 255, "c8.ppm"}}) {
    SCOPED_TRACE(c.name);
    const int w = 37, h = 11;
    auto pic = ppm_writer(dir.file(c.name), c.kind, w, h, c.depth, c.lut_size);
    ASSERT_GT(write_ppm_header(pic.get()), 0);
    std::vector<long> samples;
    std::vector<uint16_t> r(w), g(w), b(w);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        r[x] = static_cast<uint16_t>((x * 113 + y * 71) % (c.max + 1));
        g[x] = static_cast<uint16_t>((x * 7 + y * 200) % (c.max + 1));
        b[x] = static_cast<uint16_t>((x * y * 3) % (c.max + 1));
        samples.push_back(r[x]);
        if (c.kind == kKindPPM) {
          samples.push_back(g[x]);
          samples.push_back(b[x]);
        }
      }
      ASSERT_GT(write_ppm_line(pic.get(), r.data(), g.data(), b.data()), 0);
    }
    pic->pic_fp.close();
    const std::string path = dir.file(c.name);
    if (have_netpbm) {
      long maxval = 0;
      std::vector<long> got;
      ASSERT_TRUE(netpbm_samples(path, &maxval, &got));
      EXPECT_EQ(maxval, c.max);
      EXPECT_EQ(got, samples);
    }
    if (have_im) {
      // ImageMagick scales every sample to 16 bits: s * 65535 / max.
      std::string raw;
      std::string map = c.kind == kKindPPM ? "rgb" : "gray";
      ASSERT_TRUE(test::run_capture("convert '" + path + "' -depth 16 -endian MSB " + map + ":-", &raw));
      ASSERT_EQ(raw.size(), samples.size() * 2);
      int bad = 0;
      for (size_t i = 0; i < samples.size(); ++i) {
        long v = (static_cast<uint8_t>(raw[2 * i]) << 8) | static_cast<uint8_t>(raw[2 * i + 1]);
        long want = (samples[i] * 65535 + c.max / 2) / c.max;
        if (std::labs(v - want) > 1) ++bad;
      }
      EXPECT_EQ(bad, 0);
    }
    if (!py.empty()) {
      std::string text;
      ASSERT_TRUE(
          test::run_capture(py +
                                " -c \"import sys; from PIL import Image; im=Image.open(sys.argv[1]); "
                                "print(im.size[0], im.size[1], *[v for p in im.getdata() for v in "
                                "(p if isinstance(p, tuple) else (p,))])\" '" +
                                path + "'",
                            &text));
      std::istringstream in(text);
      long pw = 0, ph = 0, v;
      in >> pw >> ph;
      EXPECT_EQ(pw, w);
      EXPECT_EQ(ph, h);
      std::vector<long> got;
      while (in >> v) got.push_back(v);
      if (c.max == 255) {
        EXPECT_EQ(got, samples);
      } else {
        // Pillow widens samples of other maxima to 16 bits, as ImageMagick.
        ASSERT_EQ(got.size(), samples.size());
        int bad = 0;
        for (size_t i = 0; i < samples.size(); ++i) {
          if (std::labs(got[i] - (samples[i] * 65535 + c.max / 2) / c.max) > 1) ++bad;
        }
        EXPECT_EQ(bad, 0);
      }
    }
  }
}

}  // namespace
}  // namespace kelo
