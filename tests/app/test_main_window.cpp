// The main window end to end under Xvfb, driven by real X input: what the
// canvas shows on screen equals the headless render of the same view after
// menu, key, rectangle and pan zooms; redraw requests during a pass fold;
// Escape stops a pass; a damaged file leaves the open picture; the
// read-out under the pointer.
#include <memory>
#include <string>

#include "core/export/hrpt_fixture.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/canvas.h"
#include "lumo/filemngr.h"
#include "lumo/listtree.h"
#include "window_fixture.h"

// The X headers last: their macros (None, Bool) clash with the test framework.
#include <X11/keysym.h>

namespace kelo::test {
namespace {

class MainWindowTest : public WindowTest {
 protected:
  // A window on a synthetic pass of `lines` lines; waits for the first
  // complete picture.
  void open_window(int lines, int width = 64) {
    FixtureShape shape;
    shape.lines = lines;
    shape.width = width;
    path_ = dir_.file("pass.hrpt");
    ASSERT_TRUE(write_fixture(path_, shape));
    WindowTest::open_window(path_, [](PIC_INFO*, VIEW_INFO* view) { view->zoom_step = 2.0f; });
  }

  std::string path_;
};

TEST_F(MainWindowTest, CanvasEqualsHeadlessRenderAfterMenuAndKeyZooms) {
  open_window(600);
  EXPECT_EQ(screen_vs_render(), 0) << "full view";
  EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(mw_->window())), std::string("Kelo    File pass.hrpt"));
  EXPECT_EQ(std::string(Get_Entry(mw_->window(), "Satellite")), "NOAA 19");

  ASSERT_TRUE(redrawn_after([&] { menu("Zoom", "Zoom/In (i)"); }));
  EXPECT_FLOAT_EQ(mw_->view()->zoom.zx, 2.0f);
  EXPECT_EQ(screen_vs_render(), 0) << "Zoom/In from the menu";

  x_move(mw_->area(), 10, 10);
  ASSERT_TRUE(redrawn_after([] { x_key(XK_i); }));
  EXPECT_FLOAT_EQ(mw_->view()->zoom.zx, 4.0f);
  EXPECT_EQ(screen_vs_render(), 0) << "key i";

  // At zx 4 Left pans an eighth of the width back towards the start.
  const int ox = mw_->view()->zoom.ox;
  ASSERT_TRUE(redrawn_after([] { x_key(XK_Left); }));
  EXPECT_EQ(mw_->view()->zoom.ox, ox - 64 / 8);
  EXPECT_EQ(screen_vs_render(), 0) << "Left at zx 4";

  ASSERT_TRUE(redrawn_after([&] { menu("View", "View/Sat from South"); }));
  EXPECT_EQ(mw_->view()->orientation, Orientation::FromSouth);
  EXPECT_EQ(screen_vs_render(), 0) << "Sat from South";
}

TEST_F(MainWindowTest, DraggedRectangleZoomsTheSameInBothDirections) {
  open_window(600);
  GtkWidget* area = mw_->area();
  auto drag = [&](int x1, int y1, int x2, int y2) {
    x_move(area, 5, 5);
    x_key(XK_f);
    x_key(XK_z);
    x_click_at(area, x1, y1);
    x_move(area, (x1 + x2) / 2, (y1 + y2) / 2);
    x_move(area, x2, y2);
    ASSERT_TRUE(wait_until([&] { return mw_->canvas()->band.shown; })) << "rubber band";
    x_click_at(area, x2, y2);
    ASSERT_TRUE(wait_until([&] { return mw_->view()->zoom.zx > 1.0f; }));
    ASSERT_TRUE(settle(mw_->passes()));
  };
  drag(20, 30, 150, 120);
  const ZOOM forward = mw_->view()->zoom;
  EXPECT_FALSE(mw_->canvas()->band.shown);
  EXPECT_EQ(screen_vs_render(), 0) << "rectangle left to right";
  drag(150, 120, 20, 30);
  const ZOOM backward = mw_->view()->zoom;
  EXPECT_EQ(screen_vs_render(), 0) << "rectangle right to left";
  EXPECT_FLOAT_EQ(forward.zx, backward.zx);
  EXPECT_FLOAT_EQ(forward.zy, backward.zy);
  EXPECT_EQ(forward.ox, backward.ox);
  EXPECT_EQ(forward.oy, backward.oy);
}

// A key press queued for the main window. The X server may deliver test
// input after the pass it is meant for, so keys that must be waiting when a
// pass starts are queued directly.
void queue_key(GtkWidget* window, guint keyval) {
  GdkEvent* ev = gdk_event_new(GDK_KEY_PRESS);
  ev->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
  ev->key.keyval = keyval;
  ev->key.time = GDK_CURRENT_TIME;
  gdk_event_set_device(ev, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
  gdk_event_put(ev);
  gdk_event_free(ev);
}

TEST_F(MainWindowTest, RequestsDuringAPassFoldAndEscapeStopsIt) {
  open_window(600);
  // Two redraw keys waiting when a pass starts: it stops, one pass follows.
  const int before = mw_->passes();
  queue_key(mw_->window(), GDK_KEY_r);
  queue_key(mw_->window(), GDK_KEY_r);
  mw_->redraw_now();
  ASSERT_TRUE(settle(before + 2));
  drain();
  EXPECT_EQ(mw_->passes(), before + 2);
  EXPECT_TRUE(mw_->picture_drawn());

  // Escape waiting: the pass stops, nothing follows, no grid.
  queue_key(mw_->window(), GDK_KEY_Escape);
  mw_->redraw_now();
  ASSERT_TRUE(settle(before + 3));
  drain();
  EXPECT_EQ(mw_->passes(), before + 3);
  EXPECT_FALSE(mw_->picture_drawn());
}

TEST_F(MainWindowTest, CloseDuringAPassEndsThePassThenTheWindow) {
  open_window(600);
  // The window manager's close waiting when a pass starts (no window
  // manager runs under Xvfb: the event it would send).
  GdkEvent* ev = gdk_event_new(GDK_DELETE);
  ev->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(mw_->window())));
  gdk_event_put(ev);
  gdk_event_free(ev);
  const int before = mw_->passes();
  mw_->redraw_now();
  EXPECT_EQ(mw_->passes(), before + 1);
  EXPECT_FALSE(mw_->picture_drawn());
  EXPECT_EQ(mw_->window(), nullptr);
  EXPECT_TRUE(windows_titled("Kelo    File pass.hrpt").empty());
}

TEST_F(MainWindowTest, DamagedFileShowsErrorAndKeepsThePicture) {
  open_window(60);
  const std::string bad = dir_.write("cut.hrpt", std::string("HRPT") + std::string(20, '\0'));
  mw_->pic()->dir = dir_.path() + "/";
  menu("File", "File/Open...");
  GtkWidget* sel = nullptr;
  ASSERT_TRUE(wait_until([&] { return (sel = last_titled("Open")) != nullptr; }));
  click_row(sel, Find_Widget(sel, "Filelist"), "cut.hrpt");
  ASSERT_TRUE(wait_until([] { return file_selection_get_filename() != nullptr; }));
  Answer error("Error", "Dismiss");
  click_centre(button_labelled(sel, "OK"));
  ASSERT_TRUE(wait_until([&] { return !error.title().empty() && last_titled("Error") == nullptr; }));
  EXPECT_EQ(error.text(), "read problem in " + bad + ".\n");
  ASSERT_NE(last_titled("Open"), nullptr) << "the selector stays open";
  click_centre(button_labelled(sel, "Close"));
  ASSERT_TRUE(wait_until([] { return last_titled("Open") == nullptr; }));
  EXPECT_EQ(mw_->pic()->path, path_);
  EXPECT_TRUE(mw_->has_picture());
  EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(mw_->window())), std::string("Kelo    File pass.hrpt"));
  EXPECT_TRUE(gtk_widget_get_sensitive(Find_Widget(mw_->window(), "File/Close")));
  ASSERT_TRUE(redrawn_after([&] { mw_->request_redraw(); }));
  EXPECT_TRUE(mw_->picture_drawn());
  EXPECT_EQ(screen_vs_render(), 0);

  // A path longer than the record holds is refused, not cut.
  Answer refused("Error", "Dismiss");
  EXPECT_NE(mw_->open_path("/" + std::string(kPicPathMax, 'a')), 0);
  EXPECT_EQ(mw_->pic()->path, path_);
}

TEST_F(MainWindowTest, ReadOutOfAKnownPixel) {
  open_window(600);
  const DRAWABLE_INFO* c = mw_->canvas();
  const int sx = c->width / 3, sy = c->height / 2;
  // Full view: column and line by proportion; no orbit: pixel coordinates.
  const int px = sx * 64 / c->width, py = sy * 600 / c->height;
  const std::string position = "[x=" + std::to_string(px) + ",y=" + std::to_string(py) + "]";
  x_move(mw_->area(), sx + 7, sy + 3);  // the pointer may be at (sx, sy) already
  x_move(mw_->area(), sx, sy);
  ASSERT_TRUE(wait_until([&] { return Get_Entry(mw_->window(), "Position") == position; }))
      << Get_Entry(mw_->window(), "Position");
  // Channel 1 through the grey palette of 256 of the 1024 levels, read back
  // over the luminance window 0..1023.
  const int level = fixture_sample(py, 1, px);
  EXPECT_EQ(std::string(Get_Entry(mw_->window(), "Pixel")), std::to_string(1023 * (level / 4) / 255));
}

TEST_F(MainWindowTest, ZoomWindowShowsTheViewWithoutEditingIt) {
  open_window(5400);
  const float dy = mw_->view()->zoom.dy;
  ASSERT_LT(dy, 0.1f);  // a long pass in a small canvas
  menu("Zoom", "Zoom/Values...");
  ASSERT_TRUE(wait_until([&] { return last_titled("Zoom") != nullptr; }));
  drain();
  EXPECT_FLOAT_EQ(mw_->view()->zoom.dy, dy);
  EXPECT_NEAR(Get_Adjust(last_titled("Zoom"), "Dy"), dy, 1e-6);
  EXPECT_FALSE(mw_->redraw_queued());
}

}  // namespace
}  // namespace kelo::test
