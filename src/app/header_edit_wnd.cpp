// "Header edit": finds the satellite in the recording's frame headers and
// fixes the file's satellite name and scan direction; "Save" writes them.
#include "app/header_edit_wnd.h"

#include <cstring>
#include <memory>
#include <string>

#include "app/main_wnd.h"
#include "app/orbit_edit_wnd.h"
#include "core/files/hrpt1_read.h"
#include "core/files/hrpt_framehdr.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/menus.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kNorthSouth = "North->south";
constexpr const char* kSouthNorth = "South->north";
// The name field of a recording header.
constexpr size_t kHeaderNameMax = sizeof(HRPT1_HDR{}.sat_name);

// The frame search of one picture: it starts afresh for every file.
class HeaderEditor : public WindowFollower {
 public:
  explicit HeaderEditor(MainWindow* mw) : mw_(mw) {}
  void picture_changed() override {
    time_y = 0;
    found = false;
    GtkWidget* w = Find_Window(mw_->window(), kHeaderEditTitle);
    if (w == nullptr) return;
    MainWindow::Quiet quiet(mw_);
    const PIC_INFO* pic = mw_->pic();
    Set_Entry(w, "Found", "%s", "");
    Set_Entry(w, "^Satellite name", "%s", "");
    Sense_Button(w, "Use it", 0);
    Set_Entry(w, "Edit name", "%s", pic->sat_name.c_str());
    Set_Optionsmenu(w, "^Scan direction", pic->scan_dir == ScanDir::BottomUp ? 1 : 0);
  }

  int time_y = 0;
  bool found = false;
  std::string decoded;  // the satellite name of the frame found

 private:
  MainWindow* mw_;
};

HeaderEditor* header_editor(GtkWidget* w) { return static_cast<HeaderEditor*>(picture_follower(w)); }

// Typing changes nothing; Enter takes the name.
void name_typed(GtkWidget*, const char*) {}
void name_entered(GtkEntry* entry, gpointer) { hdredt_cmds(GTK_WIDGET(entry), "Edit name"); }

void show_name(MainWindow* mw, GtkWidget* w) {
  MainWindow::Quiet quiet(mw);
  Set_Entry(w, "Edit name", "%s", mw->pic()->sat_name.c_str());
  Set_Entry(mw->window(), "Satellite", "%s", mw->pic()->sat_name.c_str());
}

void search_frame(MainWindow* mw, HeaderEditor* ed, GtkWidget* w) {
  PIC_INFO* pic = mw->pic();
  FRAME_HDR hdr;
  MainWindow::Quiet quiet(mw);
  if (!next_reliable_frame(mw, w, "Found", "Use it", &ed->time_y, &ed->found, &hdr)) return;
  interpret_framehdr(&hdr, &pic->orbit.start_tm_comp);
  ed->decoded = hdr.sat_name;
  Set_Entry(w, "Found", "at line %d", ed->time_y);
  Set_Entry(w, "^Satellite name", "%s", hdr.sat_name.c_str());
  Sense_Button(w, "Use it", 1);
}

}  // namespace

void Menu_Hdredt(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || !mw->has_picture()) return;
  Create_hdredt_wnd(mw);
}

GtkWidget* Create_hdredt_wnd(MainWindow* mw) {
  GtkWidget* w = Create_Window(mw->window(), 0, 0, kHeaderEditTitle, follower_window_destroyed);
  if (w == nullptr) return Find_Window(mw->window(), kHeaderEditTitle);  // raised
  MainWindow::Quiet quiet(mw);
  const PIC_INFO* pic = mw->pic();
  GtkWidget* extract = Pack("Extract frame header", 'h', Create_Button("search frame info", hdredt_cmds), 3,
                            Create_Entry("Found", nullptr, "%-8s", ""), 0, nullptr);
  GtkWidget* translated =
      Pack("Translated from space craft code", 'h', Create_Entry("^Satellite name", nullptr, "%8s", ""), 3,
           Create_Button("Use it", hdredt_cmds), 0, nullptr);
  GtkWidget* name = Create_Entry("Edit name", name_typed, "%-12s", pic->sat_name.c_str());
  GtkWidget* scan = Create_Optionmenu("^Scan direction", hdredt_cmds,
                                      pic->scan_dir == ScanDir::BottomUp ? 1 : 0, {kNorthSouth, kSouthNorth});
  GtkWidget* buttons = Pack(nullptr, 'h', Create_Button("Save", hdredt_cmds), 3,
                            Create_Button(" Exit ", hdredt_cmds), 0, nullptr);
  gtk_container_add(GTK_CONTAINER(w),
                    Pack(nullptr, 'v', extract, 3, translated, 3, name, 3, scan, 3, buttons, 0, nullptr));
  g_signal_connect(Find_Widget(w, "Edit name"), "activate", G_CALLBACK(name_entered), nullptr);
  follow_picture(mw, w, std::make_unique<HeaderEditor>(mw));
  Sense_Button(w, "Use it", 0);
  place_window(w, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
  gtk_widget_show_all(w);
  return w;
}

void hdredt_cmds(GtkWidget* widget, const char* id) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->quiet() || id == nullptr || !mw->has_picture()) return;
  GtkWidget* w = Find_Window(mw->window(), kHeaderEditTitle);
  HeaderEditor* ed = header_editor(w);
  if (w == nullptr || ed == nullptr) return;
  PIC_INFO* pic = mw->pic();
  const std::string cmd = id;
  if (cmd == "search frame info") {
    search_frame(mw, ed, w);
  } else if (cmd == "Use it") {
    if (!ed->found) return;
    pic->sat_name = ed->decoded;
    show_name(mw, w);
  } else if (cmd == "Edit name") {
    const char* text = Get_Entry(w, "Edit name");
    const std::string name = text != nullptr ? text : "";
    if (name.size() > kHeaderNameMax) {
      Create_Message(
          "Error",
          "A recording header holds a satellite name of at most %zu characters; \"%s\" is not taken.",
          kHeaderNameMax, name.c_str());
    } else {
      pic->sat_name = name;
    }
    show_name(mw, w);
  } else if (cmd == kNorthSouth) {
    pic->scan_dir = ScanDir::TopDown;
    pic->orientation = Orientation::Normal;
  } else if (cmd == kSouthNorth) {
    pic->scan_dir = ScanDir::BottomUp;
    pic->orientation = Orientation::FromSouth;
  } else if (cmd == "Save") {
    save_recording_header(mw);
  } else if (cmd == " Exit ") {
    gtk_widget_destroy(w);
  }
}

}  // namespace kelo
