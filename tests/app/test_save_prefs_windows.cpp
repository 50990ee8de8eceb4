// The "Save" and "Preferences" windows under Xvfb: saving from the window
// writes the bytes kelo-export writes for the same view; Cancel leaves the
// pipeline's valid shorter file; the overwrite question's Cancel keeps the
// old file; the channel buttons follow the picture; " Save " writes what
// Save_Prefs writes and " Use  " changes the running program; typed values
// the preference rules refuse are answered and not stored.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/prefs_wnd.h"
#include "app/save_wnd.h"
#include "core/export/hrpt_fixture.h"
#include "core/export/kelo_export_cli.h"
#include "lumo/buttons.h"
#include "lumo/menus.h"
#include "window_fixture.h"

namespace kelo::test {
namespace {

// Equal files, or where they first differ (not the whole picture).
testing::AssertionResult same_bytes(const std::string& a, const std::string& b) {
  if (a == b) return testing::AssertionSuccess();
  size_t at = 0;
  while (at < a.size() && at < b.size() && a[at] == b[at]) ++at;
  return testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size()
                                     << ", first difference at byte " << at;
}

// A message or question nobody expected is closed after a second and
// fails the test (instead of waiting for an answer for ever).
gboolean close_unexpected(gpointer seen_before) {
  auto* seen = static_cast<std::vector<GtkWidget*>*>(seen_before);
  std::vector<GtkWidget*> now;
  for (const char* title : {"Info", "Error", "Warning"})
    for (GtkWidget* w : windows_titled(title)) {
      if (std::find(seen->begin(), seen->end(), w) == seen->end()) {
        now.push_back(w);
        continue;
      }
      ADD_FAILURE() << "unexpected \"" << title << "\" window";
      GtkWidget* b = button_labelled(w, "Dismiss");
      gtk_button_clicked(GTK_BUTTON(b != nullptr ? b : button_labelled(w, "Cancel")));
    }
  *seen = now;
  return G_SOURCE_CONTINUE;
}

class SavePrefsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    if (!IsSkipped()) watchdog_ = g_timeout_add(1000, close_unexpected, &seen_);
  }
  void TearDown() override {
    if (watchdog_ != 0) g_source_remove(watchdog_);
    WindowTest::TearDown();
  }

  std::string fixture(const char* name, FileKind kind, int lines, int channels) {
    FixtureShape shape;
    shape.kind = kind;
    shape.lines = lines;
    for (int n = 1; n <= kMaxChannels; n++) shape.presence[n] = n <= channels ? 1 : 0;
    std::string path = dir_.file(name);
    EXPECT_TRUE(write_fixture(path, shape));
    return path;
  }

  void open_window(const std::string& path) {
    WindowTest::open_window(path, [this](PIC_INFO* pic, VIEW_INFO*) { pic->dir = dir_.path() + "/"; });
  }

  GtkWidget* save_window() {
    MenuSave(mw_->window(), nullptr);
    GtkWidget* w = nullptr;
    EXPECT_TRUE(wait_until([&] { return (w = last_titled(kSaveTitle)) != nullptr; }));
    return w;
  }
  void press(GtkWidget* w, const char* id) { gtk_button_clicked(GTK_BUTTON(Find_Widget(w, id))); }
  // Chooses the kind and exactly the channels given in the Save window.
  void choose(GtkWidget* w, const char* kind, const std::vector<int>& channels) {
    press(w, kind);
    for (int n = 1; n <= kMaxChannels; n++) {
      std::string id = " " + std::to_string(n) + " ";
      bool want = std::find(channels.begin(), channels.end(), n) != channels.end();
      GtkWidget* b = Find_Widget(w, id.c_str());
      if (gtk_widget_get_sensitive(b) && (Get_Button(w, id.c_str()) != 0) != want) press(w, id.c_str());
    }
  }
  // "Save" into `name`; the text of the final message.
  std::string save_as(GtkWidget* w, const std::string& name) {
    Set_Entry1(w, "^Save to", name.c_str());
    Answer info("Info", "Dismiss");
    press(w, "Save");
    return info.text();
  }
  std::string cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    args.insert(args.begin(), {mw_->pic()->path, "--no-prefs"});
    EXPECT_EQ(kelo_export_main(args, out, err), 0) << err.str();
    return err.str();
  }

  std::vector<GtkWidget*> seen_;
  guint watchdog_ = 0;
};

TEST_F(SavePrefsTest, WindowWritesTheBytesOfKeloExportForEveryKind) {
  open_window(fixture("pass.hrpt", kKindHRPT, 120, 5));
  VIEW_INFO& v = *mw_->view();
  v.zoom.zx = v.zoom.zy = 2;
  v.zoom.ox = 5;
  v.zoom.oy = 10;
  v.lmin = 0;
  v.lmax = 300;  // an 8-bit picture then takes the 10-bit samples shifted by 1
  const std::vector<std::string> view_args = {"--zoom", "2,2", "--origin", "5,10", "--lum", "0,300"};
  GtkWidget* w = save_window();
  struct Case {
    const char* kind;
    const char* cli_kind;
    std::vector<int> channels;
    const char* ext;
    int shift;
  };
  const std::vector<Case> cases = {{"(C)HRPT", "hrpt", {1, 2, 4}, "10b", 0},
                                   {"PGM", "pgm", {2}, "pgm", 0},
                                   {"PGM1", "pgm1", {2}, "pgm", -1},
                                   {"Gif", "gif", {4}, "gif", -1},
                                   {"PPM", "ppm", {3}, "ppm", -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    choose(w, c.kind, c.channels);
    const std::string name = std::string("win-") + c.cli_kind + "." + c.ext;
    EXPECT_EQ(save_as(w, name),
              "Saved in " + dir_.file(name) + "; bitshift=" + std::to_string(c.shift) + ".");
    std::vector<std::string> args = view_args;
    std::string chans;
    for (int ch : c.channels) chans += (chans.empty() ? "" : ",") + std::to_string(ch);
    args.insert(args.end(), {"-t", c.cli_kind, "-c", chans, "-o", dir_.file(std::string("cli.") + c.ext)});
    cli(args);
    const std::string mine = read_file(dir_.file(name));
    EXPECT_GT(mine.size(), 500u);  // a picture, not an empty file
    EXPECT_TRUE(same_bytes(mine, read_file(dir_.file(std::string("cli.") + c.ext))));
    std::remove(dir_.file(std::string("cli.") + c.ext).c_str());
  }
  EXPECT_EQ(std::string(Get_Entry(w, "^Bitshift")), " -1");

  // The colour mix of the channel map as PPM and GIF (the GIF holds the
  // first chosen channel).
  v.rgb_map = true;
  const float weights[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  for (int ch = 1; ch <= 3; ch++) {
    v.map_used[ch] = 1;
    v.map_wr[ch] = weights[ch][0];
    v.map_wg[ch] = weights[ch][1];
    v.map_wb[ch] = weights[ch][2];
  }
  std::vector<std::string> mix = view_args;
  mix.insert(mix.end(), {"--rgb", "--weight", "1=1,0,0", "--weight", "2=0,1,0", "--weight", "3=0,0,1"});
  for (const char* kind : {"ppm", "gif"}) {
    SCOPED_TRACE(kind);
    choose(w, kind[0] == 'p' ? "PPM" : "Gif", {});
    const std::string name = std::string("mix.") + kind;
    EXPECT_EQ(save_as(w, name), "Saved in " + dir_.file(name) + "; bitshift=-1.");
    std::vector<std::string> args = mix;
    args.insert(args.end(), {"-t", kind, "-o", dir_.file(std::string("mixcli.") + kind)});
    cli(args);
    EXPECT_TRUE(same_bytes(read_file(dir_.file(name)), read_file(dir_.file(std::string("mixcli.") + kind))));
  }
}

TEST_F(SavePrefsTest, OverwriteIsAskedFirstAndCancelMidSaveLeavesAShorterFile) {
  open_window(fixture("long.hrpt", kKindHRPT, 3000, 5));
  GtkWidget* w = save_window();
  choose(w, "PGM1", {1});
  // The overwrite question: "Cancel" and the window manager's close keep
  // the old file; nothing of the export is written.
  const std::string old = dir_.write("old.pgm", "the old picture");
  Set_Entry1(w, "^Save to", "old.pgm");
  Answer question("Warning", "Cancel");
  press(w, "Save");
  EXPECT_EQ(question.text(), " File " + old + " exist. Overwrite?");
  Answer closed("Warning", nullptr);
  press(w, "Save");
  EXPECT_NE(closed.text(), "");
  EXPECT_EQ(read_file(old), "the old picture");
  EXPECT_EQ(access((old + ".part").c_str(), F_OK), -1);
  // Saving over the picture on screen is refused.
  Answer refused("Error", "Dismiss");
  Set_Entry1(w, "^Save to", "long.hrpt");
  press(w, "Save");
  EXPECT_EQ(refused.text(), "Can't save over the open picture " + mw_->pic()->path + ".");

  // Cancel in "Saving..." once some rows are written.
  auto* cancel = new std::function<bool()>([] {
    GtkWidget* p = last_titled(kSavingTitle);
    GtkWidget* bar = p != nullptr ? descendants(p, GTK_TYPE_PROGRESS_BAR).front() : nullptr;
    if (bar == nullptr || gtk_progress_bar_get_fraction(GTK_PROGRESS_BAR(bar)) < 0.2) return true;
    gtk_button_clicked(GTK_BUTTON(button_labelled(p, "Cancel")));
    return false;
  });
  g_timeout_add_full(
      G_PRIORITY_HIGH, 1, [](gpointer d) -> gboolean { return (*static_cast<std::function<bool()>*>(d))(); },
      cancel, [](gpointer d) { delete static_cast<std::function<bool()>*>(d); });
  const std::string said = save_as(w, "cut.pgm");
  int rows = 0, total = 0;
  ASSERT_EQ(std::sscanf(said.c_str(), "Cancelled; %d of %d lines", &rows, &total), 2) << said;
  EXPECT_EQ(total, 3000);
  EXPECT_GT(rows, 0);
  EXPECT_LT(rows, total);
  // The file is the complete picture's header with the rows it holds, then
  // the first rows of the complete picture.
  cli({"-t", "pgm1", "-c", "1", "-o", dir_.file("full.pgm")});
  std::string full = read_file(dir_.file("full.pgm"));
  const size_t dims = full.find("64 3000\n");
  ASSERT_NE(dims, std::string::npos);
  const std::string head = full.substr(0, dims) + "64 " + std::to_string(rows) + "\n255\n";
  const size_t pixels = dims + std::string("64 3000\n255\n").size();
  EXPECT_TRUE(same_bytes(read_file(dir_.file("cut.pgm")),
                         head + full.substr(pixels, 64u * static_cast<size_t>(rows))));
}

TEST_F(SavePrefsTest, ChannelButtonsFollowThePicture) {
  open_window(fixture("five.hrpt", kKindHRPT, 20, 5));
  GtkWidget* w = save_window();
  auto sensitive = [&](int n) {
    return gtk_widget_get_sensitive(Find_Widget(w, (" " + std::to_string(n) + " ").c_str())) != 0;
  };
  EXPECT_TRUE(Get_Button(w, "(C)HRPT"));
  EXPECT_TRUE(sensitive(5));
  EXPECT_FALSE(sensitive(6));
  // A single-channel kind keeps the pressed channel only.
  press(w, "Gif");
  press(w, "All");
  press(w, " 3 ");
  for (int n = 1; n <= 5; n++) EXPECT_EQ(Get_Button(w, (" " + std::to_string(n) + " ").c_str()), n == 3) << n;
  // Another picture: its channels.
  ASSERT_EQ(mw_->open_path(fixture("ten.chrpt", kKindCHRPT, 20, 10)), 0);
  EXPECT_TRUE(sensitive(10));
  // No picture: Save is refused, nothing is "Saved in".
  mw_->close_picture();
  Answer said("Error", "Dismiss");
  press(w, "Save");
  EXPECT_EQ(said.text(), "No picture open; nothing to save.");
}

// ---------------------------------------------------------------- preferences
class PrefsWindowTest : public SavePrefsTest {
 protected:
  GtkWidget* prefs_window() {
    Load_Prefdef(&prefs_);
    open_window(fixture("pass.hrpt", kKindHRPT, 20, 5));
    PrefDirs dirs;
    dirs.cur_dir = dir_.path() + "/";
    mw_->set_pref_dirs(dirs);
    MenuPrefs(mw_->window(), nullptr);
    GtkWidget* w = nullptr;
    EXPECT_TRUE(wait_until([&] { return (w = last_titled(kPrefsTitle)) != nullptr; }));
    return w;
  }
  // Types `text` into field `id` and presses Enter; the refusal, if any.
  std::string type(GtkWidget* w, const char* id, const char* text) {
    GtkWidget* e = Find_Widget(w, id);
    gtk_entry_set_text(GTK_ENTRY(e), text);
    Answer refused("Error", "Dismiss");
    gtk_widget_activate(e);
    return refused.text();
  }
};

TEST_F(PrefsWindowTest, SaveWritesWhatSavePrefsWritesAndRefusesBadValues) {
  GtkWidget* w = prefs_window();
  EXPECT_EQ(std::string(Get_Entry(w, "Local preference file")), "Not found.");
  EXPECT_EQ(type(w, "^Red", "0"), "");
  EXPECT_EQ(type(w, "^Green", "255"), "");
  EXPECT_EQ(type(w, "Working directory", "/data"), "");
  EXPECT_EQ(std::string(Get_Entry(w, "Working directory")), "/data/");
  EXPECT_EQ(type(w, "^Basename.", "noaa"), "");
  Set_Optionsmenu(w, "^Window positions", 1);  // "Smart"
  Set_Optionsmenu(w, "^Orbit model", 1);       // precise
  // Refused, with the stored value shown again.
  EXPECT_EQ(type(w, "^Width", "-5"), "Width must be a whole number from 0 to 1600.");
  EXPECT_EQ(std::string(Get_Entry(w, "^Width")), "0");
  EXPECT_EQ(type(w, "^Fixed zoom fact", "0.5"), "Fixed zoom fact must be a number from 1.2 to 10.0.");
  EXPECT_EQ(type(w, "Address Port n", "3zz"),
            "The port address must be a hexadecimal number from 0 to ffff (like 3bc).");
  EXPECT_EQ(type(w, "^Extension.", std::string(30, 'x').c_str()), "Extension. holds at most 29 characters.");
  EXPECT_EQ(prefs_.main_w, 0);
  EXPECT_FLOAT_EQ(prefs_.fixed_zoom, 2.0f);
  EXPECT_EQ(prefs_.hrpt_ext, ".dat");

  press(w, " Save ");
  const std::string saved = read_file(dir_.file(".kelorc"));
  EXPECT_NE(saved.find("Grid_color                     = 0xff00\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Working_Dir                    = /data/\n"), std::string::npos);
  EXPECT_NE(saved.find("main_window_position           = abs_wndpos@0x0\n"), std::string::npos);
  EXPECT_NE(saved.find("sub_window_position            = smart_wndpos@0x0\n"), std::string::npos);
  EXPECT_NE(saved.find("Orbit_model                    = precise\n"), std::string::npos);
  TempDir other;
  char here[4096];
  ASSERT_NE(getcwd(here, sizeof here), nullptr);
  ASSERT_EQ(chdir(other.path().c_str()), 0);
  std::string error;
  EXPECT_EQ(Save_Prefs(prefs_, &error), 0);
  EXPECT_EQ(chdir(here), 0);
  EXPECT_EQ(saved, read_file(other.file(".kelorc")));
  EXPECT_EQ(std::string(Get_Entry(w, "Local preference file")), ".kelorc");
}

TEST_F(PrefsWindowTest, UseChangesTheRunningProgramAndPortsNeedTheSystemsList) {
  GtkWidget* w = prefs_window();
  TempDir proc;
  ASSERT_EQ(mkdir(proc.file("parport0").c_str(), 0700), 0);
  proc.write("parport0/base-addr", "956\t1980\n");  // 0x3bc
  prefs_set_parport_list(w, proc.path());
  mw_->record()->port_address = 0x278;  // port 2, as the preferences say

  type(w, "^Red", "0");
  type(w, "^Blue", "255");
  Set_Optionsmenu(w, "^Orbit model", 1);
  ASSERT_EQ(mw_->pic()->orbit.model, OrbitModel::Simple);
  const int passes = mw_->passes();
  press(w, " Use  ");
  EXPECT_EQ(mw_->pic()->orbit.model, OrbitModel::Precise);
  EXPECT_EQ(mw_->view()->grid_rgb[0], 0);
  EXPECT_EQ(mw_->view()->grid_rgb[1], 0);
  EXPECT_EQ(mw_->view()->grid_rgb[2], 255);
  EXPECT_TRUE(wait_until([&] { return mw_->passes() > passes && !mw_->in_pass(); }));

  // Port 1 (0x378) is not listed here: the record keeps its port.
  Answer warned("Warning", "Dismiss");
  press(w, "Port 1");
  EXPECT_EQ(mw_->record()->port_address, 0x278);
  EXPECT_EQ(warned.text(), "Port 378 is not a parallel port of this machine; recordings keep port 278.");
  // Port n at a listed address takes effect on Enter, not while recording.
  press(w, "Port n");
  mw_->set_recording(true);
  Answer held("Warning", "Dismiss");
  type(w, "Address Port n", "3bc");
  EXPECT_EQ(mw_->record()->port_address, 0x278);
  EXPECT_NE(held.text().find("A recording runs"), std::string::npos);
  mw_->set_recording(false);
  type(w, "Address Port n", "0x3bc");
  EXPECT_EQ(mw_->record()->port_address, 0x3bc);
  EXPECT_EQ(prefs_.pp_address, 0x3bc);
}

}  // namespace
}  // namespace kelo::test
