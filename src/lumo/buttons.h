// Buttons, check buttons, toggles, radio buttons, entries, LEDs and button
// arrays, built in one call each with their label as identifier.
//
// Label prefixes (check buttons, entries, LEDs, spins): "!" no text label;
// "^" the text above the widget; anything else the text to the left. The
// identifier always keeps the prefix ("^Basename" is found as "^Basename").
//
// A toggle label with one '/' (not "//") is an off/on pair: "Start/Stop"
// shows "Start" while up and "Stop" while down; such toggles carry "TOGGLAB".
#pragma once

#include <gtk/gtk.h>

#include <cstdarg>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

namespace kelo {

// Command callback: the widget and its identifier.
using LumoCallback = void (*)(GtkWidget* widget, const char* id);

inline constexpr int kLabelMax = 135;       // characters of Create_Label
inline constexpr int kEntryMax = 215;       // characters of Create_Entry
inline constexpr int kSetEntryMax = 289;    // characters of Set_Entry (longer text is cut)
inline constexpr int kArrayFieldMax = 127;  // button-array entry text

// With id: keeps a heap copy as the pending copy and returns it. With widget
// null: returns the pending copy. Otherwise hangs the pending copy on widget
// as "lumo_id" (freed with the widget) and returns it.
const char* Add_WidgetID(GtkWidget* widget, const char* id);

GtkWidget* Create_Label(const char* format, ...) __attribute__((format(printf, 1, 2)));
GtkWidget* Create_Button(const char* label, LumoCallback callback);
GtkWidget* Create_Check(const char* label, LumoCallback callback, int initial);
GtkWidget* Create_Toggle(const char* label, LumoCallback callback, int initial);
// 1 when the toggle is down (shows the on text), 0 when up or no two-state label.
int Update_Togglelabel(GtkWidget* toggle);
// Joins the group of the last radio button made unless new_group != 0.
GtkWidget* Create_Radio(const char* label, int new_group, LumoCallback callback);
// Entry with the label-prefix box; width from the formatted text (trailing
// blanks count, one "M" each, plus one more "M"). Editable with a callback.
GtkWidget* Create_Entry(const char* label, LumoCallback callback, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
GtkWidget* Create_Entryv(const char* label, LumoCallback callback, const std::string& text);
// The label-prefix wrapper around widget ("!": none).
GtkWidget* label_prefix_box(const char* label, GtkWidget* widget);

// LED: 0xRGB colour (4-bit components).
GtkWidget* Create_Led(const char* label, int colour);
void Set_Led(GtkWidget* widget, const char* id, int colour);

// ---------------------------------------------------------------- arrays
// Entry types of Create_ButtonArray.
enum ButtonArrayType : int {
  kBaEnd = 0,
  kBaLabel = 1,
  kBaToggle = 2,      // int initial
  kBaToggleHole = 3,  // int (placeholder for 2)
  kBaButton = 4,
  kBaEmpty = 5,
  kBaCheck = 6,
  kBaRadioRun = 7,  // first of a run starts a group
  kBaLed = 8,       // int colour
  kBaRadioNew = 9,
  kBaRadioJoin = 10,
  kBaEntry = 11,      // format, values
  kBaEntryRO = 12,    // format, values
  kBaEntryHole = 13,  // format, values (consumed)
  kBaScaleH = 14,     // format, numbers
  kBaScaleV = 15,
  kBaScale = 16,     // scale of the default orientation (none: empty cell)
  kBaSpin = 17,      // format, numbers
  kBaSpinHole = 18,  // format, numbers (consumed)
};

// One argument of a button array: an integer, a floating-point number or a
// string. The list is read as the type codes say.
using BaArg = std::variant<long long, double, const char*>;

GtkWidget* ButtonArrayList(const char* title, LumoCallback callback, int per_row,
                           const std::vector<BaArg>& args);

namespace detail {
template <class T>
BaArg to_ba_arg(T value) {
  if constexpr (std::is_same_v<std::decay_t<T>, std::nullptr_t>) {
    return BaArg(static_cast<const char*>(nullptr));
  } else if constexpr (std::is_convertible_v<T, const char*>) {
    return BaArg(static_cast<const char*>(value));
  } else if constexpr (std::is_floating_point_v<T>) {
    return BaArg(static_cast<double>(value));
  } else {
    static_assert(std::is_integral_v<T> || std::is_enum_v<T>, "button array: int, double or string");
    return BaArg(static_cast<long long>(value));
  }
}
}  // namespace detail

// Create_ButtonArray(title, callback, per_row, type, label, extras..., ..., 0)
template <class... Args>
GtkWidget* Create_ButtonArray(const char* title, LumoCallback callback, int per_row, Args&&... args) {
  std::vector<BaArg> list{detail::to_ba_arg(std::forward<Args>(args))...};
  return ButtonArrayList(title, callback, per_row, list);
}

// Consumes the values of a printf format from args starting at *pos and
// returns the formatted text (at most max characters).
std::string format_ba_args(const char* format, const std::vector<BaArg>& args, size_t* pos, size_t max);

// ---------------------------------------------------------------- setters
// Returns 0 when not found, else 1. Toggles run their callback once.
int Set_Button(GtkWidget* window, const char* id, int state);
// Searched below container only; toggles are set without their callback.
int Set_Local_Button(GtkWidget* container, const char* id, int state);
void Set_All_Buttons(GtkWidget* container, int state);
int Get_Button(GtkWidget* window, const char* id);
int Get_Local_Button(GtkWidget* container, const char* id);
int Sense_Button(GtkWidget* window, const char* id, int sensitive);
int Show_Button(GtkWidget* window, const char* id, int visible);
int Set_Entry(GtkWidget* window, const char* id, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
int Set_Entry1(GtkWidget* window, const char* id, const char* text);
// The entry's text (owned by the entry) or null.
const char* Get_Entry(GtkWidget* window, const char* id);

// The off ("Start") or on ("Stop") text of a two-state label; the whole
// label when it has no single '/'.
std::string toggle_text(const char* label, bool on);
bool is_two_state_label(const char* label);

}  // namespace kelo
