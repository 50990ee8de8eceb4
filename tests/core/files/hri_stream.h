// Builds HRI frame streams for the tests: header frames, picture segments of
// 4 or 8 frames with a planted pixel pattern and grid bitmap, and damage.
//
// The file bytes are composed here by hand (record head "FRAME", 16-bit
// little-endian length, frame bytes) so that the reader is checked against
// an independent picture of the layout; `write_with_writer` stores the same
// frames through the recorder's writer.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/files/gif_support.h"  // Ints, ints
#include "core/files/hri1_write.h"

namespace kelo::test {

inline constexpr int kFrame = 364;
inline constexpr uint8_t kLow = 0x30;   // low-resolution first frame
inline constexpr uint8_t kHigh = 0x70;  // high-resolution first frame

using HriFrame = std::array<uint8_t, kFrame>;
using Flags = std::array<uint8_t, 4>;

inline void put16(HriFrame& f, int off, int v) {
  f[off] = static_cast<uint8_t>((v >> 8) & 0xFF);
  f[off + 1] = static_cast<uint8_t>(v & 0xFF);
}

// A frame with the sync bytes and the kind byte.
inline HriFrame continuation_frame(uint8_t kind, int position) {
  return HriFrame{0x05, 0x0C, 0xDF, static_cast<uint8_t>((kind & 0xF0) | (position & 0x0F))};
}

// A segment's first frame with its fields (big-endian numbers); bytes 12-16
// are constant within the picture.
inline HriFrame first_frame(uint8_t kind, int per_seg, int end_frame, int counter, Flags flags,
                            uint8_t scan = 0xFF) {
  HriFrame f = continuation_frame(kind, kind & 0x0F);
  put16(f, 4, per_seg);
  put16(f, 6, end_frame);
  put16(f, 8, counter);
  for (int i = 0; i < 5; ++i) f[12 + i] = static_cast<uint8_t>(0x11 * (i + 1));
  for (int i = 0; i < 4; ++i) f[17 + i] = flags[i];
  f[23] = scan;
  return f;
}

inline HriFrame header_frame(uint8_t kind, int per_seg, int code, int year, int yday, int hhmm) {
  HriFrame f = first_frame(kind, per_seg, 0, 1, Flags{0, 0, 0, 0});
  for (int i = 0; i < 4; ++i) put16(f, 36 + 2 * i, std::array{code, year, yday, hhmm}[i]);
  return f;
}

// The planted pattern: pixel i of segment `seg`, and grid byte j.
inline uint8_t pixel_value(int seg, int i) {
  return static_cast<uint8_t>((seg * 37 + i * 11 + (i / 256) * 5) & 0xFF);
}
inline uint8_t grid_value(int seg, int j) { return static_cast<uint8_t>((seg * 13 + j * 7 + 1) & 0xFF); }

class HriStream {
 public:
  std::vector<HriFrame> frames;
  std::vector<bool> bad_marker;  // record head without its 'E'

  void add(const HriFrame& f) {
    frames.push_back(f);
    bad_marker.push_back(false);
  }

  // One line segment whose picture bytes are pixel_value(seg, 0..) (from
  // byte 36 of the first frame, 68 in format 8) and whose grid bitmap is
  // grid_value(seg, 0..) at the end of the last frame (158 bytes from 206,
  // 316 from 48 in format 8).
  void add_segment(int format, uint8_t kind, int end_frame, int counter, Flags flags, int seg,
                   uint8_t scan = 0xFF) {
    const int grid_start = format == 8 ? 48 : 206;
    int pix = 0;
    for (int p = 0; p < format; ++p) {
      HriFrame f =
          p == 0 ? first_frame(kind, format, end_frame, counter, flags, scan) : continuation_frame(kind, p);
      const int from = p == 0 ? (format == 8 ? 68 : 36) : 4, to = p == format - 1 ? grid_start : kFrame;
      for (int b = from; b < to; ++b) f[b] = pixel_value(seg, pix++);
      for (int j = 0; to < kFrame && j < kFrame - to; ++j) f[to + j] = grid_value(seg, j);
      add(f);
    }
  }

  // The file bytes, composed independently of the writer.
  std::string bytes() const {
    std::string out("PDUS", 4);
    out.append(30, '\0');
    for (size_t k = 0; k < frames.size(); ++k) {
      out += bad_marker[k] ? "FRAMX" : "FRAME";
      out += "\x6C\x01";  // 364, little-endian
      out.append(frames[k].begin(), frames[k].end());
    }
    return out;
  }

  // The same frames stored through the recorder's writer.
  bool write_with_writer(const std::string& path) const {
    RECORD_INFO rec{};
    if (!rec.rec_fp.open(path, "wb")) return false;
    rec.frame.words_per_line = rec.frame.line_bytes = kFrame;
    if (write_hri1_hdr(&rec) != 1) return false;
    for (const HriFrame& f : frames) {
      uint16_t words[kFrame];
      // The decoder hands over 16-bit words whose low byte is the data.
      for (int i = 0; i < kFrame; ++i) words[i] = static_cast<uint16_t>(0xA500 | f[i]);
      if (write_hri1_line(&rec, words) != 1) return false;
    }
    return rec.rec_fp.close_checked();
  }
};

}  // namespace kelo::test
