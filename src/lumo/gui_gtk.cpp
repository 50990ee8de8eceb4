// The GTK implementation of the core/GUI seam: messages, choices, progress,
// events and waits of the engines go through windows.
#include "lumo/gui_gtk.h"

#include <cstring>

#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

gboolean end_sleep(gpointer data) {
  g_main_loop_quit(static_cast<GMainLoop*>(data));
  return G_SOURCE_REMOVE;  // the timeout runs once
}

GtkWidget* as_widget(WindowHandle handle) {
  if (handle == nullptr || !G_IS_OBJECT(handle) || !GTK_IS_WIDGET(handle)) return nullptr;
  return GTK_WIDGET(handle);
}

}  // namespace

void GtkGui::process_events() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void GtkGui::message(const std::string& title, const std::string& text) {
  Create_Message(title.c_str(), "%s", text.c_str());
}

int GtkGui::choice(const std::string& title, const std::vector<std::string>& labels,
                   const std::string& text) {
  std::vector<const char*> ptrs;
  ptrs.reserve(labels.size());
  for (const std::string& l : labels) ptrs.push_back(l.c_str());
  return Create_Choicev(title.c_str(), ptrs, text.substr(0, kChoiceMax));
}

WindowHandle GtkGui::progress_begin(WindowHandle parent, const std::string& title, bool with_cancel) {
  return Create_Progress(as_widget(parent), title.c_str(), with_cancel ? 1 : 0);
}

int GtkGui::progress_update(WindowHandle bar, int done, int total) {
  return Update_Progress(static_cast<GtkWidget*>(bar), done, total);
}

void GtkGui::progress_end(WindowHandle bar) { Close_Progress(static_cast<GtkWidget*>(bar)); }

void GtkGui::quit_main_loop() {
  if (gtk_main_level() > 0) gtk_main_quit();
}

void GtkGui::sleep_ms(int ms) {
  if (sleeping_) return;
  sleeping_ = true;
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_timeout_add(static_cast<guint>(ms > 0 ? ms : 0), end_sleep, loop);
  g_main_loop_run(loop);
  g_main_loop_unref(loop);
  sleeping_ = false;
}

}  // namespace kelo
