// The "Save" window. The export itself is the core's pipeline (Save_it): it
// reads from its own copy of the picture, writes into a working file and
// renames it over the wanted name only when complete. The window asks the
// overwrite question before anything is written, shows the progress with
// Cancel and the bit shift, and reports the outcome.
#include "app/save_wnd.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "app/main_wnd.h"
#include "core/base/misc.h"
#include "core/base/paths.h"
#include "core/export/export_kinds.h"
#include "core/export/file_save.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kStateKey = "kelo_save_state";
constexpr const char* kLedId = "Multi-channel";
constexpr const char* kNameId = "^Save to";
constexpr const char* kShiftId = "^Bitshift";
constexpr int kLedInitial = 2047;
constexpr int kChannelsPerRow = 5;
constexpr const char* kChannelIds[kMaxChannels + 1] = {"",    " 1 ", " 2 ", " 3 ", " 4 ", " 5 ",
                                                       " 6 ", " 7 ", " 8 ", " 9 ", " 10 "};

// The kinds offered are the export's own list (the same as kelo-export's
// --type names).
const ExportKind* kind_of_label(const char* id) {
  for (const ExportKind& k : export_kinds())
    if (std::strcmp(k.label, id) == 0) return &k;
  return nullptr;
}

// The window's state, owned by the window. An export in progress holds a
// reference too, so a window closed meanwhile frees it only after the
// export has returned.
struct SaveWndState : WindowFollower {
  MainWindow* mw = nullptr;
  GtkWidget* window = nullptr;  // null once destroyed
  FileKind kind = kKindGIF;
  bool busy = false;         // an export runs: further commands are ignored
  bool close_asked = false;  // Exit or the window manager's close during it

  void picture_changed() override {
    if (window != nullptr) Update_channel_save(window, mw->pic(), mw->view());
  }
  // The channel map may have changed with the pass: the LED follows it.
  void pass_done() override {
    if (window != nullptr) Set_Led(window, kLedId, save_led_colour(mw->view()->rgb_map, kind));
  }
};
using SaveStateRef = std::shared_ptr<SaveWndState>;

SaveStateRef state_of(GtkWidget* widget) {
  GtkWidget* top = widget != nullptr ? gtk_widget_get_toplevel(widget) : nullptr;
  auto* ref =
      top != nullptr ? static_cast<SaveStateRef*>(g_object_get_data(G_OBJECT(top), kStateKey)) : nullptr;
  return ref != nullptr ? *ref : nullptr;
}

void save_destroyed(GtkWidget* window) {
  if (SaveStateRef st = state_of(window)) {
    st->window = nullptr;
    st->close_asked = true;  // an export still running stops at its next row
    // At the end of the program the main window may have gone first.
    if (main_window_of(window) == st->mw) st->mw->remove_follower(st.get());
  }
  destroy_window(window);
}

gboolean save_delete(GtkWidget* window, GdkEvent*, gpointer) {
  save_commands(window, "Exit");  // the window manager's close is "Exit"
  return TRUE;
}

// The export's reports: progress in a "Saving..." window with Cancel, the
// bit shift in its field, warnings at once, the final text kept for after.
class SaveProgress : public ExportListener {
 public:
  explicit SaveProgress(SaveStateRef st) : st_(std::move(st)) {}
  void progress_begin(int) override {
    if (st_->window != nullptr) bar_ = Create_Progress(st_->mw->window(), kSavingTitle, 1);
  }
  bool progress_update(int done, int total) override {
    if (st_->close_asked) return true;
    return bar_ != nullptr && Update_Progress(bar_, done, total) != 0;
  }
  void progress_end() override {
    if (bar_ != nullptr) Close_Progress(bar_);
    bar_ = nullptr;
  }
  void bitshift_chosen(int shift) override {
    if (st_->window != nullptr) Set_Entry(st_->window, kShiftId, "%3d", shift);
  }
  void warning(const std::string& text) override { Create_Message("Warning", "%s", text.c_str()); }
  void finished(ExportOutcome outcome, const std::string& text) override {
    outcome_ = outcome;
    text_ = text;
  }
  ExportOutcome outcome() const { return outcome_; }
  const std::string& text() const { return text_; }

 private:
  SaveStateRef st_;
  GtkWidget* bar_ = nullptr;
  ExportOutcome outcome_ = ExportOutcome::Error;
  std::string text_;
};

// The channels switched on in the window (0 where a button is absent or
// insensitive).
void chosen_channels(GtkWidget* w, int on[kMaxChannels + 1]) {
  on[0] = 0;
  for (int n = 1; n <= kMaxChannels; n++) {
    GtkWidget* b = Find_Widget(w, kChannelIds[n]);
    on[n] = b != nullptr && gtk_widget_get_sensitive(b) && Get_Button(w, kChannelIds[n]) != 0 ? 1 : 0;
  }
}

// A single-channel kind keeps the first channel on, a recording all.
void keep_first_for_single(FileKind kind, int on[kMaxChannels + 1]) {
  if (!save_single_channel(kind)) return;
  bool kept = false;
  for (int n = 1; n <= kMaxChannels; n++) {
    if (on[n] != 0 && kept) on[n] = 0;
    kept = kept || on[n] != 0;
  }
}

void show_channels(GtkWidget* w, const int on[kMaxChannels + 1]) {
  for (int n = 1; n <= kMaxChannels; n++) Set_Local_Button(w, kChannelIds[n], on[n]);
}

// "New name" and every kind button: a free name from the typed one with
// the kind's extension.
void propose_name(SaveWndState& st) {
  const char* typed = Get_Entry(st.window, kNameId);
  std::string name = save_new_name(typed != nullptr ? typed : "", st.mw->pic()->dir, st.kind);
  if (name.empty()) {
    Create_Message("Error", "No free file name for %s.", typed != nullptr ? typed : "");
    return;
  }
  Set_Entry1(st.window, kNameId, name.c_str());
  Set_Led(st.window, kLedId, save_led_colour(st.mw->view()->rgb_map, st.kind));
}

void channel_pressed(SaveWndState& st, int pressed) {
  const PIC_INFO* pic = st.mw->pic();
  int on[kMaxChannels + 1] = {};
  chosen_channels(st.window, on);
  // A button just pressed off stays off; one pressed on is the one kept.
  if (pressed > 0 && on[pressed] == 0) return;
  save_channel_pressed(st.kind, pressed, pic->chan_present, on);
  show_channels(st.window, on);
}

// The path the name stands for: an absolute name as typed, else in the
// picture's directory.
std::string save_path(const PIC_INFO* pic, const std::string& name) {
  if (!name.empty() && name[0] == kDirSep) return name;
  return join_path(pic->dir, name);
}

void do_save(const SaveStateRef& st) {
  MainWindow* mw = st->mw;
  if (!mw->has_picture()) {
    Create_Message("Error", "No picture open; nothing to save.");
    return;
  }
  int on[kMaxChannels + 1] = {};
  chosen_channels(st->window, on);
  auto dst = std::make_unique<PIC_INFO>();
  int count = save_destination(mw->pic(), dst.get(), st->kind, on);
  if (count == 0 && (mw->view()->rgb_map == 0 || is_hrpt_family(dst->file_type))) {
    Create_Message("Error", "No channels selected.");
    return;
  }
  const char* typed = Get_Entry(st->window, kNameId);
  std::string name = typed != nullptr ? typed : "";
  if (name.empty()) {
    Create_Message("Error", "No file name given.");
    return;
  }
  const std::string path = save_path(mw->pic(), name);
  if (is_source_file(*mw->pic(), path)) {
    Create_Message("Error", "Can't save over the open picture %s.", path.c_str());
    return;
  }
  // Asked before anything is written: only "OK" overwrites.
  if (exist_file(path) != 0 &&
      Create_Choice("Warning", {"Cancel", "OK"}, " File %s exist. Overwrite?", path.c_str()) != 2)
    return;
  // The answer may have come after the window or the picture went.
  if (st->window == nullptr || !mw->has_picture()) return;
  // The view as it is now; the export works on its own copies of it and of
  // the picture.
  auto view = std::make_unique<VIEW_INFO>(*mw->view());
  SaveProgress told(st);
  st->busy = true;
  (void)Save_it(&told, mw->pic(), dst.get(), path, view.get());
  st->busy = false;
  if (mw->window() != nullptr)
    Create_Message(told.outcome() == ExportOutcome::Info ? "Info" : "Error", "%s", told.text().c_str());
}

}  // namespace

void MenuSave(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr) return;
  GtkWidget* w = Create_Window(mw->window(), 0, 0, kSaveTitle, save_destroyed);
  if (w == nullptr) return;  // open already: raised
  auto st = std::make_shared<SaveWndState>();
  st->mw = mw;
  st->window = w;
  st->kind = save_initial_kind(mw->pic()->file_type);
  g_object_set_data_full(G_OBJECT(w), kStateKey, new SaveStateRef(st),
                         [](gpointer p) { delete static_cast<SaveStateRef*>(p); });

  GtkWidget* rows[2] = {gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0),
                        gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 0)};
  for (int n = 1; n <= kMaxChannels; n++)
    gtk_box_pack_start(GTK_BOX(rows[(n - 1) / kChannelsPerRow]),
                       Create_Toggle(kChannelIds[n], save_commands, 0), TRUE, TRUE, 0);
  GtkWidget* channels = Pack("Channel select", 'h', Pack(nullptr, 'v', rows[0], 0, rows[1], 0, nullptr), 3,
                             Create_Button("All", save_commands), 0, nullptr);
  GtkWidget* kinds = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
  bool first = true;
  for (const ExportKind& k : export_kinds()) {
    gtk_box_pack_start(GTK_BOX(kinds), Create_Radio(k.label, first ? 1 : 0, save_commands), FALSE, FALSE, 0);
    first = false;
  }
  std::string name = save_new_name("dump", mw->pic()->dir, st->kind);
  GtkWidget* fields = Pack(nullptr, 'v', Create_Entry(kNameId, save_commands, "%-30s", name.c_str()), 0,
                           Create_Entry(kShiftId, nullptr, "%3d", 0), 0, nullptr);
  GtkWidget* buttons =
      Pack(nullptr, 'H', Create_Button("New name", save_commands), 3, Create_Button("Save", save_commands), 3,
           Create_Button("Exit", save_commands), 0, nullptr);
  GtkWidget* top = Pack(nullptr, 'h', Create_Led(kLedId, kLedInitial), 3, channels, 3, nullptr);
  GtkWidget* middle = Pack(nullptr, 'h', Pack("File type", 'v', kinds, 0, nullptr), 3, fields, 3, nullptr);
  gtk_container_add(GTK_CONTAINER(w), Pack(nullptr, 'v', top, 3, middle, 3, buttons, 0, nullptr));
  gtk_widget_show_all(w);
  for (const ExportKind& k : export_kinds())
    if (k.kind == st->kind) Set_Local_Button(w, k.label, 1);
  Update_channel_save(w, mw->pic(), mw->view());
  g_signal_connect(w, "delete-event", G_CALLBACK(save_delete), nullptr);
  mw->add_follower(st.get());
  place_window(w, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
}

void save_commands(GtkWidget* widget, const char* id) {
  SaveStateRef st = state_of(widget);
  if (st == nullptr || st->window == nullptr || id == nullptr) return;
  if (std::strcmp(id, "Exit") == 0) {
    // During an export: it stops at its next row, the window goes after.
    if (st->busy)
      st->close_asked = true;
    else
      gtk_widget_destroy(st->window);
    return;
  }
  if (st->busy) return;
  if (const ExportKind* k = kind_of_label(id)) {
    if (Get_Button(st->window, id) == 0) return;  // the button left behind
    st->kind = k->kind;
    int on[kMaxChannels + 1] = {};
    chosen_channels(st->window, on);
    keep_first_for_single(st->kind, on);
    show_channels(st->window, on);
    propose_name(*st);
  } else if (std::strcmp(id, "New name") == 0) {
    propose_name(*st);
  } else if (std::strcmp(id, "All") == 0) {
    channel_pressed(*st, 0);
  } else if (id[0] == ' ') {
    channel_pressed(*st, std::atoi(id));
  } else if (std::strcmp(id, "Save") == 0) {
    do_save(st);
    if (st->close_asked && st->window != nullptr) gtk_widget_destroy(st->window);
  }
}

void Update_channel_save(GtkWidget* save_window, const PIC_INFO* pic, const VIEW_INFO* view) {
  if (save_window == nullptr || pic == nullptr || view == nullptr) return;
  SaveStateRef st = state_of(save_window);
  const FileKind kind = st != nullptr ? st->kind : kKindGIF;
  // A recording keeps every channel of the picture, a single-channel
  // picture the one shown (as kelo-export does without a channel option).
  const bool single = save_single_channel(kind);
  int on[kMaxChannels + 1] = {};
  bool any = false;
  for (int n = 1; n <= kMaxChannels; n++) {
    const int present = pic->chan_present[n] != 0 ? 1 : 0;
    Sense_Button(save_window, kChannelIds[n], present);
    on[n] = present != 0 && (!single || view->chan_sel[n] != 0) ? 1 : 0;
    any = any || on[n] != 0;
  }
  // No channel shown (a colour mix): the first one present is proposed.
  for (int n = 1; !any && n <= kMaxChannels; n++) {
    if (pic->chan_present[n] != 0) {
      on[n] = 1;
      any = true;
    }
  }
  keep_first_for_single(kind, on);
  show_channels(save_window, on);
  if (st != nullptr) Set_Led(save_window, kLedId, save_led_colour(view->rgb_map, st->kind));
}

}  // namespace kelo
