// Channel choice on opening, and the file-information text with its frame
// header decoding.
#include "core/view/channels.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/export/hrpt_fixture.h"
#include "core/files/file.h"
#include "core/view/open_picture.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

TEST(ChannelSelect, KeepsHeldChannelsAndFallsBackToTheLowest) {
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  pic->file_type = kKindHRPT;
  pic->chan_present[2] = pic->chan_present[4] = pic->chan_present[5] = 1;

  // A selected channel the file lacks goes; one it holds stays.
  view->chan_sel[0] = 1;
  view->chan_sel[1] = 1;
  view->chan_sel[4] = 1;
  Channel_Select(pic.get(), view.get());
  // No fallback to channel 2 while a held channel is selected.
  EXPECT_EQ(std::vector<int>(view->chan_sel, view->chan_sel + kMaxChannels + 1),
            (std::vector<int>{0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}));

  // Nothing held selected: the lowest held channel (2) is chosen.
  *view = VIEW_INFO{};
  view->chan_sel[3] = 1;
  Channel_Select(pic.get(), view.get());
  for (int n = 0; n <= kMaxChannels; n++) EXPECT_EQ(view->chan_sel[n], n == 2 ? 1 : 0) << "channel " << n;
}

// 2009-03-05 12:34:56 was a Thursday.
BrokenTime march_fifth() {
  BrokenTime t{};
  t.tm_year = 109;
  t.tm_mon = 2;
  t.tm_mday = 5;
  t.tm_hour = 12;
  t.tm_min = 34;
  t.tm_sec = 56;
  return t;
}

TEST(FileInfo, TextOfEachKindOfFile) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->path = "/pass/noaa19.10b";
  pic->file_type = kKindHRPT;
  pic->sat_name = "NOAA 19";
  pic->width = 2048;
  pic->height = 1200;
  pic->y_offset = 12;
  for (int n = 1; n <= 5; n++) pic->chan_present[n] = 1;
  pic->orbit.start_tm_sat = march_fifth();
  pic->orbit.start_tm_comp = march_fifth();
  pic->orbit.start_tm_comp.tm_sec = 58;
  pic->orbit.start_tm = march_fifth();
  pic->orbit.start_tm.tm_mday = 31;
  pic->orbit.start_tm.tm_mon = 11;
  pic->orbit.start_tm.tm_year = 99;
  EXPECT_EQ(file_info_text(pic.get()),
            " File      : /pass/noaa19.10b\n"
            " Type      : HRPT\n"
            " Satellite : NOAA 19\n"
            " Sat time  : Thu Mar  5 12:34:56 2009\n"
            " Rec. time : Thu Mar  5 12:34:58 2009\n"
            " Used time : Fri Dec 31 12:34:56 1999\n"
            " Channels  : 1 2 3 4 5\n"
            " Offset    :    0 x   12\n"
            " Size      : 2048 x 1200\n"
            " No frame header recorded.\n");

  // With frame headers recorded the last line goes.
  pic->chan_present[0] = 1;
  pic->file_type = kKindCHRPT;
  pic->sat_name = "FENGYUN 1D";
  for (int n = 6; n <= 10; n++) pic->chan_present[n] = 1;
  pic->chan_present[3] = 0;
  std::string chrpt = file_info_text(pic.get());
  EXPECT_NE(chrpt.find(" Type      : CHRPT\n Satellite : FENGYUN 1D\n"), std::string::npos) << chrpt;
  EXPECT_NE(chrpt.find(" Channels  : 1 2 4 5 6 7 8 9 10\n"), std::string::npos) << chrpt;
  EXPECT_EQ(chrpt.find("No frame header"), std::string::npos);

  auto hri = std::make_unique<PIC_INFO>();
  hri->path = "met7.hri";
  hri->file_type = kKindHRI;
  hri->sat_name = "METEOSAT 7";
  hri->width = 2500;
  hri->height = 2500;
  hri->chan_present[1] = hri->chan_present[2] = 1;
  hri->hri_time = march_fifth();
  hri->hri_time.tm_sec = 0;
  EXPECT_EQ(file_info_text(hri.get()),
            " File      : met7.hri\n"
            " Type      : HRI\n"
            " Satellite : METEOSAT 7\n"
            " Picture time: Thu Mar  5 12:34:00 2009\n"
            " Channels  : 1 2\n"
            " Offset    :    0 x    0\n"
            " Size      : 2500 x 2500\n");

  auto pgm = std::make_unique<PIC_INFO>();
  pgm->path = "pass.pgm";
  pgm->file_type = kKindPGM;
  pgm->depth = 10;
  pgm->width = 640;
  pgm->height = 480;
  pgm->chan_present[1] = 1;
  EXPECT_EQ(file_info_text(pgm.get()),
            " File      : pass.pgm\n"
            " Type      : PGM (10 bits)\n"
            " Size      :  640 x  480\n");

  pgm->file_type = kKindUnknown;
  EXPECT_EQ(file_info_text(pgm.get()),
            " File      : pass.pgm\n Type      : Unknown\n Size      :  640 x  480\n");
}

// Frame header words of a NOAA frame: sync, id, spare, day 150 and
// 12:34:56.789 (ms = 45296789 = 43 * 2^20 + 203 * 2^10 + 149).
std::vector<uint16_t> noaa_words(uint16_t id) {
  return {644, 367, 860, 413, 527, 149, id, 0, 300, 43, 203, 149};
}

TEST(FrameHeader, DecodesAddressChannel3AndTime) {
  // The whole text of a NOAA 19 frame (address 15, bit 1 clear, bit 0 set:
  // the AVHRR sends 3A) and of a FengYun frame (address in bits 9-6, no
  // channel-3 line) is checked on recordings with the frame readout below and
  // in the exporter's tests. Bit 0 clear: 3B.
  std::string b = frame_header_text(kKindHRPT, 0, noaa_words(0x78).data());
  EXPECT_NE(b.find(" Channel 3 type: Ch3B\n"), std::string::npos) << b;
  // Bit 1 set: no channel-3 statement at all.
  std::string none = frame_header_text(kKindHRPT, 0, noaa_words(0x7A).data());
  EXPECT_EQ(none.find("Channel 3"), std::string::npos) << none;
  // Address 7 is NOAA 15.
  EXPECT_NE(frame_header_text(kKindHRPT, 0, noaa_words(0x0B8).data()).find("7 --> NOAA 15\n"),
            std::string::npos);

  // SeaStar: sync and time only. Minutes and seconds are not padded.
  std::vector<uint16_t> sea = {644, 367, 860, 413, 527, 149, 0x10, 0, 0, 0, 3, 850};
  // 3 * 1024 + 850 = 3922 ms -> 0:0:3
  EXPECT_EQ(frame_header_text(kKindSeaStar, 1, sea.data()),
            " Frame     : 1\n"
            " Sync      : 284 16f 35c 19d 20f 95\n"
            "\n"
            " TIME     : day 0  0:0:3\n");
}

TEST(FrameHeader, StepsThroughARecordingAndStopsAtItsEnd) {
  test::TempDir dir;
  test::FixtureShape shape;
  shape.lines = 3;
  std::string path = dir.file("pass.10b");
  ASSERT_TRUE(test::write_fixture(path, shape));
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  pic->path = path;
  ASSERT_EQ(open_picture(pic.get(), view.get(), nullptr), 0);
  EXPECT_EQ(file_info_text(pic.get()).find("No frame header"), std::string::npos);

  // The whole block of a frame is checked by the exporter's tests; line 2
  // is 2 frames (334 ms) after 12:34:56.789: 12:34:57.
  int nr = 2;
  const std::string two = frame_info_text(pic.get(), view.get(), &nr);
  EXPECT_NE(two.find(" Frame     : 2\n"), std::string::npos) << two;
  EXPECT_NE(two.find(" TIME     : day 150  12:34:57\n"), std::string::npos) << two;
  EXPECT_EQ(nr, 2);

  // Past the last line: end of file, and the frame number steps back.
  nr = 3;
  EXPECT_EQ(frame_info_text(pic.get(), view.get(), &nr),
            " ---------------------------------\n End of file.\n");
  EXPECT_EQ(nr, 2);
  nr = 40;
  frame_info_text(pic.get(), view.get(), &nr);
  EXPECT_EQ(nr, 39);

  // Never below frame 0.
  nr = -1;
  EXPECT_NE(frame_info_text(pic.get(), view.get(), &nr).find(" Frame     : 0\n"), std::string::npos);
  EXPECT_EQ(nr, 0);

  // A recording without frame headers has no block.
  pic->chan_present[0] = 0;
  nr = 0;
  EXPECT_EQ(frame_info_text(pic.get(), view.get(), &nr), "");
}

}  // namespace
}  // namespace kelo
