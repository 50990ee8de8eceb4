// GIF writer: one picture line at a time, LZW with a fixed hash table.
//
// The written file is GIF87a with a global and an identical local colour
// table of 2^b colours taken from the picture's translation tables
// (pic->lut[0..2], low bytes), b = min(depth, 8) bits per pixel. For b < 8
// each input value carries 8/b pixels in its low byte, most significant
// pixel first; the screen is then width * 8/b pixels wide.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/base/records.h"

namespace kelo {

// Starts the GIF file in pic->pic_fp (width, height and depth of pic).
// Returns the number of bytes written, or -1 when the header could not be
// written (no file, bad size, write failure).
[[nodiscard]] int write_gif_header(PIC_INFO* pic);

// Compresses one line of pic->width values. Values above 255 are replaced by
// 255 in the caller's buffer first. Returns 0, or -1 when writing failed.
[[nodiscard]] int write_gif_line(PIC_INFO* pic, uint16_t* line);

// Finishes the image data, writes the block terminator and the trailer ';'
// and flushes. Returns 0, or -1 when anything could not be written.
[[nodiscard]] int write_gif_end(LZW_STATE* lzw, FILE* fp);

}  // namespace kelo
