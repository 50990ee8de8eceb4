// HRPT1 recordings: the packer, the line geometry, golden header bytes of
// the three variants, the line count, and the line reader's quality flags.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>
#include <tuple>
#include <vector>

#include "core/files/hrpt1_read.h"
#include "core/files/hrpt1_write.h"
#include "core/files/pack10.h"
#include "hrpt_records.h"
#include "support/kepler_sets.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::Bytes;
using test::HdrBuilder;

// The eight time fields a header stores and the reader keeps (no isdst).
using TmFields = std::array<int, 8>;
TmFields tm_fields(const BrokenTime& t) {
  return {t.tm_sec, t.tm_min, t.tm_hour, t.tm_mday, t.tm_mon, t.tm_year, t.tm_wday, t.tm_yday};
}

std::unique_ptr<PIC_INFO> open_pic(const std::string& path, FileKind kind) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->file_type = kind;
  EXPECT_TRUE(pic->pic_fp.open(path, "rb"));
  return pic;
}

// First difference of two byte strings, for readable failures.
std::string first_diff(const Bytes& got, const Bytes& want) {
  if (got.size() != want.size())
    return "size " + std::to_string(got.size()) + " vs " + std::to_string(want.size());
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i])
      return "offset " + std::to_string(i) + ": " + std::to_string(got[i]) + " vs " + std::to_string(want[i]);
  return "";
}

// ---------------------------------------------------------------- packer
TEST(Pack10, GoldenGroups) {
  // 1023, 0, 512, 3: high bytes FF 00 80 00, low pairs 11 00 00 11.
  const uint16_t a[4] = {1023, 0, 512, 3};
  // 1, 2, 3, 0: only low bits; a reversed pair order would give 0x0E / 0x39.
  const uint16_t b[4] = {1, 2, 3, 0};
  uint8_t out[5];
  pack10(a, 1, out);
  EXPECT_EQ(Bytes(out, out + 5), (Bytes{0xFF, 0x00, 0x80, 0x00, 0xC3}));
  pack10(b, 1, out);
  EXPECT_EQ(Bytes(out, out + 5), (Bytes{0x00, 0x00, 0x00, 0x00, 0x6C}));

  // Unpacking golden bytes, two groups at once.
  const uint8_t in[10] = {0xFF, 0x00, 0x80, 0x00, 0xC3, 0x00, 0x00, 0x00, 0x00, 0x6C};
  uint16_t w[8];
  unpack10(in, 2, w);
  EXPECT_EQ(std::vector<uint16_t>(w, w + 8), (std::vector<uint16_t>{1023, 0, 512, 3, 1, 2, 3, 0}));

  // Bits above the tenth are dropped; each word keeps its own pair.
  const uint16_t c[4] = {0x401, 0x7FF, 0x002, 0xFFFF};
  pack10(c, 1, out);
  EXPECT_EQ(Bytes(out, out + 5), (Bytes{0x00, 0xFF, 0x00, 0xFF, 0x7B}));
}

// ---------------------------------------------------------------- geometry
TEST(Hrpt1Geometry, TableExamples) {
  // Kind, channels present (sync words first), width -> words a line,
  // padded words, bytes a record, header words, tail words, channels.
  struct Case {
    FileKind kind;
    std::array<int, 11> chans;
    int width, words, padded, bytes, hdr, tail, nch;
  };
  const Case cases[] = {
      {kKindHRPT, {1, 1, 1, 1, 1, 1}, 2048, 11090, 11092, 13872, 750, 100, 5},
      {kKindHRPT, {0, 1, 1, 0, 1}, 2048, 6144, 6144, 7687, 0, 0, 3},
      {kKindCHRPT, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, 2048, 22180, 22180, 22180 / 4 * 5 + 7, 1600, 100, 10},
      {kKindSeaStar, {1, 1, 1, 1, 1, 1, 1, 1, 1}, 1288, 11089, 11092, 13872, 685, 100, 8},
      {kKindGIF, {1, 1}, 10, 110, 112, 147, 0, 100, 1},  // other kinds: the tail words only
  };
  for (const Case& c : cases) {
    const FRAME_GEOM g = calc_hrptframeinfo(c.kind, c.chans.data(), c.width);
    EXPECT_EQ(
        std::tuple(g.words_per_line, g.words_padded, g.line_bytes, g.hdr_words, g.tail_words, g.n_channels),
        std::tuple(c.words, c.padded, c.bytes, c.hdr, c.tail, c.nch))
        << file_kind_code(c.kind) << " " << c.width;
  }
}

// ---------------------------------------------------------------- writer golden bytes
// A picture record with every header field set to a known value.
std::unique_ptr<PIC_INFO> known_record(FileKind kind) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->file_type = kind;
  pic->sat_name = "NOAA 19";
  pic->width = 0;  // writer fills in the nominal width
  pic->height = 5400;
  pic->scan_dir = ScanDir::BottomUp;
  pic->x_offset = -3;
  pic->y_offset = 7;
  for (int i = 0; i <= 10; ++i) pic->chan_present[i] = (i == 3 || i == 5 || i == 7) ? 0 : 1;
  // Inclination 1.7: 97.40... degrees, rounds differently with full-precision pi.
  pic->kepler = test::kepler_set(120, 270.5f, 1.7f, 2.9f, 0.0012f, 1.5f, 0.25f, 14.125f, 12345, 0.0001f);
  ORBIT& o = pic->orbit;
  o.use_sattime = true;
  o.start_tm = BrokenTime{};
  o.start_tm.tm_sec = 30;
  o.start_tm.tm_min = 20;
  o.start_tm.tm_hour = 10;
  o.start_tm.tm_mday = 27;
  o.start_tm.tm_mon = 8;
  o.start_tm.tm_year = 120;
  o.start_tm.tm_wday = 0;
  o.start_tm.tm_yday = 270;
  o.start_ms = 500;
  o.start_tm_comp = o.start_tm;
  o.start_tm_comp.tm_sec = 29;
  o.offset_gmt = -1;
  o.offset_sec = 5;
  o.offset_lon = 0.5f;
  return pic;
}

// The fields common to all three variants (offsets 0-134).
void common_expected(HdrBuilder& h, const char* magic) {
  h.str(0, magic);
  h.str(4, "NOAA 19");
  h.u16(24, 5400);
  h.u8(28, 0xFF);  // -1 hour
  h.u8(29, 5);
  h.tm(30, {29, 20, 10, 27, 8, 120, 0, 270, 0});
  h.raw(56, {120, 0, 0, 0});
  h.raw(60, {0x00, 0x40, 0x87, 0x43});  // 270.5
  h.raw(64, {0x17, 0xB7, 0xD1, 0x38});  // 0.0001
  h.raw(68, {0x40, 0xCE, 0xC2, 0x42});  // 1.7 rad * 180 / 3.1415926
  h.raw(72, {0x64, 0x28, 0x26, 0x43});  // 2.9 rad
  h.raw(76, {0x52, 0x49, 0x9D, 0x3A});  // 0.0012
  h.raw(80, {0x29, 0xE3, 0xAB, 0x42});  // 1.5 rad
  h.raw(84, {0xE1, 0x2E, 0x65, 0x41});  // 0.25 rad
  h.raw(88, {0x00, 0x00, 0x62, 0x41});  // 14.125
  h.raw(92, {0x39, 0x30, 0, 0});        // 12345
  h.str(96, "EXT_V004");
  h.u16(104, 16000);
  h.raw(106, {0xFD, 0xFF});
  h.u16(108, 7);
  h.u8(110, 1);
  h.tm(112, {30, 20, 10, 27, 8, 120, 0, 270, 0});
  h.u8(130, 's');
  h.raw(131, {0, 0, 0, 0x3F});  // 0.5 degrees
  h.str(15992, "END_HDR_");
}

Bytes write_header(PIC_INFO* pic, const test::TempDir& dir) {
  const std::string path = dir.file("hdr.hrp");
  EXPECT_TRUE(pic->pic_fp.open(path, "wb"));
  EXPECT_EQ(write_hrpt1_hdr(pic), 0);
  pic->pic_fp.close();
  const std::string s = test::read_file(path);
  return Bytes(s.begin(), s.end());
}

TEST(Hrpt1Writer, GoldenHeaderEachVariant) {
  test::TempDir dir;
  // Kind, magic, nominal width, channels, offset of the calibration
  // maxima, of the presence bytes, of the width and of the scan angle, the
  // angle's float bytes.
  const struct {
    FileKind kind;
    const char* magic;
    unsigned width;
    int nch;
    size_t cal, presence, width_at, angle_at;
    std::array<uint8_t, 4> angle;
  } variants[] = {{kKindHRPT, "HRPT", 2048, 5, 151, 269, 278, 280, {0x9A, 0x99, 0x5D, 0x42}},     // 55.4
                  {kKindSeaStar, "SEAW", 1288, 8, 151, 269, 278, 280, {0x33, 0x33, 0x69, 0x42}},  // 58.3
                  {kKindCHRPT, "CHRP", 2048, 10, 155, 301, 312, 316, {0x9A, 0x99, 0x5D, 0x42}}};
  for (const auto& v : variants) {
    auto pic = known_record(v.kind);
    HdrBuilder h;
    common_expected(h, v.magic);
    h.u16(22, v.width);
    for (int i = 0; i < v.nch; ++i) h.u16(v.cal + 2 * static_cast<size_t>(i), 1023);
    // Channels 3, 5 and 7 absent, as far as the kind has them.
    for (int i = 0; i <= v.nch; ++i)
      h.u8(v.presence + static_cast<size_t>(i), i == 3 || i == 5 || i == 7 ? 0 : 1);
    h.u16(v.width_at, v.width);
    for (size_t k = 0; k < 4; ++k) h.u8(v.angle_at + k, v.angle[k]);
    EXPECT_EQ(first_diff(write_header(pic.get(), dir), h.b), "") << v.magic;
    EXPECT_EQ(pic->width, static_cast<int>(v.width)) << v.magic;
    if (v.kind == kKindHRPT) {
      EXPECT_EQ(pic->frame.words_per_line, 3 * 2048 + 850);
    }
  }
  {
    // Computer time: the picture time goes to offset 30, source 'c'.
    auto pic = known_record(kKindHRPT);
    pic->orbit.use_sattime = false;
    pic->orbit.start_tm_sat = BrokenTime{};
    pic->scan_dir = ScanDir::TopDown;
    pic->height = 70000;          // does not fit the u16: stated as 0, counted on reading
    pic->orbit.offset_gmt = 300;  // beyond a signed byte: the nearest it holds
    pic->orbit.offset_sec = -200;
    const Bytes got = write_header(pic.get(), dir);
    EXPECT_EQ(got[130], 'c');
    EXPECT_EQ(got[30], 30);  // start_tm seconds, not the old computer time
    EXPECT_EQ(got[112], 0);
    EXPECT_EQ(got[110], 0);
    EXPECT_EQ(got[24], 0);
    EXPECT_EQ(got[25], 0);
    EXPECT_EQ(got[28], 0x7F);
    EXPECT_EQ(got[29], 0x80);
  }
}

TEST(Hrpt1Writer, LineRecordsAndFailures) {
  test::TempDir dir;
  auto pic = known_record(kKindHRPT);
  const int ch12[11] = {0, 1, 1};
  for (int i = 0; i <= 10; ++i) pic->chan_present[i] = ch12[i];
  pic->width = 3;  // 6 words: padded to 8, two groups, 10 bytes
  const std::string path = dir.file("lines.hrp");
  ASSERT_TRUE(pic->pic_fp.open(path, "wb"));
  pic->frame = calc_hrptframeinfo(kKindHRPT, pic->chan_present, pic->width);
  ASSERT_EQ(pic->frame.line_bytes, 17);
  const uint16_t w[8] = {1023, 0, 512, 3, 1, 2, 0, 0};
  EXPECT_EQ(write_hrpt1_line(pic.get(), w, 0x0C), 1);
  EXPECT_EQ(write_hrpt1_line(pic.get(), w, 0xE1), 1);
  pic->pic_fp.close();
  const std::string s = test::read_file(path);
  const Bytes want = {'F', 'R', 'A', 'M', 'E', 10, 0, 0xFF, 0x00, 0x80, 0x00, 0xC3, 0, 0, 0, 0, 0x60,
                      'F', 'R', 'A', 'M', 'e', 10, 0, 0xFF, 0x00, 0x80, 0x00, 0xC3, 0, 0, 0, 0, 0x60};
  EXPECT_EQ(first_diff(Bytes(s.begin(), s.end()), want), "");

  // No file.
  auto none = known_record(kKindHRPT);
  EXPECT_EQ(write_hrpt1_hdr(none.get()), 1);
  EXPECT_EQ(write_hrpt1_line(none.get(), w, 0x0C), 0);
  EXPECT_EQ(write_hrpt1hdr_file(nullptr, nullptr), 1);

  // A full disk is reported, not passed off as a written recording.
  auto full = known_record(kKindHRPT);
  if (full->pic_fp.open("/dev/full", "wb")) {
    std::setvbuf(full->pic_fp.get(), nullptr, _IONBF, 0);
    EXPECT_EQ(write_hrpt1_hdr(full.get()), 1);
    std::vector<uint16_t> line(static_cast<size_t>(full->frame.words_padded), 0);
    EXPECT_EQ(write_hrpt1_line(full.get(), line.data(), 0x0C), 0);
  }
}

// ---------------------------------------------------------------- reader
TEST(Hrpt1Reader, HandBuiltHeaderFields) {
  test::TempDir dir;
  HdrBuilder h;
  h.str(0, "HRPT");
  h.str(4, "ABCDEFGHIJKLMNOP");  // 16 characters, no terminator
  h.u16(22, 2048);
  h.u16(24, 0);
  h.u8(28, 2);
  h.u8(29, 0xFE);  // -2 seconds
  h.tm(30, {1, 2, 3, 4, 5, 99, 6, 123, 0});
  h.raw(56, {99, 0, 0, 0});
  h.raw(60, {0x00, 0x40, 0x87, 0x43});  // 270.5
  h.raw(68, {0x00, 0x00, 0xB4, 0x42});  // 90 degrees
  h.raw(72, {0x00, 0x00, 0x34, 0x43});  // 180 degrees
  h.raw(88, {0x00, 0x00, 0x64, 0x41});  // 14.25 rev/day
  h.raw(92, {0x10, 0x27, 0, 0});        // 10000
  h.str(96, "EXT_V004");
  h.raw(106, {0xF6, 0xFF});  // -10
  h.u16(108, 20);
  h.u8(110, 1);
  h.tm(112, {61, 70, 25, 40, 12, 250, 0, 0, 0});  // all out of range: reset
  h.u8(130, 's');
  h.raw(131, {0, 0, 0x80, 0xBF});  // -1.0
  h.raw(269, {1, 1, 1, 1, 1, 1});
  // Ten complete line records and half of the eleventh.
  const int line_bytes = 13872;
  std::string file = h.str() + std::string(10 * line_bytes + line_bytes / 2, '\0');
  const std::string path = dir.write("a.hrp", file);

  auto pic = open_pic(path, kKindHRPT);
  pic->orbit.start_ms_sat = 250;  // kept: the header carries no milliseconds
  ASSERT_EQ(read_hrpt1_hdr(pic.get()), 0);
  EXPECT_EQ(std::tuple(pic->width, pic->height, pic->depth, pic->lut_size, pic->lut[2][1023], pic->sat_kind,
                       pic->lines_per_sec, pic->pixels_per_chan, pic->data_offset, pic->frame.line_bytes),
            std::tuple(2048, 10, 10, 1024, 1023, SatKind::NOAA, 6, 2048, 16007, line_bytes));
  EXPECT_EQ(std::tuple(pic->orientation, pic->scan_dir, pic->x_offset, pic->y_offset),
            std::tuple(Orientation::FromSouth, ScanDir::BottomUp, -10, 20));
  EXPECT_EQ(pic->sat_name, "ABCDEFGHIJKLMNOP");
  EXPECT_FLOAT_EQ(pic->scan_angle, 55.4f);
  // Degrees to radians with 3.1415926: 90 -> 1.5707962513, not 1.5707963705.
  const KEPLER& k = pic->kepler;
  EXPECT_EQ(std::tuple(k.epoch_year, k.epoch_day, k.inclination, k.raan, k.motion, k.revnum),
            std::tuple(99, 270.5f, 1.570796251296997f, 3.141592502593994f, 14.25f, 10000));
  const ORBIT& o = pic->orbit;
  EXPECT_EQ(std::tuple(o.offset_gmt, o.offset_sec, o.offset_lon, o.use_sattime, o.start_ms, o.valid),
            std::tuple(2, -2, -1.0f, 1, 250, 1));
  EXPECT_NEAR(o.period, 86400.0 / 14.25, 0.01);  // orbit constants derived from the elements
  // Computer time read (weekday ignored); the satellite time, all out of
  // range, reset by check_tm (day of month 0 after the month was reset).
  EXPECT_EQ(tm_fields(o.start_tm_comp), (TmFields{1, 2, 3, 4, 5, 99, 0, 123}));
  EXPECT_EQ(tm_fields(o.start_tm_sat), (TmFields{0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(tm_fields(o.start_tm), tm_fields(o.start_tm_sat));

  // Computer time source: start_ms 0, start_tm from offset 30.
  h.u8(130, 'c');
  h.u8(110, 0);
  h.u16(24, 4);
  const std::string path2 = dir.write("b.hrp", h.str() + std::string(10 * line_bytes, '\0'));
  auto pic2 = open_pic(path2, kKindHRPT);
  ASSERT_EQ(read_hrpt1_hdr(pic2.get()), 0);
  // Stated count kept; picture time from the computer clock.
  EXPECT_EQ(std::tuple(pic2->height, pic2->orbit.use_sattime, pic2->orbit.start_ms,
                       pic2->orbit.start_tm.tm_hour, pic2->orientation, pic2->scan_dir),
            std::tuple(4, 0, 0, 3, Orientation::Normal, ScanDir::TopDown));
}

TEST(Hrpt1Reader, VersionThreeMaskAndVariants) {
  test::TempDir dir;
  HdrBuilder h;
  h.str(0, "HRPT");
  h.u8(20, 0x62);  // sync words, channels 1 and 2
  h.u16(22, 2048);
  h.str(96, "EXT_V003");
  h.raw(269, {0, 1, 1, 1, 1, 1});  // ignored in version 3
  const std::string path = dir.write("v3.hrp", h.str());
  auto pic = open_pic(path, kKindHRPT);
  ASSERT_EQ(read_hrpt1_hdr(pic.get()), 0);
  EXPECT_EQ(std::vector<int>(pic->chan_present, pic->chan_present + 11),
            (std::vector<int>{1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(pic->frame.words_per_line, 2 * 2048 + 850);
  EXPECT_EQ(pic->height, 0);
  // Channels 2, 4 and 5 without sync words: 0x20 | 0x08 | 0x04.
  h.u8(20, 0x2C);
  auto v3b = open_pic(dir.write("v3b.hrp", h.str()), kKindHRPT);
  ASSERT_EQ(read_hrpt1_hdr(v3b.get()), 0);
  EXPECT_EQ(std::vector<int>(v3b->chan_present, v3b->chan_present + 11),
            (std::vector<int>{0, 0, 1, 0, 1, 1, 0, 0, 0, 0, 0}));

  // SEAW: nine presence bytes, 1288 nominal pixels, family 3.
  HdrBuilder s;
  s.str(0, "SEAW");
  s.u16(22, 1288);
  s.str(96, "EXT_V004");
  s.raw(269, {0, 0, 0, 0, 0, 0, 0, 0, 1, 1});  // the tenth byte is no SEAW channel
  auto seaw = open_pic(dir.write("s.hrp", s.str()), kKindSeaStar);
  ASSERT_EQ(read_hrpt1_hdr(seaw.get()), 0);
  EXPECT_EQ(std::tuple(seaw->chan_present[8], seaw->chan_present[9], seaw->frame.n_channels,
                       seaw->pixels_per_chan, seaw->sat_kind),
            std::tuple(1, 0, 1, 1288, SatKind::SeaWiFS));

  // CHRPT: presence at 301; a version-3 tag means nothing here.
  HdrBuilder c;
  c.str(0, "CHRP");
  c.u16(22, 2048);
  c.str(96, "EXT_V003");
  c.u8(20, 0x7E);
  c.raw(301, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
  auto ch = open_pic(dir.write("c.hrp", c.str()), kKindCHRPT);
  ASSERT_EQ(read_hrpt1_hdr(ch.get()), 0);
  EXPECT_EQ(std::tuple(ch->chan_present[0], ch->chan_present[1], ch->chan_present[10], ch->frame.hdr_words,
                       ch->sat_kind),
            std::tuple(1, 0, 1, 1600, SatKind::FengYun));
}

TEST(Hrpt1Reader, DamagedHeadersRefused) {
  test::TempDir dir;
  HdrBuilder good;
  good.str(0, "HRPT");
  good.u16(22, 2048);
  good.raw(269, {0, 1});
  // Short of a full header.
  auto a = open_pic(dir.write("short.hrp", good.str().substr(0, 15999)), kKindHRPT);
  EXPECT_EQ(read_hrpt1_hdr(a.get()), 'r');
  // Not a polar kind.
  auto b = open_pic(dir.write("ok.hrp", good.str()), kKindGIF);
  EXPECT_EQ(read_hrpt1_hdr(b.get()), 'r');
  // No channel at all (only the sync words), zero width, absurd width.
  for (auto [presence, width] : {std::pair{uint8_t{1}, 2048u}, {uint8_t{0}, 0u}, {uint8_t{0}, 65535u}}) {
    HdrBuilder h = good;
    h.raw(269, {presence, static_cast<uint8_t>(presence == 0 ? 1 : 0)});
    h.u16(22, width);
    auto c = open_pic(dir.write("bad.hrp", h.str()), kKindHRPT);
    EXPECT_EQ(read_hrpt1_hdr(c.get()), 'r') << width;
  }
  // No file at all.
  auto f = std::make_unique<PIC_INFO>();
  f->file_type = kKindHRPT;
  EXPECT_EQ(read_hrpt1_hdr(f.get()), 'r');
  EXPECT_EQ(read_hrpt1hdr_file(nullptr), nullptr);

  // Width 65535 with every channel, an infinite mean motion: refused.
  auto bad = open_pic(KELO_TEST_DATA "/bad/hrpt1_absurd_width.hrp", kKindHRPT);
  EXPECT_EQ(read_hrpt1_hdr(bad.get()), 'r');

  // A stated line count beyond the file: the lines that are there.
  HdrBuilder many = good;
  many.u16(24, 500);
  const int lb = 2048 / 4 * 5 + 7;
  auto g = open_pic(dir.write("many.hrp", many.str() + std::string(3 * lb, '\0')), kKindHRPT);
  ASSERT_EQ(read_hrpt1_hdr(g.get()), 0);
  EXPECT_EQ(g->height, 3);
  EXPECT_EQ(hrpt_lines_in_file(g.get()), 3);
}

// ---------------------------------------------------------------- lines
TEST(Hrpt1Reader, QualityFlagsAndSkipping) {
  test::TempDir dir;
  // Lines 0 2 3 4 good, line 1 without sync; word 6 carries the line
  // number, the last tail word is in a group of its own.
  const std::string path = dir.write("q.hrp", test::four_pixel_recording(5, true, [](size_t n, auto& w) {
                                       if (n == 1) std::iota(w.begin(), w.begin() + 6, uint16_t{0});
                                       w[6] = static_cast<uint16_t>(n);
                                       w[853] = 1000;
                                     }));
  auto pic = open_pic(path, kKindHRPT);
  ASSERT_EQ(read_hrpt1_hdr(pic.get()), 0);
  ASSERT_EQ(pic->frame.line_bytes, 1077);
  EXPECT_EQ(pic->height, 5);
  std::vector<uint16_t> w(856 + 4, 0xBEEF);

  EXPECT_EQ(read_hrpt1_line(pic.get(), nullptr, 0, w.data()), 0x0D);  // next line lacks sync
  EXPECT_EQ(w[6], 0);
  EXPECT_EQ(w[853], 1000);    // last word of a line not a multiple of four
  EXPECT_EQ(w[854], 0xBEEF);  // nothing written past words_per_line
  // Lines -1..5 in file order: line 4 is the last record, read with its
  // own sync and nothing said about a next line.
  const int plain[] = {0, 0x0D, 0xE1, 0xED, 0xED, 0x0D, 0};
  for (int n = -1; n <= 5; ++n)
    EXPECT_EQ(read_hrpt1_line(pic.get(), nullptr, n, w.data()), plain[n + 1]) << n;

  // Skipping: pass direction, skip mask, skip switch, line asked for ->
  // flags and the line actually read (word 6).
  struct Case {
    ScanDir dir;
    int mask, skip, line, flags, got;
  };
  const Case cases[] = {
      {ScanDir::TopDown, 0x0C, 1, 1, 0xED, 2},   // north to south: on to line 2
      {ScanDir::BottomUp, 0x0C, 1, 1, 0x0D, 0},  // south to north: back to line 0
      {ScanDir::BottomUp, 0x0C, 1, 0, 0x0D, 0},  // line 0 of a south-to-north pass is a line like any other
      {ScanDir::BottomUp, 0xE0, 1, 0, 0, -1},    // no line before 0
      {ScanDir::TopDown, 0xE0, 1, 0, 0xE1, 1},   //
      {ScanDir::TopDown, 0xE0, 0, 0, 0x0D, 0},   // switch off: the line itself
  };
  auto view = std::make_unique<VIEW_INFO>();
  for (const Case& c : cases) {
    view->scan_dir = c.dir;
    view->skip_mask = c.mask;
    view->skip_faulty = c.skip;
    w[6] = 0xFFFF;
    EXPECT_EQ(read_hrpt1_line(pic.get(), view.get(), c.line, w.data()), c.flags)
        << static_cast<int>(c.dir) << " " << c.line;
    if (c.got >= 0) {
      EXPECT_EQ(w[6], c.got) << static_cast<int>(c.dir) << " " << c.line;
    }
  }
}

TEST(Hrpt1Reader, MarkersWithoutSyncWords) {
  test::TempDir dir;
  const std::string path = dir.write("m.hrp", test::four_pixel_recording(4, false,
                                                                         [](size_t n, auto& w) {
                                                                           w[0] = static_cast<uint16_t>(n);
                                                                           w[3] = 777;
                                                                         },
                                                                         {'E', 'e', 'E', 'E'}));
  auto pic = open_pic(path, kKindHRPT);
  ASSERT_EQ(read_hrpt1_hdr(pic.get()), 0);
  ASSERT_EQ(pic->frame.line_bytes, 12);
  std::vector<uint16_t> w(8, 0xBEEF);
  EXPECT_EQ(read_hrpt1_line(pic.get(), nullptr, 0, w.data()), 0x0D);
  EXPECT_EQ(w[0], 0);
  EXPECT_EQ(w[3], 777);
  EXPECT_EQ(read_hrpt1_line(pic.get(), nullptr, 1, w.data()), 0xE1);
  EXPECT_EQ(w[0], 1);
  EXPECT_EQ(read_hrpt1_line(pic.get(), nullptr, 2, w.data()), 0xED);
  EXPECT_EQ(read_hrpt1_line(pic.get(), nullptr, 3, w.data()), 0x0D);  // the last record: its own marker only
  EXPECT_EQ(read_hrpt1_line(pic.get(), nullptr, 4, w.data()), 0);
  auto view = std::make_unique<VIEW_INFO>();
  view->skip_faulty = true;
  view->skip_mask = 0x0C;
  EXPECT_EQ(read_hrpt1_line(pic.get(), view.get(), 1, w.data()), 0xED);
  EXPECT_EQ(w[0], 2);

  // read_qwords at the first record's words.
  std::fseek(pic->pic_fp.get(), 16007 + 12, SEEK_SET);
  uint16_t q[4] = {};
  EXPECT_EQ(read_qwords(pic->pic_fp.get(), q, 1), 1);
  EXPECT_EQ(q[0], 1);
  EXPECT_EQ(q[3], 777);
  std::fseek(pic->pic_fp.get(), -3, SEEK_END);
  EXPECT_EQ(read_qwords(pic->pic_fp.get(), nullptr, 1), 0);
}

}  // namespace
}  // namespace kelo
