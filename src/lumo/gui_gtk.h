// The GTK implementation of the core/GUI seam. The program hands it to the
// station session once the display is open.
#pragma once

#include <gtk/gtk.h>

#include "core/base/gui_seam.h"

namespace kelo {

class GtkGui : public GuiSeam {
 public:
  void process_events() override;
  void message(const std::string& title, const std::string& text) override;
  int choice(const std::string& title, const std::vector<std::string>& labels,
             const std::string& text) override;
  WindowHandle progress_begin(WindowHandle parent, const std::string& title, bool with_cancel) override;
  int progress_update(WindowHandle bar, int done, int total) override;
  void progress_end(WindowHandle bar) override;
  void quit_main_loop() override;
  // Waits in a nested loop so the windows stay alive; a wait asked for by a
  // callback during the wait returns at once (no nested sleeping).
  void sleep_ms(int ms) override;
  // True while sleep_ms waits.
  bool sleeping() const { return sleeping_; }

 private:
  bool sleeping_ = false;
};

}  // namespace kelo
