// The LED lamp: a 10 x 10 filled circle in the widget's foreground colour,
// a GtkWidget subclass of our own ("KeloLed").
#pragma once

#include <gtk/gtk.h>

#include <cstdint>

G_BEGIN_DECLS

#define KELO_TYPE_LED (kelo_led_get_type())
G_DECLARE_FINAL_TYPE(KeloLed, kelo_led, KELO, LED, GtkWidget)
#define GTK_IS_LED(obj) KELO_IS_LED(obj)

G_END_DECLS

namespace kelo {

inline constexpr int kLedSize = 10;  // pixels, both directions

// A lamp packed in a vbox in an hbox (so it keeps its size in any layout);
// returns the hbox, whose user data ("led") is the lamp.
GtkWidget* gtk_led_new();
// gtk_led_new() and a label in a new hbox; returns the lamp's hbox (its
// parent is the labelled box).
GtkWidget* gtk_led_new_with_label(const char* text);
// The lamp inside an assembly made by gtk_led_new (or the lamp itself).
KeloLed* gtk_led_of(GtkWidget* widget);
// Stores value at index (0 .. num_values - 1); outside: logs and stores nothing.
void gtk_led_set_value(KeloLed* led, int index, int32_t value);
// Sizes the value table (zeroed); no table after creation.
void gtk_led_set_num_values(KeloLed* led, int count);
int gtk_led_num_values(KeloLed* led);
int32_t gtk_led_get_value(KeloLed* led, int index);

}  // namespace kelo
