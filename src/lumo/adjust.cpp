// Numeric controls around a GtkAdjustment: spins, scales and scroll bars,
// their value formats and the setters that address them by identifier.
#include "lumo/adjust.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"

namespace kelo {

namespace {

constexpr double kIntPage = 10;         // page increment of integer controls
constexpr double kSpinPageSteps = 100;  // a spin's page is a hundred steps
constexpr int kSpinExtraChars = 2;      // a spin is two "M" wider than its format
constexpr int kScaleLabelPad = 10;
constexpr const char* kKeyDragging = "lumo_dragging";
constexpr const char* kKeyPending = "lumo_pending";

// The callback of a numeric control.
struct AdjHook {
  AdjCallback adj_cb = nullptr;                          // gets the adjustment
  void (*widget_cb)(GtkWidget*, const char*) = nullptr;  // gets the control
  GtkWidget* control = nullptr;
  char* id = nullptr;
};

void free_adj_hook(gpointer data, GClosure*) {
  auto* h = static_cast<AdjHook*>(data);
  g_free(h->id);
  delete h;
}

void run_adj_hook(GtkAdjustment* adj, AdjHook* h) {
  if (h->adj_cb != nullptr) h->adj_cb(adj, h->id);
  if (h->widget_cb != nullptr) h->widget_cb(h->control, h->id);
}

void on_value_changed(GtkAdjustment* adj, gpointer data) {
  auto* h = static_cast<AdjHook*>(data);
  // A scale reports its value only when the operator lets go of it.
  if (h->control != nullptr && g_object_get_data(G_OBJECT(h->control), kKeyDragging) != nullptr) {
    g_object_set_data(G_OBJECT(h->control), kKeyPending, GINT_TO_POINTER(1));
    return;
  }
  run_adj_hook(adj, h);
}

gboolean on_scale_press(GtkWidget* w, GdkEvent*, gpointer) {
  g_object_set_data(G_OBJECT(w), kKeyDragging, GINT_TO_POINTER(1));
  return FALSE;
}

gboolean on_scale_release(GtkWidget* w, GdkEvent*, gpointer data) {
  g_object_set_data(G_OBJECT(w), kKeyDragging, nullptr);
  if (g_object_get_data(G_OBJECT(w), kKeyPending) != nullptr) {
    g_object_set_data(G_OBJECT(w), kKeyPending, nullptr);
    auto* h = static_cast<AdjHook*>(data);
    run_adj_hook(gtk_range_get_adjustment(GTK_RANGE(w)), h);
  }
  return FALSE;
}

void link_adjustment(GtkWidget* control, GtkAdjustment* adj) {
  g_object_set_data(G_OBJECT(control), kKeyAdj, adj);
  g_object_set_data(G_OBJECT(adj), kKeyAdj, control);
}

AdjHook* connect_adj(GtkAdjustment* adj, GtkWidget* control, const char* id, AdjCallback acb,
                     void (*wcb)(GtkWidget*, const char*)) {
  if (acb == nullptr && wcb == nullptr) return nullptr;
  auto* h = new AdjHook;
  h->adj_cb = acb;
  h->widget_cb = wcb;
  h->control = control;
  h->id = g_strdup(id);
  g_signal_connect_data(adj, "value-changed", G_CALLBACK(on_value_changed), h, free_adj_hook,
                        GConnectFlags(0));
  return h;
}

// The adjustment behind a control, or the adjustment itself.
GtkAdjustment* adjustment_of(gpointer object) {
  if (object == nullptr || !G_IS_OBJECT(object)) return nullptr;
  if (GTK_IS_ADJUSTMENT(object)) return GTK_ADJUSTMENT(object);
  gpointer adj = g_object_get_data(G_OBJECT(object), kKeyAdj);
  return (adj != nullptr && GTK_IS_ADJUSTMENT(adj)) ? GTK_ADJUSTMENT(adj) : nullptr;
}

bool has_float(const char* format) { return format != nullptr && std::strstr(format, "%f") != nullptr; }

int m_width(GtkWidget* w) {
  PangoLayout* layout = gtk_widget_create_pango_layout(w, "M");
  int width = 0;
  pango_layout_get_pixel_size(layout, &width, nullptr);
  g_object_unref(layout);
  return width;
}

GtkWidget* make_spin(const char* label, AdjCallback acb, void (*wcb)(GtkWidget*, const char*),
                     const char* format, const std::vector<double>& numbers) {
  AdjustRange s = adjust_registers(format, numbers, true);
  GtkAdjustment* adj = gtk_adjustment_new(s.value, s.lower, s.upper, s.step, s.page, 0);
  GtkWidget* spin = gtk_spin_button_new(adj, 1, static_cast<guint>(std::max(0, s.precision)));
  gtk_spin_button_set_numeric(GTK_SPIN_BUTTON(spin), TRUE);
  gtk_spin_button_set_wrap(GTK_SPIN_BUTTON(spin), FALSE);
  gtk_entry_set_width_chars(GTK_ENTRY(spin), 0);
  gtk_widget_set_size_request(spin, (s.width + kSpinExtraChars) * m_width(spin), -1);
  // The label above or beside keeps the spin at its own width.
  gtk_widget_set_halign(spin, GTK_ALIGN_START);
  Add_WidgetID(nullptr, label);
  const char* id = label != nullptr ? Add_WidgetID(spin, nullptr) : nullptr;
  link_adjustment(spin, adj);
  connect_adj(adj, spin, id, acb, wcb);
  gtk_widget_show(spin);
  return label_prefix_box(label, spin);
}

GtkWidget* make_scale(const char* label, int orientation, AdjCallback acb,
                      void (*wcb)(GtkWidget*, const char*), const char* format,
                      const std::vector<double>& numbers) {
  if (orientation != 'h' && orientation != 'v') return nullptr;
  GtkOrientation o = orientation == 'h' ? GTK_ORIENTATION_HORIZONTAL : GTK_ORIENTATION_VERTICAL;
  AdjustRange s = adjust_registers(format, numbers, false);
  GtkAdjustment* adj = gtk_adjustment_new(s.value, s.lower, s.upper, s.step, s.step, 0);
  GtkWidget* scale = gtk_scale_new(o, adj);
  gtk_scale_set_draw_value(GTK_SCALE(scale), TRUE);
  gtk_scale_set_digits(GTK_SCALE(scale), s.has_float ? s.precision : 0);
  if (label != nullptr) g_object_set_data_full(G_OBJECT(scale), kKeyId, g_strdup(label), g_free);
  link_adjustment(scale, adj);
  AdjHook* h = connect_adj(adj, scale, label, acb, wcb);
  if (h != nullptr) {
    g_signal_connect(scale, "button-press-event", G_CALLBACK(on_scale_press), nullptr);
    g_signal_connect(scale, "button-release-event", G_CALLBACK(on_scale_release), h);
  }
  GtkWidget* box = gtk_box_new(o, 0);
  GtkWidget* text = gtk_label_new(label != nullptr ? label : "");
  gtk_box_pack_start(GTK_BOX(box), text, FALSE, FALSE, kScaleLabelPad);
  gtk_box_pack_start(GTK_BOX(box), scale, TRUE, TRUE, 0);
  if (label != nullptr) g_object_set_data_full(G_OBJECT(box), kKeyTopId, g_strdup(label), g_free);
  gtk_widget_show_all(box);
  return box;
}

}  // namespace

namespace {
// A width or precision from a format, limited so that a typing error cannot
// ask for an absurd field (GTK shows at most 20 decimals).
constexpr int kMaxFieldWidth = 99;
constexpr int kMaxPrecision = 20;
int read_small(const char* p, int max) {
  long v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    v = v * 10 + (*p - '0');
    if (v > max) return max;
  }
  return static_cast<int>(v);
}
}  // namespace

const char* get_frmt(const char* text, int* width, int* precision) {
  if (text == nullptr) return nullptr;
  const char* p = std::strchr(text, '%');
  if (p == nullptr) return text + std::strlen(text);
  ++p;
  if (*p >= '0' && *p <= '9') *width = read_small(p, kMaxFieldWidth);
  for (; *p != '\0' && *p != 'd' && *p != 'f' && *p != '?'; ++p) {
    if (*p == '.') *precision = read_small(p + 1, kMaxPrecision);
  }
  if (*p == 'd') *precision = 0;
  return p;
}

AdjustRange adjust_registers(const char* format, const std::vector<double>& numbers, bool spin) {
  AdjustRange s;
  double r1 = 0, r2 = 0, r3 = 0;
  size_t next = 0;
  auto take = [&]() { return next < numbers.size() ? numbers[next++] : 0.0; };
  const char* p = format;
  while (p != nullptr && *p != '\0') {
    p = get_frmt(p, &s.width, &s.precision);
    if (*p == '\0') break;
    if (*p == 'd') {
      // With a fourth integer the first one shifts out into the step.
      double step = r1;
      r1 = r2;
      r2 = r3;
      r3 = std::trunc(take());
      s.step = step < 1 ? 1 : step;
      s.page = kIntPage;
    } else if (*p == 'f') {
      s.has_float = true;
      r1 = r2;
      r2 = r3;
      r3 = take();
      s.step = s.precision == 0 ? 0.1 : std::pow(10.0, -s.precision);
      s.page = spin ? kSpinPageSteps * s.step : 1;
    }
    ++p;
  }
  s.value = r1;
  s.lower = r2;
  s.upper = r3;
  if (!spin) s.page = s.step;
  return s;
}

GtkWidget* Create_SpinList(const char* label, AdjCallback callback, const char* format,
                           const std::vector<double>& numbers) {
  return make_spin(label, callback, nullptr, format, numbers);
}

GtkWidget* Create_SpinListW(const char* label, void (*callback)(GtkWidget*, const char*), const char* format,
                            const std::vector<double>& numbers) {
  return make_spin(label, nullptr, callback, format, numbers);
}

GtkWidget* Create_ScaleList(const char* label, int orientation, AdjCallback callback, const char* format,
                            const std::vector<double>& numbers) {
  return make_scale(label, orientation, callback, nullptr, format, numbers);
}

GtkWidget* Create_ScaleListW(const char* label, int orientation, void (*callback)(GtkWidget*, const char*),
                             const char* format, const std::vector<double>& numbers) {
  return make_scale(label, orientation, nullptr, callback, format, numbers);
}

GtkWidget* Create_Scrollbar(const char* id, int orientation, float low, float high, float page,
                            AdjCallback callback) {
  constexpr float kStepsPerPage = 10;
  GtkAdjustment* adj = gtk_adjustment_new(low, low, high, page / kStepsPerPage, page, page);
  GtkWidget* bar =
      gtk_scrollbar_new(orientation == 'v' ? GTK_ORIENTATION_VERTICAL : GTK_ORIENTATION_HORIZONTAL, adj);
  if (id != nullptr) g_object_set_data_full(G_OBJECT(bar), kKeyId, g_strdup(id), g_free);
  link_adjustment(bar, adj);
  connect_adj(adj, nullptr, id, callback, nullptr);
  gtk_widget_show(bar);
  return bar;
}

GtkWidget* Add_Scrollbars(GtkWidget* widget, const char* hname, const char* vname, AdjCallback callback) {
  if (widget == nullptr) return nullptr;
  GtkWidget* hbar = hname != nullptr ? Create_Scrollbar(hname, 'h', 0, 10, 10, callback) : nullptr;
  GtkWidget* vbar = vname != nullptr ? Create_Scrollbar(vname, 'v', 0, 10, 10, callback) : nullptr;
  GtkWidget* result;
  if (hbar != nullptr && vbar != nullptr) {
    // The vertical bar right of the canvas, the horizontal one below it, a
    // blank label in the corner.
    result = SPack(nullptr, "v", SPack(nullptr, "h", widget, "ef1", vbar, "1", nullptr), "ef1",
                   SPack(nullptr, "h", hbar, "ef1", Create_Label("    "), "1", nullptr), "1", nullptr);
  } else if (vbar != nullptr) {
    result = SPack(nullptr, "h", widget, "ef1", vbar, "1", nullptr);
  } else if (hbar != nullptr) {
    result = SPack(nullptr, "h", widget, "ef1", hbar, "1", nullptr);
  } else {
    result = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(result), widget);
    gtk_widget_show(result);
  }
  if (hbar != nullptr) g_object_set_data(G_OBJECT(widget), "hbar", hbar);
  if (vbar != nullptr) g_object_set_data(G_OBJECT(widget), "vbar", vbar);
  g_object_set_data(G_OBJECT(result), kKeyChildIs, widget);
  return result;
}

double Get_Adjustc(gpointer widget) {
  GtkAdjustment* adj = adjustment_of(widget);
  return adj != nullptr ? gtk_adjustment_get_value(adj) : 0;
}

double Get_Adjust(GtkWidget* window, const char* id) { return Get_Adjustc(Find_Widget(window, id)); }

int Set_Adjustc(gpointer widget, const char* format, double value) {
  GtkAdjustment* adj = adjustment_of(widget);
  if (adj == nullptr) return 0;
  gtk_adjustment_set_value(adj, has_float(format) ? value : std::trunc(value));
  return 1;
}

int Set_Adjust(GtkWidget* window, const char* id, const char* format, double value) {
  return Set_Adjustc(Find_Widget(window, id), format, value);
}

int Set_AdjustbndcList(gpointer widget, const char* format, const std::vector<double>& numbers) {
  GtkAdjustment* adj = adjustment_of(widget);
  if (adj == nullptr) return 0;
  bool as_double = has_float(format);
  g_object_freeze_notify(G_OBJECT(adj));
  for (size_t i = 0; i < numbers.size() && i < 5; ++i) {
    double n = as_double ? numbers[i] : std::trunc(numbers[i]);
    switch (i) {
      case 0:
        gtk_adjustment_set_lower(adj, n);
        break;
      case 1:
        gtk_adjustment_set_upper(adj, n);
        break;
      case 2:
        gtk_adjustment_set_step_increment(adj, n);
        break;
      case 3:
        gtk_adjustment_set_page_size(adj, n);
        break;
      default:
        gtk_adjustment_set_page_increment(adj, n);
        break;
    }
  }
  g_object_thaw_notify(G_OBJECT(adj));
  return 1;
}

int Set_AdjustbndList(GtkWidget* window, const char* id, const char* format,
                      const std::vector<double>& numbers) {
  return Set_AdjustbndcList(Find_Widget(window, id), format, numbers);
}

int Set_Scroll(GtkWidget* window, const char* hname, int width, int* x, float* zoom_x, const char* vname,
               int height, int* y, float* zoom_y) {
  if (!(*zoom_x > 1)) *zoom_x = 1;
  if (!(*zoom_y > 1)) *zoom_y = 1;
  // Visible span in picture pixels; never below 1, even at a huge zoom.
  int sx = static_cast<int>(static_cast<float>(width) / *zoom_x - 1);
  int sy = static_cast<int>(static_cast<float>(height) / *zoom_y - 1);
  if (sx < 1) sx = 1;
  if (sy < 1) sy = 1;
  *x = std::max(0, std::min(*x, width - sx));
  *y = std::max(0, std::min(*y, height - sy));
  // New bounds can run the scroll callback, which writes x and y.
  int sx_saved = *x, sy_saved = *y;
  Set_Adjustbnd(window, hname, "%d%d%d%d%d", 0, width, sx / 10, sx, sx);
  *x = sx_saved;
  *y = sy_saved;
  Set_Adjustbnd(window, vname, "%d%d%d%d%d", 0, height, sy / 10, sy, sy);
  *x = sx_saved;
  *y = sy_saved;
  Set_Adjust(window, hname, "%d", *x);
  return Set_Adjust(window, vname, "%d", *y);
}

}  // namespace kelo
