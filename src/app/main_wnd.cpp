// The main window: built from the GUI layer's menus, entries, spin and
// canvas; redraw scheduling; the View, Zoom, Channel and Help menus.
#include "app/main_wnd.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/film.h"
#include "app/header_edit_wnd.h"
#include "app/info_wnd.h"
#include "app/kepler_wnd.h"
#include "app/lum_wnd.h"
#include "app/mapchan_wnd.h"
#include "app/open_close.h"
#include "app/orbit_edit_wnd.h"
#include "app/port_test_wnd.h"
#include "app/prefs_wnd.h"
#include "app/record_wnd.h"
#include "app/save_wnd.h"
#include "app/view_input.h"
#include "app/zoom_wnd.h"
#include "core/base/misc.h"
#include "core/base/prefer.h"
#include "core/files/file.h"
#include "core/orbit/draw_satpos.h"
#include "core/view/channels.h"
#include "core/view/draw.h"
#include "core/view/mapping.h"
#include "core/view/open_picture.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/canvas.h"
#include "lumo/lumo_misc.h"
#include "lumo/menus.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

// Object data on the main window.
constexpr const char* kKeyMain = "kelo_main";
constexpr const char* kKeyPic = "kelo_pci";
constexpr const char* kKeyView = "kelo_vwi";
constexpr const char* kKeyRecord = "kelo_rdi";

constexpr const char* kChannelPrefix = "Channel/Ch";
// Events handled between two rows of a pass at most: enough for a burst of
// pointer motion, never an endless loop on a busy event source.
constexpr int kMaxEventsPerRow = 64;
void quit_item(GtkWidget* item, const char*) {
  if (MainWindow* mw = main_window_of(item)) mw->quit();
}

void gamma_changed(GtkAdjustment* adj, const char*) {
  MainWindow* mw = main_window_of(static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(adj), kKeyAdj)));
  if (mw != nullptr && !mw->quiet()) mw->request_redraw();
}

bool is_polar(FileKind k) {
  return k == kKindHRPT || k == kKindCHRPT || k == kKindSeaStar || k == kKindAHRPT;
}

std::vector<MenuEntry> menu_entries() {
  return {
      {"/File", nullptr, kMenuButton},
      {"File/Open...", MenuSelectFile, kMenuButton},
      {"File/Close", close_file, kMenuButton},
      {"File/Save as...", MenuSave, kMenuButton},
      {"File/File info...", Menu_Info, kMenuButton},
      {"File/Load Kepler...", Menu_LDKepler, kMenuButton},
      {"separator/", nullptr, kMenuButton},
      {"File/Quit", quit_item, kMenuButton},
      {"/Edit", nullptr, kMenuButton},
      {"Edit/File header...", Menu_Hdredt, kMenuButton},
      {"Edit/Kepler...", Menu_orbitedt, kMenuButton},
      {"separator/", nullptr, kMenuButton},
      {"Edit/Preferences...", MenuPrefs, kMenuButton},
      {"/View", nullptr, kMenuButton},
      {"View/Sat from South", Menu_Viewbuts, kMenuCheck},
      {"View/Grid", Menu_Viewbuts, kMenuCheck},
      {"View/Position XY", Menu_Viewbuts, kMenuCheck},
      {"View/Invert", Menu_Viewbuts, kMenuCheck},
      {"View/Temperature", Menu_Viewbuts, kMenuCheck},
      {"View/Linearize", Menu_Viewbuts, kMenuCheck},
      {"View/Despeckle", Menu_Viewbuts, kMenuCheck},
      {"View/Mark faulty lines", Menu_Viewbuts, kMenuCheck},
      {"View/Skip faulty lines", Menu_Viewbuts, kMenuCheck},
      {"/View/Set skip", nullptr, kMenuButton},
      {"View/Set skip/Use Pre sync", Menu_Viewbuts, kMenuCheck},
      {"View/Set skip/Use Post sync", Menu_Viewbuts, kMenuCheck},
      {"/View/Palette", nullptr, kMenuButton},
      {"View/Palette/Load_Palette", load_palette, kMenuRadio},
      {"View/Palette/Grey_Palette", load_greyscale, kMenuRadio},
      {"View/Lum...", Menu_Lummap, kMenuButton},
      {"View/Channel_map...", Menu_Mapchan, kMenuButton},
      {"View/Film...", Menu_Film, kMenuButton},
      {"/Zoom", nullptr, kMenuButton},
      {"Zoom/100% (f)", Menu_Zoombuts, kMenuButton},
      {"Zoom/In (i)", Menu_Zoombuts, kMenuButton},
      {"Zoom/Out (o)", Menu_Zoombuts, kMenuButton},
      {"Zoom/Var (z)", Menu_Zoombuts, kMenuButton},
      {"Zoom/Fix (ctrl)", Menu_Zoombuts, kMenuButton},
      {"Zoom/Last (l)", Menu_Zoombuts, kMenuButton},
      {"Zoom/dx->dy (c)", Menu_Zoombuts, kMenuButton},
      {"Zoom/dy->dx (C)", Menu_Zoombuts, kMenuButton},
      {"Zoom/zx->zy", Menu_Zoombuts, kMenuButton},
      {"Zoom/zy->zx", Menu_Zoombuts, kMenuButton},
      {"Zoom/Values...", Menu_Zoombuts, kMenuButton},
      {"Lum threshold", Menu_Lumthr, kMenuButton},
      {"/Record", nullptr, kMenuButton},
      {"Record/HRPT...", Menu_Rec_Hrpt, kMenuButton},
      {"Record/HRI...", Menu_Rec_Hri, kMenuButton},
      {"Record/Raw...", Menu_Rec_Rawd, kMenuButton},
      {"/Channel", nullptr, kMenuButton},
      {"Channel/Ch1", Menu_Channel, kMenuRadio},
      {"Channel/Ch2", Menu_Channel, kMenuRadio},
      {"Channel/Ch3", Menu_Channel, kMenuRadio},
      {"Channel/Ch4", Menu_Channel, kMenuRadio},
      {"Channel/Ch5", Menu_Channel, kMenuRadio},
      {"Channel/Ch6", Menu_Channel, kMenuRadio},
      {"Channel/Ch7", Menu_Channel, kMenuRadio},
      {"Channel/Ch8", Menu_Channel, kMenuRadio},
      {"Channel/Ch9", Menu_Channel, kMenuRadio},
      {"Channel/Ch10", Menu_Channel, kMenuRadio},
      {"/Help", nullptr, kMenuButton},
      {"Help/Prog info", Menu_Help, kMenuButton},
      {"Help/Test parport", Menu_Test, kMenuButton},
      {nullptr, nullptr, 0},
  };
}

// Sets a check or radio item without its callback acting (the caller holds
// MainWindow::Quiet).
void set_item(GtkWidget* window, const char* id, bool on) {
  GtkWidget* w = Find_Widget(window, id);
  if (w != nullptr && GTK_IS_CHECK_MENU_ITEM(w)) gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(w), on);
}

bool item_active(GtkWidget* item) {
  return item != nullptr && GTK_IS_CHECK_MENU_ITEM(item) &&
         gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item));
}

}  // namespace

// ---------------------------------------------------------------- lookup
MainWindow* main_window_of(GtkWidget* widget) {
  if (widget == nullptr) return nullptr;
  GtkWidget* top = Find_Parent_Window(widget);
  if (top == nullptr) return nullptr;
  auto* mw = static_cast<MainWindow*>(g_object_get_data(G_OBJECT(top), kKeyMain));
  if (mw != nullptr) return mw;
  GtkWidget* main = Find_Window(top, kMainTitle);
  return main != nullptr ? static_cast<MainWindow*>(g_object_get_data(G_OBJECT(main), kKeyMain)) : nullptr;
}

namespace {
void* main_data(GtkWidget* widget, const char* key) {
  MainWindow* mw = main_window_of(widget);
  return mw != nullptr && mw->window() != nullptr ? g_object_get_data(G_OBJECT(mw->window()), key) : nullptr;
}
}  // namespace

PIC_INFO* Get_Picinfo_db(GtkWidget* widget) { return static_cast<PIC_INFO*>(main_data(widget, kKeyPic)); }
VIEW_INFO* Get_Viewinfo_db(GtkWidget* widget) { return static_cast<VIEW_INFO*>(main_data(widget, kKeyView)); }
RECORD_INFO* Get_Recordinfo_db(GtkWidget* widget) {
  return static_cast<RECORD_INFO*>(main_data(widget, kKeyRecord));
}

// ---------------------------------------------------------------- window
MainWindow::MainWindow(std::unique_ptr<PIC_INFO> pic, std::unique_ptr<VIEW_INFO> view,
                       std::unique_ptr<RECORD_INFO> record, PREFS& prefs, StationSession& session)
    : pic_(std::move(pic)),
      view_(std::move(view)),
      record_(std::move(record)),
      prefs_(prefs),
      session_(session) {}

void MainWindow::add_follower(WindowFollower* f) {
  if (f != nullptr && std::find(followers_.begin(), followers_.end(), f) == followers_.end())
    followers_.push_back(f);
}

void MainWindow::remove_follower(WindowFollower* f) {
  followers_.erase(std::remove(followers_.begin(), followers_.end(), f), followers_.end());
}

MainWindow::~MainWindow() {
  if (idle_id_ != 0) g_source_remove(idle_id_);
  idle_id_ = 0;
  if (window_ != nullptr) {
    g_signal_handlers_disconnect_by_data(window_, this);
    g_object_set_data(G_OBJECT(window_), kKeyMain, nullptr);
    gtk_widget_destroy(window_);
    window_ = nullptr;
  }
  if (cursor_ != nullptr) g_object_unref(cursor_);
}

DRAWABLE_INFO* MainWindow::canvas() const { return area_ != nullptr ? Get_RGBI(area_) : nullptr; }

void MainWindow::build_menu_and_status(GtkWidget** menubar, GtkWidget** status) {
  *menubar = Create_Menu(window_, menu_entries());
  GtkWidget* position = Create_Entry("Position", nullptr, "x=%5.2f,y=%5.2f", 0.0, 0.0);
  GtkWidget* pixel = Create_Entry("Pixel", nullptr, "%8d", 0);
  GtkWidget* gamma = Create_Spin("Gamma", gamma_changed, "%8.1f%f%f", 1.0, 0.2, 5.0);
  GtkWidget* satellite = Create_Entry("Satellite", nullptr, "%10s", "");
  GtkWidget* note = Create_Entry("Note", nullptr, "%10s", "");
  *status = Pack(nullptr, 'h', position, 3, pixel, 3, gamma, 3, satellite, 3, note, -1, nullptr);
}

bool MainWindow::build(bool fit_screen) {
  int w = prefs_.main_w, h = prefs_.main_h;
  if (fit_screen) {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display != nullptr ? gdk_display_get_primary_monitor(display) : nullptr;
    if (monitor == nullptr && display != nullptr) monitor = gdk_display_get_monitor(display, 0);
    if (monitor != nullptr) {
      GdkRectangle r;
      gdk_monitor_get_geometry(monitor, &r);
      w = r.width;
      h = r.height - kScreenReserveH;
    }
  }
  if (w == 0 && h == 0) w = h = -1;
  window_ = Create_Window(nullptr, w, h, kMainTitle, nullptr);
  if (window_ == nullptr) return false;
  g_object_set_data(G_OBJECT(window_), kKeyMain, this);
  g_object_set_data(G_OBJECT(window_), kKeyPic, pic_.get());
  g_object_set_data(G_OBJECT(window_), kKeyView, view_.get());
  g_object_set_data(G_OBJECT(window_), kKeyRecord, record_.get());
  g_signal_connect(window_, "delete-event", G_CALLBACK(on_delete), this);
  g_signal_connect(window_, "destroy", G_CALLBACK(on_destroy), this);

  GtkWidget* menubar = nullptr;
  GtkWidget* status = nullptr;
  build_menu_and_status(&menubar, &status);
  if (menubar == nullptr) return false;
  GtkWidget* canvas = Create_Canvas(window_, prefs_.canvas_w, prefs_.canvas_h, configure_event_main,
                                    key_actions, mouse_button, mouse_motion);
  area_ = canvas_drawing_area(canvas);
  if (area_ == nullptr) return false;
  g_object_set_data(G_OBJECT(area_), kKeyId, const_cast<char*>(kCanvasId));
  GtkWidget* scrolled = Add_Scrollbars(canvas, "hbar", "vbar", scroll_actions);
  GtkWidget* box = SPack(nullptr, "v", menubar, "", status, "", scrolled, "ef", nullptr);
  gtk_container_add(GTK_CONTAINER(window_), box);
  place_window(window_, prefs_.main_x, prefs_.main_y, prefs_.main_wnd_mode);

  load_palettes(false);
  // Lines whose successor lacks its frame sync are skipped by default.
  view_->skip_mask |= kLinePostSync;
  show_picture_state();
  Set_Enable_Update(area_, 1);
  gtk_widget_show_all(window_);
  return true;
}

void MainWindow::set_title(const std::string& title) {
  if (window_ != nullptr) gtk_window_set_title(GTK_WINDOW(window_), title.c_str());
}

void MainWindow::show_picture_state() {
  if (window_ == nullptr) return;
  Quiet quiet(this);
  const bool open = has_picture();
  set_title(open ? picture_window_title(pic_->path) : std::string(kMainTitle));
  Sense_Button(window_, "File/Close", open ? 1 : 0);
  Set_Entry(window_, "Satellite", "%s", open ? pic_->sat_name.c_str() : "");
  init_menubuts(window_, pic_.get(), view_.get());
  set_item(window_, "View/Grid", view_->grid_on != 0);
  set_item(window_, "View/Position XY", view_->show_xy != 0);
  set_item(window_, "View/Invert", view_->invert != 0);
  set_item(window_, "View/Temperature", view_->temperature != 0);
  set_item(window_, "View/Despeckle", view_->despeckle_on != 0);
  set_item(window_, "View/Mark faulty lines", view_->mark_faulty != 0);
  set_item(window_, "View/Skip faulty lines", view_->skip_faulty != 0);
  set_item(window_, "View/Set skip/Use Pre sync", (view_->skip_mask & kLinePreSync) != 0);
  set_item(window_, "View/Set skip/Use Post sync", (view_->skip_mask & kLinePostSync) != 0);
  const auto states = channel_states(pic_.get(), view_.get());
  char id[32];
  for (int n = 1; n <= kMaxChannels; ++n) {
    std::snprintf(id, sizeof id, "%s%d", kChannelPrefix, n);
    Sense_Button(window_, id, states[static_cast<size_t>(n)].sensitive ? 1 : 0);
    if (states[static_cast<size_t>(n)].active) set_item(window_, id, true);
  }
  Sense_Button(window_, "Channel", view_->rgb_map ? 0 : 1);
}

void init_menubuts(GtkWidget* window, const PIC_INFO* pic, const VIEW_INFO* view) {
  if (window == nullptr || pic == nullptr || view == nullptr) return;
  MainWindow* mw = main_window_of(window);
  std::unique_ptr<MainWindow::Quiet> quiet;
  if (mw != nullptr) quiet = std::make_unique<MainWindow::Quiet>(mw);
  const FileKind k = pic->pic_fp ? pic->file_type : kKindNone;
  const int polar = is_polar(k) ? 1 : 0;
  for (const char* id :
       {"View/Linearize", "Edit/Kepler...", "File/Load Kepler...", "View/Temperature", "View/Channel_map...",
        "View/Set skip", "View/Set skip/Use Pre sync", "View/Set skip/Use Post sync"}) {
    Sense_Button(window, id, polar);
  }
  const int with_lines = (k >= kKindHRPT && k <= kKindAHRPT) ? 1 : 0;
  for (const char* id : {"View/Grid", "View/Skip faulty lines", "View/Mark faulty lines"})
    Sense_Button(window, id, with_lines);
  set_item(window, "View/Linearize", polar && view->linearize != 0);
  set_item(window, "View/Sat from South", k != kKindGIF && view->scan_dir == ScanDir::BottomUp);
  Sense_Button(window, "View/Sat from South", k != kKindGIF ? 1 : 0);
  if (!pic->pic_fp) Sense_Button(window, "File/Close", 0);
}

void MainWindow::load_palettes(bool grey) {
  DRAWABLE_INFO* c = canvas();
  if (c == nullptr) return;
  if (grey)
    Create_RGBPalette(c, std_palette(nullptr));
  else
    load_std_palette(c, has_picture() ? pic_.get() : nullptr);
  Create_GCPalette(window_, extra_palette());
}

void MainWindow::set_cursor(CanvasCursor shape) {
  if (area_ == nullptr) return;
  GdkWindow* win = gtk_widget_get_window(area_);
  if (win == nullptr) return;
  // Cursors by their theme names, the nearest of the classic font shapes.
  const char* name = shape == CanvasCursor::kPlus    ? "crosshair"
                     : shape == CanvasCursor::kWatch ? "wait"
                                                     : "default";
  GdkCursor* c = gdk_cursor_new_from_name(gtk_widget_get_display(area_), name);
  gdk_window_set_cursor(win, c);
  if (cursor_ != nullptr) g_object_unref(cursor_);
  cursor_ = c;
}

// ---------------------------------------------------------------- redraws
void MainWindow::request_redraw() {
  if (window_ == nullptr) return;
  if (in_pass_) {
    // Folded: the running pass stops at its next row and one pass follows.
    view_->redraw_pending = 1;
    return;
  }
  if (idle_id_ == 0) idle_id_ = g_idle_add(on_idle_redraw, this);
}

gboolean MainWindow::on_idle_redraw(gpointer self) {
  auto* mw = static_cast<MainWindow*>(self);
  mw->idle_id_ = 0;
  mw->redraw_now();
  return G_SOURCE_REMOVE;
}

void MainWindow::redraw_now() {
  if (window_ == nullptr || area_ == nullptr) return;
  // The recording draws its live rows on the canvas; the picture waits.
  if (in_pass_ || recording_) {
    view_->redraw_pending = 1;
    return;
  }
  view_->redraw_pending = 0;
  DRAWABLE_INFO* c = canvas();
  if (c == nullptr || c->rgb_buf.empty() || !has_picture()) return;
  view_->gamma = static_cast<float>(Get_Adjust(window_, "Gamma"));
  correct_zoomval(c, view_.get(), pic_.get());
  scroll_update(this);
  Update_Zoom(window_);

  in_pass_ = true;
  stop_now_ = false;
  escaped_ = false;
  // The canvas record lives as long as its widget: held for the pass.
  g_object_ref(area_);
  GtkWidget* area = area_;
  Set_Enable_Update(area, 0);
  const int rc = draw_pic(pic_.get(), view_.get(), c, this);
  const bool complete = rc == 0 && !stop_now_ && view_->redraw_pending == 0 && window_ != nullptr;
  if (complete && view_->grid_on) {
    set_cursor(CanvasCursor::kWatch);
    draw_lonlat_canvas(pic_.get(), view_.get(), c, this);
    set_cursor(view_->zoom_var ? CanvasCursor::kPlus : CanvasCursor::kArrow);
  }
  Set_Enable_Update(area, 1);
  g_object_unref(area);
  in_pass_ = false;
  ++passes_;
  picture_drawn_ = complete;
  if (quit_asked_) {
    if (window_ != nullptr) gtk_widget_destroy(window_);
    return;
  }
  if (complete) {
    // A follower may remove itself while it is told.
    const std::vector<WindowFollower*> followers = followers_;
    for (WindowFollower* f : followers)
      if (std::find(followers_.begin(), followers_.end(), f) != followers_.end()) f->pass_done();
  }
  if (view_->redraw_pending != 0) {
    view_->redraw_pending = 0;
    request_redraw();
  }
}

// ---------------------------------------------------------------- pass listener
void MainWindow::pass_started() {
  last_events_us_ = 0;  // the first row looks at the queue: a close may be waiting
  set_cursor(CanvasCursor::kWatch);
  if (area_ != nullptr) gdk_display_flush(gtk_widget_get_display(area_));
}

void MainWindow::pass_ended() { set_cursor(view_->zoom_var ? CanvasCursor::kPlus : CanvasCursor::kArrow); }

void MainWindow::rows_drawn(int y, int rows) {
  if (area_ == nullptr) return;
  const DRAWABLE_INFO* c = canvas();
  if (c != nullptr) gtk_widget_queue_draw_area(area_, 0, y, c->width, rows);
}

bool MainWindow::stop_requested() {
  // The window stays alive during a pass: paints, moves, resizes, menus and
  // keys are handled here. Escape is taken from the queue; other keys reach
  // key_actions (which also stops the pass on an Escape it receives). Events
  // are looked at a few times per screen frame, not after every row: a row
  // takes microseconds, and handling the queue each time doubled a pass.
  const gint64 now = g_get_monotonic_time();
  if (now - last_events_us_ < kEventIntervalUs && !stop_now_) return view_->redraw_pending != 0;
  last_events_us_ = now;
  for (int i = 0; i < kMaxEventsPerRow && !stop_now_ && gtk_events_pending(); ++i) {
    if (GdkEvent* ev = gdk_event_peek()) {
      const bool escape = ev->type == GDK_KEY_PRESS && ev->key.keyval == GDK_KEY_Escape;
      gdk_event_free(ev);
      if (escape) {
        if (GdkEvent* taken = gdk_event_get()) gdk_event_free(taken);
        stop_pass(true);
        break;
      }
    }
    gtk_main_iteration_do(FALSE);
  }
  return stop_now_ || window_ == nullptr || view_->redraw_pending != 0;
}

void MainWindow::stop_pass(bool by_operator) {
  if (!in_pass_) return;
  stop_now_ = true;
  if (by_operator) escaped_ = true;
}

void MainWindow::pass_failed(const std::string& text) { Create_Message("Error", "%s", text.c_str()); }

// A warning of the pass (no calibration for this satellite) comes with every
// pass of the picture; the operator is told once per picture.
void MainWindow::pass_warning(const std::string& text) {
  if (text == warned_) return;
  warned_ = text;
  Create_Message("Error", "%s", text.c_str());
}

// ---------------------------------------------------------------- open listener
// The window opens into copies of the records (open_path): title,
// "Satellite", menu switches and channel items follow once the copies have
// become the records, in show_picture_state.
void MainWindow::file_opened(const PIC_INFO&) {}

void MainWindow::picture_ready(const PIC_INFO&, const VIEW_INFO&) {}

void MainWindow::picture_closed() {
  set_title(kMainTitle);
  if (window_ != nullptr) Sense_Button(window_, "File/Close", 0);
}

// ---------------------------------------------------------------- open, close, quit
int MainWindow::open_path(const std::string& path) { return open_at(path, 0, nullptr); }

int MainWindow::open_slide(const std::string& path, int offset, std::vector<std::string>* errors) {
  std::vector<std::string> none;
  return open_at(path, offset, errors != nullptr ? errors : &none);
}

void MainWindow::show_note(const std::string& text) {
  if (window_ != nullptr) Set_Entry(window_, "Note", "%s", text.c_str());
}

int MainWindow::open_at(const std::string& path, int offset, std::vector<std::string>* errors) {
  if (path.size() > kPicPathMax) {
    const std::string text = "File name too long (" + std::to_string(path.size()) + " characters, at most " +
                             std::to_string(kPicPathMax) + "):\n" + path + "\n";
    if (errors != nullptr)
      errors->push_back(text);
    else
      Create_Message("Error", "%s", text.c_str());
    return kErrOpen;
  }
  // Opened into copies: a file that cannot be opened leaves the picture on
  // screen and its records as they were.
  PIC_INFO trial = *pic_;
  VIEW_INFO trial_view = *view_;
  trial.path = path;
  trial_view.slide_offset = offset;
  const int rc = open_picture(&trial, &trial_view, this);
  if (rc != 0) {
    for (const std::string& text : open_error_texts(rc, trial)) {
      if (errors != nullptr)
        errors->push_back(text);
      else
        Create_Message("Error", "%s", text.c_str());
    }
    if (!has_picture()) {
      pic_->file_type = kKindNone;
      picture_closed();
    }
    return rc;
  }
  // A running pass reads the old picture: it stops at its next row, before
  // it touches the records again.
  stop_pass(false);
  *pic_ = std::move(trial);
  *view_ = std::move(trial_view);
  view_->redraw_pending = 0;
  warned_.clear();
  mouse_ = ZOOM_MOUSE{};
  hide_zoomrect(this);
  load_palettes(item_active(Find_Widget(window_, "View/Palette/Grey_Palette")));
  correct_zoomval(canvas(), view_.get(), pic_.get());
  show_picture_state();
  // A satellite chosen for the old picture no longer applies.
  Deselect_Clist(window_, "Select satellite", "Satellites");
  Update_Zoom(window_);
  tell_picture_changed();
  request_redraw();
  return 0;
}

void MainWindow::tell_picture_changed() {
  const std::vector<WindowFollower*> followers = followers_;
  for (WindowFollower* f : followers)
    if (std::find(followers_.begin(), followers_.end(), f) != followers_.end()) f->picture_changed();
}

void MainWindow::close_picture() {
  stop_pass(false);
  close_picfile(pic_.get());
  // Nothing is open: no file kind that a header rewrite or a kind-specific
  // menu item could act on.
  pic_->file_type = kKindNone;
  picture_drawn_ = false;
  mouse_ = ZOOM_MOUSE{};
  hide_zoomrect(this);
  picture_closed();
  show_picture_state();
  tell_picture_changed();
}

void MainWindow::quit() {
  if (window_ == nullptr) return;
  if (recording_) {
    quit_asked_ = true;
    record_->active = false;
    return;
  }
  if (in_pass_) {
    quit_asked_ = true;
    stop_pass(false);
    return;
  }
  gtk_widget_destroy(window_);
}

gboolean MainWindow::on_delete(GtkWidget*, GdkEvent*, gpointer self) {
  static_cast<MainWindow*>(self)->quit();
  return TRUE;  // the window goes through quit(), never under a running pass
}

void MainWindow::on_destroy(GtkWidget*, gpointer self) {
  auto* mw = static_cast<MainWindow*>(self);
  if (mw->idle_id_ != 0) g_source_remove(mw->idle_id_);
  mw->idle_id_ = 0;
  mw->window_ = nullptr;
  mw->area_ = nullptr;
  if (gtk_main_level() > 0) gtk_main_quit();
}

// ---------------------------------------------------------------- callbacks
void Update_Main(GtkWidget* widget) {
  if (MainWindow* mw = main_window_of(widget)) mw->request_redraw();
}

void Update_Main_Wait(GtkWidget* widget) {
  if (MainWindow* mw = main_window_of(widget)) mw->redraw_now();
}

gboolean configure_event_main(GtkWidget* area, GdkEventConfigure*, gpointer) {
  Renew_RGBBuf(area);
  if (MainWindow* mw = main_window_of(area)) {
    hide_zoomrect(mw);
    mw->request_redraw();
  }
  return TRUE;
}

std::string program_info_text() {
  std::string text = "kelo release ";
  text += kVersionText;
  text +=
      "\n\nWeather-satellite receiving station:\n"
      "records HRPT, CHRPT and HRI from the decoder on the parallel port,\n"
      "shows, processes and exports recordings and GIF, PGM and PPM pictures.\n";
  return text;
}

void Menu_Help(GtkWidget*, const char*) { Create_Message("Program info", "%s", program_info_text().c_str()); }

void Menu_Viewbuts(GtkWidget* item, const char* id) {
  MainWindow* mw = main_window_of(item);
  if (mw == nullptr || mw->quiet() || id == nullptr) return;
  VIEW_INFO* v = mw->view();
  const bool s = item_active(item);
  auto is = [id](const char* label) { return std::strcmp(id, label) == 0; };
  // The plain switches: each sets its one view flag.
  static constexpr std::pair<const char*, bool VIEW_INFO::*> kSwitches[] = {
      {"View/Grid", &VIEW_INFO::grid_on},
      {"View/Position XY", &VIEW_INFO::show_xy},
      {"View/Invert", &VIEW_INFO::invert},
      {"View/Temperature", &VIEW_INFO::temperature},
      {"View/Linearize", &VIEW_INFO::linearize},
      {"View/Despeckle", &VIEW_INFO::despeckle_on},
      {"View/Skip faulty lines", &VIEW_INFO::skip_faulty},
      {"View/Mark faulty lines", &VIEW_INFO::mark_faulty},
  };
  bool known = false;
  for (const auto& [label, flag] : kSwitches) {
    if (!is(label)) continue;
    v->*flag = s;
    known = true;
  }
  if (is("View/Sat from South")) {
    v->orientation = s ? Orientation::FromSouth : Orientation::Normal;
    v->scan_dir = s ? ScanDir::BottomUp : ScanDir::TopDown;
    known = true;
  }
  // Which sync marks a faulty line: the bits of this line's own sync, or of
  // the following line's.
  for (const auto& [label, bits] : {std::pair{"View/Set skip/Use Pre sync", kLinePreSync},
                                    std::pair{"View/Set skip/Use Post sync", kLinePostSync}}) {
    if (!is(label)) continue;
    v->skip_mask = s ? (v->skip_mask | bits) : (v->skip_mask & ~bits);
    known = true;
  }
  if (!known) return;
  mw->request_redraw();
}

void Menu_Zoombuts(GtkWidget* item, const char* id) {
  MainWindow* mw = main_window_of(item);
  if (mw == nullptr || id == nullptr || !mw->has_picture()) return;
  if (std::strcmp(id, "Zoom/Values...") == 0) {
    Menu_Zoom(item, id);
    return;
  }
  const DRAWABLE_INFO* c = mw->canvas();
  const int cw = c != nullptr ? c->width : 0;
  const int ch = c != nullptr ? c->height : 0;
  if (zoom_menu(mw->view(), mw->pic(), cw, ch, id) == 0) return;
  if (std::strcmp(id, "Zoom/Var (z)") == 0) {
    mw->set_cursor(CanvasCursor::kPlus);
    return;
  }
  // Armed for the next pointer motion; the zoom is unchanged.
  if (std::strcmp(id, "Zoom/Fix (ctrl)") == 0) return;
  Update_Zoom(mw->window());
  mw->request_redraw();
}

void Menu_Channel(GtkWidget* item, const char* id) {
  MainWindow* mw = main_window_of(item);
  if (mw == nullptr || mw->quiet() || id == nullptr) return;
  const size_t len = std::strlen(kChannelPrefix);
  if (std::strncmp(id, kChannelPrefix, len) != 0) return;
  const int n = std::atoi(id + len);
  if (n < 1 || n > kMaxChannels) return;
  const bool on = item_active(item);
  mw->view()->chan_sel[n] = on ? 1 : 0;
  if (on) mw->request_redraw();
}

void load_palette(GtkWidget* item, const char*) {
  MainWindow* mw = main_window_of(item);
  if (mw == nullptr || mw->quiet() || !item_active(item)) return;
  mw->load_palettes(false);
  mw->request_redraw();
}

void load_greyscale(GtkWidget* item, const char*) {
  MainWindow* mw = main_window_of(item);
  if (mw == nullptr || mw->quiet() || !item_active(item)) return;
  mw->load_palettes(true);
  mw->request_redraw();
}

// ---------------------------------------------------------------- start-up
int run_main_window(std::unique_ptr<PIC_INFO> pic, std::unique_ptr<VIEW_INFO> view,
                    std::unique_ptr<RECORD_INFO> record, PREFS& prefs, const PrefDirs& dirs,
                    StationSession& session, const CmdLine& cmd) {
  set_fontsize(prefs.font_size);
  MainWindow mw(std::move(pic), std::move(view), std::move(record), prefs, session);
  mw.set_pref_dirs(dirs);
  if (!mw.build(cmd.fit_picture)) fatal_error();
  if (cmd.slide) sched_slide(&mw, cmd.slide_path);
  schedule_recordnow(&mw);  // "-record", "-crecord": once the canvas has its buffer
  gtk_main();
  return 0;
}

}  // namespace kelo
