// The "Sat-info" window. The texts come from the core (core/view/channels):
// the file facts, and the frame header read through a private view, so the
// screen's skipping of faulty lines and its pass direction never show the
// header of another line.
#include "app/info_wnd.h"

#include <cstring>
#include <string>

#include "app/main_wnd.h"
#include "core/view/channels.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr int kInfoWidth = 400, kInfoHeight = 300;
constexpr const char* kInfoState = "kelo_info_state";
constexpr const char* kTextId = "Info text";

class InfoWindow : public WindowFollower {
 public:
  InfoWindow(MainWindow* mw, GtkWidget* window) : mw_(mw), window_(window) { mw_->add_follower(this); }
  ~InfoWindow() override {
    if (main_window_of(window_) == mw_) mw_->remove_follower(this);
  }
  InfoWindow(const InfoWindow&) = delete;
  InfoWindow& operator=(const InfoWindow&) = delete;

  // Another picture: its facts from its first line on.
  void picture_changed() override {
    nr_frm = 0;
    Menu_Info(window_, nullptr);
  }

  int nr_frm = 0;
  GtkWidget* text = nullptr;

 private:
  MainWindow* mw_;
  GtkWidget* window_;
};

InfoWindow* state_of(GtkWidget* window) {
  return window != nullptr ? static_cast<InfoWindow*>(g_object_get_data(G_OBJECT(window), kInfoState))
                           : nullptr;
}

bool has_frame_headers(const PIC_INFO* pic) { return pic->pic_fp && pic->chan_present[0] != 0; }

void info_destroyed(GtkWidget* window) {
  g_object_set_data(G_OBJECT(window), kInfoState, nullptr);
  destroy_window(window);
}

GtkWidget* build(MainWindow* mw) {
  GtkWidget* w = Create_Window(mw->window(), kInfoWidth, kInfoHeight, kInfoTitle, info_destroyed);
  if (w == nullptr) return nullptr;
  auto* st = new InfoWindow(mw, w);
  g_object_set_data_full(G_OBJECT(w), kInfoState, st, [](gpointer p) { delete static_cast<InfoWindow*>(p); });
  g_signal_connect_object(mw->window(), "destroy", G_CALLBACK(gtk_widget_destroy), w, G_CONNECT_SWAPPED);
  st->text = Create_Text(kTextId, 0);
  GtkWidget* frame =
      Pack("Frame header", 'h', Create_Button("Prev", Menu_Info), 2, Create_Button("Next", Menu_Info), 2,
           Create_Entry("Frame nr", nullptr, "%-5d", 0), 0, nullptr);
  gtk_container_add(GTK_CONTAINER(w), SPack(nullptr, "v", st->text, "ef", frame, "", nullptr));
  place_window(w, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
  gtk_widget_show_all(w);
  return w;
}

}  // namespace

void Menu_Info(GtkWidget* widget, const char* id) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->window() == nullptr) return;
  GtkWidget* w = Find_Window(mw->window(), kInfoTitle);
  if (w == nullptr && (w = build(mw)) == nullptr) return;
  InfoWindow* st = state_of(w);
  if (st == nullptr) return;
  PIC_INFO* pic = mw->pic();
  const bool step = id != nullptr && (std::strcmp(id, "Prev") == 0 || std::strcmp(id, "Next") == 0);
  if (step) st->nr_frm = std::strcmp(id, "Prev") == 0 ? std::max(st->nr_frm - 1, 0) : st->nr_frm + 1;

  Clear_Text(st->text);
  const int font = mw->prefs().font_size;
  if (mw->has_picture()) {
    Add_Text(st->text, font, "%s", file_info_text(pic).c_str());
    // The header of the line asked for, read as the line was recorded.
    if (step && has_frame_headers(pic))
      Add_Text(st->text, font, "%s", frame_info_text(pic, &st->nr_frm).c_str());
  }
  const int headers = mw->has_picture() && has_frame_headers(pic) ? 1 : 0;
  Sense_Button(w, "Prev", headers);
  Sense_Button(w, "Next", headers);
  Set_Entry(w, "Frame nr", "%-5d", st->nr_frm);
}

}  // namespace kelo
