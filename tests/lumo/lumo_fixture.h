// Shared set-up of the GUI layer tests: GTK is initialised once per test
// program; without a display every test skips (the suite runs under xvfb-run).
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace kelo::test {

inline bool gtk_ready() {
  static const bool ok = [] {
    // No accessibility bridge: the tests need no screen reader, and the
    // bridge's D-Bus connection lives until exit.
    setenv("NO_AT_BRIDGE", "1", 0);
    int argc = 0;
    char** argv = nullptr;
    return gtk_init_check(&argc, &argv) != FALSE;
  }();
  return ok;
}

// Runs every pending main-loop iteration.
inline void drain() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
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
