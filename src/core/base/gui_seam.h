// What every engine needs from any GUI, and nothing more: show a message,
// ask a choice, a progress window with cancel, handle pending events, leave
// the main loop, and wait while the GUI stays alive. What an engine reports
// about its own work goes through its listener (record, pass, open, export
// listeners). The session that runs the engines holds the seam: the program
// hands it the GTK implementation once the display is open; batch mode and
// the tests keep the headless one, so everything a station does unattended
// runs with no display.
#pragma once

#include <string>
#include <vector>

namespace kelo {

// A window of the GUI, opaque to the core (a GtkWidget* in the program).
using WindowHandle = void*;

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
  // Progress window: begin returns a handle (may be null), update returns
  // non-zero when the operator cancelled or closed it, end closes it.
  virtual WindowHandle progress_begin(WindowHandle parent, const std::string& title, bool with_cancel) = 0;
  virtual int progress_update(WindowHandle bar, int done, int total) = 0;
  virtual void progress_end(WindowHandle bar) = 0;
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
  WindowHandle progress_begin(WindowHandle, const std::string&, bool) override { return nullptr; }
  int progress_update(WindowHandle, int, int) override { return 0; }
  void progress_end(WindowHandle) override {}
  void quit_main_loop() override {}
  void sleep_ms(int ms) override;

  // The answer of every choice (1 = the first label, which is "Cancel" in
  // every overwrite question: an unattended run never overwrites silently).
  int choice_answer = 1;
  // Also send messages to this log (batch mode); none when null.
  StationLog* log = nullptr;
};

}  // namespace kelo
