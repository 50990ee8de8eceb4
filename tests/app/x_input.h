// Real X input for the window tests: pointer moves, clicks and keys through
// the X server's test extension, at points of a widget.
#pragma once

#include <gtk/gtk.h>

#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

namespace kelo::test {

inline Display* xdpy() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

inline void x_move(GtkWidget* w, int x, int y) {
  GtkWidget* top = gtk_widget_get_toplevel(w);
  int tx = 0, ty = 0, ox = 0, oy = 0;
  gtk_widget_translate_coordinates(w, top, x, y, &tx, &ty);
  gdk_window_get_origin(gtk_widget_get_window(top), &ox, &oy);
  XTestFakeMotionEvent(xdpy(), -1, ox + tx, oy + ty, CurrentTime);
  XSync(xdpy(), False);
}

inline void x_click_at(GtkWidget* w, int x, int y) {
  x_move(w, x, y);
  XTestFakeButtonEvent(xdpy(), 1, True, CurrentTime);
  XTestFakeButtonEvent(xdpy(), 1, False, CurrentTime);
  XSync(xdpy(), False);
}

inline void click_centre(GtkWidget* w) {
  x_click_at(w, gtk_widget_get_allocated_width(w) / 2, gtk_widget_get_allocated_height(w) / 2);
}

inline void x_key(KeySym sym) {
  const KeyCode code = XKeysymToKeycode(xdpy(), sym);
  XTestFakeKeyEvent(xdpy(), code, True, CurrentTime);
  XTestFakeKeyEvent(xdpy(), code, False, CurrentTime);
  XSync(xdpy(), False);
}

}  // namespace kelo::test
