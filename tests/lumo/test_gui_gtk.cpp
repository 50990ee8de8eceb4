// The GTK side of the core/GUI seam, as the engines use it.
#include <gtest/gtest.h>

#include <string>

#include "app/gui_seam.h"
#include "lumo/buttons.h"
#include "lumo/gui_gtk.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/rgbdraw.h"
#include "lumo/windows.h"
#include "lumo_fixture.h"

namespace kelo {
namespace {

using test::LumoTest;

class SeamTest : public LumoTest {
 protected:
  void SetUp() override {
    LumoTest::SetUp();
    if (IsSkipped()) return;
    set_gui(&seam_);
  }
  void TearDown() override {
    set_gui(nullptr);
    LumoTest::TearDown();
  }
  GtkGui seam_;
};

TEST_F(SeamTest, MessagesAndChoicesAreModalWindows) {
  std::vector<std::string> shown;
  test::run_later(20, [&] {
    auto wins = test::windows_titled("Error");
    ASSERT_EQ(wins.size(), 1u);
    shown = test::label_texts(wins[0]);
    gtk_button_clicked(GTK_BUTTON(test::button_labelled(wins[0], "Dismiss")));
  });
  // A percent sign in the text is shown, not taken as a conversion.
  gui().message("Error", "Disk 100% full");
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0], "Disk 100% full");

  test::run_later(20, [&] {
    auto wins = test::windows_titled("Warning");
    ASSERT_EQ(wins.size(), 1u);
    gtk_button_clicked(GTK_BUTTON(test::button_labelled(wins[0], "OK")));
  });
  EXPECT_EQ(gui().choice("Warning", {"Cancel", "OK"}, " File a.gif exist. Overwrite?"), 2);
}

TEST_F(SeamTest, EntriesCanvasAndProgressOfWindows) {
  GtkWidget* main_win = Create_Window(nullptr, 300, 200, "Kelo", nullptr);
  GtkWidget* rec = Create_Window(main_win, 300, 200, "Record HRPT", nullptr);
  gtk_container_add(GTK_CONTAINER(rec), Create_Entry("!Satellite", nullptr, "%-20s", ""));
  gui().set_entry_text("Record HRPT", "!Satellite", "NOAA 18");
  EXPECT_STREQ(Get_Entry(rec, "!Satellite"), "NOAA 18");
  // An unknown window or identifier is ignored.
  gui().set_entry_text("Record HRI", "!Satellite", "METEOSAT 7");
  gui().set_entry_text("Record HRPT", "Missing", "x");
  EXPECT_STREQ(Get_Entry(rec, "!Satellite"), "NOAA 18");
  EXPECT_EQ(find_window_by_title("Record HRPT"), rec);
  EXPECT_EQ(find_window_by_title("Nowhere"), nullptr);

  // The canvas: none yet, then a drawing area without a record, then one.
  EXPECT_EQ(gui().canvas(main_win), nullptr);
  GtkWidget* area = gtk_drawing_area_new();
  gtk_container_add(GTK_CONTAINER(main_win), Pack(nullptr, 'v', area, 0, nullptr));
  EXPECT_EQ(gui().canvas(main_win), nullptr);
  DRAWABLE_INFO rgbi;
  g_object_set_data(G_OBJECT(area), kKeyDrawable, &rgbi);
  EXPECT_EQ(gui().canvas(main_win), &rgbi);
  gui().refresh_rows(main_win, 0, 10);  // queues a redraw, must not fail
  EXPECT_EQ(gui().canvas(nullptr), nullptr);
  g_object_set_data(G_OBJECT(area), kKeyDrawable, nullptr);

  WindowHandle bar = gui().progress_begin(main_win, "Export", true);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(gui().progress_update(bar, 5, 10), 0);
  EXPECT_DOUBLE_EQ(gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)), 0.5);
  gtk_button_clicked(GTK_BUTTON(test::button_labelled(gtk_widget_get_toplevel(GTK_WIDGET(bar)), "Cancel")));
  EXPECT_NE(gui().progress_update(bar, 6, 10), 0);
  gui().progress_end(bar);
  EXPECT_EQ(Find_Window(main_win, "Export"), nullptr);
}

TEST_F(SeamTest, EscapeIsTakenFromTheQueue) {
  test::drain();
  EXPECT_FALSE(gui().escape_pressed());
  test::put_key(GDK_KEY_Escape);
  EXPECT_TRUE(gui().escape_pressed());
  EXPECT_FALSE(gui().escape_pressed());
}

gboolean set_flag(gpointer data) {
  *static_cast<bool*>(data) = true;
  return G_SOURCE_REMOVE;
}

TEST_F(SeamTest, SleepKeepsTheGuiAliveAndDoesNotNest) {
  bool idle_ran = false, busy_inside = false, nested_returned_at_once = false;
  g_idle_add(set_flag, &idle_ran);
  test::run_later(5, [&] {
    busy_inside = gui_busy_sleep() == 1;
    // A wait requested while one runs returns at once: an idle queued now
    // has not run when it returns.
    bool later_idle = false;
    g_idle_add(set_flag, &later_idle);
    gui().sleep_ms(60000);
    nested_returned_at_once = !later_idle;
  });
  gui().sleep_ms(50);
  EXPECT_TRUE(idle_ran);  // events were handled during the wait
  EXPECT_TRUE(busy_inside);
  EXPECT_TRUE(nested_returned_at_once);
  EXPECT_EQ(gui_busy_sleep(), 0);
}

TEST_F(SeamTest, QuitLeavesTheInnermostLoop) {
  // A quit that did not reach the loop would leave gtk_main running (and the
  // test would time out).
  guint level_inside = 0;
  test::run_later(5, [&] {
    level_inside = gtk_main_level();
    gui().quit_main_loop();
  });
  gtk_main();
  EXPECT_EQ(level_inside, 1u);
  EXPECT_EQ(gtk_main_level(), 0u);
  gui().quit_main_loop();  // outside any loop: nothing happens
  gui().process_events();
}

}  // namespace
}  // namespace kelo
