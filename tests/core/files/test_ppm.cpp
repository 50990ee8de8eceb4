// PGM/PPM: header facts and samples of hand-written files, every sample of
// the real corpus against netpbm's own reading, damaged files, and the bytes
// of what we write.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/files/gif_support.h"
#include "core/files/ppm.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::bytes_of;
using test::Ints;
using test::ints;
using test::pic_on;
using test::shared_path;
using test::shared_present;

struct Pnm {
  test::TempDir dir;
  std::unique_ptr<PIC_INFO> pic;
  int rc;
  explicit Pnm(const std::string& bytes)
      : pic(pic_on(dir.write("t.pnm", bytes))), rc(read_ppm_header(pic.get())) {}
  // The count read_ppm_line gives, then the first n samples of r, g and b.
  Ints line(int y, int n, bool colour = true) {
    uint16_t r[4] = {9, 9, 9, 9}, g[4] = {9, 9, 9, 9}, b[4] = {9, 9, 9, 9};
    Ints out{read_ppm_line(pic.get(), y, r, colour ? g : nullptr, colour ? b : nullptr)};
    for (uint16_t* s : {r, g, b}) {
      if (s == r || colour) out.insert(out.end(), s, s + n);
    }
    return out;
  }
};

TEST(PpmRead, HeaderFactsAndSamplesOfHandWrittenFiles) {
  const std::string head = "P5\n#Created by kelo\n640 480\n255\n";
  Pnm own(head + std::string(640 * 480, '\x07'));
  ASSERT_EQ(own.rc, 0);
  const PIC_INFO& p = *own.pic;
  EXPECT_EQ(p.sat_name, "Created by kelo");
  EXPECT_EQ(ints(p.width, p.height, p.depth, p.lut_size, p.frame.words_padded, p.frame.line_bytes,
                 p.frame.hdr_words, p.frame.n_channels, p.chan_present[1], p.chan_present[2], p.data_offset,
                 p.orientation, p.scan_dir, p.lut[1][200], p.lut[2][255]),
            ints(640, 480, 8, 256, 640, 640, 0, 1, 1, 0, static_cast<long long>(head.size()),
                 Orientation::Normal, ScanDir::TopDown, 200, 255));

  Pnm c("P6\n# first\n# second\n3 1\n255\n" + bytes_of({1, 2, 3, 4, 5, 6, 7, 8, 9}));
  ASSERT_EQ(c.rc, 0);
  EXPECT_EQ(c.pic->sat_name, " second");
  EXPECT_EQ(ints(c.pic->frame.words_padded, c.pic->frame.line_bytes), ints(9, 9));
  EXPECT_EQ(c.line(0, 3), ints(3, 1, 4, 7, 2, 5, 8, 3, 6, 9));
  // A comment keeps its first 39 characters.
  Pnm n("P5\n#" + std::string(50, 'n') + "\n1 1\n255\n\x01");
  EXPECT_EQ(n.pic->sat_name, std::string(39, 'n'));
}

TEST(PpmRead, SamplesAboveEightBitsAreTwoBytesMostSignificantFirst) {
  // Maximum 4095: depth 12; 0x0FFF reads 4095, 0x1234 is beyond the maximum
  // and reads 4095 too; grey goes to all three outputs.
  Pnm a("P5\n3 2\n4095\n" + bytes_of({0x0F, 0xFF, 0x12, 0x34, 0x01, 0x02, 0, 9, 0, 0, 0, 0}));
  ASSERT_EQ(a.rc, 0);
  EXPECT_EQ(ints(a.pic->depth, a.pic->lut_size, a.pic->frame.line_bytes), ints(12, 4096, 6));
  EXPECT_EQ(a.line(0, 3), ints(3, 4095, 4095, 0x102, 4095, 4095, 0x102, 4095, 4095, 0x102));
  EXPECT_EQ(a.line(1, 1, false), ints(3, 9));
  // Maximum 1023: depth 10, lut_size 1024.
  Pnm b("P5\n1 1\n1023\n" + bytes_of({0x03, 0xFF}));
  EXPECT_EQ(ints(b.rc, b.pic->depth, b.pic->lut_size), ints(0, 10, 1024));
  // Maximum 65535: lut_size 4096, depth 12, and the samples keep their top twelve bits.
  Pnm c("P5\n2 1\n65535\n" + bytes_of({0x12, 0x34, 0xFF, 0xFF}));
  EXPECT_EQ(ints(c.rc, c.pic->depth, c.pic->lut_size), ints(0, 12, 4096));
  EXPECT_EQ(c.line(0, 2, false), ints(2, 0x123, 4095));
  // Colour with two-byte samples.
  Pnm d("P6\n1 1\n1000\n" + bytes_of({0x03, 0xE8, 0x00, 0x01, 0x02, 0x00}));
  EXPECT_EQ(ints(d.rc, d.pic->frame.line_bytes), ints(0, 6));
  EXPECT_EQ(d.line(0, 1), ints(1, 1000, 1, 512));
}

TEST(PpmRead, HeaderResultCodes) {
  const std::string line99 = "640 480" + std::string(92, ' ');  // a size line of 99 characters is fine
  const auto rc_of = [](const std::string& b) { return Pnm(b).rc; };
  for (std::string b : {"P4\n1 1\n", "GIF89a", "P"}) EXPECT_EQ(rc_of(b), kPpmBadMagic) << b;
  for (std::string b : {"P5\n#no end", "P5\n640 480\n"}) EXPECT_EQ(rc_of(b), kPpmEof) << b;
  for (std::string b : {"P5\nabc\n", "P5\n640 480\nmax\n", "P5\n640 480\n0\n", "P5\n640 480\n65536\n",
                        "P5\n99999999999 1\n255\n"}) {
    EXPECT_EQ(rc_of(b), kPpmNoWidth) << b;
  }
  for (std::string b : {"P5\n640 x\n255\n", "P5\n640 -480\n255\n"}) EXPECT_EQ(rc_of(b), kPpmNoHeight) << b;
  EXPECT_EQ(rc_of("P5\n" + line99 + "\n255\n"), 0);
  EXPECT_EQ(rc_of("P5\n" + line99 + " \n255\n"), kPpmLongLine);  // 100 are too many
  EXPECT_EQ(rc_of("P5\n6" + std::string(99, '0') + "\n1\n255\n"), kPpmLongLine);
}

TEST(PpmRead, OtherLayoutsLineEndsAndShortFiles) {
  // Everything on one line, one blank before the samples; size and maximum
  // on one line with a sample byte that looks like a newline; CR LF line
  // ends: the samples start after the LF.
  EXPECT_EQ(Pnm("P5 2 1 255 " + bytes_of({10, 13})).line(0, 2, false), ints(2, 10, 13));
  EXPECT_EQ(Pnm("P5\n2 1 255\n" + bytes_of({'\n', 7})).line(0, 2, false), ints(2, 10, 7));
  EXPECT_EQ(Pnm("P5\r\n2 1\r\n255\r\n" + bytes_of({3, 4})).line(0, 2, false), ints(2, 3, 4));

  // A short file yields fewer samples and zeros.
  Pnm s("P5\n4 2\n255\n" + bytes_of({1, 2, 3, 4, 5}));
  EXPECT_EQ(s.line(1, 4), ints(1, 5, 0, 0, 0, 5, 0, 0, 0, 5, 0, 0, 0));
  EXPECT_EQ(s.line(2, 0)[0], 0);
  EXPECT_EQ(s.line(-1, 0)[0], 0);
  // Colour: the count is of whole pixels, so a short line is never taken
  // for a full one (two pixels and one sample of a four-pixel line).
  Pnm c("P6\n4 1\n255\n" + bytes_of({1, 2, 3, 4, 5, 6, 7}));
  EXPECT_EQ(c.line(0, 4), ints(2, 1, 4, 0, 0, 2, 5, 0, 0, 3, 6, 0, 0));
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
  for (long v; in >> v;) values->push_back(v);
  return true;
}

TEST(PpmRead, RealFilesGiveNetpbmsSamples) {
  if (!shared_present("pnm")) GTEST_SKIP() << "corpus missing";
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
      const int per = bytes[1] == '6' ? 3 : 1;
      ASSERT_EQ(expect.size(), static_cast<size_t>(pic->width) * pic->height * per);
      int shift = 0;
      while ((maxval >> shift) > 4095) ++shift;
      std::vector<uint16_t> r(pic->width), g(pic->width), b(pic->width);
      const uint16_t* got[3] = {r.data(), g.data(), b.data()};
      int bad = 0;
      for (int y = 0; y < pic->height; ++y) {
        ASSERT_EQ(read_ppm_line(pic.get(), y, r.data(), g.data(), b.data()), pic->width);
        for (int x = 0; x < pic->width; ++x) {
          for (int k = 0; k < 3; ++k) {
            size_t at = (static_cast<size_t>(y) * pic->width + x) * per + (per == 3 ? k : 0);
            if (got[k][x] != std::min(4095L, expect[at] >> shift)) ++bad;
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
  if (!shared_present("pnm/broken")) GTEST_SKIP() << "corpus missing";
  for (const auto& e : std::filesystem::directory_iterator(shared_path("pnm/broken"))) {
    SCOPED_TRACE(e.path().filename().string());
    auto pic = pic_on(e.path().string());
    int r = read_ppm_header(pic.get());
    ASSERT_TRUE(r >= 0 && r <= 5) << r;
    if (r != 0) continue;
    std::vector<uint16_t> a(pic->width), b(pic->width), c(pic->width);
    for (int y = 0; y < pic->height; ++y) {
      ASSERT_GE(read_ppm_line(pic.get(), y, a.data(), b.data(), c.data()), 0);
      for (int x = 0; x < pic->width; ++x) ASSERT_LT(a[x], 4096);
    }
  }
  // A negative size is refused.
  EXPECT_NE(read_ppm_header(pic_on(shared_path("pnm/broken/pillow-negative_size.ppm")).get()), 0);
  // The CR LF copy of feep reads exactly like feep: its samples start after
  // the LF of the maximum's line.
  auto crlf = pic_on(shared_path("pnm/broken/ppmsharp-P5-15-feep_crlf.pgm"));
  auto lf = pic_on(shared_path("pnm/ppmsharp/P5-15-feep.pgm"));
  ASSERT_EQ(read_ppm_header(crlf.get()) + read_ppm_header(lf.get()), 0);
  ASSERT_EQ(ints(crlf->width, crlf->height), ints(24, 7));
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

TEST(PpmWrite, ByteExactFiles) {
  test::TempDir dir;
  // Writes the lines (r, g and b hold all lines one after the other) and
  // compares the file with the header of size line `size` and the samples.
  auto check = [&](const char* name, FileKind kind, int w, int depth, int lut_size, std::vector<uint16_t> r,
                   std::vector<uint16_t> g, std::vector<uint16_t> b, int line_rc, const std::string& size,
                   const std::string& samples) {
    SCOPED_TRACE(name);
    const int h = static_cast<int>(r.size()) / w;
    auto pic = test::pic_writing(dir.file(name), kind, w, h, depth, lut_size);
    const std::string head = std::string(kind == kKindPPM ? "P6" : "P5") + "\n#Created by kelo\n" + size;
    EXPECT_EQ(write_ppm_header(pic.get()), static_cast<int>(head.size()));
    for (int y = 0; y < h; ++y) {
      EXPECT_EQ(write_ppm_line(pic.get(), r.data() + y * w, g.empty() ? nullptr : g.data(),
                               b.empty() ? nullptr : b.data()),
                line_rc);
    }
    pic->pic_fp.close();
    EXPECT_EQ(test::read_file(dir.file(name)), head + samples);
  };
  check("a.pgm", kKindPGM, 3, 8, 256, {0, 128, 255, 1, 2, 3}, {}, {}, 3, "3 2\n255\n",
        bytes_of({0, 128, 255, 1, 2, 3}));
  check("b.pgm", kKindPGM, 2, 12, 4096, {0x0ABC, 0x0123}, {}, {}, 2, "2 1\n4095\n",
        bytes_of({0x0A, 0xBC, 1, 0x23}));
  // Colour: three low bytes a pixel. The source's range is 10 bits, but a
  // one-byte sample cannot say more than 255: the maximum says 255 and
  // larger values are held at 255.
  check("c.ppm", kKindPPM, 2, 10, 1024, {1, 300}, {2, 20}, {3, 30}, 6, "2 1\n255\n",
        bytes_of({1, 2, 3, 255, 20, 30}));
  // The kind only the writer uses is a PGM too.
  check("d.pgm", kKindPGM8, 1, 8, 256, {5}, {}, {}, 1, "1 1\n255\n", bytes_of({5}));
  if (std::filesystem::exists("/dev/full")) {
    auto pic = test::pic_writing("/dev/full", kKindPGM, 8000, 1, 8, 256);
    std::vector<uint16_t> line(8000, 1);
    int h = write_ppm_header(pic.get());
    int l = write_ppm_line(pic.get(), line.data(), nullptr, nullptr);
    EXPECT_TRUE(h < 0 || l < 0) << "a full disk must be reported";
  }
}

}  // namespace
}  // namespace kelo
