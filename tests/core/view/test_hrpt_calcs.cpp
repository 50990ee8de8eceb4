// AVHRR brightness temperatures against an independent reference (computed in
// double precision by tools/gen_avhrr_temp_ref.py), the PRT window rules and
// the satellite selection.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/view/data_proc.h"
#include "core/view/hrpt_calcs.h"
#include "line_sets.h"

namespace kelo {
namespace {

#include "core/view/avhrr_temp_ref.inc"

constexpr int kHdr = 750;  // HRPT header words before the samples
constexpr int kChans = 5;
constexpr int kPadded = ((kChans * kRefPixels + 850) + 3) / 4 * 4;

PIC_INFO noaa_pic(int sat) {
  PIC_INFO pic = test::recording_like(kHdr, kChans, kRefPixels, kPadded);
  pic.sat_name = "NOAA " + std::to_string(sat);
  pic.chan_present[0] = 1;
  return pic;
}

// Five lines of one reference case: line l carries prt[l] in words 17..19,
// every line the blackbody and space counts, line 0 the Earth counts; the
// visible channels hold 100 + x and 300 + x.
struct Window : test::HeldLines {
  explicit Window(const AvhrrRefCase& c) : HeldLines(5, kPadded * kLineBufFactor) {
    for (int l = 0; l < 5; ++l) {
      auto& w = store[l];
      for (int r = 0; r < 3; ++r) w[17 + r] = c.prt[l][r];
      for (int ch = 3; ch <= 5; ++ch)
        for (int i = 0; i < 10; ++i) w[19 + ch + 3 * i] = c.bb[ch - 3][i];
      for (int ch = 1; ch <= 5; ++ch)
        for (int i = 0; i < 10; ++i) w[51 + ch + 5 * i] = c.space[ch - 1][i];
      for (int x = 0; x < kRefPixels; ++x) {
        w[kHdr + kChans * x + 0] = static_cast<uint16_t>(100 + x);
        w[kHdr + kChans * x + 1] = static_cast<uint16_t>(300 + x);
        for (int ch = 3; ch <= 5; ++ch) w[kHdr + kChans * x + ch - 1] = c.earth[ch - 3][x];
      }
    }
  }
  // The three PRT words of lines from..to-1.
  void prt(int from, int to, uint16_t v) {
    for (int l = from; l < to; ++l) std::fill_n(store[l].begin() + 17, 3, v);
  }
  uint16_t sample(int x, int ch) const { return store[0][kHdr + kChans * x + ch - 1]; }
};

// The stored tenths truncate the temperature: they lie within 0.1 K below the
// reference (plus single-precision noise), never above it.
void expect_reference(const Window& w, const AvhrrRefCase& c, const std::string& what) {
  for (int ch = 3; ch <= 5; ++ch) {
    for (int x = 0; x < kRefPixels; ++x) {
      const double want = c.expect[ch - 3][x];
      const int got = w.sample(x, ch);
      SCOPED_TRACE(what + " NOAA-" + std::to_string(c.sat) + " ch" + std::to_string(ch) + " pixel " +
                   std::to_string(x) + " count " + std::to_string(c.earth[ch - 3][x]));
      if (want < 0) {
        EXPECT_EQ(got, 0);
        continue;
      }
      EXPECT_NEAR(got / 10.0, want, 0.15);
      EXPECT_LE(got / 10.0, want + 0.02);
      EXPECT_GT(got / 10.0, want - 0.12);
    }
  }
}

// The window of case c converted without earlier PRT readings; `state`
// keeps what the conversion read.
Window converted(const AvhrrRefCase& c, NoaaTempState* state) {
  *state = NoaaTempState{};
  PIC_INFO pic = noaa_pic(c.sat);
  VIEW_INFO view;
  Window w(c);
  std::string warning;
  const CAL_COEFS cal = load_cal(pic.sat_name, &warning);
  EXPECT_EQ(warning, "") << "the NOAA 14..19 sets need no message";
  map_noaatemp(w.get(), 5, &cal, &pic, &view, state);
  return w;
}
Window converted(const AvhrrRefCase& c) {
  NoaaTempState state;
  return converted(c, &state);
}

const AvhrrRefCase& ref_case(int sat) {
  for (const auto& c : kAvhrrRef)
    if (c.sat == sat) return c;
  return kAvhrrRef[0];
}

TEST(AvhrrTemperature, MatchesIndependentReferenceOnEverySatelliteAndInfraredChannel) {
  for (const auto& c : kAvhrrRef) {
    const std::vector<std::vector<uint16_t>> before = Window(c).store;
    const Window w = converted(c);
    expect_reference(w, c, "window");
    // The visible channels and the header words stay as recorded; lines 1..4
    // are only read.
    for (int x = 0; x < kRefPixels; ++x) {
      EXPECT_EQ(w.sample(x, 1), 100 + x);
      EXPECT_EQ(w.sample(x, 2), 300 + x);
    }
    EXPECT_TRUE(std::equal(w.store[0].begin(), w.store[0].begin() + kHdr, before[0].begin()));
    for (int l = 1; l < 5; ++l) EXPECT_EQ(w.store[l], before[l]) << "line " << l;
  }
}

// A line that repeats counts has each distinct count converted once and
// looked up by its samples; a word beyond 10 bits (no AVHRR count) must not
// stand in for the count it shares its low bits with. Either way each sample
// reads what its count reads alone.
TEST(AvhrrTemperature, EachSampleReadsWhatItsCountReadsAlone) {
  auto convert = [](const AvhrrRefCase& c, Window* w) {
    NoaaTempState state;
    PIC_INFO pic = noaa_pic(c.sat);
    VIEW_INFO view;
    const CAL_COEFS cal = load_cal(pic.sat_name, nullptr);
    map_noaatemp(w->get(), 5, &cal, &pic, &view, &state);
  };
  for (const auto& c : kAvhrrRef) {
    const Window alone = converted(c);
    Window w(c);
    constexpr int kDistinct = 3;
    for (int x = 0; x < kRefPixels; ++x)
      for (int ch = 3; ch <= 5; ++ch) w.store[0][kHdr + kChans * x + ch - 1] = c.earth[ch - 3][x % kDistinct];
    convert(c, &w);
    for (int x = 0; x < kRefPixels; ++x)
      for (int ch = 3; ch <= 5; ++ch)
        EXPECT_EQ(w.sample(x, ch), alone.sample(x % kDistinct, ch)) << c.sat << " ch" << ch << " pixel " << x;
  }
  // Pixel 0 of channel 4 shares its low 10 bits with pixels 3, 6, ... but is
  // far colder than space.
  const AvhrrRefCase& c = ref_case(15);
  const Window alone = converted(c);
  Window w(c);
  for (int x = 0; x < kRefPixels; ++x) w.store[0][kHdr + kChans * x + 3] = c.earth[1][x % 3];
  w.store[0][kHdr + 3] = static_cast<uint16_t>(1024 + c.earth[1][0]);
  convert(c, &w);
  EXPECT_EQ(w.sample(0, 4), 0);
  for (int x = 1; x < kRefPixels; ++x) EXPECT_EQ(w.sample(x, 4), alone.sample(x % 3, 4)) << x;
}

// Checked by hand: a pixel that sees exactly the blackbody count has the
// blackbody's radiance, so on the 3.7 um channel (no non-linearity) it reads
// the blackbody temperature. NOAA-15, PRT words 17 of lines 1..4 = 389, 398,
// 407, 416:
//   PRT 1: 276.6016 + 0.051045 * 389 + 1.36328e-06 * 389^2 = 296.6644
//   PRT 2: 276.6253 + 0.050909 * 398 + 1.47266e-06 * 398^2 = 297.1204
//   PRT 3: 276.6741 + 0.050907 * 407 + 1.47656e-06 * 407^2 = 297.6378
//   PRT 4: 276.5926 + 0.050966 * 416 + 1.47656e-06 * 416^2 = 298.0500
//   mean 297.3682 K -> stored 2973.
TEST(AvhrrTemperature, BlackbodyCountReadsTheBlackbodyTemperature) {
  const AvhrrRefCase& c = ref_case(15);
  EXPECT_NEAR(c.tbb[0], 297.3682, 0.001);  // the generator agrees with the hand sum
  const int x_bb = kRefPixels - 3;         // the generator's blackbody pixel
  ASSERT_EQ(c.earth[0][x_bb], 654);        // integer mean of 650 .. 659
  EXPECT_EQ(converted(c).sample(x_bb, 3), 2973);
  for (int sat : {16, 18, 19}) {
    EXPECT_NEAR(converted(ref_case(sat)).sample(x_bb, 3) / 10.0, ref_case(sat).tbb[0], 0.12) << sat;
  }
}

TEST(AvhrrTemperature, PrtWindowUsesFourKeepsMissingReadingsAndSearchesShortSets) {
  const AvhrrRefCase& c = ref_case(15);
  PIC_INFO pic = noaa_pic(15);
  VIEW_INFO view;
  const CAL_COEFS cal = load_cal(pic.sat_name, nullptr);

  // Five PRT lines, no reference line: PRT 1..4 are lines 0..3, the fifth is
  // not used (its wild reading would move every temperature).
  {
    NoaaTempState state;
    Window w(c);
    for (int l = 0; l < 4; ++l)
      for (int r = 0; r < 3; ++r) w.store[l][17 + r] = c.prt[l + 1][r];
    w.prt(4, 5, 1000);
    map_noaatemp(w.get(), 5, &cal, &pic, &view, &state);
    expect_reference(w, c, "five PRT lines");
  }
  // After a full window, a window without PRT lines and a window with only
  // PRT 1 and 2 convert with the earlier readings for the missing PRTs.
  {
    NoaaTempState state;
    converted(c, &state);
    Window none(c);
    for (int l = 0; l < 5; ++l) {
      for (int r = 0; r < 3; ++r) none.store[l][17 + r] = static_cast<uint16_t>(r + 1);
    }
    map_noaatemp(none.get(), 5, &cal, &pic, &view, &state);
    expect_reference(none, c, "no PRT line");
    Window partial(c);
    partial.prt(3, 5, 0);
    map_noaatemp(partial.get(), 5, &cal, &pic, &view, &state);
    expect_reference(partial, c, "PRT 1 and 2 only");
  }
  // A set of 2 lines: line 0 is the reference line, line 1 PRT 1; PRT 2..4
  // keep the readings of the full window before (NOAA 18's case).
  {
    const AvhrrRefCase& c18 = ref_case(18);
    PIC_INFO pic18 = noaa_pic(18);
    const CAL_COEFS cal18 = load_cal(pic18.sat_name, nullptr);
    NoaaTempState state;
    converted(c18, &state);
    Window two(c18);
    two.store.resize(2);
    map_noaatemp(two.get(), 2, &cal18, &pic18, &view, &state);
    expect_reference(two, c18, "two lines");
  }
  // Without earlier readings, PRT 3 and 4 count as 0 K: the blackbody comes
  // out at half its temperature and the scene far colder than the reference.
  {
    NoaaTempState state;
    Window partial(c);
    partial.prt(3, 5, 0);
    map_noaatemp(partial.get(), 5, &cal, &pic, &view, &state);
    const int x_warm = 10;  // the 300 K scene
    const int got = partial.sample(x_warm, 4);
    EXPECT_LT(got / 10.0, c.expect[1][x_warm] - 20.0);
  }
}

TEST(AvhrrTemperature, LinesThatCannotBeCalibratedKeepTheirCounts) {
  const AvhrrRefCase& c = ref_case(16);
  const CAL_COEFS cal = load_cal("NOAA 16", nullptr);
  VIEW_INFO view;
  // Equal space and blackbody counts on channel 4: no gain; channels 3 and 5
  // are still converted.
  {
    NoaaTempState state;
    PIC_INFO pic = noaa_pic(16);
    Window w(c);
    for (int l = 0; l < 5; ++l)
      for (int i = 0; i < 10; ++i) w.store[l][51 + 4 + 5 * i] = c.bb[1][i];
    map_noaatemp(w.get(), 5, &cal, &pic, &view, &state);
    for (int x = 0; x < kRefPixels; ++x) {
      EXPECT_EQ(w.sample(x, 4), c.earth[1][x]) << x;
      if (c.expect[0][x] > 0) {
        EXPECT_NEAR(w.sample(x, 3) / 10.0, c.expect[0][x], 0.15) << x;
      }
      EXPECT_NEAR(w.sample(x, 5) / 10.0, c.expect[2][x] < 0 ? 0 : c.expect[2][x], 0.15) << x;
    }
  }
  // No frame header words in the file, a header too short for the
  // calibration words, or a width the buffers cannot hold: nothing changes.
  auto unchanged = [&](PIC_INFO pic, int n, const char* what) {
    NoaaTempState state;
    Window w(c);
    const auto before = w.store;
    map_noaatemp(w.get(), n, &cal, &pic, &view, &state);
    EXPECT_EQ(w.store, before) << what;
  };
  PIC_INFO no_hdr = noaa_pic(16);
  no_hdr.chan_present[0] = 0;
  unchanged(no_hdr, 5, "no header words");
  PIC_INFO short_hdr = noaa_pic(16);
  short_hdr.frame.hdr_words = 101;
  unchanged(short_hdr, 5, "header of 101 words");
  PIC_INFO wide = noaa_pic(16);
  wide.width = kPadded;
  unchanged(wide, 5, "width beyond the buffers");
  unchanged(noaa_pic(16), 0, "empty set");
}

TEST(AvhrrCalibration, SatelliteChosenByTheFirstNumberInTheName) {
  const std::pair<const char*, int> numbers[] = {
      {"NOAA 16", 16}, {"NOAA-15", 15}, {"noaa19x7", 19}, {"METEOSAT", 0}, {"", 0}};
  for (const auto& [name, want] : numbers) EXPECT_EQ(sat_number(name), want) << name;
  EXPECT_GT(sat_number("N99999999999999999999"), 100000);  // stops growing, no overflow

  // Unknown satellites: a warning text each, the NOAA-15 set.
  std::string warning;
  const CAL_COEFS none = load_cal("METEOSAT", &warning);
  EXPECT_FLOAT_EQ(none.vc[4], 925.4075F);
  EXPECT_EQ(warning, "No temperature mapping\n for METEOSAT available!\n Asume NOAA15...");
  load_cal("NOAA 17", &warning);
  EXPECT_EQ(warning, "No temperature mapping\n for NOAA 17 available!\n Asume NOAA15...");
}

}  // namespace
}  // namespace kelo
