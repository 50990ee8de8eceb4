// HRI1 recordings on frame streams built in the tests: the support functions
// (satellite names, header and picture-start frames, frame geometry, channel
// choice, grid expansion), frame quality, picture detection, opening, line
// assembly and the writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/files/file.h"
#include "core/files/hri1_read.h"
#include "core/files/hri1_write.h"
#include "core/files/hri_functions.h"
#include "core/view/data_proc.h"
#include "core/view/open_picture.h"
#include "hri_stream.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::Flags;
using test::HriFrame;
using test::HriStream;
using test::Ints;
using test::ints;
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
  for (int i = 0; header && i < kHeaderFrames; ++i)
    s.add(test::header_frame(kLow, 4, 0xD4F7, 2003, 32, 1230));
  for (int k = 0; k < segs; ++k) {
    s.add_segment(4, kLow, 2 + segs, 2 + k, k % 2 == 0 ? Flags{0xFF, 0, 0, 0} : Flags{0, 0xFF, 0, 0}, k);
  }
  return s;
}

// Record number of frame `f` of segment `seg` in two_channel_stream, and
// the frame itself.
int record_of(int seg, int f, int header = kHeaderFrames) { return header + seg * 4 + f; }
HriFrame& frame_of(HriStream& s, int seg, int f) { return s.frames[static_cast<size_t>(record_of(seg, f))]; }
void spoil_sync(HriFrame& f) { f[0] = f[1] = f[2] = 0; }

struct Line {
  int q = 0;
  std::vector<uint16_t> values;
  std::vector<uint8_t> grid;
};

// A recording opened with read_hri1_hdr.
struct Opened {
  std::unique_ptr<PIC_INFO> pic = std::make_unique<PIC_INFO>();
  std::unique_ptr<VIEW_INFO> view = std::make_unique<VIEW_INFO>();
  int rc = -1;
  explicit Opened(const std::string& path) {
    pic->file_type = kKindHRI;
    if (pic->pic_fp.open(path, "rb")) rc = read_hri1_hdr(pic.get());
  }
  Opened& show(int ch) {
    for (int& c : view->chan_sel) c = 0;
    view->chan_sel[ch] = 1;
    hri_channelselect(pic.get(), view.get());
    return *this;
  }
  Line line(int n) {
    Line l{0, std::vector<uint16_t>(static_cast<size_t>(std::max(pic->frame.words_padded, 1)), 0xBEEF),
           std::vector<uint8_t>(kHriGridBytes, 0xEE)};
    l.q = read_hri1_line(pic.get(), view.get(), n, l.values.data(), l.grid.data());
    return l;
  }
};

class HriFile : public ::testing::Test {
 protected:
  test::TempDir dir;
  int files = 0;
  // The stream as a file (composed by hand, or through the recorder's writer).
  std::string file_of(const HriStream& s, bool writer = false) {
    const std::string path = dir.file("f" + std::to_string(++files) + ".hri");
    EXPECT_TRUE(writer ? s.write_with_writer(path)
                       : !dir.write("f" + std::to_string(files) + ".hri", s.bytes()).empty());
    return path;
  }
  Opened open(const HriStream& s, bool writer = false) { return Opened(file_of(s, writer)); }
  Opened open_bytes(const std::string& bytes) {
    return Opened(dir.write("b" + std::to_string(++files), bytes));
  }
};

// Entries [0, len) of `values` from `at` hold segment `seg`'s pixels (or,
// with grid, its grid bytes).
template <typename T>
::testing::AssertionResult holds(const std::vector<T>& values, size_t at, int seg, int len,
                                 bool grid = false) {
  for (int i = 0; i < len; ++i) {
    const int want = grid ? test::grid_value(seg, i) : test::pixel_value(seg, i);
    if (values[at + static_cast<size_t>(i)] != want) {
      return ::testing::AssertionFailure()
             << (grid ? "grid byte " : "pixel ") << i << " is " << int{values[at + static_cast<size_t>(i)]}
             << ", segment " << seg << " has " << want;
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(HriSatName, CodesOfTheDisseminationTableAndUnknownCodes) {
  // {code, name before, name after}. Known codes replace a name found
  // before; unknown ones keep it or show the code. The code is a 16-bit
  // field: wider values are cut to it.
  const struct {
    int code;
    const char *before, *after;
  } cases[] = {{0x0000, "", "GOES-E"},     {0x0003, "", "GOMS"},        {0xD4E3, "", "METEOSAT 1"},
               {0xD4F0, "", "METEOSAT 0"}, {0xD4FF, "", "METEOSAT 15"}, {0x0002, "GOES-E", "GMS"},
               {0xFFFF, "GMS", "Unknown"}, {0x1234, "", "Code 1234?"},  {0x1234, "GMS", "GMS"},
               {0xD4E4, "", "Code d4e4?"}, {0x1D4F7, "", "METEOSAT 7"}, {-1, "", "Unknown"}};
  for (const auto& c : cases) {
    std::string name = c.before;
    hri_satind2satname(c.code, &name);
    EXPECT_EQ(name, c.after) << std::hex << c.code << " after " << c.before;
  }
  hri_satind2satname(0x0002, nullptr);  // no name to fill: nothing happens
}

Ints time_of(const PIC_INFO& p) {
  const std::tm& t = p.hri_time;
  return {t.tm_year, t.tm_yday, t.tm_mon, t.tm_mday, t.tm_wday, t.tm_hour, t.tm_min, t.tm_sec};
}

TEST(HriHeaderFrame, NameAndPictureTimeFromTheHeaderFields) {
  PIC_INFO pic{};
  std::string name;
  hri_hdrsf2hri_pci(test::header_frame(test::kLow, 4, 0xD4F7, 2003, 32, 1230).data(), &name, &pic);
  EXPECT_EQ(name, "METEOSAT 7");
  EXPECT_EQ(time_of(pic), ints(103, 31, 1, 1, 6, 12, 30, 0));  // 1 February 2003, a Saturday
  // Day 60 of a leap year is 29 February (a Thursday); 2359 is one minute to midnight.
  hri_hdrsf2hri_pci(test::header_frame(test::kHigh, 8, 0x0001, 2024, 60, 2359).data(), &name, &pic);
  EXPECT_EQ(name, "GOES-W");
  EXPECT_EQ(time_of(pic), ints(124, 59, 1, 29, 4, 23, 59, 0));
  // Day 0 and 99:99 from a damaged header frame: the time is carried into
  // a valid date instead of leaving impossible fields.
  name.clear();
  hri_hdrsf2hri_pci(test::header_frame(test::kLow, 4, 0x1234, 2003, 0, 9999).data(), &name, &pic);
  EXPECT_EQ(name, "Code 1234?");
  const std::tm& t = pic.hri_time;
  EXPECT_TRUE(t.tm_mon >= 0 && t.tm_mon <= 11 && t.tm_mday >= 1 && t.tm_mday <= 31 && t.tm_hour <= 23 &&
              t.tm_min <= 59)
      << t.tm_mon << " " << t.tm_mday << " " << t.tm_hour << ":" << t.tm_min;
}

// Picture start read from a first frame, with channels `present` (at
// double resolution: `doubled`): {nseg, format, first_frame, data_off,
// line_len and nlines of channels 1-4, orientation, scan_dir}.
Ints start_of(PIC_INFO& pic, const HriFrame& f) {
  hri_sf2hri_pci(f.data(), &pic.hri, &pic);
  Ints out{pic.hri.nseg, pic.hri.format, pic.hri.first_frame, pic.hri.data_off};
  for (int ch = 1; ch <= 4; ++ch) out.insert(out.end(), {pic.hri.chan[ch].line_len, pic.hri.chan[ch].nlines});
  out.insert(out.end(), {static_cast<long long>(pic.orientation), static_cast<long long>(pic.scan_dir)});
  return out;
}

Ints geometry_of(PIC_INFO& pic) {
  calc_hriframeinfo(&pic.frame, &pic.hri);
  const FRAME_GEOM& g = pic.frame;
  return {g.words_per_line, g.words_padded, g.line_bytes, g.hdr_words, g.tail_words, g.n_channels};
}

TEST(HriPictureStart, GeometryOfFormats4And8DoubleResolutionAndScanOrientation) {
  PIC_INFO a{};
  a.chan_present[1] = a.chan_present[2] = 1;
  // Two channels of format 4: 150 lines = (313 - 13) / 2.
  EXPECT_EQ(start_of(a, test::first_frame(test::kLow, 4, 313, 13, Flags{0xFF, 0, 0, 0}, 0xFF)),
            ints(2, 4, 13, 36, 1250, 150, 1250, 150, 0, 0, 0, 0, Orientation::Normal, ScanDir::TopDown));
  EXPECT_EQ(geometry_of(a), ints(1456, 2912, 2968, 0, 0, 1));

  PIC_INFO b{};
  b.chan_present[1] = b.chan_present[2] = b.chan_present[3] = 1;
  b.hri.chan[1].double_res = b.hri.chan[2].double_res = 1;
  // Frames per segment 0 counts as 8. (1000 - 400) / 5 = 120 lines, twice
  // for channel 1 as channel 2 doubles too.
  EXPECT_EQ(
      start_of(b, test::first_frame(test::kHigh, 0, 1000, 400, Flags{}, 0x00)),
      ints(5, 8, 400, 68, 5000, 240, 5000, 120, 2500, 120, 0, 0, Orientation::FromSouth, ScanDir::BottomUp));
  EXPECT_EQ(geometry_of(b), ints(8 * 364, 5 * 8 * 364, 5 * 8 * 371, 0, 0, 1));
  // Scan bytes and the orientation and direction they give; any other
  // scan byte leaves them as they were.
  for (auto [scan, orient, dir] : {std::tuple{0x0F, Orientation::Normal, ScanDir::BottomUp},
                                   {0xF0, Orientation::FromSouth, ScanDir::TopDown},
                                   {0xFF, Orientation::Normal, ScanDir::TopDown},
                                   {0x3C, Orientation::Normal, ScanDir::TopDown}}) {
    Ints s = start_of(b, test::first_frame(test::kHigh, 8, 1000, 400, Flags{}, static_cast<uint8_t>(scan)));
    EXPECT_EQ(ints(s[12], s[13]), ints(orient, dir)) << scan;
  }
  // End before start gives no lines.
  PIC_INFO c{};
  c.chan_present[4] = 1;
  Ints s = start_of(c, test::first_frame(test::kLow, 4, 10, 500, Flags{}));
  EXPECT_EQ(ints(s[10], s[11]), ints(1250, 0));
}

TEST(HriChannelSelect, FirstShownChannelGivesTheSize) {
  PIC_INFO pic{};
  VIEW_INFO view{};
  pic.width = 7;
  pic.height = 9;
  pic.hri.chan[2] = HRI_CHAN{2500, 300, 0};
  pic.hri.chan[3] = HRI_CHAN{1250, 150, 0};
  auto size_for = [&](std::vector<int> shown) {
    for (int& c : view.chan_sel) c = 0;
    for (int ch : shown) view.chan_sel[ch] = 1;
    hri_channelselect(&pic, &view);
    return Ints{pic.width, pic.height};
  };
  EXPECT_EQ(size_for({}), ints(7, 9));  // nothing shown: unchanged
  EXPECT_EQ(size_for({3}), ints(1250, 150));
  EXPECT_EQ(size_for({2, 3}), ints(2500, 300));  // the lower channel wins
  EXPECT_EQ(size_for({5}), ints(2500, 300));     // HRI pictures have channels 1-4 only
}

TEST(HriGrid, BitmapExpandsMostSignificantBitFirstAndWithinTheTable) {
  PIC_INFO pic{};
  uint8_t bytes[kHriGridBytes] = {};
  auto marks_for = [&](int width, std::vector<uint8_t> first) {
    std::copy(first.begin(), first.end(), bytes);
    pic.width = width;
    uint8_t marks[24];
    std::fill(std::begin(marks), std::end(marks), 0xEE);
    add_hrigrid(&pic, marks, bytes);
    return Ints(marks, marks + width + 1);  // and the one past the width
  };
  EXPECT_EQ(marks_for(8, {0x80}), ints(1, 0, 0, 0, 0, 0, 0, 0, 0xEE));
  // 0xA5 0x01 over a 12-pixel line: 1010 0101 0000.
  EXPECT_EQ(marks_for(12, {0xA5, 0x01}), ints(1, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0xEE));
  add_hrigrid(&pic, nullptr, bytes);  // no output: nothing happens

  pic.width = 100000;  // a damaged record must not walk off the grid table
  std::vector<uint8_t> ones(kHriGridBytes, 0xFF);
  std::vector<uint8_t> marks(8 * kHriGridBytes + 16, 7);
  add_hrigrid(&pic, marks.data(), ones.data());
  EXPECT_EQ(ints(marks[8 * kHriGridBytes - 1], marks[8 * kHriGridBytes]), ints(1, 7));
}

TEST_F(HriFile, WriterHeaderAndFrameRecordBytes) {
  RECORD_INFO rec{};
  uint16_t words[kHriFrameBytes];
  for (int i = 0; i < kHriFrameBytes; ++i) words[i] = static_cast<uint16_t>(0x1200 + i);
  EXPECT_EQ(write_hri1_hdr(&rec), 0);  // no file open
  EXPECT_EQ(write_hri1_line(&rec, words), 0);
  ASSERT_TRUE(rec.rec_fp.open(dir.file("a.hri"), "wb"));
  rec.frame.line_bytes = 364;
  EXPECT_EQ(write_hri1_hdr(&rec), 1);
  EXPECT_EQ(write_hri1_line(&rec, words), 1);
  ASSERT_TRUE(rec.rec_fp.close_checked());
  std::string want = "PDUS" + std::string(30, '\0') + "FRAME\x6C\x01";           // 364, little-endian
  for (int i = 0; i < kHriFrameBytes; ++i) want += static_cast<char>(i & 0xFF);  // low byte only
  EXPECT_EQ(test::read_file(dir.file("a.hri")), want);

  // The writer stores exactly the layout composed by hand in the builder.
  const HriStream s = two_channel_stream(3);
  EXPECT_EQ(test::read_file(file_of(s, true)), s.bytes());

  RECORD_INFO full{};
  ASSERT_TRUE(full.rec_fp.open("/dev/full", "wb"));
  std::setvbuf(full.rec_fp.get(), nullptr, _IONBF, 0);
  EXPECT_EQ(write_hri1_hdr(&full), 0);
  EXPECT_EQ(write_hri1_line(&full, words), 0);
}

TEST_F(HriFile, FrameQualitySyncMarkerLookAheadAndFlagCleaning) {
  HriStream s;
  s.add(test::first_frame(kLow, 4, 100, 5, Flags{0x3C, 0x7F, 0x0E, 0xE1}));  // record 0
  HriFrame one_of_three = test::continuation_frame(kLow, 1);                 // record 1
  one_of_three[1] = one_of_three[2] = 0x00;
  for (int i = 17; i <= 20; ++i) one_of_three[i] = 0x3C;  // not a first frame: left alone
  s.add(one_of_three);
  s.add(test::continuation_frame(kLow, 2));  // record 2: no marker, no sync
  spoil_sync(s.frames.back());
  s.bad_marker.back() = true;
  s.add(test::continuation_frame(kLow, 3));  // record 3
  s.add(test::continuation_frame(kLow, 0));  // record 4, cut short below
  std::string bytes = s.bytes();
  bytes.resize(bytes.size() - 264);
  HriStream last;  // a single record: no following frame
  last.add(test::continuation_frame(kLow, 1));

  for (const std::string& b : {bytes, last.bytes()}) {
    FILE* fp = std::fopen(dir.write("q.hri", b).c_str(), "rb");
    ASSERT_NE(fp, nullptr);
    ASSERT_EQ(std::fseek(fp, kFile, SEEK_SET), 0);
    uint8_t f[kHriFrameBytes];
    Ints got;
    for (int i = 0; i < 6; ++i) {
      got.push_back(read_hri1_frame(f, fp));
      if (i == 0) got.insert(got.end(), {std::ftell(fp), f[17], f[18], f[19], f[20]});
      if (i == 1 && b == bytes) got.push_back(f[17]);
    }
    std::fclose(fp);
    if (b != bytes) {
      EXPECT_EQ(got[0], 0x0F);
      EXPECT_EQ(got[6], 0);
      continue;
    }
    // Record 0: the look-ahead consumed nothing; flags cleaned two bits per
    // half to 0, three and four bits to F. Record 1: one right sync byte of
    // three is enough, the next record is broken. Record 2: no 'E' in its
    // head, no sync; the following record is sound. Record 3: the following
    // record is cut short, but its head and sync look right. Then the end.
    EXPECT_EQ(got, ints(0xFF, kFile + kRec, 0x00, 0xFF, 0x0F, 0xF0, 0x0F, 0x3C, 0xF1, 0xFF, 0, 0));
  }
}

TEST_F(HriFile, RecordedPictureOpensWithGeometrySatelliteTimeChannelsAndLines) {
  Opened o = open(two_channel_stream(40), true);
  ASSERT_EQ(o.rc, 0);
  const PIC_INFO& p = *o.pic;
  EXPECT_EQ(p.sat_name, "METEOSAT 7");
  EXPECT_EQ(p.hri.sat_name, "METEOSAT 7");
  // Header run complete at the sixth header frame, counter run of eleven
  // rises complete at segment 11 (counter 13); width and height stay 0
  // until a channel is chosen.
  EXPECT_EQ(
      ints(p.hri_time.tm_year, p.hri_time.tm_mon, p.hri_time.tm_mday, p.hri_time.tm_hour, p.hri_time.tm_min,
           p.hri.chan[1].double_res, p.hri.format, p.hri.nseg, p.hri.first_frame, p.data_offset,
           p.hri.chan[1].nlines, p.frame.words_per_line, p.frame.words_padded, p.frame.line_bytes, p.depth,
           p.lut_size, p.lut[2][200], p.orientation, p.scan_dir, p.width, p.height),
      ints(103, 1, 1, 12, 30, 0, 4, 2, 13, kFile + record_of(11, 1) * kRec, (42 - 13) / 2, 1456, 2912, 2968,
           8, 256, 200, 3, 1, 0, 0));
  EXPECT_EQ(Ints(p.chan_present, p.chan_present + 11), ints(0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0));

  // {channel, line, segment, quality}: line n of channel 1 is segment
  // 12 + 2n, the first channel-1 segment after the start frame; the last
  // line of the file has no frame following it. The copies of the last
  // frame run past the line: those are grid bytes; nothing is written beyond.
  for (auto [ch, n, seg, q] : {std::tuple{1, 0, 12, 0xFF},
                               {1, 1, 14, 0xFF},
                               {1, 7, 26, 0xFF},
                               {1, 13, 38, 0xFF},
                               {2, 0, 13, 0xFF},
                               {2, 6, 25, 0xFF},
                               {2, 12, 37, 0xFF},
                               {2, 13, 39, 0x0F}}) {
    SCOPED_TRACE(testing::Message() << ch << " " << n);
    o.show(ch);
    EXPECT_EQ(ints(p.width, p.height), ints(1250, 14));
    Line l = o.line(n);
    EXPECT_EQ(l.q, q);
    EXPECT_TRUE(holds(l.values, 0, seg, 1250));
    EXPECT_TRUE(holds(l.grid, 0, seg, 158, true));
    EXPECT_TRUE(holds(l.values, 1250, seg, 158, true));
    EXPECT_EQ(l.values[1408], 0xBEEF);
  }
  // Past the end of the file, and before the start.
  EXPECT_EQ(o.line(14).q, 0);
  EXPECT_EQ(o.line(-1).q, 0);

  // A buffer smaller than the line is not overrun.
  o.show(1);
  o.pic->frame.words_padded = 1000;       // less than the 1408 entries a line writes
  std::vector<uint16_t> values(1000, 7);  // exactly that size: an overrun shows under the sanitizer
  EXPECT_EQ(read_hri1_line(o.pic.get(), o.view.get(), 0, values.data(), nullptr), 0);
  EXPECT_EQ(values[0], 7);
  // No channel shown: no line.
  for (int& c : o.view->chan_sel) c = 0;
  o.pic->frame.words_padded = 2912;
  values.assign(2912, 7);
  EXPECT_EQ(read_hri1_line(o.pic.get(), o.view.get(), 0, values.data(), nullptr), 0);
}

TEST_F(HriFile, ThroughFileOpeningAndTheLineStore) {
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  pic->path = file_of(two_channel_stream(40), true);
  ASSERT_EQ(open_picture(pic.get(), view.get(), nullptr), 0);
  EXPECT_EQ(pic->sat_name, "METEOSAT 7");
  // The lowest channel held is shown.
  EXPECT_EQ(ints(pic->file_type, view->lmin, view->lmax, view->chan_sel[1], pic->width, pic->height),
            ints(kKindHRI, 0, 255, 1, 1250, 14));
  view->grid_on = true;
  const size_t room = static_cast<size_t>(pic->frame.words_padded) * kLineBufFactor;
  std::vector<uint16_t> buf(room, 0);
  std::vector<uint8_t> marks(room, 0xEE);
  EXPECT_EQ(read_line(pic.get(), view.get(), 5, buf.data(), nullptr, nullptr, marks.data()), 0xFF);
  EXPECT_TRUE(holds(buf, 0, 22, 1250));
  for (int i = 0; i < 1250; ++i) {
    ASSERT_EQ(marks[static_cast<size_t>(i)], (test::grid_value(22, i / 8) >> (7 - i % 8)) & 1) << i;
  }
}

TEST_F(HriFile, DamagedFramesLowerTheQualityAndSkipFaultySteps) {
  HriStream s = two_channel_stream(40);
  // Line 1 of channel 1 is segment 14: spoil the sync of its third frame.
  spoil_sync(frame_of(s, 14, 2));
  Opened o = open(s);
  ASSERT_EQ(o.rc, 0);
  o.show(1);
  Line l = o.line(1);
  // Frame before the damage loses the post-sync bits 0xE0 (0x1F), the
  // damaged frame its own sync 0x0C (0xF3): together 0x13.
  EXPECT_EQ(l.q, 0x13);
  EXPECT_TRUE(holds(l.values, 0, 14, 328));  // the first frame's pixels are sound
  // Skipping faulty lines: the next line top-down, the line before bottom-up.
  o.view->skip_faulty = true;
  for (auto [scan, seg] : {std::pair{ScanDir::TopDown, 16}, {ScanDir::BottomUp, 12}}) {
    o.view->scan_dir = scan;
    l = o.line(1);
    EXPECT_EQ(l.q, 0xFF) << seg;
    EXPECT_TRUE(holds(l.values, 0, seg, 1250)) << seg;
  }
  // The raw frame view shows the frames as received: line 2 starts two line
  // distances (2 x 8 records) after the start frame.
  o.view->skip_faulty = false;
  o.view->chan_sel[0] = 1;
  l = o.line(2);
  const HriFrame& want = s.frames[static_cast<size_t>(record_of(11, 1) + 2 * 8)];
  EXPECT_EQ(l.q, 0xFF);
  EXPECT_EQ(std::vector<uint16_t>(l.values.begin(), l.values.begin() + kHriFrameBytes),
            std::vector<uint16_t>(want.begin(), want.end()));
  EXPECT_EQ(ints(l.values[3], l.values[364]), ints(0x31, 0xBEEF));

  // Bottom-up from line 0 with line 0 faulty: nothing before it.
  HriStream t = two_channel_stream(40);
  spoil_sync(frame_of(t, 12, 3));
  Opened p = open(t);
  p.show(1).view->skip_faulty = true;
  p.view->scan_dir = ScanDir::BottomUp;
  EXPECT_EQ(p.line(0).q, 0x13);
}

TEST_F(HriFile, ALineIsLookedForNearItsPlaceOnly) {
  // Channel 1 is missing from segment 20 to 59: its line 4 (segment 20) is
  // not there, and segment 60 far behind is not taken for it.
  HriStream s = two_channel_stream(80);
  for (int k = 20; k < 60; ++k) {
    frame_of(s, k, 0)[17] = 0x00;
    frame_of(s, k, 0)[18] = 0xFF;
  }
  Opened o = open(s);
  ASSERT_EQ(o.rc, 0);
  o.show(1);
  EXPECT_EQ(o.line(3).q, 0xFF);
  EXPECT_EQ(o.line(4).q, 0);
  Line l = o.line(24);  // segment 60
  EXPECT_EQ(l.q, 0xFF);
  EXPECT_TRUE(holds(l.values, 0, 60, 1250));
}

TEST_F(HriFile, DoubleResolutionPairsOfFormat8) {
  // Channels 1 and 2 at double resolution: each line is two segments of
  // 2500 pixels; picture lines alternate between the two channels' pairs.
  HriStream s;
  for (int i = 0; i < kHeaderFrames; ++i) s.add(test::header_frame(kHigh, 8, 0x0002, 1999, 365, 5));
  const Flags flags[4] = {{0xF0, 0, 0, 0}, {0xF0, 0, 0, 0}, {0, 0xF0, 0, 0}, {0, 0xF0, 0, 0}};
  for (int k = 0; k < 48; ++k) s.add_segment(8, kHigh, 2 + 48, 2 + k, flags[k % 4], k, 0xF0);
  Opened o = open(s, true);
  ASSERT_EQ(o.rc, 0);
  const PIC_INFO& p = *o.pic;
  EXPECT_EQ(p.sat_name, "GMS");
  EXPECT_EQ(
      ints(p.hri_time.tm_mon, p.hri_time.tm_mday, p.hri.format, p.hri.data_off, p.hri.nseg,
           p.hri.chan[1].double_res, p.hri.chan[2].double_res, p.orientation, p.scan_dir, p.frame.line_bytes),
      ints(11, 31, 8, 68, 4, 1, 1, 4, 1, 4 * 8 * kRec));
  o.show(1);
  EXPECT_EQ(ints(p.width, p.height), ints(5000, (50 - 13) / 4 * 2));
  // The start frame is segment 11; line n is the pair 12 + 2n, 13 + 2n
  // (channel 1 on even lines, channel 2 on odd ones); line 17 ends the
  // file, no frame follows it.
  for (int n : {0, 1, 6, 7, 16, 17}) {
    SCOPED_TRACE(n);
    Line l = o.line(n);
    EXPECT_EQ(l.q, n == 17 ? 0x0F : 0xFF);
    for (int half : {0, 1}) {
      EXPECT_TRUE(holds(l.values, 2500 * half, 12 + 2 * n + half, 2500));
      EXPECT_TRUE(holds(l.grid, 316 * half, 12 + 2 * n + half, 316, true));
    }
  }
  // Channel 2 on its own shows its own segments.
  Line two = o.show(2).line(1);
  EXPECT_TRUE(holds(two.values, 0, 18, 2500));
  EXPECT_TRUE(holds(two.values, 2500, 19, 2500));
}

TEST_F(HriFile, DetectionWhatEachStateOfTheSearchLeaves) {
  {  // Only the file header: opens with no lines.
    Opened o = open(HriStream());
    EXPECT_EQ(ints(o.rc, o.pic->data_offset), ints(0, kFile));
    EXPECT_EQ(o.pic->sat_name, "");
    EXPECT_EQ(o.show(1).pic->height, 0);
    EXPECT_EQ(o.line(0).q, 0);
  }
  // A header shorter than 34 bytes.
  EXPECT_EQ(open_bytes(std::string("PDUS", 4) + std::string(10, '\0')).rc, kErrRead);
  {  // Six header frames: the last one has no follower, so the run stays at 4.
    HriStream s;
    for (int i = 0; i < 6; ++i) s.add(test::header_frame(kLow, 4, 0xD4F3, 2001, 1, 0));
    Opened o = open(s);
    EXPECT_EQ(o.rc, 0);
    EXPECT_EQ(o.pic->sat_name, "");
    // Seven: state 1, the header is taken.
    s.add(test::header_frame(kLow, 4, 0xD4F3, 2001, 1, 0));
    Opened p = open(s);
    EXPECT_EQ(p.pic->sat_name, "METEOSAT 3");
    EXPECT_EQ(ints(p.rc, p.pic->hri_time.tm_year, p.pic->hri_time.tm_mday, p.pic->hri.format,
                   p.pic->frame.line_bytes),
              ints(0, 101, 1, 0, 0));
  }
  {  // Channel flags collected (state 3) but the file ends before the start.
    Opened o = open(two_channel_stream(10));
    EXPECT_EQ(o.pic->sat_name, "METEOSAT 7");
    EXPECT_EQ(ints(o.rc, o.pic->chan_present[1], o.pic->chan_present[2], o.pic->hri.format),
              ints(0, 1, 1, 0));
    EXPECT_EQ(o.show(1).pic->height, 0);
    EXPECT_EQ(o.line(0).q, 0);
  }
  {  // No header frames: the counter run alone finds the picture.
    Opened o = open(two_channel_stream(40, false));
    EXPECT_EQ(o.pic->sat_name, "");
    EXPECT_EQ(ints(o.rc, o.pic->hri.first_frame, o.pic->data_offset),
              ints(0, 13, kFile + record_of(11, 1, 0) * kRec));
  }
  {  // Reopening forgets the earlier picture but not the encrypted note.
    Opened o = open(two_channel_stream(40));
    ASSERT_EQ(o.pic->hri.format, 4);
    o.pic->hri.encrypted = true;  // noted by the recorder
    ASSERT_TRUE(o.pic->pic_fp.open(file_of(HriStream()), "rb"));
    EXPECT_EQ(read_hri1_hdr(o.pic.get()), 0);
    EXPECT_EQ(o.pic->sat_name, "");
    EXPECT_EQ(ints(o.pic->hri.format, o.pic->hri.chan[1].nlines, o.pic->chan_present[1],
                   o.pic->frame.words_padded, o.pic->hri.encrypted, o.show(1).pic->height),
              ints(0, 0, 0, 0, 1, 0));
  }
}

TEST_F(HriFile, DetectionCounterGapsAndDamagedFramesRestartTheRun) {
  {  // A damaged start-of-segment frame during the run: back to state 2,
     // five rises to state 3 again, eleven to the start.
    HriStream s = two_channel_stream(40);
    spoil_sync(frame_of(s, 8, 0));
    Opened o = open(s);
    EXPECT_EQ(ints(o.pic->hri.first_frame, o.pic->data_offset, o.pic->hri.chan[1].nlines),
              ints(22, kFile + record_of(20, 1) * kRec, (42 - 22) / 2));
  }
  {  // A counter that jumps.
    HriStream s = two_channel_stream(40);
    for (int k = 7; k < 40; ++k) test::put16(frame_of(s, k, 0), 8, 2 + k + 100);
    EXPECT_EQ(open(s).pic->hri.first_frame, 100 + 2 + 18);
  }
  {  // Flipped flag bits are cleaned by majority: 0xFE and 0x7F still mean
     // present, 0x3C on channel 3 means absent.
    HriStream s = two_channel_stream(40);
    frame_of(s, 6, 0)[17] = 0xFE;
    frame_of(s, 7, 0)[18] = 0x7F;
    frame_of(s, 8, 0)[19] = 0x3C;
    Opened o = open(s);
    EXPECT_EQ(ints(o.pic->hri.first_frame, o.pic->chan_present[1], o.pic->chan_present[2],
                   o.pic->chan_present[3], o.pic->hri.nseg),
              ints(13, 1, 1, 0, 2));
  }
  {  // Frames of another kind or segment length are not part of the picture.
     // Segment 9 skipped: 10 does not follow 8, back to state 2. Segment 15
     // skipped as well: the run restarts at 16, state 3 at 21, the start at
     // 27 (counter 29).
    HriStream s = two_channel_stream(40);
    frame_of(s, 9, 0)[3] = 0x50;
    test::put16(frame_of(s, 15, 0), 4, 5);
    EXPECT_EQ(open(s).pic->hri.first_frame, 29);
  }
  {  // A file cut inside a frame: the end frame promises more than the file holds.
    std::string bytes = two_channel_stream(40).bytes();
    bytes.resize(static_cast<size_t>(kFile + record_of(20, 2) * kRec + 100));
    Opened o = open_bytes(bytes);
    ASSERT_EQ(o.rc, 0);
    EXPECT_EQ(o.pic->hri.first_frame, 13);
    EXPECT_EQ(o.show(1).pic->height, 14);
    EXPECT_EQ(o.line(3).q, 0xFF);
    EXPECT_EQ(o.line(4).q, 0);  // segment 20 is cut
    EXPECT_EQ(o.line(13).q, 0);
  }
}

}  // namespace
}  // namespace kelo
