// The record windows and the port test window end to end under Xvfb, on the
// decoder emulator, driven by real X clicks: a recorded pass and its file,
// the channel toggles and the decoder's selection, closing or quitting
// during a recording, HRI and raw recording, and the port test window's
// traces and timer. The engines' own details are tested headless.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/port_test_wnd.h"
#include "app/record_wnd.h"
#include "core/base/bytes.h"
#include "core/files/hri1_read.h"
#include "core/files/hrpt1_read.h"
#include "core/record/parsig_plot.h"
#include "core/record/port.h"
#include "lumo/buttons.h"
#include "lumo/windows.h"
#include "window_fixture.h"

namespace kelo::test {
namespace {

constexpr int kStartAfter = 6;  // frames the wait for sync takes (the preference's default)
constexpr int kStopAfter = 90;  // out-of-sync frames a pass keeps before it ends

int count_of(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
  return n;
}

unsigned le16(const std::string& s, size_t at) { return get_le16(reinterpret_cast<const uint8_t*>(&s[at])); }

// Acts for the operator while a recording runs inside a callback: `step`
// runs every 20 ms from the main loop (the engine's event processing) until
// it returns true. A watchdog of its own stops a recording still running
// after a minute (one that never ends, or runs inside a step) and reports it.
class Operator {
 public:
  Operator(RECORD_INFO* rec, std::function<bool()> step) : rec_(rec), step_(std::move(step)) {
    id_ = g_timeout_add(20, tick, this);
    watchdog_ = g_timeout_add(60000, bark, this);
  }
  ~Operator() {
    g_source_remove(id_);
    g_source_remove(watchdog_);
  }
  bool done() const { return done_; }
  bool timed_out() const { return timed_out_; }

 private:
  static gboolean tick(gpointer p) {
    auto* o = static_cast<Operator*>(p);
    if (!o->done_) o->done_ = o->step_();
    return G_SOURCE_CONTINUE;
  }
  static gboolean bark(gpointer p) {
    auto* o = static_cast<Operator*>(p);
    o->timed_out_ = true;
    o->rec_->active = false;
    return G_SOURCE_CONTINUE;
  }
  RECORD_INFO* rec_;
  std::function<bool()> step_;
  guint id_ = 0;
  guint watchdog_ = 0;
  bool done_ = false;
  bool timed_out_ = false;
};

class RecordWindowTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    session_.set_seam(seam_);
  }

  // The main window with no picture, its records from the default
  // preferences with the emulator behind the port and files going to the
  // test's directory.
  void open_main(const std::string& source, bool realtime = false) {
    Load_Prefdef(&prefs_);
    prefs_.port_backend = kBackendEmulator;
    prefs_.emu_source = source;
    prefs_.emu_pacing = realtime ? 1 : 0;
    prefs_.working_dir = dir_.path() + "/";
    prefs_.canvas_w = 320;
    prefs_.canvas_h = 240;
    auto pic = std::make_unique<PIC_INFO>();
    auto view = std::make_unique<VIEW_INFO>();
    auto rec = std::make_unique<RECORD_INFO>();
    Load_Prefs(&prefs_, rec.get(), view.get(), pic.get());
    start(std::move(pic), std::move(view), std::move(rec), 0);
    ASSERT_TRUE(wait_until([&] {
      const DRAWABLE_INFO* c = mw_->canvas();
      return c != nullptr && !c->rgb_buf.empty();
    }));
  }
  GtkWidget* open_record(void (*open)(GtkWidget*, const char*), const char* title) {
    open(mw_->window(), nullptr);
    GtkWidget* w = Find_Window(mw_->window(), title);
    EXPECT_NE(w, nullptr) << title;
    if (w != nullptr) {
      EXPECT_TRUE(wait_until([&] { return gtk_widget_get_mapped(w); }));
    }
    return w;
  }
  static std::string entry(GtkWidget* win, const char* id) {
    const char* t = Get_Entry(win, id);
    return t != nullptr ? t : "";
  }
  // Rows of the main canvas holding anything but black.
  std::vector<int> drawn_rows() const {
    std::vector<int> rows;
    const DRAWABLE_INFO* c = mw_->canvas();
    for (int y = 0; y < c->height; ++y) {
      const uint8_t* row = c->rgb_buf.data() + static_cast<size_t>(y) * c->width * kRgbBytes;
      for (int i = 0; i < c->width * kRgbBytes; ++i) {
        if (row[i] != 0) {
          rows.push_back(y);
          break;
        }
      }
    }
    return rows;
  }
  // Runs the main loop until the operator is done and no recording runs.
  bool recording_over(const Operator& op) {
    for (int i = 0; i < 100; ++i) {
      if (wait_until([&] { return op.done() && (mw_ == nullptr || !mw_->recording()); }))
        return !op.timed_out();
    }
    return false;
  }
};

TEST_F(RecordWindowTest, ChannelTogglesAllAndChrptGiveTheSelectionAndLabels) {
  open_main("noaa,sat=19");
  GtkWidget* w = open_record(Menu_Rec_Hrpt, "Record HRPT");
  ASSERT_NE(w, nullptr);
  RECORD_INFO* rec = mw_->record();
  // One record window at a time.
  EXPECT_FALSE(gtk_widget_get_sensitive(Find_Widget(mw_->window(), "Record/HRI...")));
  EXPECT_FALSE(gtk_widget_get_sensitive(Find_Widget(mw_->window(), "Record/Raw...")));
  auto sel = [&] {
    std::string s;
    for (int n = 0; n <= kMaxChannels; ++n) s += static_cast<char>('0' + rec->chan_sel[n]);
    return s;
  };
  for (const char* id : {"   1  ", "   2  ", "   4  "}) click(w, id);
  ASSERT_TRUE(wait_until([&] { return sel() == "11101000000"; })) << sel();
  click(w, "  All ");  // three on: all on
  ASSERT_TRUE(wait_until([&] { return sel() == "11111100000"; })) << sel();
  click(w, "  All ");  // five on: all off
  ASSERT_TRUE(wait_until([&] { return sel() == "10000000000"; })) << sel();
  click(w, "   1  ");
  click(w, "   5  ");
  click(w, "CHRPT");  // pairs: 1+2 and 9+10, toggles relabelled, identifiers kept
  ASSERT_TRUE(wait_until([&] { return rec->file_type == kKindCHRPT; }));
  EXPECT_EQ(sel(), "11100000011");
  EXPECT_EQ(rec->sat_kind, SatKind::FengYun);
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(Find_Widget(w, "   1  "))), " 1+2");
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(Find_Widget(w, "   5  "))), "9+10");
  click(w, "HRPT");
  ASSERT_TRUE(wait_until([&] { return rec->file_type == kKindHRPT; }));
  EXPECT_EQ(sel(), "11000100000");
  EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(Find_Widget(w, "   5  "))), "   5  ");
  // " Exit " gives the other record windows back.
  click(w, " Exit ");
  ASSERT_TRUE(wait_until([&] { return Find_Window(mw_->window(), "Record HRPT") == nullptr; }));
  EXPECT_TRUE(gtk_widget_get_sensitive(Find_Widget(mw_->window(), "Record/HRI...")));
}

TEST_F(RecordWindowTest, StartStopRecordsACountedPassDrawnLiveAndOpensIt) {
  constexpr int kFrames = 60;
  open_main("noaa,sat=19,frames=" + std::to_string(kFrames));
  GtkWidget* w = open_record(Menu_Rec_Hrpt, "Record HRPT");
  ASSERT_NE(w, nullptr);
  click(w, "   1  ");
  click(w, "   2  ");
  ASSERT_TRUE(wait_until([&] { return mw_->record()->chan_sel[2] == 1; }));
  std::vector<int> live_rows;
  std::string sat_seen, lines_seen;
  bool seen_file = false;
  // The pass ends by itself (the emulator loses lock after its frames); once
  // the engine waits for the next one, the operator presses Stop.
  Operator op(mw_->record(), [&] {
    const std::string state = entry(w, "Recording");
    if (state.find("hrpt01.dat") != std::string::npos) seen_file = true;
    if (!seen_file || state != "Wait") return false;
    live_rows = drawn_rows();
    sat_seen = entry(w, "Sat name ");
    lines_seen = entry(w, "Line       ");
    click(w, "Start/Stop");
    return true;
  });
  click(w, "Start/Stop");
  ASSERT_TRUE(recording_over(op));

  EXPECT_EQ(sat_seen, "NOAA 19");
  const int in_sync = kFrames - kStartAfter;
  const int lines = in_sync + kStopAfter;
  EXPECT_EQ(lines_seen, std::to_string(lines / 10 * 10));
  // Frame after frame, row after row from the top: (H - 1) * line / H.
  const int h = mw_->canvas()->height;
  ASSERT_FALSE(live_rows.empty());
  ASSERT_LT(lines, h);
  EXPECT_EQ(live_rows.front(), 0);
  EXPECT_EQ(live_rows.back(), (h - 1) * (lines - 1) / h);
  EXPECT_EQ(live_rows.size(), static_cast<size_t>(live_rows.back() + 1));

  // The file: its header counts the lines it holds, the frames received in
  // sync carry "FRAME", the others "FRAMe".
  const std::string file = dir_.file("hrpt01.dat");
  const std::string bytes = file_bytes(file);
  ASSERT_GT(bytes.size(), static_cast<size_t>(kHrpt1HdrLen));
  EXPECT_EQ(bytes.substr(0, 4), "HRPT");
  EXPECT_EQ(le16(bytes, 24), static_cast<unsigned>(lines));
  // The satellite time (nine 16-bit fields from byte 112) holds the start:
  // day of month 1-31, years since 1900 of this century.
  EXPECT_GE(le16(bytes, 112 + 2 * 3), 1u);
  EXPECT_GE(le16(bytes, 112 + 2 * 5), 126u);
  EXPECT_EQ(count_of(bytes, "FRAME"), in_sync);
  EXPECT_EQ(count_of(bytes, "FRAMe"), kStopAfter);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("hrpt02.dat")));
  // Stop ends the loop and, with "Save", the pass is opened for display.
  EXPECT_EQ(entry(w, "Recording"), "Off");
  EXPECT_EQ(mw_->pic()->path, file);
  EXPECT_EQ(mw_->pic()->height, lines);
  EXPECT_FALSE(Get_Button(w, "Start/Stop"));
  EXPECT_TRUE(gtk_widget_get_sensitive(Find_Widget(w, " Exit ")));
}

TEST_F(RecordWindowTest, ClosingOrQuittingMidPassStopsAndKeepsACompleteFile) {
  open_main("noaa,sat=19");  // an endless pass
  auto check_file = [&](const std::string& name) {
    const std::string bytes = file_bytes(dir_.file(name));
    ASSERT_GT(bytes.size(), static_cast<size_t>(kHrpt1HdrLen)) << name;
    const int records = count_of(bytes, "FRAME") + count_of(bytes, "FRAMe");
    EXPECT_GE(records, 30) << name;
    EXPECT_EQ(le16(bytes, 24), static_cast<unsigned>(records)) << name;
  };
  GtkWidget* w = open_record(Menu_Rec_Hrpt, "Record HRPT");
  ASSERT_NE(w, nullptr);
  click(w, "   4  ");
  ASSERT_TRUE(wait_until([&] { return mw_->record()->chan_sel[4] == 1; }));
  int step = 0;
  Operator close_op(mw_->record(), [&] {
    if (std::atoi(entry(w, "Line       ").c_str()) < 30) return false;
    if (step++ == 0) {
      // Stop and Start before the engine sees it: the same pass goes on.
      Set_Button(w, "Start/Stop", 0);
      Set_Button(w, "Start/Stop", 1);
      return false;
    }
    gtk_window_close(GTK_WINDOW(w));  // as the window manager's close
    return true;
  });
  click(w, "Start/Stop");
  ASSERT_TRUE(recording_over(close_op));
  EXPECT_EQ(Find_Window(mw_->window(), "Record HRPT"), nullptr);
  EXPECT_TRUE(gtk_widget_get_sensitive(Find_Widget(mw_->window(), "Record/Raw...")));
  check_file("hrpt01.dat");
  EXPECT_FALSE(std::filesystem::exists(dir_.file("hrpt02.dat")));

  // Quit during a recording: the pass is finished, then the program ends.
  w = open_record(Menu_Rec_Hrpt, "Record HRPT");
  ASSERT_NE(w, nullptr);
  Operator quit_op(mw_->record(), [&] {
    if (std::atoi(entry(w, "Line       ").c_str()) < 30) return false;
    mw_->quit();
    return true;
  });
  click(w, "Start/Stop");
  ASSERT_TRUE(recording_over(quit_op));
  EXPECT_EQ(mw_->window(), nullptr);
  check_file("hrpt02.dat");
}

TEST_F(RecordWindowTest, HriAutomaticStartRecordsTheGeneratorsFrames) {
  open_main("pattern");
  GtkWidget* w = nullptr;
  Operator op(mw_->record(), [&] {
    w = Find_Window(mw_->window(), "Record HRI");
    if (w == nullptr || std::atoi(entry(w, "Line #").c_str()) < 20) return false;
    click(w, "Start/Stop");
    return true;
  });
  Recordpp_Hri_Auto(mw_.get(), true);
  ASSERT_TRUE(recording_over(op));
  EXPECT_EQ(mw_->record()->gen_mode, 1);
  EXPECT_EQ(entry(w, "Recorded"), "1");
  EXPECT_EQ(entry(w, "Encrypted:"), "N");
  const std::string bytes = file_bytes(dir_.file("hri01.dat"));
  ASSERT_GT(bytes.size(), static_cast<size_t>(kHriHeaderBytes));
  EXPECT_EQ((bytes.size() - kHriHeaderBytes) % kHriRecordBytes, 0u);
  // 20 lines at least, every frame stored: the first line may begin in the
  // middle (the generator's frames run on while the recording waits for
  // sync), the 19 after it have 4 frames each.
  EXPECT_GE(static_cast<int>((bytes.size() - kHriHeaderBytes) / kHriRecordBytes), 19 * 4 + 1);
  EXPECT_EQ(mw_->pic()->file_type, kKindHRI);
}

TEST_F(RecordWindowTest, RawWindowDumpsBlocksOneCanvasRowEach) {
  open_main("hri", true);  // at the satellite's pace: a few blocks a second
  GtkWidget* w = open_record(Menu_Rec_Rawd, "Record RAW");
  ASSERT_NE(w, nullptr);
  EXPECT_FALSE(gtk_widget_get_sensitive(Find_Widget(mw_->window(), "Record/HRPT...")));
  Operator op(mw_->record(), [&] {
    if (drawn_rows().size() < 5) return false;
    click(w, "Start/Stop");
    return true;
  });
  click(w, "Start/Stop");
  ASSERT_TRUE(recording_over(op));
  const auto size = std::filesystem::file_size(dir_.file("raw01.dat"));
  ASSERT_EQ(size % 2048, 0u);
  const int blocks = static_cast<int>(size / 2048);
  ASSERT_LT(blocks, mw_->canvas()->height);
  const std::vector<int> rows = drawn_rows();
  ASSERT_EQ(static_cast<int>(rows.size()), blocks);
  EXPECT_EQ(rows.back(), blocks - 1);
  EXPECT_EQ(entry(w, "Recorded"), "1");
  // A raw dump is not opened as a picture.
  EXPECT_FALSE(mw_->has_picture());
}

TEST_F(RecordWindowTest, PortTestShowsTheDecodersSignalsAndItsTimerEndsWithTheWindow) {
  open_main("hri");
  Menu_Test(mw_->window(), nullptr);
  GtkWidget* w = Find_Window(mw_->window(), "Test");
  ASSERT_NE(w, nullptr);
  ASSERT_TRUE(wait_until([&] { return entry(w, "!teller") == "1"; }));
  // The "Frame" trace (12th of 13) shows the frame-start line at both
  // levels: the emulator marks the first word of every 364-word frame.
  const DRAWABLE_INFO* c = Get_RGBI(Find_Widget(w, "GTK_DRAWING_AREA"));
  ASSERT_NE(c, nullptr);
  const ParBand frame = parsig_band(11, 13, c->height);
  auto cyan_in_row = [&](int y) {
    for (int x = kParTraceLeft; x < c->width; ++x) {
      const uint8_t* p = c->rgb_buf.data() + (static_cast<size_t>(y) * c->width + x) * kRgbBytes;
      if (p[0] == 0 && p[1] == 255 && p[2] == 255) return true;
    }
    return false;
  };
  EXPECT_TRUE(cyan_in_row(frame.top));
  EXPECT_TRUE(cyan_in_row(frame.top + frame.swing));

  click(w, "Cont. Read");
  ASSERT_TRUE(wait_until([&] { return port_test_timer(w) != 0; }));
  const guint timer = port_test_timer(w);
  ASSERT_TRUE(wait_until([&] { return std::atoi(entry(w, "!teller").c_str()) >= 3; }));
  // "1x Read" ends the continuous read without running its command.
  click(w, "1x Read");
  ASSERT_TRUE(wait_until([&] { return port_test_timer(w) == 0; }));
  EXPECT_FALSE(Get_Button(w, "Cont. Read"));
  EXPECT_EQ(g_main_context_find_source_by_id(nullptr, timer), nullptr);
  click(w, "Cont. Read");
  ASSERT_TRUE(wait_until([&] { return port_test_timer(w) != 0; }));
  const guint again = port_test_timer(w);
  gtk_window_close(GTK_WINDOW(w));  // the window manager's close
  ASSERT_TRUE(wait_until([&] { return Find_Window(mw_->window(), "Test") == nullptr; }));
  EXPECT_EQ(g_main_context_find_source_by_id(nullptr, again), nullptr);
}

}  // namespace
}  // namespace kelo::test
