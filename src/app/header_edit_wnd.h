// "Header edit": the satellite named by the recording's own frame headers,
// the satellite name and the scan direction of the file, and "Save".
#pragma once

#include <gtk/gtk.h>

namespace kelo {

class MainWindow;

inline constexpr const char* kHeaderEditTitle = "Header edit";

// "Edit/File header...": opens "Header edit" (or raises it).
void Menu_Hdredt(GtkWidget* widget, const char* id);
GtkWidget* Create_hdredt_wnd(MainWindow* mw);
// "search frame info", "Use it", "Edit name" (Enter), "North->south",
// "South->north", "Save", " Exit ".
void hdredt_cmds(GtkWidget* widget, const char* id);

}  // namespace kelo
