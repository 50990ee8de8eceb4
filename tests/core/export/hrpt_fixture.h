// Synthetic HRPT-family recordings for the export and information tests:
// every sample is a known function of line, channel and pixel, so the tests
// can say what any exported pixel must be without reading the file back.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/files/hri_stream.h"
#include "core/files/hrpt1_read.h"
#include "core/files/hrpt1_write.h"
#include "core/orbit/parse_norad.h"
#include "support/kepler_sets.h"
#include "support/temp_dir.h"

namespace kelo::test {

// Sample of channel ch (1..10) at pixel x of line y: distinct per channel,
// varying along the line, within 10 bits.
inline uint16_t fixture_sample(int y, int ch, int x) {
  return static_cast<uint16_t>((ch * 97 + x * 3 + y * 5) % 1024);
}
// Housekeeping word i (after the sync, id and time words) and tail word i.
inline uint16_t fixture_hk(int y, int i) { return static_cast<uint16_t>((i * 7 + y) % 1024); }
inline uint16_t fixture_tail(int y, int i) { return static_cast<uint16_t>((900 + i + y) % 1024); }

struct FixtureShape {
  FileKind kind = kKindHRPT;
  std::string sat_name = "NOAA 19";
  int presence[kMaxChannels + 1] = {1, 1, 1, 1, 1, 1};
  int width = 64;
  int lines = 12;
  uint16_t id_word = 0x79;  // NOAA 19 (address 15), channel 3A
  KEPLER kepler;            // stored in the header (zero: no orbit)
  // Picture time of line 0 (computer clock): 2009-03-05 12:34:56.
  int year = 109, yday = 63, mon = 2, mday = 5, hour = 12, min = 34, sec = 56;
  int no_sync_line = -1;  // a line whose sync words were lost (none: -1)
};

// The words of line y as the recorder would store them.
inline std::vector<uint16_t> fixture_line(const FixtureShape& s, const FRAME_GEOM& g, int y) {
  std::vector<uint16_t> w(static_cast<size_t>(g.words_padded), 0);
  size_t i = 0;
  if (s.presence[0] != 0) {
    for (int k = 0; k < kHrptSyncWords; k++) w[i++] = y == s.no_sync_line ? 0 : kHrptSync[k];
    w[i++] = s.id_word;
    w[i++] = 0;
    // Day 150, time of day 12:34:56.789 plus y frames of a sixth of a second.
    uint32_t ms = 45296789u + static_cast<uint32_t>(y) * 167u;
    w[i++] = 300;
    w[i++] = static_cast<uint16_t>((ms >> 20) & 0x7F);
    w[i++] = static_cast<uint16_t>((ms >> 10) & 0x3FF);
    w[i++] = static_cast<uint16_t>(ms & 0x3FF);
    for (int k = static_cast<int>(i); k < g.hdr_words; k++) w[i++] = fixture_hk(y, k);
  }
  for (int x = 0; x < s.width; x++)
    for (int ch = 1; ch <= kMaxChannels; ch++)
      if (s.presence[ch] != 0) w[i++] = fixture_sample(y, ch, x);
  for (int k = 0; k < g.tail_words; k++) w[i++] = fixture_tail(y, k);
  return w;
}

// Writes the recording: the header and one record for each stated line.
inline bool write_fixture(const std::string& path, const FixtureShape& s) {
  PIC_INFO pic;
  pic.file_type = s.kind;
  pic.sat_name = s.sat_name;
  pic.width = s.width;
  pic.height = s.lines;
  pic.scan_dir = ScanDir::TopDown;
  for (int n = 0; n <= kMaxChannels; n++) pic.chan_present[n] = s.presence[n];
  pic.orbit.start_tm.tm_year = s.year;
  pic.orbit.start_tm.tm_mon = s.mon;
  pic.orbit.start_tm.tm_mday = s.mday;
  pic.orbit.start_tm.tm_hour = s.hour;
  pic.orbit.start_tm.tm_min = s.min;
  pic.orbit.start_tm.tm_sec = s.sec;
  pic.orbit.start_tm.tm_yday = s.yday;
  pic.kepler = s.kepler;
  if (!pic.pic_fp.open(path, "wb")) return false;
  if (write_hrpt1_hdr(&pic) != 0) return false;
  FRAME_GEOM g = calc_hrptframeinfo(s.kind, s.presence, s.width);
  pic.frame = g;
  for (int y = 0; y < s.lines; y++) {
    std::vector<uint16_t> w = fixture_line(s, g, y);
    if (write_hrpt1_line(&pic, w.data(), kLinePreSync) != 1) return false;
  }
  return pic.pic_fp.close_checked();
}

// A NOAA 19 pass on 27 September 2020 at hour:min, with that day's element
// set in its header; false when the set does not parse.
inline bool noaa19_pass_2020(FixtureShape* s, int hour, int min) {
  s->year = 120;
  s->yday = 270;
  s->mon = 8;
  s->mday = 27;
  s->hour = hour;
  s->min = min;
  s->sec = 0;
  return parse_norad_lines(kNoaa19Line1, kNoaa19Line2, &s->kepler) == 1;
}

// 10 April 2024 (day 100) at hour:min.
inline BrokenTime april_tenth_2024(int hour, int min) {
  BrokenTime t{};
  t.tm_year = 124;
  t.tm_mon = 3;
  t.tm_mday = 10;
  t.tm_yday = 100;
  t.tm_hour = hour;
  t.tm_min = min;
  return t;
}

// METEOSAT 7 on 1 February 2003 12:30: six header frames, then 40 segments
// alternating channel 1 (even) and 2 (odd) with the planted grid bitmaps,
// each carrying the pattern of its segment number.
inline HriStream grid_hri_stream() {
  HriStream h;
  for (int i = 0; i < 6; ++i) h.add(header_frame(kLow, 4, 0xD4F7, 2003, 32, 1230));
  for (int k = 0; k < 40; ++k)
    h.add_segment(4, kLow, 42, 2 + k, k % 2 == 0 ? Flags{0xFF, 0, 0, 0} : Flags{0, 0xFF, 0, 0}, k);
  return h;
}

// Sample (x, y) of a 16-bit big-endian PGM `width` samples wide whose
// samples start at byte `at`.
inline int pgm16_sample(const std::string& b, size_t at, int width, int x, int y) {
  at += (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 2;
  return (static_cast<unsigned char>(b[at]) << 8) | static_cast<unsigned char>(b[at + 1]);
}

// A picture as ImageMagick decodes it: plain PNM text, samples in order
// (all zero and empty when ImageMagick refuses the file). The text goes to
// `txt`, next to the picture when not given.
struct Decoded {
  int width = 0, height = 0, maxval = 0, channels = 0;
  std::vector<int> samples;
};

inline bool have_imagemagick() { return std::system("convert -version >/dev/null 2>&1") == 0; }

inline Decoded imagemagick_decode(const std::string& path, const std::string& out_kind,
                                  std::string txt = "") {
  Decoded d;
  if (txt.empty()) txt = path + ".plain." + out_kind;
  const std::string cmd = "convert '" + path + "' -compress none " + out_kind + ":'" + txt + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) return d;
  // Drop comment lines (ImageMagick keeps the picture's own comment).
  std::istringstream raw(read_file(txt));
  std::string text, row;
  while (std::getline(raw, row))
    if (row.empty() || row[0] != '#') text += row + "\n";
  std::istringstream in(text);
  std::string magic;
  in >> magic >> d.width >> d.height >> d.maxval;
  d.channels = magic == "P3" ? 3 : 1;
  int v = 0;
  while (in >> v) d.samples.push_back(v);
  return d;
}

// A picture as Pillow and ImageMagick read it: Pillow's size and samples as
// text, ImageMagick's samples as raw `layout` ("gray" or "rgb") bytes of
// `depth` bits. Empty texts when a reader is missing or fails.
struct ReadBack {
  std::string pillow, magick;
};
inline ReadBack read_back(const std::string& path, const char* layout, int depth) {
  ReadBack r;
  auto capture = [](const std::string& cmd, std::string* out) {
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr) return;
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out->append(buf, n);
    if (pclose(p) != 0) out->clear();
  };
  for (const char* py : {"python3", "/usr/bin/python3"}) {
    capture(std::string(py) + " -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]); " +
                "print(im.size, list(im.getdata()))\" '" + path + "' 2>/dev/null",
            &r.pillow);
    if (!r.pillow.empty()) break;
  }
  capture("convert '" + path + "' -depth " + std::to_string(depth) + " " + layout + ":- 2>/dev/null",
          &r.magick);
  return r;
}

}  // namespace kelo::test
