// What the three record windows ("Record HRPT", "Record HRI", "Record RAW")
// share: the window's state object, which hears the recording engine as its
// RecordListener (status entries, live rows on the main canvas, messages),
// runs one recording at a time between the main window's recording marks,
// and makes sure that closing the window or the program during a recording
// only stops it; the window goes once the engine has returned.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>
#include <vector>

#include "core/record/record_listener.h"

namespace kelo {

class MainWindow;
class RecordWnd;

inline constexpr const char* kRecHrptTitle = "Record HRPT";
inline constexpr const char* kRecHriTitle = "Record HRI";
inline constexpr const char* kRecRawTitle = "Record RAW";
inline constexpr const char* kIdStartStop = "Start/Stop";
inline constexpr const char* kIdExit = " Exit ";
inline constexpr const char* kIdSave = "Save";
inline constexpr const char* kIdAdvanced = "Advanced";
inline constexpr const char* kIdAdvancedBox = "!advanced";
inline constexpr const char* kIdDecoder = "Decoder";
inline constexpr const char* kIdGenerator = "Generator";
inline constexpr const char* kIdSatName = "Sat name ";

inline constexpr int kDecTypeHw = 1;  // decoder-type hardware: the mode line picks the firmware

// The coloured "Start/Stop" toggle of the record windows.
GtkWidget* record_start_toggle(void (*cb)(GtkWidget*, const char*));
// Makes the status entries `ids` of `window` read-only.
void record_entries_readonly(GtkWidget* window, const std::vector<const char*>& ids);
// HRI and raw recording at window opening: the mode from the decoder's
// control register (mode line low = generator); decoder-type hardware gets
// the selection without channels at once.
void record_mode_at_open(RecordWnd* st);
// "Decoder"/"Generator" of the HRI and raw windows: the mode line follows
// and the selection without channels is sent again.
void record_mode_changed(RecordWnd* st);

// The entries each window shows the engine's reports in ("" = none).
struct RecordEntries {
  const char* state;      // "Recording", "Recording    "
  const char* line;       // "Line       ", "Line #"
  const char* recorded;   // "Recorded"
  const char* encrypted;  // "Encrypted" (count) and "Encrypted:" (Y/N)
};

class RecordWnd : public RecordListener {
 public:
  // The window titled `title`, owned by its GTK window (freed when it is
  // destroyed). Null when any record window is open already (that one is
  // raised: one recording window at a time).
  static RecordWnd* create(MainWindow* mw, const char* title, const RecordEntries& entries);
  // The state of the record window holding `widget`, or null.
  static RecordWnd* of(GtkWidget* widget);
  // Any record window that is open, or null.
  static GtkWidget* find_any(GtkWidget* main_window);

  GtkWidget* window() const { return window_; }
  MainWindow* main() const { return mw_; }
  bool running() const { return running_; }
  // "Start/Stop": off asks the engine to stop at its next frame; on while an
  // engine runs only keeps it going (Stop then Start before it noticed: never
  // a second engine inside the first); otherwise `start` starts one.
  void start_stop(bool on, const std::function<void()>& start);
  // True while the program sets the window's own controls.
  bool quiet() const { return quiet_ > 0; }
  class Quiet {
   public:
    explicit Quiet(RecordWnd* w) : w_(w) { ++w_->quiet_; }
    ~Quiet() { --w_->quiet_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

   private:
    RecordWnd* w_;
  };

  // Packs the window's contents, shows and places it, and closes the
  // menu items of the other record windows.
  void show(GtkWidget* contents);
  // "Advanced": shows the hidden box (on) or hides "!advanced" (off).
  void advanced(bool on);
  // Sets a toggle or radio without its command running.
  void set_quietly(const char* id, bool on);
  // Runs `engine` as one recording with `locked` controls insensitive,
  // then sets Start/Stop off and, with `open_after` and "Save" on, opens
  // the file this run recorded into in the main window. False when the
  // window went during the recording (the caller must not touch it then).
  bool run(const std::function<void()>& engine, const std::vector<const char*>& locked, bool open_after);
  // " Exit ": closes the window (during a recording it only stops it).
  void close();

  // RecordListener
  void state(const std::string& text) override;
  void file_started(const std::string& path) override;
  void satellite_named(const std::string& name) override;
  void line_count(int lines) override;
  void encrypted(bool yes) override;
  void encrypted_count(int pictures) override;
  void recorded_count(int pictures) override;
  void channel_shown(int channel) override;
  void error(const std::string& text) override;
  DRAWABLE_INFO* live_canvas() override;
  void rows_drawn(int y, int rows) override;
  void recording_ended(const std::string& last_file) override;

  // The hidden "!advanced" box (the window's `hide_but`).
  GtkWidget* hidden_box = nullptr;
  // The next channel selection is sent twice, so that it reaches the
  // decoder again after a reload (set when the mode or firmware changes).
  bool reprogramming_fpga = true;

 private:
  RecordWnd(MainWindow* mw, GtkWidget* window, const RecordEntries& entries)
      : mw_(mw), window_(window), entries_(entries) {}
  static void on_destroy(GtkWidget* window);
  static gboolean on_delete(GtkWidget* window, GdkEvent* event, gpointer self);
  static void on_main_destroy(GtkWidget* main_window, gpointer self);
  void sense_other_items(bool sensitive);

  MainWindow* mw_;
  GtkWidget* window_;
  RecordEntries entries_;
  bool running_ = false;
  bool close_asked_ = false;
  int quiet_ = 0;
  std::string run_file_;    // the last file this run created
  std::string ended_file_;  // what the loop reported last, when this run made it
};

}  // namespace kelo
