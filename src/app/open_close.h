// "File/Open..." and "File/Close" of the main window.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "core/base/records.h"

namespace kelo {

// "File/Open...": the file selector "Open" in the picture's directory.
void MenuSelectFile(GtkWidget* widget, const char* id);
// "OK" of the selector: opens the chosen file; the selector stays open
// after an error.
void file_ok_sel(GtkWidget* widget, const char* id);
// "File/Close".
void close_file(GtkWidget* widget, const char* id);

// The "Error" messages of a failed open, in order, for result `code` of
// opening `pic` (its path and depth as the reader left them).
std::vector<std::string> open_error_texts(int code, const PIC_INFO& pic);

}  // namespace kelo
