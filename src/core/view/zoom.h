// Zoom and pan of the main picture: the ZOOM arithmetic behind the Zoom menu,
// the navigation keys, the zoom rectangle and the scroll bars. The windows and
// event handlers that call these live in the application layer.
#pragma once

#include "core/base/records.h"

namespace kelo {

struct DRAWABLE_INFO;

// The whole picture in the window: zx = zy = 1, ox = oy = 0 (dx, dy are set
// by correct_zoomval).
ZOOM zoom_full();

// Make the zoom consistent with the picture and a canvas of cw x ch pixels:
// factors at least 1, origin inside the picture, dx/dy recomputed.
void correct_zoomval(int cw, int ch, VIEW_INFO* view, const PIC_INFO* pic);
// The same for a canvas record (null: a canvas of 0 x 0, dx = dy = 0).
void correct_zoomval(const DRAWABLE_INFO* canvas, VIEW_INFO* view, const PIC_INFO* pic);

// Zoom menu and key operations. None of them calls correct_zoomval; the
// caller does (see zoom_key and zoom_menu).
void zoom_in(VIEW_INFO* view, const PIC_INFO* pic);
void zoom_out(VIEW_INFO* view, const PIC_INFO* pic);
void zoom_swap_last(VIEW_INFO* view);
void zoom_dx2dy(VIEW_INFO* view, const PIC_INFO* pic, int cw);
void zoom_dy2dx(VIEW_INFO* view, const PIC_INFO* pic, int ch);
void zoom_zx2zy(VIEW_INFO* view);
void zoom_zy2zx(VIEW_INFO* view);
// Pan by half a window: dir 'L', 'R', 'U', 'D' (screen directions).
void zoom_pan(VIEW_INFO* view, const PIC_INFO* pic, char dir);

// What a key did to the view.
enum ZoomKeyResult : int {
  kKeyNoZoom = 0,      // handled, zoom not changed (or unknown key)
  kKeyZoomed = 1,      // zoom changed: corrected, zoom_last set; redraw
  kKeyFilmStop = 2,    // Escape: stop the film
  kKeyFilmStart = 3,   // s: start the film
  kKeyToggleSize = 4,  // m: toggle the main window's size
  kKeyZoomVar = 5,     // z: variable zoom armed (plus cursor)
};

// The main window's key table on the low byte of the key value. Clears
// zoom_fix first (Z and Control_L set it again), and for zooming keys sets
// zoom_last to the zoom before the key and corrects the new one for a canvas
// of cw x ch.
int zoom_key(VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, unsigned keyval);

// Zoom menu items by their label ("Zoom/In (i)", ...); returns 1 when the
// item changed the zoom (it is then corrected), 0 otherwise.
int zoom_menu(VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, const char* item);

// A field of the Zoom window changed: "Zx"/"Zy" set the factor and the
// screen scale with it, "Dx"/"Dy" the screen scale and the factor with it,
// "Ox"/"Oy" the origin (truncated). Nothing is corrected or redrawn: the
// window does that on Return or "Redraw". Returns 1 for a known field.
int zoom_field(VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, const char* id, double value);

// Apply a zoom rectangle with corners (x1, y1) and (x2, y2) on a cw x ch
// canvas: the rectangle fills the window afterwards. Returns 1 when applied,
// 0 when the rectangle has no width or height (nothing changes).
int zoom_rect_apply(VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, int x1, int y1, int x2, int y2);

// Order a rubber-band rectangle's corners (x1 <= x2, y1 <= y2) and limit
// them to a cw x ch canvas.
void zoom_rect_order(int cw, int ch, int* x1, int* y1, int* x2, int* y2);

// Scroll-bar values of the current view (horizontal, vertical).
void scroll_values(const VIEW_INFO* view, const PIC_INFO* pic, int* hval, int* vval);
// A scroll bar moved: id "hbar" or "vbar", value v within lo..up. Sets the
// origin and corrects the zoom for a cw x ch canvas. Returns 1 when known.
int scroll_to(VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, const char* id, double v, double lo,
              double up);

// The mouse handler's zoom-rectangle state machine.
struct ZOOM_MOUSE {
  int zoom_state = 0;  // 0 idle, 1 dragging, 2 apply, 11 fixed rectangle follows
  int button1_pressed = 0;
  int xstrt = 0, ystrt = 0;
  int xp = 0, yp = 0;
};

// What the GUI must do after a pointer event.
struct ZOOM_MOUSE_ACTION {
  int cursor = 0;     // 0 leave, 90 plus, 132 normal arrow
  int erase_all = 0;  // copy the whole buffer to the screen (cancel)
  int move_rect = 0;  // rubber band: old (ox1..oy2) -> new (nx1..ny2)
  int old_rect[4] = {};
  int new_rect[4] = {};
  int zoomed = 0;  // zoom applied: Update_Main, Update_Zoom
};

inline constexpr unsigned kButton1Mask = 0x100;
inline constexpr unsigned kButton3Mask = 0x400;

ZOOM_MOUSE_ACTION zoom_mouse(ZOOM_MOUSE* st, VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, int x,
                             int y, unsigned state);

}  // namespace kelo
