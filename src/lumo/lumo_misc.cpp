// Widget identifiers and lookup of the GUI layer, the window list, colours,
// fonts, cursors and small shared helpers.
#include "lumo/lumo_misc.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/base/paths.h"
#include "core/view/rgbdraw.h"

namespace kelo {

namespace {

const char* widget_name(GtkWidget* w, int top) {
  if (top) {
    auto* t = static_cast<const char*>(g_object_get_data(G_OBJECT(w), kKeyTopId));
    if (t != nullptr) return t;
  }
  return static_cast<const char*>(g_object_get_data(G_OBJECT(w), kKeyId));
}

bool is_box_of(GtkWidget* w, GtkOrientation o) {
  return GTK_IS_BOX(w) && gtk_orientable_get_orientation(GTK_ORIENTABLE(w)) == o;
}

// The pseudo identifiers select a widget by its type; the one canvas of a
// window is found this way without a name.
bool pseudo_match(GtkWidget* w, const char* id) {
  if (std::strcmp(id, "GTK_DRAWING_AREA") == 0) return GTK_IS_DRAWING_AREA(w);
  if (std::strcmp(id, "GTK_VBOX") == 0) return is_box_of(w, GTK_ORIENTATION_VERTICAL);
  if (std::strcmp(id, "GTK_HBOX") == 0) return is_box_of(w, GTK_ORIENTATION_HORIZONTAL);
  if (std::strcmp(id, "GTK_BOX") == 0) return GTK_IS_BOX(w);
  return false;
}

WND_INFO* first_record(WND_INFO* rec) {
  while (rec != nullptr && rec->prev != nullptr) rec = rec->prev;
  return rec;
}

}  // namespace

// ---------------------------------------------------------------- lookup
GtkWidget* Find_Widget1(GtkWidget* container, const char* id, int top) {
  if (container == nullptr || !GTK_IS_CONTAINER(container)) return nullptr;
  GList* children = gtk_container_get_children(GTK_CONTAINER(container));
  GtkWidget* found = nullptr;
  for (GList* l = children; l != nullptr && found == nullptr; l = l->next) {
    GtkWidget* child = GTK_WIDGET(l->data);
    const char* name = widget_name(child, top);
    if (name != nullptr) {
      if (id == nullptr) {
        std::printf("ID=0! Debug-mode! name=%s (%p)\n", name, static_cast<void*>(child));
      } else if (std::strcmp(name, id) == 0) {
        found = child;
        break;
      }
    }
    if (id != nullptr && pseudo_match(child, id)) {
      found = child;
      break;
    }
    if (GTK_IS_CONTAINER(child)) {
      found = Find_Widget1(child, id, top);
      if (found != nullptr) break;
    }
    // A menu shows its entries in a separate window: named items lead on
    // into their submenus so "File/Open" style entries are found too.
    if (name != nullptr && GTK_IS_MENU_ITEM(child)) {
      GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(child));
      if (sub != nullptr && GTK_IS_CONTAINER(sub)) found = Find_Widget1(sub, id, top);
    }
  }
  g_list_free(children);
  return found;
}

GtkWidget* Find_Local_Widget(GtkWidget* container, const char* id) { return Find_Widget1(container, id, 0); }
GtkWidget* Find_Top_Widget(GtkWidget* container, const char* id) { return Find_Widget1(container, id, 1); }

GtkWidget* Find_Widget(GtkWidget* widget, const char* id) {
  if (id == nullptr) return nullptr;
  if (id[0] == '/') return Find_Widget1(widget, id + 1, 0);
  return Find_Widget1(Find_Parent_Window(widget), id, 0);
}

GtkWidget* Find_cw_Widget(GtkWidget* widget, const char* id) { return Find_Widget(widget, id); }

GtkWidget* Find_aw_Widget(GtkWidget* widget, const char* id) {
  GtkWidget* w = Find_Widget(widget, id);
  if (w != nullptr) return w;
  for (GtkWidget* win = First_window(Find_Parent_Window(widget)); win != nullptr; win = Next_window(win)) {
    w = Find_Widget(win, id);
    if (w != nullptr) return w;
  }
  return nullptr;
}

GtkWidget* Find_iw_Widget(GtkWidget* widget, const char* title, const char* id) {
  GtkWidget* win = Find_Window(widget, title);
  return win != nullptr ? Find_Widget(win, id) : nullptr;
}

GtkWidget* Find_Parent_Window(gpointer object) {
  if (object == nullptr || !G_IS_OBJECT(object)) return nullptr;
  if (GTK_IS_ADJUSTMENT(object)) object = g_object_get_data(G_OBJECT(object), kKeyAdj);
  if (object == nullptr || !GTK_IS_WIDGET(object)) return nullptr;
  auto* w = GTK_WIDGET(object);
  // From a menu entry up to the menu bar or option menu that shows the menu.
  while (w != nullptr && GTK_IS_MENU_ITEM(w) && gtk_widget_get_parent(w) != nullptr &&
         GTK_IS_MENU(gtk_widget_get_parent(w))) {
    GtkWidget* attach = gtk_menu_get_attach_widget(GTK_MENU(gtk_widget_get_parent(w)));
    if (attach == nullptr) break;
    w = attach;
  }
  return w != nullptr ? gtk_widget_get_toplevel(w) : nullptr;
}

WND_INFO* Get_Window_Info(GtkWidget* widget) {
  GtkWidget* win = Find_Parent_Window(widget);
  if (win == nullptr) return nullptr;
  return static_cast<WND_INFO*>(g_object_get_data(G_OBJECT(win), kKeyWndInfo));
}

GtkWidget* Find_Window(GtkWidget* widget, const char* title) {
  WND_INFO* rec = first_record(Get_Window_Info(widget));
  if (rec == nullptr) return nullptr;
  for (; rec != nullptr; rec = rec->next) {
    if (title == nullptr) {
      std::printf("%s\n", rec->title);
    } else if (std::strcmp(rec->title, title) == 0) {
      return rec->window;
    }
  }
  return nullptr;
}

GtkWidget* First_window(GtkWidget* window) {
  if (window == nullptr) return nullptr;
  WND_INFO* rec = first_record(static_cast<WND_INFO*>(g_object_get_data(G_OBJECT(window), kKeyWndInfo)));
  return rec != nullptr ? rec->window : nullptr;
}

GtkWidget* Next_window(GtkWidget* window) {
  if (window == nullptr) return nullptr;
  auto* rec = static_cast<WND_INFO*>(g_object_get_data(G_OBJECT(window), kKeyWndInfo));
  return (rec != nullptr && rec->next != nullptr) ? rec->next->window : nullptr;
}

int Remove_Widget(GtkWidget* container, const char* id) {
  GtkWidget* w = Find_Top_Widget(container, id);
  if (w == nullptr) return 0;
  gtk_widget_destroy(w);
  return 1;
}

int Deselect_Clist(GtkWidget* widget, const char* title, const char* id) {
  if (title != nullptr) widget = Find_Window(widget, title);
  if (widget == nullptr) return 0;
  GtkWidget* list = Find_Widget(widget, id);
  if (list == nullptr || !GTK_IS_TREE_VIEW(list)) return 0;
  gtk_tree_selection_unselect_all(gtk_tree_view_get_selection(GTK_TREE_VIEW(list)));
  return 1;
}

// ---------------------------------------------------------------- records
cairo_surface_t* Get_Pixmap(GtkWidget* window) {
  WND_INFO* rec = Get_Window_Info(window);
  return rec != nullptr ? rec->pixmap : nullptr;
}

void Put_Pixmap(GtkWidget* window, cairo_surface_t* pixmap) {
  WND_INFO* rec = Get_Window_Info(window);
  if (rec != nullptr) rec->pixmap = pixmap;
}

void* Get_Gc(GtkWidget* window) {
  WND_INFO* rec = Get_Window_Info(window);
  return rec != nullptr ? rec->gc_list : nullptr;
}

DRAWABLE_INFO* Get_RGBI(GtkWidget* drawing_area) {
  if (drawing_area == nullptr) return nullptr;
  return static_cast<DRAWABLE_INFO*>(g_object_get_data(G_OBJECT(drawing_area), kKeyDrawable));
}

namespace {
GtkWidget* canvas_of(GtkWidget* widget) {
  if (widget == nullptr) return nullptr;
  auto* inner = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(widget), kKeyChildIs));
  return inner != nullptr ? inner : widget;
}
}  // namespace

DRAWABLE_INFO* Set_Enable_Update(GtkWidget* widget, int on) {
  DRAWABLE_INFO* rgbi = Get_RGBI(canvas_of(widget));
  if (rgbi != nullptr) rgbi->update = on;
  return rgbi;
}

int Get_Enable_Update(GtkWidget* widget) {
  DRAWABLE_INFO* rgbi = Get_RGBI(canvas_of(widget));
  return rgbi != nullptr ? rgbi->update : 0;
}

// ---------------------------------------------------------------- windows
namespace {
// One saved geometry for the whole program: only the main window is toggled.
struct {
  int x = 0, y = 0, w = 0, h = 0;
} g_saved_geometry;
}  // namespace

void window_get_border_size(GdkWindow* gdk_window, int* bw, int* bh) {
  int rx = 0, ry = 0, ox = 0, oy = 0;
  if (gdk_window != nullptr) {
    gdk_window_get_root_origin(gdk_window, &rx, &ry);
    gdk_window_get_origin(gdk_window, &ox, &oy);
  }
  if (bw != nullptr) *bw = 2 * (ox - rx);
  if (bh != nullptr) *bh = (ox - rx) + (oy - ry);
}

void window_get_root_size(GdkWindow* gdk_window, int* w, int* h) {
  int bw = 0, bh = 0, cw = 0, ch = 0;
  if (gdk_window != nullptr) {
    cw = gdk_window_get_width(gdk_window);
    ch = gdk_window_get_height(gdk_window);
    window_get_border_size(gdk_window, &bw, &bh);
  }
  if (w != nullptr) *w = cw + bw;
  if (h != nullptr) *h = ch + bh;
}

// GTK 3 moves and reports windows by the same frame origin on every window
// manager, so the old probe for desk-relative origins is not needed; the
// decorations taken away for full screen are given back on restore.
void window_toggle_size(GtkWidget* window) {
  if (window == nullptr || !GTK_IS_WINDOW(window)) return;
  auto* rec = static_cast<WND_INFO*>(g_object_get_data(G_OBJECT(window), kKeyWndInfo));
  if (rec == nullptr) return;
  GtkWindow* win = GTK_WINDOW(window);
  if (rec->full_screen) {
    gtk_window_set_decorated(win, TRUE);
    gtk_window_move(win, g_saved_geometry.x, g_saved_geometry.y);
    gtk_window_resize(win, g_saved_geometry.w, g_saved_geometry.h);
    rec->full_screen = 0;
    return;
  }
  gtk_window_get_position(win, &g_saved_geometry.x, &g_saved_geometry.y);
  gtk_window_get_size(win, &g_saved_geometry.w, &g_saved_geometry.h);
  int bw = 0, bh = 0;
  window_get_border_size(gtk_widget_get_window(window), &bw, &bh);
  GdkScreen* screen = gtk_widget_get_screen(window);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  int sw = gdk_screen_get_width(screen);
  int sh = gdk_screen_get_height(screen);
  G_GNUC_END_IGNORE_DEPRECATIONS
  gtk_window_move(win, 0, 0);
  gtk_window_resize(win, std::max(1, sw - bw), std::max(1, sh - bh));
  gtk_window_set_decorated(win, FALSE);
  rec->full_screen = 1;
}

// ---------------------------------------------------------------- colours
LumoColor rgb12_color(int rgb, int darken) {
  constexpr int kNibbleTo16 = 0x1111;  // 0xF -> 0xFFFF
  auto part = [&](int shift) {
    int v = ((rgb >> shift) & 0xF) - darken;
    if (v < 0) v = 0;
    return static_cast<uint16_t>(v * kNibbleTo16);
  };
  return LumoColor{part(8), part(4), part(0)};
}

LumoStyle Create_RcStyle(int kind, const LumoColor* normal, const LumoColor* prelight,
                         const LumoColor* active, const LumoColor* selected, const LumoColor* insensitive) {
  LumoStyle style;
  if (kind != kColorFg && kind != kColorBg && kind != kColorText && kind != kColorBase) return style;
  style.kind = kind;
  const LumoColor* in[kStateCount] = {normal, prelight, active, selected, insensitive};
  for (int i = 0; i < kStateCount; ++i) {
    if (in[i] != nullptr) {
      style.set[i] = true;
      style.color[i] = *in[i];
    }
  }
  return style;
}

std::string lumo_style_css(const LumoStyle& style) {
  // NORMAL, PRELIGHT, ACTIVE, SELECTED, INSENSITIVE as CSS states.
  static const char* const kSelectors[kStateCount] = {"*", "*:hover", "*:active", "*:checked", "*:disabled"};
  std::string css;
  if (style.kind == 0) return css;
  for (int i = 0; i < kStateCount; ++i) {
    if (!style.set[i]) continue;
    const LumoColor& c = style.color[i];
    char rgb[48];
    // 16-bit components: every colour the program uses is a multiple of 257.
    std::snprintf(rgb, sizeof rgb, "rgb(%d,%d,%d)", (c.red + 128) / 257, (c.green + 128) / 257,
                  (c.blue + 128) / 257);
    css += kSelectors[i];
    css += " { ";
    if (style.kind == kColorFg || style.kind == kColorText) {
      css += "color: ";
      css += rgb;
      css += "; ";
    } else {
      css += "background-color: ";
      css += rgb;
      css += "; background-image: none; ";
    }
    css += "}\n";
  }
  return css;
}

void Set_Color(GtkWidget* widget, int kind, const LumoColor* normal, const LumoColor* prelight,
               const LumoColor* active, const LumoColor* selected, const LumoColor* insensitive) {
  LumoStyle style = Create_RcStyle(kind, normal, prelight, active, selected, insensitive);
  if (widget == nullptr || style.kind == 0) return;
  // One provider per colour kind, so a later colour replaces an earlier one.
  char key[32];
  std::snprintf(key, sizeof key, "lumo_css_%d", style.kind);
  GtkStyleContext* ctx = gtk_widget_get_style_context(widget);
  auto* old = static_cast<GtkCssProvider*>(g_object_get_data(G_OBJECT(widget), key));
  if (old != nullptr) gtk_style_context_remove_provider(ctx, GTK_STYLE_PROVIDER(old));
  GtkCssProvider* provider = gtk_css_provider_new();
  std::string css = lumo_style_css(style);
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider(ctx, GTK_STYLE_PROVIDER(provider),
                                 GTK_STYLE_PROVIDER_PRIORITY_APPLICATION + 1);
  g_object_set_data_full(G_OBJECT(widget), key, provider, g_object_unref);
}

void Set_Widgetcolor(GtkWidget* widget, char which, int r, int g, int b) {
  constexpr int kByteTo16 = 257;  // 0xFF -> 0xFFFF
  LumoColor c{static_cast<uint16_t>(r * kByteTo16), static_cast<uint16_t>(g * kByteTo16),
              static_cast<uint16_t>(b * kByteTo16)};
  Set_Color(widget, which == 'b' ? kColorBg : kColorFg, &c, &c, &c, &c, &c);
}

void Set_Buttoncolor(GtkWidget* widget, int rgb) {
  constexpr int kPressedDarker = 2;  // pressed buttons are two steps darker
  LumoColor full = rgb12_color(rgb);
  LumoColor dark = rgb12_color(rgb, kPressedDarker);
  Set_Color(widget, kColorBg, &full, &full, &dark, &dark, &full);
}

// ---------------------------------------------------------------- fonts
namespace {
GtkCssProvider* g_font_provider = nullptr;
constexpr int kDefaultFontSize = 120;  // tenths of a point
}  // namespace

int set_fontsize(int size) {
  if (size == 0) return kDefaultFontSize;
  if (size < 0) size = kDefaultFontSize;
  GdkScreen* screen = gdk_screen_get_default();
  if (screen == nullptr) return 0;
  if (g_font_provider == nullptr) {
    g_font_provider = gtk_css_provider_new();
    gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(g_font_provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  }
  char css[64];
  std::snprintf(css, sizeof css, "* { font-size: %d.%dpt; }", size / 10, size % 10);
  if (!gtk_css_provider_load_from_data(g_font_provider, css, -1, nullptr)) return 0;
  return size;
}

PangoFontDescription* get_font(int size) {
  if (size <= 0) size = kDefaultFontSize;
  PangoFontDescription* font = pango_font_description_from_string("Sans");
  pango_font_description_set_size(font, size * PANGO_SCALE / 10);
  return font;
}

// ---------------------------------------------------------------- misc
namespace {
GdkCursor* g_cursor = nullptr;
}

GdkCursor* Create_Cursor(GtkWidget* widget, int cursor_type) {
  if (widget == nullptr) return nullptr;
  GdkWindow* win = gtk_widget_get_window(widget);
  if (win == nullptr) return nullptr;
  if (g_cursor != nullptr) g_object_unref(g_cursor);
  g_cursor =
      gdk_cursor_new_for_display(gtk_widget_get_display(widget), static_cast<GdkCursorType>(cursor_type));
  gdk_window_set_cursor(win, g_cursor);
  return g_cursor;
}

int CheckKeyPressed(guint keyval) {
  if (!gtk_events_pending()) return 0;
  // Peek rather than take and put back: putting back would move the event
  // behind the others and change the order the picture pass sees them in.
  GdkEvent* ev = gdk_event_peek();
  if (ev == nullptr) return 0;
  bool hit = ev->type == GDK_KEY_PRESS && ev->key.keyval == keyval;
  gdk_event_free(ev);
  if (!hit) return 0;
  GdkEvent* taken = gdk_event_get();
  if (taken != nullptr) gdk_event_free(taken);
  return 1;
}

std::string get_path(const char* program_name) {
  if (program_name == nullptr || *program_name == '\0') return {};
  std::string name = program_name;
  auto dir_of = [](const std::string& p) {
    gchar* d = g_path_get_dirname(p.c_str());
    std::string out = d;
    g_free(d);
    return out;
  };
  if (name.find('/') != std::string::npos) return dir_of(name);
  const char* env = std::getenv("PATH");
  std::string list = env != nullptr ? env : ".";
  // POSIX: elements separated by ':', an empty element is the current directory.
  size_t start = 0;
  while (true) {
    size_t end = list.find(':', start);
    std::string element = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (element.empty()) element.push_back('.');
    std::string candidate = join_path(element, name);
    if (access(candidate.c_str(), R_OK) == 0 && g_file_test(candidate.c_str(), G_FILE_TEST_IS_REGULAR)) {
      return element;
    }
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return {};
}

namespace {
float swap_float_if_big_endian(float x) {
  if constexpr (std::endian::native == std::endian::little) {
    return x;
  } else {
    uint32_t u = std::bit_cast<uint32_t>(x);
    u = (u >> 24) | ((u >> 8) & 0xFF00u) | ((u << 8) & 0xFF0000u) | (u << 24);
    return std::bit_cast<float>(u);
  }
}
}  // namespace

float float32_from_le(float x) { return swap_float_if_big_endian(x); }
float float32_to_le(float x) { return swap_float_if_big_endian(x); }

}  // namespace kelo
