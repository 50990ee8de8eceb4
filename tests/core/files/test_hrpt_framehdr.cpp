// Frame headers: satellite names, identification and time code decoding,
// and the search for the first frame whose time can be trusted.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/files/hrpt1_read.h"
#include "core/files/hrpt_framehdr.h"
#include "hrpt_records.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

TEST(FrameHdrNames, AddressTableAndFamilies) {
  const std::pair<int, const char*> table[] = {{1, "NOAA 11"},      {2, "Seastar"},
                                               {15, "NOAA 19"},     {208, "FENGYUN 1D"},
                                               {0, "unknown: 0\n"}, {255, "unknown: ff\n"}};
  for (const auto& [addr, name] : table) EXPECT_EQ(spacecrftaddr2name(addr), name) << addr;

  EXPECT_EQ(xrptid2name(0x0B8, SatKind::NOAA), "NOAA 15");
  EXPECT_EQ(xrptid2name(0x0B8, SatKind::SeaWiFS), "NOAA 15");
  EXPECT_EQ(xrptid2name(0x0B8, SatKind::FengYun), "unknown: 20\n");
  EXPECT_EQ(xrptid2name(12 << 6, SatKind::FengYun), "FENGYUN 1C");
  EXPECT_EQ(xrptid2name(13 << 6 | 0x3F, SatKind::FengYun), "FENGYUN 1D");
  EXPECT_EQ(xrptid2name(15 << 3, SatKind::NOAA), "NOAA 19");
  EXPECT_EQ(xrptid2name(0x0B8, SatKind::Unknown), "");
  EXPECT_EQ(xrptid2name(0x0B8, SatKind::HRI), "");
}

// Year, month, day of month, day of year, hour, minute, second, ms.
using Fields = std::array<int, 8>;
Fields when(const FRAME_HDR& h) {
  const BrokenTime& t = h.time;
  return {t.tm_year, t.tm_mon, t.tm_mday, t.tm_yday, t.tm_hour, t.tm_min, t.tm_sec, h.time_ms};
}

TEST(FrameHdrDecode, IdentificationAndTimeCode) {
  // id: flag9 1, minor frame 2, address 7, flag2 1, bits 1-0 = 01.
  const uint16_t id = (1 << 9) | (2 << 7) | (7 << 3) | (1 << 2) | 1;
  uint16_t w[12] = {644, 367, 860, 413, 527, 149, id, 0, 2 * 150, 0x05, 0x1F5, 0x000};
  FRAME_HDR h;
  decode_framehdr(w, SatKind::NOAA, &h);
  // Day 150; 5 * 2^20 + 501 * 1024 = 5755904 ms.
  EXPECT_EQ(std::tuple(h.sync[0], h.sync[5], h.id_flag9, h.minor_frame, h.sc_addr, h.id_flag2, h.day, h.msec),
            std::tuple(644, 149, 1, 2, 7, 1, 150, 5755904));

  BrokenTime ref{};
  ref.tm_year = 120;  // 2020, a leap year
  ref.tm_yday = 10;
  EXPECT_EQ(interpret_framehdr(&h, &ref), 'y');
  EXPECT_EQ(h.sat_name, "NOAA 15");
  // 01:35:55.904 on 29 May 2020 (day of year 149 from 0).
  EXPECT_EQ(when(h), (Fields{120, 4, 29, 149, 1, 35, 55, 904}));

  // FengYun: only the address changes; the other id fields stay.
  w[6] = 13 << 6;
  decode_framehdr(w, SatKind::FengYun, &h);
  EXPECT_EQ(std::tuple(h.sc_addr, h.minor_frame, h.id_flag9), std::tuple(208, 2, 1));

  // No day count: the reference's day (3 March of a leap year).
  w[8] = 0;
  decode_framehdr(w, SatKind::NOAA, &h);
  ref.tm_mon = 2;
  ref.tm_mday = 3;
  ref.tm_yday = 62;
  EXPECT_EQ(interpret_framehdr(&h, &ref), 'd');
  EXPECT_EQ(when(h), (Fields{120, 2, 3, 62, 1, 35, 55, 904}));
  EXPECT_EQ(h.sat_name, "unknown: 8\n");  // 13 << 6 read as a NOAA word: bits 6-3 are 1000

  // 25 hours of milliseconds on day 366 of 2020 carry into 1 January 2021.
  const int ms = 25 * 3600000 + 1;
  w[9] = static_cast<uint16_t>((ms >> 20) & 0x7F);
  w[10] = static_cast<uint16_t>((ms >> 10) & 0x3FF);
  w[11] = static_cast<uint16_t>(ms & 0x3FF);
  w[8] = 2 * 366;
  decode_framehdr(w, SatKind::NOAA, &h);
  EXPECT_EQ(interpret_framehdr(&h, &ref), 'y');
  EXPECT_EQ(when(h), (Fields{121, 0, 1, 0, 1, 0, 0, 1}));
}

// An HRPT recording with sync words and one channel of width 4; each line's
// time code carries the given milliseconds of the day.
std::string frames_file(const std::vector<int>& msec, bool with_sync) {
  return test::four_pixel_recording(msec.size(), with_sync, [&](size_t n, std::vector<uint16_t>& w) {
    if (!with_sync) return;
    w[6] = 15 << 3;
    w[8] = 2 * 100;
    w[9] = static_cast<uint16_t>((msec[n] >> 20) & 0x7F);
    w[10] = static_cast<uint16_t>((msec[n] >> 10) & 0x3FF);
    w[11] = static_cast<uint16_t>(msec[n] & 0x3FF);
  });
}

std::unique_ptr<PIC_INFO> open_frames(const test::TempDir& dir, const std::string& name,
                                      const std::string& bytes) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->file_type = kKindHRPT;
  EXPECT_TRUE(pic->pic_fp.open(dir.write(name, bytes), "rb"));
  EXPECT_EQ(read_hrpt1_hdr(pic.get()), 0);
  return pic;
}

TEST(FrameHdrSearch, ReliableFrameCases) {
  test::TempDir dir;
  // Six frames in second 10, six in 11, two in 12 (one sixth of a second apart).
  std::vector<int> ms;
  for (int s = 10; s <= 12; ++s)
    for (int i = 0; i < (s == 12 ? 2 : 6); ++i) ms.push_back(s * 1000 + i * 166);
  auto pic = open_frames(dir, "f.hrp", frames_file(ms, true));
  FRAME_HDR h;
  EXPECT_EQ(search_first_reliable_frame(0, pic.get(), nullptr, &h), 6);
  EXPECT_EQ(h.msec, 11000);
  // Starting at 1 sees only five frames of second 10: the next full second.
  EXPECT_EQ(search_first_reliable_frame(1, pic.get(), nullptr, &h), 12);
  EXPECT_EQ(h.msec, 12000);

  // A skipping, south-to-north view does not change the file order search.
  auto view = std::make_unique<VIEW_INFO>();
  view->scan_dir = ScanDir::BottomUp;
  view->skip_faulty = true;
  view->skip_mask = 0xEC;
  EXPECT_EQ(search_first_reliable_frame(0, pic.get(), view.get(), &h), 6);

  // get_hrpt_framehdr reads through the given view.
  ASSERT_EQ(get_hrpt_framehdr(pic.get(), nullptr, 3, &h), 1);
  EXPECT_EQ(h.msec, 10000 + 3 * 166);
  EXPECT_EQ(h.sc_addr, 15);
  EXPECT_EQ(h.day, 100);
  ASSERT_EQ(get_hrpt_framehdr(pic.get(), nullptr, 13, &h), 1);  // the last record is a line too
  EXPECT_EQ(h.msec, 12166);
  EXPECT_EQ(get_hrpt_framehdr(pic.get(), nullptr, 14, &h), 0);  // past the end

  // Only seven lines: line 6, the last record, is the first of second 11.
  ms.resize(7);
  auto short_pic = open_frames(dir, "s.hrp", frames_file(ms, true));
  EXPECT_EQ(search_first_reliable_frame(0, short_pic.get(), nullptr, &h), 6);

  // Without sync words there is no frame header at all.
  auto bare = open_frames(dir, "b.hrp", frames_file({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, false));
  EXPECT_EQ(get_hrpt_framehdr(bare.get(), nullptr, 0, &h), 0);
  EXPECT_EQ(search_first_reliable_frame(0, bare.get(), nullptr, &h), 0);

  // Not a polar recording.
  pic->file_type = kKindGIF;
  EXPECT_EQ(get_hrpt_framehdr(pic.get(), nullptr, 0, &h), 0);
}

}  // namespace
}  // namespace kelo
