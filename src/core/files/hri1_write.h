// Writer of HRI1 recordings, used by the HRI recorder.
#pragma once

#include <cstdint>

#include "core/base/records.h"

namespace kelo {

// Writes the 34-byte file header to rec->rec_fp. 1 when written, 0 when the
// file is not open or the write fails.
[[nodiscard]] int write_hri1_hdr(RECORD_INFO* rec);

// Appends one frame record: "FRAME", rec->frame.line_bytes as 16-bit
// little-endian number and the low byte of each of the 364 words.
// 1 when written, 0 when the file is not open or the write fails.
[[nodiscard]] int write_hri1_line(RECORD_INFO* rec, const uint16_t* words);

}  // namespace kelo
