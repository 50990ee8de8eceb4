// HRPT1 recordings (NOAA HRPT, FengYun CHRPT, SeaStar): the 16000-byte
// header, the line geometry and the line reader.
//
// A recording is a fixed 16000-byte header followed by one record per scan
// line (one minor frame): a 7-byte marker ("FRAME" or "FRAMe" and a u16 byte
// count) and the frame's 10-bit words packed four to five bytes (pack10.h).
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "core/base/records.h"

namespace kelo {

// ---------------------------------------------------------------- layout
inline constexpr int kHrpt1HdrLen = 16000;                               // header bytes before line 0
inline constexpr int kHrpt1MarkerLen = 7;                                // "FRAME"/"FRAMe" + u16 count
inline constexpr int kHrpt1DataOffset = kHrpt1HdrLen + kHrpt1MarkerLen;  // first word of line 0
inline constexpr int kHrptSyncWords = 6;                                 // 644 367 860 413 527 149
inline constexpr uint16_t kHrptSync[kHrptSyncWords] = {644, 367, 860, 413, 527, 149};
inline constexpr int kHrptHdrWords = 750;    // NOAA housekeeping words before AVHRR data
inline constexpr int kChrptHdrWords = 1600;  // FengYun housekeeping words
inline constexpr int kSeawHdrWords = 685;    // SeaStar housekeeping words
inline constexpr int kFrameTailWords = 100;  // words after the picture data
inline constexpr int kHrptChannels = 5;
inline constexpr int kChrptChannels = 10;
inline constexpr int kSeawChannels = 8;
inline constexpr int kHrptNominalPixels = 2048;  // AVHRR / MVISR samples per channel line
inline constexpr int kSeawNominalPixels = 1288;  // SeaWiFS samples per channel line
inline constexpr float kHrptScanAngle = 55.4f;   // half scan angle, degrees
inline constexpr float kSeawScanAngle = 58.3f;   // written for SeaStar, never read
inline constexpr int kHrptLinesPerSec = 6;       // NOAA minor frame rate

// Refusal limit for damaged headers: the widest line any decoder delivers is
// 2048 samples per channel. Twice that still keeps the byte count of a
// ten-channel line record (10 * 4096 + 1700 words = 53325 bytes) inside the
// u16 of the line marker.
inline constexpr int kHrpt1MaxWidth = 4096;

// The header in memory, field by field as in the file (angles in degrees,
// times as nine u16 fields: sec, min, hour, mday, mon, year, wday, yday, isdst).
struct HRPT1_HDR {
  char magic[4] = {};
  char sat_name[16] = {};  // zero-padded; 16 characters have no terminator
  uint8_t chan_mask_v3 = 0;
  uint16_t width = 0;
  uint16_t nlines = 0;
  int offset_gmt = 0;  // signed byte in the file (-128..127)
  int offset_sec = 0;  // signed byte in the file
  uint16_t tm_comp[9] = {};
  int32_t epoch_year = 0;
  float epoch_day = 0, decay = 0, inclination = 0, raan = 0, eccentricity = 0;
  float perigee = 0, anomaly = 0, motion = 0;
  int32_t revnum = 0;
  char version[8] = {};
  uint16_t hdr_len = 0;
  int16_t x_offset = 0;
  int16_t y_offset = 0;
  uint8_t south_north = 0;
  uint16_t tm_sat[9] = {};
  char time_src = 0;
  float offset_lon = 0;
  int16_t min_val[kChrptChannels] = {};
  int16_t max_val[kChrptChannels] = {};
  uint8_t presence[kMaxChannels + 1] = {};
  uint16_t nominal_pixels = 0;
  float scan_angle = 0;
  char end_tag[8] = {};
};

// Decodes 16000 header bytes (CHRPT layout when `chrpt`, else HRPT/SEAW with
// the version-3 presence conversion). False when `n` is short of a header.
bool hrpt1_hdr_from_bytes(const uint8_t* in, size_t n, bool chrpt, HRPT1_HDR* hdr);
// Encodes a header into 16000 bytes; every byte not in the layout is 0.
void hrpt1_hdr_to_bytes(const HRPT1_HDR& hdr, bool chrpt, uint8_t* out);

// Reads the header of the open picture file (kind 8, 9 or 10 already in
// `file_type`) and fills the picture record. 0, or 'r' (114) when the header
// is short, unreadable or describes a line geometry that cannot be real.
[[nodiscard]] int read_hrpt1_hdr(PIC_INFO* pic);
// Heap copies of a file's header (the file is rewound first); null when the
// file is shorter than a header.
[[nodiscard]] std::unique_ptr<HRPT1_HDR> read_hrpt1hdr_file(FILE* fp);
[[nodiscard]] std::unique_ptr<HRPT1_HDR> read_chrpt1hdr_file(FILE* fp);

// Line geometry of a recording from kind, the eleven presence elements and
// the width (samples per channel line).
FRAME_GEOM calc_hrptframeinfo(FileKind kind, const int* presence, int width);

// Reads groups * 5 bytes at the current position and, unless `words` is
// null, unpacks them into groups * 4 words. 1 when all were read, 0 at the
// end of the file.
int read_qwords(FILE* fp, uint16_t* words, int groups);

// Number of complete line records behind the header.
int hrpt_lines_in_file(PIC_INFO* pic);

// Reads line `line` into `words` (room for frame.words_padded words; the
// words_per_line words of the line are filled). Returns the quality flags
// (1 | 0x0C pre-sync good | 0xE0 post-sync good) or 0 when no line could be
// read (beyond the end, or the last record, which has no following marker).
// With the view's skip-faulty switch on, lines failing the skip mask are
// passed over in the view's pass direction. `view` may be null (no skipping,
// north to south).
int read_hrpt1_line(PIC_INFO* pic, VIEW_INFO* view, int line, uint16_t* words);

}  // namespace kelo
