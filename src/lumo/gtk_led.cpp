// The LED lamp: a small filled circle in the widget's foreground colour,
// used for the sync and status lamps of the record windows.
#include "lumo/gtk_led.h"

#include <cmath>
#include <new>

struct _KeloLed {
  GtkWidget parent_instance;
  int32_t* values;     // per-index values, null until sized
  int32_t num_values;  // entries in values
};

G_DEFINE_TYPE(KeloLed, kelo_led, GTK_TYPE_WIDGET)

namespace {

constexpr const char* kKeyLed = "lumo_led";  // the lamp inside a lamp box

void led_destroy(GtkWidget* widget) {
  g_return_if_fail(widget != NULL);
  g_return_if_fail(GTK_IS_LED(widget));
  KeloLed* led = KELO_LED(widget);
  g_free(led->values);
  led->values = nullptr;
  led->num_values = 0;
  GTK_WIDGET_CLASS(kelo_led_parent_class)->destroy(widget);
}

void led_preferred_width(GtkWidget*, gint* minimum, gint* natural) { *minimum = *natural = kelo::kLedSize; }
void led_preferred_height(GtkWidget*, gint* minimum, gint* natural) { *minimum = *natural = kelo::kLedSize; }

gboolean led_draw(GtkWidget* widget, cairo_t* cr) {
  g_return_val_if_fail(widget != NULL, FALSE);
  g_return_val_if_fail(GTK_IS_LED(widget), FALSE);
  if (!gtk_widget_get_visible(widget) || !gtk_widget_get_mapped(widget)) return FALSE;
  int w = gtk_widget_get_allocated_width(widget);
  int h = gtk_widget_get_allocated_height(widget);
  GtkStyleContext* ctx = gtk_widget_get_style_context(widget);
  GdkRGBA colour;
  gtk_style_context_get_color(ctx, gtk_style_context_get_state(ctx), &colour);
  // A filled ellipse in the box (0, 0) .. (w - 1, h - 1).
  double rx = (w - 1) / 2.0;
  double ry = (h - 1) / 2.0;
  if (rx <= 0 || ry <= 0) return FALSE;
  cairo_save(cr);
  cairo_translate(cr, rx, ry);
  cairo_scale(cr, rx, ry);
  cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
  cairo_restore(cr);
  gdk_cairo_set_source_rgba(cr, &colour);
  cairo_fill(cr);
  return TRUE;
}

}  // namespace

static void kelo_led_class_init(KeloLedClass* klass) {
  GtkWidgetClass* wc = GTK_WIDGET_CLASS(klass);
  wc->destroy = led_destroy;
  wc->draw = led_draw;
  wc->get_preferred_width = led_preferred_width;
  wc->get_preferred_height = led_preferred_height;
}

static void kelo_led_init(KeloLed* led) {
  gtk_widget_set_has_window(GTK_WIDGET(led), FALSE);
  led->values = nullptr;
  led->num_values = 0;
}

namespace kelo {

GtkWidget* gtk_led_new() {
  GtkWidget* led = GTK_WIDGET(g_object_new(KELO_TYPE_LED, nullptr));
  GtkWidget* vbox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  GtkWidget* hbox = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  // Boxes without expand keep the lamp at its own size in any layout.
  gtk_box_pack_start(GTK_BOX(vbox), led, FALSE, FALSE, 0);
  gtk_box_pack_start(GTK_BOX(hbox), vbox, FALSE, FALSE, 0);
  gtk_widget_set_valign(vbox, GTK_ALIGN_CENTER);
  g_object_set_data(G_OBJECT(hbox), kKeyLed, led);
  gtk_widget_show_all(hbox);
  return hbox;
}

GtkWidget* gtk_led_new_with_label(const char* text) {
  GtkWidget* lampbox = gtk_led_new();
  GtkWidget* label = gtk_label_new(text != nullptr ? text : "");
  gtk_widget_set_halign(label, GTK_ALIGN_START);
  gtk_widget_set_valign(label, GTK_ALIGN_CENTER);
  GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
  gtk_box_pack_start(GTK_BOX(box), lampbox, FALSE, FALSE, 1);
  gtk_box_pack_start(GTK_BOX(box), label, TRUE, TRUE, 1);
  gtk_widget_show_all(box);
  return lampbox;
}

KeloLed* gtk_led_of(GtkWidget* widget) {
  if (widget == nullptr) return nullptr;
  if (GTK_IS_LED(widget)) return KELO_LED(widget);
  gpointer led = g_object_get_data(G_OBJECT(widget), kKeyLed);
  return (led != nullptr && GTK_IS_LED(led)) ? KELO_LED(led) : nullptr;
}

void gtk_led_set_value(KeloLed* led, int index, int32_t value) {
  g_return_if_fail(led != NULL);
  g_return_if_fail(GTK_IS_LED(led));
  g_return_if_fail(index < led->num_values && index >= 0);
  led->values[index] = value;
}

void gtk_led_set_num_values(KeloLed* led, int count) {
  g_return_if_fail(led != NULL);
  g_return_if_fail(GTK_IS_LED(led));
  g_return_if_fail(count >= 0);
  g_free(led->values);
  led->values = count > 0 ? g_new0(int32_t, count) : nullptr;
  led->num_values = count;
}

int gtk_led_num_values(KeloLed* led) {
  g_return_val_if_fail(led != NULL && GTK_IS_LED(led), 0);
  return led->num_values;
}

int32_t gtk_led_get_value(KeloLed* led, int index) {
  g_return_val_if_fail(led != NULL && GTK_IS_LED(led), 0);
  g_return_val_if_fail(index < led->num_values && index >= 0, 0);
  return led->values[index];
}

}  // namespace kelo
