// The film show and the "Film" window. Each step opens the next picture of
// the series into the main window; the operator's zoom and luminance window
// stay from picture to picture.
#include "app/film.h"

#include <cstring>

#include "app/main_wnd.h"
#include "core/files/file.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kFilmKey = "kelo_film";
constexpr int kSpeedStep = 100, kSpeedMin = 100, kSpeedMax = 60000;

// The step time: the "Speed" field's, else "-speed" from the command line,
// else a second.
int interval_of(VIEW_INFO* view) {
  if (view->slide_interval <= 0)
    view->slide_interval = view->slide_speed > 0 ? view->slide_speed : kSlideIntervalDefault;
  return view->slide_interval;
}

}  // namespace

FilmShow::~FilmShow() {
  end_timer();
  if (idle_ != 0) g_source_remove(idle_);
}

void FilmShow::end_timer() {
  if (timer_ != 0) g_source_remove(timer_);
  timer_ = 0;
}

bool FilmShow::start(const std::string& series) {
  VIEW_INFO* view = mw_->view();
  view->slide_mode = true;
  const int interval = interval_of(view);
  if (!series.empty()) {
    if (!series_.open(series)) {
      mw_->show_note("Film: cannot open " + series);
      return false;
    }
    series_path_ = series;
    shown_in_round_ = 0;
  }
  view->film_running = true;
  if (timer_ == 0) timer_ = g_timeout_add(static_cast<guint>(interval), on_timer, this);
  return true;
}

void FilmShow::schedule(const std::string& series) {
  pending_ = series;
  if (idle_ == 0) idle_ = g_idle_add(on_idle_start, this);
}

gboolean FilmShow::on_idle_start(gpointer self) {
  auto* show = static_cast<FilmShow*>(self);
  show->idle_ = 0;
  // "-slide x film.pgm": a value that names no file leaves the series to
  // the picture named on the command line.
  std::string series = show->pending_;
  if (detect_file(series) == kKindNone && show->mw_->has_picture()) series = show->mw_->pic()->path;
  show->start(series);
  return G_SOURCE_REMOVE;
}

gboolean FilmShow::on_timer(gpointer self) {
  auto* show = static_cast<FilmShow*>(self);
  if (show->step()) return G_SOURCE_CONTINUE;
  show->timer_ = 0;  // the source ends with this return
  // An open "Film" window shows the show has ended.
  if (GtkWidget* w = Find_Window(show->mw_->window(), kFilmTitle)) {
    MainWindow::Quiet quiet(show->mw_);
    Set_Local_Button(w, "Run/Stop", 0);
    Update_Togglelabel(Find_Widget(w, "Run/Stop"));
  }
  return G_SOURCE_REMOVE;
}

bool FilmShow::next_slide(SlideRef* ref) {
  if (!series_.is_open()) {
    // Started from the picture on screen: the series is that file.
    if (!mw_->has_picture() || !series_.open(mw_->pic()->path)) return false;
    series_path_ = mw_->pic()->path;
    shown_in_round_ = 0;
  }
  return series_.next(ref);
}

bool FilmShow::step() {
  VIEW_INFO* view = mw_->view();
  if (!view->film_running) {
    // Stopped (Escape or "Run/Stop"): the last picture stays.
    gtk_window_set_title(GTK_WINDOW(mw_->window()), kMainTitle);
    view->slide_offset = 0;
    return false;
  }
  // A pass still draws the last picture: this step waits for the next tick.
  if (mw_->in_pass()) return true;
  SlideRef ref;
  if (next_slide(&ref)) {
    const ZOOM zoom = view->zoom;
    const int lmin = view->lmin, lmax = view->lmax;
    std::vector<std::string> errors;
    if (mw_->open_slide(ref.path, ref.offset, &errors) != 0) {
      // A missing or damaged picture is passed over; the show goes on.
      mw_->show_note("Film: " + strip_filename(ref.path) +
                     " skipped: " + (errors.empty() ? "" : errors.front()));
      return true;
    }
    ++shown_in_round_;
    ++shown_;
    view = mw_->view();
    if (lmin != lmax) {
      // The operator's view stays from picture to picture.
      view->zoom = zoom;
      view->lmin = lmin;
      view->lmax = lmax;
    }
    const PIC_INFO* pic = mw_->pic();
    const std::string title = std::string(kMainTitle) + "    " +
                              (pic->sat_name.empty() ? "Slide " + strip_filename(ref.path) : pic->sat_name);
    gtk_window_set_title(GTK_WINDOW(mw_->window()), title.c_str());
    mw_->request_redraw();
    return true;
  }
  // The end of a round: while running, the series begins again.
  gtk_window_set_title(GTK_WINDOW(mw_->window()), kMainTitle);
  view->slide_offset = 0;
  if (shown_in_round_ == 0) {
    // Nothing could be shown: one message, and the show ends.
    mw_->show_note("Film: no picture in " + strip_filename(series_path_));
    view->film_running = false;
    series_.close();
    return false;
  }
  shown_in_round_ = 0;
  if (!series_.rewind()) {
    view->film_running = false;
    return false;
  }
  return true;
}

FilmShow* film_of(GtkWidget* widget) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->window() == nullptr) return nullptr;
  GObject* main = G_OBJECT(mw->window());
  auto* show = static_cast<FilmShow*>(g_object_get_data(main, kFilmKey));
  if (show == nullptr) {
    // Freed with the main window: its timer goes with it.
    show = new FilmShow(mw);
    g_object_set_data_full(main, kFilmKey, show, [](gpointer p) { delete static_cast<FilmShow*>(p); });
  }
  return show;
}

void film_key_start(GtkWidget* widget) {
  if (FilmShow* show = film_of(widget)) show->start();
}

void film_key_stop(GtkWidget* widget) {
  if (MainWindow* mw = main_window_of(widget)) mw->view()->film_running = false;
}

void sched_slide(MainWindow* mw, const std::string& series) {
  if (FilmShow* show = film_of(mw->window())) show->schedule(series);
}

namespace {

void speed_changed(GtkAdjustment* adj, const char* id) {
  film_cmds(static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(adj), kKeyAdj)), id);
}

void film_destroyed(GtkWidget* window) {
  // The window manager's close stops the show as "Run/Stop" does.
  film_key_stop(window);
  destroy_window(window);
}

}  // namespace

void Menu_Film(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr) return;
  GtkWidget* w = Create_Window(mw->window(), 0, 0, kFilmTitle, film_destroyed);
  if (w == nullptr) return;  // open already: raised
  g_signal_connect_object(mw->window(), "destroy", G_CALLBACK(gtk_widget_destroy), w, G_CONNECT_SWAPPED);
  const int speed = interval_of(mw->view());
  GtkWidget* run = Create_Toggle("Run/Stop", film_cmds, 0);
  const LumoColor normal = rgb12_color(0xf88), down = rgb12_color(0xf55);
  Set_Color(run, kColorBg, &normal, &normal, &down, nullptr, nullptr);
  gtk_container_add(GTK_CONTAINER(w), Pack(nullptr, 'h',
                                           Create_Spin("Speed", speed_changed, "%4d%4d%4d%4d", kSpeedStep,
                                                       speed, kSpeedMin, kSpeedMax),
                                           3, run, 0, nullptr));
  place_window(w, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
  gtk_widget_show_all(w);
}

void film_cmds(GtkWidget* widget, const char* id) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->quiet() || id == nullptr) return;
  GtkWidget* w = Find_Window(mw->window(), kFilmTitle);
  if (w == nullptr) return;
  if (std::strcmp(id, "Speed") == 0) {
    // Taken at the next start.
    mw->view()->slide_interval = static_cast<int>(Get_Adjust(w, id));
  } else if (std::strcmp(id, "Run/Stop") == 0) {
    GtkWidget* run = Find_Widget(w, id);
    if (Update_Togglelabel(run) != 0) {
      film_key_start(w);
    } else {
      film_key_stop(w);
    }
  }
}

}  // namespace kelo
