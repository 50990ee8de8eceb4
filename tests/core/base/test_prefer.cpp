#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "core/base/prefer.h"
#include "support/temp_dir.h"

using namespace kelo;

namespace {
// Reads a preference text through a file into `prefs`, after resetting it to
// the defaults.
void read_text(const test::TempDir& dir, const std::string& text, PREFS* prefs) {
  *prefs = PREFS{};
  Load_Prefdef(prefs);
  ASSERT_EQ(Read_Prefs_file(dir.write(".kelorc", text), prefs), 1);
}

std::string written(const PREFS& p) {
  return test::captured([&](FILE* f) { write_prefs(f, p); });
}
}  // namespace

TEST(Prefs, EveryKeyAndValueRuleAndTheSavedFileReadBack) {
  test::TempDir dir;
  test::ScopedCwd cwd(dir.path());
  PREFS prefs;
  read_text(dir,
            "main_window_size = 800x600\n"
            "main_window_position = abs_wndpos@10x20\n"
            "sub_window_position = center_wndpos@5x6\n"
            "Port_type = usb\n"
            "Parallel_port = 0\n"
            "Parallel_port_address = 0x3bc\n"
            "Fast_Parportaccess = yes\n"
            "Hwtype_select = dec_type\n"
            "use_usbid = yes\n"
            "usb_id = DEC42\n"
            "Font_size = 14\n"
            "Grid_color = 0x00ff00\n"
            "Linearize = on\n"
            "Despeckle_limits = 30 15\n"
            "Fixed_zoomfactor = 1.5\n"
            "Hrpt_Record_Start_Stop_Times = 8 120\n"
            "Hri_Record_Start_Stop_Times = 25 30\n"
            "Hrpt_Record_Lines_per_screen = 400\n"
            "Hrpt_Record_Scandirection = S_N\n"
            "Hrpt_Record_Showchan = 4\n"
            "Hrptrec_Save_rec = no\n"
            "Hrptrec_Auto_getkepler = yes\n"
            "Hrpt_File_Base = noaa\n"
            "Hrpt_File_Extension = .hrp\n"
            "Hri_File_Base = msg\n"
            "Hri_File_Extension = .hri\n"
            "Working_Dir = /data/pics\n"
            "Kepler_File_Dir = /data/keps/\n"
            "Kepler_File_name = weather.txt\n"
            "Orbit_model = precise\n",
            &prefs);
  const PREFS& p = prefs;
  EXPECT_EQ(std::tie(p.main_w, p.main_h, p.main_wnd_mode, p.main_x, p.main_y, p.sub_wnd_mode, p.sub_x),
            std::make_tuple(800, 600, int{kWndAbs}, 10, 20, int{kWndCenter}, 5));
  EXPECT_EQ(
      std::tie(p.port_type, p.pp_number, p.pp_address, p.fast_access, p.hw_dectype, p.use_usbid, p.usb_id),
      std::make_tuple(2, 0, 0x3bc, 1, 1, 1, "DEC42"));
  EXPECT_EQ(std::tie(p.font_size, p.grid_r, p.grid_g, p.grid_b, p.linearize, p.despeckle_u, p.despeckle_l),
            std::make_tuple(14, 0, 255, 0, 1, 30, 15));
  EXPECT_EQ(p.fixed_zoom, 1.5f);
  EXPECT_EQ(std::tie(p.hrpt_start_after, p.hrpt_stop_after, p.hri_start_after, p.hri_stop_after,
                     p.lines_per_screen, p.scan_dir, p.show_chan, p.save_rec, p.load_kepler),
            std::make_tuple(8, 120, 25, 30, 400, ScanDir::BottomUp, 4, 0, 1));
  EXPECT_EQ(
      std::tie(p.hrpt_base, p.hrpt_ext, p.hri_base, p.hri_ext, p.working_dir, p.kepler_dir, p.kepler_name),
      std::make_tuple("noaa", ".hrp", "msg", ".hri", "/data/pics/", "/data/keps/", "weather.txt"));

  RECORD_INFO rec;
  VIEW_INFO view;
  PIC_INFO pic;
  Load_Prefs(&prefs, &rec, &view, &pic);
  EXPECT_EQ(rec.port_address, 0x3bc);  // "Port n"
  EXPECT_EQ(
      std::tie(rec.kepler_file, rec.rec_dir, rec.scan_dir, rec.orientation, rec.save_rec),
      std::make_tuple("/data/keps/weather.txt", "/data/pics/", ScanDir::BottomUp, Orientation::FromSouth, 0));
  EXPECT_EQ(std::make_tuple(view.grid_rgb[1], view.desp_ulimit, view.linearize), std::make_tuple(255, 30, 1));
  EXPECT_EQ(view.zoom_step, 1.5f);
  EXPECT_EQ(std::tie(pic.dir, pic.kepler_dir), std::make_tuple("/data/pics/", "/data/keps/"));
  EXPECT_EQ(pic.orbit.model, OrbitModel::Precise);
  Load_Prefs(&prefs, nullptr, nullptr, nullptr);  // all optional

  // Saved into the current directory and read again, every value stays.
  const std::string first = written(prefs);
  std::string error;
  ASSERT_EQ(Save_Prefs(prefs, &error), 0) << error;
  read_text(dir, test::read_file(dir.file(".kelorc")), &prefs);
  EXPECT_EQ(written(prefs), first);
  EXPECT_NE(first.find("Orbit_model                    = precise\n"), std::string::npos) << first;
}

TEST(Prefs, MalformedAndPartialValues) {
  test::TempDir dir;
  PREFS prefs;
  read_text(dir,
            "Font_size = big\n"                   // not a number: 0
            "Working_Dir = /data/my pics\n"       // a value keeps its first word
            "main_window_position = default\n"    // mode and position unchanged
            "Despeckle_limits = 33\n"             // second number missing
            "Hrpt_Record_Scandirection = east\n"  // neither N_S nor S_N: 0
            "Port_type = serial\n"                // anything else: parallel
            "Unknown_key = 5\n"
            "lonely\n"
            "hrpt_file_base = lower\n"  // keys are case-sensitive
            "Parallel_port = 1\n",
            &prefs);
  const PREFS& p = prefs;
  EXPECT_EQ(std::tie(p.font_size, p.working_dir, p.main_wnd_mode, p.main_x, p.despeckle_u, p.despeckle_l),
            std::make_tuple(0, "/data/my/", 0, 0, 33, 10));
  EXPECT_EQ(std::tie(p.scan_dir, p.port_type, p.hrpt_base), std::make_tuple(ScanDir::Unset, 0, "hrpt"));
  RECORD_INFO rec;
  Load_Prefs(&prefs, &rec, nullptr, nullptr);
  EXPECT_EQ(rec.port_address, 0x378);

  // Lines are read whole: a long comment that ends in a setting sets
  // nothing, and an '=' inside a value stays in it.
  read_text(dir,
            "# " + std::string(140, '-') +
                " Working_Dir = /other/\n"
                "Font_size = 12" +
                std::string(90, ' ') +
                "Hrpt_Record_Showchan 5\n"
                "Hrpt_File_Base = pass=a\n",
            &prefs);
  EXPECT_EQ(std::tie(p.working_dir, p.font_size, p.show_chan, p.hrpt_base),
            std::make_tuple("", 12, 2, "pass=a"));

  // Frame counts out of range or not numbers: the default, and a message
  // naming the key and the default (0 0 would open a file on every frame).
  testing::internal::CaptureStderr();
  read_text(dir,
            "Hrpt_Record_Start_Stop_Times = 0 0\n"
            "Hri_Record_Start_Stop_Times = -3 9x\n",
            &prefs);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::tie(p.hrpt_start_after, p.hrpt_stop_after, p.hri_start_after, p.hri_stop_after),
            std::make_tuple(6, 90, 20, 20));
  EXPECT_THAT(err, testing::HasSubstr("Preference Hrpt_Record_Start_Stop_Times: '0' is not a frame count "
                                      "from 1 to 6000; 6 is used."));
  EXPECT_THAT(err, testing::HasSubstr("Preference Hri_Record_Start_Stop_Times: '9x' is not a frame count "
                                      "from 1 to 6000; 20 is used."));
  read_text(dir, "Hrpt_Record_Start_Stop_Times = 1 6000\n", &prefs);
  EXPECT_EQ(std::tie(p.hrpt_start_after, p.hrpt_stop_after), std::make_tuple(1, 6000));
}

TEST(Prefs, DefaultsAndTheSavedFileByteExact) {
  // The defaults leave the fields that have none (port kind, Kepler file).
  PREFS prefs;
  prefs.port_type = 2;
  prefs.kepler_name = "weather.txt";
  prefs.main_x = 40;
  Load_Prefdef(&prefs);
  EXPECT_EQ(std::tie(prefs.port_type, prefs.kepler_name, prefs.main_x), std::make_tuple(2, "weather.txt", 0));
  prefs.port_type = 0;
  prefs.kepler_name = "";
  prefs.grid_r = 0;
  prefs.grid_g = 255;
  prefs.grid_b = 0;
  prefs.fixed_zoom = 1.5f;
  prefs.sub_wnd_mode = kWndSmart;
  prefs.sub_x = 12;
  prefs.sub_y = 34;
  prefs.pp_address = 0x3bc;
  prefs.working_dir = "/data/pics/";
  const std::string expect =
      "main_window_size               = 0x0\n"
      "main_window_position           = default\n"
      "sub_window_position            = smart_wndpos@12x34\n"
      "Port_type                      = par\n"
      "Parallel_port                  = 2\n"
      "Parallel_port_address          = 3bc\n"
      "Fast_Parportaccess             = no\n"
      "Hwtype_select                  = dec_gen\n"
      "use_usbid                      = no\n"
      "usb_id                         = \n"
      "Font_size                      = 0\n"
      "Grid_color                     = 0xff00\n"
      "Linearize                      = off\n"
      "Despeckle_limits               = 20 10\n"
      "Fixed_zoomfactor               = 1.50\n"
      "Hrpt_Record_Start_Stop_Times   = 6 90\n"
      "Hri_Record_Start_Stop_Times    = 20 20\n"
      "Hrpt_Record_Lines_per_screen   = 0\n"
      "Hrpt_Record_Scandirection      = N_S\n"
      "Hrpt_Record_Showchan           = 2\n"
      "Hrptrec_Save_rec               = yes\n"
      "Hrptrec_Auto_getkepler         = no\n"
      "Hrpt_File_Base                 = hrpt\n"
      "Hrpt_File_Extension            = .dat\n"
      "Hri_File_Base                  = hri\n"
      "Hri_File_Extension             = .dat\n"
      "Working_Dir                    = /data/pics/\n"
      "Kepler_File_Dir                = \n"
      "Kepler_File_name               = \n";
  EXPECT_EQ(written(prefs), expect);
}

TEST(Prefs, SearchOrderCurrentThenProgramThenHome) {
  test::TempDir cur, prog, home;
  test::ScopedCwd cwd(cur.path());
  test::ScopedEnv env("HOME", home.path());
  prog.write(".kelorc", "Font_size = 11\n");
  home.write(".kelorc", "Font_size = 12\n");
  const std::string progpath = prog.file("kelo");
  PREFS prefs;
  PrefDirs dirs;
  const auto read = [&](int found, int font_size) {
    prefs = PREFS{};
    testing::internal::CaptureStderr();
    EXPECT_EQ(Read_Prefs(progpath.c_str(), &prefs, &dirs), found);
    EXPECT_EQ(prefs.font_size, font_size);
    return testing::internal::GetCapturedStderr();
  };
  EXPECT_EQ(read(1, 11), "Preference file " + prog.file(".kelorc") + " found.\n");
  EXPECT_EQ(prefs.pref_file, prog.file(".kelorc"));
  EXPECT_EQ(std::tie(dirs.cur_dir, dirs.prog_dir, dirs.home_dir),
            std::make_tuple(cur.path() + "/", prog.path() + "/", home.path() + "/"));
  cur.write(".kelorc", "Font_size = 13\n");
  read(1, 13);
  std::filesystem::remove(cur.file(".kelorc"));
  std::filesystem::remove(prog.file(".kelorc"));
  read(1, 12);
  std::filesystem::remove(home.file(".kelorc"));
  read(0, 0);
  EXPECT_EQ(prefs.pref_file, "");
}

TEST(Prefs, SaveFailureSaysSoAndPortNumbers) {
  test::TempDir dir;
  std::filesystem::create_directory(dir.file(".kelorc"));  // cannot be opened for writing
  test::ScopedCwd cwd(dir.path());
  std::string error;
  EXPECT_EQ(Save_Prefs(PREFS{}, &error), 1);
  EXPECT_EQ(error, "Can't open .kelorc!");

  const std::pair<int, int> ports[] = {{1, 0x378}, {2, 0x278}, {0x3bc, 0x3bc}, {0, 0}};
  for (const auto& [nr, addr] : ports) EXPECT_EQ(ppnr_to_ppaddr(nr), addr) << nr;
}

// The reader and the Preferences window refuse the same values: the reader
// leaves the field as it was, the window says why.
TEST(Prefs, RefusedValuesKeepTheFieldInTheReaderAndTheWindow) {
  test::TempDir dir;
  PREFS prefs;
  read_text(dir,
            "main_window_size = -5x300\n"
            "Fixed_zoomfactor = 0.5\n"
            "Parallel_port_address = 3zz\n"
            "Hrpt_File_Base = " +
                std::string(30, 'x') +
                "\n"
                "Despeckle_limits = 2000 5\n"
                "Hrpt_Record_Showchan = 11\n"
                "Kepler_File_Dir = /kep\n",
            &prefs);
  const PREFS& p = prefs;
  EXPECT_EQ(
      std::tie(p.main_w, p.main_h, p.pp_address, p.hrpt_base, p.despeckle_u, p.despeckle_l, p.show_chan),
      std::make_tuple(0, 0, 0, "hrpt", 20, 5, 2));
  EXPECT_FLOAT_EQ(p.fixed_zoom, 2.0f);
  EXPECT_EQ(p.kepler_dir, "/kep/");

  int v = 0;
  float step = 0;
  std::string why, dir_text = "unchanged";
  EXPECT_FALSE(pref_int_in("1601", "Width", kRangeWndWidth, &v, &why));
  EXPECT_EQ(why, "Width must be a whole number from 0 to 1600.");
  EXPECT_FALSE(pref_int_in("12abc", "Font size", kRangeFontSize, &v, &why));
  EXPECT_TRUE(pref_port_address(" 0x3BC ", &v, &why));
  EXPECT_EQ(v, 0x3bc);
  EXPECT_FALSE(pref_zoom_step("1.19", &step, &why));
  EXPECT_TRUE(pref_zoom_step("10.004", &step, &why));  // saved as 10.00
  EXPECT_FALSE(pref_zoom_step("10.01", &step, &why));
  EXPECT_FALSE(pref_name_fits("two words", "Name", 30, &why));
  EXPECT_EQ(why, "Name must be one word without blanks.");
  // An empty directory stays empty: names are then relative, never "/name".
  EXPECT_TRUE(pref_directory("", "Working directory", &dir_text, &why));
  EXPECT_EQ(dir_text, "");
}
