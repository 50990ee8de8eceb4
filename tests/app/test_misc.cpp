#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "app/misc.h"
#include "app/prefer.h"
#include "support/temp_dir.h"

using namespace kelo;

namespace {
BrokenTime make_tm(int year, int mon, int mday, int hour = 0, int min = 0, int sec = 0) {
  BrokenTime tm{};
  tm.tm_year = year;
  tm.tm_mon = mon;
  tm.tm_mday = mday;
  tm.tm_hour = hour;
  tm.tm_min = min;
  tm.tm_sec = sec;
  return tm;
}
}  // namespace

TEST(Misc, DayOfYearToDateAcrossLeapYears) {
  BrokenTime tm{};
  tm.tm_year = 100;  // 2000 is leap
  tm.tm_yday = 59;
  yday2mday_mon(&tm);
  EXPECT_EQ(tm.tm_mon, 1);
  EXPECT_EQ(tm.tm_mday, 29);

  tm.tm_year = 101;
  tm.tm_yday = 59;
  yday2mday_mon(&tm);
  EXPECT_EQ(tm.tm_mon, 2);
  EXPECT_EQ(tm.tm_mday, 1);

  tm.tm_year = 200;  // 2100 counts as leap in the station's calendar
  tm.tm_yday = 59;
  yday2mday_mon(&tm);
  EXPECT_EQ(tm.tm_mon, 1);
  EXPECT_EQ(tm.tm_mday, 29);

  tm.tm_year = 123;
  tm.tm_yday = 364;
  yday2mday_mon(&tm);
  EXPECT_EQ(tm.tm_mon, 11);
  EXPECT_EQ(tm.tm_mday, 31);
}

TEST(Misc, CheckTmResetsOnlyInvalidFields) {
  BrokenTime tm = make_tm(104, 1, 29);  // 29 February 2004
  EXPECT_EQ(check_tm(&tm), 0);
  EXPECT_EQ(tm.tm_mday, 29);

  tm = make_tm(105, 1, 30);
  EXPECT_EQ(check_tm(&tm), 1);
  EXPECT_EQ(tm.tm_mday, 0);

  tm = make_tm(105, 5, 10, 24, 60, 61);
  EXPECT_EQ(check_tm(&tm), 1);
  EXPECT_EQ(tm.tm_hour, 0);
  EXPECT_EQ(tm.tm_min, 60);  // accepted
  EXPECT_EQ(tm.tm_sec, 0);

  // A month reset to January is checked with January's length.
  tm = make_tm(105, 12, 31);
  EXPECT_EQ(check_tm(&tm), 1);
  EXPECT_EQ(tm.tm_mon, 0);
  EXPECT_EQ(tm.tm_mday, 31);

  tm = make_tm(201, 0, 1);
  EXPECT_EQ(check_tm(&tm), 1);
  EXPECT_EQ(tm.tm_year, 0);
  EXPECT_EQ(check_range(5, 1, 4), 1);
  EXPECT_EQ(check_range(0, 1, 4), 1);
  EXPECT_EQ(check_range(4, 1, 4), 0);
}

TEST(Misc, MktimeNtzReferenceDatesAndCarries) {
  BrokenTime tm = make_tm(70, 0, 1);
  EXPECT_EQ(mktime_ntz(&tm), 0);
  EXPECT_EQ(tm.tm_wday, 4);  // Thursday

  tm = make_tm(100, 2, 1);
  EXPECT_EQ(mktime_ntz(&tm), 951868800);
  EXPECT_EQ(tm.tm_yday, 60);
  EXPECT_EQ(tm.tm_wday, 3);  // Wednesday 1 March 2000

  tm = make_tm(100, 2, 1, 0, 0, 75);
  EXPECT_EQ(mktime_ntz(&tm), 951868800 + 75);
  EXPECT_EQ(tm.tm_min, 1);
  EXPECT_EQ(tm.tm_sec, 15);

  // 23:59:60+ carries through the day, the month and the year.
  tm = make_tm(123, 11, 31, 23, 59, 60);
  EXPECT_EQ(mktime_ntz(&tm), 1704067200);  // 2024-01-01 00:00:00
  EXPECT_EQ(tm.tm_year, 124);
  EXPECT_EQ(tm.tm_mon, 0);
  EXPECT_EQ(tm.tm_mday, 1);
  EXPECT_EQ(tm.tm_yday, 0);

  // Day 32 of January is 1 February; month 13 is February of the next year.
  tm = make_tm(126, 0, 32, 12);
  EXPECT_EQ(mktime_ntz(&tm), 1769947200);  // 2026-02-01 12:00:00
  tm = make_tm(125, 13, 1);
  EXPECT_EQ(mktime_ntz(&tm), 1769904000);  // 2026-02-01

  // Agrees with the C library over a range of dates (1970-2099).
  for (int year = 70; year < 200; year += 7) {
    for (int mon = 0; mon < 12; mon += 5) {
      BrokenTime a = make_tm(year, mon, 17, 5, 6, 7);
      BrokenTime b = a;
      EXPECT_EQ(mktime_ntz(&a), static_cast<int64_t>(timegm(&b))) << year << " " << mon;
      EXPECT_EQ(a.tm_wday, b.tm_wday);
      EXPECT_EQ(a.tm_yday, b.tm_yday);
    }
  }
}

TEST(Misc, RoundingAndSuffixes) {
  EXPECT_EQ(nint(2.5f), 3);
  EXPECT_EQ(nint(-2.5f), -3);
  EXPECT_EQ(nint(-0.4f), 0);
  EXPECT_EQ(nint(0.49f), 0);
  EXPECT_EQ(nint(-1.6f), -2);
  EXPECT_EQ(get_isuf("ch12", "ch"), 12);
  EXPECT_EQ(get_isuf("x12", "ch"), 0);
  EXPECT_EQ(get_isuf("ch", "ch"), 0);

  char* copy = strcpya("NOAA 19");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "NOAA 19");
  EXPECT_EQ(copy[8], '\0');  // the spare byte
  std::free(copy);
  EXPECT_EQ(strcpya(nullptr), nullptr);
}

TEST(Misc, ExistFile) {
  test::TempDir dir;
  EXPECT_EQ(exist_file(""), 0);
  EXPECT_EQ(exist_file(dir.file("none")), 0);
  EXPECT_EQ(exist_file(dir.write("a.dat", "x")), 1);
}

TEST(Misc, LogMessageAppendsStampedLinesToHomeLog) {
  test::TempDir home;
  pref_dirs().home_dir = home.path() + "/";
  reset_log_path();
  set_log_to_file(true);
  log_message("Start recording in %s.", "hrpt01.dat");
  log_message("Line %d...", 100);
  set_log_to_file(false);
  reset_log_path();

  std::string log = test::read_file(home.file("kelo.log"));
  // "Sun Dec  6 19:05:29 2026  Start recording in hrpt01.dat.\n"
  size_t first_nl = log.find('\n');
  ASSERT_NE(first_nl, std::string::npos);
  std::string line1 = log.substr(0, first_nl);
  ASSERT_EQ(line1.size(), 24u + 2u + std::strlen("Start recording in hrpt01.dat."));
  EXPECT_EQ(line1.substr(24), "  Start recording in hrpt01.dat.");
  EXPECT_EQ(line1[3], ' ');
  EXPECT_EQ(line1[13], ':');
  EXPECT_EQ(line1[16], ':');
  EXPECT_EQ(log.substr(first_nl + 1 + 24), "  Line 100...\n");
}

TEST(Misc, LogMessageFallsBackToStandardOutput) {
  pref_dirs().home_dir = "/nonexistent-kelo-home/";
  reset_log_path();
  set_log_to_file(true);
  testing::internal::CaptureStdout();
  log_message("End recording.");
  std::string out = testing::internal::GetCapturedStdout();
  set_log_to_file(false);
  reset_log_path();
  ASSERT_EQ(out.size(), 24u + 2u + 14u + 1u);
  EXPECT_EQ(out.substr(24), "  End recording.\n");
}
