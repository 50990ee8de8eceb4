// The GTK implementation of the core/GUI seam: the recording engines, the
// picture pass and the export reach the windows only through these calls.
#include "lumo/gui_gtk.h"

#include <cstring>

#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

int g_busy_sleep = 0;  // 1 while a sleep_ms waits

gboolean end_sleep(gpointer data) {
  g_main_loop_quit(static_cast<GMainLoop*>(data));
  return G_SOURCE_REMOVE;  // the timeout runs once
}

GtkWidget* as_widget(WindowHandle handle) {
  if (handle == nullptr || !G_IS_OBJECT(handle) || !GTK_IS_WIDGET(handle)) return nullptr;
  return GTK_WIDGET(handle);
}

GtkWidget* canvas_area(WindowHandle window) {
  GtkWidget* w = as_widget(window);
  if (w == nullptr) return nullptr;
  if (GTK_IS_DRAWING_AREA(w)) return w;
  return Find_Widget(w, "GTK_DRAWING_AREA");
}

}  // namespace

GtkWidget* find_window_by_title(const char* title) {
  if (title == nullptr) return nullptr;
  GList* all = gtk_window_list_toplevels();
  GtkWidget* found = nullptr;
  for (GList* l = all; l != nullptr && found == nullptr; l = l->next) {
    auto* rec = static_cast<WND_INFO*>(g_object_get_data(G_OBJECT(l->data), kKeyWndInfo));
    if (rec != nullptr && std::strcmp(rec->title, title) == 0) found = GTK_WIDGET(l->data);
  }
  g_list_free(all);
  return found;
}

int gui_busy_sleep() { return g_busy_sleep; }

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

void GtkGui::set_entry_text(const std::string& window_title, const std::string& id, const std::string& text) {
  GtkWidget* win = find_window_by_title(window_title.c_str());
  if (win != nullptr) Set_Entry1(win, id.c_str(), text.c_str());
}

DRAWABLE_INFO* GtkGui::canvas(WindowHandle window) { return Get_RGBI(canvas_area(window)); }

void GtkGui::refresh_rows(WindowHandle window, int y, int rows) {
  GtkWidget* area = canvas_area(window);
  if (area == nullptr || rows <= 0) return;
  gtk_widget_queue_draw_area(area, 0, y, gtk_widget_get_allocated_width(area), rows);
}

WindowHandle GtkGui::progress_begin(WindowHandle parent, const std::string& title, bool with_cancel) {
  return Create_Progress(as_widget(parent), title.c_str(), with_cancel ? 1 : 0);
}

int GtkGui::progress_update(WindowHandle bar, int done, int total) {
  return Update_Progress(static_cast<GtkWidget*>(bar), done, total);
}

void GtkGui::progress_end(WindowHandle bar) { Close_Progress(static_cast<GtkWidget*>(bar)); }

bool GtkGui::escape_pressed() { return CheckKeyPressed(GDK_KEY_Escape) != 0; }

void GtkGui::quit_main_loop() {
  if (gtk_main_level() > 0) gtk_main_quit();
}

// Waits in a nested loop so the windows stay alive; a wait requested by a
// callback during the wait returns at once (no nested sleeping).
void GtkGui::sleep_ms(int ms) {
  if (g_busy_sleep) return;
  g_busy_sleep = 1;
  GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
  g_timeout_add(static_cast<guint>(ms > 0 ? ms : 0), end_sleep, loop);
  g_main_loop_run(loop);
  g_main_loop_unref(loop);
  g_busy_sleep = 0;
}

}  // namespace kelo
