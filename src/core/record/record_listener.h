// What the recording engines (HRPT/CHRPT, HRI, raw) tell whoever runs them:
// a record window shows it in its entries and draws live lines on its
// canvas; batch mode writes it to the station's log and standard error.
// The engines name no window and no entry: every report is a call here.
#pragma once

#include <cstdio>
#include <string>

namespace kelo {

struct DRAWABLE_INFO;

// Changes of the decoder's stream during a recording.
enum class SyncChange {
  kLost,            // frames arrive out of sync after frames in sync
  kRestored,        // frames arrive again after a time-out
  kNoTransmission,  // the decoder stopped delivering (time-out)
};

class RecordListener {
 public:
  virtual ~RecordListener() = default;

  // The text of the record window's status entry: "Wait", the file being
  // recorded into, "(no save)", "Restored.", "Stop", "Off", ...
  virtual void state(const std::string& text) { (void)text; }
  // Waiting for the decoder to lock (the status shows "Wait").
  virtual void waiting_for_sync() { state("Wait"); }
  // An encrypted HRI picture is let pass until the decoder loses lock.
  virtual void waiting_for_outsync() {}
  // A new recording file was created (the status shows its name).
  virtual void file_started(const std::string& path) { state(path); }
  // The satellite recognised from the frames.
  virtual void satellite_named(const std::string& name) { (void)name; }
  // Kepler elements looked up for the pass: "Kep. ld: <sat>" or
  // "Kep. '<sat>' not found!" (shown where the satellite name stands).
  virtual void kepler_status(const std::string& text) { satellite_named(text); }
  // Lines recorded so far in this pass (every tenth line).
  virtual void line_count(int lines) { (void)lines; }
  // HRI: whether the picture coming is encrypted, and how many pictures were
  // encrypted or recorded since the start.
  virtual void encrypted(bool yes) { (void)yes; }
  virtual void encrypted_count(int pictures) { (void)pictures; }
  virtual void recorded_count(int pictures) { (void)pictures; }
  // The stream's sync changed (the status text comes separately).
  virtual void sync_changed(SyncChange change) { (void)change; }
  // The channel drawn live, when the preferred one is not recorded.
  virtual void channel_shown(int channel) { (void)channel; }
  // A recording error ("Can't open file ...!", a write error, no port).
  virtual void error(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }
  // A stop signal (SIGTERM/SIGINT) ended the pass in progress.
  virtual void stop_requested(int signo) { (void)signo; }
  // A pass ended: frames kept in its file (status "Stop").
  virtual void pass_stopped(int frames) {
    (void)frames;
    state("Stop");
  }
  // A pass cut short by a write error keeps `lines` lines in `path`.
  virtual void file_kept(const std::string& path, int lines) {
    (void)path;
    (void)lines;
  }
  // The canvas to draw live lines into, or null for no live display.
  virtual DRAWABLE_INFO* live_canvas() { return nullptr; }
  // Rows y .. y + rows - 1 of the live canvas were drawn.
  virtual void rows_drawn(int y, int rows) {
    (void)y;
    (void)rows;
  }
  // The recording loop ended (status "Off"); `last_file` is the last file
  // recorded into ("" when nothing was saved), which a window may open for
  // display.
  virtual void recording_ended(const std::string& last_file) {
    (void)last_file;
    state("Off");
  }
};

}  // namespace kelo
