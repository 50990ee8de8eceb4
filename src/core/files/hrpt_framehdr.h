// The HRPT minor-frame header: sync, identification word and time code;
// satellite names from spacecraft addresses.
#pragma once

#include <cstdint>
#include <string>

#include "core/base/records.h"

namespace kelo {

// Satellite name of a spacecraft address ("NOAA 19", "FENGYUN 1D", ...;
// "unknown: <hex>\n" for others).
std::string spacecrftaddr2name(int address);
// Name from an identification word: NOAA and SeaWiFS address in bits 6-3;
// FengYun address in bits 9-6, shifted into the upper nibble. Empty for any
// other family.
std::string xrptid2name(int id_word, SatKind family);

// Decodes words 0-11 of a frame (the caller guarantees twelve words) into
// `hdr`. For FengYun only sc_addr is taken from the id word.
void decode_framehdr(const uint16_t* words, SatKind family, FRAME_HDR* hdr);

// Reads line `line` of an HRPT1 picture and decodes its frame header.
// 1 with `hdr` filled; 0 when the picture is not an HRPT1 file, keeps no
// frame header words, or the line cannot be read.
int get_hrpt_framehdr(PIC_INFO* pic, VIEW_INFO* view, int line, FRAME_HDR* hdr);
// First line at or after `start` (within 100 lines) that opens a new second
// after six frames of the previous one; 0 when none was found.
int search_first_reliable_frame(int start, PIC_INFO* pic, VIEW_INFO* view, FRAME_HDR* hdr);
// Names the satellite and turns the time code into a calendar time. 'y'
// when the frame carries a day count, 'd' when the day of year was taken
// from `reference`.
int interpret_framehdr(FRAME_HDR* hdr, const BrokenTime* reference);

}  // namespace kelo
