// GIF reader: the logical screen and first image of a GIF file, decoded one
// picture line at a time with fixed tables (no allocation per line).
//
// The coder state lives in the picture record (PIC_INFO::lzw), so every open
// picture carries its own decoder. Lines of a non-interlaced image are decoded
// as asked and may only be read forward; to go back, rewind_gif() starts the
// decoder over. An interlaced image (stored in four passes: every 8th row
// from 0, every 8th from 4, every 4th from 2, every 2nd from 1) is decoded
// whole at its first read and then gives any line in display order.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/base/records.h"

namespace kelo {

// Result codes of read_gif_header().
enum GifReadResult : int {
  kGifOk = 0,
  kGifNoScreen = 1,      // logical screen descriptor cannot be read
  kGifNoImageDesc = 2,   // image descriptor cannot be read
  kGifNoCodeSize = 3,    // minimum code size byte missing
  kGifBadCodeSize = 4,   // minimum code size outside 2..9
  kGifTrailerFirst = 5,  // the trailer ';' comes before any image
  kGifBadBlock = 6,      // an unexpected byte where a block should start
  kGifEofNoImage = 7,    // end of file before an image
};

// Rewinds pic->pic_fp and reads the screen descriptor, the palette (into
// pic->lut, lut_size colours) and the first image descriptor; sets width,
// height, depth 8, frame geometry, one channel, data_offset, orientation normal
// and scan_dir top-down. Returns 0 or a GifReadResult code.
[[nodiscard]] int read_gif_header(PIC_INFO* pic);

// Decodes forward until `line` is reached and leaves its `width` values
// (0..255) in buf. A line number below the last decoded one does not go back
// in the file: the caller rewinds first (rewind_gif). Interlaced images give
// display line `line`, in any order.
// Returns kLineRead (1) when the line was decoded in full, 0 when the image
// data ended or was damaged before it (buf then holds what was decoded, the
// rest 0) or the line is outside the picture.
int read_gif_line(PIC_INFO* pic, int line, uint16_t* buf);

// read_gif_header() again; the next read starts at line 0. Returns its code.
// An interlaced image decoded whole is kept as it is (0): it is decoded once.
[[nodiscard]] int rewind_gif(PIC_INFO* pic);

// Forgets the decoder state (the tables are fixed in the record; nothing is
// left allocated).
void read_gif_close(LZW_STATE* lzw);

// Next code of `width` bits from the image data sub-blocks, least significant
// bit first; -1 at the end of the data. With no file it resets the bit
// reader and returns 0.
int get_next_code(LZW_STATE* lzw, int width, FILE* fp);

}  // namespace kelo
