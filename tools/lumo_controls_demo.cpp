// A small station window built with the GUI layer: a button array with
// toggles, radio buttons, LEDs, entries and spins, packed groups, and a
// progress window. Used to look at the layer's windows on a real display.
//
//   lumo_demo                 the station window and a running progress window
//   lumo_demo message|choice|info|progress
//                             one window of that kind on its own
#include <gtk/gtk.h>

#include <cstdio>
#include <cstring>

#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/gtk_led.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

using namespace kelo;

namespace {

GtkWidget* g_main = nullptr;
GtkWidget* g_bar = nullptr;
int g_step = 0;
constexpr int kSteps = 200;

void commands(GtkWidget* widget, const char* id) {
  if (std::strcmp(id, "Start/Stop") == 0) {
    int on = Update_Togglelabel(widget);
    Set_Led(widget, "Sync", on ? 0xF00 : 0x888);
    Set_Entry(widget, "!State", "%s", on ? "recording" : "idle");
  } else if (std::strcmp(id, "Quit") == 0) {
    gtk_widget_destroy(g_main);
  }
}

void on_gain(GtkAdjustment* adj, const char*) {
  Set_Entry(Find_Parent_Window(adj), "!State", "gain %.0f", gtk_adjustment_get_value(adj));
}

gboolean tick(gpointer) {
  if (g_bar == nullptr) return G_SOURCE_REMOVE;
  g_step = (g_step + 1) % (kSteps + 1);
  if (Update_Progress(g_bar, g_step, kSteps)) {
    g_bar = nullptr;
    return G_SOURCE_REMOVE;
  }
  return G_SOURCE_CONTINUE;
}

GtkWidget* station_window() {
  g_main = Create_Window(nullptr, -1, -1, "Kelo", nullptr);
  g_signal_connect(g_main, "destroy", G_CALLBACK(gtk_main_quit), nullptr);

  GtkWidget* channels = Create_ButtonArray("Channels", commands, 5,                      //
                                           kBaCheck, "1", kBaCheck, "2", kBaCheck, "3",  //
                                           kBaCheck, "4", kBaCheck, "5",                 //
                                           kBaRadioRun, "HRPT", kBaRadioRun, "CHRPT", kBaRadioRun, "HRI",
                                           kBaEmpty, "", kBaEmpty, "", kBaEnd);
  GtkWidget* status = Create_ButtonArray("Status", commands, 2,                        //
                                         kBaLed, "Sync", 0x888,                        //
                                         kBaLed, "Aligned", 0x7FF,                     //
                                         kBaEntryRO, "Satellite", "%-12s", "NOAA 19",  //
                                         kBaEntryRO, "Lines", "%6d", 1234, kBaEnd);
  GtkWidget* settings = Pack("Settings", 'v',                                                    //
                             Create_Spin("^Lines/screen", nullptr, "%d%d%d", 300, 10, 2000), 2,  //
                             Create_Spin("^Gamma", nullptr, "%8.1f%f%f", 1.0, 0.2, 5.0), 2,      //
                             Create_Scale("Gain", 'h', on_gain, "%d%d%d", 4, 0, 10), -2, nullptr);
  GtkWidget* buttons = SPack(nullptr, "hH2",                                   //
                             Create_Toggle("Start/Stop", commands, 0), "ef1",  //
                             Create_Button("Quit", commands), "ef1", nullptr);
  GtkWidget* state = Create_Entry("!State", nullptr, "%-30s", "idle");
  GtkWidget* layout = SPack(nullptr, "v",                                                       //
                            SPack(nullptr, "h", channels, "ef2", status, "ef2", nullptr), "2",  //
                            settings, "2", state, "2", buttons, "2", nullptr);
  gtk_container_add(GTK_CONTAINER(g_main), layout);
  gtk_widget_show(g_main);
  place_window(g_main, 20, 20, 1);
  return g_main;
}

void show_message(gpointer) { Create_Message("Error", "Cannot open %s:\nno such file.", "n19_03.hrp"); }

int show_choice() {
  return Create_Choice("Warning", {"Cancel", "OK", "Rename", "Skip", "Later", "Never", "Ask"},
                       " File %s exist. Overwrite?", "noaa19_01.hrp");
}

}  // namespace

int main(int argc, char** argv) {
  gtk_init(&argc, &argv);
  const char* what = argc > 1 ? argv[1] : "station";
  if (std::strcmp(what, "message") == 0) {
    show_message(nullptr);
    return 0;
  }
  if (std::strcmp(what, "choice") == 0) {
    std::printf("choice %d\n", show_choice());
    return 0;
  }
  GtkWidget* main_win = station_window();
  if (std::strcmp(what, "info") == 0) {
    GtkWidget* text = Create_Info(main_win, "Sat-info", 400, 300, nullptr, nullptr);
    Add_Text(text, 0, "Satellite: %s\nLines: %d\nChannels: %s\n", "NOAA 19", 1234, "1 2 3 4 5");
    place_window(gtk_widget_get_toplevel(text), 0, 0, 3);
  } else {
    g_bar = Create_Progress(main_win, "Saving", 1);
    g_timeout_add(50, tick, nullptr);
  }
  gtk_main();
  return 0;
}
