// Zoom and pan arithmetic of the main picture.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "core/view/zoom.h"

namespace kelo {
namespace {

struct Fixture {
  PIC_INFO pic;
  VIEW_INFO view;
  Fixture(int w, int h) {
    pic.width = w;
    pic.height = h;
    view.zoom = zoom_full();
    view.zoom_last = zoom_full();
    view.zoom_step = 2.0f;
    view.orientation = Orientation::Normal;
    view.scan_dir = ScanDir::TopDown;
  }
};

constexpr int kCw = 1024, kCh = 512;  // canvas of the tests

// The factors and origin of a zoom, to compare in one go.
using Z = std::tuple<float, float, int, int>;
Z zo(const ZOOM& z) { return {z.zx, z.zy, z.ox, z.oy}; }

TEST(Zoom, FullViewAndConsistency) {
  const ZOOM z = zoom_full();
  EXPECT_EQ(zo(z), Z(1.0f, 1.0f, 0, 0));

  Fixture f(2048, 1000);
  // zx below 1 is raised, a negative ox is 0, oy beyond height - height /
  // zy = 750 is 750.
  f.view.zoom = ZOOM{0.5f, 4.0f, 0.0f, 0.0f, -7, 900};
  correct_zoomval(kCw, kCh, &f.view, &f.pic);
  EXPECT_EQ(zo(f.view.zoom), Z(1.0f, 4.0f, 0, 750));
  EXPECT_FLOAT_EQ(f.view.zoom.dx, 0.5f);           // 1 * 1024 / 2048
  EXPECT_FLOAT_EQ(f.view.zoom.dy, 4.0f * 0.512f);  // 4 * 512 / 1000

  // No canvas and no picture size: nothing divides by zero.
  Fixture e(0, 0);
  correct_zoomval(static_cast<const DRAWABLE_INFO*>(nullptr), &e.view, &e.pic);
  EXPECT_EQ(std::make_pair(e.view.zoom.dx, e.view.zoom.ox), std::make_pair(0.0f, 0));
}

TEST(Zoom, InOutKeepTheCentreAndStopAtFullView) {
  Fixture f(2048, 1000);
  EXPECT_EQ(zoom_key(&f.view, &f.pic, kCw, kCh, 'i'), kKeyZoomed);
  EXPECT_EQ(zo(f.view.zoom), Z(2.0f, 2.0f, 512, 250));  // ox = nint(1 * 1024 / 2)
  EXPECT_EQ(zoom_key(&f.view, &f.pic, kCw, kCh, 'i'), kKeyZoomed);
  EXPECT_EQ(zo(f.view.zoom), Z(4.0f, 4.0f, 768, 375));  // 512 + nint(512 / 2)
  zoom_key(&f.view, &f.pic, kCw, kCh, 'o');
  EXPECT_EQ(zo(f.view.zoom), Z(2.0f, 2.0f, 512, 250));
  zoom_key(&f.view, &f.pic, kCw, kCh, 'o');
  zoom_key(&f.view, &f.pic, kCw, kCh, 'o');  // already at full view
  EXPECT_EQ(zo(f.view.zoom), Z(1.0f, 1.0f, 0, 0));
  // A zoom step of 1 or less would never zoom: the default 2 is used.
  f.view.zoom_step = 0.0f;
  zoom_key(&f.view, &f.pic, kCw, kCh, 'i');
  EXPECT_EQ(f.view.zoom.zx, 2.0f);
}

TEST(Zoom, PanByHalfAWindowWithinThePicture) {
  Fixture f(2048, 1000);
  f.view.zoom.zx = 4.0f;
  f.view.zoom.zy = 4.0f;
  correct_zoomval(kCw, kCh, &f.view, &f.pic);
  zoom_key(&f.view, &f.pic, kCw, kCh, 0xff53);                            // Right
  EXPECT_EQ(f.view.zoom.ox, 256);                                         // width / 8
  for (int i = 0; i < 10; ++i) zoom_key(&f.view, &f.pic, kCw, kCh, 'S');  // 'S' shares the code
  EXPECT_EQ(f.view.zoom.ox, 1536);                                        // width - width / 4
  zoom_key(&f.view, &f.pic, kCw, kCh, 0xff51);                            // Left
  EXPECT_EQ(f.view.zoom.ox, 1280);
  zoom_key(&f.view, &f.pic, kCw, kCh, 0xff54);  // Down: height / 8 = 125
  EXPECT_EQ(f.view.zoom.oy, 125);
  zoom_key(&f.view, &f.pic, kCw, kCh, 0xff52);  // Up
  zoom_key(&f.view, &f.pic, kCw, kCh, 0xff52);
  EXPECT_EQ(f.view.zoom.oy, 0);

  // Seen from the south (columns mirrored) Left moves the other way; a
  // bottom-up pass turns Up and Down round.
  Fixture m(2048, 1000);
  m.view.orientation = Orientation::FromSouth;
  m.view.scan_dir = ScanDir::BottomUp;
  m.view.zoom.zx = m.view.zoom.zy = 4.0f;
  zoom_key(&m.view, &m.pic, kCw, kCh, 0xff51);
  EXPECT_EQ(m.view.zoom.ox, 256);
  zoom_key(&m.view, &m.pic, kCw, kCh, 0xff52);
  EXPECT_EQ(m.view.zoom.oy, 125);
  // Pan steps truncate: 1000 / 3 / 2 = 166.67 -> 166.
  Fixture t(2048, 1000);
  t.view.zoom.zy = 3.0f;
  zoom_pan(&t.view, &t.pic, 'D');
  EXPECT_EQ(t.view.zoom.oy, 166);
}

TEST(Zoom, LastZoomAndAxisCoupling) {
  Fixture f(2048, 1000);
  zoom_key(&f.view, &f.pic, kCw, kCh, 'i');
  const ZOOM zoomed = f.view.zoom;
  zoom_key(&f.view, &f.pic, kCw, kCh, 'f');
  EXPECT_EQ(std::make_pair(f.view.zoom.zx, f.view.zoom_last.zx), std::make_pair(1.0f, zoomed.zx));
  zoom_key(&f.view, &f.pic, kCw, kCh, 'l');
  EXPECT_EQ(zo(f.view.zoom), zo(zoomed));
  zoom_key(&f.view, &f.pic, kCw, kCh, 'l');
  EXPECT_EQ(f.view.zoom.zx, 1.0f);
  zoom_key(&f.view, &f.pic, kCw, kCh, 'l');
  EXPECT_EQ(f.view.zoom.zx, 2.0f);

  // dx->dy: same screen scale across as down. dx = 0.5, dy = 0.512.
  Fixture c(2048, 1000);
  correct_zoomval(kCw, kCh, &c.view, &c.pic);
  zoom_key(&c.view, &c.pic, kCw, kCh, 'c');
  EXPECT_FLOAT_EQ(c.view.zoom.zx, 0.512f / 0.5f);
  EXPECT_FLOAT_EQ(c.view.zoom.dx, c.view.zoom.dy);
  Fixture C(2048, 1000);
  correct_zoomval(kCw, kCh, &C.view, &C.pic);
  zoom_key(&C.view, &C.pic, kCw, kCh, 'C');  // dy = 0.5 -> zy below 1: raised to 1
  EXPECT_FLOAT_EQ(C.view.zoom.zy, 1.0f);

  // Keys that do not zoom leave zoom_last; Control_L arms the fixed rectangle,
  // any other key disarms it.
  Fixture k(2048, 1000);
  k.view.zoom_last.zx = 8.0f;
  EXPECT_EQ(zoom_key(&k.view, &k.pic, kCw, kCh, 0xffe3), kKeyNoZoom);
  EXPECT_EQ(k.view.zoom_fix, 1);
  EXPECT_EQ(zoom_key(&k.view, &k.pic, kCw, kCh, 'z'), kKeyZoomVar);
  EXPECT_EQ(std::make_pair(k.view.zoom_fix, k.view.zoom_var), std::make_pair(false, true));
  EXPECT_EQ(zoom_key(&k.view, &k.pic, kCw, kCh, 0xff1b), kKeyFilmStop);
  EXPECT_EQ(zoom_key(&k.view, &k.pic, kCw, kCh, 'm'), kKeyToggleSize);
  EXPECT_EQ(k.view.zoom_last.zx, 8.0f);

  // Menu items act like their keys; zx->zy copies the factor.
  Fixture m(2048, 1000);
  EXPECT_EQ(zoom_menu(&m.view, &m.pic, kCw, kCh, "Zoom/In (i)"), 1);
  EXPECT_EQ(m.view.zoom.ox, 512);
  m.view.zoom.zy = 3.0f;
  zoom_menu(&m.view, &m.pic, kCw, kCh, "Zoom/zy->zx");
  EXPECT_EQ(m.view.zoom.zy, 2.0f);
  m.view.zoom.zx = 6.0f;
  zoom_menu(&m.view, &m.pic, kCw, kCh, "Zoom/zx->zy");
  EXPECT_EQ(m.view.zoom.zx, 2.0f);
  EXPECT_EQ(zoom_menu(&m.view, &m.pic, kCw, kCh, "Zoom/Nothing"), 0);
}

TEST(Zoom, RectangleBothWaysAndDegenerate) {
  // A rectangle over the middle half of a 1024 x 512 canvas.
  Fixture a(2048, 1000);
  ASSERT_EQ(zoom_rect_apply(&a.view, &a.pic, kCw, kCh, 256, 128, 768, 384), 1);
  // ox = trunc(0 + (2048 * 256 / 1024) / 1 + 1) = 513, zx = 1 * 1024 / 512.
  EXPECT_EQ(zo(a.view.zoom), Z(2.0f, 2.0f, 513, 251));  // oy: 1000 * 128 / 512 = 250, + 1
  Fixture b(2048, 1000);
  ASSERT_EQ(zoom_rect_apply(&b.view, &b.pic, kCw, kCh, 768, 384, 256, 128), 1);
  EXPECT_EQ(zo(b.view.zoom), zo(a.view.zoom));
  // Mirrored: the left edge on screen is the right edge in the picture.
  Fixture m(2048, 1000);
  m.view.orientation = Orientation::FromSouth;
  zoom_rect_apply(&m.view, &m.pic, kCw, kCh, 100, 128, 356, 384);
  EXPECT_EQ(std::make_pair(m.view.zoom.ox, m.view.zoom.zx),
            std::make_pair(1337, 4.0f));  // 2048 * 668 / 1024 + 1
  // No width or no height: nothing changes.
  Fixture d(2048, 1000);
  EXPECT_EQ(zoom_rect_apply(&d.view, &d.pic, kCw, kCh, 300, 10, 300, 200), 0);
  EXPECT_EQ(zoom_rect_apply(&d.view, &d.pic, kCw, kCh, 10, 50, 300, 50), 0);
  EXPECT_EQ(zo(d.view.zoom), Z(1.0f, 1.0f, 0, 0));

  int x1 = 900, y1 = -5, x2 = 20, y2 = 700;
  zoom_rect_order(kCw, kCh, &x1, &y1, &x2, &y2);
  EXPECT_EQ(std::make_tuple(x1, y1, x2, y2), std::make_tuple(20, 0, 900, kCh - 1));
}

TEST(Zoom, MouseRubberBandStatesAndCancel) {
  Fixture f(2048, 1000);
  ZOOM_MOUSE st;
  f.view.zoom_var = true;
  auto a = zoom_mouse(&st, &f.view, &f.pic, kCw, kCh, 10, 10, 0);
  EXPECT_EQ(a.cursor, 90);  // waiting for the first corner
  a = zoom_mouse(&st, &f.view, &f.pic, kCw, kCh, 256, 128, kButton1Mask);
  EXPECT_EQ(st.zoom_state, 1);
  a = zoom_mouse(&st, &f.view, &f.pic, kCw, kCh, 700, 300, kButton1Mask);  // held: drag
  EXPECT_EQ(std::make_pair(a.move_rect, a.new_rect[2]), std::make_pair(1, 700));
  a = zoom_mouse(&st, &f.view, &f.pic, kCw, kCh, 768, 384, 0);
  EXPECT_EQ(std::make_pair(a.old_rect[2], a.new_rect[2]), std::make_pair(700, 768));
  a = zoom_mouse(&st, &f.view, &f.pic, kCw, kCh, 768, 384, kButton1Mask);  // second press: apply
  EXPECT_EQ(std::make_tuple(a.zoomed, st.zoom_state, f.view.zoom_var), std::make_tuple(1, 0, 0));
  EXPECT_EQ(zo(f.view.zoom), Z(2.0f, 2.0f, 513, 251));

  // Button 3 during a drag removes the rectangle without zooming.
  Fixture g(2048, 1000);
  ZOOM_MOUSE s2;
  g.view.zoom_var = true;
  zoom_mouse(&s2, &g.view, &g.pic, kCw, kCh, 100, 100, kButton1Mask);
  zoom_mouse(&s2, &g.view, &g.pic, kCw, kCh, 300, 300, 0);
  a = zoom_mouse(&s2, &g.view, &g.pic, kCw, kCh, 300, 300, kButton3Mask);
  EXPECT_EQ(std::make_tuple(a.erase_all, a.zoomed, s2.zoom_state, g.view.zoom_var),
            std::make_tuple(1, 0, 0, 0));
  EXPECT_EQ(zo(g.view.zoom), Z(1.0f, 1.0f, 0, 0));

  // Fixed rectangle: canvas / step, centred on the pointer, applied on a press.
  Fixture h(2048, 1000);
  ZOOM_MOUSE s3;
  h.view.zoom_fix = true;
  a = zoom_mouse(&s3, &h.view, &h.pic, kCw, kCh, 512, 256, 0);
  EXPECT_EQ(std::make_tuple(s3.zoom_state, s3.xstrt, a.new_rect[2]),
            std::make_tuple(11, 512 - 256, 512 + 256));
  a = zoom_mouse(&s3, &h.view, &h.pic, kCw, kCh, 512, 256, kButton1Mask);
  EXPECT_EQ(std::make_tuple(a.zoomed, h.view.zoom_fix), std::make_tuple(1, 0));
  EXPECT_EQ(h.view.zoom.zx, 2.0f);

  // Two presses on one spot: a rectangle of no size zooms nothing.
  Fixture d(2048, 1000);
  ZOOM_MOUSE s4;
  d.view.zoom_var = true;
  zoom_mouse(&s4, &d.view, &d.pic, kCw, kCh, 50, 50, kButton1Mask);
  zoom_mouse(&s4, &d.view, &d.pic, kCw, kCh, 50, 50, 0);
  a = zoom_mouse(&s4, &d.view, &d.pic, kCw, kCh, 50, 50, kButton1Mask);
  EXPECT_EQ(std::make_tuple(a.zoomed, a.erase_all), std::make_tuple(0, 1));
  EXPECT_EQ(zo(d.view.zoom), Z(1.0f, 1.0f, 0, 0));
}

TEST(Zoom, WindowFieldsCoupleFactorAndScale) {
  Fixture f(2048, 1000);  // canvas 1024 x 512: 0.5 and 0.512 screen pixels per picture pixel
  ASSERT_EQ(zoom_field(&f.view, &f.pic, kCw, kCh, "Zx", 4.0), 1);
  EXPECT_FLOAT_EQ(f.view.zoom.dx, 2.0f);
  zoom_field(&f.view, &f.pic, kCw, kCh, "Dy", 1.024);
  EXPECT_FLOAT_EQ(f.view.zoom.zy, 2.0f);
  zoom_field(&f.view, &f.pic, kCw, kCh, "Zy", 3.0);
  EXPECT_FLOAT_EQ(f.view.zoom.dy, 1.536f);
  zoom_field(&f.view, &f.pic, kCw, kCh, "Dx", 1.0);
  EXPECT_FLOAT_EQ(f.view.zoom.zx, 2.0f);
  zoom_field(&f.view, &f.pic, kCw, kCh, "Ox", 123.9);
  EXPECT_EQ(f.view.zoom.ox, 123);
  zoom_field(&f.view, &f.pic, kCw, kCh, "Oy", 9999.0);  // not corrected until the redraw
  EXPECT_EQ(f.view.zoom.oy, 9999);
  EXPECT_EQ(zoom_field(&f.view, &f.pic, kCw, kCh, "Oz", 1.0), 0);
  EXPECT_EQ(zoom_field(&f.view, &f.pic, kCw, kCh, "Zx", std::nan("")), 0);
  EXPECT_FLOAT_EQ(f.view.zoom.zx, 2.0f);
}

TEST(Zoom, ScrollBarValuesBothOrientations) {
  Fixture f(2048, 1000);
  f.view.zoom.zx = 4.0f;
  f.view.zoom.zy = 2.0f;
  f.view.zoom.ox = 300;
  f.view.zoom.oy = 100;
  int h = 0, v = 0;
  scroll_values(&f.view, &f.pic, &h, &v);
  EXPECT_EQ(std::make_pair(h, v), std::make_pair(300, 100));
  f.view.orientation = Orientation::FromSouth;
  f.view.scan_dir = ScanDir::BottomUp;
  scroll_values(&f.view, &f.pic, &h, &v);
  EXPECT_EQ(std::make_pair(h, v), std::make_pair(1236, 400));  // 0.75 * 2048 - 300, 0.5 * 1000 - 100
  // Moving the bar back to that value gives the same origin.
  ASSERT_EQ(scroll_to(&f.view, &f.pic, kCw, kCh, "hbar", 1236.0, 0.0, 2048.0), 1);
  EXPECT_EQ(f.view.zoom.ox, 300);
  ASSERT_EQ(scroll_to(&f.view, &f.pic, kCw, kCh, "vbar", 10.0 + 400.0, 10.0, 1010.0), 1);
  EXPECT_EQ(f.view.zoom.oy, 100);
  f.view.orientation = Orientation::Normal;
  scroll_to(&f.view, &f.pic, kCw, kCh, "hbar", 5000.0, 0.0, 2048.0);  // past the end: corrected
  EXPECT_EQ(f.view.zoom.ox, 1536);
  EXPECT_EQ(scroll_to(&f.view, &f.pic, kCw, kCh, "xbar", 1.0, 0.0, 2.0), 0);
}

}  // namespace
}  // namespace kelo
