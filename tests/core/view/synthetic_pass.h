// A synthetic NOAA pass for the picture-pass tests: 2048-pixel lines with the
// header words and all five channels, written by the HRPT1 writer. Every line
// carries the frame sync and the calibration words the temperature
// conversion reads; `fill` gives the PRT words and the samples.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/export/hrpt_fixture.h"
#include "core/files/hrpt1_write.h"

namespace kelo::test {

constexpr int kPassWidth = 2048;
constexpr int kPrtWord = 17;    // PRT readings in words 17, 18, 19
constexpr int kBackScan = 19;   // blackbody counts at 19 + ch + 3i
constexpr int kSpaceView = 50;  // space counts at 50 + ch + 5i
constexpr uint16_t kBlackBodyCount = 400;
constexpr uint16_t kSpaceCount = 990;

// The words of one line: the PRT words and a pixel's five samples.
struct PassLine {
  std::vector<uint16_t>& w;
  int hdr_words;
  void prt(uint16_t v) { w[kPrtWord] = w[kPrtWord + 1] = w[kPrtWord + 2] = v; }
  uint16_t* px(int x) { return &w[static_cast<size_t>(hdr_words + x * 5)]; }
};

// Writes `records` lines (the header states `height`) of a pass starting at
// 12:25 on 10 April 2024; `marker` gives each record's quality flags, and a
// line marked without the pre-sync bits has its sync words lost.
inline std::string write_synthetic_pass(const std::string& path, const char* sat, const KEPLER& kepler,
                                        int height, int records,
                                        const std::function<void(int, PassLine&)>& fill,
                                        const std::function<int(int)>& marker) {
  auto pic = std::make_unique<PIC_INFO>();
  pic->file_type = kKindHRPT;
  pic->sat_name = sat;
  pic->width = kPassWidth;
  pic->height = height;
  pic->scan_dir = ScanDir::TopDown;
  pic->orientation = Orientation::Normal;
  for (int i = 0; i <= 5; ++i) pic->chan_present[i] = 1;
  pic->kepler = kepler;
  const BrokenTime t = april_tenth_2024(12, 25);
  pic->orbit.start_tm = t;
  pic->orbit.start_tm_comp = t;
  pic->orbit.use_sattime = true;
  pic->frame = calc_hrptframeinfo(kKindHRPT, pic->chan_present, kPassWidth);
  EXPECT_TRUE(pic->pic_fp.open(path, "wb"));
  EXPECT_EQ(write_hrpt1_hdr(pic.get()), 0);
  const FRAME_GEOM& g = pic->frame;
  for (int line = 0; line < records; ++line) {
    std::vector<uint16_t> w(static_cast<size_t>(g.words_padded), 0);
    const int flags = marker(line);
    for (int i = 0; i < kHrptSyncWords; ++i) w[i] = (flags & kLinePreSync) != 0 ? kHrptSync[i] : 0;
    for (int ch = 3; ch <= 5; ++ch)
      for (int i = 0; i < 10; ++i) {
        w[kBackScan + ch + 3 * i] = kBlackBodyCount;
        w[kSpaceView + ch + 5 * i] = kSpaceCount;
      }
    PassLine l{w, g.hdr_words};
    fill(line, l);
    EXPECT_EQ(write_hrpt1_line(pic.get(), w.data(), flags), 1);
  }
  EXPECT_TRUE(pic->pic_fp.close_checked());
  return path;
}

}  // namespace kelo::test
