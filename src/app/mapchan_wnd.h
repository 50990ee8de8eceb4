// The "Map channels" window: channels mixed into red, green and blue with
// weights and offsets, each channel shifted and tilted to align the
// detectors; the family's natural colour and alignment one click away.
#pragma once

#include <gtk/gtk.h>

namespace kelo {

inline constexpr const char* kMapTitle = "Map channels";

// "View/Channel_map...": opens the window (or raises it); the picture is
// now drawn from the mix and the "Channel" menu rests until " Exit ".
void Menu_Mapchan(GtkWidget* widget, const char* id);
// Every control: "ro", "go", "bo", "r<n>", "g<n>", "b<n>", "h<n>", "v<n>",
// "tilt<n>", "Ch<n>", " Redraw ", " Auto color ", " Auto align ",
// " Reset align ", " Align settings ", " Exit ".
void mapchan_cmds(GtkWidget* widget, const char* id);

}  // namespace kelo
