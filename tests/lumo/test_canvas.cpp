// The canvas widget on a real display: structure of the wrappers, the
// buffer's life, and what reaches the screen, read back from the X server
// and compared with the planted buffer (run under xvfb-run).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "lumo/canvas.h"
#include "lumo/gui_gtk.h"
#include "lumo/lumo_fixture.h"
#include "lumo/lumo_misc.h"
#include "lumo/windows.h"

namespace kelo {
namespace {

using test::drain;
using test::LumoTest;

int g_draws = 0;
GdkRectangle g_last_clip{};

gboolean count_draw(GtkWidget*, cairo_t* cr, gpointer) {
  ++g_draws;
  gdk_cairo_get_clip_rectangle(cr, &g_last_clip);
  return FALSE;
}

int g_configures = 0;
gboolean on_configure(GtkWidget* area, GdkEventConfigure*, gpointer) {
  ++g_configures;
  Renew_RGBBuf(area);
  return FALSE;
}

// Waits (bounded) until the area has been drawn `count` times in all.
bool wait_draws(int count) {
  for (int i = 0; i < 400 && g_draws < count; ++i) {
    drain();
    if (g_draws < count) g_usleep(5000);
  }
  drain();
  gdk_display_sync(gdk_display_get_default());
  return g_draws >= count;
}

// A pattern in which neighbouring pixels and rows differ.
void plant_pattern(DRAWABLE_INFO* rgbi) {
  for (int y = 0; y < rgbi->height; ++y) {
    for (int x = 0; x < rgbi->width; ++x) {
      uint8_t* p = &rgbi->rgb_buf[static_cast<size_t>((y * rgbi->width + x) * 3)];
      p[0] = static_cast<uint8_t>(x * 3);
      p[1] = static_cast<uint8_t>(y * 5);
      p[2] = static_cast<uint8_t>((x ^ y) * 7);
    }
  }
}

// Pixels where the screen (packed RGB) differs from the buffer, within rows
// [y0, y1).
int mismatches(const std::string& s, const std::vector<uint8_t>& buf, int width, int y0, int y1) {
  if (s.size() < buf.size()) return -1;
  int bad = 0;
  for (size_t i = static_cast<size_t>(y0 * width * 3); i < static_cast<size_t>(y1 * width * 3); i += 3)
    bad += s.compare(i, 3, reinterpret_cast<const char*>(&buf[i]), 3) != 0 ? 1 : 0;
  return bad;
}

class CanvasTest : public LumoTest {
 protected:
  void SetUp() override {
    LumoTest::SetUp();
    g_draws = 0;
    g_configures = 0;
  }
  // A window of its own size holding a 64 x 48 canvas whose configure
  // callback sizes the buffer.
  GtkWidget* shown_canvas(const char* title, GtkWidget** area_out, bool with_buffer = true) {
    GtkWidget* win = Create_Window(nullptr, 0, 0, title, nullptr);
    GtkWidget* c =
        Create_Canvas(win, kW, kH, with_buffer ? on_configure : nullptr, nullptr, nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(win), c);
    GtkWidget* area = canvas_drawing_area(c);
    g_signal_connect_after(area, "draw", G_CALLBACK(count_draw), nullptr);
    gtk_widget_show_all(win);
    EXPECT_TRUE(wait_draws(1));
    *area_out = area;
    // The window may give the canvas more than it asked for.
    w_ = gtk_widget_get_allocated_width(area);
    h_ = gtk_widget_get_allocated_height(area);
    EXPECT_GE(w_, kW);
    EXPECT_GE(h_, kH);
    return win;
  }
  // A shown canvas whose screen shows the planted pattern; the pattern.
  std::vector<uint8_t> shown_pattern(const char* title, GtkWidget** area) {
    shown_canvas(title, area);
    plant_pattern(Get_RGBI(*area));
    const int before = g_draws;
    Refresh_Rect(*area, 0, 0, w_, h_);
    EXPECT_TRUE(wait_draws(before + 1));
    return Get_RGBI(*area)->rgb_buf;
  }
  static constexpr int kW = 64;
  static constexpr int kH = 48;
  int w_ = 0;
  int h_ = 0;
};

// A width, a height or both wrap the area in boxes that lead to it; the
// area asks for the size given and carries an empty record.
TEST_F(CanvasTest, WrappersCarryTheAreaAndScrollInASizedWindow) {
  struct Case {
    int w, h;
    bool wrapped;
  };
  for (const Case& c : {Case{0, 0, false}, Case{100, 0, true}, Case{0, 50, true}, Case{100, 50, true}}) {
    GtkWidget* top = Create_Drawable(c.w, c.h, nullptr, nullptr, nullptr);
    GtkWidget* area = canvas_drawing_area(top);
    ASSERT_TRUE(GTK_IS_DRAWING_AREA(area)) << c.w << "x" << c.h;
    EXPECT_EQ(area != top, c.wrapped);
    int w = 0, h = 0;
    gtk_widget_get_size_request(area, &w, &h);
    EXPECT_EQ(std::pair(w, h), std::pair(c.w > 0 ? c.w : -1, c.h > 0 ? c.h : -1));
    DRAWABLE_INFO* rgbi = Get_RGBI(area);
    ASSERT_NE(rgbi, nullptr);
    EXPECT_TRUE(rgbi->rgb_buf.empty());
    EXPECT_EQ(Set_Enable_Update(top, 1), rgbi);
    EXPECT_EQ(Get_Enable_Update(top), 1);
    test::sink_destroy({top});
  }

  // A canvas of a requested size scrolls in a window with a default size only.
  GtkWidget* sized = Create_Window(nullptr, 300, 200, "Sized", nullptr);
  GtkWidget* plain = Create_Window(nullptr, 0, 0, "Plain", nullptr);
  GtkWidget* c = Create_Canvas(sized, 640, 480, nullptr, nullptr, nullptr, nullptr);
  GtkWidget* c2 = Create_Canvas(plain, 640, 480, nullptr, nullptr, nullptr, nullptr);
  GtkWidget* c3 = Create_Canvas(sized, 0, 0, nullptr, nullptr, nullptr, nullptr);
  EXPECT_TRUE(GTK_IS_SCROLLED_WINDOW(c));
  EXPECT_FALSE(GTK_IS_SCROLLED_WINDOW(c2));
  EXPECT_TRUE(GTK_IS_DRAWING_AREA(c3));
  gtk_container_add(GTK_CONTAINER(sized), c);
  EXPECT_EQ(Find_Widget(sized, "GTK_DRAWING_AREA"), canvas_drawing_area(c));
  test::sink_destroy({c2, c3});
}

TEST_F(CanvasTest, RenewKeepsTheBufferTheSizeOfTheArea) {
  GtkWidget* area = nullptr;
  shown_canvas("Renew", &area);
  ASSERT_GE(g_configures, 1);
  DRAWABLE_INFO* rgbi = Get_RGBI(area);
  ASSERT_EQ(rgbi->width, w_);
  ASSERT_EQ(rgbi->height, h_);
  ASSERT_EQ(rgbi->rgb_size, w_ * h_ * 3);
  draw_rgbpoint(rgbi, KColor{200, 100, 50}, 5, 6);
  EXPECT_EQ(Renew_RGBBuf(area), 0);  // same size: cleared
  EXPECT_EQ(std::count(rgbi->rgb_buf.begin(), rgbi->rgb_buf.end(), 0), w_ * h_ * 3);

  // Only drawing areas carry a buffer; a widget without record has none.
  GtkWidget* label = gtk_label_new("x");
  g_object_ref_sink(label);
  EXPECT_EQ(Renew_RGBBuf(label), 0);
  g_object_set_data_full(G_OBJECT(label), kKeyDrawable, new DRAWABLE_INFO,
                         [](gpointer p) { delete static_cast<DRAWABLE_INFO*>(p); });
  testing::internal::CaptureStderr();
  EXPECT_EQ(Renew_RGBBuf(label), -1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Renew_RGBBuf"), std::string::npos);
  g_object_unref(label);
}

// The full refresh first shows the planted buffer to the last row.
TEST_F(CanvasTest, RefreshOfOneRowRepaintsThatRowOnly) {
  GtkWidget* area = nullptr;
  const std::vector<uint8_t> pattern = shown_pattern("One row", &area);
  DRAWABLE_INFO* rgbi = Get_RGBI(area);

  // The whole buffer turns green, but only row 10 is asked for.
  for (size_t i = 0; i < rgbi->rgb_buf.size(); i += 3) {
    rgbi->rgb_buf[i] = 0;
    rgbi->rgb_buf[i + 1] = 255;
    rgbi->rgb_buf[i + 2] = 0;
  }
  const int before = g_draws;
  Refresh_Rect(area, 0, 10, w_, 1);
  Refresh_Rect(area, 0, 0, -1, 5);  // negative sizes ask for nothing
  Refresh_Rect(nullptr, 0, 0, 5, 5);
  ASSERT_TRUE(wait_draws(before + 1));
  EXPECT_EQ(g_last_clip.y, 10);
  EXPECT_EQ(g_last_clip.height, 1);
  const std::string s = test::screen_rgb(area, w_, h_);
  EXPECT_EQ(mismatches(s, rgbi->rgb_buf, w_, 10, 11), 0);
  EXPECT_EQ(mismatches(s, pattern, w_, 0, 10), 0);
  EXPECT_EQ(mismatches(s, pattern, w_, 11, h_), 0);
}

TEST_F(CanvasTest, RgbmapPaintsAtOnceAndLeavesTheRecord) {
  GtkWidget* area = nullptr;
  const std::vector<uint8_t> pattern = shown_pattern("Rgbmap", &area);
  DRAWABLE_INFO* rgbi = Get_RGBI(area);

  std::vector<uint8_t> red(pattern.size(), 0);
  for (size_t i = 0; i < red.size(); i += 3) red[i] = 255;
  draw_rgbmap(area, red.data(), 5, 5, 10, 3);
  draw_rgbmap(area, red.data(), w_ - 4, h_ - 4, 10, 10);  // clipped at the canvas edge
  draw_rgbmap(area, nullptr, 0, 0, w_, h_);               // nothing
  draw_rgbmap(area, red.data(), w_, 0, 5, 5);             // outside: nothing
  gdk_display_sync(gdk_display_get_default());
  EXPECT_EQ(rgbi->rgb_buf, pattern);

  const std::string s = test::screen_rgb(area, w_, h_);
  std::vector<uint8_t> expect = pattern;
  auto paint_red = [&expect, this](int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) {
        uint8_t* p = &expect[static_cast<size_t>((y * w_ + x) * 3)];
        p[0] = 255;
        p[1] = 0;
        p[2] = 0;
      }
    }
  };
  paint_red(5, 5, 15, 8);
  paint_red(w_ - 4, h_ - 4, w_, h_);
  EXPECT_EQ(mismatches(s, expect, w_, 0, h_), 0);

  // The next expose shows the record again.
  const int before = g_draws;
  Refresh_Rect(area, 0, 0, w_, h_);
  ASSERT_TRUE(wait_draws(before + 1));
  const std::string again = test::screen_rgb(area, w_, h_);
  EXPECT_EQ(mismatches(again, pattern, w_, 0, h_), 0);
}

TEST_F(CanvasTest, BackingSurfaceShowsUnderAnEmptyBuffer) {
  GtkWidget* area = nullptr;
  GtkWidget* win = shown_canvas("Backing", &area, false);
  EXPECT_TRUE(Get_RGBI(area)->rgb_buf.empty());
  Renew_Pixmap(win, 1);
  cairo_surface_t* first = Get_Pixmap(win);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(cairo_image_surface_get_width(first), w_);
  EXPECT_EQ(cairo_image_surface_get_height(first), h_);
  Renew_Pixmap(win, 1);  // replaces (and releases) the first one
  cairo_surface_t* pix = Get_Pixmap(win);
  ASSERT_NE(pix, nullptr);
  cairo_t* cr = cairo_create(pix);
  cairo_set_source_rgb(cr, 0, 0, 1);
  cairo_paint(cr);
  cairo_destroy(cr);
  int before = g_draws;
  Refresh_Rect(area, 0, 0, w_, h_);
  ASSERT_TRUE(wait_draws(before + 1));
  const std::string s = test::screen_rgb(area, w_, h_);
  std::vector<uint8_t> blue(static_cast<size_t>(w_ * h_ * 3), 0);
  for (size_t i = 2; i < blue.size(); i += 3) blue[i] = 255;
  EXPECT_EQ(mismatches(s, blue, w_, 0, h_), 0);
  Renew_Pixmap(nullptr, 1);  // nothing
}

TEST_F(CanvasTest, ExposeWithoutContextOrRecordIsHarmless) {
  GtkWidget* area = nullptr;
  shown_canvas("Expose", &area);
  int before = g_draws;
  EXPECT_FALSE(expose_event(area, nullptr));  // asks for a full redraw
  ASSERT_TRUE(wait_draws(before + 1));
  EXPECT_EQ(g_last_clip.width, w_);
  EXPECT_EQ(g_last_clip.height, h_);
  EXPECT_FALSE(expose_event(nullptr, nullptr));

  GtkWidget* foreign = gtk_drawing_area_new();
  g_object_ref_sink(foreign);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 4);
  cairo_t* cr = cairo_create(s);
  testing::internal::CaptureStderr();
  EXPECT_FALSE(expose_event(foreign, cr));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("without canvas record"), std::string::npos);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  g_object_unref(foreign);
}

}  // namespace
}  // namespace kelo
