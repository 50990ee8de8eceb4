// The "Luminance" window: the histogram of the picture on screen with the
// luminance window (Lmin, Lmax) as green lines; clicks, typed levels, "Ampl"
// and "Lum thr." set the window. It follows every completed pass.
#pragma once

#include <gtk/gtk.h>

namespace kelo {

inline constexpr const char* kLumTitle = "Luminance";

// "View/Lum...": opens the window (or raises it).
void Menu_Lummap(GtkWidget* widget, const char* id);
// "Lum threshold" of the menu bar: the automatic window from the last
// pass's histogram, then a redraw.
void Menu_Lumthr(GtkWidget* widget, const char* id);
// Every control of the window: "Lmin", "Lmax", "Ampl", "Redraw",
// "Lum thr.", "Restore", " Close ", and Return ("Return").
void lum_commands(GtkWidget* widget, const char* id);
// Plot and fields from the view when the window is open.
void Update_Lum(GtkWidget* widget);

}  // namespace kelo
