// The "Preferences" window ("Edit/Preferences..."): every preference of the
// session on six pages; " Use  " applies them to the running program,
// " Save " writes ".kelorc", " Exit " closes the window.
#pragma once

#include <gtk/gtk.h>

#include <string>

namespace kelo {

inline constexpr const char* kPrefsTitle = "Preferences";
// Where the system lists its parallel ports (one directory a port, each
// with its "base-addr").
inline constexpr const char* kParportListDir = "/proc/sys/dev/parport";

// "Edit/Preferences...": opens the window (or raises it).
void MenuPrefs(GtkWidget* widget, const char* id);
// Every control of the window but the USB ones. Typed fields are taken on
// Enter or when the field is left; a value the preference rules refuse is
// answered with a message and the field shows the stored value again.
void pref_commands(GtkWidget* widget, const char* id);
// The USB controls: "First found", "Use this: " and the field "USB ID".
void usb_commands(GtkWidget* widget, const char* id);
// Where the open window looks for the system's parallel ports
// (kParportListDir unless changed, e.g. by a test).
void prefs_set_parport_list(GtkWidget* prefs_window, const std::string& dir);

}  // namespace kelo
