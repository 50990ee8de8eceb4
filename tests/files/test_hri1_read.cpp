// HRI1 recordings: frame quality, picture detection, opening, line assembly
// and the writer, on frame streams built in the tests.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/records.h"
#include "files/file.h"
#include "files/hri1_read.h"
#include "files/hri1_write.h"
#include "files/hri_functions.h"
#include "hri_stream.h"
#include "support/temp_dir.h"
#include "view/data_proc.h"

namespace kelo {
namespace {

using test::Flags;
using test::HriFrame;
using test::HriStream;
using test::kHigh;
using test::kLow;

constexpr int kHeaderFrames = 6;
constexpr int kFile = kHriHeaderBytes;
constexpr int kRec = kHriRecordBytes;

// Header frames of METEOSAT 7, 1 February 2003 12:30, then `segs` segments
// of a format-4 picture alternating channel 1 (even) and channel 2 (odd);
// the frame counter rises by one per segment, from 2.
HriStream two_channel_stream(int segs, bool header = true) {
  HriStream s;
  if (header) {
    for (int i = 0; i < kHeaderFrames; ++i) s.add(test::header_frame(kLow, 4, 0xD4F7, 2003, 32, 1230));
  }
  for (int k = 0; k < segs; ++k) {
    const Flags flags = k % 2 == 0 ? Flags{0xFF, 0, 0, 0} : Flags{0, 0xFF, 0, 0};
    s.add_segment(4, kLow, 2 + segs, 2 + k, flags, k);
  }
  return s;
}

// Record number of frame `f` of segment `seg` in two_channel_stream.
int record_of(int seg, int f, int format = 4, int header = kHeaderFrames) {
  return header + seg * format + f;
}

struct Opened {
  std::unique_ptr<PIC_INFO> pic = std::make_unique<PIC_INFO>();
  std::unique_ptr<VIEW_INFO> view = std::make_unique<VIEW_INFO>();
  int rc = -1;
};

Opened open_hri(const std::string& path) {
  Opened o;
  o.pic->file_type = kKindHRI;
  if (!o.pic->pic_fp.open(path, "rb")) return o;
  o.rc = read_hri1_hdr(o.pic.get());
  return o;
}

void show_channel(Opened& o, int ch) {
  for (int& c : o.view->chan_sel) c = 0;
  o.view->chan_sel[ch] = 1;
  hri_channelselect(o.pic.get(), o.view.get());
}

struct Line {
  int q = 0;
  std::vector<uint16_t> values;
  std::vector<uint8_t> grid;
};

Line read_line(Opened& o, int n) {
  Line l;
  l.values.assign(static_cast<size_t>(std::max(o.pic->frame.words_padded, 1)), 0xBEEF);
  l.grid.assign(kHriGridBytes, 0xEE);
  l.q = read_hri1_line(o.pic.get(), o.view.get(), n, l.values.data(), l.grid.data());
  return l;
}

// Pixels [0, len) of `values` starting at `at` hold segment `seg`'s pattern.
::testing::AssertionResult holds_segment(const std::vector<uint16_t>& values, size_t at, int seg, int len) {
  for (int i = 0; i < len; ++i) {
    if (values[at + static_cast<size_t>(i)] != test::pixel_value(seg, i)) {
      return ::testing::AssertionFailure()
             << "pixel " << i << " is " << values[at + static_cast<size_t>(i)] << ", segment " << seg
             << " has " << int{test::pixel_value(seg, i)};
    }
  }
  return ::testing::AssertionSuccess();
}

::testing::AssertionResult holds_grid(const std::vector<uint8_t>& grid, size_t at, int seg, int len) {
  for (int j = 0; j < len; ++j) {
    if (grid[at + static_cast<size_t>(j)] != test::grid_value(seg, j)) {
      return ::testing::AssertionFailure() << "grid byte " << j << " of segment " << seg;
    }
  }
  return ::testing::AssertionSuccess();
}

void spoil_sync(HriFrame& f) {
  f[0] = 0;
  f[1] = 0;
  f[2] = 0;
}

TEST(HriWriter, HeaderAndFrameRecordBytes) {
  test::TempDir dir;
  RECORD_INFO rec{};
  EXPECT_EQ(write_hri1_hdr(&rec), 0);  // no file open
  uint16_t words[kHriFrameBytes];
  for (int i = 0; i < kHriFrameBytes; ++i) words[i] = static_cast<uint16_t>(0x1200 + i);
  EXPECT_EQ(write_hri1_line(&rec, words), 0);

  const std::string path = dir.file("a.hri");
  ASSERT_TRUE(rec.rec_fp.open(path, "wb"));
  rec.frame.line_bytes = 364;
  EXPECT_EQ(write_hri1_hdr(&rec), 1);
  EXPECT_EQ(write_hri1_line(&rec, words), 1);
  ASSERT_TRUE(rec.rec_fp.close_checked());

  const std::string got = test::read_file(path);
  ASSERT_EQ(got.size(), 34u + 371u);
  EXPECT_EQ(got.substr(0, 4), "PDUS");
  EXPECT_EQ(got.substr(4, 30), std::string(30, '\0'));
  EXPECT_EQ(got.substr(34, 5), "FRAME");
  EXPECT_EQ(static_cast<uint8_t>(got[39]), 0x6C);  // 364, little-endian
  EXPECT_EQ(static_cast<uint8_t>(got[40]), 0x01);
  for (int i = 0; i < kHriFrameBytes; ++i) {
    ASSERT_EQ(static_cast<uint8_t>(got[41 + i]), static_cast<uint8_t>(i & 0xFF)) << i;  // low byte only
  }
}

TEST(HriWriter, FullDiskIsReported) {
  RECORD_INFO rec{};
  ASSERT_TRUE(rec.rec_fp.open("/dev/full", "wb"));
  std::setvbuf(rec.rec_fp.get(), nullptr, _IONBF, 0);
  uint16_t words[kHriFrameBytes] = {};
  EXPECT_EQ(write_hri1_hdr(&rec), 0);
  EXPECT_EQ(write_hri1_line(&rec, words), 0);
}

TEST(HriWriter, WrittenStreamMatchesTheRecordLayout) {
  // The writer stores exactly the layout composed by hand in the builder.
  test::TempDir dir;
  const HriStream s = two_channel_stream(3);
  const std::string path = dir.file("w.hri");
  ASSERT_TRUE(s.write_with_writer(path));
  EXPECT_EQ(test::read_file(path), s.bytes());
}

TEST(HriFrameQuality, SyncMarkerLookAheadAndFlagCleaning) {
  HriStream s;
  s.add(test::first_frame(kLow, 4, 100, 5, Flags{0x3C, 0x7F, 0x0E, 0xE1}));  // record 0
  HriFrame one_of_three = test::continuation_frame(kLow, 1);                 // record 1
  one_of_three[1] = 0x00;
  one_of_three[2] = 0x00;
  for (int i = 17; i <= 20; ++i) one_of_three[i] = 0x3C;  // not a first frame: left alone
  s.add(one_of_three);
  HriFrame broken = test::continuation_frame(kLow, 2);  // record 2: no marker, no sync
  spoil_sync(broken);
  s.add(broken);
  s.bad_marker.back() = true;
  s.add(test::continuation_frame(kLow, 3));  // record 3
  s.add(test::continuation_frame(kLow, 0));  // record 4, cut short below
  std::string bytes = s.bytes();
  bytes.resize(bytes.size() - 264);

  test::TempDir dir;
  const std::string path = dir.write("q.hri", bytes);
  FILE* fp = std::fopen(path.c_str(), "rb");
  ASSERT_NE(fp, nullptr);
  ASSERT_EQ(std::fseek(fp, kFile, SEEK_SET), 0);
  uint8_t f[kHriFrameBytes];

  EXPECT_EQ(read_hri1_frame(f, fp), 0xFF);
  EXPECT_EQ(std::ftell(fp), kFile + kRec);  // the look-ahead consumed nothing
  EXPECT_EQ(f[17], 0x00);                   // two bits per half
  EXPECT_EQ(f[18], 0xFF);                   // three and four bits
  EXPECT_EQ(f[19], 0x0F);
  EXPECT_EQ(f[20], 0xF0);

  // One right sync byte of three is enough; the next record is broken.
  EXPECT_EQ(read_hri1_frame(f, fp), 0x0F);
  EXPECT_EQ(f[17], 0x3C);

  // No 'E' in its head, no sync; the following record is sound.
  EXPECT_EQ(read_hri1_frame(f, fp), 0xF1);

  // The following record is cut short, but its head and sync look right.
  EXPECT_EQ(read_hri1_frame(f, fp), 0xFF);
  EXPECT_EQ(read_hri1_frame(f, fp), 0);  // truncated record: end of the file
  EXPECT_EQ(read_hri1_frame(f, fp), 0);
  std::fclose(fp);
}

TEST(HriFrameQuality, LastRecordHasNoFollowingFrame) {
  HriStream s;
  s.add(test::continuation_frame(kLow, 1));
  test::TempDir dir;
  const std::string path = dir.write("l.hri", s.bytes());
  FILE* fp = std::fopen(path.c_str(), "rb");
  ASSERT_NE(fp, nullptr);
  std::fseek(fp, kFile, SEEK_SET);
  uint8_t f[kHriFrameBytes];
  EXPECT_EQ(read_hri1_frame(f, fp), 0x0F);
  EXPECT_EQ(read_hri1_frame(f, fp), 0);
  std::fclose(fp);
}

TEST(HriOpen, RecordedPictureOpensWithGeometrySatelliteTimeAndChannels) {
  test::TempDir dir;
  const HriStream s = two_channel_stream(40);
  const std::string path = dir.file("rec.hri");
  ASSERT_TRUE(s.write_with_writer(path));
  Opened o = open_hri(path);
  ASSERT_EQ(o.rc, 0);
  PIC_INFO& pic = *o.pic;
  EXPECT_EQ(pic.sat_name, "METEOSAT 7");
  EXPECT_EQ(pic.hri.sat_name, "METEOSAT 7");
  EXPECT_EQ(pic.hri_time.tm_year, 103);
  EXPECT_EQ(pic.hri_time.tm_mon, 1);
  EXPECT_EQ(pic.hri_time.tm_mday, 1);
  EXPECT_EQ(pic.hri_time.tm_hour, 12);
  EXPECT_EQ(pic.hri_time.tm_min, 30);
  const int present[11] = {0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  for (int n = 0; n <= 10; ++n) EXPECT_EQ(pic.chan_present[n], present[n]) << n;
  EXPECT_EQ(pic.hri.chan[1].double_res, 0);
  EXPECT_EQ(pic.hri.format, 4);
  EXPECT_EQ(pic.hri.nseg, 2);
  // Header run complete at the sixth header frame, counter run of eleven
  // rises complete at segment 11 (counter 13).
  EXPECT_EQ(pic.hri.first_frame, 13);
  EXPECT_EQ(pic.data_offset, kFile + record_of(11, 1) * kRec);
  EXPECT_EQ(pic.hri.chan[1].nlines, (42 - 13) / 2);
  EXPECT_EQ(pic.frame.words_per_line, 1456);
  EXPECT_EQ(pic.frame.words_padded, 2912);
  EXPECT_EQ(pic.frame.line_bytes, 2968);
  EXPECT_EQ(pic.depth, 8);
  EXPECT_EQ(pic.lut_size, 256);
  EXPECT_EQ(pic.lut[2][200], 200);
  EXPECT_EQ(pic.orientation, 3);
  EXPECT_EQ(pic.scan_dir, 1);
  EXPECT_EQ(pic.width, 0);  // until a channel is chosen
  EXPECT_EQ(pic.height, 0);

  show_channel(o, 1);
  EXPECT_EQ(pic.width, 1250);
  EXPECT_EQ(pic.height, 14);
}

TEST(HriLines, PlantedPatternAndGridOfBothChannels) {
  test::TempDir dir;
  const HriStream s = two_channel_stream(40);
  const std::string path = dir.file("rec.hri");
  ASSERT_TRUE(s.write_with_writer(path));
  Opened o = open_hri(path);
  ASSERT_EQ(o.rc, 0);

  show_channel(o, 1);
  for (int n : {0, 1, 7, 13}) {
    const int seg = 12 + 2 * n;  // the first channel-1 segment after the start frame
    Line l = read_line(o, n);
    EXPECT_EQ(l.q, 0xFF) << n;
    EXPECT_TRUE(holds_segment(l.values, 0, seg, 1250)) << n;
    EXPECT_TRUE(holds_grid(l.grid, 0, seg, 158)) << n;
    // The copies of the last frame run past the line: those are grid bytes.
    EXPECT_EQ(l.values[1250], test::grid_value(seg, 0));
    EXPECT_EQ(l.values[1250 + 157], test::grid_value(seg, 157));
    EXPECT_EQ(l.values[1408], 0xBEEF);  // nothing written beyond
  }

  show_channel(o, 2);
  EXPECT_EQ(o.pic->width, 1250);
  for (int n : {0, 6, 12}) {
    Line l = read_line(o, n);
    EXPECT_EQ(l.q, 0xFF) << n;
    EXPECT_TRUE(holds_segment(l.values, 0, 13 + 2 * n, 1250)) << n;
  }
  // The last line of the file: no frame follows it.
  Line last = read_line(o, 13);
  EXPECT_EQ(last.q, 0x0F);
  EXPECT_TRUE(holds_segment(last.values, 0, 39, 1250));

  // Past the end of the file, and before the start.
  EXPECT_EQ(read_line(o, 14).q, 0);
  EXPECT_EQ(read_line(o, -1).q, 0);
}

TEST(HriOpen, ThroughFileOpeningAndTheLineStore) {
  test::TempDir dir;
  const std::string path = dir.file("rec.hri");
  ASSERT_TRUE(two_channel_stream(40).write_with_writer(path));
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  pic->path = path;
  ASSERT_EQ(open_file(pic.get(), view.get(), nullptr), 0);
  EXPECT_EQ(pic->file_type, kKindHRI);
  EXPECT_EQ(view->lmin, 0);
  EXPECT_EQ(view->lmax, 255);
  EXPECT_EQ(pic->sat_name, "METEOSAT 7");
  EXPECT_EQ(view->chan_sel[1], 1);  // the lowest channel held is shown
  EXPECT_EQ(pic->width, 1250);
  EXPECT_EQ(pic->height, 14);

  view->grid_on = 1;
  const size_t room = static_cast<size_t>(pic->frame.words_padded) * kLineBufFactor;
  std::vector<uint16_t> buf(room, 0);
  std::vector<uint8_t> marks(room, 0xEE);
  const int q = read_line(pic.get(), view.get(), 5, buf.data(), nullptr, nullptr, marks.data());
  EXPECT_EQ(q, 0xFF);
  EXPECT_TRUE(holds_segment(buf, 0, 22, 1250));
  for (int i = 0; i < 1250; ++i) {
    const int bit = (test::grid_value(22, i / 8) >> (7 - i % 8)) & 1;
    ASSERT_EQ(marks[static_cast<size_t>(i)], bit) << i;
  }
}

TEST(HriLines, RawFrameViewShowsTheFramesAsReceived) {
  test::TempDir dir;
  const HriStream s = two_channel_stream(40);
  const std::string path = dir.write("rec.hri", s.bytes());
  Opened o = open_hri(path);
  ASSERT_EQ(o.rc, 0);
  show_channel(o, 1);
  o.view->chan_sel[0] = 1;
  Line l = read_line(o, 2);
  // Line 2 starts two line distances (2 x 8 records) after the start frame.
  const HriFrame& want = s.frames[static_cast<size_t>(record_of(11, 1) + 2 * 8)];
  EXPECT_EQ(l.q, 0xFF);
  for (int i = 0; i < kHriFrameBytes; ++i)
    ASSERT_EQ(l.values[static_cast<size_t>(i)], want[static_cast<size_t>(i)]) << i;
  EXPECT_EQ(l.values[3], 0x31);
  EXPECT_EQ(l.values[364], 0xBEEF);
}

TEST(HriLines, DamagedFramesLowerTheQualityAndSkipFaultySteps) {
  test::TempDir dir;
  HriStream s = two_channel_stream(40);
  // Line 1 of channel 1 is segment 14: spoil the sync of its third frame.
  spoil_sync(s.frames[static_cast<size_t>(record_of(14, 2))]);
  const std::string path = dir.write("bad.hri", s.bytes());
  Opened o = open_hri(path);
  ASSERT_EQ(o.rc, 0);
  show_channel(o, 1);

  Line l = read_line(o, 1);
  // Frame before the damage loses the post-sync bits 0xE0 (0x1F), the
  // damaged frame its own sync 0x0C (0xF3): together 0x13.
  EXPECT_EQ(l.q, 0x13);
  EXPECT_TRUE(holds_segment(l.values, 0, 14, 328));  // the first frame's pixels are sound

  o.view->skip_faulty = 1;
  o.view->scan_dir = 1;
  l = read_line(o, 1);
  EXPECT_EQ(l.q, 0xFF);
  EXPECT_TRUE(holds_segment(l.values, 0, 16, 1250));  // the next line
  o.view->scan_dir = 2;
  l = read_line(o, 1);
  EXPECT_EQ(l.q, 0xFF);
  EXPECT_TRUE(holds_segment(l.values, 0, 12, 1250));  // the line before

  // Bottom-up from line 0 with line 0 faulty: nothing before it.
  HriStream t = two_channel_stream(40);
  spoil_sync(t.frames[static_cast<size_t>(record_of(12, 3))]);
  Opened p = open_hri(dir.write("bad0.hri", t.bytes()));
  show_channel(p, 1);
  p.view->skip_faulty = 1;
  p.view->scan_dir = 2;
  EXPECT_EQ(read_line(p, 0).q, 0x13);
}

TEST(HriLines, ALineIsLookedForNearItsPlaceOnly) {
  // Channel 1 is missing from segment 20 to 59: its line 4 (segment 20) is
  // not there, and segment 60 far behind is not taken for it.
  HriStream s = two_channel_stream(80);
  for (int k = 20; k < 60; ++k) {
    HriFrame& f = s.frames[static_cast<size_t>(record_of(k, 0))];
    f[17] = 0x00;
    f[18] = 0xFF;
  }
  test::TempDir dir;
  Opened o = open_hri(dir.write("gap.hri", s.bytes()));
  ASSERT_EQ(o.rc, 0);
  show_channel(o, 1);
  EXPECT_EQ(read_line(o, 3).q, 0xFF);
  EXPECT_EQ(read_line(o, 4).q, 0);
  Line l = read_line(o, 24);  // segment 60
  EXPECT_EQ(l.q, 0xFF);
  EXPECT_TRUE(holds_segment(l.values, 0, 60, 1250));
}

TEST(HriLines, BufferSmallerThanTheLineIsNotOverrun) {
  test::TempDir dir;
  Opened o = open_hri(dir.write("rec.hri", two_channel_stream(40).bytes()));
  ASSERT_EQ(o.rc, 0);
  show_channel(o, 1);
  o.pic->frame.words_padded = 1000;  // less than the 1408 entries a line writes
  std::vector<uint16_t> values(1000, 7);
  EXPECT_EQ(read_hri1_line(o.pic.get(), o.view.get(), 0, values.data(), nullptr), 0);
  EXPECT_EQ(values[0], 7);
  // No channel shown: no line.
  for (int& c : o.view->chan_sel) c = 0;
  o.pic->frame.words_padded = 2912;
  std::vector<uint16_t> big(2912, 7);
  EXPECT_EQ(read_hri1_line(o.pic.get(), o.view.get(), 0, big.data(), nullptr), 0);
}

TEST(HriLines, DoubleResolutionPairsOfFormat8) {
  // Channels 1 and 2 at double resolution: each line is two segments of
  // 2500 pixels; picture lines alternate between the two channels' pairs.
  HriStream s;
  for (int i = 0; i < kHeaderFrames; ++i) s.add(test::header_frame(kHigh, 8, 0x0002, 1999, 365, 5));
  const int segs = 48;
  const Flags flags[4] = {{0xF0, 0, 0, 0}, {0xF0, 0, 0, 0}, {0, 0xF0, 0, 0}, {0, 0xF0, 0, 0}};
  for (int k = 0; k < segs; ++k) s.add_segment(8, kHigh, 2 + segs, 2 + k, flags[k % 4], k, 0xF0);
  test::TempDir dir;
  const std::string path = dir.file("vis.hri");
  ASSERT_TRUE(s.write_with_writer(path));
  Opened o = open_hri(path);
  ASSERT_EQ(o.rc, 0);
  EXPECT_EQ(o.pic->sat_name, "GMS");
  EXPECT_EQ(o.pic->hri_time.tm_mon, 11);
  EXPECT_EQ(o.pic->hri_time.tm_mday, 31);
  EXPECT_EQ(o.pic->hri.format, 8);
  EXPECT_EQ(o.pic->hri.data_off, 68);
  EXPECT_EQ(o.pic->hri.nseg, 4);
  EXPECT_EQ(o.pic->hri.chan[1].double_res, 1);
  EXPECT_EQ(o.pic->hri.chan[2].double_res, 1);
  EXPECT_EQ(o.pic->orientation, 4);
  EXPECT_EQ(o.pic->scan_dir, 1);
  EXPECT_EQ(o.pic->frame.line_bytes, 4 * 8 * kRec);
  show_channel(o, 1);
  EXPECT_EQ(o.pic->width, 5000);
  EXPECT_EQ(o.pic->height, (50 - 13) / 4 * 2);

  // The start frame is segment 11; the next pair of channel 1 is 12 + 13.
  for (int m : {0, 3, 8}) {
    Line even = read_line(o, 2 * m);
    EXPECT_EQ(even.q, 0xFF) << m;
    EXPECT_TRUE(holds_segment(even.values, 0, 12 + 4 * m, 2500)) << m;
    EXPECT_TRUE(holds_segment(even.values, 2500, 13 + 4 * m, 2500)) << m;
    EXPECT_TRUE(holds_grid(even.grid, 0, 12 + 4 * m, 316)) << m;
    EXPECT_TRUE(holds_grid(even.grid, 316, 13 + 4 * m, 316)) << m;
    Line odd = read_line(o, 2 * m + 1);
    EXPECT_TRUE(holds_segment(odd.values, 0, 14 + 4 * m, 2500)) << m;
    EXPECT_TRUE(holds_segment(odd.values, 2500, 15 + 4 * m, 2500)) << m;
  }
  // Channel 2 on its own shows its own segments.
  show_channel(o, 2);
  Line two = read_line(o, 1);
  EXPECT_TRUE(holds_segment(two.values, 0, 18, 2500));
  EXPECT_TRUE(holds_segment(two.values, 2500, 19, 2500));
}

TEST(HriDetection, WhatEachStateOfTheSearchLeaves) {
  test::TempDir dir;
  {  // Only the file header: opens with no lines.
    Opened o = open_hri(dir.write("h.hri", HriStream().bytes()));
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.pic->data_offset, kFile);
    EXPECT_EQ(o.pic->sat_name, "");
    show_channel(o, 1);
    EXPECT_EQ(o.pic->height, 0);
    EXPECT_EQ(read_line(o, 0).q, 0);
  }
  {  // A header shorter than 34 bytes.
    Opened o = open_hri(dir.write("s.hri", std::string("PDUS", 4) + std::string(10, '\0')));
    EXPECT_EQ(o.rc, kErrRead);
  }
  {  // Six header frames: the last one has no follower, so the run stays at 4.
    HriStream s;
    for (int i = 0; i < 6; ++i) s.add(test::header_frame(kLow, 4, 0xD4F3, 2001, 1, 0));
    Opened o = open_hri(dir.write("h6.hri", s.bytes()));
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.pic->sat_name, "");
    // Seven: state 1, the header is taken.
    s.add(test::header_frame(kLow, 4, 0xD4F3, 2001, 1, 0));
    Opened p = open_hri(dir.write("h7.hri", s.bytes()));
    EXPECT_EQ(p.rc, 0);
    EXPECT_EQ(p.pic->sat_name, "METEOSAT 3");
    EXPECT_EQ(p.pic->hri_time.tm_year, 101);
    EXPECT_EQ(p.pic->hri_time.tm_mday, 1);
    EXPECT_EQ(p.pic->hri.format, 0);
    EXPECT_EQ(p.pic->frame.line_bytes, 0);
  }
  {  // Channel flags collected (state 3) but the file ends before the start.
    Opened o = open_hri(dir.write("c.hri", two_channel_stream(10).bytes()));
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.pic->sat_name, "METEOSAT 7");
    EXPECT_EQ(o.pic->chan_present[1], 1);
    EXPECT_EQ(o.pic->chan_present[2], 1);
    EXPECT_EQ(o.pic->hri.format, 0);
    show_channel(o, 1);
    EXPECT_EQ(o.pic->height, 0);
    EXPECT_EQ(read_line(o, 0).q, 0);
  }
  {  // No header frames: the counter run alone finds the picture.
    Opened o = open_hri(dir.write("n.hri", two_channel_stream(40, false).bytes()));
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.pic->sat_name, "");
    EXPECT_EQ(o.pic->hri.first_frame, 13);
    EXPECT_EQ(o.pic->data_offset, kFile + record_of(11, 1, 4, 0) * kRec);
  }
}

TEST(HriDetection, ReopeningForgetsTheEarlierPictureButNotTheEncryptedNote) {
  test::TempDir dir;
  Opened o = open_hri(dir.write("full.hri", two_channel_stream(40).bytes()));
  ASSERT_EQ(o.pic->hri.format, 4);
  o.pic->hri.encrypted = 1;  // noted by the recorder
  ASSERT_TRUE(o.pic->pic_fp.open(dir.write("empty.hri", HriStream().bytes()), "rb"));
  EXPECT_EQ(read_hri1_hdr(o.pic.get()), 0);
  EXPECT_EQ(o.pic->hri.format, 0);
  EXPECT_EQ(o.pic->hri.chan[1].nlines, 0);
  EXPECT_EQ(o.pic->chan_present[1], 0);
  EXPECT_EQ(o.pic->frame.words_padded, 0);
  EXPECT_EQ(o.pic->sat_name, "");
  EXPECT_EQ(o.pic->hri.encrypted, 1);
  show_channel(o, 1);
  EXPECT_EQ(o.pic->height, 0);
}

TEST(HriDetection, CounterGapsAndDamagedFramesRestartTheRun) {
  test::TempDir dir;
  {  // A damaged start-of-segment frame during the run: back to state 2,
     // five rises to state 3 again, eleven to the start.
    HriStream s = two_channel_stream(40);
    spoil_sync(s.frames[static_cast<size_t>(record_of(8, 0))]);
    Opened o = open_hri(dir.write("d.hri", s.bytes()));
    EXPECT_EQ(o.pic->hri.first_frame, 22);
    EXPECT_EQ(o.pic->data_offset, kFile + record_of(20, 1) * kRec);
    EXPECT_EQ(o.pic->hri.chan[1].nlines, (42 - 22) / 2);
  }
  {  // A counter that jumps.
    HriStream s = two_channel_stream(40);
    for (int k = 7; k < 40; ++k) test::put16(s.frames[static_cast<size_t>(record_of(k, 0))], 8, 2 + k + 100);
    Opened o = open_hri(dir.write("g.hri", s.bytes()));
    EXPECT_EQ(o.pic->hri.first_frame, 100 + 2 + 18);
  }
  {  // Flipped flag bits are cleaned by majority: 0xFE and 0x7F still mean
     // present, 0x3C on channel 3 means absent.
    HriStream s = two_channel_stream(40);
    s.frames[static_cast<size_t>(record_of(6, 0))][17] = 0xFE;
    s.frames[static_cast<size_t>(record_of(7, 0))][18] = 0x7F;
    s.frames[static_cast<size_t>(record_of(8, 0))][19] = 0x3C;
    Opened o = open_hri(dir.write("f.hri", s.bytes()));
    EXPECT_EQ(o.pic->hri.first_frame, 13);
    EXPECT_EQ(o.pic->chan_present[1], 1);
    EXPECT_EQ(o.pic->chan_present[2], 1);
    EXPECT_EQ(o.pic->chan_present[3], 0);
    EXPECT_EQ(o.pic->hri.nseg, 2);
  }
  {  // Frames of another kind or segment length are not part of the picture.
    HriStream s = two_channel_stream(40);
    s.frames[static_cast<size_t>(record_of(9, 0))][3] = 0x50;
    test::put16(s.frames[static_cast<size_t>(record_of(15, 0))], 4, 5);
    Opened o = open_hri(dir.write("k.hri", s.bytes()));
    // Segment 9 skipped: 10 does not follow 8, back to state 2. Segment 15
    // skipped as well: the run restarts at 16, state 3 at 21, the start at
    // 27 (counter 29).
    EXPECT_EQ(o.pic->hri.first_frame, 29);
  }
}

TEST(HriDetection, FileCutInsideAFrame) {
  test::TempDir dir;
  std::string bytes = two_channel_stream(40).bytes();
  const size_t cut = static_cast<size_t>(kFile + record_of(20, 2) * kRec + 100);
  bytes.resize(cut);
  Opened o = open_hri(dir.write("cut.hri", bytes));
  ASSERT_EQ(o.rc, 0);
  EXPECT_EQ(o.pic->hri.first_frame, 13);
  show_channel(o, 1);
  EXPECT_EQ(o.pic->height, 14);  // the end frame promises more than the file holds
  EXPECT_EQ(read_line(o, 3).q, 0xFF);
  EXPECT_EQ(read_line(o, 4).q, 0);  // segment 20 is cut
  EXPECT_EQ(read_line(o, 13).q, 0);
}

}  // namespace
}  // namespace kelo
