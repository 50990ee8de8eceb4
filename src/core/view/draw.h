// The picture pass: the open picture drawn into the main canvas row by row.
#pragma once

#include "core/base/records.h"
#include "core/view/pass_listener.h"
#include "core/view/rgbdraw.h"

namespace kelo {

// The picture pass: draws the open picture into `canvas` row by row,
// telling `listener` (may be null: drawn unattended) of the rows drawn and
// asking it between rows whether to stop. 0 when the pass completed, was
// stopped, or there is nothing to draw; 1 when the tables could not be made;
// otherwise redraw_pending (a redraw was asked for during the pass).
// draw_pic brackets the pass with pass_started/pass_ended.
int draw_pic(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, PassListener* listener);
int draw_pic_canvas(PIC_INFO* pic, VIEW_INFO* view, DRAWABLE_INFO* canvas, PassListener* listener);

// Faulty-line mark of a row from its read status: bit 0 the line lacks its
// own frame sync (HRI: the line is incomplete), bit 1 the next line's sync
// is missing (polar recordings only).
int faulty_mark(FileKind file_type, int status);

}  // namespace kelo
