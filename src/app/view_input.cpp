// Keys, pointer and scroll bars of the main canvas. The arithmetic is the
// core's (core/view/zoom.h); this file turns events into its calls and
// shows what they decided.
#include "app/view_input.h"

#include <algorithm>

#include "app/film.h"
#include "app/main_wnd.h"
#include "app/zoom_wnd.h"
#include "core/orbit/draw_satpos.h"
#include "core/view/zoom.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/canvas.h"
#include "lumo/lumo_misc.h"

namespace kelo {

namespace {

constexpr int kCursorPlus = 90;     // what zoom_mouse asks for: the plus
constexpr int kCursorNormal = 132;  // and the normal arrow
constexpr int kBandColour = 4;      // red of the extra palette
constexpr int kGcToByte = 8;        // 16-bit palette component -> 8 bits

// The rubber band's four one-pixel edges (the stroke may touch the pixel
// beyond each corner), queued for repainting.
void queue_band(GtkWidget* area, const RUBBER_BAND& b) {
  const int w = b.x2 - b.x1 + 2;
  const int h = b.y2 - b.y1 + 2;
  gtk_widget_queue_draw_area(area, b.x1, b.y1, w, 2);
  gtk_widget_queue_draw_area(area, b.x1, b.y2, w, 2);
  gtk_widget_queue_draw_area(area, b.x1, b.y1, 2, h);
  gtk_widget_queue_draw_area(area, b.x2, b.y1, 2, h);
}

bool band_follows(const ZOOM_MOUSE& m) { return m.zoom_state == 1 || m.zoom_state == 11; }

}  // namespace

// ---------------------------------------------------------------- keys
gboolean key_actions(GtkWidget* window, GdkEventKey* event, gpointer) {
  MainWindow* mw = main_window_of(window);
  if (mw == nullptr || event == nullptr) return FALSE;
  if (GtkWidget* position = Find_Widget(window, "Position")) gtk_widget_grab_focus(position);
  const guint key = event->keyval;
  if (key == GDK_KEY_Escape) {
    mw->stop_pass(true);
    film_key_stop(window);  // also while no picture of the show is open yet
  }
  if (!mw->has_picture()) {
    // Without a picture only the window size can change.
    if (key == GDK_KEY_m) window_toggle_size(window);
    return TRUE;
  }
  const DRAWABLE_INFO* c = mw->canvas();
  const int cw = c != nullptr ? c->width : 0;
  const int ch = c != nullptr ? c->height : 0;
  VIEW_INFO* view = mw->view();
  const bool was_fixed = view->zoom_fix != 0;
  const int result = zoom_key(view, mw->pic(), cw, ch, key);
  if (was_fixed && view->zoom_fix == 0 && mw->mouse().zoom_state == 11) {
    // The fixed rectangle is disarmed: it leaves the screen.
    mw->mouse().zoom_state = 0;
    hide_zoomrect(mw);
  }
  switch (result) {
    case kKeyZoomed:
      Update_Zoom(window);
      mw->request_redraw();
      break;
    case kKeyZoomVar:
      mw->set_cursor(CanvasCursor::kPlus);
      break;
    case kKeyToggleSize:
      window_toggle_size(window);
      break;
    case kKeyFilmStart:
      film_key_start(window);
      break;
    default:
      break;
  }
  return TRUE;
}

unsigned KeyPressed() {
  if (!gtk_events_pending()) return 0;
  GdkEvent* ev = gdk_event_peek();
  if (ev == nullptr) return 0;
  const bool key = ev->type == GDK_KEY_PRESS;
  const unsigned value = key ? ev->key.keyval : 0;
  gdk_event_free(ev);
  if (key) {
    if (GdkEvent* taken = gdk_event_get()) gdk_event_free(taken);
  }
  return value;
}

// ---------------------------------------------------------------- pointer
gboolean mouse_button(GtkWidget* area, GdkEventButton* event, gpointer) {
  if (event == nullptr || event->type != GDK_BUTTON_PRESS) return TRUE;  // double clicks come as presses too
  MainWindow* mw = main_window_of(area);
  if (mw == nullptr) return FALSE;
  // The state of a press is the state before it: the pressed button is
  // added, so a click without movement counts.
  unsigned state = event->state;
  if (event->button == 1) state |= GDK_BUTTON1_MASK;
  if (event->button == 2) state |= GDK_BUTTON2_MASK;
  if (event->button == 3) state |= GDK_BUTTON3_MASK;
  mouse_actions(mw, static_cast<int>(event->x), static_cast<int>(event->y), state);
  return TRUE;
}

gboolean mouse_motion(GtkWidget* area, GdkEventMotion* event, gpointer) {
  MainWindow* mw = main_window_of(area);
  if (mw == nullptr || event == nullptr) return FALSE;
  mouse_actions(mw, static_cast<int>(event->x), static_cast<int>(event->y), event->state);
  return TRUE;
}

void mouse_actions(MainWindow* mw, int x, int y, unsigned state) {
  DRAWABLE_INFO* c = mw->canvas();
  if (c == nullptr || c->width < 1 || c->height < 1 || !mw->has_picture()) return;
  // Everything below maps canvas pixels: the pointer never leaves the canvas.
  x = std::clamp(x, 0, c->width - 1);
  y = std::clamp(y, 0, c->height - 1);
  Update_Coord(mw, x, y);
  const ZOOM_MOUSE_ACTION act =
      zoom_mouse(&mw->mouse(), mw->view(), mw->pic(), c->width, c->height, x, y, state);
  if (act.cursor == kCursorPlus) mw->set_cursor(CanvasCursor::kPlus);
  if (act.cursor == kCursorNormal) mw->set_cursor(CanvasCursor::kArrow);
  if (act.move_rect && band_follows(mw->mouse()))
    redraw_zoomrect(mw, act.old_rect, act.new_rect);
  else if (!band_follows(mw->mouse()))
    hide_zoomrect(mw);
  if (act.zoomed) {
    Update_Zoom(mw->window());
    mw->request_redraw();
  }
}

void redraw_zoomrect(MainWindow* mw, const int old_rect[4], const int new_rect[4]) {
  (void)old_rect;  // what is on screen is the band of the record
  DRAWABLE_INFO* c = mw->canvas();
  GtkWidget* area = mw->area();
  if (c == nullptr || area == nullptr) return;
  RUBBER_BAND& band = c->band;
  if (band.shown) queue_band(area, band);
  int x1 = new_rect[0], y1 = new_rect[1], x2 = new_rect[2], y2 = new_rect[3];
  zoom_rect_order(c->width, c->height, &x1, &y1, &x2, &y2);
  band.x1 = x1;
  band.y1 = y1;
  band.x2 = x2;
  band.y2 = y2;
  band.colour = KColor{255, 0, 0};
  if (const std::vector<KColor>* pal = Get_GCPalette(mw->window());
      pal != nullptr && static_cast<int>(pal->size()) > kBandColour) {
    const KColor& e = (*pal)[kBandColour];
    band.colour =
        KColor{static_cast<uint16_t>(e.red >> kGcToByte), static_cast<uint16_t>(e.green >> kGcToByte),
               static_cast<uint16_t>(e.blue >> kGcToByte)};
  }
  band.shown = true;
  queue_band(area, band);
}

void hide_zoomrect(MainWindow* mw) {
  DRAWABLE_INFO* c = mw->canvas();
  if (c == nullptr || !c->band.shown) return;
  c->band.shown = false;
  if (mw->area() != nullptr) queue_band(mw->area(), c->band);
}

// ---------------------------------------------------------------- scroll bars
void scroll_actions(GtkAdjustment* adjustment, const char* id) {
  auto* control = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(adjustment), kKeyAdj));
  MainWindow* mw = main_window_of(control);
  if (mw == nullptr || mw->quiet() || !mw->has_picture()) return;
  const DRAWABLE_INFO* c = mw->canvas();
  if (c == nullptr) return;
  if (scroll_to(mw->view(), mw->pic(), c->width, c->height, id, gtk_adjustment_get_value(adjustment),
                gtk_adjustment_get_lower(adjustment), gtk_adjustment_get_upper(adjustment)) == 0)
    return;
  Update_Zoom(mw->window());
  mw->request_redraw();
}

void scroll_update(MainWindow* mw) {
  if (mw->window() == nullptr || !mw->has_picture()) return;
  MainWindow::Quiet quiet(mw);
  int h = 0, v = 0;
  scroll_values(mw->view(), mw->pic(), &h, &v);
  float zx = mw->view()->zoom.zx, zy = mw->view()->zoom.zy;
  Set_Scroll(mw->window(), "hbar", mw->pic()->width, &h, &zx, "vbar", mw->pic()->height, &v, &zy);
}

// ---------------------------------------------------------------- read-out
void Update_Coord(MainWindow* mw, int sx, int sy) {
  if (mw->window() == nullptr) return;
  const COORD_TEXT t = coord_values(mw->canvas(), sx, sy, mw->pic(), mw->view());
  Set_Entry(mw->window(), "Position", "%s", t.position.c_str());
  Set_Entry(mw->window(), "Pixel", "%s", t.pixel.c_str());
}

}  // namespace kelo
