// Headless rendering: a picture drawn with given view options into a canvas
// record of a given size, written as a PPM. Used by kelo-export --render and
// by the tests.
#pragma once

#include <string>

#include "core/base/records.h"
#include "core/view/rgbdraw.h"

namespace kelo {

// Draw the open picture into `canvas` resized to width x height: standard
// palette, zoom corrected for that size, picture pass, then the grid when
// grid_on is set. 0 on success, 1 when the pass failed, -1 for a bad size.
int render_view(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, int width, int height);

// Write the canvas as a binary PPM ("P6", maxval 255), through a new
// temporary that replaces `path` when complete. 0, 'o' when the file
// cannot be created, 'r' when writing failed (nothing is left behind), 'p'
// when the canvas has no buffer; `error` (may be null) then names the file
// and the reason.
[[nodiscard]] int write_canvas_ppm(const DRAWABLE_INFO* canvas, const std::string& path,
                                   std::string* error = nullptr);

}  // namespace kelo
