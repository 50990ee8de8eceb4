// The GTK implementation of the core/GUI seam. The program installs it with
// set_gui() after gtk_init; the engines then reach the windows through it.
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
  void set_entry_text(const std::string& window_title, const std::string& id,
                      const std::string& text) override;
  DRAWABLE_INFO* canvas(WindowHandle window) override;
  void refresh_rows(WindowHandle window, int y, int rows) override;
  WindowHandle progress_begin(WindowHandle parent, const std::string& title, bool with_cancel) override;
  int progress_update(WindowHandle bar, int done, int total) override;
  void progress_end(WindowHandle bar) override;
  bool escape_pressed() override;
  void quit_main_loop() override;
  void sleep_ms(int ms) override;
};

// A top-level window made by Create_Window whose record title is title, in
// any window list; null when none.
GtkWidget* find_window_by_title(const char* title);
// 1 while a sleep_ms of the GTK seam waits (a second one returns at once).
int gui_busy_sleep();

}  // namespace kelo
