// "Help/Test parport": the "Test" window, a small logic analyser of the
// decoder connection. It samples the port's status word 10 000 times in a
// row and plots the data bits and the handshake lines, once ("1x Read") or
// every second ("Cont. Read"), on the real port as on the emulator.
#pragma once

#include <gtk/gtk.h>

namespace kelo {

inline constexpr const char* kPortTestTitle = "Test";

// Opens the window; not while a recording runs (it would steal the
// decoder's words), nor without port access (one "Error" message).
void Menu_Test(GtkWidget* widget, const char* id);
// Every control of the window: "Exit", "1x Read", "Cont. Read",
// "Zoom time", "Offset time", "Pre time".
void test_commands(GtkWidget* widget, const char* id);
// One acquisition and plot; returns TRUE so that it can serve as the
// repeating timer's callback.
int draw_pportpins(GtkWidget* widget);
gboolean configure_event_test(GtkWidget* area, GdkEventConfigure* event, gpointer data);
// The continuous-read timer of the open "Test" window (0 when none runs).
guint port_test_timer(GtkWidget* widget);

}  // namespace kelo
