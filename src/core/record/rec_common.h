// What the three recording engines share: showing status in the record
// window, reporting errors (windows in the GUI; standard error and the log in
// batch mode, where a modal window would block an unattended station
// forever), the stop request of SIGTERM/SIGINT, live display on the main
// canvas, and closing a recording file with its errors noticed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/gui_seam.h"
#include "core/base/records.h"

namespace kelo {

struct DRAWABLE_INFO;

// Sets the entry `id` of the record window titled `wnd_title`; nothing
// without a record window (batch mode).
void rec_show(WindowHandle rec_wnd, const char* wnd_title, const char* id, const std::string& text);

// An error of a recording: in batch mode to standard error ("Error: ...")
// and the log; with a main window an "Error" message window; otherwise
// standard error.
void rec_error(const RECORD_INFO* rec, WindowHandle main_wnd, const std::string& text);

// Asks the engines to end the pass in progress as if Stop was pressed.
// Safe to call from a signal handler.
void rec_request_stop(int signo);
// The signal that asked for the stop (0 when none); clears it with `clear`.
int rec_stop_signal(bool clear = false);
// Clears `active` when a stop was requested; true when it did (logs it once).
bool rec_poll_stop(RECORD_INFO* rec);

// Live display of recorded frames as grey lines on the main canvas.
class LiveView {
 public:
  // Prepares the tables for the main window's canvas; inactive without one.
  LiveView(WindowHandle main_wnd, PIC_INFO* pic, VIEW_INFO* view, int maxlev);
  bool active() const { return canvas_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Draws `line` (len samples) on canvas row `row` through the row map when
  // `use_ymap`, else directly, and repaints that strip.
  void draw(const uint16_t* line, int len, int row, bool use_ymap);

 private:
  WindowHandle main_wnd_;
  DRAWABLE_INFO* canvas_ = nullptr;
  int width_ = 0, height_ = 0;
  int maxlev_;
  std::vector<int> xmap_, ymap_, lummap_;
};

// Creates the next free recording file (rec->cur_base, rec->cur_ext) and
// shows its name in the status entry `status_id` of the record window; in
// batch mode logs "Start recording in %s.". False, with "Can't open file
// %s!", when no file could be made.
[[nodiscard]] bool rec_start_file(WindowHandle rec_wnd, const char* wnd_title, const char* status_id,
                                  WindowHandle main_wnd, RECORD_INFO* rec);

// The end of a recording loop: "Off" in the status entry, the port let go,
// the last recording opened for display (not in batch mode), and in batch
// mode "End recording." in the log.
void rec_end_loop(WindowHandle rec_wnd, const char* wnd_title, const char* status_id, WindowHandle main_wnd,
                  RECORD_INFO* rec, PIC_INFO* pic, VIEW_INFO* view);

// Closes the recording file; false when buffered data could not be written
// (disk full, file removed).
[[nodiscard]] bool rec_close_checked(RECORD_INFO* rec);

// Size of a file in bytes, -1 when it cannot be read.
long long rec_file_size(const std::string& path);

}  // namespace kelo
