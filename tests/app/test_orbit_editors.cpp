// The orbit and header editors under Xvfb, driven by real X input: an
// element set chosen from a real two-line file puts the grid where the
// headless render of the picture with that set puts it; a one-second time
// correction moves the grid by a second of lines and Undo takes it back;
// the frame search names the satellite of a synthetic pass; "Save" writes
// name, direction and elements into the header and leaves every line as it
// was, and is refused for a recording being made.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "core/base/misc.h"
#include "core/export/hrpt_fixture.h"
#include "core/files/hrpt1_read.h"
#include "core/orbit/calc_satpos.h"
#include "core/orbit/parse_norad.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/filemngr.h"
#include "lumo/listtree.h"
#include "window_fixture.h"

// The X headers last: their macros (None, Bool) clash with the test framework.
#include <X11/keysym.h>

namespace kelo::test {
namespace {

// Screen row below the main window where the editors are put.
constexpr int kBelowMain = 480;

const std::string kTleDir = std::string(KELO_CORPUS) + "/tle/celestrak/";
const char* kTleName = "r2cloud-active-2020-09-27.txt";

// The NOAA 19 set of the element file, parsed from its own two lines.
bool noaa19_set(KEPLER* k) {
  std::ifstream in(kTleDir + kTleName);
  std::string line, l1, l2;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) line.pop_back();
    if (line == "NOAA 19" && std::getline(in, l1) && std::getline(in, l2)) break;
  }
  return parse_norad_lines(l1.c_str(), l2.c_str(), k) == 1;
}

class OrbitEditorsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    // The editors open beside the main window, never over its canvas.
    prefs_.sub_wnd_mode = 1;
    prefs_.sub_x = 800;
    prefs_.sub_y = 0;
  }

  void open_window(const FixtureShape& shape) {
    path_ = dir_.file("pass.hrpt");
    ASSERT_TRUE(write_fixture(path_, shape));
    original_ = file_bytes(path_);
    WindowTest::open_window(path_, [](PIC_INFO*, VIEW_INFO* view) { view->grid_on = true; });
  }
  GtkWidget* window_titled(const char* title) { return shown_window(title, kBelowMain); }
  // Clicks `w`, which opens a modal message; its title and text after it
  // was dismissed.
  std::string message_after_click(GtkWidget* w) {
    Answer message({"Info", "Warning", "Error"}, "Dismiss");
    click_centre(w);
    wait_until([&] { return !message.title().empty() && last_titled(message.title().c_str()) == nullptr; });
    return message.title() + ": " + message.text();
  }

  // Saves from `w` and opens the file again.
  void save_and_reopen(GtkWidget* w) {
    EXPECT_EQ(message_after_click(button_labelled(w, "Save")),
              "Info: Rewriting header in " + path_ + " succeeded.");
    ASSERT_EQ(mw_->open_path(path_), 0);
    // Every line record behind the header is the one written first.
    const std::string now = file_bytes(path_);
    ASSERT_EQ(now.size(), original_.size());
    EXPECT_TRUE(now.compare(kHrpt1HdrLen, std::string::npos, original_, kHrpt1HdrLen) == 0);
    EXPECT_NE(now.compare(0, kHrpt1HdrLen, original_, 0, kHrpt1HdrLen), 0);
  }

  std::string path_;
  std::string original_;
};

TEST_F(OrbitEditorsTest, ElementSetFromAFileMovesTheGridAndTimeCorrectionsUndo) {
  if (!std::filesystem::exists(kTleDir + kTleName)) GTEST_SKIP() << "corpus missing: " << kTleDir << kTleName;
  KEPLER noaa19;
  ASSERT_TRUE(noaa19_set(&noaa19));
  // A pass five days after the set's epoch (2020 day 271.1: 27 September).
  FixtureShape shape;
  shape.lines = 600;
  shape.year = 120, shape.yday = 275, shape.mon = 9, shape.mday = 2, shape.hour = 12, shape.min = 0;
  shape.sec = 0;
  open_window(shape);
  ASSERT_FALSE(mw_->pic()->orbit.valid);
  prefs_.kepler_dir = kTleDir;

  // File/Load Kepler...: the file from the selector, NOAA 19 from the list.
  menu("File", "File/Load Kepler...");
  GtkWidget* sel = window_titled("Open Kepler-file");
  ASSERT_NE(sel, nullptr);
  click_row(sel, Find_Widget(sel, "Filelist"), kTleName);
  ASSERT_TRUE(wait_until([] { return file_selection_get_filename() != nullptr; }));
  click_centre(button_labelled(sel, "OK"));
  GtkWidget* sats = window_titled("Select satellite");
  ASSERT_NE(sats, nullptr);
  EXPECT_EQ(last_titled("Open Kepler-file"), nullptr);
  GtkWidget* list = Find_Widget(sats, "Satellites");
  // 3041 sets: the first thousand and the row that says so.
  ASSERT_EQ(Clist_rows(list), 1001);
  EXPECT_EQ(Clist_get_text(list, 1000, 0), "More...");
  EXPECT_EQ(Clist_get_text(list, 1000, 1), "(truncated at 1000)");
  int noaa = -1;
  for (int r = 0; r < 1000 && noaa < 0; ++r)
    if (Clist_get_text(list, r, 0) == "NOAA 19") noaa = r;
  ASSERT_GE(noaa, 0);
  EXPECT_EQ(Clist_get_text(list, noaa, 1), "Day 271 year 120");
  click_row(sats, list, "NOAA 19");
  ASSERT_TRUE(wait_until([&] { return mw_->pic()->orbit.valid; }));
  EXPECT_EQ(mw_->pic()->kepler.motion, noaa19.motion);
  EXPECT_EQ(mw_->pic()->kepler.raan, noaa19.raan);
  EXPECT_EQ(mw_->pic()->kepler.epoch_day, noaa19.epoch_day);
  EXPECT_EQ(std::string(Get_Entry(sats, "Diff start & Kepler ref. time (days)")), "5");

  // "Redraw": the grid is where a headless render of the picture with that
  // set puts it (and there is a grid to see).
  auto reference = std::make_unique<PIC_INFO>();
  auto ref_view = std::make_unique<VIEW_INFO>();
  reference->path = path_;
  ASSERT_EQ(open_picture(reference.get(), ref_view.get(), nullptr), 0);
  reference->kepler = noaa19;
  ASSERT_EQ(calc_orbitconst(&reference->kepler, &reference->orbit), 1);
  int passes = mw_->passes();
  click_centre(button_labelled(sats, "Redraw"));
  ASSERT_TRUE(settle(passes + 1));
  EXPECT_EQ(screen_vs_render(reference.get()), 0) << "grid of the chosen set";
  {
    PIC_INFO bare = *reference;
    bare.orbit.valid = false;
    EXPECT_GT(screen_vs_now(&bare), 0) << "the grid shows";
  }

  // "Orbit edit": one second more on the computer's clock is six lines of
  // the pass; the grid is drawn again at once.
  menu("Edit", "Edit/Kepler...");
  GtkWidget* oe = window_titled("Orbit edit");
  ASSERT_NE(oe, nullptr);
  const PIC_INFO before = *mw_->pic();
  GtkWidget* sec = Find_Widget(oe, "^Offset sec");
  passes = mw_->passes();
  x_click_at(sec, gtk_widget_get_allocated_width(sec) - 6, gtk_widget_get_allocated_height(sec) / 2);
  ASSERT_TRUE(wait_until([&] { return mw_->pic()->orbit.offset_sec == 1; }));
  ASSERT_TRUE(settle(passes + 1));
  PIC_INFO after = *mw_->pic();
  PIC_INFO earlier = before;
  for (int line : {0, 100, 400}) {
    POSITION a, b;
    ASSERT_EQ(xy2lonlat(10, line, &after, &a), 1);
    ASSERT_EQ(xy2lonlat(10, line + mw_->pic()->lines_per_sec, &earlier, &b), 1);
    EXPECT_NEAR(a.lon, b.lon, 1e-4) << line;
    EXPECT_NEAR(a.lat, b.lat, 1e-4) << line;
  }
  EXPECT_EQ(screen_vs_render(mw_->pic()), 0) << "grid after +1 s";

  // Undo: the correction goes, the field shows it, the grid is back.
  passes = mw_->passes();
  click_centre(button_labelled(oe, "Undo"));
  ASSERT_TRUE(settle(passes + 1));
  EXPECT_EQ(mw_->pic()->orbit.offset_sec, 0);
  EXPECT_EQ(Get_Adjust(oe, "^Offset sec"), 0.0);
  EXPECT_EQ(screen_vs_render(reference.get()), 0) << "grid after Undo";

  // The satellite's clock and back: the computer's time comes back as it
  // was, one button of the pair is on at a time.
  BrokenTime computer = mw_->pic()->orbit.start_tm;
  const int64_t computer_s = mktime_ntz(&computer);
  click_centre(button_labelled(oe, "Satellite time"));
  ASSERT_TRUE(wait_until([&] { return mw_->pic()->orbit.use_sattime; }));
  EXPECT_EQ(Get_Button(oe, "Computer time"), 0);
  click_centre(button_labelled(oe, "Computer time"));
  ASSERT_TRUE(wait_until([&] { return !mw_->pic()->orbit.use_sattime; }));
  EXPECT_EQ(Get_Button(oe, "Satellite time"), 0);
  BrokenTime back = mw_->pic()->orbit.start_tm;
  EXPECT_EQ(mktime_ntz(&back), computer_s);

  // Save writes the set into the header; the file opened again has it.
  save_and_reopen(oe);
  EXPECT_EQ(mw_->pic()->kepler.motion, noaa19.motion);
  EXPECT_EQ(mw_->pic()->kepler.epoch_day, noaa19.epoch_day);
  EXPECT_NEAR(mw_->pic()->kepler.raan, noaa19.raan, 1e-6);
}

TEST_F(OrbitEditorsTest, HeaderEditNamesTheSatelliteAndSaveKeepsTheLines) {
  FixtureShape shape;
  shape.lines = 60;
  shape.sat_name = "UNNAMED";
  open_window(shape);
  menu("Edit", "Edit/File header...");
  GtkWidget* he = window_titled("Header edit");
  ASSERT_NE(he, nullptr);

  // Frames every sixth of a second from 12:34:56.789: lines 2-7 fill the
  // second that line 8 closes.
  click_centre(button_labelled(he, "search frame info"));
  ASSERT_TRUE(wait_until([&] { return std::string(Get_Entry(he, "Found")) == "at line 8"; }))
      << Get_Entry(he, "Found");
  EXPECT_EQ(std::string(Get_Entry(he, "^Satellite name")), "NOAA 19");
  click_centre(button_labelled(he, "Use it"));
  ASSERT_TRUE(wait_until([&] { return mw_->pic()->sat_name == "NOAA 19"; }));
  EXPECT_EQ(std::string(Get_Entry(mw_->window(), "Satellite")), "NOAA 19");
  EXPECT_EQ(std::string(Get_Entry(he, "Edit name")), "NOAA 19");
  // Searching again goes on from the line found: the next second opens at
  // line 14.
  click_centre(button_labelled(he, "search frame info"));
  ASSERT_TRUE(wait_until([&] { return std::string(Get_Entry(he, "Found")) == "at line 14"; }))
      << Get_Entry(he, "Found");

  // The scan direction through its option menu.
  click_centre(Find_Widget(he, "^Scan direction"));
  drain();
  x_key(XK_Down);
  x_key(XK_Return);
  ASSERT_TRUE(wait_until([&] { return mw_->pic()->scan_dir == ScanDir::BottomUp; }));
  EXPECT_EQ(mw_->pic()->orientation, Orientation::FromSouth);

  // Not while the file is being recorded: nothing is written.
  mw_->set_recording(true);
  mw_->record()->rec_file = path_;
  EXPECT_EQ(message_after_click(button_labelled(he, "Save")),
            "Warning: " + path_ +
                " is being recorded; its header is written when the recording ends.\nNothing written.");
  EXPECT_TRUE(file_bytes(path_) == original_) << "the file is untouched";
  mw_->set_recording(false);

  save_and_reopen(he);
  EXPECT_EQ(mw_->pic()->sat_name, "NOAA 19");
  EXPECT_EQ(mw_->pic()->scan_dir, ScanDir::BottomUp);
  // Another file: the search starts again from its first line.
  click_centre(button_labelled(he, "search frame info"));
  ASSERT_TRUE(wait_until([&] { return std::string(Get_Entry(he, "Found")) == "at line 8"; }))
      << Get_Entry(he, "Found");
  // A closed editor hears of no later picture.
  click_centre(button_labelled(he, " Exit "));
  ASSERT_TRUE(wait_until([] { return last_titled("Header edit") == nullptr; }));
  EXPECT_EQ(mw_->follower_count(), 0u);
  EXPECT_EQ(mw_->open_path(path_), 0);
}

}  // namespace
}  // namespace kelo::test
