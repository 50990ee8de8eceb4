// The "Zoom" window: the six zoom values as numeric fields. Changing a
// field changes the view; Return or "Redraw" draws it, "Restore" goes back
// to the values before the first change.
#include "app/zoom_wnd.h"

#include <algorithm>
#include <cstring>

#include "app/main_wnd.h"
#include "core/base/prefer.h"
#include "core/view/zoom.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kZoomTitle = "Zoom";
// Field ranges; a value of the view outside them widens the range so it is
// shown as it is, never clamped into an edit.
constexpr double kZoomMin = 1.0, kZoomMax = 1000.0;
constexpr double kScaleMin = 0.1, kScaleMax = 100.0;
constexpr const char* kFactorFormat = "%10.4f%f%f";
constexpr const char* kOriginFormat = "%6d%d%d";

void field_changed(GtkAdjustment* adj, const char* id) {
  zoom_valcmds(static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(adj), kKeyAdj)), id);
}

gboolean zoom_wnd_key(GtkWidget* window, GdkEventKey* event, gpointer) {
  if (event != nullptr && (event->keyval & 0xffu) == 0x0d) zoom_valcmds(window, "Return");
  return FALSE;  // the field still takes its Return
}

void zoom_destroyed(GtkWidget* window) {
  // The window manager's close acts as " Close ".
  if (MainWindow* mw = main_window_of(window)) mw->zoom_wnd().start = true;
  destroy_window(window);
}

bool is_field(const char* id) {
  for (const char* f : {"Zx", "Zy", "Ox", "Oy", "Dx", "Dy"})
    if (std::strcmp(id, f) == 0) return true;
  return false;
}

}  // namespace

void Menu_Zoom(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || !mw->has_picture()) return;
  GtkWidget* w = Create_Window(mw->window(), 0, 0, kZoomTitle, zoom_destroyed);
  if (w == nullptr) return;  // open already: raised
  const ZOOM& z = mw->view()->zoom;
  const int wmax = std::max(mw->pic()->width - 1, 0);
  const int hmax = std::max(mw->pic()->height - 1, 0);
  GtkWidget* zx = Create_Spin("Zx", field_changed, kFactorFormat, z.zx, kZoomMin, kZoomMax);
  GtkWidget* zy = Create_Spin("Zy", field_changed, kFactorFormat, z.zy, kZoomMin, kZoomMax);
  GtkWidget* ox = Create_Spin("Ox", field_changed, kOriginFormat, z.ox, 0, wmax);
  GtkWidget* oy = Create_Spin("Oy", field_changed, kOriginFormat, z.oy, 0, hmax);
  GtkWidget* dx = Create_Spin("Dx", field_changed, kFactorFormat, z.dx, kScaleMin, kScaleMax);
  GtkWidget* dy = Create_Spin("Dy", field_changed, kFactorFormat, z.dy, kScaleMin, kScaleMax);
  GtkWidget* fields = Pack(nullptr, 'h', Pack(nullptr, 'v', zx, 0, zy, 0, nullptr), 3,
                           Pack(nullptr, 'v', ox, 0, oy, 0, nullptr), 3,
                           Pack(nullptr, 'v', dx, 0, dy, 0, nullptr), 0, nullptr);
  GtkWidget* buttons =
      Pack(nullptr, 'H', Create_Button(" Close ", zoom_valcmds), 3, Create_Button("Restore", zoom_valcmds), 3,
           Create_Button("Redraw", zoom_valcmds), 0, nullptr);
  gtk_container_add(GTK_CONTAINER(w), Pack(nullptr, 'v', fields, 3, buttons, 0, nullptr));
  g_signal_connect(w, "key-press-event", G_CALLBACK(zoom_wnd_key), nullptr);
  mw->zoom_wnd() = ZoomWndState{};
  Update_Zoom(mw->window());
  place_window(w, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
  gtk_widget_show_all(w);
}

void zoom_valcmds(GtkWidget* widget, const char* id) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->quiet() || id == nullptr) return;
  VIEW_INFO* view = mw->view();
  ZoomWndState& st = mw->zoom_wnd();
  if (st.start) {
    st.pre = view->zoom;
    st.updated = false;
    st.start = false;
  }
  GtkWidget* zw = Find_Window(mw->window(), kZoomTitle);
  if (is_field(id)) {
    const DRAWABLE_INFO* c = mw->canvas();
    const double value = Get_Adjust(zw, id);
    zoom_field(view, mw->pic(), c != nullptr ? c->width : 0, c != nullptr ? c->height : 0, id, value);
    // A factor and its screen scale go together: show the partner.
    if (id[0] == 'Z' || id[0] == 'D') Update_Zoom(mw->window());
  } else if (std::strcmp(id, "Return") == 0) {
    mw->request_redraw();
    st.updated = true;
  } else if (std::strcmp(id, "Redraw") == 0) {
    Update_Zoom(mw->window());
    mw->request_redraw();
    st.updated = true;
  } else if (std::strcmp(id, " Close ") == 0) {
    st.start = true;
    Update_Zoom(mw->window());
    if (zw != nullptr) gtk_widget_destroy(zw);
  } else if (std::strcmp(id, "Restore") == 0) {
    view->zoom = st.pre;
    st.start = true;
    if (st.updated) mw->request_redraw();
    Update_Zoom(mw->window());
  }
}

void Update_Zoom(GtkWidget* widget) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->window() == nullptr) return;
  GtkWidget* zw = Find_Window(mw->window(), kZoomTitle);
  if (zw == nullptr) return;
  MainWindow::Quiet quiet(mw);
  const ZOOM& z = mw->view()->zoom;
  auto set = [zw](const char* id, const char* format, double lo, double hi, double value) {
    // Bounds first, then the value: the value the program shows is never
    // clamped by an older range.
    Set_Adjustbnd(zw, id, format, std::min(lo, value), std::max(hi, value));
    Set_Adjust(zw, id, format, value);
  };
  set("Zx", "%f", kZoomMin, kZoomMax, z.zx);
  set("Zy", "%f", kZoomMin, kZoomMax, z.zy);
  set("Ox", "%d", 0, std::max(mw->pic()->width - 1, 0), z.ox);
  set("Oy", "%d", 0, std::max(mw->pic()->height - 1, 0), z.oy);
  set("Dx", "%f", kScaleMin, kScaleMax, z.dx);
  set("Dy", "%f", kScaleMin, kScaleMax, z.dy);
}

}  // namespace kelo
