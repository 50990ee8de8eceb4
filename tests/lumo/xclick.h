// Real mouse clicks for the GUI tests, through the X server's test
// extension (KELO_HAVE_XTEST when the library is there).
#pragma once

#ifdef KELO_HAVE_XTEST
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>

namespace kelo::test {

// True when the display is an X server that offers the test extension.
inline bool xtest_ready() {
  GdkDisplay* d = gdk_display_get_default();
  if (d == nullptr || !GDK_IS_X11_DISPLAY(d)) return false;
  int ev = 0, err = 0, major = 0, minor = 0;
  return XTestQueryExtension(GDK_DISPLAY_XDISPLAY(d), &ev, &err, &major, &minor) != 0;
}

// Press and release of button 1 at (x, y) of the top-level window win.
inline void x_click(GtkWidget* win, int x, int y) {
  Display* dpy = GDK_DISPLAY_XDISPLAY(gtk_widget_get_display(win));
  int ox = 0, oy = 0;
  gdk_window_get_origin(gtk_widget_get_window(win), &ox, &oy);
  XTestFakeMotionEvent(dpy, -1, ox + x, oy + y, CurrentTime);
  XTestFakeButtonEvent(dpy, 1, True, CurrentTime);
  XTestFakeButtonEvent(dpy, 1, False, CurrentTime);
  XFlush(dpy);
}

// The middle of the first cell of row `row` of a tree view, in the
// coordinates of its top-level window win.
inline bool row_point(GtkWidget* list, GtkWidget* win, int row, int* x, int* y) {
  GdkRectangle cell;
  GtkTreePath* path = gtk_tree_path_new_from_indices(row, -1);
  gtk_tree_view_get_cell_area(GTK_TREE_VIEW(list), path, gtk_tree_view_get_column(GTK_TREE_VIEW(list), 0),
                              &cell);
  gtk_tree_path_free(path);
  int wx = 0, wy = 0;
  gtk_tree_view_convert_bin_window_to_widget_coords(GTK_TREE_VIEW(list), cell.x + 5, cell.y + cell.height / 2,
                                                    &wx, &wy);
  return gtk_widget_translate_coordinates(list, win, wx, wy, x, y) != FALSE;
}

}  // namespace kelo::test
#endif
