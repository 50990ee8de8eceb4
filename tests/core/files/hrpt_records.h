// HRPT1 recordings assembled byte by byte for the reader tests, from the
// layout table and independent of the writer under test.
#pragma once

#include <algorithm>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/files/pack10.h"

namespace kelo::test {

using Bytes = std::vector<uint8_t>;

// A 16000-byte header filled in field by field.
struct HdrBuilder {
  Bytes b = Bytes(16000, 0);
  void str(size_t off, const char* s) { std::memcpy(b.data() + off, s, std::strlen(s)); }
  void u8(size_t off, uint8_t v) { b[off] = v; }
  void u16(size_t off, unsigned v) {
    b[off] = static_cast<uint8_t>(v & 0xFF);
    b[off + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  }
  void raw(size_t off, std::initializer_list<uint8_t> v) {
    for (uint8_t x : v) b[off++] = x;
  }
  void tm(size_t off, std::initializer_list<unsigned> f) {
    for (unsigned x : f) {
      u16(off, x);
      off += 2;
    }
  }
  std::string str() const { return std::string(b.begin(), b.end()); }
};

// A recording of lines four pixels wide of channel 1: with the frame sync
// and header words 854 words (padded 856, 1077 bytes a record), without
// them 4 words (12 bytes). `fill(n, words)` sets the words of line n after
// the sync; `markers`, when given, replaces the fifth byte of each record's
// "FRAME" marker.
inline std::string four_pixel_recording(size_t lines, bool with_sync,
                                        const std::function<void(size_t, std::vector<uint16_t>&)>& fill,
                                        const std::vector<char>& markers = {}) {
  HdrBuilder h;
  h.str(0, "HRPT");
  h.u16(22, 4);
  h.raw(269, {static_cast<uint8_t>(with_sync ? 1 : 0), 1});
  std::string out = h.str();
  const size_t padded = with_sync ? 856 : 4;
  for (size_t n = 0; n < lines; ++n) {
    std::vector<uint16_t> w(padded, 0);
    const uint16_t sync[6] = {644, 367, 860, 413, 527, 149};
    if (with_sync) std::copy(sync, sync + 6, w.begin());
    fill(n, w);
    std::string rec(padded / 4 * 5 + 7, '\0');
    std::memcpy(rec.data(), "FRAME", 5);
    if (!markers.empty()) rec[4] = markers[n];
    rec[5] = static_cast<char>((rec.size() - 7) & 0xFF);
    rec[6] = static_cast<char>((rec.size() - 7) >> 8);
    pack10(w.data(), padded / 4, reinterpret_cast<uint8_t*>(rec.data() + 7));
    out += rec;
  }
  return out;
}

}  // namespace kelo::test
