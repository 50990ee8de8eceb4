// The "Map channels" window. The automatic colour and alignment come from
// the core (core/view/map_chan); the mix itself is the picture pass's.
#include "app/mapchan_wnd.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/main_wnd.h"
#include "core/view/map_chan.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kMapState = "kelo_map_state";
constexpr int kOffsetMax = 255;
constexpr double kWeightMin = -1.0, kWeightMax = 9.0;
constexpr int kShiftMax = 20;
constexpr int kTiltMax = 10;
constexpr int kLedGrey = 0x888, kLedRed = 0xf00;
constexpr const char kColours[3] = {'r', 'g', 'b'};

struct MapState {
  GtkWidget* align_block = nullptr;
};

MapState* state_of(GtkWidget* window) {
  return window != nullptr ? static_cast<MapState*>(g_object_get_data(G_OBJECT(window), kMapState)) : nullptr;
}

// Identifiers of the fields without a label of their own carry '!'.
std::string field_id(const char* name, int n) {
  char id[16];
  std::snprintf(id, sizeof id, "!%s%d", name, n);
  return id;
}

// The number after `prefix` in `id` (a field or toggle name), or -1.
int suffix_number(const char* id, const char* prefix) {
  const size_t len = std::strlen(prefix);
  if (std::strncmp(id, prefix, len) != 0) return -1;
  const char* digits = id + len;
  if (*digits < '0' || *digits > '9') return -1;
  char* end = nullptr;
  const long n = std::strtol(digits, &end, 10);
  return (*end == '\0' && n >= 1 && n <= kMaxChannels) ? static_cast<int>(n) : -1;
}

void field_changed(GtkAdjustment* adj, const char* id) {
  mapchan_cmds(static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(adj), kKeyAdj)), id);
}

GtkWidget* spin_field(const char* name, int n, double value, double lo, double hi, bool weight) {
  const std::string id = field_id(name, n);
  // The layer keeps the label pointer: a copy that lives as long as the program.
  const char* label = g_intern_string(id.c_str());
  return weight ? Create_Spin(label, field_changed, "%2.1f%f%f", value, lo, hi)
                : Create_Spin(label, field_changed, "%2d%d%d", value, lo, hi);
}

// Weights and offsets: a header row of channel toggles, then one row per
// colour: its offset and the weights of the ten channels. Cells of
// channels the file lacks stay empty.
GtkWidget* mix_block(const PIC_INFO* pic, const VIEW_INFO* view) {
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_column_spacing(GTK_GRID(grid), 2);
  gtk_grid_attach(GTK_GRID(grid), gtk_label_new("Offset"), 0, 0, 1, 1);
  const float* weights[3] = {view->map_wr, view->map_wg, view->map_wb};
  for (int c = 0; c < 3; ++c) {
    const char name[3] = {kColours[c], 'o', '\0'};
    const char* label = g_intern_string((std::string("!") + name).c_str());
    gtk_grid_attach(
        GTK_GRID(grid),
        Create_Spin(label, field_changed, "%2d%d%d", view->map_offset[c], -kOffsetMax, kOffsetMax), 0, c + 1,
        1, 1);
  }
  for (int n = 1; n <= kMaxChannels; ++n) {
    if (pic->chan_present[n] == 0) continue;
    char toggle[8];
    std::snprintf(toggle, sizeof toggle, "Ch%d", n);
    gtk_grid_attach(GTK_GRID(grid), Create_Toggle(g_intern_string(toggle), mapchan_cmds, view->map_used[n]),
                    n, 0, 1, 1);
    for (int c = 0; c < 3; ++c) {
      const char name[2] = {kColours[c], '\0'};
      gtk_grid_attach(GTK_GRID(grid), spin_field(name, n, weights[c][n], kWeightMin, kWeightMax, true), n,
                      c + 1, 1, 1);
    }
  }
  return grid;
}

// Shifts and tilts of every channel the file holds.
GtkWidget* align_block(const PIC_INFO* pic, const VIEW_INFO* view) {
  GtkWidget* grid = gtk_grid_new();
  gtk_grid_set_column_spacing(GTK_GRID(grid), 2);
  const struct {
    const char* title;
    const char* name;
    const int* values;
    int limit;
  } rows[] = {{"HShift", "h", view->hshift, kShiftMax},
              {"VShift", "v", view->vshift, kShiftMax},
              {"TILT", "tilt", view->tilt, kTiltMax}};
  for (int r = 0; r < 3; ++r) {
    gtk_grid_attach(GTK_GRID(grid), gtk_label_new(rows[r].title), 0, r, 1, 1);
    for (int n = 1; n <= kMaxChannels; ++n)
      if (pic->chan_present[n] != 0)
        gtk_grid_attach(GTK_GRID(grid),
                        spin_field(rows[r].name, n, rows[r].values[n], -rows[r].limit, rows[r].limit, false),
                        n, r, 1, 1);
  }
  return grid;
}

// The fields and toggles from the view, their callbacks kept quiet.
void show_map(MainWindow* mw, GtkWidget* w) {
  MainWindow::Quiet quiet(mw);
  const VIEW_INFO* view = mw->view();
  const float* weights[3] = {view->map_wr, view->map_wg, view->map_wb};
  for (int n = 1; n <= kMaxChannels; ++n) {
    if (mw->pic()->chan_present[n] == 0) continue;
    char toggle[8];
    std::snprintf(toggle, sizeof toggle, "Ch%d", n);
    Set_Local_Button(w, toggle, view->map_used[n]);
    for (int c = 0; c < 3; ++c) {
      const char name[2] = {kColours[c], '\0'};
      Set_Adjust(w, field_id(name, n).c_str(), "%f", weights[c][n]);
    }
    Set_Adjust(w, field_id("h", n).c_str(), "%d", view->hshift[n]);
    Set_Adjust(w, field_id("v", n).c_str(), "%d", view->vshift[n]);
    Set_Adjust(w, field_id("tilt", n).c_str(), "%d", view->tilt[n]);
  }
}

// The weights of a channel can be edited while it takes part in the mix.
void sense_weights(MainWindow* mw, GtkWidget* w) {
  for (int n = 1; n <= kMaxChannels; ++n) {
    for (const char* c : {"r", "g", "b"})
      Sense_Button(w, field_id(c, n).c_str(), mw->view()->map_used[n] != 0 ? 1 : 0);
  }
}

// Grey display again, through " Exit " or the window manager's close.
void leave_map(GtkWidget* window) {
  MainWindow* mw = main_window_of(window);
  if (mw == nullptr || mw->window() == nullptr || !mw->view()->rgb_map) return;
  mw->view()->rgb_map = false;
  Sense_Button(mw->window(), "Channel", 1);
  mw->request_redraw();
}

void map_destroyed(GtkWidget* window) {
  leave_map(window);
  destroy_window(window);
}

}  // namespace

void Menu_Mapchan(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || !mw->has_picture()) return;
  GtkWidget* w = Create_Window(mw->window(), 0, 0, kMapTitle, map_destroyed);
  if (w == nullptr) return;  // open already: raised
  auto* st = new MapState;
  g_object_set_data_full(G_OBJECT(w), kMapState, st, [](gpointer p) { delete static_cast<MapState*>(p); });
  g_signal_connect_object(mw->window(), "destroy", G_CALLBACK(gtk_widget_destroy), w, G_CONNECT_SWAPPED);
  gtk_window_set_resizable(GTK_WINDOW(w), FALSE);

  const PIC_INFO* pic = mw->pic();
  const VIEW_INFO* view = mw->view();
  st->align_block = align_block(pic, view);
  GtkWidget* align =
      Pack("Align", 'h', Create_Button(" Auto align ", mapchan_cmds), 2, Create_Led("Aligned", kLedGrey), 2,
           Create_Button(" Reset align ", mapchan_cmds), 0, nullptr);
  GtkWidget* buttons = Pack(nullptr, 'h', Create_Button(" Redraw ", mapchan_cmds), 2,
                            Create_Button(" Auto color ", mapchan_cmds), 2, align, 2,
                            Create_Toggle(" Align settings ", mapchan_cmds, 0), 2,
                            Create_Button(" Exit ", mapchan_cmds), 0, nullptr);
  gtk_container_add(GTK_CONTAINER(w),
                    Pack(nullptr, 'v', mix_block(pic, view), 3, st->align_block, 3, buttons, 0, nullptr));
  place_window(w, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
  gtk_widget_show_all(w);
  gtk_widget_hide(st->align_block);
  mw->view()->rgb_map = true;
  Sense_Button(mw->window(), "Channel", 0);
  sense_weights(mw, w);
}

void mapchan_cmds(GtkWidget* widget, const char* id) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->quiet() || id == nullptr) return;
  GtkWidget* w = Find_Window(mw->window(), kMapTitle);
  MapState* st = state_of(w);
  if (st == nullptr) return;
  VIEW_INFO* view = mw->view();
  const char* name = id[0] == '!' ? id + 1 : id;
  const auto is = [name](const char* label) { return std::strcmp(name, label) == 0; };
  int n = 0;
  if (is("ro") || is("go") || is("bo")) {
    view->map_offset[name[0] == 'r' ? 0 : name[0] == 'g' ? 1 : 2] = static_cast<int>(Get_Adjust(w, id));
  } else if ((n = suffix_number(name, "tilt")) > 0) {
    view->tilt[n] = static_cast<int>(Get_Adjust(w, id));
  } else if ((n = suffix_number(name, "Ch")) > 0) {
    view->map_used[n] = Get_Button(w, id);
  } else if ((n = suffix_number(name, "h")) > 0) {
    view->hshift[n] = static_cast<int>(Get_Adjust(w, id));
  } else if ((n = suffix_number(name, "v")) > 0) {
    view->vshift[n] = static_cast<int>(Get_Adjust(w, id));
  } else if ((name[0] == 'r' || name[0] == 'g' || name[0] == 'b') && (n = suffix_number(name + 1, "")) > 0) {
    float* weights = name[0] == 'r' ? view->map_wr : name[0] == 'g' ? view->map_wg : view->map_wb;
    weights[n] = static_cast<float>(Get_Adjust(w, id));
  } else if (is(" Exit ")) {
    gtk_widget_destroy(w);  // the destroy handler leaves the mix
    return;
  } else if (is(" Redraw ")) {
    mw->request_redraw();
  } else if (is(" Auto color ")) {
    if (mapchan_auto_color(mw->pic(), view) == 0) {
      show_map(mw, w);
      mw->request_redraw();
    }
  } else if (is(" Align settings ")) {
    gtk_widget_set_visible(st->align_block, Get_Button(w, id) != 0);
  } else if (is(" Reset align ") || is(" Auto align ")) {
    const bool automatic = is(" Auto align ");
    if (automatic)
      mapchan_auto_align(mw->pic(), view);
    else
      mapchan_reset_align(view);
    Set_Led(w, "Aligned", automatic ? kLedRed : kLedGrey);
    show_map(mw, w);
    mw->request_redraw();
  }
  sense_weights(mw, w);
}

}  // namespace kelo
