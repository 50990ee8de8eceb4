// Top-level windows, their placement, and the modal message, choice, text
// and progress windows.
#pragma once

#include <gtk/gtk.h>

#include <ctime>
#include <string>
#include <vector>

#include "lumo/lumo_misc.h"

namespace kelo {

// ---------------------------------------------------------------- windows
// A new top-level window, or null when parent is given and a window titled
// title is open in its list (that one is raised instead). width/height < 0
// mean 400/300; if either is then below 1 no default size is set and 0 x 0
// is recorded. destroy_cb (or destroy_window) runs on "destroy"; a caller's
// callback must end with destroy_window(widget). The window is not shown.
GtkWidget* Create_Window(GtkWidget* parent, int width, int height, const char* title,
                         void (*destroy_cb)(GtkWidget*));
WND_INFO* Create_Window_Info(GtkWidget* parent, GtkWidget* window, const char* title);
void Remove_Window_Info(GtkWidget* window);
void destroy_window(GtkWidget* widget);
void Close_Window(GtkWidget* widget);

// Placement modes: 0 leave, 1 (x, y), 2 centred + (x, y), 3 smart, 4 relative
// to the first window of the list, 5 (x, y), 6 right edge, 7 bottom edge,
// 8 bottom right. Above 8: nothing.
inline constexpr int kPlaceDefault = 0;
inline constexpr int kPlaceAbs = 1;
inline constexpr int kPlaceCenter = 2;
inline constexpr int kPlaceSmart = 3;
inline constexpr int kPlaceMax = 8;
// What a window frame and title bar add beyond the measured outer size, and
// what the screen height is taken to exceed the display by (a task bar that
// may be covered): placement keeps these margins around every window.
inline constexpr int kPlaceExtraW = 6;
inline constexpr int kPlaceExtraH = 25;
inline constexpr int kScreenExtraH = 28;

// An enlarged outer rectangle of a window in placement arithmetic.
struct WndRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// Placement arithmetic on a virtual screen (sw x sh_lw, sh_lw already
// including kScreenExtraH). self is the new window's enlarged size, first the
// first window of the list (mode 4), others the enlarged rectangles of the
// list without the new window (mode 3). Returns false for mode 0 or > 8.
bool place_position(int mode, int x, int y, const WndRect& self, int sw, int sh_lw, const WndRect& first,
                    const std::vector<WndRect>& others, int* px, int* py);
int overlap_rect(int x, int y, int w, int h, const WndRect& b);
void freespace_rects(const std::vector<WndRect>& others, int w, int h, int sw, int sh_lw, int* bx, int* by);

void place_window(GtkWidget* window, int x, int y, int mode);
void window_get_root_size_lw(GdkWindow* gdk_window, int* w, int* h);
int gdk_screen_height_lw();
int overlap_wndarea(int x, int y, int w, int h, GtkWidget* window);
void freespace(GtkWidget* window, int* x, int* y);

// ---------------------------------------------------------------- dialogs
inline constexpr int kMessageMax = 489;  // shown characters of a message
inline constexpr int kChoiceMax = 1019;
inline constexpr int kTextMax = 1015;
inline constexpr int kChoiceButtonsMax = 5;

// Modal message with a "Dismiss" button; returns when it is pressed or the
// window is closed.
void Create_Message(const char* title, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Modal choice: the number (1..) of the pressed button; at most five buttons
// (further labels are skipped). 0 when the window was closed without a button.
int Create_Choice(const char* title, const std::vector<const char*>& labels, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
int Create_Choicev(const char* title, const std::vector<const char*>& labels, const std::string& text);
// Callback of the dialog buttons.
void Close_Dialog(GtkWidget* button);
// The value of the button that closed the last dialog (0: closed by the
// window manager).
int Get_Dialog_Ret();

// A word-wrapped text view inside a scrolled window (returned: the view).
GtkWidget* Create_Text(const char* id, int editable);
// A text-info window with "Dismiss" (and "Reload" + extra); null when one of
// that title is open (raised instead). Returns the text view.
GtkWidget* Create_Info(GtkWidget* widget, const char* title, int width, int height,
                       void (*reload_cb)(GtkWidget*, const char*), GtkWidget* extra);
void Close_Info(GtkWidget* widget);
void Clear_Text(GtkWidget* text);
void Add_Text(GtkWidget* text, int font_size, const char* format, ...) __attribute__((format(printf, 3, 4)));
// A small window "Ladende..." with a read-only labelled entry; null for null text.
GtkWidget* Create_Oneliner(const char* label, const char* text);

// ---------------------------------------------------------------- progress
struct PROGRESS_INFO {
  int32_t cancelled = 0;     // 1 after Cancel
  int32_t last_percent = 0;  // percentage last drawn, -1 after a reset
  std::time_t start = 0;     // start of the operation (remaining-time estimate)
  int32_t closing = 0;       // 1 while Close_Progress closes it (not an abort)
};

inline constexpr int kProgressEtaAfter = 30;  // seconds before the remaining time is shown

// Returns the progress bar (other functions take the bar), or null when a
// window of that title is open.
GtkWidget* Create_Progress(GtkWidget* parent, const char* title, int with_cancel);
// Nonzero when the operation must stop (cancelled or window closed).
int Update_Progress(GtkWidget* bar, int done, int total);
int Get_Progress_state(GtkWidget* bar);
void Cancel_Progress(GtkWidget* button);
void Abort_Progress(GtkWidget* window);
void Close_Progress(GtkWidget* bar);
// "%d:%02d" of elapsed * (100 - percent) / percent seconds.
std::string progress_remaining_text(long elapsed, int percent);

}  // namespace kelo
