// The main window: menu bar, status row ("Position", "Pixel", "Gamma",
// "Satellite") and the canvas with its scroll bars. The three program
// records hang on it; it runs the picture passes (as their PassListener)
// and hears what opening a picture did (as its OpenListener).
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/cmdline.h"
#include "core/base/prefer.h"
#include "core/base/records.h"
#include "core/files/open_listener.h"
#include "core/record/station_session.h"
#include "core/view/pass_listener.h"
#include "core/view/rgbdraw.h"
#include "core/view/zoom.h"

namespace kelo {

inline constexpr const char* kMainTitle = "Kelo";
inline constexpr const char* kCanvasId = "Is_Canvas";
// The longest picture path the program keeps (the picture record's path
// field holds 200 characters with its terminator).
inline constexpr size_t kPicPathMax = 199;
// Room the window manager's task bar takes below a window sized to the
// screen ("-I").
inline constexpr int kScreenReserveH = 30;

// How often a pass hands the window its events: four times per 60 Hz
// screen frame keeps Escape, moves and resizes answering within a frame.
inline constexpr gint64 kEventIntervalUs = 4000;

// Pointer shapes of the canvas.
enum class CanvasCursor { kArrow, kPlus, kWatch };

// State of the "Zoom" window between its first change and " Close " or
// "Restore".
struct ZoomWndState {
  bool start = true;     // no change since the window opened or was restored
  bool updated = false;  // a redraw was asked from the window
  ZOOM pre;              // the zoom when the first change came
};

// A window that follows the picture of the main window (luminance, Save,
// orbit editors, ...): told after every completed pass and whenever another
// picture was opened or the picture was closed. It removes itself before it
// goes.
class WindowFollower {
 public:
  virtual ~WindowFollower() = default;
  virtual void pass_done() {}
  virtual void picture_changed() {}
};

class MainWindow : public PassListener, public OpenListener {
 public:
  // `prefs` are the session's preferences (window sizes and places, font
  // size; the Preferences window changes them), `session` the station's
  // port, log and GUI seam; the caller keeps both alive as long as the
  // window.
  MainWindow(std::unique_ptr<PIC_INFO> pic, std::unique_ptr<VIEW_INFO> view,
             std::unique_ptr<RECORD_INFO> record, PREFS& prefs, StationSession& session);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Builds and shows the window with the menus, the status row and the
  // canvas, and shows the picture already opened (if any). `fit_screen`
  // ("-I") sizes the window to the screen. False when the window cannot be
  // made.
  bool build(bool fit_screen);

  GtkWidget* window() const { return window_; }
  GtkWidget* area() const { return area_; }
  DRAWABLE_INFO* canvas() const;
  PIC_INFO* pic() { return pic_.get(); }
  VIEW_INFO* view() { return view_.get(); }
  RECORD_INFO* record() { return record_.get(); }
  PREFS& prefs() { return prefs_; }
  const PREFS& prefs() const { return prefs_; }
  StationSession& session() { return session_; }
  // The directories the preferences were looked for in (where " Save "
  // writes ".kelorc").
  const PrefDirs& pref_dirs() const { return pref_dirs_; }
  void set_pref_dirs(const PrefDirs& dirs) { pref_dirs_ = dirs; }

  // A recording runs: picture passes, the decoder's test window and port
  // changes are held off until it ends (they would steal the decoder's
  // words or redraw records the recording fills).
  bool recording() const { return recording_; }
  void set_recording(bool on) { recording_ = on; }
  // Quit was asked while a pass or a recording ran; the window goes when
  // that has returned.
  bool quit_asked() const { return quit_asked_; }

  // Windows that follow the picture.
  void add_follower(WindowFollower* f);
  void remove_follower(WindowFollower* f);
  size_t follower_count() const { return followers_.size(); }
  // A picture file is open (drawing and zooming have something to act on).
  bool has_picture() const { return static_cast<bool>(pic_->pic_fp); }

  // Redraws. request_redraw queues one pass for when the program is idle;
  // a request during a pass folds into one pass after it. redraw_now runs
  // the pass at once (picture, then the grid when switched on).
  void request_redraw();
  void redraw_now();
  bool in_pass() const { return in_pass_; }
  // Ends a running pass at its next row (by_operator: Escape, so no grid
  // follows); nothing when no pass runs.
  void stop_pass(bool by_operator);
  // Passes run so far, and whether the canvas holds a complete picture.
  int passes() const { return passes_; }
  bool redraw_queued() const { return idle_id_ != 0; }
  bool picture_drawn() const { return picture_drawn_; }

  // Opens `path` in place of the current picture. On failure every
  // message goes to an "Error" window and the picture open before stays.
  // Returns the open result code (0 success).
  int open_path(const std::string& path);
  // Opens a picture of a film show: its picture starts at byte `offset` of
  // the file; what went wrong comes back in *errors, not in windows.
  int open_slide(const std::string& path, int offset, std::vector<std::string>* errors);
  // A one-line note at the end of the status row (film show messages).
  void show_note(const std::string& text);
  // "File/Close": the file is closed, the picture stays on screen.
  void close_picture();
  // "File/Quit" and the window manager's close: during a pass the pass is
  // stopped first and the window goes when it has returned; during a
  // recording the recording is stopped as Stop would, and the record window
  // calls quit() again once the engine has returned.
  void quit();

  // Menu switches, sensitivities, channel items, title and "Satellite"
  // from the records; the program's own settings never count as the
  // operator's choices.
  void show_picture_state();
  // True while the program itself sets controls: their callbacks return.
  bool quiet() const { return quiet_ > 0; }

  void set_cursor(CanvasCursor shape);
  void load_palettes(bool grey);

  ZOOM_MOUSE& mouse() { return mouse_; }
  // Directory and chosen name of the open file selector (it writes them
  // while it is open).
  std::string& open_dir() { return open_dir_; }
  std::string& open_name() { return open_name_; }
  ZoomWndState& zoom_wnd() { return zoom_wnd_; }

  // PassListener
  void pass_started() override;
  void pass_ended() override;
  void rows_drawn(int y, int rows) override;
  bool stop_requested() override;
  void pass_failed(const std::string& text) override;
  void pass_warning(const std::string& text) override;
  // OpenListener
  void file_opened(const PIC_INFO& pic) override;
  void picture_ready(const PIC_INFO& pic, const VIEW_INFO& view) override;
  void picture_closed() override;

  // RAII guard for quiet().
  class Quiet {
   public:
    explicit Quiet(MainWindow* mw) : mw_(mw) { ++mw_->quiet_; }
    ~Quiet() { --mw_->quiet_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

   private:
    MainWindow* mw_;
  };

 private:
  static gboolean on_idle_redraw(gpointer self);
  static gboolean on_delete(GtkWidget* w, GdkEvent* ev, gpointer self);
  static void on_destroy(GtkWidget* w, gpointer self);
  void build_menu_and_status(GtkWidget** menubar, GtkWidget** status);
  void set_title(const std::string& title);
  void tell_picture_changed();
  int open_at(const std::string& path, int offset, std::vector<std::string>* errors);

  std::unique_ptr<PIC_INFO> pic_;
  std::unique_ptr<VIEW_INFO> view_;
  std::unique_ptr<RECORD_INFO> record_;
  PREFS& prefs_;
  StationSession& session_;
  PrefDirs pref_dirs_;
  std::vector<WindowFollower*> followers_;
  bool recording_ = false;
  GtkWidget* window_ = nullptr;
  GtkWidget* area_ = nullptr;
  GdkCursor* cursor_ = nullptr;
  guint idle_id_ = 0;
  bool in_pass_ = false;
  bool stop_now_ = false;    // Escape, File/Close or Quit during a pass
  bool escaped_ = false;     // the last pass was stopped by the operator
  bool quit_asked_ = false;  // destroy the window when the pass returns
  bool picture_drawn_ = false;
  int passes_ = 0;
  int quiet_ = 0;
  gint64 last_events_us_ = 0;  // when a pass last handled the event queue
  ZOOM_MOUSE mouse_;
  ZoomWndState zoom_wnd_;
  std::string warned_;  // the pass warning already shown for this picture
  std::string open_dir_;
  std::string open_name_;
};

// The main window object of any widget of the program's windows, or null
// (batch mode, or the window is gone).
MainWindow* main_window_of(GtkWidget* widget);
PIC_INFO* Get_Picinfo_db(GtkWidget* widget);
VIEW_INFO* Get_Viewinfo_db(GtkWidget* widget);
RECORD_INFO* Get_Recordinfo_db(GtkWidget* widget);

// Switches and sensitivities of the main menu for the open file kind.
void init_menubuts(GtkWidget* window, const PIC_INFO* pic, const VIEW_INFO* view);

// Redraw requests of any window: queued (Update_Main) or at once
// (Update_Main_Wait).
void Update_Main(GtkWidget* widget);
void Update_Main_Wait(GtkWidget* widget);
gboolean configure_event_main(GtkWidget* area, GdkEventConfigure* event, gpointer data);

// Menu callbacks.
void Menu_Help(GtkWidget* widget, const char* id);
void Menu_Viewbuts(GtkWidget* item, const char* id);
void Menu_Zoombuts(GtkWidget* item, const char* id);
void Menu_Channel(GtkWidget* item, const char* id);
void load_palette(GtkWidget* item, const char* id);
void load_greyscale(GtkWidget* item, const char* id);

// The "Program info" text.
std::string program_info_text();

// Start-up after the display was opened: the main window on the picture
// opened from the command line (if any), then the event loop. Returns the
// program's exit status.
int run_main_window(std::unique_ptr<PIC_INFO> pic, std::unique_ptr<VIEW_INFO> view,
                    std::unique_ptr<RECORD_INFO> record, PREFS& prefs, const PrefDirs& dirs,
                    StationSession& session, const CmdLine& cmd);

}  // namespace kelo
