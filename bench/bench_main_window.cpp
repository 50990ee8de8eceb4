// Speed of the main window on screen. A 5-channel 5400-line pass (15
// minutes of NOAA HRPT, 2048 pixels a line) is opened into a window whose
// canvas is 1280 x 1024:
//   BM_OpenToFirstFrame   opening the file, building the window, the first
//                         pass, and that frame painted on the screen;
//   BM_RedrawAfterZoomStep a zoom step (in, or back to the whole pass) and
//                         its redraw on the screen;
//   BM_RenderView         the headless render of the same view, the floor.
// Needs a display larger than the canvas:
//   xvfb-run -a -s "-screen 0 1600x1300x24" ./bench_main_window
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/main_wnd.h"
#include "core/base/prefer.h"
#include "core/export/hrpt_fixture.h"
#include "core/view/open_picture.h"
#include "core/view/render.h"
#include "core/view/zoom.h"

namespace kelo {
namespace {

constexpr int kLines = 5400;
constexpr int kWidth = 2048;
constexpr int kCw = 1280, kCh = 1024;
// Room for the menu bar, status row and scroll bars around the canvas.
constexpr int kWindowW = kCw + 60, kWindowH = kCh + 120;

bool gtk_up() {
  static const bool ok = [] {
    setenv("NO_AT_BRIDGE", "1", 0);
    int argc = 0;
    char** argv = nullptr;
    return gtk_init_check(&argc, &argv) != FALSE;
  }();
  return ok;
}

const std::string& pass_path() {
  static const std::string path = [] {
    static test::TempDir dir;
    test::FixtureShape shape;
    shape.width = kWidth;
    shape.lines = kLines;
    std::string p = dir.file("pass.hrpt");
    if (!test::write_fixture(p, shape)) std::abort();
    return p;
  }();
  return path;
}

void drain() {
  while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

// Counts the canvas paints: a frame is on the screen once the draw handler
// ran after the pass.
int g_draws = 0;
gboolean count_draw(GtkWidget*, cairo_t*, gpointer) {
  ++g_draws;
  return FALSE;
}

// Runs the loop until `passes` passes completed and a paint followed.
void wait_frame(MainWindow* mw, int passes) {
  while (mw->in_pass() || mw->redraw_queued() || mw->passes() < passes) gtk_main_iteration_do(TRUE);
  const int drawn = g_draws;
  while (g_draws == drawn) gtk_main_iteration_do(TRUE);
  gdk_display_sync(gdk_display_get_default());
}

std::unique_ptr<MainWindow> open_window() {
  // The window keeps a reference to the session's preferences.
  static PREFS prefs;
  static StationSession session;
  prefs = PREFS{};
  prefs.canvas_w = kCw;
  prefs.canvas_h = kCh;
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  view->zoom_step = 2.0f;
  pic->path = pass_path();
  if (open_picture(pic.get(), view.get(), nullptr) != 0) std::abort();
  auto mw = std::make_unique<MainWindow>(std::move(pic), std::move(view), std::make_unique<RECORD_INFO>(),
                                         prefs, session);
  if (!mw->build(false)) std::abort();
  gtk_window_resize(GTK_WINDOW(mw->window()), kWindowW, kWindowH);
  g_signal_connect_after(mw->area(), "draw", G_CALLBACK(count_draw), nullptr);
  return mw;
}

void BM_OpenToFirstFrame(benchmark::State& state) {
  if (!gtk_up()) {
    state.SkipWithError("no display");
    return;
  }
  pass_path();
  for (auto _ : state) {
    std::unique_ptr<MainWindow> mw = open_window();
    wait_frame(mw.get(), 1);
    state.PauseTiming();
    mw.reset();
    drain();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenToFirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RedrawAfterZoomStep(benchmark::State& state) {
  if (!gtk_up()) {
    state.SkipWithError("no display");
    return;
  }
  std::unique_ptr<MainWindow> mw = open_window();
  wait_frame(mw.get(), 1);
  int step = 0;
  for (auto _ : state) {
    const int passes = mw->passes();
    const char* item = (step++ % 2 == 0) ? "Zoom/In (i)" : "Zoom/100% (f)";
    zoom_menu(mw->view(), mw->pic(), kCw, kCh, item);
    mw->request_redraw();
    wait_frame(mw.get(), passes + 1);
  }
  mw.reset();
  drain();
}
BENCHMARK(BM_RedrawAfterZoomStep)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RenderView(benchmark::State& state) {
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  view->zoom_step = 2.0f;
  view->skip_mask = kLinePostSync;
  view->gamma = 1.0f;
  pic->path = pass_path();
  if (open_picture(pic.get(), view.get(), nullptr) != 0) std::abort();
  DRAWABLE_INFO canvas;
  for (auto _ : state) benchmark::DoNotOptimize(render_view(pic.get(), view.get(), &canvas, kCw, kCh));
}
BENCHMARK(BM_RenderView)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace kelo
