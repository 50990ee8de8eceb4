// What the engines (recording loops, picture pass, export, batch) need from a
// GUI, and nothing more. The program installs its GTK implementation at
// start-up; batch mode and the tests use the headless one, so everything a
// station does unattended runs with no display.
#pragma once

#include <string>
#include <vector>

namespace kelo {

// A window of the GUI, opaque to the core (a GtkWidget* in the program).
using WindowHandle = void*;

struct DRAWABLE_INFO;  // the canvas record (plain memory, core)

class GuiSeam {
 public:
  virtual ~GuiSeam() = default;

  // Handle all pending GUI events (keeps windows alive in long loops).
  virtual void process_events() = 0;
  // Modal message; title is "Error", "Warning", "Info" or "Program info".
  virtual void message(const std::string& title, const std::string& text) = 0;
  // Modal choice; returns the number (1..n) of the chosen label.
  virtual int choice(const std::string& title, const std::vector<std::string>& labels,
                     const std::string& text) = 0;
  // Set the text of the entry `id` in the window titled `window_title`.
  virtual void set_entry_text(const std::string& window_title, const std::string& id,
                              const std::string& text) = 0;
  // The canvas record of a window's drawing area, or null (headless).
  virtual DRAWABLE_INFO* canvas(WindowHandle window) = 0;
  // Repaint `rows` rows of a window's canvas starting at row y.
  virtual void refresh_rows(WindowHandle window, int y, int rows) = 0;
  // Progress window: begin returns a handle (may be null), update returns
  // non-zero when the operator cancelled or closed it, end closes it.
  virtual WindowHandle progress_begin(WindowHandle parent, const std::string& title, bool with_cancel) = 0;
  virtual int progress_update(WindowHandle bar, int done, int total) = 0;
  virtual void progress_end(WindowHandle bar) = 0;
  // True when the Escape key is waiting in the event queue (it is consumed).
  virtual bool escape_pressed() = 0;
  // Leave the innermost main loop.
  virtual void quit_main_loop() = 0;
  // Wait ms milliseconds while the GUI stays alive.
  virtual void sleep_ms(int ms) = 0;
};

class StationLog;

// Headless implementation: messages go to standard error (and, in batch mode,
// to the station's log); choices take a fixed answer; sleeping sleeps.
class HeadlessGui : public GuiSeam {
 public:
  void process_events() override {}
  void message(const std::string& title, const std::string& text) override;
  int choice(const std::string& title, const std::vector<std::string>& labels,
             const std::string& text) override;
  void set_entry_text(const std::string&, const std::string&, const std::string&) override {}
  DRAWABLE_INFO* canvas(WindowHandle) override { return nullptr; }
  void refresh_rows(WindowHandle, int, int) override {}
  WindowHandle progress_begin(WindowHandle, const std::string&, bool) override { return nullptr; }
  int progress_update(WindowHandle, int, int) override { return 0; }
  void progress_end(WindowHandle) override {}
  bool escape_pressed() override { return false; }
  void quit_main_loop() override {}
  void sleep_ms(int ms) override;

  // The answer of every choice (1 = the first label, which is "Cancel" in
  // every overwrite question: an unattended run never overwrites silently).
  int choice_answer = 1;
  // Also send messages to this log (batch mode); none when null.
  StationLog* log = nullptr;
};

// The GUI in use; the headless one until the program installs another.
GuiSeam& gui();
// Install a GUI (null restores the headless one). The caller keeps ownership.
void set_gui(GuiSeam* seam);
// The built-in headless instance (batch mode sets its log).
HeadlessGui& headless_gui();

}  // namespace kelo
