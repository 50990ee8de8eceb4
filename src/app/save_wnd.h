// The "Save" window ("File/Save as..."): writes the open picture as the main
// window shows it, as a recording with a subset of channels or as a PPM,
// PGM, 8-bit PGM or GIF picture, through the export pipeline that
// kelo-export uses too (the same choices give the same bytes).
#pragma once

#include <gtk/gtk.h>

#include "core/base/records.h"

namespace kelo {

inline constexpr const char* kSaveTitle = "Save";
inline constexpr const char* kSavingTitle = "Saving...";

// "File/Save as...": opens the window (or raises it).
void MenuSave(GtkWidget* widget, const char* id);
// Every control of the window: the channel buttons " 1 " ... " 10 ",
// "All", the kinds "(C)HRPT", "PPM", "PGM", "PGM1", "Gif", "New name",
// "Save" and "Exit".
void save_commands(GtkWidget* widget, const char* id);
// Enables and sets the channel buttons from the picture's channels and the
// view's channel selection, and sets the "Multi-channel" LED. Nothing when
// `save_window` is null.
void Update_channel_save(GtkWidget* save_window, const PIC_INFO* pic, const VIEW_INFO* view);

}  // namespace kelo
