#include "core/base/misc.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/base/paths.h"

namespace kelo {

namespace {
constexpr int kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int64_t kSecPerDay = 86400;
// Days from 1900-01-01 (year 0) to 1970-01-01: 70 * 365 = 25550 plus the
// leap days, which the (year - 69) / 4 term adds back.
constexpr int64_t kDays1900To1970NoLeap = 25550;
constexpr int kWeekday19700101 = 4;  // a Thursday
constexpr const char* kLogName = "kelo.log";
}  // namespace

[[noreturn]] void fatal_error() {
  std::fputs("Fatal error! Program aborted.\n", stderr);
  std::exit(-1);
}

void error(const char* text) { std::fprintf(stderr, "Error: %s\n", text != nullptr ? text : ""); }

char* strcpya(const char* text) {
  if (text == nullptr) return nullptr;
  size_t n = std::strlen(text);
  char* copy = static_cast<char*>(std::malloc(n + 2));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, text, n + 1);
  copy[n + 1] = '\0';
  return copy;
}

bool is_leap_year(int year) { return year % 4 == 0; }

void month_lengths(int year, int out[12]) {
  for (int i = 0; i < 12; ++i) out[i] = kMonthDays[i];
  if (is_leap_year(year)) out[1] = 29;
}

void yday2mday_mon(BrokenTime* tm) {
  int len[12];
  month_lengths(tm->tm_year, len);
  tm->tm_mday = tm->tm_yday + 1;
  tm->tm_mon = 0;
  while (tm->tm_mon <= 11 && len[tm->tm_mon] < tm->tm_mday) {
    tm->tm_mday -= len[tm->tm_mon];
    tm->tm_mon += 1;
  }
}

int check_range(int value, int low, int high) { return (value > high || value < low) ? 1 : 0; }

int check_tm(BrokenTime* tm) {
  int reset = 0;
  auto fix = [&reset](int& field, int low, int high) {
    if (check_range(field, low, high) != 0) {
      field = 0;
      reset = 1;
    }
  };
  fix(tm->tm_sec, 0, 60);
  fix(tm->tm_min, 0, 60);  // minute 60 is accepted too
  fix(tm->tm_hour, 0, 23);
  fix(tm->tm_mon, 0, 11);
  int len[12];
  month_lengths(tm->tm_year, len);
  fix(tm->tm_mday, 1, len[tm->tm_mon]);
  fix(tm->tm_year, 0, 200);
  return reset;
}

int64_t mktime_ntz(BrokenTime* tm) {
  // Carry seconds into minutes, minutes into hours, and so on up to years.
  while (tm->tm_sec > 59) {
    tm->tm_sec -= 60;
    tm->tm_min += 1;
  }
  while (tm->tm_sec < 0) {
    tm->tm_sec += 60;
    tm->tm_min -= 1;
  }
  while (tm->tm_min > 59) {
    tm->tm_min -= 60;
    tm->tm_hour += 1;
  }
  while (tm->tm_min < 0) {
    tm->tm_min += 60;
    tm->tm_hour -= 1;
  }
  while (tm->tm_hour > 23) {
    tm->tm_hour -= 24;
    tm->tm_mday += 1;
  }
  while (tm->tm_hour < 0) {
    tm->tm_hour += 24;
    tm->tm_mday -= 1;
  }
  while (tm->tm_mon > 11) {
    tm->tm_mon -= 12;
    tm->tm_year += 1;
  }
  // Days past the end of the month move into the next months.
  int len[12];
  month_lengths(tm->tm_year, len);
  while (tm->tm_mon >= 0 && tm->tm_mday > len[tm->tm_mon]) {
    tm->tm_mday -= len[tm->tm_mon];
    tm->tm_mon += 1;
    if (tm->tm_mon > 11) {
      tm->tm_mon = 0;
      tm->tm_year += 1;
    }
    month_lengths(tm->tm_year, len);
  }
  // Seconds since 1970.
  int64_t days_before_month = 0;
  for (int m = 0; m < tm->tm_mon && m < 12; ++m) days_before_month += len[m];
  int64_t year = tm->tm_year;
  int64_t days_to_year = (year * 365 - kDays1900To1970NoLeap) + (year - 69) / 4;
  int64_t secs = ((static_cast<int64_t>(tm->tm_min) + tm->tm_hour * 60LL + tm->tm_mday * 1440LL) * 60 +
                  tm->tm_sec - kSecPerDay) +
                 days_before_month * kSecPerDay + days_to_year * kSecPerDay;
  // Day of year, and the true weekday of the date (the older rule gave the
  // weekday of 1 January only; nothing reads it, so the real one is kept).
  tm->tm_yday = static_cast<int>(days_before_month + tm->tm_mday - 1);
  int64_t days = secs >= 0 ? secs / kSecPerDay : -((-secs + kSecPerDay - 1) / kSecPerDay);
  tm->tm_wday = static_cast<int>(((days + kWeekday19700101) % 7 + 7) % 7);
  return secs;
}

int get_isuf(const char* text, const char* prefix) {
  if (text == nullptr || prefix == nullptr) return 0;
  size_t n = std::strlen(prefix);
  if (std::strncmp(text, prefix, n) != 0) return 0;
  return std::atoi(text + n);
}

int nint(float x) { return x >= 0 ? static_cast<int>(x + 0.5f) : static_cast<int>(x - 0.5f); }

std::string strformat(const char* format, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, format);
  int n = std::vsnprintf(buf, sizeof buf, format, ap);
  va_end(ap);
  if (n < 0) return {};
  if (static_cast<size_t>(n) < sizeof buf) return std::string(buf, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(ap, format);
  std::vsnprintf(big.data(), big.size(), format, ap);
  va_end(ap);
  big.resize(static_cast<size_t>(n));
  return big;
}

std::string one_line(const std::string& text) {
  std::string out = text;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  for (char& c : out) {
    if (c == '\n') c = ' ';
  }
  return out;
}

int exist_file(const std::string& path) {
  if (path.empty()) return 0;
  FILE* fp = std::fopen(path.c_str(), "rb");
  if (fp == nullptr) return 0;
  std::fclose(fp);
  return 1;
}

std::string StationLog::path() const { return dir_.empty() ? std::string() : join_path(dir_, kLogName); }

void log_message(StationLog& log, const char* format, ...) {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char stamp[64];
  // asctime's layout ("Sun Dec  6 19:05:29 2026"), built without its newline.
  std::strftime(stamp, sizeof stamp, "%a %b %e %H:%M:%S %Y", &utc);

  FILE* out = nullptr;
  if (log.to_file()) {
    const std::string path = log.path();
    if (!path.empty()) out = std::fopen(path.c_str(), "a");
  }
  FILE* dest = out != nullptr ? out : stdout;
  std::fprintf(dest, "%s  ", stamp);
  va_list ap;
  va_start(ap, format);
  std::vfprintf(dest, format, ap);
  va_end(ap);
  std::fputc('\n', dest);
  if (out != nullptr) {
    std::fclose(out);
  } else {
    std::fflush(stdout);
  }
}

}  // namespace kelo
