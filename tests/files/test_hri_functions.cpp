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

std::string name_of(int code, std::string before = "") {
  hri_satind2satname(code, &before);
  return before;
}

TEST(HriSatName, CodesOfTheDisseminationTable) {
  EXPECT_EQ(name_of(0x0000), "GOES-E");
  EXPECT_EQ(name_of(0x0001), "GOES-W");
  EXPECT_EQ(name_of(0x0002), "GMS");
  EXPECT_EQ(name_of(0x0003), "GOMS");
  EXPECT_EQ(name_of(0xD4E3), "METEOSAT 1");
  EXPECT_EQ(name_of(0xD4F0), "METEOSAT 0");
  EXPECT_EQ(name_of(0xD4F7), "METEOSAT 7");
  EXPECT_EQ(name_of(0xD4FF), "METEOSAT 15");
  EXPECT_EQ(name_of(0xFFFF), "Unknown");
  // Known codes replace a name found before.
  EXPECT_EQ(name_of(0x0002, "GOES-E"), "GMS");
  EXPECT_EQ(name_of(0xFFFF, "GMS"), "Unknown");
}

TEST(HriSatName, UnknownCodesKeepAnEarlierNameOrShowTheCode) {
  EXPECT_EQ(name_of(0x1234), "Code 1234?");
  EXPECT_EQ(name_of(0x1234, "GMS"), "GMS");
  EXPECT_EQ(name_of(0xD4E4), "Code d4e4?");  // next to METEOSAT 1, not in the table
  EXPECT_EQ(name_of(0x0004), "Code 4?");
  // The code is a 16-bit field: wider values are cut to it.
  EXPECT_EQ(name_of(0x1D4F7), "METEOSAT 7");
  EXPECT_EQ(name_of(-1), "Unknown");
  hri_satind2satname(0x0002, nullptr);  // no name to fill: nothing happens
}

TEST(HriHeaderFrame, NameAndPictureTimeFromTheHeaderFields) {
  PIC_INFO pic{};
  std::string name;
  HriFrame f = test::header_frame(test::kLow, 4, 0xD4F7, 2003, 32, 1230);
  hri_hdrsf2hri_pci(f.data(), &name, &pic);
  EXPECT_EQ(name, "METEOSAT 7");
  EXPECT_EQ(pic.hri_time.tm_year, 103);
  EXPECT_EQ(pic.hri_time.tm_yday, 31);
  EXPECT_EQ(pic.hri_time.tm_mon, 1);  // 1 February 2003, a Saturday
  EXPECT_EQ(pic.hri_time.tm_mday, 1);
  EXPECT_EQ(pic.hri_time.tm_wday, 6);
  EXPECT_EQ(pic.hri_time.tm_hour, 12);
  EXPECT_EQ(pic.hri_time.tm_min, 30);
  EXPECT_EQ(pic.hri_time.tm_sec, 0);

  // Day 60 of a leap year is 29 February; 2359 is one minute to midnight.
  f = test::header_frame(test::kHigh, 8, 0x0001, 2024, 60, 2359);
  hri_hdrsf2hri_pci(f.data(), &name, &pic);
  EXPECT_EQ(name, "GOES-W");
  EXPECT_EQ(pic.hri_time.tm_year, 124);
  EXPECT_EQ(pic.hri_time.tm_mon, 1);
  EXPECT_EQ(pic.hri_time.tm_mday, 29);
  EXPECT_EQ(pic.hri_time.tm_hour, 23);
  EXPECT_EQ(pic.hri_time.tm_min, 59);
}

TEST(HriHeaderFrame, NonsenseFieldsAreNormalisedNotTrusted) {
  PIC_INFO pic{};
  std::string name;
  // Day 0 and 99:99 from a damaged header frame: the time is carried into
  // a valid date instead of leaving impossible fields.
  HriFrame f = test::header_frame(test::kLow, 4, 0x1234, 2003, 0, 9999);
  hri_hdrsf2hri_pci(f.data(), &name, &pic);
  EXPECT_EQ(name, "Code 1234?");
  EXPECT_GE(pic.hri_time.tm_mon, 0);
  EXPECT_LE(pic.hri_time.tm_mon, 11);
  EXPECT_GE(pic.hri_time.tm_mday, 1);
  EXPECT_LE(pic.hri_time.tm_mday, 31);
  EXPECT_LE(pic.hri_time.tm_hour, 23);
  EXPECT_LE(pic.hri_time.tm_min, 59);
}

TEST(HriPictureStart, GeometryOfAFormat4PictureWithTwoChannels) {
  PIC_INFO pic{};
  pic.chan_present[1] = 1;
  pic.chan_present[2] = 1;
  HriFrame f = test::first_frame(test::kLow, 4, 313, 13, Flags{0xFF, 0, 0, 0}, 0xFF);
  hri_sf2hri_pci(f.data(), &pic.hri, &pic);
  EXPECT_EQ(pic.hri.nseg, 2);
  EXPECT_EQ(pic.hri.format, 4);
  EXPECT_EQ(pic.hri.first_frame, 13);
  EXPECT_EQ(pic.hri.data_off, 36);
  EXPECT_EQ(pic.hri.chan[1].line_len, 1250);
  EXPECT_EQ(pic.hri.chan[1].nlines, 150);  // (313 - 13) / 2
  EXPECT_EQ(pic.hri.chan[2].line_len, 1250);
  EXPECT_EQ(pic.hri.chan[2].nlines, 150);
  EXPECT_EQ(pic.hri.chan[3].line_len, 0);
  EXPECT_EQ(pic.hri.chan[3].nlines, 0);
  EXPECT_EQ(pic.orientation, 3);
  EXPECT_EQ(pic.scan_dir, 1);

  calc_hriframeinfo(&pic.frame, &pic.hri);
  EXPECT_EQ(pic.frame.words_per_line, 1456);
  EXPECT_EQ(pic.frame.words_padded, 2912);
  EXPECT_EQ(pic.frame.line_bytes, 2968);
  EXPECT_EQ(pic.frame.hdr_words, 0);
  EXPECT_EQ(pic.frame.tail_words, 0);
  EXPECT_EQ(pic.frame.n_channels, 1);
}

TEST(HriPictureStart, DoubleResolutionAndScanOrientation) {
  PIC_INFO pic{};
  pic.chan_present[1] = 1;
  pic.chan_present[2] = 1;
  pic.chan_present[3] = 1;
  pic.hri.chan[1].double_res = 1;
  pic.hri.chan[2].double_res = 1;
  // Frames per segment 0 counts as 8.
  HriFrame f = test::first_frame(test::kHigh, 0, 1000, 400, Flags{}, 0x00);
  hri_sf2hri_pci(f.data(), &pic.hri, &pic);
  EXPECT_EQ(pic.hri.nseg, 5);
  EXPECT_EQ(pic.hri.format, 8);
  EXPECT_EQ(pic.hri.data_off, 68);
  EXPECT_EQ(pic.hri.chan[1].line_len, 5000);
  EXPECT_EQ(pic.hri.chan[1].nlines, 240);  // (1000 - 400) / 5 = 120, twice: channel 2 doubles
  EXPECT_EQ(pic.hri.chan[2].line_len, 5000);
  EXPECT_EQ(pic.hri.chan[2].nlines, 120);
  EXPECT_EQ(pic.hri.chan[3].line_len, 2500);
  EXPECT_EQ(pic.hri.chan[3].nlines, 120);
  EXPECT_EQ(pic.orientation, 4);
  EXPECT_EQ(pic.scan_dir, 2);
  calc_hriframeinfo(&pic.frame, &pic.hri);
  EXPECT_EQ(pic.frame.words_per_line, 8 * 364);
  EXPECT_EQ(pic.frame.words_padded, 5 * 8 * 364);
  EXPECT_EQ(pic.frame.line_bytes, 5 * 8 * 371);

  const int scans[][3] = {{0x0F, 3, 2}, {0xF0, 4, 1}, {0xFF, 3, 1}};
  for (const auto& s : scans) {
    f = test::first_frame(test::kHigh, 8, 1000, 400, Flags{}, static_cast<uint8_t>(s[0]));
    hri_sf2hri_pci(f.data(), &pic.hri, &pic);
    EXPECT_EQ(pic.orientation, s[1]) << s[0];
    EXPECT_EQ(pic.scan_dir, s[2]) << s[0];
  }
  // Any other scan byte leaves orientation and direction as they were.
  f = test::first_frame(test::kHigh, 8, 1000, 400, Flags{}, 0x3C);
  hri_sf2hri_pci(f.data(), &pic.hri, &pic);
  EXPECT_EQ(pic.orientation, 3);
  EXPECT_EQ(pic.scan_dir, 1);
}

TEST(HriPictureStart, EndBeforeStartGivesNoLines) {
  PIC_INFO pic{};
  pic.chan_present[4] = 1;
  HriFrame f = test::first_frame(test::kLow, 4, 10, 500, Flags{});
  hri_sf2hri_pci(f.data(), &pic.hri, &pic);
  EXPECT_EQ(pic.hri.chan[4].nlines, 0);
  EXPECT_EQ(pic.hri.chan[4].line_len, 1250);
}

TEST(HriChannelSelect, FirstShownChannelGivesTheSize) {
  PIC_INFO pic{};
  VIEW_INFO view{};
  pic.width = 7;
  pic.height = 9;
  pic.hri.chan[2] = HRI_CHAN{2500, 300, 0};
  pic.hri.chan[3] = HRI_CHAN{1250, 150, 0};
  hri_channelselect(&pic, &view);  // nothing shown: unchanged
  EXPECT_EQ(pic.width, 7);
  EXPECT_EQ(pic.height, 9);
  view.chan_sel[3] = 1;
  hri_channelselect(&pic, &view);
  EXPECT_EQ(pic.width, 1250);
  EXPECT_EQ(pic.height, 150);
  view.chan_sel[2] = 1;  // the lower channel wins
  hri_channelselect(&pic, &view);
  EXPECT_EQ(pic.width, 2500);
  EXPECT_EQ(pic.height, 300);
  view.chan_sel[2] = 0;
  view.chan_sel[3] = 0;
  view.chan_sel[5] = 1;  // HRI pictures have channels 1-4 only
  hri_channelselect(&pic, &view);
  EXPECT_EQ(pic.width, 2500);
}

TEST(HriGrid, BitmapExpandsMostSignificantBitFirst) {
  PIC_INFO pic{};
  pic.width = 8;
  uint8_t bytes[kHriGridBytes] = {0x80};
  uint8_t marks[24];
  std::fill(std::begin(marks), std::end(marks), 0xEE);
  add_hrigrid(&pic, marks, bytes);
  const uint8_t only_first[8] = {1, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(marks[i], only_first[i]) << i;
  EXPECT_EQ(marks[8], 0xEE);  // nothing past the width

  // 0xA5 0x01 over a 12-pixel line: 1010 0101 0000.
  pic.width = 12;
  bytes[0] = 0xA5;
  bytes[1] = 0x01;
  add_hrigrid(&pic, marks, bytes);
  const uint8_t want[12] = {1, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0, 0};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(marks[i], want[i]) << i;
  EXPECT_EQ(marks[12], 0xEE);

  add_hrigrid(&pic, nullptr, bytes);  // no output: nothing happens
}

TEST(HriGrid, WidthBeyondTheMarksTableIsCut) {
  PIC_INFO pic{};
  pic.width = 100000;  // a damaged record must not walk off the grid table
  std::vector<uint8_t> bytes(kHriGridBytes, 0xFF);
  std::vector<uint8_t> marks(8 * kHriGridBytes + 16, 7);
  add_hrigrid(&pic, marks.data(), bytes.data());
  EXPECT_EQ(marks[8 * kHriGridBytes - 1], 1);
  EXPECT_EQ(marks[8 * kHriGridBytes], 7);
}

}  // namespace
}  // namespace kelo
