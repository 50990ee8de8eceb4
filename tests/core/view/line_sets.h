// Picture records and line sets for the line-store tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/base/records.h"

namespace kelo::test {

// A recording-like picture: `hdr` header words, then `nch` channels
// interleaved per pixel, lines of `words_padded` words.
inline PIC_INFO recording_like(int hdr, int nch, int width, int words_padded) {
  PIC_INFO pic;
  pic.file_type = kKindHRPT;
  pic.width = width;
  pic.frame.hdr_words = hdr;
  pic.frame.n_channels = nch;
  pic.frame.words_padded = words_padded;
  for (int ch = 1; ch <= nch; ++ch) pic.chan_present[ch] = 1;
  return pic;
}

// Lines of `room` samples kept in vectors, and the line pointers the line
// store takes: made afresh on each call, so that a copied set points at its
// own lines.
struct HeldLines {
  std::vector<std::vector<uint16_t>> store;
  std::vector<uint16_t*> ptrs;
  HeldLines(int n, size_t room) : store(static_cast<size_t>(n), std::vector<uint16_t>(room, 0)) {}
  uint16_t** get() {
    ptrs.clear();
    for (auto& s : store) ptrs.push_back(s.data());
    return ptrs.data();
  }
};

}  // namespace kelo::test
