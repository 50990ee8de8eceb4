// HRI support shared by the HRI1 reader and the HRI recorder: satellite
// names, header and picture-start frames into the records, frame geometry,
// channel choice and the grid bitmap.
#pragma once

#include <cstdint>
#include <string>

#include "core/base/records.h"
#include "core/files/hri1_read.h"  // kHriGridBytes

namespace kelo {

// Sets pic->width and pic->height from the first of channels 1-4 that the
// view shows; unchanged when none is shown.
void hri_channelselect(PIC_INFO* pic, VIEW_INFO* view);

// Expands the grid bitmap `bytes` (most significant bit first) into one
// mark per pixel: marks[i] = 1 when pixel i of the line lies on the grid.
// Fills pic->width marks (at most 8 * kHriGridBytes). No output, nothing done.
void add_hrigrid(PIC_INFO* pic, uint8_t* marks, const uint8_t* bytes);

// Satellite code of an HRI header frame to its name. Unknown codes keep a
// name that is already set and otherwise give "Code %x?".
void hri_satind2satname(int code, std::string* name);

// Takes a header frame (raw frame bytes, big-endian fields) into the records:
// satellite name into `name`, picture time into pic->hri_time.
void hri_hdrsf2hri_pci(const uint8_t* frame, std::string* name, PIC_INFO* pic);

// Takes the picture-start frame (raw bytes) into `hri` and pic: segments,
// format, first frame, line lengths and counts, orientation and scan
// direction. Expects hri->chan[n].double_res and pic->chan_present[1..4]
// to be set from the channel flags.
void hri_sf2hri_pci(const uint8_t* frame, HRI_INFO* hri, PIC_INFO* pic);

// Frame geometry of an HRI1 picture or recording from hri->format and
// hri->nseg: words per line = frames per segment * 364, padded = that times
// the segments of a line, line bytes = the file distance of two lines.
void calc_hriframeinfo(FRAME_GEOM* geom, const HRI_INFO* hri);

}  // namespace kelo
