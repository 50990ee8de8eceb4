// What a picture pass tells whoever shows it, and what it asks of it. The
// main window implements it (repaint rows, watch cursor, Escape); the
// headless render uses the default, which draws the whole pass unattended.
#pragma once

#include <cstdio>
#include <string>

namespace kelo {

class PassListener {
 public:
  virtual ~PassListener() = default;
  // The pass starts (busy: the window shows the watch cursor) and ends
  // (idle: the arrow again), whether it completed or was stopped.
  virtual void pass_started() {}
  virtual void pass_ended() {}
  // Canvas rows y .. y+rows-1 hold new pixels: repaint them.
  virtual void rows_drawn(int y, int rows) {
    (void)y;
    (void)rows;
  }
  // Called between rows: keep the window alive (events, moves, resizes) and
  // answer true when the operator asked to stop the pass (Escape).
  virtual bool stop_requested() { return false; }
  // The pass could not run (no memory for its tables); reported once, the
  // caller does not retry.
  virtual void pass_failed(const std::string& text) { std::fprintf(stderr, "Error: %s\n", text.c_str()); }
  // The pass runs on but the operator should know (no calibration for this
  // satellite: the NOAA-15 set is used). A window shows it as an "Error"
  // message; unattended it goes to standard error.
  virtual void pass_warning(const std::string& text) { std::fprintf(stderr, "Error: %s\n", text.c_str()); }
};

}  // namespace kelo
