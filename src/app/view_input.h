// Keys, pointer and scroll bars of the main window's canvas: zoom and pan
// through the core's zoom arithmetic, the zoom rectangle (rubber band) and
// the position/value read-out under the pointer.
#pragma once

#include <gtk/gtk.h>

#include "core/base/records.h"

namespace kelo {

class MainWindow;

// Key presses on the main window (canvas given as data); always handled.
gboolean key_actions(GtkWidget* window, GdkEventKey* event, gpointer canvas);
// The key value of a waiting key press (it is taken), else 0.
unsigned KeyPressed();
// Pointer motion and button presses on the canvas.
gboolean mouse_button(GtkWidget* area, GdkEventButton* event, gpointer data);
gboolean mouse_motion(GtkWidget* area, GdkEventMotion* event, gpointer data);
// One pointer event at (x, y) with button state `state` (button masks of
// the press included).
void mouse_actions(MainWindow* mw, int x, int y, unsigned state);
// Moves the rubber band from the old to the new rectangle (corners in any
// order; limited to the canvas).
void redraw_zoomrect(MainWindow* mw, const int old_rect[4], const int new_rect[4]);
// Hides the rubber band.
void hide_zoomrect(MainWindow* mw);
// The scroll bars "hbar" and "vbar".
void scroll_actions(GtkAdjustment* adjustment, const char* id);
// The scroll bars from the zoom (their callbacks kept quiet).
void scroll_update(MainWindow* mw);
// The "Position" and "Pixel" entries for canvas pixel (sx, sy).
void Update_Coord(MainWindow* mw, int sx, int sy);

}  // namespace kelo
