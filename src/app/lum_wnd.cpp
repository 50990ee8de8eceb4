// The "Luminance" window. The thresholds, the plot and the level under a
// click come from the core (core/view/lumi); the window shows them and
// turns the operator's clicks and fields into calls of it.
#include "app/lum_wnd.h"

#include <algorithm>
#include <cstring>

#include "app/main_wnd.h"
#include "core/view/lumi.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/canvas.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr int kLumWidth = 260, kLumHeight = 200;
constexpr int kAmplMax = 512;
constexpr const char* kLumState = "kelo_lum_state";
// The plot's vertical amplification lasts for the program's life: it hangs
// on the main window.
constexpr const char* kLumZoom = "kelo_lumzoom";

// The window's state: the luminance window before the first change (for
// "Restore"), and its place among the main window's followers.
class LumWindow : public WindowFollower {
 public:
  LumWindow(MainWindow* mw, GtkWidget* window) : mw_(mw), window_(window) { mw_->add_follower(this); }
  ~LumWindow() override {
    // The main window object may be gone already (it clears its link first).
    if (main_window_of(window_) == mw_) mw_->remove_follower(this);
  }
  LumWindow(const LumWindow&) = delete;
  LumWindow& operator=(const LumWindow&) = delete;

  void pass_done() override { Update_Lum(window_); }
  void picture_changed() override { Update_Lum(window_); }

  bool start = true;
  int pre_lmin = 0, pre_lmax = 0;
  GtkWidget* area = nullptr;

 private:
  MainWindow* mw_;
  GtkWidget* window_;
};

LumWindow* state_of(GtkWidget* window) {
  return window != nullptr ? static_cast<LumWindow*>(g_object_get_data(G_OBJECT(window), kLumState))
                           : nullptr;
}

int lumzoom_of(MainWindow* mw) {
  return std::max(1, GPOINTER_TO_INT(g_object_get_data(G_OBJECT(mw->window()), kLumZoom)));
}
void set_lumzoom(MainWindow* mw, int z) {
  g_object_set_data(G_OBJECT(mw->window()), kLumZoom, GINT_TO_POINTER(std::clamp(z, 1, kAmplMax)));
}

int top_level(const PIC_INFO* pic) { return std::max(pic->lut_size - 1, 0); }

void field_changed(GtkAdjustment* adj, const char* id) {
  lum_commands(static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(adj), kKeyAdj)), id);
}

gboolean lum_key(GtkWidget* window, GdkEventKey* event, gpointer) {
  if (event != nullptr && (event->keyval & 0xffu) == 0x0d) lum_commands(window, "Return");
  return FALSE;
}

gboolean configure_event_lum(GtkWidget* area, GdkEventConfigure*, gpointer) {
  Renew_RGBBuf(area);
  Update_Lum(area);
  return TRUE;
}

// A press or a drag with button 1 moves the nearer of Lmin and Lmax to the
// level under the pointer; the picture waits for Return or "Redraw".
void mouse_lum_actions(GtkWidget* area, int x, unsigned state) {
  MainWindow* mw = main_window_of(area);
  if (mw == nullptr || !mw->has_picture()) return;
  lum_commands(area, nullptr);  // the first change keeps the window to restore
  if ((state & GDK_BUTTON1_MASK) == 0) return;
  const int level = lum_click_level(x, gtk_widget_get_allocated_width(area), mw->pic()->lut_size);
  lum_click(mw->view(), level);
  Update_Lum(area);
}

gboolean lum_button(GtkWidget* area, GdkEventButton* event, gpointer) {
  if (event == nullptr || event->type != GDK_BUTTON_PRESS) return TRUE;
  unsigned state = event->state;
  if (event->button == 1) state |= GDK_BUTTON1_MASK;
  mouse_lum_actions(area, static_cast<int>(event->x), state);
  return TRUE;
}

gboolean lum_motion(GtkWidget* area, GdkEventMotion* event, gpointer) {
  if (event != nullptr) mouse_lum_actions(area, static_cast<int>(event->x), event->state);
  return TRUE;
}

void lum_destroyed(GtkWidget* window) {
  // The window manager's close acts as " Close ": the next opening keeps a
  // new window to restore (the state goes with the window).
  g_object_set_data(G_OBJECT(window), kLumState, nullptr);
  destroy_window(window);
}

}  // namespace

void Menu_Lummap(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr) return;
  GtkWidget* w = Create_Window(mw->window(), kLumWidth, kLumHeight, kLumTitle, lum_destroyed);
  if (w == nullptr) return;  // open already: raised
  auto* st = new LumWindow(mw, w);
  g_object_set_data_full(G_OBJECT(w), kLumState, st, [](gpointer p) { delete static_cast<LumWindow*>(p); });
  // Gone with the main window: nothing outlives the picture it shows.
  g_signal_connect_object(mw->window(), "destroy", G_CALLBACK(gtk_widget_destroy), w, G_CONNECT_SWAPPED);

  const VIEW_INFO* view = mw->view();
  const int top = top_level(mw->pic());
  GtkWidget* plot = Create_Drawable(0, 0, configure_event_lum, lum_button, lum_motion);
  st->area = canvas_drawing_area(plot);
  GtkWidget* fields =
      Pack(nullptr, 'h', Create_Spin("Lmin", field_changed, "%3d%d%d", view->lmin, 0, top), 3,
           Create_Spin("Lmax", field_changed, "%3d%d%d", view->lmax, 0, top), 3,
           Create_Spin("Ampl", field_changed, "%2d%d%d", lumzoom_of(mw), 1, kAmplMax), 0, nullptr);
  GtkWidget* buttons =
      Pack(nullptr, 'H', Create_Button("Redraw", lum_commands), 2, Create_Button("Lum thr.", lum_commands), 2,
           Create_Button("Restore", lum_commands), 2, Create_Button(" Close ", lum_commands), 0, nullptr);
  gtk_container_add(GTK_CONTAINER(w), SPack(nullptr, "v", plot, "ef", fields, "", buttons, "", nullptr));
  g_signal_connect(w, "key-press-event", G_CALLBACK(lum_key), nullptr);
  place_window(w, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
  gtk_widget_show_all(w);
  Update_Lum(w);
}

void Menu_Lumthr(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || !mw->has_picture()) return;
  calc_lum_thresholds(mw->view(), mw->pic()->lut_size);
  Update_Lum(mw->window());
  mw->request_redraw();
}

void lum_commands(GtkWidget* widget, const char* id) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->quiet()) return;
  GtkWidget* lw = Find_Window(mw->window(), kLumTitle);
  LumWindow* st = state_of(lw);
  if (st == nullptr) return;
  VIEW_INFO* view = mw->view();
  if (st->start) {
    st->pre_lmin = view->lmin;
    st->pre_lmax = view->lmax;
    st->start = false;
  }
  if (id == nullptr) return;
  const auto is = [id](const char* label) { return std::strcmp(id, label) == 0; };
  if (is("Return")) {
    Update_Lum(lw);
    mw->request_redraw();
  } else if (is("Redraw")) {
    mw->request_redraw();
  } else if (is("Lum thr.")) {
    if (mw->has_picture()) calc_lum_thresholds(view, mw->pic()->lut_size);
    Update_Lum(lw);
    mw->request_redraw();
  } else if (is("Restore")) {
    view->lmin = st->pre_lmin;
    view->lmax = st->pre_lmax;
    Update_Lum(lw);
    mw->request_redraw();
  } else if (is("Lmin") || is("Lmax")) {
    (is("Lmin") ? view->lmin : view->lmax) = static_cast<int>(Get_Adjust(lw, id));
    Update_Lum(lw);
  } else if (is("Ampl")) {
    set_lumzoom(mw, static_cast<int>(Get_Adjust(lw, id)));
    Update_Lum(lw);
  } else if (is(" Close ")) {
    gtk_widget_destroy(lw);
  }
}

void Update_Lum(GtkWidget* widget) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->window() == nullptr) return;
  GtkWidget* lw = Find_Window(mw->window(), kLumTitle);
  LumWindow* st = state_of(lw);
  if (st == nullptr) return;
  VIEW_INFO* view = mw->view();
  if (DRAWABLE_INFO* plot = st->area != nullptr ? Get_RGBI(st->area) : nullptr) {
    if (!plot->rgb_buf.empty()) {
      int z = lumzoom_of(mw);
      if (!mw->has_picture() || draw_stat(plot, mw->pic(), view, &z) == 0)
        std::fill(plot->rgb_buf.begin(), plot->rgb_buf.end(), uint8_t{0});
      Refresh_Rect(st->area, 0, 0, plot->width, plot->height);
    }
  }
  lum_normalise(view);
  // Bounds of the picture open now first, then the values: a 10-bit
  // window is never clamped by the range of the 8-bit picture before.
  MainWindow::Quiet quiet(mw);
  const int top = mw->has_picture() ? top_level(mw->pic()) : std::max(view->lmax, 0);
  for (const char* id : {"Lmin", "Lmax"}) Set_Adjustbnd(lw, id, "%d%d", 0, std::max(top, view->lmax));
  Set_Adjust(lw, "Lmin", "%d", view->lmin);
  Set_Adjust(lw, "Lmax", "%d", view->lmax);
  Set_Adjust(lw, "Ampl", "%d", lumzoom_of(mw));
}

}  // namespace kelo
