#include "app/port_test_wnd.h"

#include <cstring>
#include <vector>

#include "app/main_wnd.h"
#include "core/record/parsig_plot.h"
#include "core/record/pp_dec_interf.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/canvas.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kKeyPortTest = "kelo_port_test";
constexpr int kTestW = 640, kTestH = 280;
constexpr guint kContReadMs = 1000;
constexpr int kZoomMax = 500;
constexpr int kOffsetStep = 100, kOffsetMax = 10000;
constexpr int kPreStep = 100, kPreMin = 100, kPreMax = 100000;
constexpr const char* kIdCont = "Cont. Read";
constexpr const char* kIdCount = "!teller";

// The window's state: plot settings, the traces of the last acquisition,
// the reads done and the continuous-read timer. Freed with the window.
struct PortTest {
  MainWindow* mw = nullptr;
  GtkWidget* window = nullptr;
  guint timer = 0;
  int time_zoom = 1;         // samples per plotted step divisor ("Zoom time")
  int offset = 0;            // first sample shown ("Offset time")
  int time_pre = kPreMin;    // samples discarded before storing ("Pre time"), as the field shows
  int bitsplit = 1;          // eight data bit traces
  int cnt = 0;               // acquisitions, shown in "!teller"
  bool port_failed = false;  // the port could not be read: said once
  std::vector<ParSignal> sigs;

  void stop_timer() {
    if (timer != 0) g_source_remove(timer);
    timer = 0;
  }
  ~PortTest() { stop_timer(); }
};

PortTest* state_of(GtkWidget* widget) {
  if (widget == nullptr) return nullptr;
  GtkWidget* top = gtk_widget_get_toplevel(widget);
  auto* t = top != nullptr ? static_cast<PortTest*>(g_object_get_data(G_OBJECT(top), kKeyPortTest)) : nullptr;
  if (t != nullptr) return t;
  // From the main window: its "Test" window.
  GtkWidget* w = Find_Window(widget, kPortTestTitle);
  return w != nullptr ? static_cast<PortTest*>(g_object_get_data(G_OBJECT(w), kKeyPortTest)) : nullptr;
}

gboolean on_timer(gpointer data) {
  auto* t = static_cast<PortTest*>(data);
  return draw_pportpins(t->window) != 0 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
}

// Replots the stored traces on a renewed canvas (no new acquisition).
void replot(PortTest* t) {
  GtkWidget* area = Find_Widget(t->window, "GTK_DRAWING_AREA");
  if (area == nullptr) return;
  Renew_RGBBuf(area);
  draw_parsigs(Get_RGBI(area), t->sigs, kParSamples / t->time_zoom, t->offset);
  gtk_widget_queue_draw(area);
}

void spin_command(GtkWidget* control, const char* id) { test_commands(control, id); }

void test_destroyed(GtkWidget* window) {
  // The window manager's close does what "Exit" does: the timer goes (the
  // state, freed with the window, removes it) and the traces with it.
  if (auto* t = static_cast<PortTest*>(g_object_get_data(G_OBJECT(window), kKeyPortTest))) t->stop_timer();
  destroy_window(window);
}

}  // namespace

void Menu_Test(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->window() == nullptr || mw->recording()) return;
  RECORD_INFO* rec = mw->record();
  if (Open_HWConnect(mw->session(), rec) == 0) {
    Create_Message("Error", "Can't access \nParallel port with address %x !", rec->port_address);
    return;
  }
  Close_HWConnect(mw->session(), rec);
  GtkWidget* w = Create_Window(mw->window(), kTestW, kTestH, kPortTestTitle, test_destroyed);
  if (w == nullptr) return;  // open already: raised
  auto* t = new PortTest;
  t->mw = mw;
  t->window = w;
  g_object_set_data_full(G_OBJECT(w), kKeyPortTest, t, [](gpointer p) { delete static_cast<PortTest*>(p); });
  GtkWidget* canvas = Create_Drawable(0, 0, configure_event_test, nullptr, nullptr);
  GtkWidget* controls =
      Pack(nullptr, 'h', Create_Button("Exit", test_commands), 0, Create_Button("1x Read", test_commands), 0,
           Create_Toggle(kIdCont, test_commands, 0), 0, Create_Entry(kIdCount, nullptr, "%s", "    "), 0,
           Create_SpinListW("Zoom time", spin_command, "%d%d%d", {1, 1, kZoomMax}), 0,
           Create_SpinListW("Offset time", spin_command, "%d%d%d%d", {kOffsetStep, 0, 0, kOffsetMax}), 0,
           Create_SpinListW("Pre time", spin_command, "%d%d%d%d", {kPreStep, kPreMin, kPreMin, kPreMax}), 0,
           nullptr);
  gtk_container_add(GTK_CONTAINER(w), Pack(nullptr, 'v', canvas, 1, controls, 0, nullptr));
  const PREFS& p = mw->prefs();
  gtk_widget_show_all(w);
  gtk_widget_realize(w);
  place_window(w, p.sub_x, p.sub_y, p.sub_wnd_mode);
}

void test_commands(GtkWidget* widget, const char* id) {
  PortTest* t = state_of(widget);
  if (t == nullptr || id == nullptr) return;
  if (std::strcmp(id, "1x Read") == 0) {
    t->stop_timer();
    Set_Local_Button(t->window, kIdCont, 0);  // off without its command
    draw_pportpins(t->window);
  } else if (std::strcmp(id, kIdCont) == 0) {
    Update_Togglelabel(widget);
    const bool on = Get_Button(t->window, kIdCont) != 0;
    t->stop_timer();
    if (on) t->timer = g_timeout_add(kContReadMs, on_timer, t);
    draw_pportpins(t->window);
  } else if (std::strcmp(id, "Zoom time") == 0) {
    t->time_zoom = static_cast<int>(Get_Adjustc(widget));
    if (t->time_zoom < 1) t->time_zoom = 1;
    replot(t);
  } else if (std::strcmp(id, "Offset time") == 0) {
    t->offset = static_cast<int>(Get_Adjustc(widget));
    replot(t);
  } else if (std::strcmp(id, "Pre time") == 0) {
    t->time_pre = static_cast<int>(Get_Adjustc(widget));
  } else if (std::strcmp(id, "Exit") == 0) {
    gtk_widget_destroy(t->window);
  }
}

int draw_pportpins(GtkWidget* widget) {
  PortTest* t = state_of(widget);
  if (t == nullptr) return 0;
  // A recording owns the decoder's words: the test waits for its end.
  if (t->mw->recording()) return 1;
  if (t->time_zoom < 1) t->time_zoom = 1;
  if (t->time_pre < 1) t->time_pre = 1;
  GtkWidget* area = Find_Widget(t->window, "GTK_DRAWING_AREA");
  if (area == nullptr) return 1;
  Renew_RGBBuf(area);
  std::vector<uint16_t> samples;
  if (read_parsigs(t->mw->session(), t->mw->record(), &samples, kParSamples, t->time_pre) != 0) {
    t->port_failed = false;
    t->sigs = split_parsigs(samples, t->bitsplit);
    draw_parsigs(Get_RGBI(area), t->sigs, kParSamples / t->time_zoom, t->offset);
  } else if (!t->port_failed) {
    // Said once, not every second of a continuous read.
    t->port_failed = true;
    Create_Message("Error", "Can't access \nParallel port with address %x !", t->mw->record()->port_address);
  }
  gtk_widget_queue_draw(area);
  Set_Entry(t->window, kIdCount, "%d", ++t->cnt);
  return 1;
}

gboolean configure_event_test(GtkWidget* area, GdkEventConfigure*, gpointer) {
  Renew_RGBBuf(area);
  draw_pportpins(area);
  return TRUE;
}

guint port_test_timer(GtkWidget* widget) {
  PortTest* t = state_of(widget);
  return t != nullptr ? t->timer : 0;
}

}  // namespace kelo
