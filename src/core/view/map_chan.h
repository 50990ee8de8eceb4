// The channel map settings the "Map channels" window offers: automatic colour
// weights per satellite family and the automatic detector alignment.
#pragma once

#include "core/base/records.h"

namespace kelo {

// " Auto color ": every weight of channels 1..10 becomes 0 (the used flags stay),
// then the family's natural-colour mix is set and its channels marked used.
// Returns 0 when a mix was set, 1 for a file kind without one.
int mapchan_auto_color(const PIC_INFO* pic, VIEW_INFO* view);

// " Auto align ": all shifts and tilts cleared, then the known detector offsets
// of a CHRPT file applied.
void mapchan_auto_align(const PIC_INFO* pic, VIEW_INFO* view);

// " Reset align ": all shifts and tilts cleared.
void mapchan_reset_align(VIEW_INFO* view);

}  // namespace kelo
