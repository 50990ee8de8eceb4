// PGM ("P5") and PPM ("P6") in their binary forms, one header item per line
// as the writer produces it: magic, comment lines, "width height", maximum.
// Samples above 8 bits are two bytes, most significant first.
#pragma once

#include <cstdint>

#include "core/base/records.h"

namespace kelo {

// Result codes of read_ppm_header().
enum PpmReadResult : int {
  kPpmOk = 0,
  kPpmBadMagic = 1,  // not "P5" / "P6"
  kPpmEof = 2,       // end of file inside the header
  kPpmLongLine = 3,  // a size line longer than 99 characters
  kPpmNoWidth = 4,   // width or maximum value missing
  kPpmNoHeight = 5,  // height missing
};

// Reads the header of pic->pic_fp from its current position (the start of
// the file); fills width, height, lut_size, depth, frame, chan_present,
// data_offset, orientation, scan_dir, lut and sat_name (last comment).
[[nodiscard]] int read_ppm_header(PIC_INFO* pic);

// Reads picture line `line`. PPM fills red, green and blue; PGM fills red
// and, when not null, green and blue with the same value. Returns the number
// of pixels read from the file (fewer than the width when the file is short;
// the missing pixels are 0).
int read_ppm_line(PIC_INFO* pic, int line, uint16_t* red, uint16_t* green, uint16_t* blue);

// The maximum a PGM/PPM header of this kind, table size and depth declares:
// lut_size - 1, at most 255 for PPM and for depths up to 8.
int ppm_header_maxval(FileKind kind, int lut_size, int depth);

// Writes the header for kind 4 ("P6") or 5/6 ("P5") with the comment
// "Created by kelo" and the maximum lut_size - 1. Returns the number of
// bytes written, or -1 on a write failure.
[[nodiscard]] int write_ppm_header(PIC_INFO* pic);

// Writes frame.line_bytes pixels. Returns the number of samples written,
// or -1 on a write failure.
[[nodiscard]] int write_ppm_line(PIC_INFO* pic, const uint16_t* red, const uint16_t* green,
                                 const uint16_t* blue);

}  // namespace kelo
