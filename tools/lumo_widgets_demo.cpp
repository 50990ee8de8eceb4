// A station window built with the second half of the GUI layer: the menu bar
// with submenus, check and radio items, a toolbar, the canvas showing a test
// picture drawn into its buffer, an option menu, a satellite list and the
// file dialog. Used to look at the layer on a real display.
//
//   lumo_demo2          the station window
//   lumo_demo2 open     the station window with the file dialog open
//   lumo_demo2 menu     the station window with the View menu and its
//                       "Set skip" submenu popped up
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "core/view/rgbdraw.h"
#include "lumo/buttons.h"
#include "lumo/canvas.h"
#include "lumo/filemngr.h"
#include "lumo/listtree.h"
#include "lumo/lumo_misc.h"
#include "lumo/menus.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

using namespace kelo;

namespace {

GtkWidget* g_main = nullptr;
std::string g_dir;
int g_channel = 1;

void status(const char* text) { Set_Entry1(g_main, "!Status", text); }

// The test picture: a grey wedge per channel band, a colour bar, a
// longitude/latitude style grid and a caption in the 8x8 font.
void render_test_picture(DRAWABLE_INFO* rgbi) {
  const int w = rgbi->width;
  const int h = rgbi->height;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &rgbi->rgb_buf[static_cast<size_t>((y * w + x) * kRgbBytes)];
      const int grey = (x * 255) / (w > 1 ? w - 1 : 1);
      const int band = (y * 5) / (h > 0 ? h : 1);  // five AVHRR channels
      if (y > h - 24) {                            // colour bar
        p[0] = static_cast<uint8_t>(grey);
        p[1] = static_cast<uint8_t>(255 - grey);
        p[2] = static_cast<uint8_t>((x * 4) & 255);
      } else {
        const int v = (band + 1 == g_channel) ? grey : grey / 2;
        p[0] = p[1] = p[2] = static_cast<uint8_t>(v);
      }
    }
  }
  const KColor yellow{255, 255, 0};
  for (int x = 0; x < w; x += 64) draw_rgbline(rgbi, yellow, x, 0, x + 32, h - 25);
  for (int y = 0; y < h - 24; y += 48) draw_rgbline(rgbi, yellow, 0, y, w - 1, y + 8);
  draw_rgbrect(rgbi, KColor{255, 0, 0}, 4, 4, w - 8, h - 32);
  char caption[64];
  std::snprintf(caption, sizeof caption, "NOAA 19  CH%d  %dx%d", g_channel, w, h);
  draw_rgbstring(rgbi, KColor{255, 255, 255}, 10, 10, caption);
}

void redraw() {
  GtkWidget* area = Find_Widget(g_main, "GTK_DRAWING_AREA");
  DRAWABLE_INFO* rgbi = Get_RGBI(area);
  if (rgbi == nullptr || rgbi->rgb_buf.empty()) return;
  render_test_picture(rgbi);
  Refresh_Rect(area, 0, 0, rgbi->width, rgbi->height);
}

gboolean on_configure(GtkWidget* area, GdkEventConfigure*, gpointer) {
  if (Renew_RGBBuf(area) >= 0) redraw();
  return FALSE;
}

gboolean on_motion(GtkWidget* area, GdkEventMotion* ev, gpointer) {
  KColor c;
  if (get_rgbpoint(Get_RGBI(area), &c, static_cast<int>(ev->x), static_cast<int>(ev->y)) != 0) {
    char text[80];
    std::snprintf(text, sizeof text, "x %d  y %d  value %d", static_cast<int>(ev->x), static_cast<int>(ev->y),
                  c.red);
    status(text);
  }
  return FALSE;
}

void on_open_ok(GtkWidget* w, const char*) {
  const char* path = file_selection_get_filename();
  std::string text = std::string("Chosen: ") + (path != nullptr ? path : "(nothing)");
  Close_Fileselectf(w);
  status(text.c_str());
}

void open_dialog() {
  Create_Fileselectf(g_main, "Open", nullptr, on_open_ok, &g_dir, "*", "*", 200, nullptr);
}

void menu_commands(GtkWidget* w, const char* path) {
  if (std::strcmp(path, "File/Open...") == 0) {
    open_dialog();
  } else if (std::strcmp(path, "File/Quit") == 0) {
    gtk_widget_destroy(g_main);
  } else if (std::strncmp(path, "Channel/Ch", 10) == 0) {
    g_channel = std::atoi(path + 10);
    redraw();
    status(path);
  } else if (GTK_IS_CHECK_MENU_ITEM(w)) {
    std::string text =
        std::string(path) + (gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(w)) ? " on" : " off");
    status(text.c_str());
  } else {
    status(path);
  }
}

void on_palette(GtkWidget*, const char* item) {
  if (g_main != nullptr) status(item);
}

void on_satellite(GtkWidget* list, int row, int, GdkEvent*, gpointer) {
  std::string text = "Satellite " + Clist_get_text(list, row, 0);
  status(text.c_str());
}

GtkWidget* station_window() {
  g_main = Create_Window(nullptr, 900, 560, "Kelo", nullptr);
  g_signal_connect(g_main, "destroy", G_CALLBACK(gtk_main_quit), nullptr);
  GtkWidget* bar = Create_Menu(g_main, {{"/File", nullptr, 0},
                                        {"File/Open...", menu_commands, kMenuButton},
                                        {"File/Save as...", menu_commands, kMenuButton},
                                        {"separator/", nullptr, 0},
                                        {"File/Quit", menu_commands, kMenuButton},
                                        {"/View", nullptr, 0},
                                        {"View/Sat from South", menu_commands, kMenuCheck},
                                        {"/View/Set skip", nullptr, 0},
                                        {"View/Set skip/Use Pre sync", menu_commands, kMenuCheck},
                                        {"View/Set skip/Use Post sync", menu_commands, kMenuCheck},
                                        {"View/Lum...", menu_commands, kMenuButton},
                                        {"/Channel", nullptr, 0},
                                        {"Channel/Ch1", menu_commands, kMenuRadio},
                                        {"Channel/Ch2", menu_commands, kMenuRadio},
                                        {"Channel/Ch3", menu_commands, kMenuRadio},
                                        {"Channel/Ch4", menu_commands, kMenuRadio},
                                        {"Channel/Ch5", menu_commands, kMenuRadio},
                                        {"Lum threshold", menu_commands, kMenuButton},
                                        {nullptr, nullptr, 0}});
  GtkWidget* tools =
      Create_Toolbar(menu_commands, {{"Open", "Open a recording or picture"}, {"Record", "Record HRPT"}});
  GtkWidget* canvas = Create_Drawable(512, 384, on_configure, nullptr, on_motion);
  GtkWidget* palette = Create_Optionmenu("^Palette", on_palette, 0, {"Grey", "Temperature", "Load..."});
  GtkWidget* sats =
      Create_Clist("Satellites", on_satellite, nullptr, nullptr, 2, {{"Satellite", 14}, {"Epoch", 10}},
                   {"NOAA 15", "26339.51", "NOAA 18", "26339.48", "NOAA 19", "26339.55", "METEOR-M 2",
                    "26339.61", "FENGYUN 3B", "26339.40", nullptr});
  GtkWidget* side = SPack("Pass", "v", palette, "2", sats, "ef2", nullptr);
  GtkWidget* middle = SPack(nullptr, "h", canvas, "ef", side, "ef2", nullptr);
  GtkWidget* state = Create_Entry("!Status", nullptr, "%-60s", "ready");
  GtkWidget* layout = SPack(nullptr, "v", bar, "", tools, "", middle, "ef", state, "2", nullptr);
  gtk_container_add(GTK_CONTAINER(g_main), layout);
  gtk_widget_show_all(g_main);
  place_window(g_main, 10, 10, 1);
  return g_main;
}

gboolean popup_view_menu(gpointer) {
  GtkWidget* view = Find_Widget(g_main, "View");
  GtkWidget* skip = Find_Widget(g_main, "View/Set skip");
  if (view != nullptr) gtk_menu_shell_select_item(GTK_MENU_SHELL(gtk_widget_get_parent(view)), view);
  if (skip != nullptr) {
    GtkWidget* menu = gtk_widget_get_parent(skip);
    gtk_menu_shell_select_item(GTK_MENU_SHELL(menu), skip);
  }
  return G_SOURCE_REMOVE;
}

gboolean open_later(gpointer) {
  open_dialog();
  return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  const char* what = argc > 1 ? argv[1] : "station";
  g_dir = argc > 2 ? argv[2] : ".";
  station_window();
  if (std::strcmp(what, "open") == 0) g_timeout_add(300, open_later, nullptr);
  if (std::strcmp(what, "menu") == 0) g_timeout_add(300, popup_view_menu, nullptr);
  gtk_main();
  return 0;
}
