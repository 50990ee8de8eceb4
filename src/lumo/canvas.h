// The canvas widget: a drawing area that shows the RGB buffer of its
// DRAWABLE_INFO record (lumo/rgbdraw.h). The picture pass, the grid and the
// recorders draw into the buffer; the "draw" handler paints only the damaged
// rectangle, so a recorder that adds one line repaints one line.
//
// The record hangs on the drawing area as "drawable_info" and is freed with
// it; a wrapper box or scrolled window carries the area as "CHILD_IS".
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <vector>

#include "core/view/rgbdraw.h"

namespace kelo {

using ConfigureCallback = gboolean (*)(GtkWidget* area, GdkEventConfigure* event, gpointer data);
using ButtonCallback = gboolean (*)(GtkWidget* area, GdkEventButton* event, gpointer data);
using MotionCallback = gboolean (*)(GtkWidget* area, GdkEventMotion* event, gpointer data);
using KeyCallback = gboolean (*)(GtkWidget* window, GdkEventKey* event, gpointer canvas);

// A drawing area with a zeroed canvas record, pointer motion and button
// press events, "draw" on expose_event and the given callbacks (each only when given; configure after the
// default handler). A nonzero size is requested; a nonzero height wraps the area in a vertical box, then a
// nonzero width in a horizontal box; the outermost wrapper carries "CHILD_IS". Shown; returns the outermost
// widget.
GtkWidget* Create_Drawable(int width, int height, ConfigureCallback configure_cb, ButtonCallback button_cb,
                           MotionCallback motion_cb);
// The canvas of a window made by Create_Window: key presses on the window go
// to key_cb with the canvas as data; with a positive requested size and a
// window made with a default size the canvas scrolls (the scrolled window
// carries "CHILD_IS"). The window is shown; the result is returned for the
// caller to pack.
GtkWidget* Create_Canvas(GtkWidget* window, int width, int height, ConfigureCallback configure_cb,
                         KeyCallback key_cb, ButtonCallback button_cb, MotionCallback motion_cb);
// Connects the callbacks to the drawing area of window ("GTK_DRAWING_AREA").
void Add_Mouse_events(GtkWidget* window, ButtonCallback button_cb, MotionCallback motion_cb);

// Makes the buffer match the area's allocated size: 1 when (re)allocated,
// 0 when the size was unchanged (buffer cleared to black) or the widget has
// no canvas record, -1 when the widget is not a drawing area or the size
// cannot be held (a message on standard error).
int Renew_RGBBuf(GtkWidget* area);
// A new backing surface of the size of window's drawing area (black when
// clear != 0), replacing and releasing the old one. Nothing for null.
void Renew_Pixmap(GtkWidget* window, int clear);
// One colour per palette entry (16-bit components) as the window's GC
// palette (WND_INFO gc_list/n_gc). Nothing for a window without record.
void Create_GCPalette(GtkWidget* window, const std::vector<KColor>& palette);
// The window's GC palette, or null.
const std::vector<KColor>* Get_GCPalette(GtkWidget* window);

// The "draw" handler: the backing surface, then the buffer, then the
// record's rubber band when shown, for the clip
// rectangle only. Called with a null cairo context it asks for a full
// redraw. Returns FALSE.
gboolean expose_event(GtkWidget* area, cairo_t* cr, gpointer data = nullptr);
// Asks for a redraw of the rectangle; nothing for null or negative w, h.
void Refresh_Rect(GtkWidget* widget, int x, int y, int w, int h);
// Paints the rectangle of buffer (width x height x 3 bytes of the area's
// canvas record, row length width) onto the area's window at once, without
// touching the record's buffer. Nothing for a null buffer or a rectangle
// outside the canvas; the rectangle is clipped to the canvas.
void draw_rgbmap(GtkWidget* area, const uint8_t* buffer, int x, int y, int w, int h);

// The drawing area of a canvas widget: the widget itself, its "CHILD_IS",
// or null.
GtkWidget* canvas_drawing_area(GtkWidget* widget);

}  // namespace kelo
