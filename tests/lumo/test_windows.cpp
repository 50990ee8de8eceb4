// Windows, placement, modal dialogs, text and progress windows, and the GTK
// side of the core/GUI seam as the engines use it.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "core/base/gui_seam.h"
#include "lumo/buttons.h"
#include "lumo/gui_gtk.h"
#include "lumo/lumo_misc.h"
#include "lumo/windows.h"
#include "lumo_fixture.h"

namespace kelo {
namespace {

using test::button_labelled;
using test::button_labels;
using test::last_titled;
using test::LumoTest;

using XY = std::pair<int, int>;

// ---------------------------------------------------------------- arithmetic
TEST(LumoPlacement, ModesOnAVirtualScreen) {
  // 1024 x 768 screen: SH = 768 + 28. A window of outer size 300 x 200 is
  // 306 x 225 enlarged.
  const int sw = 1024, sh = 768 + kScreenExtraH;
  const WndRect self{0, 0, 300 + kPlaceExtraW, 200 + kPlaceExtraH}, first{40, 30, 606, 425};
  struct Case {
    int mode, dx, dy;
    WndRect self;
    XY at;
  };
  const Case cases[] = {
      {2, 0, 0, self, {359, 285}},
      // Offsets are added; halves truncate toward zero ((1024 - 307) / 2 = 358).
      {2, 5, -7, {0, 0, 307, 226}, {358 + 5, 285 - 7}},
      {1, 12, 34, self, {12, 34}},
      {5, 12, 34, self, {12, 34}},
      {4, 10, 20, self, {50, 50}},
      {6, -3, 4, self, {1024 - 306 - 3, 4}},
      {7, 3, -4, self, {3, 796 - 225 - 4}},
      {8, 0, 0, self, {718, 571}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    XY at{-1, -1};
    ASSERT_TRUE(place_position(c.mode, c.dx, c.dy, c.self, sw, sh, first, {}, &at.first, &at.second));
    EXPECT_EQ(at, c.at);
  }
  int x = -1, y = -1;
  EXPECT_FALSE(place_position(0, 1, 1, self, sw, sh, first, {}, &x, &y));
  EXPECT_FALSE(place_position(9, 1, 1, self, sw, sh, first, {}, &x, &y));
  EXPECT_EQ(x, -1);
}

TEST(LumoPlacement, SmartPlacementFindsTheFreeSpace) {
  const std::vector<WndRect> two{{0, 0, 600, 500}, {600, 500, 680, 552}};
  struct Case {
    std::vector<WndRect> wins;
    int w, h, sw, sh;
    XY at;
  };
  const Case cases[] = {
      // Only the main window at (0, 0), enlarged 606 x 425, on 1280 x 1024
      // (SH 1052), new window 306 x 225: candidates (0,0), (0,425), (606,0),
      // (606,425); the first without overlap, (0, 425), wins.
      {{{0, 0, 606, 425}}, 306, 225, 1280, 1024 + kScreenExtraH, {0, 425}},
      {{}, 306, 225, 1280, 1052, {0, 0}},  // no other window: the corner
      // One window at the origin and one against the bottom right: the place
      // below the first is free (edges may touch).
      {two, 300, 200, 1280, 1052, {0, 500}},
      // Wider than the screen: the search ends.
      {{{0, 0, 100, 100}}, 2000, 2000, 1280, 1052, {1280 - 2000, 1052 - 2000}},
      {{{5, 5, 0, 0}}, 10, 10, 100, 100, {5, 5}},  // size-0 rectangles do not hang it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.w);
    XY at{-1, -1};
    freespace_rects(c.wins, c.w, c.h, c.sw, c.sh, &at.first, &at.second);
    EXPECT_EQ(at, c.at);
  }
  EXPECT_EQ(overlap_rect(0, 500, 300, 200, two[0]), 0);  // touching edges do not overlap
  EXPECT_EQ(overlap_rect(0, 499, 300, 200, two[0]), 300);
  EXPECT_EQ(overlap_rect(700, 600, 10, 10, two[1]), 100);
  EXPECT_EQ(overlap_rect(0, 0, 700, 10, two[0]), 600 * 10);  // cut at the other window's right edge
  EXPECT_EQ(overlap_rect(2000, 0, 10, 10, two[1]), 0);
}

// ---------------------------------------------------------------- windows
int g_destroy_calls = 0;
void my_destroy(GtkWidget* w) {
  ++g_destroy_calls;
  destroy_window(w);
}

XY default_size(GtkWidget* w) {
  XY s;
  gtk_window_get_default_size(GTK_WINDOW(w), &s.first, &s.second);
  return s;
}

TEST_F(LumoTest, WindowSizesUniqueTitlesAndDestroyCallbacks) {
  GtkWidget* main_win = Create_Window(nullptr, 600, 400, "Kelo", nullptr);
  GtkWidget* a = Create_Window(main_win, -1, -1, "Default", nullptr);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(XY(Get_Window_Info(a)->width, Get_Window_Info(a)->height), XY(400, 300));
  EXPECT_EQ(default_size(a), XY(400, 300));
  GtkWidget* b = Create_Window(main_win, 0, 300, "NoSize", nullptr);
  EXPECT_EQ(XY(Get_Window_Info(b)->width, Get_Window_Info(b)->height), XY(0, 0));
  EXPECT_EQ(default_size(b), XY(-1, -1));

  // A second window of an open title is not made, and no second info window.
  EXPECT_EQ(Create_Window(main_win, 100, 100, "Default", nullptr), nullptr);
  EXPECT_EQ(Create_Window(b, 100, 100, "Kelo", nullptr), nullptr);
  ASSERT_NE(Create_Info(main_win, "Sat-info", 400, 300, nullptr, nullptr), nullptr);
  EXPECT_EQ(Create_Info(main_win, "Sat-info", 400, 300, nullptr, nullptr), nullptr);
  EXPECT_EQ(test::windows_titled("Sat-info").size(), 1u);
  // Without a parent there is no list to look in.
  GtkWidget* c = Create_Window(nullptr, 10, 10, "Default", nullptr);
  EXPECT_NE(c, nullptr);
  EXPECT_EQ(First_window(c), c);

  // The caller's destroy callback runs and the title is free again.
  GtkWidget* d = Create_Window(main_win, 100, 100, "A", my_destroy);
  g_destroy_calls = 0;
  gtk_widget_destroy(d);
  EXPECT_EQ(g_destroy_calls, 1);
  EXPECT_NE(Create_Window(main_win, 100, 100, "A", nullptr), nullptr);
}

XY position_once(GtkWidget* w, int want_x) {
  XY at{-1, -1};
  test::wait_until([&] {
    gtk_window_get_position(GTK_WINDOW(w), &at.first, &at.second);
    return at.first == want_x;
  });
  return at;
}

TEST_F(LumoTest, PlaceWindowMovesARealWindow) {
  GtkWidget* main_win = Create_Window(nullptr, 300, 200, "Kelo", nullptr);
  gtk_widget_show(main_win);
  place_window(main_win, 0, 0, 1);
  test::drain();
  GtkWidget* w = Create_Window(main_win, 200, 100, "Placed", nullptr);
  gtk_widget_show(w);
  test::drain();
  place_window(w, 123, 45, 1);
  EXPECT_EQ(position_once(w, 123), XY(123, 45));
  // Centred: the arithmetic on this screen with the window's own size.
  place_window(w, 0, 0, 2);
  int ow = 0, oh = 0;
  window_get_root_size_lw(gtk_widget_get_window(w), &ow, &oh);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  int sw = gdk_screen_width(), sh = gdk_screen_height();
  G_GNUC_END_IGNORE_DEPRECATIONS
  EXPECT_EQ(position_once(w, (sw - ow) / 2), XY((sw - ow) / 2, (sh + kScreenExtraH - oh) / 2));
  EXPECT_EQ(gdk_screen_height_lw(), sh + kScreenExtraH);
}

TEST_F(LumoTest, ToggleSizeFillsTheScreenAndComesBack) {
  GtkWidget* main_win = Create_Window(nullptr, 300, 200, "Kelo", nullptr);
  gtk_widget_show(main_win);
  place_window(main_win, 40, 30, 1);
  const XY at0 = position_once(main_win, 40);
  XY size0, size;
  gtk_window_get_size(GTK_WINDOW(main_win), &size0.first, &size0.second);
  auto size_once = [&](bool same) {
    test::wait_until([&] {
      gtk_window_get_size(GTK_WINDOW(main_win), &size.first, &size.second);
      return (size.first == size0.first) == same;
    });
    return size;
  };
  WND_INFO* rec = Get_Window_Info(main_win);
  ASSERT_NE(rec, nullptr);
  window_toggle_size(main_win);
  EXPECT_EQ(rec->full_screen, 1);
  EXPECT_FALSE(gtk_window_get_decorated(GTK_WINDOW(main_win)));
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  EXPECT_EQ(size_once(false), XY(gdk_screen_width(), gdk_screen_height()));  // no WM: no border
  G_GNUC_END_IGNORE_DEPRECATIONS
  window_toggle_size(main_win);
  EXPECT_EQ(rec->full_screen, 0);
  EXPECT_TRUE(gtk_window_get_decorated(GTK_WINDOW(main_win)));
  EXPECT_EQ(size_once(true), size0);
  EXPECT_EQ(position_once(main_win, at0.first), at0);
  // A window without a record is left alone.
  GtkWidget* plain = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  window_toggle_size(plain);
  EXPECT_TRUE(gtk_window_get_decorated(GTK_WINDOW(plain)));
  gtk_widget_destroy(plain);
}

// ---------------------------------------------------------------- dialogs
TEST_F(LumoTest, ChoiceShowsFiveButtonsAndAClosedOneReturnsZero) {
  std::vector<std::string> seen, text;
  bool modal = false;
  test::run_later(20, [&] {
    GtkWidget* d = last_titled("Warning");
    ASSERT_NE(d, nullptr);
    seen = button_labels(d);
    text = test::label_texts(d);
    modal = gtk_window_get_modal(GTK_WINDOW(d));
    gtk_button_clicked(GTK_BUTTON(button_labelled(d, "four")));
  });
  int r = Create_Choice("Warning", {"one", "two", "three", "four", "five", "six", "seven"},
                        " File %s exist. %d?", "a.gif", 7);
  EXPECT_EQ(r, 4);
  EXPECT_EQ(Get_Dialog_Ret(), 4);
  EXPECT_EQ(seen, (std::vector<std::string>{"one", "two", "three", "four", "five"}));
  ASSERT_FALSE(text.empty());
  EXPECT_EQ(text[0], " File a.gif exist. 7?");
  EXPECT_TRUE(modal);
  EXPECT_EQ(last_titled("Warning"), nullptr);

  test::Answer closed("Delete", nullptr);
  // "Delete" is the first label here: a closed window must not mean "Delete".
  EXPECT_EQ(Create_Choice("Delete", {"Delete", "Cancel"}, "Really delete file\n%s?", "x.hrp"), 0);
  EXPECT_EQ(closed.title(), "Delete");
  EXPECT_EQ(last_titled("Delete"), nullptr);
}

TEST_F(LumoTest, MessageIsCutAndNestedDialogsEndTheirOwnWaits) {
  test::Answer error("Error", "Dismiss");
  Create_Message("Error", "Cannot open %s", std::string(600, 'y').c_str());
  const std::string shown = error.text();
  EXPECT_EQ(shown.size(), static_cast<size_t>(kMessageMax));
  EXPECT_EQ(shown.substr(0, 12), "Cannot open ");
  EXPECT_EQ(last_titled("Error"), nullptr);

  // A message opened while a choice waits: closing the message ends only
  // the message's wait; the choice still returns its own button.
  bool message_returned = false;
  test::run_later(20, [&] {
    test::run_later(20,
                    [&] { gtk_button_clicked(GTK_BUTTON(button_labelled(last_titled("Info"), "Dismiss"))); });
    Create_Message("Info", "inner");
    message_returned = true;
    gtk_button_clicked(GTK_BUTTON(button_labelled(last_titled("Outer"), "B")));
  });
  EXPECT_EQ(Create_Choice("Outer", {"A", "B"}, "%s", "pick"), 2);
  EXPECT_TRUE(message_returned);
}

TEST_F(LumoTest, TextWindowsAndOneliner) {
  GtkWidget* main_win = Create_Window(nullptr, 600, 400, "Kelo", nullptr);
  static int reloads;
  reloads = 0;
  GtkWidget* text = Create_Info(
      main_win, "Sat-info", 400, 300, [](GtkWidget*, const char*) { ++reloads; },
      Create_Button("Extra", nullptr));
  ASSERT_NE(text, nullptr);
  GtkWidget* win = gtk_widget_get_toplevel(text);
  EXPECT_EQ(button_labels(win), (std::vector<std::string>{"Dismiss", "Reload", "Extra"}));
  gtk_button_clicked(GTK_BUTTON(button_labelled(win, "Reload")));
  EXPECT_EQ(reloads, 1);

  Add_Text(text, 0, "Satellite: %s\n", "NOAA 19");
  Add_Text(text, 0, "Lines: %d\n", 1200);
  EXPECT_EQ(test::text_of(text), "Satellite: NOAA 19\nLines: 1200\n");
  Clear_Text(text);
  EXPECT_EQ(test::text_of(text), "");

  gtk_button_clicked(GTK_BUTTON(button_labelled(win, "Dismiss")));
  EXPECT_EQ(Find_Window(main_win, "Sat-info"), nullptr);

  EXPECT_EQ(Create_Oneliner("File", nullptr), nullptr);
  GtkWidget* w = Create_Oneliner("File", "n19_01.hrp");
  ASSERT_NE(w, nullptr);
  EXPECT_STREQ(Get_Entry(w, "File"), "n19_01.hrp");
}

// ---------------------------------------------------------------- progress
int g_fraction_notes = 0;
void count_fraction(GObject*, GParamSpec*, gpointer) { ++g_fraction_notes; }

double fraction(GtkWidget* bar) { return gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)); }

TEST_F(LumoTest, ProgressDrawsOncePerPercent) {
  GtkWidget* main_win = Create_Window(nullptr, 600, 400, "Kelo", nullptr);
  GtkWidget* bar = Create_Progress(main_win, "Saving", 1);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Create_Progress(main_win, "Saving", 1), nullptr);
  g_fraction_notes = 0;
  g_signal_connect(bar, "notify::fraction", G_CALLBACK(count_fraction), nullptr);
  struct Step {
    int done, total, notes;      // notes: redraws so far
    double fraction, tolerance;  // the bar keeps a float
  };
  const Step steps[] = {
      {10, 1000, 1, 0.01, 1e-6}, {19, 1000, 1, 0.01, 1e-6},  // still 1 %: no redraw
      {500, 1000, 2, 0.5, 0},    {5000, 1000, 3, 1.0, 0},    // more done than total shows 100 %
      {0, 0, 4, 0.0, 0},         {3, -1, 5, 0.0, 0},         // total <= 0 resets; every reset draws 0 % again
  };
  for (const Step& s : steps) {
    EXPECT_EQ(Update_Progress(bar, s.done, s.total), 0);
    EXPECT_EQ(g_fraction_notes, s.notes) << s.done << "/" << s.total;
    EXPECT_NEAR(fraction(bar), s.fraction, s.tolerance) << s.done << "/" << s.total;
  }

  // Cancel: updates return 1 and the caller closes the window.
  GtkWidget* cancel = button_labelled(gtk_widget_get_toplevel(bar), "Cancel");
  ASSERT_NE(cancel, nullptr);
  gtk_button_clicked(GTK_BUTTON(cancel));
  EXPECT_EQ(Get_Progress_state(bar), 1);
  EXPECT_EQ(Update_Progress(bar, 600, 1000), 1);
  Close_Progress(bar);
  test::drain();
  EXPECT_EQ(Find_Window(main_win, "Saving"), nullptr);

  // Closing another progress window does not stop this one's work.
  GtkWidget* bar3 = Create_Progress(main_win, "Export", 1);
  Close_Progress(Create_Progress(main_win, "Other", 1));
  EXPECT_EQ(Update_Progress(bar3, 1, 2), 0);
  Close_Progress(bar3);

  // Closed by the operator: the bar is gone, every further call stops the
  // work and touches nothing; a new progress window starts afresh.
  GtkWidget* bar4 = Create_Progress(main_win, "Saving", 1);
  EXPECT_EQ(Update_Progress(bar4, 1, 10), 0);
  gtk_widget_destroy(gtk_widget_get_toplevel(bar4));
  EXPECT_EQ(Update_Progress(bar4, 2, 10), 1);
  EXPECT_EQ(Get_Progress_state(bar4), 1);
  Close_Progress(bar4);
  EXPECT_EQ(Update_Progress(nullptr, 2, 10), 1);
  GtkWidget* bar5 = Create_Progress(main_win, "Saving", 1);
  EXPECT_EQ(Update_Progress(bar5, 2, 10), 0);
  Close_Progress(bar5);
}

TEST_F(LumoTest, RemainingTimeInTheTitle) {
  EXPECT_EQ(progress_remaining_text(40, 20), "2:40");  // 40 * 80 / 20 = 160 s
  EXPECT_EQ(progress_remaining_text(600, 1), "990:00");
  EXPECT_EQ(progress_remaining_text(100, 0), "");
  GtkWidget* bar = Create_Progress(nullptr, "Saving", 1);
  ASSERT_NE(bar, nullptr);
  GtkWindow* win = GTK_WINDOW(gtk_widget_get_toplevel(bar));
  auto* rec = static_cast<PROGRESS_INFO*>(g_object_get_data(G_OBJECT(win), kKeyProgress));
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(Update_Progress(bar, 10, 100), 0);
  EXPECT_STREQ(gtk_window_get_title(win), "Saving");
  // An operation started 100 s ago and a quarter done: 300 s to go.
  rec->start -= 100;
  EXPECT_EQ(Update_Progress(bar, 25, 100), 0);
  const std::string title = gtk_window_get_title(win);
  // The clock may tick once between the two reads of the time.
  EXPECT_TRUE(title == "5:00" || title == "5:03") << title;
  Close_Progress(bar);
}

// ---------------------------------------------------------------- the GTK side of the core/GUI seam

class SeamTest : public LumoTest {
 protected:
  GtkGui seam_;
};

TEST_F(SeamTest, MessageTextIsShownAsItIs) {
  test::Answer shown("Error", "Dismiss");
  // A percent sign in the text is shown, not taken as a conversion.
  seam_.message("Error", "Disk 100% full");
  EXPECT_EQ(shown.text(), "Disk 100% full");
}

gboolean set_flag(gpointer data) {
  *static_cast<bool*>(data) = true;
  return G_SOURCE_REMOVE;
}

TEST_F(SeamTest, SleepKeepsTheGuiAliveAndDoesNotNest) {
  bool idle_ran = false, busy_inside = false, nested_returned_at_once = false;
  g_idle_add(set_flag, &idle_ran);
  test::run_later(5, [&] {
    busy_inside = seam_.sleeping();
    // A wait requested while one runs returns at once: an idle queued now
    // has not run when it returns.
    bool later_idle = false;
    g_idle_add(set_flag, &later_idle);
    seam_.sleep_ms(60000);
    nested_returned_at_once = !later_idle;
  });
  seam_.sleep_ms(50);
  EXPECT_TRUE(idle_ran);  // events were handled during the wait
  EXPECT_TRUE(busy_inside);
  EXPECT_TRUE(nested_returned_at_once);
  EXPECT_FALSE(seam_.sleeping());
}

TEST_F(SeamTest, QuitLeavesTheInnermostLoop) {
  // A quit that did not reach the loop would leave gtk_main running (and the
  // test would time out).
  guint level_inside = 0;
  test::run_later(5, [&] {
    level_inside = gtk_main_level();
    seam_.quit_main_loop();
  });
  gtk_main();
  EXPECT_EQ(level_inside, 1u);
  EXPECT_EQ(gtk_main_level(), 0u);
  seam_.quit_main_loop();  // outside any loop: nothing happens
  seam_.process_events();
}

}  // namespace
}  // namespace kelo
