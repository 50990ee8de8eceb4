// Reader of HRI1 recordings: the geostationary HRI frame stream of METEOSAT,
// GOES, GMS and GOMS dissemination as the HRI recorder stores it.
//
// File layout: a 34-byte header ("PDUS" and 30 zero bytes), then one record
// per received frame: "FRAME", the frame length as little-endian 16-bit
// number, and the 364 frame bytes unchanged. Reading is an interpretation of
// that stream: where the picture starts, which channels it carries, and how
// a picture line is assembled from the frames of its segments.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/base/records.h"

namespace kelo {

inline constexpr int kHriHeaderBytes = 4 + 30;                           // "PDUS" + 30 zero bytes
inline constexpr int kHriFrameBytes = 364;                               // one decoder frame
inline constexpr int kHriRecordHead = 5 + 2;                             // "FRAME" + 16-bit length
inline constexpr int kHriRecordBytes = kHriRecordHead + kHriFrameBytes;  // 371

// Quality bits of a frame record (read_hri1_frame) and of an assembled line.
inline constexpr int kHriQRead = 0x01;        // a record was read
inline constexpr int kHriQMarker = 0x02;      // its record head has the 'E' of "FRAME"
inline constexpr int kHriQSync = 0x0C;        // one of its three sync bytes is right
inline constexpr int kHriQNextMarker = 0x10;  // the following record head is well formed
inline constexpr int kHriQNextSync = 0xE0;    // the following frame is in sync
inline constexpr int kHriQGood = 0xFF;        // this and the following record are sound

// Grid marks of one line: the line store passes a table of this many bytes.
inline constexpr int kHriGridBytes = 680;

// Opens the HRI1 picture of pic->pic_fp: rewinds, reads the header, finds
// the picture start and fills the picture record. 0 on success (also when
// the file ends before a picture start: the picture then has no lines);
// 'r' when the 34-byte header cannot be read.
[[nodiscard]] int read_hri1_hdr(PIC_INFO* pic);

// Scans frames from the current position of fp until the start of a picture
// is recognised (pic->hri and channel flags filled) or the file ends.
// `frame` receives each frame read (kHriFrameBytes bytes). Returns 1.
int find_picture(PIC_INFO* pic, uint8_t* frame, FILE* fp);

// Reads one frame record into `frame` (kHriFrameBytes bytes), cleans the
// channel flags of a segment's first frame by majority and returns the
// quality bits (0 at the end of the file). The file position ends after
// the record; the following record is only looked at.
int read_hri1_frame(uint8_t* frame, FILE* fp);

// Reads picture line `line` of the shown channel into `values` (at least
// pic->frame.words_padded entries) and, when `grid` is given, the grid
// bitmap bytes into `grid` (kHriGridBytes bytes). Returns the AND of the
// quality bits of the frames used, 0 when no line could be read.
int read_hri1_line(PIC_INFO* pic, VIEW_INFO* view, int line, uint16_t* values, uint8_t* grid);

// Assembles the next line of the shown channel from the current position of
// pic->pic_fp. `second_seg` chooses the second half of a double-resolution
// line pair. Same buffers and result as read_hri1_line.
int get_hri1_nextline(PIC_INFO* pic, VIEW_INFO* view, int second_seg, uint16_t* values, uint8_t* grid);

}  // namespace kelo
