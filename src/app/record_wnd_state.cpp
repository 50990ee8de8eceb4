#include "app/record_wnd_state.h"

#include <cstring>

#include "app/main_wnd.h"
#include "core/record/pp_dec_interf.h"
#include "lumo/buttons.h"
#include "lumo/canvas.h"
#include "lumo/lumo_misc.h"
#include "lumo/menus.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kKeyRecWnd = "kelo_record_wnd";
constexpr const char* kTestItem = "Help/Test parport";

struct RecItem {
  const char* title;
  const char* item;
};
constexpr RecItem kRecItems[] = {
    {kRecHrptTitle, "Record/HRPT..."},
    {kRecHriTitle, "Record/HRI..."},
    {kRecRawTitle, "Record/Raw..."},
};

// "Start/Stop": lighter red under the pointer, red when pressed or down.
constexpr LumoColor kStartHover = {65535, 34952, 34952};
constexpr LumoColor kStartDown = {65535, 21845, 21845};

}  // namespace

GtkWidget* record_start_toggle(void (*cb)(GtkWidget*, const char*)) {
  GtkWidget* start = Create_Toggle(kIdStartStop, cb, 0);
  Set_Color(start, kColorBg, nullptr, &kStartHover, &kStartDown, &kStartDown, nullptr);
  return start;
}

void record_entries_readonly(GtkWidget* window, const std::vector<const char*>& ids) {
  for (const char* id : ids) {
    GtkWidget* e = Find_Widget(window, id);
    if (e != nullptr && GTK_IS_EDITABLE(e)) gtk_editable_set_editable(GTK_EDITABLE(e), FALSE);
  }
}

void record_mode_at_open(RecordWnd* st) {
  MainWindow* mw = st->main();
  RECORD_INFO* rec = mw->record();
  StationSession& session = mw->session();
  if (rec->port_type != kPortTypePar || Open_HWConnect(session, rec) == 0) return;
  rec->gen_mode = (get_ppreg(session, rec->port_address + kPortControl) & kCtlMode) == 0 ? 1 : 0;
  if (rec->hw_dectype == kDecTypeHw) {
    rec->gen_mode = 1;
    // Sent again after the decoder's reload: a firmware change forgets it.
    select_channel(session, nullptr, rec, 1);
  } else {
    st->set_quietly(rec->gen_mode != 0 ? kIdGenerator : kIdDecoder, true);
  }
  Close_HWConnect(session, rec);
}

void record_mode_changed(RecordWnd* st) {
  MainWindow* mw = st->main();
  RECORD_INFO* rec = mw->record();
  StationSession& session = mw->session();
  if (Open_HWConnect(session, rec) == 0) {
    Create_Message("Error", "%s", hwconnect_error_text(rec).c_str());
    return;
  }
  if (rec->hw_dectype != kDecTypeHw) rec->gen_mode = rec->gen_request;
  // A mode change makes the decoder reload and forget its selection: it is
  // sent again after the reload, as the HRPT window does, or the generator
  // would deliver HRPT frames to an HRI or raw recording.
  select_channel(session, nullptr, rec, 1);
  Close_HWConnect(session, rec);
}

RecordWnd* RecordWnd::create(MainWindow* mw, const char* title, const RecordEntries& entries) {
  if (mw == nullptr || mw->window() == nullptr) return nullptr;
  if (GtkWidget* open = find_any(mw->window())) {
    gtk_window_present(GTK_WINDOW(open));
    return nullptr;
  }
  GtkWidget* w = Create_Window(mw->window(), 0, 0, title, on_destroy);
  if (w == nullptr) return nullptr;
  gtk_window_set_resizable(GTK_WINDOW(w), FALSE);
  auto* st = new RecordWnd(mw, w, entries);
  g_object_set_data_full(G_OBJECT(w), kKeyRecWnd, st, [](gpointer p) { delete static_cast<RecordWnd*>(p); });
  g_signal_connect(w, "delete-event", G_CALLBACK(on_delete), st);
  // The record window never outlives the main window whose records it fills.
  g_signal_connect(mw->window(), "destroy", G_CALLBACK(on_main_destroy), st);
  return st;
}

RecordWnd* RecordWnd::of(GtkWidget* widget) {
  if (widget == nullptr) return nullptr;
  GtkWidget* top = GTK_IS_WINDOW(widget) ? widget : Find_Parent_Window(widget);
  if (top == nullptr) top = gtk_widget_get_toplevel(widget);
  return top != nullptr ? static_cast<RecordWnd*>(g_object_get_data(G_OBJECT(top), kKeyRecWnd)) : nullptr;
}

GtkWidget* RecordWnd::find_any(GtkWidget* main_window) {
  for (const RecItem& r : kRecItems)
    if (GtkWidget* w = Find_Window(main_window, r.title)) return w;
  return nullptr;
}

void RecordWnd::show(GtkWidget* contents) {
  gtk_container_add(GTK_CONTAINER(window_), contents);
  const PREFS& p = mw_->prefs();
  place_window(window_, p.sub_x, p.sub_y, p.sub_wnd_mode);
  gtk_widget_show_all(window_);
  sense_other_items(false);
}

void RecordWnd::sense_other_items(bool sensitive) {
  if (mw_ == nullptr || mw_->window() == nullptr) return;
  const char* title = gtk_window_get_title(GTK_WINDOW(window_));
  for (const RecItem& r : kRecItems)
    if (title == nullptr || std::strcmp(title, r.title) != 0) Sense_Button(mw_->window(), r.item, sensitive);
}

void RecordWnd::advanced(bool on) {
  if (on) {
    if (hidden_box != nullptr) gtk_widget_show(hidden_box);
    hidden_box = nullptr;
  } else {
    hidden_box = Find_Widget(window_, kIdAdvancedBox);
    if (hidden_box != nullptr) gtk_widget_hide(hidden_box);
  }
}

void RecordWnd::set_quietly(const char* id, bool on) {
  Quiet q(this);
  GtkWidget* w = Find_Widget(window_, id);
  if (w == nullptr || !GTK_IS_TOGGLE_BUTTON(w)) return;
  Set_Local_Button(window_, id, on ? 1 : 0);
}

bool RecordWnd::run(const std::function<void()>& engine, const std::vector<const char*>& locked,
                    bool open_after) {
  MainWindow* mw = mw_;
  GtkWidget* w = window_;
  running_ = true;
  close_asked_ = false;
  run_file_.clear();
  ended_file_.clear();
  for (const char* id : locked) Sense_Button(w, id, 0);
  // The test window would steal the decoder's words and a picture pass
  // would draw over the live rows.
  Sense_Button(mw->window(), kTestItem, 0);
  if (mw->has_picture()) mw->close_picture();
  mw->set_recording(true);
  g_object_ref(w);  // this object lives as long as its window object
  engine();
  running_ = false;
  if (mw_ == nullptr) {  // the main window went during the recording
    g_object_unref(w);
    return false;
  }
  mw->set_recording(false);
  mw->record()->active = false;
  if (mw->quit_asked()) {  // Quit during the recording: the program ends now
    g_object_unref(w);
    mw->quit();
    return false;
  }
  Sense_Button(mw->window(), kTestItem, 1);
  if (close_asked_) {  // closed during the recording: it goes now
    g_object_unref(w);
    gtk_widget_destroy(w);
    return false;
  }
  for (const char* id : locked) Sense_Button(w, id, 1);
  set_quietly(kIdStartStop, false);
  g_object_unref(w);
  if (open_after && mw->record()->save_rec && !ended_file_.empty()) mw->open_path(ended_file_);
  return true;
}

void RecordWnd::close() {
  if (running_) {
    close_asked_ = true;
    if (mw_ != nullptr) mw_->record()->active = false;
    return;
  }
  gtk_widget_destroy(window_);
}

void RecordWnd::on_destroy(GtkWidget* window) {
  if (RecordWnd* st = of(window)) {
    if (st->mw_ != nullptr && st->mw_->window() != nullptr) {
      st->sense_other_items(true);
      g_signal_handlers_disconnect_by_data(st->mw_->window(), st);
    }
    st->mw_ = nullptr;
  }
  destroy_window(window);
}

gboolean RecordWnd::on_delete(GtkWidget*, GdkEvent*, gpointer self) {
  auto* st = static_cast<RecordWnd*>(self);
  // As " Exit " does; during a recording the window waits for its end.
  st->close();
  return TRUE;
}

void RecordWnd::on_main_destroy(GtkWidget*, gpointer self) {
  auto* st = static_cast<RecordWnd*>(self);
  if (st->mw_ != nullptr) st->mw_->record()->active = false;
  st->mw_ = nullptr;
  gtk_widget_destroy(st->window_);
}

// ---------------------------------------------------------------- listener
void RecordWnd::start_stop(bool on, const std::function<void()>& start) {
  RECORD_INFO* rec = mw_ != nullptr ? mw_->record() : nullptr;
  if (rec == nullptr) return;
  if (!on)
    rec->active = false;
  else if (running())
    rec->active = true;
  else
    start();
}

void RecordWnd::state(const std::string& text) {
  if (mw_ != nullptr && entries_.state != nullptr) Set_Entry(window_, entries_.state, "%s", text.c_str());
}

void RecordWnd::file_started(const std::string& path) {
  run_file_ = path;
  state(path);
}

void RecordWnd::satellite_named(const std::string& name) {
  if (mw_ != nullptr) Set_Entry(window_, kIdSatName, "%s", name.c_str());
}

void RecordWnd::line_count(int lines) {
  if (mw_ != nullptr && entries_.line != nullptr) Set_Entry(window_, entries_.line, "%d", lines);
}

void RecordWnd::encrypted(bool yes) {
  if (mw_ != nullptr && entries_.encrypted != nullptr)
    Set_Entry(window_, "Encrypted:", "%s", yes ? "Y" : "N");
}

void RecordWnd::encrypted_count(int pictures) {
  if (mw_ != nullptr && entries_.encrypted != nullptr) Set_Entry(window_, entries_.encrypted, "%d", pictures);
}

void RecordWnd::recorded_count(int pictures) {
  if (mw_ != nullptr && entries_.recorded != nullptr) Set_Entry(window_, entries_.recorded, "%d", pictures);
}

void RecordWnd::channel_shown(int channel) {
  if (mw_ == nullptr || Find_Widget(window_, "!Show channel") == nullptr) return;
  Quiet q(this);
  Set_Optionsmenu(window_, "!Show channel", channel - 1);
}

void RecordWnd::error(const std::string& text) { Create_Message("Error", "%s", text.c_str()); }

DRAWABLE_INFO* RecordWnd::live_canvas() { return mw_ != nullptr ? mw_->canvas() : nullptr; }

void RecordWnd::rows_drawn(int y, int rows) {
  if (mw_ == nullptr || mw_->area() == nullptr) return;
  const DRAWABLE_INFO* c = mw_->canvas();
  // Only the strip just drawn goes to the screen.
  Refresh_Rect(mw_->area(), 0, y, c != nullptr ? c->width : 0, rows);
}

void RecordWnd::recording_ended(const std::string& last_file) {
  state("Off");
  // Only a file this run made is shown afterwards, never one left over in
  // the record from an earlier run.
  ended_file_ = (!last_file.empty() && last_file == run_file_) ? last_file : std::string();
}

}  // namespace kelo
