// Buttons, check buttons, toggles, radio buttons, entries, LEDs and button
// arrays, and the setters and getters that address them by identifier.
#include "lumo/buttons.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "lumo/adjust.h"
#include "lumo/gtk_led.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"

namespace kelo {

namespace {

constexpr int kPrefixAbovePad = 1;   // label above the widget ("^")
constexpr int kPrefixLeftPad = 10;   // label left of the widget
constexpr int kCellPad = 1;          // around every cell of a button array
constexpr int kArrayFramePad = 10;   // between a titled array and its frame
constexpr int kDefaultPerRow = 100;  // per-row count 0

constexpr const char* kKeyCallback = "lumo_cb";  // Hook* of a command widget

char* g_pending_id = nullptr;       // the copy Add_WidgetID hands out next
GtkWidget* g_last_radio = nullptr;  // group of the next radio button (weak)
int g_quiet = 0;                    // > 0 while the layer itself sets a toggle

// The command callback of a widget with the identifier it is called with.
struct Hook {
  LumoCallback cb;
  const char* id;
};

void free_hook(gpointer data, GClosure*) { delete static_cast<Hook*>(data); }

void on_command(GtkWidget* w, gpointer data) {
  if (g_quiet > 0) return;
  auto* h = static_cast<Hook*>(data);
  if (h->cb != nullptr) h->cb(w, h->id);
}

void connect_command(GtkWidget* w, const char* signal, LumoCallback cb, const char* id) {
  if (cb == nullptr) return;
  auto* h = new Hook{cb, id};
  g_object_set_data(G_OBJECT(w), kKeyCallback, h);
  g_signal_connect_data(w, signal, G_CALLBACK(on_command), h, free_hook, GConnectFlags(0));
}

// Runs a widget's command callback as a user action would.
void run_command(GtkWidget* w) {
  auto* h = static_cast<Hook*>(g_object_get_data(G_OBJECT(w), kKeyCallback));
  if (h != nullptr && h->cb != nullptr) h->cb(w, h->id);
}

void set_toggle_quietly(GtkWidget* w, int state) {
  ++g_quiet;
  gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), state ? TRUE : FALSE);
  --g_quiet;
}

void set_top_id(GtkWidget* w, const char* id) {
  if (id != nullptr) g_object_set_data_full(G_OBJECT(w), kKeyTopId, g_strdup(id), g_free);
}

std::string vformat(size_t max_chars, const char* format, va_list ap) {
  if (format == nullptr) return {};
  std::vector<char> buf(max_chars + 1);
  std::vsnprintf(buf.data(), buf.size(), format, ap);
  return buf.data();
}

int m_width(GtkWidget* w) {
  PangoLayout* layout = gtk_widget_create_pango_layout(w, "M");
  int width = 0;
  pango_layout_get_pixel_size(layout, &width, nullptr);
  g_object_unref(layout);
  return width;
}

// What the theme adds around the text of an entry (padding and border), so
// the text itself gets the width the format asks for.
int frame_width(GtkWidget* w) {
  GtkStyleContext* ctx = gtk_widget_get_style_context(w);
  GtkBorder pad{}, border{};
  gtk_style_context_get_padding(ctx, gtk_style_context_get_state(ctx), &pad);
  gtk_style_context_get_border(ctx, gtk_style_context_get_state(ctx), &border);
  return pad.left + pad.right + border.left + border.right;
}

}  // namespace

// ---------------------------------------------------------------- labels
bool is_two_state_label(const char* label) {
  if (label == nullptr) return false;
  const char* slash = std::strchr(label, '/');
  return slash != nullptr && std::strchr(slash + 1, '/') == nullptr;
}

std::string toggle_text(const char* label, bool on) {
  if (label == nullptr) return {};
  if (!is_two_state_label(label)) return label;
  const char* slash = std::strchr(label, '/');
  return on ? std::string(slash + 1) : std::string(label, static_cast<size_t>(slash - label));
}

const char* Add_WidgetID(GtkWidget* widget, const char* id) {
  if (id != nullptr) {
    // The pending copy of an earlier call that was never hung on a widget.
    g_free(g_pending_id);
    g_pending_id = g_strdup(id);
    return g_pending_id;
  }
  if (widget == nullptr) return g_pending_id;
  char* copy = g_pending_id;
  g_pending_id = nullptr;
  if (copy == nullptr) return nullptr;
  g_object_set_data_full(G_OBJECT(widget), kKeyId, copy, g_free);
  return copy;
}

// Hangs a copy of id on w and returns it (owned by w).
static const char* give_id(GtkWidget* w, const char* id) {
  if (id == nullptr) return nullptr;
  Add_WidgetID(nullptr, id);
  return Add_WidgetID(w, nullptr);
}

GtkWidget* label_prefix_box(const char* label, GtkWidget* widget) {
  if (label == nullptr || label[0] == '!') return widget;
  GtkWidget* box;
  GtkWidget* text;
  if (label[0] == '^') {
    box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    text = gtk_label_new(label + 1);
    gtk_widget_set_halign(text, GTK_ALIGN_START);
    gtk_widget_set_valign(text, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(box), text, FALSE, FALSE, kPrefixAbovePad);
  } else {
    box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0);
    text = gtk_label_new(label);
    gtk_widget_set_halign(text, GTK_ALIGN_END);
    gtk_widget_set_valign(text, GTK_ALIGN_CENTER);
    gtk_box_pack_start(GTK_BOX(box), text, FALSE, FALSE, kPrefixLeftPad);
  }
  gtk_box_pack_start(GTK_BOX(box), widget, FALSE, FALSE, 0);
  gtk_widget_show(text);
  gtk_widget_show(box);
  set_top_id(box, label);
  return box;
}

GtkWidget* Create_Label(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(kLabelMax, format, ap);
  va_end(ap);
  GtkWidget* label = gtk_label_new(text.c_str());
  give_id(label, text.c_str());
  gtk_widget_show(label);
  return label;
}

// ---------------------------------------------------------------- buttons
GtkWidget* Create_Button(const char* label, LumoCallback callback) {
  bool bare = label == nullptr || label[0] == '!';
  GtkWidget* b = bare ? gtk_button_new() : gtk_button_new_with_label(label);
  const char* id = give_id(b, label);
  connect_command(b, "clicked", callback, id);
  gtk_widget_show(b);
  return b;
}

// Toggles and check buttons run their callback on "clicked" (mouse and
// keyboard alike); the layer's own state changes are kept quiet so that only
// Set_Button, not Set_Local_Button, runs the callback.
GtkWidget* Create_Check(const char* label, LumoCallback callback, int initial) {
  bool bare = label == nullptr || label[0] == '!' || label[0] == '^';
  GtkWidget* b = bare ? gtk_check_button_new() : gtk_check_button_new_with_label(label);
  const char* id = give_id(b, label);
  if (initial) set_toggle_quietly(b, 1);
  connect_command(b, "clicked", callback, id);
  gtk_widget_show(b);
  if (label != nullptr && label[0] == '^') return label_prefix_box(label, b);
  return b;
}

int Update_Togglelabel(GtkWidget* toggle) {
  if (toggle == nullptr || !GTK_IS_TOGGLE_BUTTON(toggle)) return 0;
  auto* lab = static_cast<const char*>(g_object_get_data(G_OBJECT(toggle), kKeyTogglab));
  if (lab == nullptr) return 0;
  bool on = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(toggle));
  gtk_button_set_label(GTK_BUTTON(toggle), toggle_text(lab, on).c_str());
  return on ? 1 : 0;
}

GtkWidget* Create_Toggle(const char* label, LumoCallback callback, int initial) {
  GtkWidget* b = gtk_toggle_button_new_with_label(toggle_text(label, false).c_str());
  const char* id = give_id(b, label);
  if (id != nullptr && is_two_state_label(id))
    g_object_set_data(G_OBJECT(b), kKeyTogglab, const_cast<char*>(id));
  if (initial) {
    set_toggle_quietly(b, 1);
    Update_Togglelabel(b);  // a toggle that starts down shows its on text
  }
  connect_command(b, "clicked", callback, id);
  gtk_widget_show(b);
  return b;
}

GtkWidget* Create_Radio(const char* label, int new_group, LumoCallback callback) {
  bool bare = label == nullptr || label[0] == '!';
  GtkRadioButton* group = (new_group || g_last_radio == nullptr) ? nullptr : GTK_RADIO_BUTTON(g_last_radio);
  GtkWidget* b = bare ? gtk_radio_button_new_from_widget(group)
                      : gtk_radio_button_new_with_label_from_widget(group, label);
  const char* id = give_id(b, label);
  // The group continues with this button; forget it when it is destroyed.
  if (g_last_radio != nullptr)
    g_object_remove_weak_pointer(G_OBJECT(g_last_radio), reinterpret_cast<gpointer*>(&g_last_radio));
  g_last_radio = b;
  g_object_add_weak_pointer(G_OBJECT(b), reinterpret_cast<gpointer*>(&g_last_radio));
  connect_command(b, "clicked", callback, id);
  gtk_widget_show(b);
  return b;
}

// ---------------------------------------------------------------- entries
GtkWidget* Create_Entryv(const char* label, LumoCallback callback, const std::string& formatted) {
  std::string text = formatted.substr(0, kEntryMax);
  size_t blanks = 0;
  while (!text.empty() && text.back() == ' ') {
    text.pop_back();
    ++blanks;
  }
  GtkWidget* entry = gtk_entry_new();
  gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
  // Width: the text, one "M" per trailing blank of the format, one "M" more
  // ("%-30s" reserves about thirty characters).
  PangoLayout* layout = gtk_widget_create_pango_layout(entry, text.c_str());
  int tw = 0;
  pango_layout_get_pixel_size(layout, &tw, nullptr);
  g_object_unref(layout);
  int width = tw + m_width(entry) * static_cast<int>(blanks + 1) + frame_width(entry);
  gtk_entry_set_width_chars(GTK_ENTRY(entry), 0);
  gtk_widget_set_size_request(entry, width, -1);
  const char* id = give_id(entry, label);
  if (callback != nullptr) {
    connect_command(entry, "changed", callback, id);
  } else {
    gtk_editable_set_editable(GTK_EDITABLE(entry), FALSE);
  }
  gtk_widget_show(entry);
  return label_prefix_box(label, entry);
}

GtkWidget* Create_Entry(const char* label, LumoCallback callback, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(kEntryMax, format, ap);
  va_end(ap);
  return Create_Entryv(label, callback, text);
}

// ---------------------------------------------------------------- LEDs
GtkWidget* Create_Led(const char* label, int colour) {
  GtkWidget* lampbox;
  GtkWidget* outer;
  if (label == nullptr || label[0] == '!') {
    lampbox = outer = gtk_led_new();
  } else if (label[0] == '^') {
    lampbox = gtk_led_new();
    outer = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    GtkWidget* text = gtk_label_new(label + 1);
    gtk_widget_set_halign(text, GTK_ALIGN_START);
    gtk_box_pack_start(GTK_BOX(outer), text, FALSE, FALSE, kPrefixAbovePad);
    gtk_box_pack_start(GTK_BOX(outer), lampbox, FALSE, FALSE, 0);
    set_top_id(outer, label);
  } else {
    lampbox = gtk_led_new_with_label(label);
    outer = gtk_widget_get_parent(lampbox);
    set_top_id(outer, label);
  }
  KeloLed* led = gtk_led_of(lampbox);
  give_id(GTK_WIDGET(led), label);
  gtk_widget_show_all(outer);
  Set_Led(GTK_WIDGET(led), nullptr, colour);
  return outer;
}

void Set_Led(GtkWidget* widget, const char* id, int colour) {
  GtkWidget* lamp = id != nullptr ? Find_Widget(widget, id) : widget;
  if (lamp == nullptr) return;
  KeloLed* led = gtk_led_of(lamp);
  if (led == nullptr) return;
  LumoColor c = rgb12_color(colour);
  Set_Color(GTK_WIDGET(led), kColorFg, &c, &c, &c, &c, &c);
  gtk_widget_queue_draw(GTK_WIDGET(led));
}

// ---------------------------------------------------------------- arrays
namespace {

long long arg_int(const std::vector<BaArg>& args, size_t* pos) {
  if (*pos >= args.size()) return 0;
  const BaArg& a = args[(*pos)++];
  if (const auto* i = std::get_if<long long>(&a)) return *i;
  if (const auto* d = std::get_if<double>(&a)) return static_cast<long long>(*d);
  return 0;
}

double arg_double(const std::vector<BaArg>& args, size_t* pos) {
  if (*pos >= args.size()) return 0;
  const BaArg& a = args[(*pos)++];
  if (const auto* d = std::get_if<double>(&a)) return *d;
  if (const auto* i = std::get_if<long long>(&a)) return static_cast<double>(*i);
  return 0;
}

const char* arg_string(const std::vector<BaArg>& args, size_t* pos) {
  if (*pos >= args.size()) return nullptr;
  const BaArg& a = args[(*pos)++];
  if (const auto* s = std::get_if<const char*>(&a)) return *s;
  return nullptr;
}

// Numbers of a scale or spin format: every 'd' an int, every 'f' a double.
std::vector<double> take_numbers(const char* format, const std::vector<BaArg>& args, size_t* pos) {
  std::vector<double> out;
  if (format == nullptr) return out;
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p == 'd') out.push_back(static_cast<double>(arg_int(args, pos)));
    if (*p == 'f') out.push_back(arg_double(args, pos));
  }
  return out;
}

GtkWidget* make_radio(const char* label, bool new_group, LumoCallback cb) {
  return Create_Radio(label, new_group ? 1 : 0, cb);
}

}  // namespace

std::string format_ba_args(const char* format, const std::vector<BaArg>& args, size_t* pos, size_t max) {
  std::string out;
  if (format == nullptr) return out;
  const char* p = format;
  while (*p != '\0') {
    if (*p != '%') {
      out += *p++;
      continue;
    }
    if (p[1] == '%') {
      out += '%';
      p += 2;
      continue;
    }
    // One conversion: flags, width, precision, length, letter.
    std::string conv_fmt = "%";
    const char* q = p + 1;
    while (*q != '\0' && std::strchr("-+ #0", *q) != nullptr) conv_fmt += *q++;
    while (std::isdigit(static_cast<unsigned char>(*q)) || *q == '.') conv_fmt += *q++;
    while (*q != '\0' && std::strchr("hlLqjzt", *q) != nullptr) ++q;  // lengths: we choose our own
    char conv = *q;
    if (conv == '\0') break;
    p = q + 1;
    char buf[kArrayFieldMax + 1];
    if (std::strchr("diouxXc", conv) != nullptr) {
      long long v = arg_int(args, pos);
      if (conv == 'c') {
        conv_fmt += 'c';
        std::snprintf(buf, sizeof buf, conv_fmt.c_str(), static_cast<int>(v));
      } else {
        conv_fmt += "ll";
        conv_fmt += conv;
        std::snprintf(buf, sizeof buf, conv_fmt.c_str(), v);
      }
    } else if (std::strchr("feEgGaA", conv) != nullptr) {
      conv_fmt += conv;
      std::snprintf(buf, sizeof buf, conv_fmt.c_str(), arg_double(args, pos));
    } else if (conv == 's') {
      conv_fmt += 's';
      const char* s = arg_string(args, pos);
      std::snprintf(buf, sizeof buf, conv_fmt.c_str(), s != nullptr ? s : "");
    } else {
      buf[0] = '\0';  // unknown conversion: shown as nothing, takes no value
    }
    out += buf;
  }
  if (out.size() > max) out.resize(max);
  return out;
}

GtkWidget* ButtonArrayList(const char* title, LumoCallback callback, int per_row,
                           const std::vector<BaArg>& args) {
  if (per_row <= 0) per_row = kDefaultPerRow;
  GtkWidget* grid = gtk_grid_new();
  size_t pos = 0;
  int cell = 0;
  int prev_type = 0;
  while (pos < args.size()) {
    if (!std::holds_alternative<long long>(args[pos])) break;  // a malformed list ends here
    int type = static_cast<int>(arg_int(args, &pos));
    if (type == kBaEnd) break;
    const char* label = arg_string(args, &pos);
    GtkWidget* w = nullptr;
    switch (type) {
      case kBaLabel:
        w = Create_Label("%s", label != nullptr ? label : "");
        break;
      case kBaToggle:
        w = Create_Toggle(label, callback, static_cast<int>(arg_int(args, &pos)));
        break;
      case kBaToggleHole:
        arg_int(args, &pos);
        break;
      case kBaButton:
        w = Create_Button(label, callback);
        break;
      case kBaCheck:
        w = Create_Check(label, callback, 0);
        break;
      case kBaRadioRun:
        w = make_radio(label, prev_type != kBaRadioRun, callback);
        break;
      case kBaLed:
        w = Create_Led(label, static_cast<int>(arg_int(args, &pos)));
        break;
      case kBaRadioNew:
        w = make_radio(label, true, callback);
        break;
      case kBaRadioJoin:
        w = make_radio(label, false, callback);
        break;
      case kBaEntry:
      case kBaEntryRO:
      case kBaEntryHole: {
        const char* format = arg_string(args, &pos);
        std::string text = format_ba_args(format, args, &pos, kArrayFieldMax);
        if (type != kBaEntryHole) w = Create_Entryv(label, type == kBaEntry ? callback : nullptr, text);
        break;
      }
      case kBaScaleH:
      case kBaScaleV:
      case kBaScale:
      case kBaSpin:
      case kBaSpinHole: {
        const char* format = arg_string(args, &pos);
        std::vector<double> numbers = take_numbers(format, args, &pos);
        if (type == kBaSpin) {
          w = Create_SpinListW(label, callback, format, numbers);
        } else if (type != kBaSpinHole) {
          int orientation = type == kBaScaleH ? 'h' : type == kBaScaleV ? 'v' : 0;
          w = Create_ScaleListW(label, orientation, callback, format, numbers);
        }
        break;
      }
      default:
        break;
    }
    if (w != nullptr) {
      gtk_widget_set_margin_start(w, kCellPad);
      gtk_widget_set_margin_end(w, kCellPad);
      gtk_widget_set_margin_top(w, kCellPad);
      gtk_widget_set_margin_bottom(w, kCellPad);
      gtk_widget_set_halign(w, GTK_ALIGN_FILL);
      gtk_widget_set_valign(w, GTK_ALIGN_FILL);
      gtk_grid_attach(GTK_GRID(grid), w, cell % per_row, cell / per_row, 1, 1);
    }
    ++cell;
    prev_type = type;
  }
  gtk_widget_show(grid);
  if (title != nullptr) return Pack(title, 'h', grid, kArrayFramePad, nullptr);
  return grid;
}

// ---------------------------------------------------------------- setters
namespace {

// Set_Button and Set_All_Buttons on one toggle: the state, the callback as
// if the operator had clicked, and the label.
void set_toggle_loud(GtkWidget* w, int state) {
  set_toggle_quietly(w, state);
  run_command(w);
  gtk_widget_queue_draw(w);
  Update_Togglelabel(w);
}

int set_button_widget(GtkWidget* w, int state, bool loud) {
  if (w == nullptr) return 0;
  if (GTK_IS_CHECK_MENU_ITEM(w)) {
    gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(w), state ? TRUE : FALSE);
  } else if (GTK_IS_COMBO_BOX(w)) {
    gtk_combo_box_set_active(GTK_COMBO_BOX(w), state);  // "changed" runs its callback
  } else if (GTK_IS_TOGGLE_BUTTON(w)) {
    if (loud) {
      set_toggle_loud(w, state);
    } else {
      set_toggle_quietly(w, state);
      Update_Togglelabel(w);
    }
  } else if (GTK_IS_BUTTON(w)) {
    gtk_button_clicked(GTK_BUTTON(w));
  }
  return 1;
}

// The whole assembly first (label box, frame), then the widget itself.
GtkWidget* find_assembly(GtkWidget* window, const char* id) {
  GtkWidget* w = Find_Top_Widget(window, id);
  if (w == nullptr) w = Find_Top_Widget(Find_Parent_Window(window), id);
  if (w == nullptr) w = Find_Widget(window, id);
  return w;
}

void set_all(GtkWidget* container, int state) {
  if (container == nullptr || !GTK_IS_CONTAINER(container)) return;
  GList* children = gtk_container_get_children(GTK_CONTAINER(container));
  for (GList* l = children; l != nullptr; l = l->next) {
    GtkWidget* child = GTK_WIDGET(l->data);
    if (GTK_IS_TOGGLE_BUTTON(child)) {
      set_toggle_loud(child, state);
    } else if (GTK_IS_CONTAINER(child)) {
      set_all(child, state);
    }
  }
  g_list_free(children);
}

GtkWidget* find_entry(GtkWidget* window, const char* id) {
  GtkWidget* w = Find_Widget(window, id);
  return (w != nullptr && GTK_IS_ENTRY(w)) ? w : nullptr;
}

}  // namespace

int Set_Button(GtkWidget* window, const char* id, int state) {
  return set_button_widget(id != nullptr ? Find_Widget(window, id) : window, state, true);
}

int Set_Local_Button(GtkWidget* container, const char* id, int state) {
  return set_button_widget(id != nullptr ? Find_Local_Widget(container, id) : container, state, false);
}

void Set_All_Buttons(GtkWidget* container, int state) { set_all(container, state); }

int Get_Button(GtkWidget* window, const char* id) {
  GtkWidget* w = id != nullptr ? Find_Widget(window, id) : window;
  if (w == nullptr) return 0;
  if (GTK_IS_CHECK_MENU_ITEM(w)) return gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(w)) ? 1 : 0;
  if (GTK_IS_TOGGLE_BUTTON(w)) return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w)) ? 1 : 0;
  std::printf("buttons:  gtk_is_button verwacht... id=>%s<\n", id != nullptr ? id : "");
  return 0;
}

int Get_Local_Button(GtkWidget* container, const char* id) {
  GtkWidget* w = Find_Local_Widget(container, id);
  if (w == nullptr || !GTK_IS_TOGGLE_BUTTON(w)) return 0;
  return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w)) ? 1 : 0;
}

int Sense_Button(GtkWidget* window, const char* id, int sensitive) {
  GtkWidget* w = find_assembly(window, id);
  if (w == nullptr) return 0;
  gtk_widget_set_sensitive(w, sensitive ? TRUE : FALSE);
  // A toggle that goes grey while down gets its callback once more, so the
  // command function can undo what the toggle had switched on.
  if (!sensitive && GTK_IS_TOGGLE_BUTTON(w) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w))) {
    Set_Button(w, nullptr, 1);
  }
  return 1;
}

int Show_Button(GtkWidget* window, const char* id, int visible) {
  GtkWidget* w = find_assembly(window, id);
  if (w == nullptr) return 0;
  if (visible) {
    gtk_widget_show(w);
  } else {
    gtk_widget_hide(w);
  }
  return 1;
}

int Set_Entry1(GtkWidget* window, const char* id, const char* text) {
  GtkWidget* e = find_entry(window, id);
  if (e == nullptr) return 0;
  gtk_entry_set_text(GTK_ENTRY(e), text != nullptr ? text : "");
  return 1;
}

int Set_Entry(GtkWidget* window, const char* id, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(kSetEntryMax, format, ap);
  va_end(ap);
  return Set_Entry1(window, id, text.c_str());
}

const char* Get_Entry(GtkWidget* window, const char* id) {
  GtkWidget* e = find_entry(window, id);
  return e != nullptr ? gtk_entry_get_text(GTK_ENTRY(e)) : nullptr;
}

}  // namespace kelo
