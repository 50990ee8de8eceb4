// Reader of AHRPT files: the six-channel 10-bit scanner stream of the
// Meteor satellites as a sequence of 256-byte transfer blocks.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/base/records.h"

namespace kelo {

inline constexpr int kAhrptBlockBytes = 256;
inline constexpr int kAhrptBlocksPerLine = 50;
inline constexpr int kAhrptLineBytes = kAhrptBlocksPerLine * kAhrptBlockBytes;  // 12800
inline constexpr int kAhrptChannels = 6;
inline constexpr int kAhrptPixels = 1540;
inline constexpr int kAhrptLineValues = kAhrptChannels * kAhrptPixels;  // 9240
inline constexpr uint32_t kAhrptBlockSync = 0x1ACFFC1D;
inline constexpr uint32_t kAhrptLineSync1 = 0x0218A7A3;
inline constexpr uint32_t kAhrptLineSync2 = 0x92DD9ABF;
inline constexpr int kAhrptSyncTolerance = 3;  // differing bytes still accepted

// Opens an AHRPT picture of pic->pic_fp. Always 0.
[[nodiscard]] int read_ahrpt1_hdr(PIC_INFO* pic);

// Reads picture line `line` into `values` (kAhrptLineValues entries,
// index 6 * pixel + channel). Entries past the end of the file keep their
// contents. Always 1.
int read_ahrpt1_line(PIC_INFO* pic, VIEW_INFO* view, int line, uint16_t* values);

// Positions fp at the start of the first block with a line sync: 1, or 0
// when there is none (or no file).
int search_startofline(FILE* fp);

// Number of the first `length` (at most 8) bytes that differ from the
// pattern w1, w2 (most significant byte first).
int cmp_sync(const uint8_t* bytes, uint32_t w1, uint32_t w2, int length);

// Frame geometry from the present channels 1-10 and the pixels per channel.
void calc_ahrptframeinfo(FRAME_GEOM* geom, FileKind file_type, const int* chan_present, int pixels_per_chan);

}  // namespace kelo
