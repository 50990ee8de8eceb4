// Reading two-line Kepler element sets (name line, line 1, line 2).
#pragma once

#include <cstdio>
#include <string>

#include "core/base/records.h"

namespace kelo {

// The station's value of pi, in every conversion of degrees both ways.
inline constexpr double kPiD = 3.1415926;
inline constexpr float kPi = 3.1415926f;
inline constexpr float k2Pi = 6.2831852f;
inline constexpr int kTleMaxLine = 98;  // longer lines are not element lines

// Reads the next valid element set from the current position. 1 with
// `name_out` (trailing non-alphanumerics stripped) and `kepler` filled;
// 0 at the end of the file. Sets with bad columns, a wrong checksum or a
// missing second line are passed over; `kepler` is only written for a set
// read completely.
[[nodiscard]] int read_norad_next_keps(FILE* fp, std::string* name_out, KEPLER* kepler);

// Parses one element set from its two lines; 1 when both lines are valid
// (length, checksums, matching catalogue numbers, every field numeric).
int parse_norad_lines(const char* line1, const char* line2, KEPLER* kepler);

}  // namespace kelo
