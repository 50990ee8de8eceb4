// The LED lamp widget.
#include "lumo/gtk_led.h"

struct _KeloLed {
  GtkWidget parent_instance;
  int32_t* values;
  int32_t num_values;
};

G_DEFINE_TYPE(KeloLed, kelo_led, GTK_TYPE_WIDGET)

static void kelo_led_class_init(KeloLedClass*) {}
static void kelo_led_init(KeloLed*) {}

namespace kelo {

GtkWidget* gtk_led_new() { return nullptr; }
GtkWidget* gtk_led_new_with_label(const char*) { return nullptr; }
KeloLed* gtk_led_of(GtkWidget*) { return nullptr; }
void gtk_led_set_value(KeloLed*, int, int32_t) {}
void gtk_led_set_num_values(KeloLed*, int) {}
int gtk_led_num_values(KeloLed*) { return 0; }
int32_t gtk_led_get_value(KeloLed*, int) { return 0; }

}  // namespace kelo
