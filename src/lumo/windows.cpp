// Top-level windows, their placement, and the modal message, choice, text
// and progress windows.
#include "lumo/windows.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <set>

#include "lumo/buttons.h"
#include "lumo/packing.h"

namespace kelo {

namespace {

constexpr int kDefaultWidth = 400;                        // width of a window created with width < 0
constexpr int kDefaultHeight = 300;                       // height of a window created with height < 0
constexpr int kDialogPadding = 10;                        // around the text of a message or choice
constexpr int kChoiceSpacing = 2;                         // between the buttons of a choice
constexpr int kInfoPadding = 5;                           // around the text and buttons of an info window
constexpr const char* kKeyDialog = "lumo_dialog";         // DialogState* on a modal dialog window
constexpr const char* kKeyDialogRet = "lumo_dialog_ret";  // number of a dialog button
constexpr const char* kKeyProgressBar = "lumo_progress_bar";

// The destroy callback of a window made by Create_Window.
struct DestroyHook {
  void (*cb)(GtkWidget*);
};

void on_window_destroy(GtkWidget* window, gpointer data) {
  auto* hook = static_cast<DestroyHook*>(data);
  if (hook->cb != nullptr) {
    hook->cb(window);
  } else {
    destroy_window(window);
  }
}

void free_hook(gpointer data, GClosure*) { delete static_cast<DestroyHook*>(data); }

int screen_width() {
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  return gdk_screen_width();
  G_GNUC_END_IGNORE_DEPRECATIONS
}

// Enlarged outer rectangle of a realised window.
bool window_rect(GtkWidget* window, WndRect* r) {
  if (window == nullptr) return false;
  GdkWindow* gw = gtk_widget_get_window(window);
  if (gw == nullptr) return false;
  gdk_window_get_root_origin(gw, &r->x, &r->y);
  window_get_root_size_lw(gw, &r->w, &r->h);
  return true;
}

// The rectangles of the other windows of a window's list.
std::vector<WndRect> other_rects(GtkWidget* window) {
  std::vector<WndRect> out;
  for (GtkWidget* w = First_window(window); w != nullptr; w = Next_window(w)) {
    if (w == window) continue;
    WndRect r;
    if (window_rect(w, &r)) out.push_back(r);
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------- windows
GtkWidget* Create_Window(GtkWidget* parent, int width, int height, const char* title,
                         void (*destroy_cb)(GtkWidget*)) {
  if (parent != nullptr && title != nullptr) {
    GtkWidget* open = Find_Window(parent, title);
    if (open != nullptr) {
      // A window of that title is open: bring it forward, make no second one.
      gtk_window_present(GTK_WINDOW(open));
      return nullptr;
    }
  }
  if (width < 0) width = kDefaultWidth;
  if (height < 0) height = kDefaultHeight;
  if (width < 1 || height < 1) width = height = 0;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (width > 0) gtk_window_set_default_size(GTK_WINDOW(window), width, height);
  if (title != nullptr) gtk_window_set_title(GTK_WINDOW(window), title);
  WND_INFO* rec = Create_Window_Info(parent, window, title);
  if (rec == nullptr) {
    gtk_widget_destroy(window);
    return nullptr;
  }
  rec->width = width;
  rec->height = height;
  g_signal_connect_data(window, "destroy", G_CALLBACK(on_window_destroy), new DestroyHook{destroy_cb},
                        free_hook, GConnectFlags(0));
  return window;
}

WND_INFO* Create_Window_Info(GtkWidget* parent, GtkWidget* window, const char* title) {
  auto* rec = new (std::nothrow) WND_INFO{};
  if (rec == nullptr) return nullptr;
  rec->window = window;
  if (title != nullptr) g_strlcpy(rec->title, title, sizeof rec->title);
  WND_INFO* last = parent != nullptr ? Get_Window_Info(parent) : nullptr;
  if (last != nullptr) {
    while (last->next != nullptr) last = last->next;
    last->next = rec;
    rec->prev = last;
  }
  g_object_set_data(G_OBJECT(window), kKeyWndInfo, rec);
  return rec;
}

void Remove_Window_Info(GtkWidget* window) {
  if (window == nullptr) return;
  auto* rec = static_cast<WND_INFO*>(g_object_get_data(G_OBJECT(window), kKeyWndInfo));
  if (rec == nullptr) return;
  if (rec->prev != nullptr) rec->prev->next = rec->next;
  if (rec->next != nullptr) rec->next->prev = rec->prev;
  g_object_set_data(G_OBJECT(window), kKeyWndInfo, nullptr);
  delete rec;
}

void destroy_window(GtkWidget* widget) { Remove_Window_Info(Find_Parent_Window(widget)); }

void Close_Window(GtkWidget* widget) {
  GtkWidget* win = Find_Parent_Window(widget);
  if (win != nullptr) gtk_widget_destroy(win);
}

// ---------------------------------------------------------------- placement
int overlap_rect(int x, int y, int w, int h, const WndRect& b) {
  int left = std::max(x, b.x);
  int right = std::min(x + w, b.x + b.w);
  int top = std::max(y, b.y);
  int bottom = std::min(y + h, b.y + b.h);
  if (right >= left && bottom >= top) return (right - left) * (bottom - top);
  return 0;
}

void freespace_rects(const std::vector<WndRect>& others, int w, int h, int sw, int sh_lw, int* bx, int* by) {
  long best = -1;
  int rx = 0, ry = 0;
  for (const WndRect& a : others) {
    // Candidates: the corner of A, right of A, below A and diagonally beyond,
    // pulled back inside the screen. Steps of at least 1 keep the loops finite.
    const int step_x = std::max(1, a.w);
    const int step_y = std::max(1, a.h);
    for (int cx = a.x; cx <= a.x + a.w; cx += step_x) {
      if (cx + w > sw) cx = sw - w;
      for (int cy = a.y; cy <= a.y + a.h; cy += step_y) {
        if (cy + h > sh_lw) cy = sh_lw - h;
        long sum = 0;
        for (const WndRect& b : others) sum += overlap_rect(cx, cy, w, h, b);
        if (best < 0 || sum < best) {
          best = sum;
          rx = cx;
          ry = cy;
        }
        if (cy == sh_lw - h) break;
      }
      if (cx == sw - w) break;
    }
  }
  *bx = rx;
  *by = ry;
}

bool place_position(int mode, int x, int y, const WndRect& self, int sw, int sh_lw, const WndRect& first,
                    const std::vector<WndRect>& others, int* px, int* py) {
  switch (mode) {
    case 1:
    case 5:
      *px = x;
      *py = y;
      return true;
    case 2:
      *px = (sw - self.w) / 2 + x;
      *py = (sh_lw - self.h) / 2 + y;
      return true;
    case 3:
      freespace_rects(others, self.w, self.h, sw, sh_lw, px, py);
      return true;
    case 4:
      *px = x + first.x;
      *py = y + first.y;
      return true;
    case 6:
      *px = sw - self.w + x;
      *py = y;
      return true;
    case 7:
      *px = x;
      *py = sh_lw - self.h + y;
      return true;
    case 8:
      *px = sw - self.w + x;
      *py = sh_lw - self.h + y;
      return true;
    default:
      return false;
  }
}

void window_get_root_size_lw(GdkWindow* gdk_window, int* w, int* h) {
  int ow = 0, oh = 0;
  window_get_root_size(gdk_window, &ow, &oh);
  if (w != nullptr) *w = ow + kPlaceExtraW;
  if (h != nullptr) *h = oh + kPlaceExtraH;
}

int gdk_screen_height_lw() {
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  return gdk_screen_height() + kScreenExtraH;
  G_GNUC_END_IGNORE_DEPRECATIONS
}

int overlap_wndarea(int x, int y, int w, int h, GtkWidget* window) {
  WndRect b;
  if (!window_rect(window, &b)) return 0;
  return overlap_rect(x, y, w, h, b);
}

void freespace(GtkWidget* window, int* x, int* y) {
  WndRect self;
  int bx = 0, by = 0;
  if (window_rect(window, &self)) {
    freespace_rects(other_rects(window), self.w, self.h, screen_width(), gdk_screen_height_lw(), &bx, &by);
  }
  if (x != nullptr) *x = bx;
  if (y != nullptr) *y = by;
}

void place_window(GtkWidget* window, int x, int y, int mode) {
  if (window == nullptr || mode <= kPlaceDefault || mode > kPlaceMax) return;
  if (!gtk_widget_get_realized(window)) gtk_widget_realize(window);
  WndRect self;
  if (!window_rect(window, &self)) return;
  WndRect first;
  window_rect(First_window(window), &first);
  int px = 0, py = 0;
  if (place_position(mode, x, y, self, screen_width(), gdk_screen_height_lw(), first,
                     mode == kPlaceSmart ? other_rects(window) : std::vector<WndRect>{}, &px, &py)) {
    gtk_window_move(GTK_WINDOW(window), px, py);
  }
}

// ---------------------------------------------------------------- dialogs
namespace {

int g_dialog_ret = 0;

// One modal dialog: its own loop, so closing it ends exactly this wait.
struct DialogState {
  GMainLoop* loop = nullptr;
  int ret = 0;
};

void on_dialog_destroy(GtkWidget* window, gpointer) {
  auto* st = static_cast<DialogState*>(g_object_get_data(G_OBJECT(window), kKeyDialog));
  if (st == nullptr) return;
  g_object_set_data(G_OBJECT(window), kKeyDialog, nullptr);
  gtk_grab_remove(window);
  // Closed by the window manager: no button, the answer is 0.
  g_dialog_ret = st->ret;
  g_main_loop_quit(st->loop);
}

void dialog_button_cb(GtkWidget* button, const char*) { Close_Dialog(button); }

// Builds, shows and runs a modal dialog; returns the pressed button's number.
int run_dialog(const char* title, const std::string& text, const std::vector<std::string>& buttons) {
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  if (title != nullptr) gtk_window_set_title(GTK_WINDOW(window), title);
  gtk_window_set_modal(GTK_WINDOW(window), TRUE);
  GtkWidget* label = gtk_label_new(text.c_str());
  gtk_widget_show(label);
  GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, buttons.size() > 1 ? kChoiceSpacing : 0);
  gtk_box_set_homogeneous(GTK_BOX(row), TRUE);
  GtkWidget* first = nullptr;
  for (size_t i = 0; i < buttons.size(); ++i) {
    GtkWidget* b = Create_Button(buttons[i].c_str(), dialog_button_cb);
    g_object_set_data(G_OBJECT(b), kKeyDialogRet, GINT_TO_POINTER(static_cast<int>(i) + 1));
    gtk_box_pack_start(GTK_BOX(row), b, TRUE, TRUE, buttons.size() > 1 ? 1 : 0);
    if (first == nullptr) first = b;
  }
  gtk_widget_show(row);
  GtkWidget* col = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  gtk_box_pack_start(GTK_BOX(col), label, TRUE, TRUE, kDialogPadding);
  gtk_box_pack_start(GTK_BOX(col), row, FALSE, TRUE, 0);
  gtk_widget_set_margin_start(label, kDialogPadding);
  gtk_widget_set_margin_end(label, kDialogPadding);
  gtk_widget_show(col);
  gtk_container_add(GTK_CONTAINER(window), col);
  if (first != nullptr) {
    gtk_widget_set_can_default(first, TRUE);
    gtk_widget_grab_default(first);
    gtk_widget_grab_focus(first);
  }

  DialogState st;
  st.loop = g_main_loop_new(nullptr, FALSE);
  g_object_set_data(G_OBJECT(window), kKeyDialog, &st);
  g_signal_connect(window, "destroy", G_CALLBACK(on_dialog_destroy), nullptr);
  gtk_widget_show(window);
  place_window(window, 0, 0, kPlaceCenter);
  gtk_grab_add(window);
  g_main_loop_run(st.loop);
  g_main_loop_unref(st.loop);
  return st.ret;
}

std::string vformat(size_t max_chars, const char* format, va_list ap) {
  if (format == nullptr) return {};
  std::vector<char> buf(max_chars + 1);
  std::vsnprintf(buf.data(), buf.size(), format, ap);
  return buf.data();
}

}  // namespace

void Close_Dialog(GtkWidget* button) {
  GtkWidget* window = gtk_widget_get_toplevel(button);
  auto* st = static_cast<DialogState*>(g_object_get_data(G_OBJECT(window), kKeyDialog));
  if (st != nullptr) st->ret = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), kKeyDialogRet));
  gtk_widget_destroy(window);  // the destroy handler releases the grab and ends the wait
}

int Get_Dialog_Ret() { return g_dialog_ret; }

void Create_Message(const char* title, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(kMessageMax, format, ap);
  va_end(ap);
  run_dialog(title, text, {"Dismiss"});
}

int Create_Choicev(const char* title, const std::vector<const char*>& labels, const std::string& text) {
  std::vector<std::string> buttons;
  for (const char* l : labels) {
    if (buttons.size() == static_cast<size_t>(kChoiceButtonsMax)) break;
    buttons.emplace_back(l != nullptr ? l : "");
  }
  return run_dialog(title, text, buttons);
}

int Create_Choice(const char* title, const std::vector<const char*>& labels, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::string text = vformat(kChoiceMax, format, ap);
  va_end(ap);
  return Create_Choicev(title, labels, text);
}

GtkWidget* Create_Text(const char* id, int editable) {
  GtkWidget* text = gtk_text_view_new();
  gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(text), GTK_WRAP_WORD);
  gtk_text_view_set_editable(GTK_TEXT_VIEW(text), editable ? TRUE : FALSE);
  gtk_text_view_set_cursor_visible(GTK_TEXT_VIEW(text), editable ? TRUE : FALSE);
  if (id != nullptr) g_object_set_data_full(G_OBJECT(text), kKeyId, g_strdup(id), g_free);
  GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
  gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  gtk_container_add(GTK_CONTAINER(scrolled), text);
  gtk_widget_show(text);
  gtk_widget_show(scrolled);
  return text;
}

namespace {
struct InfoReload {
  void (*cb)(GtkWidget*, const char*);
};
void info_dismiss(GtkWidget* button, const char*) { Close_Info(button); }
void info_reload(GtkWidget* button, const char* id) {
  auto* r = static_cast<InfoReload*>(g_object_get_data(G_OBJECT(button), "lumo_reload"));
  if (r != nullptr && r->cb != nullptr) r->cb(button, id);
}
}  // namespace

GtkWidget* Create_Info(GtkWidget* widget, const char* title, int width, int height,
                       void (*reload_cb)(GtkWidget*, const char*), GtkWidget* extra) {
  GtkWidget* window = Create_Window(Find_Parent_Window(widget), width, height, title, nullptr);
  if (window == nullptr) return nullptr;
  GtkWidget* text = Create_Text(nullptr, 0);
  GtkWidget* dismiss = Create_Button("Dismiss", info_dismiss);
  GtkWidget* row;
  if (reload_cb != nullptr) {
    GtkWidget* reload = Create_Button("Reload", info_reload);
    g_object_set_data_full(G_OBJECT(reload), "lumo_reload", new InfoReload{reload_cb},
                           [](gpointer p) { delete static_cast<InfoReload*>(p); });
    row = SPack(nullptr, "h", dismiss, "ef5", reload, "ef5", extra, "ef5", nullptr);
  } else {
    row = SPack(nullptr, "h", dismiss, "ef5", nullptr);
  }
  GtkWidget* col = Pack(nullptr, 'v', text, kInfoPadding, row, kInfoPadding, nullptr);
  gtk_container_add(GTK_CONTAINER(window), col);
  gtk_widget_show(window);
  return text;
}

void Close_Info(GtkWidget* widget) { Close_Window(widget); }

void Clear_Text(GtkWidget* text) {
  if (text == nullptr || !GTK_IS_TEXT_VIEW(text)) return;
  gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(text)), "", 0);
}

namespace {
int g_text_font_size = 0;  // fixed by the first Add_Text of the run
}

void Add_Text(GtkWidget* text, int font_size, const char* format, ...) {
  if (text == nullptr || !GTK_IS_TEXT_VIEW(text)) return;
  va_list ap;
  va_start(ap, format);
  std::string s = vformat(kTextMax, format, ap);
  va_end(ap);
  if (g_text_font_size == 0) g_text_font_size = font_size > 0 ? font_size : 120;
  GtkTextBuffer* buf = gtk_text_view_get_buffer(GTK_TEXT_VIEW(text));
  GtkTextTag* tag = gtk_text_tag_table_lookup(gtk_text_buffer_get_tag_table(buf), "lumo_text");
  if (tag == nullptr) {
    PangoFontDescription* font = get_font(g_text_font_size);
    tag = gtk_text_buffer_create_tag(buf, "lumo_text", "foreground", "black", "font-desc", font, nullptr);
    pango_font_description_free(font);
  }
  GtkTextIter it;
  gtk_text_buffer_get_iter_at_mark(buf, &it, gtk_text_buffer_get_insert(buf));
  gtk_text_buffer_insert_with_tags(buf, &it, s.c_str(), -1, tag, nullptr);
}

GtkWidget* Create_Oneliner(const char* label, const char* text) {
  if (text == nullptr) return nullptr;
  GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window), "Ladende...");
  GtkWidget* entry = Create_Entry(label != nullptr ? label : "!", nullptr, "%s", text);
  gtk_container_add(GTK_CONTAINER(window), entry);
  gtk_widget_show(window);
  return window;
}

// ---------------------------------------------------------------- progress
namespace {

// Set when a progress window was closed by the operator; further updates
// then stop the operation until the next Create_Progress.
int g_aborted = 0;
// Bars whose window still exists: an update after the operator closed the
// window must not touch the freed bar.
std::set<GtkWidget*> g_live_bars;

void bar_destroyed(GtkWidget* bar, gpointer) { g_live_bars.erase(bar); }

PROGRESS_INFO* progress_record(GtkWidget* bar) {
  if (bar == nullptr || g_live_bars.count(bar) == 0) return nullptr;
  GtkWidget* win = gtk_widget_get_toplevel(bar);
  if (win == nullptr) return nullptr;
  return static_cast<PROGRESS_INFO*>(g_object_get_data(G_OBJECT(win), kKeyProgress));
}

void cancel_cb(GtkWidget* button, const char*) { Cancel_Progress(button); }

void drain_events() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

}  // namespace

std::string progress_remaining_text(long elapsed, int percent) {
  if (percent <= 0) return {};
  long remaining = elapsed * (100 - percent) / percent;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%ld:%02ld", remaining / 60, remaining % 60);
  return buf;
}

GtkWidget* Create_Progress(GtkWidget* parent, const char* title, int with_cancel) {
  GtkWidget* window = Create_Window(parent, 0, 0, title, Abort_Progress);
  if (window == nullptr) return nullptr;
  auto* rec = new (std::nothrow) PROGRESS_INFO{};
  if (rec == nullptr) {
    gtk_widget_destroy(window);
    return nullptr;
  }
  g_object_set_data(G_OBJECT(window), kKeyProgress, rec);
  GtkWidget* bar = gtk_progress_bar_new();
  gtk_widget_show(bar);
  g_object_set_data(G_OBJECT(window), kKeyProgressBar, bar);
  g_live_bars.insert(bar);
  g_signal_connect(bar, "destroy", G_CALLBACK(bar_destroyed), nullptr);
  GtkWidget* col = with_cancel
                       ? SPack(nullptr, "v", bar, "ef10", Create_Button("Cancel", cancel_cb), "10", nullptr)
                       : SPack(nullptr, "v", bar, "ef10", nullptr);
  gtk_container_add(GTK_CONTAINER(window), col);
  gtk_widget_show(window);
  place_window(window, 0, 0, kPlaceCenter);
  g_aborted = 0;
  rec->last_percent = -1;
  rec->cancelled = 0;
  rec->start = std::time(nullptr);
  return bar;
}

int Get_Progress_state(GtkWidget* bar) {
  PROGRESS_INFO* rec = progress_record(bar);
  return rec == nullptr || rec->cancelled != 0;
}

int Update_Progress(GtkWidget* bar, int done, int total) {
  if (g_aborted || bar == nullptr) return 1;
  if (Get_Progress_state(bar)) return 1;
  PROGRESS_INFO* rec = progress_record(bar);
  if (rec == nullptr) return 1;
  float fraction = 0;
  if (total > 0) {
    fraction = std::clamp(static_cast<float>(done) / static_cast<float>(total), 0.0f, 1.0f);
  } else {
    rec->last_percent = -1;
    rec->cancelled = 0;
    if (total == 0) rec->start = std::time(nullptr);
  }
  int percent = static_cast<int>(fraction * 100);
  if (percent == rec->last_percent) return rec->cancelled;
  rec->last_percent = percent;
  gtk_progress_bar_set_fraction(GTK_PROGRESS_BAR(bar), fraction);
  long elapsed = static_cast<long>(std::time(nullptr) - rec->start);
  if (total > 0 && elapsed > kProgressEtaAfter && percent > 0) {
    gtk_window_set_title(GTK_WINDOW(gtk_widget_get_toplevel(bar)),
                         progress_remaining_text(elapsed, percent).c_str());
  }
  drain_events();
  // The operator may have closed the window meanwhile.
  rec = progress_record(bar);
  if (g_aborted || rec == nullptr) return 1;
  return rec->cancelled;
}

void Cancel_Progress(GtkWidget* button) {
  if (button == nullptr) return;
  GtkWidget* win = gtk_widget_get_toplevel(button);
  auto* rec = static_cast<PROGRESS_INFO*>(g_object_get_data(G_OBJECT(win), kKeyProgress));
  if (rec != nullptr) rec->cancelled = 1;
}

void Abort_Progress(GtkWidget* window) {
  auto* rec = static_cast<PROGRESS_INFO*>(g_object_get_data(G_OBJECT(window), kKeyProgress));
  if (rec != nullptr) {
    if (!rec->cancelled && !rec->closing) g_aborted = 1;
    g_object_set_data(G_OBJECT(window), kKeyProgress, nullptr);
    delete rec;
  }
  destroy_window(window);
}

void Close_Progress(GtkWidget* bar) {
  if (g_aborted) return;
  PROGRESS_INFO* rec = progress_record(bar);
  if (rec == nullptr) return;
  rec->closing = 1;  // closed by the program: not an abort by the operator
  gtk_widget_destroy(gtk_widget_get_toplevel(bar));
}

}  // namespace kelo
