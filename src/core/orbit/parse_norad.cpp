// Two-line element sets as the agencies publish them: a name line, then
// line 1 and line 2 with fixed columns and a modulo-10 checksum in column 69.
#include "core/orbit/parse_norad.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/orbit/sgp4.h"

namespace kelo {

namespace {

constexpr size_t kTleLineLen = 69;  // 68 columns of data and the checksum
constexpr size_t kChecksumCol = 69;
constexpr size_t kNameMax = 100;

// Column ranges, 1-based inclusive as in the published format.
struct Cols {
  size_t first, last;
};
constexpr Cols kCatalog{3, 7};
constexpr Cols kEpochYear{19, 20};
constexpr Cols kEpochDay{21, 32};
constexpr Cols kDecay{34, 43};
constexpr Cols kIncl{9, 16};
constexpr Cols kRaan{18, 25};
constexpr Cols kEcc{27, 33};
constexpr Cols kPerigee{35, 42};
constexpr Cols kAnomaly{44, 51};
constexpr Cols kMotion{53, 63};
constexpr Cols kRevnum{64, 68};

// Two-digit epoch years: 00-69 are 2000-2069, 70-99 are 1970-1999.
constexpr int kEpochPivot = 70;
constexpr double kFirstDay = 1.0;
constexpr double kDayPastYear = 367.0;

// Reads one line of any length. False at the end of the file with nothing
// read. `too_long` tells a line beyond the element-line limit.
bool read_line(FILE* fp, std::string* out, bool* too_long) {
  out->clear();
  *too_long = false;
  int c;
  bool any = false;
  while ((c = std::fgetc(fp)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (out->size() <= kTleMaxLine) out->push_back(static_cast<char>(c));
  }
  if (!any) return false;
  while (!out->empty() && (out->back() == '\r')) out->pop_back();
  if (out->size() > kTleMaxLine) *too_long = true;
  return true;
}

bool checksum_ok(const char* line) {
  int sum = 0;
  for (size_t i = 0; i < kChecksumCol - 1; ++i) {
    const char ch = line[i];
    if (ch >= '0' && ch <= '9') sum += ch - '0';
    if (ch == '-') sum += 1;
  }
  const char want = line[kChecksumCol - 1];
  return want >= '0' && want <= '9' && sum % 10 == want - '0';
}

// Converts a column range with strtod; the field must hold one number and
// nothing but blanks around it.
bool field(const char* line, Cols cols, const char* prefix, double* out) {
  char buf[32];
  const size_t plen = std::strlen(prefix);
  const size_t len = cols.last - cols.first + 1;
  if (plen + len + 1 > sizeof buf) return false;
  std::memcpy(buf, prefix, plen);
  std::memcpy(buf + plen, line + cols.first - 1, len);
  buf[plen + len] = '\0';
  char* start = buf;
  while (*start == ' ') ++start;
  if (*start == '\0') return false;
  char* end = nullptr;
  const double v = std::strtod(start, &end);
  if (end == start) return false;
  while (*end == ' ') ++end;
  if (*end != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

// Single precision exactly as parsed, then scaled.
float to_float(double v) { return static_cast<float>(v); }
float deg_to_rad(double deg) { return static_cast<float>(static_cast<double>(to_float(deg)) * kPiD / 180.0); }

}  // namespace

int parse_norad_lines(const char* line1, const char* line2, KEPLER* kepler) {
  if (line1 == nullptr || line2 == nullptr) return 0;
  if (std::strlen(line1) < kTleLineLen || std::strlen(line2) < kTleLineLen) return 0;
  if (line1[0] != '1' || line2[0] != '2' || line1[1] != ' ' || line2[1] != ' ') return 0;
  if (!checksum_ok(line1) || !checksum_ok(line2)) return 0;
  if (std::memcmp(line1 + kCatalog.first - 1, line2 + kCatalog.first - 1,
                  kCatalog.last - kCatalog.first + 1) != 0)
    return 0;

  double year, day, decay, incl, raan, ecc, perigee, anomaly, motion, revnum;
  if (!field(line1, kEpochYear, "", &year) || !field(line1, kEpochDay, "", &day) ||
      !field(line1, kDecay, "", &decay) || !field(line2, kIncl, "", &incl) ||
      !field(line2, kRaan, "", &raan) || !field(line2, kEcc, "0.", &ecc) ||
      !field(line2, kPerigee, "", &perigee) || !field(line2, kAnomaly, "", &anomaly) ||
      !field(line2, kMotion, "", &motion) || !field(line2, kRevnum, "", &revnum))
    return 0;
  // The eccentricity field is digits only ("0." is assumed in front).
  for (size_t c = kEcc.first; c <= kEcc.last; ++c)
    if (!std::isdigit(static_cast<unsigned char>(line2[c - 1])) && line2[c - 1] != ' ') return 0;
  if (year < 0 || year > 99) return 0;
  // The epoch is a day of the year with its fraction: 1.0 is 1 January 00:00.
  if (day < kFirstDay || day >= kDayPastYear) return 0;

  KEPLER k{};
  k.epoch_year = static_cast<int32_t>(to_float(year));
  if (k.epoch_year < kEpochPivot) k.epoch_year += 100;
  k.epoch_day = to_float(day);
  k.decay = to_float(decay);
  k.inclination = deg_to_rad(incl);
  k.raan = deg_to_rad(raan);
  k.eccentricity = to_float(ecc);
  k.perigee = deg_to_rad(perigee);
  k.anomaly = deg_to_rad(anomaly);
  k.motion = to_float(motion);
  k.revnum = static_cast<int32_t>(to_float(revnum));
  // The precise orbit model wants the epoch to the millisecond and the drag
  // term, which the station's single-precision record does not hold.
  k.epoch_day_exact = day;
  Sgp4Elements precise;
  if (sgp4_parse_lines(line1, line2, &precise) != 0) k.bstar = precise.bstar;
  *kepler = k;
  return 1;
}

int read_norad_next_keps(FILE* fp, std::string* name_out, KEPLER* kepler) {
  if (fp == nullptr) return 0;
  // The last three lines read: name, line 1, line 2. A line too long to be
  // an element line takes a place as an empty line, so it can never join a
  // pair or pass for a name.
  std::string lines[3];
  std::string cur;
  bool too_long = false;
  while (read_line(fp, &cur, &too_long)) {
    lines[0] = std::move(lines[1]);
    lines[1] = std::move(lines[2]);
    lines[2] = too_long ? std::string() : cur;
    if (lines[1].empty() || lines[2].empty() || lines[1][0] != '1' || lines[2][0] != '2') continue;
    KEPLER k;
    if (parse_norad_lines(lines[1].c_str(), lines[2].c_str(), &k) == 0) continue;
    // Files without name lines: the line before may be an element line of
    // the set before, which is no name.
    const bool no_name =
        lines[0].size() >= kTleLineLen && (lines[0][0] == '1' || lines[0][0] == '2') && lines[0][1] == ' ';
    std::string name = no_name ? std::string() : lines[0].substr(0, kNameMax);
    while (!name.empty() && !std::isalnum(static_cast<unsigned char>(name.back()))) name.pop_back();
    if (name_out != nullptr) *name_out = name;
    *kepler = k;
    return 1;
  }
  return 0;
}

}  // namespace kelo
