// Repainting the canvas under a real X server (run under xvfb-run): one
// 1280-pixel row and a full 1280 x 1024 canvas, through the three paths the
// station uses:
//   Refresh     Refresh_Rect, then the main loop until the "draw" handler
//               has painted (includes the toolkit's frame scheduling);
//   Expose      the "draw" handler itself on a clipped cairo context
//               (buffer conversion and fill, no X server);
//   Rgbmap      draw_rgbmap straight onto the window, up to the X server
//               having taken the pixels (a round trip).
// Without a display every benchmark reports the skip.
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>

#include <cstdlib>

#include "lumo/canvas.h"
#include "lumo/lumo_misc.h"
#include "lumo/windows.h"

namespace {

using namespace kelo;

constexpr int kWidth = 1280;   // a full HRPT line at half resolution, and the screen width
constexpr int kHeight = 1024;  // the screen height of the benchmark display

int g_draws = 0;
gboolean count_draw(GtkWidget*, cairo_t*, gpointer) {
  ++g_draws;
  return FALSE;
}

// One shown window with a kWidth x kHeight canvas whose buffer holds a
// pattern; null without a display.
GtkWidget* bench_canvas() {
  static GtkWidget* area = []() -> GtkWidget* {
    setenv("NO_AT_BRIDGE", "1", 0);
    if (!gtk_init_check(nullptr, nullptr)) return nullptr;
    GtkWidget* win = Create_Window(nullptr, 0, 0, "Canvas bench", nullptr);
    GtkWidget* c = Create_Drawable(kWidth, kHeight, nullptr, nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(win), c);
    GtkWidget* a = canvas_drawing_area(c);
    g_signal_connect_after(a, "draw", G_CALLBACK(count_draw), nullptr);
    gtk_widget_show_all(win);
    gtk_window_move(GTK_WINDOW(win), 0, 0);
    for (int i = 0; i < 200 && g_draws == 0; ++i) gtk_main_iteration_do(TRUE);
    if (Renew_RGBBuf(a) < 0) return nullptr;
    DRAWABLE_INFO* rgbi = Get_RGBI(a);
    for (size_t i = 0; i < rgbi->rgb_buf.size(); ++i) rgbi->rgb_buf[i] = static_cast<uint8_t>(i * 7);
    return a;
  }();
  return area;
}

void wait_draw(int before) {
  while (g_draws == before) gtk_main_iteration_do(TRUE);
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

void BM_Refresh(benchmark::State& state) {
  GtkWidget* area = bench_canvas();
  if (area == nullptr) {
    state.SkipWithError("no display (run under xvfb-run)");
    return;
  }
  const int rows = static_cast<int>(state.range(0));
  int y = 0;
  for (auto _ : state) {
    const int before = g_draws;
    Refresh_Rect(area, 0, y, kWidth, rows);
    wait_draw(before);
    y = (y + rows) % kHeight;
  }
  state.SetItemsProcessed(state.iterations() * rows * kWidth);
}

void BM_Expose(benchmark::State& state) {
  GtkWidget* area = bench_canvas();
  if (area == nullptr) {
    state.SkipWithError("no display (run under xvfb-run)");
    return;
  }
  const int rows = static_cast<int>(state.range(0));
  cairo_surface_t* target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
  int y = 0;
  for (auto _ : state) {
    cairo_t* cr = cairo_create(target);
    cairo_rectangle(cr, 0, y, kWidth, rows);
    cairo_clip(cr);
    expose_event(area, cr);
    cairo_destroy(cr);
    y = (y + rows) % kHeight;
  }
  cairo_surface_destroy(target);
  state.SetItemsProcessed(state.iterations() * rows * kWidth);
}

void BM_Rgbmap(benchmark::State& state) {
  GtkWidget* area = bench_canvas();
  if (area == nullptr) {
    state.SkipWithError("no display (run under xvfb-run)");
    return;
  }
  const int rows = static_cast<int>(state.range(0));
  const uint8_t* buf = Get_RGBI(area)->rgb_buf.data();
  GdkDisplay* display = gtk_widget_get_display(area);
  int y = 0;
  for (auto _ : state) {
    draw_rgbmap(area, buf, 0, y, kWidth, rows);
    gdk_display_sync(display);
    y = (y + rows) % kHeight;
  }
  state.SetItemsProcessed(state.iterations() * rows * kWidth);
}

BENCHMARK(BM_Refresh)->Arg(1)->Arg(kHeight)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Expose)->Arg(1)->Arg(kHeight)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Rgbmap)->Arg(1)->Arg(kHeight)->Unit(benchmark::kMicrosecond);

}  // namespace
