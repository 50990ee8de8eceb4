// Widget identifiers, the window list and the small shared functions of the
// GUI layer.
//
// Widgets are not kept in variables: every widget a command function needs
// again carries a string identifier (object data "lumo_id"), every top-level
// window carries a WND_INFO record that links it into the list of its
// family of windows, and code anywhere asks for "the widget with this
// identifier in the window with this title".
//
// Object-data keys (g_object_set_data):
//   kKeyId        "lumo_id"       identifier of a widget (heap copy owned by
//                                 the widget, or a caller's constant for boxes
//                                 made by Pack/SPack and for menu items)
//   kKeyTopId     "lumo_top_id"   same identifier on the outermost wrapper of
//                                 a composite (frame, scrolled window, label
//                                 box of an entry, spin or scale)
//   kKeyWndInfo   "wndinfo"       WND_INFO* on every top-level window made by
//                                 Create_Window
//   kKeyDrawable  "drawable_info" DRAWABLE_INFO* on a canvas drawing area
//   kKeyChildIs   "CHILD_IS"      the drawing area inside a wrapper
//   kKeyAdj       "ADJ"           on a numeric control: its GtkAdjustment; on
//                                 the adjustment: the control
//   kKeyTogglab   "TOGGLAB"       identifier of a toggle with an off/on label
//   kKeyProgress  "Progress_id"   PROGRESS_INFO* on a progress window
//
// Identifiers are compared exactly (case-sensitive) and keep their prefix
// character ("^Width", "!Show channel"). Four pseudo identifiers match by type
// instead of by name: "GTK_DRAWING_AREA", "GTK_VBOX", "GTK_HBOX", "GTK_BOX"
// (a GtkBox of vertical, horizontal or either orientation).
#pragma once

#include <gtk/gtk.h>

#include <cstdint>
#include <string>

namespace kelo {

struct DRAWABLE_INFO;

inline constexpr const char* kKeyId = "lumo_id";
inline constexpr const char* kKeyTopId = "lumo_top_id";
inline constexpr const char* kKeyWndInfo = "wndinfo";
inline constexpr const char* kKeyDrawable = "drawable_info";
inline constexpr const char* kKeyChildIs = "CHILD_IS";
inline constexpr const char* kKeyAdj = "ADJ";
inline constexpr const char* kKeyTogglab = "TOGGLAB";
inline constexpr const char* kKeyProgress = "Progress_id";

inline constexpr int kWndTitleMax = 99;  // WND_INFO title: char[100]

// The window record: one per top-level window made by Create_Window, freed
// when the window is destroyed. The list is doubly linked without a head;
// the first record is found by following prev from any member.
struct WND_INFO {
  WND_INFO* prev = nullptr;
  WND_INFO* next = nullptr;
  GtkWidget* window = nullptr;
  int32_t width = 0;                  // default width given at creation (0: none set)
  int32_t height = 0;                 // default height given at creation
  cairo_surface_t* pixmap = nullptr;  // backing surface of the window's canvas
  void* gc_list = nullptr;            // colour palette of the canvas (canvas code)
  int32_t n_gc = 0;
  char title[kWndTitleMax + 1] = {};  // identifier of the window for Find_Window
  int32_t full_screen = 0;            // 1 while enlarged by window_toggle_size
};

// ---------------------------------------------------------------- lookup
// Depth-first search below container (the container itself is not
// compared). top != 0 prefers "lumo_top_id" over "lumo_id" on each child. A
// null id lists every named widget on standard output and returns null.
// Named menu items are descended into through their submenus.
GtkWidget* Find_Widget1(GtkWidget* container, const char* id, int top);
GtkWidget* Find_Local_Widget(GtkWidget* container, const char* id);
GtkWidget* Find_Top_Widget(GtkWidget* container, const char* id);
// The application's lookup: "/name" searches below widget only, "name" the
// whole top-level window of widget. Null id gives null.
GtkWidget* Find_Widget(GtkWidget* widget, const char* id);
GtkWidget* Find_cw_Widget(GtkWidget* widget, const char* id);
// The current window first, then every window of its list from the first.
GtkWidget* Find_aw_Widget(GtkWidget* widget, const char* id);
// Find_Widget in the window of the list titled title.
GtkWidget* Find_iw_Widget(GtkWidget* widget, const char* title, const char* id);
// The top-level window of a widget, a menu entry (through the attach widget
// of its menu) or a GtkAdjustment (through its "ADJ" control); null for null.
GtkWidget* Find_Parent_Window(gpointer object);
// The window of widget's list whose record title equals title. A null title
// lists the titles on standard output and returns null.
GtkWidget* Find_Window(GtkWidget* widget, const char* title);
GtkWidget* First_window(GtkWidget* window);
GtkWidget* Next_window(GtkWidget* window);
// The WND_INFO of a widget's top-level window, or null.
WND_INFO* Get_Window_Info(GtkWidget* widget);
// Destroys the widget found with Find_Top_Widget; 1 when found.
int Remove_Widget(GtkWidget* container, const char* id);
// Unselects all rows of the list id (in the window titled title when given);
// nonzero when a list was found.
int Deselect_Clist(GtkWidget* widget, const char* title, const char* id);

// ---------------------------------------------------------------- records
cairo_surface_t* Get_Pixmap(GtkWidget* window);
void Put_Pixmap(GtkWidget* window, cairo_surface_t* pixmap);
void* Get_Gc(GtkWidget* window);
DRAWABLE_INFO* Get_RGBI(GtkWidget* drawing_area);
// Update flag of the canvas record of widget (or of its "CHILD_IS" area).
// Set returns the record, or null when there is none.
DRAWABLE_INFO* Set_Enable_Update(GtkWidget* widget, int on);
int Get_Enable_Update(GtkWidget* widget);

// ---------------------------------------------------------------- windows
// Toggles a top-level window between its own geometry and the whole screen.
void window_toggle_size(GtkWidget* window);
// Extra width and height of the window manager's frame (bottom border taken
// equal to the side border).
void window_get_border_size(GdkWindow* gdk_window, int* bw, int* bh);
// Client size plus border size.
void window_get_root_size(GdkWindow* gdk_window, int* w, int* h);

// ---------------------------------------------------------------- colours
// A colour with 16-bit components.
struct LumoColor {
  uint16_t red = 0;
  uint16_t green = 0;
  uint16_t blue = 0;
};

// Colour kinds (bit values of the style's colour flags).
inline constexpr int kColorFg = 1;
inline constexpr int kColorBg = 2;
inline constexpr int kColorText = 4;
inline constexpr int kColorBase = 8;
inline constexpr int kStateCount = 5;  // normal, prelight, active, selected, insensitive

// A per-widget style: one colour kind for up to five widget states.
struct LumoStyle {
  int kind = 0;  // 0 when the kind was not one of the four
  bool set[kStateCount] = {};
  LumoColor color[kStateCount] = {};
};

// Builds the style; argument order NORMAL, PRELIGHT, ACTIVE, SELECTED,
// INSENSITIVE (prelight second). Null colours are left unset.
LumoStyle Create_RcStyle(int kind, const LumoColor* normal, const LumoColor* prelight,
                         const LumoColor* active, const LumoColor* selected, const LumoColor* insensitive);
// The CSS text a style becomes (per-widget provider).
std::string lumo_style_css(const LumoStyle& style);
// Applies the style to widget (replacing an earlier colour of the same kind).
void Set_Color(GtkWidget* widget, int kind, const LumoColor* normal, const LumoColor* prelight,
               const LumoColor* active, const LumoColor* selected, const LumoColor* insensitive);
// r, g, b 0..255; which 'b' background, anything else foreground.
void Set_Widgetcolor(GtkWidget* widget, char which, int r, int g, int b);
// 0xRGB with 4-bit components; pressed states get each component minus 2.
void Set_Buttoncolor(GtkWidget* widget, int rgb);
// 0xRGB -> 16-bit components (x 0x1111); darker = components minus `darken`.
LumoColor rgb12_color(int rgb, int darken = 0);

// ---------------------------------------------------------------- fonts
// Default font size (tenths of a point) for every widget; 0 changes nothing
// and returns 120, a negative size means 120. Returns the size set.
int set_fontsize(int size);
// The font description of that size (tenths of a point); pango_font_description_free it.
PangoFontDescription* get_font(int size);

// ---------------------------------------------------------------- misc
// Sets a cursor of that GDK type on widget's window (one current cursor).
GdkCursor* Create_Cursor(GtkWidget* widget, int cursor_type);
// 1 when the next pending event is a key press of keyval (it is consumed);
// other events stay queued in their order.
int CheckKeyPressed(guint keyval);
// Directory that holds the program: the directory part of a name with a
// '/', else the first PATH element (empty element: current directory; PATH
// unset: ".") holding a readable file of that name. Empty when not found.
std::string get_path(const char* program_name);
// Float between file (little-endian) and host order.
float float32_from_le(float x);
float float32_to_le(float x);

}  // namespace kelo
