#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>

#include "core/base/misc.h"
#include "core/base/prefer.h"
#include "support/temp_dir.h"

using namespace kelo;

namespace {
BrokenTime make_tm(int year, int mon, int mday, int hour = 0, int min = 0, int sec = 0) {
  BrokenTime tm{};
  tm.tm_year = year, tm.tm_mon = mon, tm.tm_mday = mday, tm.tm_hour = hour, tm.tm_min = min, tm.tm_sec = sec;
  return tm;
}
std::array<int, 8> fields(const BrokenTime& t) {
  return {t.tm_year, t.tm_mon, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday, t.tm_yday};
}
}  // namespace

TEST(Misc, DayOfYearToDateAcrossLeapYears) {
  // 2000 is leap, 2001 not; 2100 counts as leap in the station's calendar.
  const struct {
    int year, yday, mon, mday;
  } cases[] = {{100, 59, 1, 29}, {101, 59, 2, 1}, {200, 59, 1, 29}, {123, 364, 11, 31}};
  for (const auto& c : cases) {
    BrokenTime tm{};
    tm.tm_year = c.year, tm.tm_yday = c.yday;
    yday2mday_mon(&tm);
    EXPECT_EQ(std::make_pair(tm.tm_mon, tm.tm_mday), std::make_pair(c.mon, c.mday))
        << c.year << " " << c.yday;
  }
}

TEST(Misc, CheckTmResetsOnlyInvalidFields) {
  const struct {
    BrokenTime in;
    int rc;
    BrokenTime out;
  } cases[] = {
      {make_tm(104, 1, 29), 0, make_tm(104, 1, 29)},  // 29 February 2004
      {make_tm(105, 1, 30), 1, make_tm(105, 1, 0)},
      {make_tm(105, 5, 10, 24, 60, 61), 1, make_tm(105, 5, 10, 0, 60, 0)},  // minute 60 accepted
      {make_tm(105, 12, 31), 1, make_tm(105, 0, 31)},  // a month reset to January: January's length
      {make_tm(201, 0, 1), 1, make_tm(0, 0, 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(fields(c.in)));
    BrokenTime tm = c.in;
    EXPECT_EQ(check_tm(&tm), c.rc);
    EXPECT_EQ(fields(tm), fields(c.out));
  }
  EXPECT_EQ(check_range(5, 1, 4), 1);
  EXPECT_EQ(check_range(0, 1, 4), 1);
  EXPECT_EQ(check_range(4, 1, 4), 0);
}

TEST(Misc, MktimeNtzReferenceDatesAndCarries) {
  // Reference seconds, and the normalised fields (with weekday and day of
  // year) as the C library gives them.
  const struct {
    BrokenTime in;
    int64_t t;
  } cases[] = {
      {make_tm(70, 0, 1), 0},                          // Thursday
      {make_tm(100, 2, 1), 951868800},                 // Wednesday 1 March 2000, day 60
      {make_tm(100, 2, 1, 0, 0, 75), 951868800 + 75},  // seconds carry into minutes
      {make_tm(123, 11, 31, 23, 59, 60), 1704067200},  // through day, month and year: 2024-01-01
      {make_tm(126, 0, 32, 12), 1769947200},           // day 32 of January: 2026-02-01 12:00
      {make_tm(125, 13, 1), 1769904000},               // month 13: February of the next year
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(fields(c.in)));
    BrokenTime a = c.in, b = c.in;
    EXPECT_EQ(mktime_ntz(&a), c.t);
    EXPECT_EQ(static_cast<int64_t>(timegm(&b)), c.t);
    EXPECT_EQ(fields(a), fields(b));
  }
  // Agrees with the C library over a range of dates (1970-2099).
  for (int year = 70; year < 200; year += 7) {
    for (int mon = 0; mon < 12; mon += 5) {
      BrokenTime a = make_tm(year, mon, 17, 5, 6, 7), b = a;
      EXPECT_EQ(mktime_ntz(&a), static_cast<int64_t>(timegm(&b))) << year << " " << mon;
      EXPECT_EQ(fields(a), fields(b));
    }
  }
}

TEST(Misc, RoundingSuffixesCopiesAndFiles) {
  const struct {
    float f;
    int n;
  } halves[] = {{2.5f, 3}, {-2.5f, -3}, {-0.4f, 0}, {0.49f, 0}, {-1.6f, -2}};
  for (const auto& h : halves) EXPECT_EQ(nint(h.f), h.n) << h.f;
  EXPECT_EQ(get_isuf("ch12", "ch"), 12);
  EXPECT_EQ(get_isuf("x12", "ch"), 0);
  EXPECT_EQ(get_isuf("ch", "ch"), 0);

  char* copy = strcpya("NOAA 19");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "NOAA 19");
  EXPECT_EQ(copy[8], '\0');  // the spare byte
  std::free(copy);
  EXPECT_EQ(strcpya(nullptr), nullptr);

  test::TempDir dir;
  EXPECT_EQ(exist_file(""), 0);
  EXPECT_EQ(exist_file(dir.file("none")), 0);
  EXPECT_EQ(exist_file(dir.write("a.dat", "x")), 1);
}

TEST(Misc, LogMessageToHomeLogOrStandardOutput) {
  test::TempDir home;
  for (const std::string& dir : {home.path() + "/", std::string("/nonexistent-kelo-home/")}) {
    StationLog station_log;
    station_log.set_dir(dir);
    station_log.set_to_file(true);
    testing::internal::CaptureStdout();
    log_message(station_log, "Start recording in %s.", "hrpt01.dat");
    log_message(station_log, "Line %d...", 100);
    std::string out = testing::internal::GetCapturedStdout();
    // "Sun Dec  6 19:05:29 2026  Start recording in hrpt01.dat.\n"; the
    // missing home falls back to standard output.
    const std::string log = dir == home.path() + "/" ? test::read_file(home.file("kelo.log")) : out;
    EXPECT_EQ(out.empty(), dir == home.path() + "/");
    const size_t nl = log.find('\n');
    ASSERT_EQ(nl, 24u + 2u + std::strlen("Start recording in hrpt01.dat.")) << log;
    EXPECT_EQ(log.substr(24, nl + 1 - 24), "  Start recording in hrpt01.dat.\n");
    EXPECT_EQ(std::string() + log[3] + log[7] + log[13] + log[16] + log[19], "  :: ");
    EXPECT_EQ(log.substr(nl + 1 + 24), "  Line 100...\n");
  }
}
