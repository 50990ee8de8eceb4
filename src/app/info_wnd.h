// The "Sat-info" window: the facts of the open file and, for recordings
// with frame header words, the decoded header of any line (Prev/Next).
#pragma once

#include <gtk/gtk.h>

namespace kelo {

inline constexpr const char* kInfoTitle = "Sat-info";

// "File/File info..." (opens the window, or rewrites the open one) and the
// window's own "Prev" and "Next".
void Menu_Info(GtkWidget* widget, const char* id);

}  // namespace kelo
