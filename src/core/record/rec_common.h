// What the three recording engines share: the stop request of
// SIGTERM/SIGINT, live display of recorded lines on the runner's canvas,
// starting a recording file and ending a recording loop with the runner told,
// and closing a recording file with its errors noticed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/record/record_listener.h"
#include "core/record/station_session.h"

namespace kelo {

struct DRAWABLE_INFO;

// Asks the engines to end the pass in progress as if Stop was pressed.
// Safe to call from a signal handler.
void rec_request_stop(int signo);
// The signal that asked for the stop (0 when none); clears it with `clear`.
int rec_stop_signal(bool clear = false);
// Clears `active` when a stop was requested; true when it did (the listener
// is told once, when it clears `active`).
bool rec_poll_stop(RECORD_INFO* rec, RecordListener& listener);

// Live display of recorded frames as grey lines on the listener's canvas.
class LiveView {
 public:
  // Prepares the tables for the listener's canvas; inactive without one.
  LiveView(RecordListener& listener, PIC_INFO* pic, VIEW_INFO* view, int maxlev);
  bool active() const { return canvas_ != nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  // Draws `line` (len samples) on canvas row `row` through the row map when
  // `use_ymap`, else directly, and reports that strip drawn.
  void draw(const uint16_t* line, int len, int row, bool use_ymap);

 private:
  RecordListener& listener_;
  DRAWABLE_INFO* canvas_ = nullptr;
  int width_ = 0, height_ = 0;
  int maxlev_;
  std::vector<int> xmap_, ymap_, lummap_;
};

// Reports the changes of the decoder's stream between frames (frame status
// 0 time-out, 1 in sync, 2 out of sync): frames after a time-out, a time-out
// after frames, frames out of sync after frames in sync; with the status
// texts of the engine's window.
class SyncReporter {
 public:
  SyncReporter(RecordListener& listener, const char* restored_text, const char* no_signal_text)
      : listener_(listener), restored_text_(restored_text), no_signal_text_(no_signal_text) {}
  void frame(int status);

 private:
  RecordListener& listener_;
  const char* restored_text_;
  const char* no_signal_text_;
  int prev_ = 0;
  bool first_ = true;
};

// Creates the next free recording file (rec->cur_base, rec->cur_ext) and
// tells the listener its name. False, with the error "Can't open file %s!",
// when no file could be made.
[[nodiscard]] bool rec_start_file(RecordListener& listener, RECORD_INFO* rec);

// The end of a recording loop: the port let go and the listener told which
// file was recorded last ("" when nothing was saved).
void rec_end_loop(StationSession& session, RecordListener& listener, RECORD_INFO* rec);

// Closes the recording file; false when buffered data could not be written
// (disk full, file removed).
[[nodiscard]] bool rec_close_checked(RECORD_INFO* rec);

// Size of a file in bytes, -1 when it cannot be read.
long long rec_file_size(const std::string& path);

// The recording file at the end of its pass, seen through the descriptor
// the pass wrote with (never by opening the path again).
struct RecFileState {
  bool flushed = false;  // every byte written so far reached the system
  bool moved = false;    // the path no longer names this file (moved, removed, replaced)
  long long size = -1;   // bytes the file holds
};
RecFileState rec_file_state(RECORD_INFO* rec);

// Closes and removes the recording file of a pass that received no frame,
// when the path still names the file this pass created.
void rec_remove_empty(RECORD_INFO* rec);

// The line for a recording whose path was moved, removed or replaced
// during the pass.
std::string rec_moved_text(const std::string& path);

}  // namespace kelo
