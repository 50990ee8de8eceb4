// The picture pass: the open picture drawn into the main canvas row by row.
#pragma once

#include "core/base/gui_seam.h"
#include "core/base/records.h"
#include "core/view/rgbdraw.h"

namespace kelo {

// Draw the picture into the canvas of `window` (through the GUI seam).
// 0 when the pass completed, was ended by Escape, or there is nothing to
// draw; 1 when the tables could not be made; otherwise redraw_pending.
int draw_pic(PIC_INFO* pic, VIEW_INFO* view, WindowHandle window);
// The same into a given canvas record; `window` is only used for refreshes.
int draw_pic_canvas(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, WindowHandle window);

// Faulty-line mark of a row from its read status: bit 0 the line lacks its
// own frame sync (HRI: the line is incomplete), bit 1 the next line's sync
// is missing (polar recordings only).
int faulty_mark(FileKind file_type, int status);

}  // namespace kelo
