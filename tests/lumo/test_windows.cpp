// Windows, placement, modal dialogs, text and progress windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"
#include "lumo_fixture.h"

namespace kelo {
namespace {

using test::LumoTest;

// ---------------------------------------------------------------- arithmetic
TEST(LumoPlacement, ModesOnAVirtualScreen) {
  // 1024 x 768 screen: SH = 768 + 28. A window of outer size 300 x 200 is
  // 306 x 225 enlarged.
  const int sw = 1024, sh = 768 + kScreenExtraH;
  const WndRect self{0, 0, 300 + kPlaceExtraW, 200 + kPlaceExtraH};
  const WndRect first{40, 30, 606, 425};
  int x = -1, y = -1;
  ASSERT_TRUE(place_position(2, 0, 0, self, sw, sh, first, {}, &x, &y));
  EXPECT_EQ(x, 359);
  EXPECT_EQ(y, 285);
  // Offsets are added; halves truncate toward zero ((1024 - 307) / 2 = 358).
  ASSERT_TRUE(place_position(2, 5, -7, WndRect{0, 0, 307, 226}, sw, sh, first, {}, &x, &y));
  EXPECT_EQ(x, 358 + 5);
  EXPECT_EQ(y, 285 - 7);
  ASSERT_TRUE(place_position(1, 12, 34, self, sw, sh, first, {}, &x, &y));
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 34);
  ASSERT_TRUE(place_position(5, 12, 34, self, sw, sh, first, {}, &x, &y));
  EXPECT_EQ(x, 12);
  EXPECT_EQ(y, 34);
  ASSERT_TRUE(place_position(4, 10, 20, self, sw, sh, first, {}, &x, &y));
  EXPECT_EQ(x, 50);
  EXPECT_EQ(y, 50);
  ASSERT_TRUE(place_position(6, -3, 4, self, sw, sh, first, {}, &x, &y));
  EXPECT_EQ(x, 1024 - 306 - 3);
  EXPECT_EQ(y, 4);
  ASSERT_TRUE(place_position(7, 3, -4, self, sw, sh, first, {}, &x, &y));
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 796 - 225 - 4);
  ASSERT_TRUE(place_position(8, 0, 0, self, sw, sh, first, {}, &x, &y));
  EXPECT_EQ(x, 718);
  EXPECT_EQ(y, 571);
  x = y = -1;
  EXPECT_FALSE(place_position(0, 1, 1, self, sw, sh, first, {}, &x, &y));
  EXPECT_FALSE(place_position(9, 1, 1, self, sw, sh, first, {}, &x, &y));
  EXPECT_EQ(x, -1);
}

TEST(LumoPlacement, SmartPlacementFindsTheFreeCorner) {
  // Only the main window at (0, 0), enlarged 606 x 425, on 1280 x 1024
  // (SH 1052), new window 306 x 225: candidates (0,0), (0,425), (606,0),
  // (606,425); the first without overlap, (0, 425), wins.
  int x = -1, y = -1;
  freespace_rects({WndRect{0, 0, 606, 425}}, 306, 225, 1280, 1024 + kScreenExtraH, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 425);
  // No other window: the corner.
  freespace_rects({}, 306, 225, 1280, 1052, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  // Two windows, one at the origin and one against the bottom right: the
  // place below the first is free (edges may touch).
  std::vector<WndRect> two{{0, 0, 600, 500}, {600, 500, 680, 552}};
  freespace_rects(two, 300, 200, 1280, 1052, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 500);
  EXPECT_EQ(overlap_rect(0, 500, 300, 200, two[0]), 0);  // touching edges do not overlap
  EXPECT_EQ(overlap_rect(0, 499, 300, 200, two[0]), 300);
  EXPECT_EQ(overlap_rect(700, 600, 10, 10, two[1]), 100);
  EXPECT_EQ(overlap_rect(2000, 0, 10, 10, two[1]), 0);
}

TEST(LumoPlacement, SmartPlacementOfAWindowWiderThanTheScreenEnds) {
  int x = 1, y = 1;
  freespace_rects({WndRect{0, 0, 100, 100}}, 2000, 2000, 1280, 1052, &x, &y);
  EXPECT_EQ(x, 1280 - 2000);
  EXPECT_EQ(y, 1052 - 2000);
  // Degenerate rectangles of size 0 do not hang the search.
  freespace_rects({WndRect{5, 5, 0, 0}}, 10, 10, 100, 100, &x, &y);
  EXPECT_EQ(x, 5);
  EXPECT_EQ(y, 5);
}

// ---------------------------------------------------------------- windows
TEST_F(LumoTest, WindowSizesAndUniqueTitles) {
  GtkWidget* main_win = Create_Window(nullptr, 600, 400, "Kelo", nullptr);
  GtkWidget* a = Create_Window(main_win, -1, -1, "Default", nullptr);
  ASSERT_NE(a, nullptr);
  WND_INFO* ra = Get_Window_Info(a);
  EXPECT_EQ(ra->width, 400);
  EXPECT_EQ(ra->height, 300);
  int dw = 0, dh = 0;
  gtk_window_get_default_size(GTK_WINDOW(a), &dw, &dh);
  EXPECT_EQ(dw, 400);
  EXPECT_EQ(dh, 300);
  GtkWidget* b = Create_Window(main_win, 0, 300, "NoSize", nullptr);
  WND_INFO* rb = Get_Window_Info(b);
  EXPECT_EQ(rb->width, 0);
  EXPECT_EQ(rb->height, 0);
  gtk_window_get_default_size(GTK_WINDOW(b), &dw, &dh);
  EXPECT_EQ(dw, -1);
  EXPECT_EQ(dh, -1);
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(b)), "NoSize");

  // A second window of an open title is not made.
  EXPECT_EQ(Create_Window(main_win, 100, 100, "Default", nullptr), nullptr);
  EXPECT_EQ(Create_Window(b, 100, 100, "Kelo", nullptr), nullptr);
  // ... and so is no second info window.
  GtkWidget* text = Create_Info(main_win, "Sat-info", 400, 300, nullptr, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(Create_Info(main_win, "Sat-info", 400, 300, nullptr, nullptr), nullptr);
  EXPECT_EQ(test::windows_titled("Sat-info").size(), 1u);
  // Without a parent there is no list to look in.
  GtkWidget* c = Create_Window(nullptr, 10, 10, "Default", nullptr);
  EXPECT_NE(c, nullptr);
  EXPECT_EQ(First_window(c), c);
}

int g_destroy_calls = 0;
void my_destroy(GtkWidget* w) {
  ++g_destroy_calls;
  destroy_window(w);
}

TEST_F(LumoTest, CallerDestroyCallbackAndRecordRemoval) {
  GtkWidget* main_win = Create_Window(nullptr, 600, 400, "Kelo", nullptr);
  GtkWidget* a = Create_Window(main_win, 100, 100, "A", my_destroy);
  g_destroy_calls = 0;
  gtk_widget_destroy(a);
  EXPECT_EQ(g_destroy_calls, 1);
  EXPECT_EQ(Find_Window(main_win, "A"), nullptr);
  EXPECT_NE(Create_Window(main_win, 100, 100, "A", nullptr), nullptr);
}

TEST_F(LumoTest, PlaceWindowMovesARealWindow) {
  GtkWidget* main_win = Create_Window(nullptr, 300, 200, "Kelo", nullptr);
  gtk_widget_show(main_win);
  place_window(main_win, 0, 0, 1);
  test::drain();
  GtkWidget* w = Create_Window(main_win, 200, 100, "Placed", nullptr);
  gtk_widget_show(w);
  test::drain();
  int x = -1, y = -1;
  place_window(w, 123, 45, 1);
  test::wait_until([&] {
    gtk_window_get_position(GTK_WINDOW(w), &x, &y);
    return x == 123;
  });
  EXPECT_EQ(x, 123);
  EXPECT_EQ(y, 45);
  // Centred: the arithmetic on this screen with the window's own size.
  place_window(w, 0, 0, 2);
  int ow = 0, oh = 0;
  window_get_root_size_lw(gtk_widget_get_window(w), &ow, &oh);
  GdkScreen* screen = gdk_screen_get_default();
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  int sw = gdk_screen_get_width(screen);
  int sh = gdk_screen_get_height(screen);
  G_GNUC_END_IGNORE_DEPRECATIONS
  test::wait_until([&] {
    gtk_window_get_position(GTK_WINDOW(w), &x, &y);
    return x == (sw - ow) / 2;
  });
  EXPECT_EQ(x, (sw - ow) / 2);
  EXPECT_EQ(y, (sh + kScreenExtraH - oh) / 2);
  EXPECT_EQ(gdk_screen_height_lw(), sh + kScreenExtraH);
}

// ---------------------------------------------------------------- dialogs
GtkWidget* dialog_titled(const char* title) {
  auto wins = test::windows_titled(title);
  return wins.empty() ? nullptr : wins.back();
}

std::vector<std::string> button_labels(GtkWidget* win) {
  std::vector<GtkWidget*> buttons;
  test::collect_type(win, GTK_TYPE_BUTTON, &buttons);
  std::vector<std::string> out;
  for (GtkWidget* b : buttons) out.emplace_back(gtk_button_get_label(GTK_BUTTON(b)));
  return out;
}

std::string label_text(GtkWidget* win) {
  std::vector<GtkWidget*> labels;
  test::collect_type(win, GTK_TYPE_LABEL, &labels);
  return labels.empty() ? "" : gtk_label_get_text(GTK_LABEL(labels.front()));
}

GtkWidget* button_labelled(GtkWidget* win, const char* label) {
  std::vector<GtkWidget*> buttons;
  test::collect_type(win, GTK_TYPE_BUTTON, &buttons);
  for (GtkWidget* b : buttons) {
    if (std::strcmp(gtk_button_get_label(GTK_BUTTON(b)), label) == 0) return b;
  }
  return nullptr;
}

TEST_F(LumoTest, ChoiceWithSevenLabelsShowsFiveButtons) {
  std::vector<std::string> seen;
  std::string text;
  bool modal = false;
  test::run_later(20, [&] {
    GtkWidget* d = dialog_titled("Warning");
    ASSERT_NE(d, nullptr);
    seen = button_labels(d);
    text = label_text(d);
    modal = gtk_window_get_modal(GTK_WINDOW(d));
    gtk_button_clicked(GTK_BUTTON(button_labelled(d, "four")));
  });
  int r = Create_Choice("Warning", {"one", "two", "three", "four", "five", "six", "seven"},
                        " File %s exist. %d?", "a.gif", 7);
  EXPECT_EQ(r, 4);
  EXPECT_EQ(Get_Dialog_Ret(), 4);
  EXPECT_EQ(seen, (std::vector<std::string>{"one", "two", "three", "four", "five"}));
  EXPECT_EQ(text, " File a.gif exist. 7?");
  EXPECT_TRUE(modal);
  EXPECT_EQ(dialog_titled("Warning"), nullptr);
}

TEST_F(LumoTest, ChoiceClosedByTheWindowManagerReturnsZero) {
  test::run_later(20, [&] {
    GtkWidget* d = dialog_titled("Delete");
    ASSERT_NE(d, nullptr);
    // What the window manager's close button does.
    GdkEvent* ev = gdk_event_new(GDK_DELETE);
    ev->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(d)));
    gtk_main_do_event(ev);
    gdk_event_free(ev);
  });
  // "Delete" is the first label here: a closed window must not mean "Delete".
  int r = Create_Choice("Delete", {"Delete", "Cancel"}, "Really delete file\n%s?", "x.hrp");
  EXPECT_EQ(r, 0);
  EXPECT_EQ(dialog_titled("Delete"), nullptr);
}

TEST_F(LumoTest, MessageIsCutAndDismissed) {
  std::string shown;
  test::run_later(20, [&] {
    GtkWidget* d = dialog_titled("Error");
    ASSERT_NE(d, nullptr);
    shown = label_text(d);
    EXPECT_EQ(button_labels(d), std::vector<std::string>{"Dismiss"});
    gtk_button_clicked(GTK_BUTTON(button_labelled(d, "Dismiss")));
  });
  std::string long_text(600, 'y');
  Create_Message("Error", "Cannot open %s", long_text.c_str());
  EXPECT_EQ(shown.size(), static_cast<size_t>(kMessageMax));
  EXPECT_EQ(shown.substr(0, 12), "Cannot open ");
  EXPECT_EQ(dialog_titled("Error"), nullptr);
}

TEST_F(LumoTest, NestedDialogsEndTheirOwnWaits) {
  // A message opened while a choice waits: closing the message ends only
  // the message's wait; the choice still returns its own button.
  bool message_returned = false;
  test::run_later(20, [&] {
    test::run_later(20, [&] {
      GtkWidget* m = dialog_titled("Info");
      ASSERT_NE(m, nullptr);
      gtk_button_clicked(GTK_BUTTON(button_labelled(m, "Dismiss")));
    });
    Create_Message("Info", "inner");
    message_returned = true;
    GtkWidget* c = dialog_titled("Outer");
    ASSERT_NE(c, nullptr);
    gtk_button_clicked(GTK_BUTTON(button_labelled(c, "B")));
  });
  EXPECT_EQ(Create_Choice("Outer", {"A", "B"}, "%s", "pick"), 2);
  EXPECT_TRUE(message_returned);
}

TEST_F(LumoTest, TextWindowAddsAndClears) {
  GtkWidget* main_win = Create_Window(nullptr, 600, 400, "Kelo", nullptr);
  int reloads = 0;
  static int* reload_counter;
  reload_counter = &reloads;
  GtkWidget* extra = Create_Button("Extra", nullptr);
  GtkWidget* text = Create_Info(
      main_win, "Sat-info", 400, 300, [](GtkWidget*, const char*) { ++*reload_counter; }, extra);
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(GTK_IS_SCROLLED_WINDOW(gtk_widget_get_parent(text)));
  EXPECT_FALSE(gtk_text_view_get_editable(GTK_TEXT_VIEW(text)));
  GtkWidget* win = gtk_widget_get_toplevel(text);
  EXPECT_EQ(button_labels(win), (std::vector<std::string>{"Dismiss", "Reload", "Extra"}));
  gtk_button_clicked(GTK_BUTTON(button_labelled(win, "Reload")));
  EXPECT_EQ(reloads, 1);

  Add_Text(text, 0, "Satellite: %s\n", "NOAA 19");
  Add_Text(text, 0, "Lines: %d\n", 1200);
  GtkTextBuffer* buf = gtk_text_view_get_buffer(GTK_TEXT_VIEW(text));
  GtkTextIter s, e;
  gtk_text_buffer_get_bounds(buf, &s, &e);
  gchar* all = gtk_text_buffer_get_text(buf, &s, &e, FALSE);
  EXPECT_STREQ(all, "Satellite: NOAA 19\nLines: 1200\n");
  g_free(all);
  Clear_Text(text);
  EXPECT_EQ(gtk_text_buffer_get_char_count(buf), 0);

  gtk_button_clicked(GTK_BUTTON(button_labelled(win, "Dismiss")));
  EXPECT_EQ(Find_Window(main_win, "Sat-info"), nullptr);
  GtkWidget* t = Create_Text("Notes", 1);
  EXPECT_TRUE(gtk_text_view_get_editable(GTK_TEXT_VIEW(t)));
  EXPECT_STREQ(static_cast<const char*>(g_object_get_data(G_OBJECT(t), kKeyId)), "Notes");
  gtk_widget_destroy(gtk_widget_get_parent(t));
}

TEST_F(LumoTest, OnelinerShowsItsText) {
  EXPECT_EQ(Create_Oneliner("File", nullptr), nullptr);
  GtkWidget* w = Create_Oneliner("File", "n19_01.hrp");
  ASSERT_NE(w, nullptr);
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(w)), "Ladende...");
  EXPECT_STREQ(Get_Entry(w, "File"), "n19_01.hrp");
}

// ---------------------------------------------------------------- progress
int g_fraction_notes = 0;
void count_fraction(GObject*, GParamSpec*, gpointer) { ++g_fraction_notes; }

TEST_F(LumoTest, ProgressDrawsOncePerPercent) {
  GtkWidget* main_win = Create_Window(nullptr, 600, 400, "Kelo", nullptr);
  GtkWidget* bar = Create_Progress(main_win, "Saving", 1);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Create_Progress(main_win, "Saving", 1), nullptr);
  g_fraction_notes = 0;
  g_signal_connect(bar, "notify::fraction", G_CALLBACK(count_fraction), nullptr);
  EXPECT_EQ(Update_Progress(bar, 10, 1000), 0);  // 1 %
  EXPECT_EQ(Update_Progress(bar, 19, 1000), 0);  // still 1 %
  EXPECT_EQ(g_fraction_notes, 1);
  EXPECT_NEAR(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), 0.01, 1e-6);
  EXPECT_EQ(Update_Progress(bar, 500, 1000), 0);
  EXPECT_EQ(g_fraction_notes, 2);
  // More done than total shows 100 %.
  EXPECT_EQ(Update_Progress(bar, 5000, 1000), 0);
  EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), 1.0);
  // total <= 0 resets and returns 0.
  EXPECT_EQ(Update_Progress(bar, 0, 0), 0);
  EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), 0.0);
  EXPECT_EQ(Update_Progress(bar, 3, -1), 0);
  EXPECT_EQ(g_fraction_notes, 5);  // every reset draws 0 % again

  // Cancel: updates return 1 and the caller closes the window.
  GtkWidget* cancel = button_labelled(gtk_widget_get_toplevel(bar), "Cancel");
  ASSERT_NE(cancel, nullptr);
  gtk_button_clicked(GTK_BUTTON(cancel));
  EXPECT_EQ(Get_Progress_state(bar), 1);
  EXPECT_EQ(Update_Progress(bar, 600, 1000), 1);
  Close_Progress(bar);
  test::drain();
  EXPECT_EQ(Find_Window(main_win, "Saving"), nullptr);

  // A normal close does not stop the next operation's progress.
  GtkWidget* bar2 = Create_Progress(main_win, "Saving", 0);
  ASSERT_NE(bar2, nullptr);
  EXPECT_EQ(button_labelled(gtk_widget_get_toplevel(bar2), "Cancel"), nullptr);
  EXPECT_EQ(Update_Progress(bar2, 1, 2), 0);
  Close_Progress(bar2);
  GtkWidget* bar3 = Create_Progress(main_win, "Export", 1);
  GtkWidget* bar4 = Create_Progress(main_win, "Other", 1);
  Close_Progress(bar4);
  EXPECT_EQ(Update_Progress(bar3, 1, 2), 0);
  Close_Progress(bar3);
}

TEST_F(LumoTest, ProgressWindowClosedByTheOperatorStopsTheWork) {
  GtkWidget* main_win = Create_Window(nullptr, 600, 400, "Kelo", nullptr);
  GtkWidget* bar = Create_Progress(main_win, "Saving", 1);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Update_Progress(bar, 1, 10), 0);
  gtk_widget_destroy(gtk_widget_get_toplevel(bar));
  // The bar is gone: every further call stops the work and touches nothing.
  EXPECT_EQ(Update_Progress(bar, 2, 10), 1);
  EXPECT_EQ(Get_Progress_state(bar), 1);
  Close_Progress(bar);
  EXPECT_EQ(Update_Progress(nullptr, 2, 10), 1);
  // A new progress window starts afresh.
  GtkWidget* bar2 = Create_Progress(main_win, "Saving", 1);
  EXPECT_EQ(Update_Progress(bar2, 2, 10), 0);
  Close_Progress(bar2);
}

TEST_F(LumoTest, RemainingTimeInTheTitle) {
  EXPECT_EQ(progress_remaining_text(40, 20), "2:40");  // 40 * 80 / 20 = 160 s
  EXPECT_EQ(progress_remaining_text(31, 99), "0:00");
  EXPECT_EQ(progress_remaining_text(600, 1), "990:00");
  EXPECT_EQ(progress_remaining_text(100, 0), "");
  GtkWidget* bar = Create_Progress(nullptr, "Saving", 1);
  ASSERT_NE(bar, nullptr);
  auto* rec =
      static_cast<PROGRESS_INFO*>(g_object_get_data(G_OBJECT(gtk_widget_get_toplevel(bar)), kKeyProgress));
  ASSERT_NE(rec, nullptr);
  EXPECT_EQ(Update_Progress(bar, 10, 100), 0);
  EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(gtk_widget_get_toplevel(bar))), "Saving");
  // An operation started 100 s ago and a quarter done: 300 s to go.
  rec->start -= 100;
  EXPECT_EQ(Update_Progress(bar, 25, 100), 0);
  const char* title = gtk_window_get_title(GTK_WINDOW(gtk_widget_get_toplevel(bar)));
  // The clock may tick once between the two reads of the time.
  EXPECT_TRUE(std::strcmp(title, "5:00") == 0 || std::strcmp(title, "5:03") == 0) << title;
  Close_Progress(bar);
}

}  // namespace
}  // namespace kelo

namespace kelo {
namespace {

using test::LumoTest;

TEST_F(LumoTest, ToggleSizeFillsTheScreenAndComesBack) {
  GtkWidget* main_win = Create_Window(nullptr, 300, 200, "Kelo", nullptr);
  gtk_widget_show(main_win);
  place_window(main_win, 40, 30, 1);
  test::wait_until([&] {
    int px = 0, py = 0;
    gtk_window_get_position(GTK_WINDOW(main_win), &px, &py);
    return px == 40;
  });
  int w0 = 0, h0 = 0, x0 = 0, y0 = 0;
  gtk_window_get_size(GTK_WINDOW(main_win), &w0, &h0);
  gtk_window_get_position(GTK_WINDOW(main_win), &x0, &y0);
  WND_INFO* rec = Get_Window_Info(main_win);
  ASSERT_NE(rec, nullptr);
  window_toggle_size(main_win);
  EXPECT_EQ(rec->full_screen, 1);
  EXPECT_FALSE(gtk_window_get_decorated(GTK_WINDOW(main_win)));
  int w = 0, h = 0;
  test::wait_until([&] {
    gtk_window_get_size(GTK_WINDOW(main_win), &w, &h);
    return w != w0;
  });
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  EXPECT_EQ(w, gdk_screen_width());  // no window manager: no border
  EXPECT_EQ(h, gdk_screen_height());
  G_GNUC_END_IGNORE_DEPRECATIONS
  window_toggle_size(main_win);
  EXPECT_EQ(rec->full_screen, 0);
  EXPECT_TRUE(gtk_window_get_decorated(GTK_WINDOW(main_win)));
  test::wait_until([&] {
    gtk_window_get_size(GTK_WINDOW(main_win), &w, &h);
    return w == w0;
  });
  EXPECT_EQ(w, w0);
  EXPECT_EQ(h, h0);
  int x = 0, y = 0;
  gtk_window_get_position(GTK_WINDOW(main_win), &x, &y);
  EXPECT_EQ(x, x0);
  EXPECT_EQ(y, y0);
  // A window without a record is left alone.
  GtkWidget* plain = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  window_toggle_size(plain);
  EXPECT_TRUE(gtk_window_get_decorated(GTK_WINDOW(plain)));
  gtk_widget_destroy(plain);
}

}  // namespace
}  // namespace kelo
