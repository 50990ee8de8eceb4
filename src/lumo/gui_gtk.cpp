// The GTK implementation of the core/GUI seam.
#include "lumo/gui_gtk.h"

namespace kelo {

void GtkGui::process_events() {}
void GtkGui::message(const std::string&, const std::string&) {}
int GtkGui::choice(const std::string&, const std::vector<std::string>&, const std::string&) { return 0; }
void GtkGui::set_entry_text(const std::string&, const std::string&, const std::string&) {}
DRAWABLE_INFO* GtkGui::canvas(WindowHandle) { return nullptr; }
void GtkGui::refresh_rows(WindowHandle, int, int) {}
WindowHandle GtkGui::progress_begin(WindowHandle, const std::string&, bool) { return nullptr; }
int GtkGui::progress_update(WindowHandle, int, int) { return 1; }
void GtkGui::progress_end(WindowHandle) {}
bool GtkGui::escape_pressed() { return false; }
void GtkGui::quit_main_loop() {}
void GtkGui::sleep_ms(int) {}
GtkWidget* find_window_by_title(const char*) { return nullptr; }
int gui_busy_sleep() { return 0; }

}  // namespace kelo
