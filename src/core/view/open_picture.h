// Opening a picture to show it: the file opened and the view set up for it.
#pragma once

#include "core/base/records.h"
#include "core/files/open_listener.h"

namespace kelo {

// Sets the view up for the picture just opened: the luminance window spans
// the picture's values, the whole picture fits the canvas, orientation and
// scan direction come from the file, and the channel choice keeps only
// channels the file holds.
void setup_view_for_picture(PIC_INFO* pic, VIEW_INFO* view);

// open_file, then setup_view_for_picture; `listener` (may be null) hears
// file_opened and, on success, picture_ready. Returns open_file's result.
[[nodiscard]] int open_picture(PIC_INFO* pic, VIEW_INFO* view, OpenListener* listener);

}  // namespace kelo
