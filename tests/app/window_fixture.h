// Shared set-up of the window tests under Xvfb: the main window on a
// picture (or none), waits for its passes, menus and controls clicked with
// real X input, the program's windows moved clear of the canvas, the canvas
// on screen against the headless render, and answers to modal messages.
#pragma once

#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "app/main_wnd.h"
#include "core/base/prefer.h"
#include "core/view/open_picture.h"
#include "core/view/render.h"
#include "lumo/gui_gtk.h"
#include "lumo/listtree.h"
#include "lumo/lumo_fixture.h"
#include "lumo/lumo_misc.h"
#include "support/temp_dir.h"

// The X headers last: their macros (None, Bool) clash with the test framework.
#include "app/x_input.h"
#include "lumo/xclick.h"

namespace kelo::test {

inline std::string file_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class WindowTest : public LumoTest {
 protected:
  void SetUp() override {
    LumoTest::SetUp();
    if (IsSkipped()) return;
    if (!xtest_ready()) GTEST_SKIP() << "no X test extension";
  }
  void TearDown() override {
    mw_.reset();
    LumoTest::TearDown();
  }

  // The main window on `path` (empty: no picture); `prepare` may change the
  // opened records before the window is built. Waits for the first pass.
  void open_window(const std::string& path, const std::function<void(PIC_INFO*, VIEW_INFO*)>& prepare = {}) {
    auto pic = std::make_unique<PIC_INFO>();
    auto view = std::make_unique<VIEW_INFO>();
    if (!path.empty()) {
      pic->path = path;
      ASSERT_EQ(open_picture(pic.get(), view.get(), nullptr), 0);
    }
    if (prepare) prepare(pic.get(), view.get());
    start(std::move(pic), std::move(view), std::make_unique<RECORD_INFO>(), path.empty() ? 0 : 1);
  }
  void start(std::unique_ptr<PIC_INFO> pic, std::unique_ptr<VIEW_INFO> view, std::unique_ptr<RECORD_INFO> rec,
             int passes) {
    mw_ = std::make_unique<MainWindow>(std::move(pic), std::move(view), std::move(rec), prefs_, session_);
    ASSERT_TRUE(mw_->build(false));
    // On a loaded machine the first pass may run before the canvas has its
    // size (one row); the pass its sizing asks for comes after.
    ASSERT_TRUE(wait_until([&] {
      const DRAWABLE_INFO* c = mw_->canvas();
      return gtk_widget_get_mapped(mw_->area()) && c != nullptr && c->height > 1 &&
             c->width == gtk_widget_get_allocated_width(mw_->area()) &&
             c->height == gtk_widget_get_allocated_height(mw_->area());
    }));
    ASSERT_TRUE(settle(passes));
  }

  // Waits until no pass runs or is queued and at least `passes` ran.
  bool settle(int passes) {
    return wait_until([&] { return !mw_->in_pass() && !mw_->redraw_queued() && mw_->passes() >= passes; });
  }
  // Runs an operator's action and waits for the pass it asks for.
  template <class F>
  bool redrawn_after(F action) {
    const int n = mw_->passes();
    action();
    return settle(n + 1);
  }

  // Clicks a menu item through its menu on the bar. On a loaded machine a
  // click on the bar was seen to leave its menu closed under Xvfb: the bar
  // is clicked once more then.
  void menu(const char* bar, const char* item) {
    GtkWidget* it = Find_Widget(mw_->window(), item);
    for (int i = 0; i < 2 && !gtk_widget_get_mapped(it); ++i) {
      click_centre(Find_Widget(mw_->window(), bar));
      wait_until([&] { return gtk_widget_get_mapped(it); });
    }
    ASSERT_TRUE(gtk_widget_get_mapped(it)) << item;
    click_centre(it);
    ASSERT_TRUE(wait_until([&] { return !gtk_widget_get_mapped(it); })) << item;
  }
  // A real click in the middle of control `id` of window `w`.
  static void click(GtkWidget* w, const char* id) {
    GtkWidget* b = Find_Widget(w, id);
    ASSERT_NE(b, nullptr) << id;
    click_centre(b);
  }

  // A real click on the row of `list` (in window `win`) whose first column
  // is `text`, once the row is there and scrolled into view.
  static void click_row(GtkWidget* win, GtkWidget* list, const std::string& text) {
    int row = -1;
    ASSERT_TRUE(wait_until([&] {
      for (int r = 0; r < Clist_rows(list) && row < 0; ++r)
        if (Clist_get_text(list, r, 0) == text) row = r;
      return row >= 0;
    })) << text;
    // Asked again until the list has its size.
    ASSERT_TRUE(wait_until([&] {
      GtkTreePath *first = nullptr, *last = nullptr;
      bool shown = false;
      if (gtk_tree_view_get_visible_range(GTK_TREE_VIEW(list), &first, &last)) {
        shown = gtk_tree_path_get_indices(first)[0] <= row && row <= gtk_tree_path_get_indices(last)[0];
        gtk_tree_path_free(first);
        gtk_tree_path_free(last);
      }
      if (!shown) {
        GtkTreePath* tp = gtk_tree_path_new_from_indices(row, -1);
        gtk_tree_view_scroll_to_cell(GTK_TREE_VIEW(list), tp, nullptr, TRUE, 0.5f, 0.0f);
        gtk_tree_path_free(tp);
      }
      return shown;
    })) << text;
    // The same point three polls in a row, longer than a screen frame: the
    // list has stopped scrolling (a click computed during a scroll was seen
    // to hit a neighbouring row).
    int x = 0, y = 0, last_x = -1, last_y = -1, same = 0;
    ASSERT_TRUE(wait_until([&] {
      same = row_point(list, win, row, &x, &y) && x == last_x && y == last_y ? same + 1 : 0;
      last_x = x;
      last_y = y;
      return same >= 2;
    })) << text;
    x_click(win, x, y);
  }

  // The newest shown window titled `title`, moved to screen row `y` (below
  // the main window when negative): there is no window manager under Xvfb,
  // and the canvas the tests read back must stay uncovered.
  GtkWidget* shown_window(const char* title, int y = -1) {
    GtkWidget* w = nullptr;
    wait_until([&] { return (w = last_titled(title)) != nullptr && gtk_widget_get_mapped(w); });
    if (w == nullptr) return nullptr;
    int x = 0;
    if (y < 0) {
      int my = 0, mh = 0;
      gtk_window_get_position(GTK_WINDOW(mw_->window()), &x, &my);
      gtk_window_get_size(GTK_WINDOW(mw_->window()), nullptr, &mh);
      y = my + mh + 40;
    }
    gtk_window_move(GTK_WINDOW(w), x, y);
    wait_until([&] {
      int wx = 0, wy = 0;
      gdk_window_get_origin(gtk_widget_get_window(w), &wx, &wy);
      return wy >= y;
    });
    return w;
  }

  // The canvas on screen as packed RGB.
  std::string screen() { return screen_rgb(mw_->area(), mw_->canvas()->width, mw_->canvas()->height); }
  // The headless render of `of` (the window's picture when null) with the
  // window's view at canvas size.
  std::string render(const PIC_INFO* of = nullptr) {
    const DRAWABLE_INFO* c = mw_->canvas();
    PIC_INFO pic = of != nullptr ? *of : *mw_->pic();
    VIEW_INFO view = *mw_->view();
    DRAWABLE_INFO ref;
    if (render_view(&pic, &view, &ref, c->width, c->height) != 0) return {};
    return std::string(ref.rgb_buf.begin(), ref.rgb_buf.end());
  }
  // Pixels where the screen over the canvas differs from that render (-1:
  // not comparable); screen_vs_render first waits for the screen to catch up.
  int screen_vs_now(const PIC_INFO* of = nullptr) {
    const std::string s = screen(), r = render(of);
    if (r.empty() || s.size() != r.size()) return -1;
    int bad = 0;
    for (size_t i = 0; i < s.size(); i += 3) bad += s.compare(i, 3, r, i, 3) != 0 ? 1 : 0;
    return bad;
  }
  int screen_vs_render(const PIC_INFO* of = nullptr) {
    int bad = -1;
    wait_until([&] { return (bad = screen_vs_now(of)) == 0; });
    return bad;
  }

  TempDir dir_;
  PREFS prefs_;
  GtkGui seam_;  // set into the session by tests that need the toolkit's messages
  StationSession session_;
  std::unique_ptr<MainWindow> mw_;
};

}  // namespace kelo::test
