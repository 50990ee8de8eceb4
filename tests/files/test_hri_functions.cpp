// HRI support functions: satellite names, header and picture-start frames,
// frame geometry, channel choice and grid expansion.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/records.h"
#include "files/hri_functions.h"
#include "hri_stream.h"

namespace kelo {
namespace {

using test::Flags;
using test::HriFrame;
using test::Ints;
using test::ints;

TEST(HriSatName, CodesOfTheDisseminationTableAndUnknownCodes) {
  // {code, name before, name after}. Known codes replace a name found
  // before; unknown ones keep it or show the code. The code is a 16-bit
  // field: wider values are cut to it.
  const struct {
    int code;
    const char *before, *after;
  } cases[] = {{0x0000, "", "GOES-E"},      {0x0001, "", "GOES-W"},      {0x0002, "", "GMS"},
               {0x0003, "", "GOMS"},        {0xD4E3, "", "METEOSAT 1"},  {0xD4F0, "", "METEOSAT 0"},
               {0xD4F7, "", "METEOSAT 7"},  {0xD4FF, "", "METEOSAT 15"}, {0xFFFF, "", "Unknown"},
               {0x0002, "GOES-E", "GMS"},   {0xFFFF, "GMS", "Unknown"},  {0x1234, "", "Code 1234?"},
               {0x1234, "GMS", "GMS"},      {0xD4E4, "", "Code d4e4?"},  {0x0004, "", "Code 4?"},
               {0x1D4F7, "", "METEOSAT 7"}, {-1, "", "Unknown"}};
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
  out.insert(out.end(), {pic.orientation, pic.scan_dir});
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
            ints(2, 4, 13, 36, 1250, 150, 1250, 150, 0, 0, 0, 0, 3, 1));
  EXPECT_EQ(geometry_of(a), ints(1456, 2912, 2968, 0, 0, 1));

  PIC_INFO b{};
  b.chan_present[1] = b.chan_present[2] = b.chan_present[3] = 1;
  b.hri.chan[1].double_res = b.hri.chan[2].double_res = 1;
  // Frames per segment 0 counts as 8. (1000 - 400) / 5 = 120 lines, twice
  // for channel 1 as channel 2 doubles too.
  EXPECT_EQ(start_of(b, test::first_frame(test::kHigh, 0, 1000, 400, Flags{}, 0x00)),
            ints(5, 8, 400, 68, 5000, 240, 5000, 120, 2500, 120, 0, 0, 4, 2));
  EXPECT_EQ(geometry_of(b), ints(8 * 364, 5 * 8 * 364, 5 * 8 * 371, 0, 0, 1));
  // Scan bytes and the orientation and direction they give; any other
  // scan byte leaves them as they were.
  for (auto [scan, orient, dir] : {std::tuple{0x0F, 3, 2}, {0xF0, 4, 1}, {0xFF, 3, 1}, {0x3C, 3, 1}}) {
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

}  // namespace
}  // namespace kelo
