#include "core/view/zoom.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/base/misc.h"
#include "core/view/rgbdraw.h"

namespace kelo {

namespace {

constexpr float kDefaultZoomStep = 2.0f;  // preference default "Zoom_step"
constexpr int kCursorPlus = 90;           // GDK_PLUS
constexpr int kCursorNormal = 132;        // GDK_TOP_LEFT_ARROW

// A zoom step at or below 1 would never zoom in (or would divide by zero in
// the fixed rectangle size); such a preference falls back to the default.
float step_of(const VIEW_INFO* view) {
  float s = view->zoom_step;
  return (std::isfinite(s) && s > 1.0f) ? s : kDefaultZoomStep;
}

// Picture columns / lines shown across the window at the current factor.
float span_x(const VIEW_INFO* view, const PIC_INFO* pic) {
  return static_cast<float>(pic->width) / view->zoom.zx;
}
float span_y(const VIEW_INFO* view, const PIC_INFO* pic) {
  return static_cast<float>(pic->height) / view->zoom.zy;
}

}  // namespace

ZOOM zoom_full() {
  ZOOM z;
  z.zx = 1.0f;
  z.zy = 1.0f;
  z.ox = 0;
  z.oy = 0;
  return z;
}

void correct_zoomval(int cw, int ch, VIEW_INFO* view, const PIC_INFO* pic) {
  if (!view || !pic) return;
  ZOOM& z = view->zoom;
  // A NaN factor (typed into the Zoom window) would survive std::max.
  if (!(z.zx >= 1.0f)) z.zx = 1.0f;
  if (!(z.zy >= 1.0f)) z.zy = 1.0f;
  const float w = static_cast<float>(pic->width);
  const float h = static_cast<float>(pic->height);
  z.ox = std::max(z.ox, 0);
  if (static_cast<float>(z.ox) >= w - w / z.zx) z.ox = static_cast<int>(w - w / z.zx);
  z.oy = std::max(z.oy, 0);
  if (static_cast<float>(z.oy) >= h - h / z.zy) z.oy = static_cast<int>(h - h / z.zy);
  // At factors where width / zx vanishes in single precision the rule above
  // lands on `width`: the left edge must still be a picture column.
  z.ox = std::min(z.ox, std::max(pic->width - 1, 0));
  z.oy = std::min(z.oy, std::max(pic->height - 1, 0));
  z.dx = pic->width > 0 ? z.zx * (static_cast<float>(cw) / w) : 0.0f;
  z.dy = pic->height > 0 ? z.zy * (static_cast<float>(ch) / h) : 0.0f;
}

void correct_zoomval(const DRAWABLE_INFO* canvas, VIEW_INFO* view, const PIC_INFO* pic) {
  correct_zoomval(canvas ? canvas->width : 0, canvas ? canvas->height : 0, view, pic);
}

void zoom_in(VIEW_INFO* view, const PIC_INFO* pic) {
  const float s = step_of(view);
  ZOOM& z = view->zoom;
  z.zx *= s;
  z.zy *= s;
  // With the new factors: the centre of the window stays where it was.
  z.ox += nint((s - 1.0f) * span_x(view, pic) / 2.0f);
  z.oy += nint((s - 1.0f) * span_y(view, pic) / 2.0f);
}

void zoom_out(VIEW_INFO* view, const PIC_INFO* pic) {
  const float s = step_of(view);
  ZOOM& z = view->zoom;
  z.ox -= nint((s - 1.0f) * span_x(view, pic) / 2.0f);
  z.oy -= nint((s - 1.0f) * span_y(view, pic) / 2.0f);
  z.zx /= s;
  z.zy /= s;
}

void zoom_swap_last(VIEW_INFO* view) { std::swap(view->zoom, view->zoom_last); }

void zoom_dx2dy(VIEW_INFO* view, const PIC_INFO* pic, int cw) {
  ZOOM& z = view->zoom;
  z.dx = z.dy;
  if (cw > 0 && pic->width > 0) z.zx = z.dx / (static_cast<float>(cw) / static_cast<float>(pic->width));
}

void zoom_dy2dx(VIEW_INFO* view, const PIC_INFO* pic, int ch) {
  ZOOM& z = view->zoom;
  z.dy = z.dx;
  if (ch > 0 && pic->height > 0) z.zy = z.dy / (static_cast<float>(ch) / static_cast<float>(pic->height));
}

void zoom_zx2zy(VIEW_INFO* view) { view->zoom.zx = view->zoom.zy; }
void zoom_zy2zx(VIEW_INFO* view) { view->zoom.zy = view->zoom.zx; }

void zoom_pan(VIEW_INFO* view, const PIC_INFO* pic, char dir) {
  ZOOM& z = view->zoom;
  // Half a window, truncated towards zero; mirrored views move the other way.
  const int hx = static_cast<int>(span_x(view, pic) / 2.0f);
  const int hy = static_cast<int>(span_y(view, pic) / 2.0f);
  const bool mirrored = view->orientation == Orientation::FromSouth;
  const bool bottom_up = view->scan_dir == ScanDir::BottomUp;
  switch (dir) {
    case 'L':
      z.ox += mirrored ? hx : -hx;
      break;
    case 'R':
      z.ox += mirrored ? -hx : hx;
      break;
    case 'U':
      z.oy += bottom_up ? hy : -hy;
      break;
    case 'D':
      z.oy += bottom_up ? -hy : hy;
      break;
    default:
      break;
  }
}

int zoom_key(VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, unsigned keyval) {
  constexpr unsigned kControlL = 0xffe3;
  constexpr unsigned kKeyZ = 0x5a;
  view->zoom_fix = false;
  if (keyval == kControlL) keyval = kKeyZ;
  const ZOOM before = view->zoom;
  bool zoomed = true;
  int result = kKeyZoomed;
  switch (keyval & 0xffu) {
    case 0x1b:
      zoomed = false;
      result = kKeyFilmStop;
      view->film_running = false;
      break;
    case 0x43:
      zoom_dy2dx(view, pic, ch);
      break;
    case 0x51:
      zoom_pan(view, pic, 'L');
      break;
    case 0x52:
      zoom_pan(view, pic, 'U');
      break;
    case 0x53:
      zoom_pan(view, pic, 'R');
      break;
    case 0x54:
      zoom_pan(view, pic, 'D');
      break;
    case 0x5a:
      zoomed = false;
      result = kKeyNoZoom;
      view->zoom_fix = true;
      break;
    case 0x63:
      zoom_dx2dy(view, pic, cw);
      break;
    case 0x66:
      view->zoom = zoom_full();
      break;
    case 0x69:
      zoom_in(view, pic);
      break;
    case 0x6c:
      zoom_swap_last(view);
      break;
    case 0x6d:
      zoomed = false;
      result = kKeyToggleSize;
      break;
    case 0x6f:
      zoom_out(view, pic);
      break;
    case 0x72:
      break;  // redraw only
    case 0x73:
      zoomed = false;
      result = kKeyFilmStart;
      view->film_running = true;
      break;
    case 0x7a:
      zoomed = false;
      result = kKeyZoomVar;
      view->zoom_var = true;
      break;
    default:
      zoomed = false;
      result = kKeyNoZoom;
      break;
  }
  if (zoomed) {
    view->zoom_last = before;
    correct_zoomval(cw, ch, view, pic);
  }
  return result;
}

int zoom_menu(VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, const char* item) {
  if (!item) return 0;
  auto is = [item](const char* label) { return std::strcmp(item, label) == 0; };
  if (is("Zoom/100% (f)")) {
    view->zoom = zoom_full();
  } else if (is("Zoom/In (i)")) {
    zoom_in(view, pic);
  } else if (is("Zoom/Out (o)")) {
    zoom_out(view, pic);
  } else if (is("Zoom/Var (z)")) {
    view->zoom_var = true;
  } else if (is("Zoom/Fix (ctrl)")) {
    view->zoom_fix = true;
  } else if (is("Zoom/Last (l)")) {
    zoom_swap_last(view);
  } else if (is("Zoom/dx->dy (c)")) {
    zoom_dx2dy(view, pic, cw);
  } else if (is("Zoom/dy->dx (C)")) {
    zoom_dy2dx(view, pic, ch);
  } else if (is("Zoom/zx->zy")) {
    zoom_zx2zy(view);
  } else if (is("Zoom/zy->zx")) {
    zoom_zy2zx(view);
  } else {
    return 0;
  }
  correct_zoomval(cw, ch, view, pic);
  return 1;
}

int zoom_field(VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, const char* id, double value) {
  if (!id || !std::isfinite(value)) return 0;
  ZOOM& z = view->zoom;
  const float v = static_cast<float>(value);
  const float sx = pic->width > 0 ? static_cast<float>(cw) / static_cast<float>(pic->width) : 0.0f;
  const float sy = pic->height > 0 ? static_cast<float>(ch) / static_cast<float>(pic->height) : 0.0f;
  auto is = [id](const char* name) { return std::strcmp(id, name) == 0; };
  if (is("Zx")) {
    z.zx = v;
    z.dx = sx * z.zx;
  } else if (is("Zy")) {
    z.zy = v;
    z.dy = sy * z.zy;
  } else if (is("Dx")) {
    z.dx = v;
    if (sx > 0.0f) z.zx = z.dx / sx;
  } else if (is("Dy")) {
    z.dy = v;
    if (sy > 0.0f) z.zy = z.dy / sy;
  } else if (is("Ox")) {
    z.ox = static_cast<int>(std::clamp(value, -2147483648.0, 2147483647.0));
  } else if (is("Oy")) {
    z.oy = static_cast<int>(std::clamp(value, -2147483648.0, 2147483647.0));
  } else {
    return 0;
  }
  return 1;
}

int zoom_rect_apply(VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, int x1, int y1, int x2, int y2) {
  // A rectangle without width or height (both presses on one column or
  // row) has no zoom factor; the operator gets the view unchanged.
  if (x1 == x2 || y1 == y2 || cw <= 0 || ch <= 0) return 0;
  ZOOM& z = view->zoom;
  const int xl = view->orientation == Orientation::FromSouth ? cw - std::max(x1, x2) : std::min(x1, x2);
  const int yt = view->scan_dir == ScanDir::BottomUp ? ch - std::max(y1, y2) : std::min(y1, y2);
  // Products divided as integers first, then by the old factors.
  const long long colx = static_cast<long long>(pic->width) * xl / cw;
  const long long liny = static_cast<long long>(pic->height) * yt / ch;
  z.ox = static_cast<int>(static_cast<float>(z.ox) + static_cast<float>(colx) / z.zx + 1.0f);
  z.oy = static_cast<int>(static_cast<float>(z.oy) + static_cast<float>(liny) / z.zy + 1.0f);
  z.zx *= std::fabs(static_cast<float>(cw) / static_cast<float>(x2 - x1));
  z.zy *= std::fabs(static_cast<float>(ch) / static_cast<float>(y2 - y1));
  correct_zoomval(cw, ch, view, pic);
  return 1;
}

void zoom_rect_order(int cw, int ch, int* x1, int* y1, int* x2, int* y2) {
  if (*x1 > *x2) std::swap(*x1, *x2);
  if (*y1 > *y2) std::swap(*y1, *y2);
  const int xmax = std::max(cw - 1, 0);
  const int ymax = std::max(ch - 1, 0);
  *x1 = std::clamp(*x1, 0, xmax);
  *x2 = std::clamp(*x2, 0, xmax);
  *y1 = std::clamp(*y1, 0, ymax);
  *y2 = std::clamp(*y2, 0, ymax);
}

void scroll_values(const VIEW_INFO* view, const PIC_INFO* pic, int* hval, int* vval) {
  const ZOOM& z = view->zoom;
  *hval = z.ox;
  *vval = z.oy;
  if (view->orientation == Orientation::FromSouth && z.zx != 0.0f)
    *hval =
        static_cast<int>((1.0f - 1.0f / z.zx) * static_cast<float>(pic->width) - static_cast<float>(z.ox));
  if (view->scan_dir == ScanDir::BottomUp && z.zy != 0.0f)
    *vval =
        static_cast<int>((1.0f - 1.0f / z.zy) * static_cast<float>(pic->height) - static_cast<float>(z.oy));
}

int scroll_to(VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, const char* id, double v, double lo,
              double up) {
  if (!id) return 0;
  ZOOM& z = view->zoom;
  if (std::strcmp(id, "hbar") == 0) {
    z.ox = view->orientation == Orientation::FromSouth
               ? static_cast<int>((1.0 - 1.0 / z.zx) * (up - lo) - (v - lo))
               : static_cast<int>(v - lo);
  } else if (std::strcmp(id, "vbar") == 0) {
    z.oy = view->scan_dir == ScanDir::BottomUp ? static_cast<int>((1.0 - 1.0 / z.zy) * (up - lo) - (v - lo))
                                               : static_cast<int>(v - lo);
  } else {
    return 0;
  }
  correct_zoomval(cw, ch, view, pic);
  return 1;
}

ZOOM_MOUSE_ACTION zoom_mouse(ZOOM_MOUSE* st, VIEW_INFO* view, const PIC_INFO* pic, int cw, int ch, int x,
                             int y, unsigned state) {
  ZOOM_MOUSE_ACTION act;
  const float s = step_of(view);
  const int wf = static_cast<int>(static_cast<float>(cw) / s);
  const int hf = static_cast<int>(static_cast<float>(ch) / s);

  if (!(state & kButton1Mask)) {
    st->button1_pressed = 0;
  } else if (!st->button1_pressed) {
    st->button1_pressed = 1;
    if (view->zoom_var) {
      if (st->zoom_state == 0) {
        st->zoom_state = 1;
        st->xstrt = st->xp = x;
        st->ystrt = st->yp = y;
      } else if (st->zoom_state == 1) {
        st->zoom_state = 2;
        act.cursor = kCursorNormal;
      } else {
        st->zoom_state = 0;
      }
    }
    if (view->zoom_fix) {
      act.cursor = kCursorNormal;
      view->zoom_fix = false;
      st->zoom_state = 2;
      x = st->xstrt + wf;
      y = st->ystrt + hf;
    }
  }
  if (state & kButton3Mask) {
    st->zoom_state = 0;
    view->zoom_var = false;
    view->zoom_fix = false;
    act.cursor = kCursorNormal;
    act.erase_all = 1;
  }
  if (st->zoom_state == 1) {
    act.move_rect = 1;
    act.old_rect[0] = st->xstrt, act.old_rect[1] = st->ystrt, act.old_rect[2] = st->xp,
    act.old_rect[3] = st->yp;
    act.new_rect[0] = st->xstrt, act.new_rect[1] = st->ystrt, act.new_rect[2] = x, act.new_rect[3] = y;
    st->xp = x;
    st->yp = y;
  }
  if (st->zoom_state == 2) {
    view->zoom_var = false;
    st->zoom_state = 0;
    act.zoomed = zoom_rect_apply(view, pic, cw, ch, st->xstrt, st->ystrt, x, y);
    // A rectangle that was not applied must still disappear from the screen.
    if (!act.zoomed) act.erase_all = 1;
  }
  if (view->zoom_var && st->zoom_state == 0) act.cursor = kCursorPlus;
  if (view->zoom_fix) {
    if (st->zoom_state == 0) {
      act.cursor = kCursorPlus;
      st->zoom_state = 11;
    }
    act.move_rect = 1;
    act.old_rect[0] = st->xstrt, act.old_rect[1] = st->ystrt;
    act.old_rect[2] = st->xstrt + wf, act.old_rect[3] = st->ystrt + hf;
    st->xstrt = x - wf / 2;
    st->ystrt = y - hf / 2;
    st->xp = st->xstrt;
    st->yp = st->ystrt;
    act.new_rect[0] = st->xstrt, act.new_rect[1] = st->ystrt;
    act.new_rect[2] = st->xstrt + wf, act.new_rect[3] = st->ystrt + hf;
  }
  return act;
}

}  // namespace kelo
