// The canvas widget: a GtkDrawingArea whose "draw" handler paints the damaged
// rectangle of its DRAWABLE_INFO buffer through a cairo image surface.
#include "lumo/canvas.h"

#include <algorithm>
#include <cstdio>

#include "lumo/lumo_misc.h"
#include "lumo/packing.h"

namespace kelo {

namespace {

// Object data of this module.
constexpr const char* kKeySurface = "lumo_canvas_surface";  // staging surface of a drawing area
constexpr const char* kKeyPixmapOwner = "lumo_pixmap";      // backing surface owned by a window
constexpr const char* kKeyGcPalette = "lumo_gc_palette";    // GC palette owned by a window

// The rectangle of a w x h canvas that (x, y, w, h) covers; false when none.
bool clip_rect(int cw, int ch, int* x, int* y, int* w, int* h) {
  int x0 = std::max(*x, 0);
  int y0 = std::max(*y, 0);
  int x1 = std::min(*x + *w, cw);
  int y1 = std::min(*y + *h, ch);
  if (x1 <= x0 || y1 <= y0) return false;
  *x = x0;
  *y = y0;
  *w = x1 - x0;
  *h = y1 - y0;
  return true;
}

// The staging surface of an area (cairo's 32-bit xRGB), remade when the
// canvas size changed.
cairo_surface_t* staging_surface(GtkWidget* area, int width, int height) {
  auto* s = static_cast<cairo_surface_t*>(g_object_get_data(G_OBJECT(area), kKeySurface));
  if (s != nullptr && cairo_image_surface_get_width(s) == width &&
      cairo_image_surface_get_height(s) == height) {
    return s;
  }
  s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    g_object_set_data(G_OBJECT(area), kKeySurface, nullptr);
    return nullptr;
  }
  g_object_set_data_full(G_OBJECT(area), kKeySurface, s,
                         reinterpret_cast<GDestroyNotify>(cairo_surface_destroy));
  return s;
}

// Copies rectangle (x, y, w, h) of an RGB buffer with rows of `width`
// pixels into the staging surface and sets it as the source of cr, clipped
// to the rectangle. The rectangle lies inside the buffer.
bool stage_rect(GtkWidget* area, cairo_t* cr, const uint8_t* rgb, int width, int height, int x, int y, int w,
                int h) {
  cairo_surface_t* s = staging_surface(area, width, height);
  if (s == nullptr) return false;
  cairo_surface_flush(s);
  unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  const size_t row_bytes = static_cast<size_t>(width) * kRgbBytes;
  for (int row = y; row < y + h; ++row) {
    const uint8_t* src = rgb + static_cast<size_t>(row) * row_bytes + static_cast<size_t>(x) * kRgbBytes;
    auto* dst =
        reinterpret_cast<uint32_t*>(data + static_cast<size_t>(row) * static_cast<size_t>(stride)) + x;
    for (int i = 0; i < w; ++i, src += kRgbBytes) {
      dst[i] = 0xFF000000u | (uint32_t{src[0]} << 16) | (uint32_t{src[1]} << 8) | uint32_t{src[2]};
    }
  }
  cairo_surface_mark_dirty_rectangle(s, x, y, w, h);
  cairo_set_source_surface(cr, s, 0, 0);
  cairo_rectangle(cr, x, y, w, h);
  return true;
}

// True when the record's buffer really holds width x height pixels.
bool buffer_ready(const DRAWABLE_INFO* rgbi) {
  if (rgbi == nullptr || rgbi->width <= 0 || rgbi->height <= 0) return false;
  return rgbi->rgb_buf.size() >=
         static_cast<size_t>(rgbi->width) * static_cast<size_t>(rgbi->height) * kRgbBytes;
}

GtkWidget* first_drawing_area(GtkWidget* window) {
  GtkWidget* a = Find_Widget(window, "GTK_DRAWING_AREA");
  return (a != nullptr && GTK_IS_DRAWING_AREA(a)) ? a : nullptr;
}

}  // namespace

GtkWidget* canvas_drawing_area(GtkWidget* widget) {
  if (widget == nullptr) return nullptr;
  if (GTK_IS_DRAWING_AREA(widget)) return widget;
  auto* inner = static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(widget), kKeyChildIs));
  return (inner != nullptr && GTK_IS_DRAWING_AREA(inner)) ? inner : nullptr;
}

GtkWidget* Create_Drawable(int width, int height, ConfigureCallback configure_cb, ButtonCallback button_cb,
                           MotionCallback motion_cb) {
  GtkWidget* area = gtk_drawing_area_new();
  if (width != 0 || height != 0) {
    gtk_widget_set_size_request(area, width != 0 ? width : -1, height != 0 ? height : -1);
  }
  // Every pointer motion is reported (the toolkit already merges motions to
  // one per frame); with motion hints a handler would have to ask for each
  // further event, and the position read-out would freeze after the first.
  gtk_widget_add_events(area, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK);
  g_signal_connect(area, "draw", G_CALLBACK(expose_event), nullptr);
  if (configure_cb != nullptr)
    g_signal_connect_after(area, "configure-event", G_CALLBACK(configure_cb), nullptr);
  if (button_cb != nullptr) g_signal_connect(area, "button-press-event", G_CALLBACK(button_cb), nullptr);
  if (motion_cb != nullptr) g_signal_connect(area, "motion-notify-event", G_CALLBACK(motion_cb), nullptr);
  g_object_set_data_full(G_OBJECT(area), kKeyDrawable, new DRAWABLE_INFO,
                         [](gpointer p) { delete static_cast<DRAWABLE_INFO*>(p); });
  gtk_widget_show(area);

  GtkWidget* outer = area;
  if (height != 0) outer = Pack(nullptr, 'v', outer, 1, nullptr);
  if (width != 0) outer = Pack(nullptr, 'h', outer, 1, nullptr);
  if (outer != area) g_object_set_data(G_OBJECT(outer), kKeyChildIs, area);
  return outer;
}

GtkWidget* Create_Canvas(GtkWidget* window, int width, int height, ConfigureCallback configure_cb,
                         KeyCallback key_cb, ButtonCallback button_cb, MotionCallback motion_cb) {
  GtkWidget* canvas = Create_Drawable(width, height, configure_cb, button_cb, motion_cb);
  GtkWidget* area = canvas_drawing_area(canvas);
  if (window != nullptr) {
    if (key_cb != nullptr) g_signal_connect(window, "key-press-event", G_CALLBACK(key_cb), area);
    gtk_widget_show(window);
  }
  const WND_INFO* rec = Get_Window_Info(window);
  if ((width > 0 || height > 0) && rec != nullptr && (rec->width > 0 || rec->height > 0)) {
    GtkWidget* scrolled = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
    GtkWidget* viewport = gtk_viewport_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(viewport), canvas);
    gtk_container_add(GTK_CONTAINER(scrolled), viewport);
    gtk_widget_show(viewport);
    g_object_set_data(G_OBJECT(scrolled), kKeyChildIs, area);
    canvas = scrolled;
  }
  gtk_widget_show(canvas);
  return canvas;
}

void Add_Mouse_events(GtkWidget* window, ButtonCallback button_cb, MotionCallback motion_cb) {
  GtkWidget* area = first_drawing_area(window);
  if (area == nullptr) return;
  if (button_cb != nullptr) g_signal_connect(area, "button-press-event", G_CALLBACK(button_cb), nullptr);
  if (motion_cb != nullptr) g_signal_connect(area, "motion-notify-event", G_CALLBACK(motion_cb), nullptr);
}

int Renew_RGBBuf(GtkWidget* area) {
  DRAWABLE_INFO* rgbi = Get_RGBI(area);
  if (rgbi == nullptr) return 0;
  if (!GTK_IS_DRAWING_AREA(area)) {
    std::fprintf(stderr, "Renew_RGBBuf: canvas record on a widget that is not a drawing area\n");
    return -1;
  }
  int r = renew_rgbbuf(rgbi, gtk_widget_get_allocated_width(area), gtk_widget_get_allocated_height(area));
  if (r < 0) std::fprintf(stderr, "Renew_RGBBuf: canvas too large for a picture buffer\n");
  return r;
}

void Renew_Pixmap(GtkWidget* window, int clear) {
  if (window == nullptr) return;
  GtkWidget* top = Find_Parent_Window(window);
  GtkWidget* area = first_drawing_area(window);
  if (top == nullptr || area == nullptr || Get_Window_Info(top) == nullptr) return;
  cairo_surface_t* s =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::max(gtk_widget_get_allocated_width(area), 1),
                                 std::max(gtk_widget_get_allocated_height(area), 1));
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return;
  }
  if (clear != 0) {
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    cairo_destroy(cr);
  }
  // The window owns the surface (released with it or by the next one); the
  // record only points at it.
  Put_Pixmap(top, s);
  g_object_set_data_full(G_OBJECT(top), kKeyPixmapOwner, s,
                         reinterpret_cast<GDestroyNotify>(cairo_surface_destroy));
}

void Create_GCPalette(GtkWidget* window, const std::vector<KColor>& palette) {
  GtkWidget* top = Find_Parent_Window(window);
  WND_INFO* rec = Get_Window_Info(top);
  if (rec == nullptr) return;
  auto* colours = new std::vector<KColor>(palette);
  rec->gc_list = colours;
  rec->n_gc = static_cast<int32_t>(colours->size());
  g_object_set_data_full(G_OBJECT(top), kKeyGcPalette, colours,
                         [](gpointer p) { delete static_cast<std::vector<KColor>*>(p); });
}

const std::vector<KColor>* Get_GCPalette(GtkWidget* window) {
  GtkWidget* top = Find_Parent_Window(window);
  if (top == nullptr || Get_Window_Info(top) == nullptr) return nullptr;
  return static_cast<const std::vector<KColor>*>(g_object_get_data(G_OBJECT(top), kKeyGcPalette));
}

gboolean expose_event(GtkWidget* area, cairo_t* cr, gpointer /*data*/) {
  if (area == nullptr) return FALSE;
  if (cr == nullptr) {
    gtk_widget_queue_draw(area);
    return FALSE;
  }
  DRAWABLE_INFO* rgbi = Get_RGBI(area);
  if (rgbi == nullptr) {
    std::fprintf(stderr, "expose_event: drawing area without canvas record\n");
    return FALSE;
  }
  GdkRectangle clip;
  if (!gdk_cairo_get_clip_rectangle(cr, &clip)) return FALSE;
  const int aw = gtk_widget_get_allocated_width(area);
  const int ah = gtk_widget_get_allocated_height(area);
  if (clip.x < 0 || clip.y < 0 || clip.x >= aw || clip.y >= ah) return FALSE;

  cairo_surface_t* pixmap = Get_Pixmap(gtk_widget_get_toplevel(area));
  if (pixmap != nullptr) {
    cairo_save(cr);
    cairo_set_source_surface(cr, pixmap, 0, 0);
    cairo_rectangle(cr, clip.x, clip.y, clip.width, clip.height);
    cairo_fill(cr);
    cairo_restore(cr);
  }
  int x = clip.x, y = clip.y, w = clip.width, h = clip.height;
  if (buffer_ready(rgbi) &&
      clip_rect(std::min(rgbi->width, aw), std::min(rgbi->height, ah), &x, &y, &w, &h)) {
    cairo_save(cr);
    if (stage_rect(area, cr, rgbi->rgb_buf.data(), rgbi->width, rgbi->height, x, y, w, h)) cairo_fill(cr);
    cairo_restore(cr);
  }
  if (rgbi->band.shown) {
    // One-pixel outline on the pixel centres, over the picture.
    const RUBBER_BAND& b = rgbi->band;
    cairo_save(cr);
    cairo_set_source_rgb(cr, b.colour.red / 255.0, b.colour.green / 255.0, b.colour.blue / 255.0);
    cairo_set_line_width(cr, 1.0);
    cairo_rectangle(cr, b.x1 + 0.5, b.y1 + 0.5, b.x2 - b.x1, b.y2 - b.y1);
    cairo_stroke(cr);
    cairo_restore(cr);
  }
  return FALSE;
}

void Refresh_Rect(GtkWidget* widget, int x, int y, int w, int h) {
  if (widget == nullptr || w < 0 || h < 0) return;
  GtkWidget* area = canvas_drawing_area(widget);
  gtk_widget_queue_draw_area(area != nullptr ? area : widget, x, y, w, h);
}

void draw_rgbmap(GtkWidget* widget, const uint8_t* buffer, int x, int y, int w, int h) {
  GtkWidget* area = canvas_drawing_area(widget);
  const DRAWABLE_INFO* rgbi = Get_RGBI(area);
  if (buffer == nullptr || rgbi == nullptr || rgbi->width <= 0 || rgbi->height <= 0) return;
  GdkWindow* win = gtk_widget_get_window(area);
  if (win == nullptr || !gtk_widget_is_drawable(area)) return;
  const int cw = std::min(rgbi->width, gtk_widget_get_allocated_width(area));
  const int ch = std::min(rgbi->height, gtk_widget_get_allocated_height(area));
  if (!clip_rect(cw, ch, &x, &y, &w, &h)) return;
  // Painted at once, outside the frame clock, as a live display needs; the
  // record's own buffer is left as it was, so the next expose restores it.
  GdkRectangle r{x, y, w, h};
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gdk_window_begin_paint_rect(win, &r);
  cairo_t* cr = gdk_cairo_create(win);
  G_GNUC_END_IGNORE_DEPRECATIONS
  if (stage_rect(area, cr, buffer, rgbi->width, rgbi->height, x, y, w, h)) cairo_fill(cr);
  cairo_destroy(cr);
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gdk_window_end_paint(win);
  G_GNUC_END_IGNORE_DEPRECATIONS
  gdk_display_flush(gdk_window_get_display(win));
}

}  // namespace kelo
