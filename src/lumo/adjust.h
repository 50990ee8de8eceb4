// Numeric controls around a GtkAdjustment: spins, scales, scroll bars.
//
// The value format is a string of printf conversions: each "%d" takes an
// int, each "%f" a double, "%?" nothing. Three numbers are value, lower,
// upper; with four ints the first is the step ("%d%d%d%d": step, value,
// lower, upper). Width and precision of the conversions give the field width
// and the decimals ("%9.4f": 4 decimals, step 0.0001).
//
// Object data: control "ADJ" = its adjustment, adjustment "ADJ" = control.
#pragma once

#include <gtk/gtk.h>

#include <type_traits>
#include <vector>

namespace kelo {

// Callback of a numeric control: the adjustment and the control's label.
using AdjCallback = void (*)(GtkAdjustment* adjustment, const char* id);

inline constexpr int kFrmtWidth = 5;      // width before the first conversion
inline constexpr int kFrmtPrecision = 2;  // decimals before the first conversion

// Pointer to the conversion letter of the next '%' in text (or to its end);
// a digit after '%' sets width, a '.' sets precision, "d" sets precision 0.
const char* get_frmt(const char* text, int* width, int* precision);

// What the number registers give for a spin (spin = true) or a scale.
struct AdjustRange {
  double value = 0, lower = 0, upper = 0, step = 1, page = 10;
  int width = kFrmtWidth, precision = kFrmtPrecision;
  bool has_float = false;
};
AdjustRange adjust_registers(const char* format, const std::vector<double>& numbers, bool spin);

GtkWidget* Create_SpinList(const char* label, AdjCallback callback, const char* format,
                           const std::vector<double>& numbers);
// 'h' or 'v'; anything else gives null.
GtkWidget* Create_ScaleList(const char* label, int orientation, AdjCallback callback, const char* format,
                            const std::vector<double>& numbers);

// The same for button arrays: the callback receives the control (the spin
// button or the scale), whose "ADJ" leads to the adjustment.
GtkWidget* Create_SpinListW(const char* label, void (*callback)(GtkWidget*, const char*), const char* format,
                            const std::vector<double>& numbers);
GtkWidget* Create_ScaleListW(const char* label, int orientation, void (*callback)(GtkWidget*, const char*),
                             const char* format, const std::vector<double>& numbers);

template <class... N>
GtkWidget* Create_Spin(const char* label, AdjCallback callback, const char* format, N... numbers) {
  static_assert((std::is_arithmetic_v<N> && ...), "Create_Spin: numbers only");
  return Create_SpinList(label, callback, format, {static_cast<double>(numbers)...});
}
template <class... N>
GtkWidget* Create_Scale(const char* label, int orientation, AdjCallback callback, const char* format,
                        N... numbers) {
  static_assert((std::is_arithmetic_v<N> && ...), "Create_Scale: numbers only");
  return Create_ScaleList(label, orientation, callback, format, {static_cast<double>(numbers)...});
}

GtkWidget* Create_Scrollbar(const char* id, int orientation, float low, float high, float page,
                            AdjCallback callback);
// The canvas with its own scroll bars (see the layouts in adjust.cpp).
GtkWidget* Add_Scrollbars(GtkWidget* widget, const char* hname, const char* vname, AdjCallback callback);

// Value of control id (0 when it or its adjustment is missing).
double Get_Adjust(GtkWidget* window, const char* id);
// widget: a control or its adjustment.
double Get_Adjustc(gpointer widget);
// value is taken as a double when format contains "%f", else truncated to int.
int Set_Adjust(GtkWidget* window, const char* id, const char* format, double value);
int Set_Adjustc(gpointer widget, const char* format, double value);
// Numbers 1..5: lower, upper, step increment, page size, page increment.
int Set_AdjustbndList(GtkWidget* window, const char* id, const char* format,
                      const std::vector<double>& numbers);
int Set_AdjustbndcList(gpointer widget, const char* format, const std::vector<double>& numbers);
template <class... N>
int Set_Adjustbnd(GtkWidget* window, const char* id, const char* format, N... numbers) {
  static_assert((std::is_arithmetic_v<N> && ...), "Set_Adjustbnd: numbers only");
  return Set_AdjustbndList(window, id, format, {static_cast<double>(numbers)...});
}
template <class... N>
int Set_Adjustbndc(gpointer widget, const char* format, N... numbers) {
  static_assert((std::is_arithmetic_v<N> && ...), "Set_Adjustbndc: numbers only");
  return Set_AdjustbndcList(widget, format, {static_cast<double>(numbers)...});
}
// Both scroll bars of a zoomed picture; clamps x, y and raises zooms to 1.
int Set_Scroll(GtkWidget* window, const char* hname, int width, int* x, float* zoom_x, const char* vname,
               int height, int* y, float* zoom_y);

}  // namespace kelo
