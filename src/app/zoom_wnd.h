// The "Zoom" window: the six zoom values as numeric fields.
#pragma once

#include <gtk/gtk.h>

namespace kelo {

// "Zoom/Values...": opens the window (or raises it).
void Menu_Zoom(GtkWidget* widget, const char* id);
// Every control of the window: fields "Zx", "Zy", "Ox", "Oy", "Dx", "Dy",
// buttons " Close ", "Restore", "Redraw", and Return ("Return").
void zoom_valcmds(GtkWidget* widget, const char* id);
// Shows the view's zoom in the window when it is open; the program's
// values never come back as edits.
void Update_Zoom(GtkWidget* widget);

}  // namespace kelo
