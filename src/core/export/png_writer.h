// PNG pictures of the export. A PNG holds what the PGM or PPM export of the
// same view holds: one channel as grey (8-bit when the PGM's maximum is at
// most 255, else 16-bit), or the colour mix as 8-bit RGB. Samples are scaled
// from the PGM/PPM maximum to the full PNG range the way picture readers
// scale a PGM/PPM (v * full / maximum, rounded), so a reader gets the same
// values from both files; an sBIT chunk tells the bits that carry data (10
// for a 10-bit recording).
//
// The rows are kept until the end and written at once: a cancelled export
// writes a valid PNG of the rows it has, with their true height.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace kelo {

class PngWriter {
 public:
  // `maxval`: the maximum the PGM/PPM of this export declares (1..65535).
  PngWriter(int width, bool colour, int maxval);

  // One row of `width` samples 0..maxval (larger values are clipped); grey
  // takes `red` only.
  void add_row(const uint16_t* red, const uint16_t* green, const uint16_t* blue);

  int rows() const { return rows_; }
  int bit_depth() const { return depth_; }

  // Writes the PNG of the rows added so far to `fp`. False when it could not
  // be written (no rows, or a write error).
  [[nodiscard]] bool write(FILE* fp) const;

 private:
  int width_;
  bool colour_;
  int maxval_;
  int depth_;  // 8 or 16
  int rows_ = 0;
  std::vector<uint8_t> data_;  // the rows as PNG stores them (16-bit: big-endian)
};

}  // namespace kelo
