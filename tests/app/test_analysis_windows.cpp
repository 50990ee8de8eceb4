// The analysis windows end to end under Xvfb with real X input: clicks in
// the histogram, "Lum threshold", " Auto color " against kelo-export, the
// frame header under Prev/Next, the film and the slide list.
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/film.h"
#include "app/info_wnd.h"
#include "app/lum_wnd.h"
#include "app/mapchan_wnd.h"
#include "core/export/hrpt_fixture.h"
#include "core/export/kelo_export_cli.h"
#include "core/files/ppm.h"
#include "core/view/lumi.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/canvas.h"
#include "window_fixture.h"

// The X headers last: their macros (None, Bool) clash with the test framework.
#include <X11/keysym.h>

namespace kelo::test {
namespace {

constexpr int kFilmW = 8, kFilmH = 6;

// A binary PGM of one grey level.
std::string pgm(int level) {
  return "P5\n" + std::to_string(kFilmW) + " " + std::to_string(kFilmH) + "\n255\n" +
         std::string(kFilmW * kFilmH, static_cast<char>(level));
}

class AnalysisWindowsTest : public WindowTest {
 protected:
  void open_window(const std::string& path) {
    WindowTest::open_window(path, [](PIC_INFO*, VIEW_INFO* view) { view->zoom_step = 2.0f; });
  }
  std::string hrpt(int lines = 200, int no_sync_line = -1) {
    FixtureShape shape;
    shape.lines = lines;
    shape.no_sync_line = no_sync_line;
    const std::string p = dir_.file("pass.hrpt");
    EXPECT_TRUE(write_fixture(p, shape));
    return p;
  }
  // A leaf of the menu bar: under Xvfb the first click may only arm the bar.
  void click_bar_leaf(const char* id) {
    GtkWidget* item = Find_Widget(mw_->window(), id);
    const int n = mw_->passes();
    click_centre(item);
    if (!wait_until([&] { return mw_->redraw_queued() || mw_->in_pass() || mw_->passes() > n; }))
      click_centre(item);
  }
};

TEST_F(AnalysisWindowsTest, HistogramClicksAndLumThresholdFollowThePicture) {
  // An 8-bit picture first: its levels end at 255.
  open_window(dir_.write("grey.pgm", pgm(100)));
  menu("View", "View/Lum...");
  GtkWidget* lw = shown_window(kLumTitle);
  ASSERT_NE(lw, nullptr);
  // A recording after it: Lmax takes the 10-bit range before its value.
  const int passes = mw_->passes();
  ASSERT_EQ(mw_->open_path(hrpt()), 0);
  VIEW_INFO* view = mw_->view();
  ASSERT_GT(view->lmax, 255);
  EXPECT_EQ(static_cast<int>(Get_Adjust(lw, "Lmax")), view->lmax);
  ASSERT_TRUE(settle(passes + 1));

  // "Lum threshold" sets the window of the core's thresholds for the
  // histogram of the pass on screen, and draws with it.
  VIEW_INFO expected = *view;
  calc_lum_thresholds(&expected, mw_->pic()->lut_size);
  ASSERT_NE(std::make_pair(expected.lmin, expected.lmax), std::make_pair(view->lmin, view->lmax));
  ASSERT_TRUE(redrawn_after([&] { click_bar_leaf("Lum threshold"); }));
  EXPECT_EQ(std::make_pair(view->lmin, view->lmax), std::make_pair(expected.lmin, expected.lmax));
  EXPECT_EQ(static_cast<int>(Get_Adjust(lw, "Lmin")), expected.lmin);
  EXPECT_EQ(screen_vs_render(), 0);

  // Clicks: the right edge is the top level, the left edge level 0, each
  // moving the nearer end; the plot shows the new end as a green line.
  std::vector<GtkWidget*> areas;
  collect_type(lw, GTK_TYPE_DRAWING_AREA, &areas);
  ASSERT_EQ(areas.size(), 1u);
  GtkWidget* area = areas[0];
  // The plot has taken its final size when its buffer has.
  ASSERT_TRUE(wait_until([&] { return Get_RGBI(area)->width == gtk_widget_get_allocated_width(area); }));
  const int w = gtk_widget_get_allocated_width(area);
  const int h = gtk_widget_get_allocated_height(area);
  x_click_at(area, w - 1, h / 2);
  ASSERT_TRUE(wait_until([&] { return view->lmax == 1023; })) << view->lmax;
  EXPECT_EQ(static_cast<int>(Get_Adjust(lw, "Lmax")), 1023);
  KColor c{};
  ASSERT_TRUE(get_rgbpoint(Get_RGBI(area), &c, w - 1, 0));
  EXPECT_EQ(std::make_tuple(c.red, c.green, c.blue), std::make_tuple(0, 255, 0));
  x_click_at(area, 0, h / 2);
  ASSERT_TRUE(wait_until([&] { return view->lmin == 0; })) << view->lmin;
  // A quarter across: level 1023 / 4 of the way, nearer Lmin.
  x_click_at(area, (w - 1) / 4, h / 2);
  ASSERT_TRUE(wait_until([&] { return view->lmin != 0; }));
  EXPECT_EQ(view->lmin, (w - 1) / 4 * 1023 / (w - 1));
  EXPECT_EQ(view->lmax, 1023);
  // The picture waits for Return or "Redraw".
  EXPECT_FALSE(mw_->redraw_queued());
}

TEST_F(AnalysisWindowsTest, AutoColorDrawsWhatKeloExportRendersAndCloseLeavesTheMix) {
  const std::string path = hrpt();
  open_window(path);
  menu("View", "View/Channel_map...");
  GtkWidget* mw = shown_window(kMapTitle);
  ASSERT_NE(mw, nullptr);
  EXPECT_FALSE(gtk_widget_get_sensitive(Find_Widget(mw_->window(), "Channel")));
  ASSERT_TRUE(redrawn_after([&] { click(mw, " Auto color "); }));
  // NOAA 19: red from channel 3, green from 2, blue from 1.
  EXPECT_TRUE(Get_Button(mw, "Ch3") && Get_Button(mw, "Ch2") && Get_Button(mw, "Ch1"));
  EXPECT_EQ(Get_Adjust(mw, "!r3"), 1.0);
  ASSERT_EQ(screen_vs_render(), 0);

  const DRAWABLE_INFO* c = mw_->canvas();
  const VIEW_INFO* v = mw_->view();
  const std::string out = dir_.file("colour.ppm");
  std::ostringstream sout, serr;
  ASSERT_EQ(kelo_export_main(
                {"--no-prefs", "--render", std::to_string(c->width) + "x" + std::to_string(c->height),
                 "--rgb", "--auto-color", "--lum", std::to_string(v->lmin) + "," + std::to_string(v->lmax),
                 "--gamma", std::to_string(v->gamma), "-o", out, path},
                sout, serr),
            0)
      << serr.str();
  const std::string ppm = read_file(out);
  const std::string head = "P6\n" + std::to_string(c->width) + " " + std::to_string(c->height) + "\n255\n";
  ASSERT_EQ(ppm.substr(0, head.size()), head);
  EXPECT_TRUE(ppm.substr(head.size()) == screen()) << "canvas differs from kelo-export --render --auto-color";

  // Closed by the window manager: grey display and the Channel menu again.
  ASSERT_TRUE(redrawn_after([&] { gtk_window_close(GTK_WINDOW(mw)); }));
  EXPECT_FALSE(v->rgb_map);
  EXPECT_TRUE(gtk_widget_get_sensitive(Find_Widget(mw_->window(), "Channel")));
  EXPECT_EQ(screen_vs_render(), 0);
}

TEST_F(AnalysisWindowsTest, PrevNextStepTheFrameHeaderAsRecorded) {
  // Line 2 came without frame sync, so the screen skips line 1 (its
  // successor lacks the sync); the header of frame n is still line n.
  open_window(hrpt(12, 2));
  ASSERT_TRUE(redrawn_after([&] { menu("View", "View/Skip faulty lines"); }));
  menu("File", "File/File info...");
  GtkWidget* iw = shown_window(kInfoTitle);
  ASSERT_NE(iw, nullptr);
  GtkWidget* text = Find_Widget(iw, "Info text");
  ASSERT_NE(text, nullptr);
  EXPECT_NE(text_of(text).find(" Type      : HRPT\n"), std::string::npos);
  const auto shows = [&](const char* frame, const char* time) {
    return wait_until([&] {
      const std::string t = text_of(text);
      return t.find(frame) != std::string::npos && t.find(time) != std::string::npos;
    });
  };
  click(iw, "Prev");  // stays at frame 0
  EXPECT_TRUE(shows(" Frame     : 0\n", " TIME     : day 150  12:34:56"));
  click(iw, "Next");
  // Line 1 was recorded at 12:34:56.956, line 2 at 12:34:57.123.
  EXPECT_TRUE(shows(" Frame     : 1\n", " TIME     : day 150  12:34:56")) << text_of(text);
  click(iw, "Next");
  EXPECT_TRUE(shows(" Frame     : 2\n", " TIME     : day 150  12:34:57")) << text_of(text);
  EXPECT_EQ(std::string(Get_Entry(iw, "Frame nr")).substr(0, 1), "2");
  // Past the last line: " End of file." and back to the last.
  for (int i = 0; i < 10; ++i) click(iw, "Next");
  ASSERT_TRUE(wait_until([&] { return text_of(text).find(" End of file.\n") != std::string::npos; }));
  EXPECT_EQ(std::string(Get_Entry(iw, "Frame nr")).substr(0, 2), "11");
}

TEST_F(AnalysisWindowsTest, FilmShowsEachFrameInTurnAndStopsOnEscape) {
  const std::string film = dir_.write("film.pgm", pgm(40) + pgm(120) + pgm(200));
  const int frame_bytes = static_cast<int>(pgm(0).size());
  open_window("");
  mw_->view()->slide_interval = 100;
  sched_slide(mw_.get(), film);
  FilmShow* show = film_of(mw_->window());
  // Each frame in turn, then the first again: where each starts in the file
  // and the grey level it shows.
  std::vector<std::pair<int, int>> seen;
  ASSERT_TRUE(wait_until([&] {
    if (show->shown() > static_cast<int>(seen.size())) {
      uint16_t line[kFilmW * 2] = {};
      PIC_INFO pic = *mw_->pic();
      seen.emplace_back(mw_->view()->slide_offset,
                        read_ppm_line(&pic, 0, line, nullptr, nullptr) > 0 ? line[0] : -1);
    }
    return seen.size() >= 4;
  }));
  const std::vector<std::pair<int, int>> expected = {
      {0, 40}, {frame_bytes, 120}, {2 * frame_bytes, 200}, {0, 40}};
  seen.resize(4);
  EXPECT_EQ(seen, expected);
  EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(mw_->window())), std::string("Kelo    Slide film.pgm"));

  x_move(mw_->area(), 5, 5);
  x_key(XK_Escape);
  ASSERT_TRUE(wait_until([&] { return !show->timer_running(); }));
  const int shown = show->shown();
  EXPECT_EQ(gtk_window_get_title(GTK_WINDOW(mw_->window())), std::string("Kelo"));
  g_usleep(300000);
  drain();
  EXPECT_EQ(show->shown(), shown) << "a frame came after Escape";

  // s starts it again on the same timer: one more frame comes.
  x_key(XK_s);
  ASSERT_TRUE(wait_until([&] { return show->shown() > shown; }));
  EXPECT_TRUE(show->timer_running());
}

TEST_F(AnalysisWindowsTest, SlideListGoesOnPastAMissingFileAndLoops) {
  const std::string a = dir_.write("a.pgm", pgm(60));
  const std::string b = dir_.write("b.pgm", pgm(180));
  dir_.write("damaged.pgm", "P5\n8 6\n");
  const std::string list =
      dir_.write("list.txt", a + "\n" + dir_.file("missing.pgm") + "\n\n" + dir_.file("damaged.pgm") + "\n" +
                                 b + "  trailing words\n");
  open_window("");
  mw_->view()->slide_interval = 50;
  sched_slide(mw_.get(), list);
  FilmShow* show = film_of(mw_->window());
  std::vector<std::string> paths;
  ASSERT_TRUE(wait_until([&] {
    if (show->shown() > static_cast<int>(paths.size())) paths.push_back(mw_->pic()->path);
    return paths.size() >= 3;
  }));
  EXPECT_EQ(paths, (std::vector<std::string>{a, b, a}));
  EXPECT_NE(std::string(Get_Entry(mw_->window(), "Note")).find("skipped"), std::string::npos);

  // A list of which nothing can be shown ends the show with one note.
  mw_->view()->film_running = false;
  ASSERT_TRUE(wait_until([&] { return !show->timer_running(); }));
  const std::string none = dir_.write("none.txt", dir_.file("missing.pgm") + "\n");
  ASSERT_TRUE(show->start(none));
  ASSERT_TRUE(wait_until([&] { return !show->timer_running(); }));
  EXPECT_NE(std::string(Get_Entry(mw_->window(), "Note")).find("no picture in none.txt"), std::string::npos);
}

}  // namespace
}  // namespace kelo::test
