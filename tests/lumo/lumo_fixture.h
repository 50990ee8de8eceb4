// Shared set-up of the GUI layer tests: GTK is initialised once per test
// program; without a display every test skips (the suite runs under xvfb-run).
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "lumo/lumo_misc.h"
#include "lumo/windows.h"

namespace kelo::test {

inline bool gtk_ready() {
  static const bool ok = [] {
    // No accessibility bridge: the tests need no screen reader, and the
    // bridge's D-Bus connection lives until exit.
    setenv("NO_AT_BRIDGE", "1", 0);
    int argc = 0;
    char** argv = nullptr;
    if (!gtk_init_check(&argc, &argv)) return false;
    // Scrolls land at once: with animations a list scrolled to a row glides
    // there over several frames, and a click aimed during the glide hits a
    // neighbouring row.
    g_object_set(gtk_settings_get_default(), "gtk-enable-animations", FALSE, nullptr);
    return true;
  }();
  return ok;
}

// Runs every pending main-loop iteration.
inline void drain() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// Runs the main loop for about a tenth of a second (real X input arrives
// asynchronously and may take several iterations).
inline void settle() {
  for (int i = 0; i < 40; ++i) {
    drain();
    g_usleep(2500);
  }
}

// Runs the main loop until pred holds (the X server answers asynchronously);
// false when it never does within a generous bound.
template <class Pred>
bool wait_until(Pred pred) {
  for (int i = 0; i < 200; ++i) {
    gdk_display_sync(gdk_display_get_default());
    drain();
    if (pred()) return true;
    g_usleep(10000);
  }
  return false;
}

// A window of the layer titled title holding content.
inline GtkWidget* window_with(GtkWidget* content, const char* title = "Kelo") {
  GtkWidget* win = Create_Window(nullptr, 300, 200, title, nullptr);
  gtk_container_add(GTK_CONTAINER(win), content);
  return win;
}

// The identifier (or with kKeyTopId the top identifier) of w.
inline const char* id_of(GtkWidget* w, const char* key = kKeyId) {
  return w != nullptr ? static_cast<const char*>(g_object_get_data(G_OBJECT(w), key)) : nullptr;
}

// Every top-level window still open after a test is destroyed, so tests do
// not see each other's windows.
inline void destroy_all_windows() {
  GList* all = gtk_window_list_toplevels();
  g_list_foreach(
      all, [](gpointer w, gpointer) { g_object_ref(w); }, nullptr);
  for (GList* l = all; l != nullptr; l = l->next) {
    if (gtk_window_get_window_type(GTK_WINDOW(l->data)) == GTK_WINDOW_TOPLEVEL) {
      gtk_widget_destroy(GTK_WIDGET(l->data));
    }
  }
  g_list_free_full(all, g_object_unref);
  drain();
}

// The shown top-level windows whose title is title.
inline std::vector<GtkWidget*> windows_titled(const char* title) {
  std::vector<GtkWidget*> out;
  GList* all = gtk_window_list_toplevels();
  for (GList* l = all; l != nullptr; l = l->next) {
    const char* t = gtk_window_get_title(GTK_WINDOW(l->data));
    if (t != nullptr && std::string(t) == title && gtk_widget_get_visible(GTK_WIDGET(l->data))) {
      out.push_back(GTK_WIDGET(l->data));
    }
  }
  g_list_free(all);
  return out;
}

// Every descendant of w of type `type`, depth first.
inline void collect_type(GtkWidget* w, GType type, std::vector<GtkWidget*>* out) {
  if (G_TYPE_CHECK_INSTANCE_TYPE(w, type)) out->push_back(w);
  if (GTK_IS_CONTAINER(w)) {
    GList* children = gtk_container_get_children(GTK_CONTAINER(w));
    for (GList* l = children; l != nullptr; l = l->next) collect_type(GTK_WIDGET(l->data), type, out);
    g_list_free(children);
  }
}

// The descendants of w of type `type`, depth first.
inline std::vector<GtkWidget*> descendants(GtkWidget* w, GType type) {
  std::vector<GtkWidget*> out;
  collect_type(w, type, &out);
  return out;
}

// The texts of the labels below w and the labels of the buttons below w.
inline std::vector<std::string> label_texts(GtkWidget* w) {
  std::vector<std::string> out;
  for (GtkWidget* l : descendants(w, GTK_TYPE_LABEL)) out.emplace_back(gtk_label_get_text(GTK_LABEL(l)));
  return out;
}
inline std::vector<std::string> button_labels(GtkWidget* w) {
  std::vector<std::string> out;
  for (GtkWidget* b : descendants(w, GTK_TYPE_BUTTON)) out.emplace_back(gtk_button_get_label(GTK_BUTTON(b)));
  return out;
}

// The first button below w labelled label, or null.
inline GtkWidget* button_labelled(GtkWidget* w, const char* label) {
  for (GtkWidget* b : descendants(w, GTK_TYPE_BUTTON)) {
    const char* l = gtk_button_get_label(GTK_BUTTON(b));
    if (l != nullptr && std::strcmp(l, label) == 0) return b;
  }
  return nullptr;
}

// The whole text of a text view.
inline std::string text_of(GtkWidget* view) {
  GtkTextBuffer* b = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
  GtkTextIter s, e;
  gtk_text_buffer_get_bounds(b, &s, &e);
  gchar* t = gtk_text_buffer_get_text(b, &s, &e, FALSE);
  std::string out = t;
  g_free(t);
  return out;
}

// The newest shown window titled title, or null.
inline GtkWidget* last_titled(const char* title) {
  auto wins = windows_titled(title);
  return wins.empty() ? nullptr : wins.back();
}

// What the screen shows over the top-left w x h pixels of widget's window,
// as packed RGB read from the root window ("" when it cannot be read).
inline std::string screen_rgb(GtkWidget* widget, int w, int h) {
  int ox = 0, oy = 0;
  gdk_window_get_origin(gtk_widget_get_window(widget), &ox, &oy);
  GdkPixbuf* pb = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), ox, oy, w, h);
  std::string out;
  for (int y = 0; pb != nullptr && y < h; ++y) {
    const guchar* row = gdk_pixbuf_get_pixels(pb) + y * gdk_pixbuf_get_rowstride(pb);
    for (int x = 0; x < w; ++x)
      out.append(reinterpret_cast<const char*>(row + x * gdk_pixbuf_get_n_channels(pb)), 3);
  }
  if (pb != nullptr) g_object_unref(pb);
  return out;
}

// Value, lower, upper, step and page increment and page size of adj.
inline std::array<double, 6> adj_of(GtkAdjustment* adj) {
  return {gtk_adjustment_get_value(adj),          gtk_adjustment_get_lower(adj),
          gtk_adjustment_get_upper(adj),          gtk_adjustment_get_step_increment(adj),
          gtk_adjustment_get_page_increment(adj), gtk_adjustment_get_page_size(adj)};
}

// Destroys widgets that were never put into a window.
inline void sink_destroy(std::initializer_list<GtkWidget*> widgets) {
  for (GtkWidget* w : widgets) {
    g_object_ref_sink(w);
    gtk_widget_destroy(w);
    g_object_unref(w);
  }
}

// A menu item (a check item when check) appended to shell, identified by id
// unless id is null.
inline GtkWidget* menu_item(GtkWidget* shell, const char* label, const char* id, bool check = false) {
  GtkWidget* item = check ? gtk_check_menu_item_new_with_label(label) : gtk_menu_item_new_with_label(label);
  if (id != nullptr) g_object_set_data(G_OBJECT(item), kKeyId, const_cast<char*>(id));
  gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
  return item;
}

// Puts a key press of keyval into the event queue.
inline void put_key(guint keyval) {
  GdkEvent* ev = gdk_event_new(GDK_KEY_PRESS);
  ev->key.keyval = keyval;
  gdk_event_put(ev);
  gdk_event_free(ev);
}

// Runs fn once from the main loop after ms milliseconds (to drive a modal
// dialog from inside its nested loop).
inline void run_later(int ms, std::function<void()> fn) {
  auto* f = new std::function<void()>(std::move(fn));
  g_timeout_add_full(
      G_PRIORITY_DEFAULT, static_cast<guint>(ms),
      [](gpointer data) -> gboolean {
        (*static_cast<std::function<void()>*>(data))();
        return G_SOURCE_REMOVE;
      },
      f, [](gpointer data) { delete static_cast<std::function<void()>*>(data); });
}

// Answers the next window titled `title` (or one of `titles`) by pressing
// `button` (null: the window manager's close), keeping its title and text;
// polled from the main loop, so it also answers modal windows from inside
// their own loop. text() stops waiting and gives what the window said (""
// when none came).
class Answer {
 public:
  Answer(std::initializer_list<const char*> titles, const char* button) {
    auto said = said_;
    auto done = done_;
    auto seen = title_;
    auto* fn = new std::function<bool()>([=, titles = std::vector<const char*>(titles)] {
      GtkWidget* w = nullptr;
      for (const char* t : titles)
        if (w == nullptr && (w = last_titled(t)) != nullptr) *seen = t;
      if (w == nullptr) return true;
      for (const std::string& t : label_texts(w))
        if (t != "Dismiss" && t != "Cancel" && t != "OK") *said += t;
      if (button != nullptr) {
        gtk_button_clicked(GTK_BUTTON(button_labelled(w, button)));
      } else {
        GdkEvent* ev = gdk_event_new(GDK_DELETE);
        ev->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(w)));
        gtk_main_do_event(ev);
        gdk_event_free(ev);
      }
      *done = true;
      return false;
    });
    id_ = g_timeout_add_full(
        G_PRIORITY_DEFAULT, 20,
        [](gpointer d) -> gboolean { return (*static_cast<std::function<bool()>*>(d))(); }, fn,
        [](gpointer d) { delete static_cast<std::function<bool()>*>(d); });
  }
  Answer(const char* title, const char* button) : Answer({title}, button) {}
  ~Answer() { stop(); }
  Answer(const Answer&) = delete;
  Answer& operator=(const Answer&) = delete;
  std::string text() {
    stop();
    return *said_;
  }
  const std::string& title() const { return *title_; }

 private:
  void stop() {
    if (!*done_) g_source_remove(id_);
    *done_ = true;
  }
  std::shared_ptr<std::string> said_ = std::make_shared<std::string>();
  std::shared_ptr<std::string> title_ = std::make_shared<std::string>();
  std::shared_ptr<bool> done_ = std::make_shared<bool>(false);
  guint id_ = 0;
};

class LumoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!gtk_ready()) {
      const char* display = std::getenv("DISPLAY");
      GTEST_SKIP() << "cannot open display '" << (display != nullptr ? display : "")
                   << "' (run under xvfb-run)";
    }
  }
  void TearDown() override {
    if (gtk_ready()) destroy_all_windows();
  }
};

}  // namespace kelo::test
