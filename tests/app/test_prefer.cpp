#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "app/gui_seam.h"
#include "app/prefer.h"
#include "support/temp_dir.h"

using namespace kelo;

namespace {
// Reads a preference text through a file, after resetting to the defaults.
void read_text(const test::TempDir& dir, const std::string& text) {
  prefs = PREFS{};
  Load_Prefdef();
  ASSERT_EQ(Read_Prefs_file(dir.write(".kelorc", text)), 1);
}

std::string written(const PREFS& p) {
  char* buf = nullptr;
  size_t len = 0;
  FILE* mem = open_memstream(&buf, &len);
  write_prefs(mem, p);
  std::fclose(mem);
  std::string out(buf, len);
  std::free(buf);
  return out;
}
}  // namespace

TEST(Prefs, DefaultsKeepFieldsWithoutDefault) {
  prefs = PREFS{};
  prefs.port_type = 2;
  prefs.kepler_name = "weather.txt";
  prefs.main_x = 40;
  Load_Prefdef();
  EXPECT_EQ(prefs.port_type, 2);
  EXPECT_EQ(prefs.kepler_name, "weather.txt");
  EXPECT_EQ(prefs.main_x, 0);
  EXPECT_EQ(prefs.pp_number, 2);
  EXPECT_EQ(prefs.hrpt_start_after, 6);
  EXPECT_EQ(prefs.hrpt_stop_after, 90);
  EXPECT_EQ(prefs.hri_start_after, 20);
  EXPECT_EQ(prefs.hri_stop_after, 20);
  EXPECT_EQ(prefs.hrpt_base, "hrpt");
  EXPECT_EQ(prefs.hrpt_ext, ".dat");
  EXPECT_EQ(prefs.hri_base, "hri");
  EXPECT_EQ(prefs.scan_dir, 1);
  EXPECT_EQ(prefs.show_chan, 2);
  EXPECT_EQ(prefs.save_rec, 1);
  EXPECT_EQ(prefs.grid_r, 255);
  EXPECT_EQ(prefs.grid_g, 0);
  EXPECT_EQ(prefs.despeckle_u, 20);
  EXPECT_EQ(prefs.despeckle_l, 10);
  EXPECT_FLOAT_EQ(prefs.fixed_zoom, 2.0f);
}

TEST(Prefs, EveryKeyAndValueRule) {
  test::TempDir dir;
  read_text(dir,
            "main_window_size = 800x600\n"
            "main_window_position = abs_wndpos@10x20\n"
            "sub_window_position = smart_wndpos@5x6\n"
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
            "Kepler_File_name = weather.txt\n");
  EXPECT_EQ(prefs.main_w, 800);
  EXPECT_EQ(prefs.main_h, 600);
  EXPECT_EQ(prefs.main_wnd_mode, kWndAbs);
  EXPECT_EQ(prefs.main_x, 10);
  EXPECT_EQ(prefs.main_y, 20);
  EXPECT_EQ(prefs.sub_wnd_mode, kWndSmart);
  EXPECT_EQ(prefs.sub_x, 5);
  EXPECT_EQ(prefs.port_type, 2);
  EXPECT_EQ(prefs.pp_number, 0);
  EXPECT_EQ(prefs.pp_address, 0x3bc);
  EXPECT_EQ(prefs.fast_access, 1);
  EXPECT_EQ(prefs.hw_dectype, 1);
  EXPECT_EQ(prefs.use_usbid, 1);
  EXPECT_EQ(prefs.usb_id, "DEC42");
  EXPECT_EQ(prefs.font_size, 14);
  EXPECT_EQ(prefs.grid_r, 0);
  EXPECT_EQ(prefs.grid_g, 255);
  EXPECT_EQ(prefs.grid_b, 0);
  EXPECT_EQ(prefs.linearize, 1);
  EXPECT_EQ(prefs.despeckle_u, 30);
  EXPECT_EQ(prefs.despeckle_l, 15);
  EXPECT_FLOAT_EQ(prefs.fixed_zoom, 1.5f);
  EXPECT_EQ(prefs.hrpt_start_after, 8);
  EXPECT_EQ(prefs.hrpt_stop_after, 120);
  EXPECT_EQ(prefs.hri_start_after, 25);
  EXPECT_EQ(prefs.hri_stop_after, 30);
  EXPECT_EQ(prefs.lines_per_screen, 400);
  EXPECT_EQ(prefs.scan_dir, 2);
  EXPECT_EQ(prefs.show_chan, 4);
  EXPECT_EQ(prefs.save_rec, 0);
  EXPECT_EQ(prefs.load_kepler, 1);
  EXPECT_EQ(prefs.hrpt_base, "noaa");
  EXPECT_EQ(prefs.hrpt_ext, ".hrp");
  EXPECT_EQ(prefs.hri_base, "msg");
  EXPECT_EQ(prefs.hri_ext, ".hri");
  EXPECT_EQ(prefs.working_dir, "/data/pics/");
  EXPECT_EQ(prefs.kepler_dir, "/data/keps/");
  EXPECT_EQ(prefs.kepler_name, "weather.txt");

  RECORD_INFO rec;
  VIEW_INFO view;
  PIC_INFO pic;
  Load_Prefs(&rec, &view, &pic);
  EXPECT_EQ(rec.port_address, 0x3bc);  // "Port n"
  EXPECT_EQ(rec.kepler_file, "/data/keps/weather.txt");
  EXPECT_EQ(rec.rec_dir, "/data/pics/");
  EXPECT_EQ(rec.scan_dir, 2);
  EXPECT_EQ(rec.orientation, 4);
  EXPECT_EQ(rec.save_rec, 0);
  EXPECT_EQ(view.grid_rgb[1], 255);
  EXPECT_EQ(view.desp_ulimit, 30);
  EXPECT_EQ(view.linearize, 1);
  EXPECT_FLOAT_EQ(view.zoom_step, 1.5f);
  EXPECT_EQ(pic.dir, "/data/pics/");
  EXPECT_EQ(pic.kepler_dir, "/data/keps/");
  Load_Prefs(nullptr, nullptr, nullptr);  // all optional
}

TEST(Prefs, MalformedAndPartialValues) {
  test::TempDir dir;
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
            "Parallel_port = 1\n");
  EXPECT_EQ(prefs.font_size, 0);
  EXPECT_EQ(prefs.working_dir, "/data/my/");
  EXPECT_EQ(prefs.main_wnd_mode, 0);
  EXPECT_EQ(prefs.main_x, 0);
  EXPECT_EQ(prefs.despeckle_u, 33);
  EXPECT_EQ(prefs.despeckle_l, 10);
  EXPECT_EQ(prefs.scan_dir, 0);
  EXPECT_EQ(prefs.port_type, 0);
  EXPECT_EQ(prefs.hrpt_base, "hrpt");
  RECORD_INFO rec;
  Load_Prefs(&rec, nullptr, nullptr);
  EXPECT_EQ(rec.port_address, 0x378);

  // A line longer than 99 characters continues as the next line.
  std::string longline = "Font_size = 12" + std::string(90, ' ') + "Hrpt_Record_Showchan 5\n";
  read_text(dir, longline);
  EXPECT_EQ(prefs.font_size, 12);
  EXPECT_EQ(prefs.show_chan, 5);
}

TEST(Prefs, SavedFileIsByteExact) {
  prefs = PREFS{};
  Load_Prefdef();
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

TEST(Prefs, SaveAndReadBackKeepsEveryValue) {
  test::TempDir dir;
  test::ScopedCwd cwd(dir.path());
  prefs = PREFS{};
  Load_Prefdef();
  prefs.main_w = 640;
  prefs.main_h = 480;
  prefs.main_wnd_mode = kWndCenter;
  prefs.main_x = 3;
  prefs.main_y = 4;
  prefs.port_type = 1;
  prefs.pp_number = 0;
  prefs.pp_address = 0x278;
  prefs.fast_access = 1;
  prefs.hw_dectype = 1;
  prefs.usb_id = "ABC";
  prefs.use_usbid = 1;
  prefs.font_size = 10;
  prefs.grid_r = 1;
  prefs.grid_g = 2;
  prefs.grid_b = 3;
  prefs.linearize = 1;
  prefs.scan_dir = 2;
  prefs.kepler_dir = "/k/";
  prefs.kepler_name = "noaa.txt";
  PREFS saved = prefs;
  ASSERT_EQ(Save_Prefs(), 0);
  std::string first = test::read_file(dir.file(".kelorc"));

  prefs = PREFS{};
  Load_Prefdef();
  ASSERT_EQ(Read_Prefs_file(dir.file(".kelorc")), 1);
  EXPECT_EQ(written(prefs), first);
  EXPECT_EQ(prefs.main_wnd_mode, saved.main_wnd_mode);
  EXPECT_EQ(prefs.main_x, 3);
  EXPECT_EQ(prefs.pp_address, 0x278);
  EXPECT_EQ(prefs.grid_b, 3);
  EXPECT_EQ(prefs.kepler_name, "noaa.txt");
}

TEST(Prefs, SearchOrderCurrentThenProgramThenHome) {
  test::TempDir cur, prog, home;
  test::ScopedCwd cwd(cur.path());
  test::ScopedEnv env("HOME", home.path());
  prog.write(".kelorc", "Font_size = 11\n");
  home.write(".kelorc", "Font_size = 12\n");
  std::string progpath = prog.file("kelo");

  prefs = PREFS{};
  testing::internal::CaptureStderr();
  EXPECT_EQ(Read_Prefs(progpath.c_str()), 1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(prefs.font_size, 11);
  EXPECT_EQ(prefs.pref_file, prog.file(".kelorc"));
  EXPECT_EQ(err, "Preference file " + prog.file(".kelorc") + " found.\n");

  cur.write(".kelorc", "Font_size = 13\n");
  testing::internal::CaptureStderr();
  EXPECT_EQ(Read_Prefs(progpath.c_str()), 1);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(prefs.font_size, 13);

  std::filesystem::remove(cur.file(".kelorc"));
  std::filesystem::remove(prog.file(".kelorc"));
  testing::internal::CaptureStderr();
  EXPECT_EQ(Read_Prefs(progpath.c_str()), 1);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(prefs.font_size, 12);

  std::filesystem::remove(home.file(".kelorc"));
  EXPECT_EQ(Read_Prefs(progpath.c_str()), 0);
  EXPECT_EQ(prefs.font_size, 0);
  EXPECT_EQ(prefs.pref_file, "");
}

TEST(Prefs, SaveFailureSaysSoAndChangesNothing) {
  class Recorder : public HeadlessGui {
   public:
    void message(const std::string& title, const std::string& text) override { seen = title + "|" + text; }
    std::string seen;
  } rec;
  test::TempDir dir;
  std::filesystem::create_directory(dir.file(".kelorc"));  // cannot be opened for writing
  test::ScopedCwd cwd(dir.path());
  set_gui(&rec);
  EXPECT_EQ(Save_Prefs(), 1);
  set_gui(nullptr);
  EXPECT_EQ(rec.seen, "Error|Can't open .kelorc!");
}

TEST(Prefs, PortNumbers) {
  EXPECT_EQ(ppnr_to_ppaddr(1), 0x378);
  EXPECT_EQ(ppnr_to_ppaddr(2), 0x278);
  EXPECT_EQ(ppnr_to_ppaddr(0x3bc), 0x3bc);
  EXPECT_EQ(ppnr_to_ppaddr(0), 0);
}
