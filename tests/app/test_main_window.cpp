// The main window end to end under Xvfb, driven by real X input: what the
// canvas shows on screen equals the headless render of the same view after
// menu, key, rectangle and pan zooms; redraw requests during a pass fold;
// Escape stops a pass; a damaged file leaves the open picture; the
// read-out under the pointer.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "app/main_wnd.h"
#include "core/base/prefer.h"
#include "core/export/hrpt_fixture.h"
#include "core/view/open_picture.h"
#include "core/view/render.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/canvas.h"
#include "lumo/filemngr.h"
#include "lumo/listtree.h"
#include "lumo/lumo_fixture.h"
#include "lumo/lumo_misc.h"
#include "support/temp_dir.h"

// The X headers last: their macros (None, Bool) clash with the test framework.
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <gdk/gdkx.h>

#include "lumo/xclick.h"

namespace kelo::test {
namespace {

Display* xdpy() { return GDK_DISPLAY_XDISPLAY(gdk_display_get_default()); }

// Root-window position of point (x, y) of widget w.
void root_point(GtkWidget* w, int x, int y, int* rx, int* ry) {
  GtkWidget* top = gtk_widget_get_toplevel(w);
  int tx = 0, ty = 0, ox = 0, oy = 0;
  gtk_widget_translate_coordinates(w, top, x, y, &tx, &ty);
  gdk_window_get_origin(gtk_widget_get_window(top), &ox, &oy);
  *rx = ox + tx;
  *ry = oy + ty;
}

void x_move(GtkWidget* w, int x, int y) {
  int rx = 0, ry = 0;
  root_point(w, x, y, &rx, &ry);
  XTestFakeMotionEvent(xdpy(), -1, rx, ry, CurrentTime);
  XSync(xdpy(), False);
}

void x_click_at(GtkWidget* w, int x, int y) {
  x_move(w, x, y);
  XTestFakeButtonEvent(xdpy(), 1, True, CurrentTime);
  XTestFakeButtonEvent(xdpy(), 1, False, CurrentTime);
  XSync(xdpy(), False);
}

void click_centre(GtkWidget* w) {
  x_click_at(w, gtk_widget_get_allocated_width(w) / 2, gtk_widget_get_allocated_height(w) / 2);
}

void x_key(KeySym sym) {
  const KeyCode code = XKeysymToKeycode(xdpy(), sym);
  XTestFakeKeyEvent(xdpy(), code, True, CurrentTime);
  XTestFakeKeyEvent(xdpy(), code, False, CurrentTime);
  XSync(xdpy(), False);
}

class MainWindowTest : public LumoTest {
 protected:
  void SetUp() override {
    LumoTest::SetUp();
    if (IsSkipped()) return;
    GdkDisplay* d = gdk_display_get_default();
    int ev = 0, err = 0, major = 0, minor = 0;
    if (!GDK_IS_X11_DISPLAY(d) || !XTestQueryExtension(GDK_DISPLAY_XDISPLAY(d), &ev, &err, &major, &minor))
      GTEST_SKIP() << "no X test extension";
    prefs_ = PREFS{};
  }
  void TearDown() override {
    mw_.reset();
    LumoTest::TearDown();
  }

  // A window on a synthetic pass of `lines` lines; waits for the first
  // complete picture.
  void open_window(int lines, int width = 64) {
    FixtureShape shape;
    shape.lines = lines;
    shape.width = width;
    path_ = dir_.file("pass.hrpt");
    ASSERT_TRUE(write_fixture(path_, shape));
    auto pic = std::make_unique<PIC_INFO>();
    auto view = std::make_unique<VIEW_INFO>();
    view->zoom_step = 2.0f;
    pic->path = path_;
    ASSERT_EQ(open_picture(pic.get(), view.get(), nullptr), 0);
    mw_ = std::make_unique<MainWindow>(std::move(pic), std::move(view), std::make_unique<RECORD_INFO>(),
                                       prefs_, session_);
    ASSERT_TRUE(mw_->build(false));
    ASSERT_TRUE(settle(1));
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

  // Clicks a menu item through its menu on the bar.
  void menu(const char* bar, const char* item) {
    click_centre(Find_Widget(mw_->window(), bar));
    GtkWidget* it = Find_Widget(mw_->window(), item);
    ASSERT_TRUE(wait_until([&] { return gtk_widget_get_mapped(it); })) << item;
    click_centre(it);
    ASSERT_TRUE(wait_until([&] { return !gtk_widget_get_mapped(it); })) << item;
  }

  // Pixels where the screen over the canvas differs from the headless
  // render of the same picture, view and size (-1: not comparable), once
  // the screen has caught up with the last frame.
  int screen_vs_render() {
    int bad = -1;
    wait_until([&] { return (bad = screen_vs_render_now()) == 0; });
    return bad;
  }
  int screen_vs_render_now() {
    const DRAWABLE_INFO* c = mw_->canvas();
    int ox = 0, oy = 0;
    gdk_window_get_origin(gtk_widget_get_window(mw_->area()), &ox, &oy);
    GdkPixbuf* pb = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), ox, oy, c->width, c->height);
    if (pb == nullptr) return -1;
    PIC_INFO pic = *mw_->pic();
    VIEW_INFO view = *mw_->view();
    DRAWABLE_INFO ref;
    int bad = render_view(&pic, &view, &ref, c->width, c->height) == 0 ? 0 : -1;
    for (int y = 0; bad >= 0 && y < c->height; ++y) {
      const guchar* row = gdk_pixbuf_get_pixels(pb) + y * gdk_pixbuf_get_rowstride(pb);
      for (int x = 0; x < c->width; ++x) {
        const guchar* p = row + x * gdk_pixbuf_get_n_channels(pb);
        const uint8_t* r = &ref.rgb_buf[static_cast<size_t>((y * c->width + x) * kRgbBytes)];
        bad += (p[0] != r[0] || p[1] != r[1] || p[2] != r[2]) ? 1 : 0;
      }
    }
    g_object_unref(pb);
    return bad;
  }

  TempDir dir_;
  std::string path_;
  PREFS prefs_;
  StationSession session_;
  std::unique_ptr<MainWindow> mw_;
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
  GtkWidget* files = Find_Widget(sel, "Filelist");
  int row = -1;
  ASSERT_TRUE(wait_until([&] {
    for (int r = 0; r < Clist_rows(files); ++r)
      if (Clist_get_text(files, r, 0) == "cut.hrpt") row = r;
    return row >= 0;
  }));
  int x = 0, y = 0;
  ASSERT_TRUE(row_point(files, sel, row, &x, &y));
  x_click(sel, x, y);
  ASSERT_TRUE(wait_until([] { return file_selection_get_filename() != nullptr; }));
  std::string shown;
  run_later(200, [&] {
    GtkWidget* err = last_titled("Error");
    if (err == nullptr) return;
    for (const std::string& t : label_texts(err))
      if (t != "Dismiss") shown += t;
    click_centre(button_labelled(err, "Dismiss"));
  });
  click_centre(button_labelled(sel, "OK"));
  ASSERT_TRUE(wait_until([&] { return !shown.empty() && last_titled("Error") == nullptr; }));
  EXPECT_EQ(shown, "read problem in " + bad + ".\n");
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
  run_later(200, [&] {
    if (GtkWidget* err = last_titled("Error")) click_centre(button_labelled(err, "Dismiss"));
  });
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
