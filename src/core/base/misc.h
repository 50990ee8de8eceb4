// Small utilities shared across the program: error texts, UTC time
// arithmetic on broken-down times (no time zone, no daylight saving),
// rounding, file existence, and the time-stamped batch log.
#pragma once

#include <cstdint>
#include <string>

#include "core/base/records.h"

namespace kelo {

// Writes "Fatal error! Program aborted.\n" to standard error; exit status -1.
[[noreturn]] void fatal_error();
// Writes "Error: <text>\n" to standard error.
void error(const char* text);
// Heap copy with one spare byte behind the terminator (free() it); null when
// memory is short.
char* strcpya(const char* text);

// Month lengths with February set for the year (years since 1900). A year
// divisible by 4 is leap: the station's range is 1900-2100 and 2100 counts
// as leap, as in every file written so far.
void month_lengths(int year, int out[12]);
bool is_leap_year(int year);

// From year and day of year, sets day of month and month.
void yday2mday_mon(BrokenTime* tm);
// 1 when value > high or value < low, else 0.
int check_range(int value, int low, int high);
// Resets invalid fields (second, minute, hour, month, day, year) to their
// defaults; 0 when all were valid, 1 when at least one was reset.
int check_tm(BrokenTime* tm);
// Seconds since 1970-01-01 00:00:00 UTC; normalises the record in place
// (carries, day of year, and the true weekday of the date).
int64_t mktime_ntz(BrokenTime* tm);
// When text begins with prefix, atoi of what follows; otherwise 0.
int get_isuf(const char* text, const char* prefix);
// Nearest integer, halves away from zero.
int nint(float x);
// printf into a std::string, whatever its length.
std::string strformat(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A message as one line (a log line, kelo-export's one "ERROR:" line):
// trailing line ends dropped, inner ones made blanks.
std::string one_line(const std::string& text);
// 1 when path is not empty and the file can be opened for reading.
int exist_file(const std::string& path);

// The station's log: whether lines go to the log file ("-log") and the
// directory that holds it (the session's home directory, found with its
// preferences; empty: standard output). The session that records owns it;
// whoever writes a log line is handed it.
class StationLog {
 public:
  void set_to_file(bool on) { to_file_ = on; }
  bool to_file() const { return to_file_; }
  void set_dir(const std::string& dir) { dir_ = dir; }
  // The file lines are appended to; "" when there is no directory.
  std::string path() const;

 private:
  bool to_file_ = false;
  std::string dir_;
};

// One time-stamped line: UTC asctime text without its newline, two blanks,
// the message. With the log switch on, the line is appended to "kelo.log" in
// the home directory (opened and closed per line); otherwise, or when that
// fails, it goes to standard output.
void log_message(StationLog& log, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace kelo
