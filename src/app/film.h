// The film show: the pictures of a PGM/PPM film or of a slide list shown one
// after another on a timer, from the "Film" window ("View/Film..."), the
// key s, or "-slide <series>" on the command line; Escape or the "Run/Stop"
// toggle stops it.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "core/view/slide_series.h"

namespace kelo {

class MainWindow;

inline constexpr const char* kFilmTitle = "Film";
inline constexpr int kSlideIntervalDefault = 1000;  // ms when none is set

// The show of one main window. One timer at most; the series keeps its own
// path and file handle. Removed with the main window (its timer with it).
class FilmShow {
 public:
  explicit FilmShow(MainWindow* mw) : mw_(mw) {}
  ~FilmShow();
  FilmShow(const FilmShow&) = delete;
  FilmShow& operator=(const FilmShow&) = delete;

  // Starts the timer (`do_slide`). With `series` given the series is opened
  // from its first picture, which must exist; without it a series not yet
  // open is opened from the picture on screen at the first step. A running
  // timer is kept, never doubled. False when nothing was started.
  bool start(const std::string& series);
  bool start() { return start(std::string()); }
  // One timer step (`run_slides`): the next picture, or the end of a round.
  // False when the timer is to end.
  bool step();
  bool timer_running() const { return timer_ != 0; }
  // "-slide <series>": the show starts once the window is up and idle.
  void schedule(const std::string& series);
  // Pictures shown since the show started.
  int shown() const { return shown_; }

 private:
  static gboolean on_timer(gpointer self);
  static gboolean on_idle_start(gpointer self);
  void end_timer();
  bool next_slide(SlideRef* ref);  // `get_next_slide`

  MainWindow* mw_;
  SlideSeries series_;
  std::string series_path_;
  guint timer_ = 0;
  guint idle_ = 0;
  std::string pending_;  // the series of a scheduled start
  int shown_in_round_ = 0;
  int shown_ = 0;
};

// The show of the main window of `widget` (made on first use), or null.
FilmShow* film_of(GtkWidget* widget);
// Key s: the show starts from the picture on screen.
void film_key_start(GtkWidget* widget);
// Escape: the show ends at its next step.
void film_key_stop(GtkWidget* widget);
// "View/Film...": the "Film" window with "Speed" and "Run/Stop".
void Menu_Film(GtkWidget* widget, const char* id);
void film_cmds(GtkWidget* widget, const char* id);
// "-slide <series>" at start-up: the show starts once the window is up.
void sched_slide(MainWindow* mw, const std::string& series);

}  // namespace kelo
