// Writing HRPT1 recordings: the header (always version 4) and line records.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/base/records.h"
#include "core/files/hrpt1_read.h"

namespace kelo {

// Writes the header of `pic` at the current position of its open file.
// 0 written, 1 no open file (or the write failed), 2 no memory.
[[nodiscard]] int write_hrpt1_hdr(PIC_INFO* pic);
// Writes an in-memory header (HRPT/SEAW or CHRPT layout) at the current
// position: 0, or 1 without a file or when the write failed.
[[nodiscard]] int write_hrpt1hdr_file(const HRPT1_HDR* hdr, FILE* fp);
[[nodiscard]] int write_chrpt1hdr_file(const HRPT1_HDR* hdr, FILE* fp);
// Builds the header record of `pic` (what write_hrpt1_hdr writes). Updates
// start_tm_sat/start_tm_comp of the picture from start_tm as the writer
// does, and the width when it is 0.
HRPT1_HDR make_hrpt1_hdr(PIC_INFO* pic);

// Appends one line record: marker "FRAME" when flags has a 0x0C bit, else
// "FRAMe"; the byte count; the words_padded words packed (the caller
// supplies words_padded words, the pad words 0). 1 written, 0 without a
// file or when the write failed.
[[nodiscard]] int write_hrpt1_line(PIC_INFO* pic, const uint16_t* words, int flags);

}  // namespace kelo
