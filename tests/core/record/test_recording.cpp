// The recording engines and batch mode, driven end to end through the
// decoder emulator: what a station gets on disk and in its log.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/base/gui_seam.h"
#include "core/base/misc.h"
#include "core/base/prefer.h"
#include "core/files/file.h"
#include "core/files/hrpt1_read.h"
#include "core/record/batch.h"
#include "core/record/emulator.h"
#include "core/record/hri_rec_pp.h"
#include "core/record/hrpt_rec_pp.h"
#include "core/record/port.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/rawd_rec_pp.h"
#include "core/record/scripted_port.h"
#include "core/view/mapping.h"
#include "core/view/open_picture.h"
#include "core/view/rgbdraw.h"
#include "support/temp_dir.h"

using namespace kelo;

namespace {

constexpr int kHrptHeader = 16000;
constexpr int kHri1Header = 34;
constexpr int kHri1Record = 5 + 2 + 364;            // "FRAME", byte count, frame bytes
constexpr int kFullLineBytes = 11092 * 10 / 8 + 7;  // all channels with the header words
using Lines = std::vector<std::string>;

// One station: the three records, an emulated decoder and a log in a
// temporary home directory.
class Station {
 public:
  explicit Station(const std::string& source) : bench(test::EmuBench::parsed(source, -1)) {
    PREFS prefs;
    Load_Prefdef(&prefs);
    Load_Prefs(&prefs, &rec, &view, pic.get());
    rec.rec_dir = dir.path() + "/";
    rec.port_address = 0x378;
    rec.batch = 1;
    rec.stop_when_done = 1;
    session.log().set_dir(dir.path() + "/");
    session.log().set_to_file(true);
  }
  int batch(const std::string& request, int start_after = 6, int stop_after = 90) {
    rec.request = request;
    rec.hrpt_start_after = start_after;
    rec.hrpt_stop_after = stop_after;
    return do_batch(session, &rec, pic.get(), &view);
  }
  // The log's messages without their time stamps.
  Lines log_lines() const {
    Lines out;
    std::istringstream in(test::read_file(dir.file("kelo.log")));
    for (std::string line; std::getline(in, line);) out.push_back(line.size() > 26 ? line.substr(26) : line);
    return out;
  }
  bool logged(const std::string& line) const {
    const Lines log = log_lines();
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  Lines files() const {
    Lines out;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().filename() != "kelo.log") out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }
  // Opens a recording of the station as a picture.
  void open(const std::string& name) {
    pic->path = dir.file(name);
    ASSERT_EQ(open_picture(pic.get(), &view, nullptr), 0);
  }

  test::TempDir dir;
  RECORD_INFO rec;
  std::unique_ptr<PIC_INFO> pic = std::make_unique<PIC_INFO>();
  VIEW_INFO view;
  test::EmuBench bench;
  test::RecordingGui& seam = bench.gui;
  DecoderEmulator& emu = bench.emu;
  StationSession& session = bench.session;
};

// A record window's stand-in: what the engine told it, in order, and a
// canvas for the live display when one is given.
class ListenerLog : public RecordListener {
 public:
  void state(const std::string& text) override { calls.push_back("state " + text); }
  void waiting_for_sync() override { calls.push_back("wait"); }
  void file_started(const std::string& path) override { calls.push_back("file " + path); }
  void satellite_named(const std::string& name) override { calls.push_back("sat " + name); }
  void line_count(int lines) override { calls.push_back("lines " + std::to_string(lines)); }
  void recorded_count(int n) override { calls.push_back("recorded " + std::to_string(n)); }
  void sync_changed(SyncChange change) override {
    calls.push_back(change == SyncChange::kLost       ? "sync lost"
                    : change == SyncChange::kRestored ? "sync restored"
                                                      : "no transmission");
  }
  void channel_shown(int channel) override { calls.push_back("channel " + std::to_string(channel)); }
  void error(const std::string& text) override { calls.push_back("error " + text); }
  void pass_stopped(int frames) override { calls.push_back("stopped " + std::to_string(frames)); }
  void recording_ended(const std::string& last_file) override { calls.push_back("ended " + last_file); }
  DRAWABLE_INFO* live_canvas() override { return canvas; }
  void rows_drawn(int y, int rows) override {
    rows_seen.push_back(y);
    EXPECT_EQ(rows, 1);
  }

  Lines calls;
  DRAWABLE_INFO* canvas = nullptr;
  std::vector<int> rows_seen;
};

// Runs a pass with files limited to `bytes`, as on a full disk: its result
// and what it wrote to standard error.
std::pair<int, std::string> on_full_disk(rlim_t bytes, const std::function<int()>& pass) {
  struct rlimit old {};
  getrlimit(RLIMIT_FSIZE, &old);
  struct rlimit lim = old;
  lim.rlim_cur = bytes;
  auto old_xfsz = std::signal(SIGXFSZ, SIG_IGN);
  EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lim), 0);
  testing::internal::CaptureStderr();
  const int result = pass();
  std::string err = testing::internal::GetCapturedStderr();
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, old_xfsz);
  return {result, err};
}

int lines_in_header(const std::string& path) {
  std::string bytes = test::read_file(path);
  if (bytes.size() < 26) return -1;
  return static_cast<uint8_t>(bytes[24]) | (static_cast<uint8_t>(bytes[25]) << 8);
}

}  // namespace

TEST(Recording, SatelliteNamedAfterFiveEqualIds) {
  // Word 6 carries the NOAA spacecraft address in bits 3-6; 13 is NOAA 18.
  std::vector<uint16_t> noaa18(11090, 0), noaa19(11090, 0);
  noaa18[6] = 13 << 3;
  noaa19[6] = 15 << 3;
  std::string name = "old";
  SatRecognizer pass;
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(get_hrptsat_name(pass, noaa18.data(), &name, kKindHRPT, SatKind::NOAA), 0);
  EXPECT_EQ(get_hrptsat_name(pass, noaa19.data(), &name, kKindHRPT, SatKind::NOAA),
            0);  // a different id restarts the count
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(get_hrptsat_name(pass, noaa18.data(), &name, kKindHRPT, SatKind::NOAA), 0) << i;
  EXPECT_EQ(name, "old");
  EXPECT_EQ(get_hrptsat_name(pass, noaa18.data(), &name, kKindHRPT, SatKind::NOAA), 1);
  EXPECT_EQ(name, "NOAA 18");
  EXPECT_EQ(get_hrptsat_name(pass, noaa18.data(), &name, kKindHRPT, SatKind::NOAA),
            1);  // the sixth reports again
  EXPECT_EQ(get_hrptsat_name(pass, noaa18.data(), &name, kKindHRPT, SatKind::NOAA),
            0);  // and then never in this pass
  EXPECT_EQ(get_hrptsat_name(pass, noaa19.data(), &name, kKindHRPT, SatKind::NOAA), 0);
  EXPECT_EQ(name, "NOAA 18");

  // FengYun: address in bits 6-9, shifted into the upper nibble (208 = 1D).
  std::vector<uint16_t> fy(22180, 0);
  fy[6] = 13 << 6;
  get_hrptsat_name(pass, nullptr, nullptr, kKindNone, SatKind::Unknown);  // a new pass
  for (int i = 0; i < 4; ++i) get_hrptsat_name(pass, fy.data(), &name, kKindCHRPT, SatKind::FengYun);
  EXPECT_EQ(get_hrptsat_name(pass, fy.data(), &name, kKindCHRPT, SatKind::FengYun), 1);
  EXPECT_EQ(name, "FENGYUN 1D");
}

TEST(Recording, BatchChannelStrings) {
  // Channel 0 is channel 10: CHRPT pairs 9+10; "xyz" stands for "hri" or an
  // unknown satellite word (header words only).
  const struct {
    const char* chans;
    bool chrpt, hrpt_sat;
    std::vector<int> sel, list;
  } cases[] = {
      {"124", false, true, {1, 1, 1, 0, 1, 0, 0, 0, 0, 0, 0}, {1, 1, 1, 0, 1, 0}},
      {"1290", true, true, {1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 1}, {1, 1, 0, 0, 0, 1}},
      {"0", true, true, {1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1}, {1, 0, 0, 0, 0, 1}},
      {"0123456789", true, true, std::vector<int>(11, 1), std::vector<int>(6, 1)},
      {"xyz", false, false, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    int list[6], sel[11] = {};
    batch_channels(c.chans, c.chrpt, c.hrpt_sat, list, sel);
    EXPECT_EQ(std::vector<int>(list, list + 6), c.list) << c.chans;
    EXPECT_EQ(std::vector<int>(sel, sel + 11), c.sel) << c.chans;
  }
}

TEST(Recording, BatchHrptPassOnDiskAndInTheLog) {
  // Sync from the start; frames 30-229 arrive out of sync (the satellite set).
  Station st("noaa,sat=18,syncloss=30:200");
  ASSERT_EQ(st.batch("hrpt:124", 6, 5), 0);
  // The selection reached the decoder twice, 1000 ms apart.
  EXPECT_EQ(st.emu.latched_mask(), 0x6A);
  EXPECT_EQ(st.emu.latch_count(), 2);
  EXPECT_EQ(st.seam.sleeps, (std::vector<int>{1, 1, 1, 1000, 1, 1, 1}));

  // Six frames of in-sync words open the pass at frame 6; frames 6-29 are in
  // sync, and the sixth out-of-sync frame ends it unwritten: 24 + 5 lines.
  const int lines = 29;
  ASSERT_EQ(st.files(), Lines{"hrpt01.dat"});
  const std::string path = st.dir.file("hrpt01.dat");
  EXPECT_EQ(lines_in_header(path), lines);
  EXPECT_EQ(std::filesystem::file_size(path),
            static_cast<uintmax_t>(kHrptHeader + lines * (6996 * 10 / 8 + 7)));
  Lines expect = {"Wait for in-sync.", "Start recording in " + path + "."};
  for (int n = 10; n <= lines; n += 10) expect.push_back("Line " + std::to_string(n) + "...");
  expect.insert(expect.end(), {"Stop recording after 29 frames.", "End recording."});
  EXPECT_EQ(st.log_lines(), expect);

  // The recording opens with the satellite, channels and line count, and its
  // lines hold the emulated scene: in-sync lines marked, the others not.
  st.open("hrpt01.dat");
  EXPECT_EQ(std::tie(st.pic->file_type, st.pic->sat_name, st.pic->height),
            std::make_tuple(kKindHRPT, "NOAA 18", lines));
  EXPECT_EQ(std::vector<int>(st.pic->chan_present, st.pic->chan_present + 6),
            (std::vector<int>{1, 1, 1, 0, 1, 0}));
  std::tm now{};
  std::time_t t = std::time(nullptr);
  gmtime_r(&t, &now);
  EXPECT_EQ(st.pic->orbit.start_tm_comp.tm_year, now.tm_year);
  EXPECT_EQ(st.pic->orbit.start_tm_comp.tm_yday, now.tm_yday);

  std::vector<uint16_t> words(static_cast<size_t>(st.pic->frame.words_padded) * 2, 0);
  VIEW_INFO plain;
  plain.scan_dir = ScanDir::TopDown;
  for (int line : {0, 10, 23}) {
    ASSERT_NE(read_hrpt1_line(st.pic.get(), &plain, line, words.data()), 0);
    for (int x : {0, 700, 1500, 2047})  // channel 4 is the third channel present
      EXPECT_EQ(words[static_cast<size_t>(750 + x * 3 + 2)],
                emu_noaa_ir_count(13, 4, emu_scene_temperature(line + 6, x)))
          << "line " << line << " pixel " << x;
  }
  EXPECT_EQ(read_hrpt1_line(st.pic.get(), &plain, 22, words.data()) & 0x0C, 0x0C);
  EXPECT_EQ(read_hrpt1_line(st.pic.get(), &plain, 25, words.data()) & 0x0C, 0);  // out of sync: "FRAMe"
}

TEST(Recording, HrptPassUnderARecordWindowReportsToItsListener) {
  // The same pass as in batch mode, with a record window's listener and a
  // 64 x 40 canvas: what the window is told, in order, and the live lines.
  Station st("noaa,sat=18,syncloss=30:200");
  st.rec.batch = 0;
  st.rec.active = 1;
  st.rec.save_rec = 1;
  st.rec.hrpt_start_after = 6;
  st.rec.hrpt_stop_after = 5;
  st.rec.file_type = kKindHRPT;
  st.rec.sat_kind = SatKind::NOAA;
  st.rec.show_chan = 5;                // not recorded: the first recorded channel is shown
  st.rec.scan_dir = ScanDir::TopDown;  // canvas row = live row
  st.rec.lines_per_screen = 100;
  const int list[6] = {1, 0, 0, 0, 1, 0};  // channel 4 with the housekeeping words
  for (int c : {0, 4}) st.rec.chan_sel[c] = 1;
  select_channel(st.session, list, &st.rec, 0);
  DRAWABLE_INFO canvas;
  ASSERT_EQ(renew_rgbbuf(&canvas, 64, 40), 1);
  load_std_palette(&canvas, nullptr);  // greys
  ListenerLog told;
  told.canvas = &canvas;
  Recordpp_Hrpt(st.session, told, &st.rec, st.pic.get(), &st.view);

  const std::string path = st.dir.file("hrpt01.dat");
  // The satellite is named on the fifth and sixth frame alike.
  EXPECT_EQ(told.calls, (Lines{"channel 4", "wait", "file " + path, "sat NOAA 18", "sat NOAA 18", "lines 10",
                               "lines 20", "sync lost", "stopped 29", "ended " + path}));
  EXPECT_TRUE(st.log_lines().empty());  // a window's pass writes no log
  EXPECT_EQ(lines_in_header(path), 29);
  // One live row per frame; the rows reported drawn are the rows that show
  // the scene, and no other row was touched.
  ASSERT_EQ(told.rows_seen.size(), 29u);
  for (int y = 0; y < canvas.height; ++y) {
    const auto row = canvas.rgb_buf.begin() + y * canvas.width * kRgbBytes;
    const bool drawn = std::find(told.rows_seen.begin(), told.rows_seen.end(), y) != told.rows_seen.end();
    EXPECT_EQ(std::count(row, row + canvas.width * kRgbBytes, 0) < canvas.width * kRgbBytes, drawn) << y;
  }
}

TEST(Recording, NoChannelsOrNoPortLeavesTheDecoderAndTheDiskAlone) {
  // The messages of a request without channels or with an unknown satellite
  // word are checked on the real program's command line.
  {
    Station st("noaa");
    testing::internal::CaptureStderr();
    const uint8_t mask_before = st.emu.latched_mask();
    EXPECT_EQ(st.batch("hrpt"), 1);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(st.log_lines(), Lines{"Error: No channels selected."});
    EXPECT_TRUE(st.files().empty());
    EXPECT_EQ(st.emu.latched_mask(), mask_before);
  }
  Station st("noaa");
  test::ScriptedPort denied;  // no access to the device
  denied.ioperm_result = 1;
  st.session.ports().set_port(&denied);
  st.rec.port_address = 0x278;
  EXPECT_EQ(st.batch("hrpt:a"), 1);
  EXPECT_EQ(st.log_lines(), Lines{"Error: Can't access Parallel port with address 0x278."});
  EXPECT_TRUE(denied.writes().empty());
  EXPECT_TRUE(st.files().empty());
}

TEST(Recording, SigtermDuringContinuousBatchLeavesACountedFile) {
  Station st("noaa");             // an endless pass
  st.rec.stop_when_done = false;  // "-cbatch"
  // The recorder handles events once per frame; the signal arrives forty
  // events after the pass has opened its file.
  const std::string path = st.dir.file("hrpt01.dat");
  int opened_at = -1;
  st.seam.on_events = [path, &opened_at](int n) {
    if (opened_at < 0 && std::filesystem::exists(path)) opened_at = n;
    if (opened_at >= 0 && n == opened_at + 40) std::raise(SIGTERM);
  };
  ASSERT_EQ(st.batch("hrpt:a", 2), 0);
  EXPECT_EQ(st.emu.latched_mask(), 0x7E);  // "a": every channel
  ASSERT_EQ(st.files(), Lines{"hrpt01.dat"});
  const int lines = lines_in_header(path);
  EXPECT_GT(lines, 30);
  EXPECT_EQ(std::filesystem::file_size(path), static_cast<uintmax_t>(kHrptHeader + lines * kFullLineBytes));
  const Lines log = st.log_lines();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(
      Lines(log.end() - 4, log.end()),
      (Lines{"Stop requested (signal 15).", "Stop recording after " + std::to_string(lines) + " frames.",
             "End recording.", "Recording stopped by signal 15."}));
  // The handlers are gone again: the test process would end on a second
  // SIGTERM otherwise ignored.
  struct sigaction now {};
  sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
}

TEST(Recording, KeplerElementsLoadedIntoTheHeaderOrReportedMissing) {
  // Without a file name or with a missing file the pass is kept and the
  // problem goes to standard error, not to a window.
  for (const std::string& kfile : {std::string(), std::string("/nonexistent/keps.txt")}) {
    Station st("noaa,syncloss=20:50");
    st.rec.load_kepler = true;
    st.rec.kepler_file = kfile;
    testing::internal::CaptureStderr();
    ASSERT_EQ(st.batch("hrpt:4", 1, 0), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string text =
        kfile.empty() ? "Kep-file not defined\n(See Preferences.)" : "Kep-file not found:\n" + kfile;
    EXPECT_NE(err.find("Error: " + text), std::string::npos) << err;
    EXPECT_TRUE(st.seam.messages.empty());
    EXPECT_EQ(lines_in_header(st.dir.file("hrpt01.dat")), 19);
  }

  // NOAA 18 as published on 27 September 2020.
  const std::string set =
      "NOAA 18                 \n"
      "1 28654U 05018A   20270.81007563  .00000083  00000-0  69365-4 0  9994\n"
      "2 28654  99.0336 328.1356 0013355 307.8995  52.0968 14.12541982791221\n";
  Station st("noaa,syncloss=20:50");
  st.rec.load_kepler = true;
  st.rec.kepler_file = st.dir.write("weather.txt", set);
  ASSERT_EQ(st.batch("hrpt:4", 1, 0), 0);
  EXPECT_TRUE(st.logged("Kep. ld: NOAA 18"));
  st.open("hrpt01.dat");
  EXPECT_GT(st.pic->kepler.motion, 14.0f);
  EXPECT_LT(st.pic->kepler.motion, 14.3f);
  EXPECT_EQ(st.pic->orbit.valid, 1);
}

TEST(Recording, FullDiskEndsThePassWithTheLinesOnDisk) {
  Station st("noaa");
  // A file may not grow past the header and 10.5 lines: the eleventh line
  // write fails as on a full disk.
  const auto [result, err] = on_full_disk(kHrptHeader + 10 * kFullLineBytes + kFullLineBytes / 2,
                                          [&] { return st.batch("hrpt:a", 1); });
  EXPECT_EQ(result, kBatchFailed);  // a scheduler sees the failed pass
  EXPECT_NE(err.find("Write error on " + st.dir.file("hrpt01.dat")), std::string::npos) << err;
  EXPECT_EQ(lines_in_header(st.dir.file("hrpt01.dat")), 10);
  EXPECT_TRUE(st.logged("Stop recording after 10 frames."));
  st.open("hrpt01.dat");
  EXPECT_EQ(st.pic->height, 10);

  // No room even for the header: no empty file is left, the reason is given.
  Station full("noaa");
  const auto [no_header, why] = on_full_disk(kHrptHeader / 2, [&] { return full.batch("hrpt:a", 1); });
  EXPECT_EQ(no_header, kBatchFailed);
  EXPECT_EQ(why, "Error: Can't write file " + full.dir.file("hrpt01.dat") + ": File too large\n");
  EXPECT_TRUE(full.files().empty());
}

TEST(Recording, APathReplacedDuringThePassIsNeverWritten) {
  // Ten frames into the pass the recording is moved away and something else
  // put under its name: another file, or a link to one.
  for (bool as_link : {false, true}) {
    Station st("noaa,syncloss=60:50");
    const std::string path = st.dir.file("hrpt01.dat");
    const std::string moved = st.dir.file("moved.dat");
    const std::string other = st.dir.write("other.dat", "operator's file");
    int opened_at = -1;
    st.seam.on_events = [&](int n) {
      if (opened_at < 0 && std::filesystem::exists(path)) opened_at = n;
      if (opened_at < 0 || n != opened_at + 10) return;
      std::filesystem::rename(path, moved);
      if (as_link)
        std::filesystem::create_symlink(other, path);
      else
        std::filesystem::copy_file(other, path);
    };
    testing::internal::CaptureStderr();
    EXPECT_EQ(st.batch("hrpt:a", 6, 0), kBatchFailed);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Error: " + path + ": the recording was moved or removed.\n");
    EXPECT_EQ(test::read_file(other), "operator's file");
    EXPECT_EQ(test::read_file(path), "operator's file");
    // The recording, wherever it went, states the lines it holds.
    EXPECT_EQ(lines_in_header(moved), 54);  // frames 6-59
    EXPECT_TRUE(st.logged("Error: " + path + ": the recording was moved or removed."));
  }
}

TEST(Recording, NothingToRecordIntoOrNothingReceivedLeavesNoFile) {
  // A working directory that is missing or no directory: nothing starts,
  // and the scheduler and the log are told.
  for (const std::string& where : {std::string("/nonexistent-kelo-dir/"), std::string("/dev/null/")}) {
    Station st("noaa");
    st.rec.rec_dir = where;
    testing::internal::CaptureStderr();
    EXPECT_EQ(st.batch("hrpt:4"), kBatchNotStarted);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.rfind("Error: Working directory " + where + ": ", 0), 0u) << err;
    EXPECT_EQ(st.log_lines().size(), 1u);
  }
  // The pass opens on six frames in sync and the next one is out of sync:
  // no frame received, no header-only file.
  Station st("noaa,syncloss=6:50");
  EXPECT_EQ(st.batch("hrpt:4", 6, 0), kBatchOk);
  EXPECT_TRUE(st.files().empty());
  EXPECT_TRUE(st.logged("Stop recording after 0 frames."));
}

TEST(Recording, HriGeneratorRunStores102Frames) {
  Station st("pattern,reload=0");  // the test's sleeps do not wait for a reload
  st.rec.hw_dectype = 0;
  ASSERT_EQ(st.batch("hri:g"), 0);
  EXPECT_EQ(st.emu.mode_line(), 0);  // generator
  EXPECT_EQ(st.emu.latched_mask(), 0x02);
  ASSERT_EQ(st.files(), Lines{"hri01.dat"});
  EXPECT_EQ(std::filesystem::file_size(st.dir.file("hri01.dat")),
            static_cast<uintmax_t>(kHri1Header + 102 * kHri1Record));
  const Lines log = st.log_lines();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(Lines(log.begin(), log.begin() + 2),
            (Lines{"Wait for in-sync.", "Start recording in " + st.dir.file("hri01.dat") + "."}));
  EXPECT_EQ(Lines(log.end() - 2, log.end()), (Lines{"Stop recording after 102 frames.", "End recording."}));

  // A full disk after 50 and a half frames: the log counts the frames on
  // disk, not those that were still in the write buffer.
  Station full("pattern,reload=0");
  full.rec.hw_dectype = 0;
  const int result = on_full_disk(kHri1Header + 50 * kHri1Record + kHri1Record / 2, [&] {
                       return full.batch("hri:g");
                     }).first;
  EXPECT_EQ(result, kBatchFailed);
  EXPECT_TRUE(full.logged("Stop recording after 50 frames."));
}

namespace {
// HRI frames of a low-resolution picture whose frames carry the encryption
// flag, then an endless stretch out of sync.
class EncryptedHri : public EmuSource {
 public:
  bool next(EmuFrame* f) override {
    f->words.assign(364, 0);
    f->ten_bit = 0;
    f->kind = kKindHRI;
    f->sync = k_ < 400 ? 1 : 0;
    f->words[3] = static_cast<uint16_t>(0x30 | (k_ % 4));
    f->words[9] = static_cast<uint16_t>(k_ / 4 == 0 ? 1 : 2);
    f->words[22] = 0x05;
    ++k_;
    return true;
  }
  void rewind() override { k_ = 0; }

 private:
  long k_ = 0;
};
}  // namespace

TEST(Recording, EncryptedPicturesOnlyWithRecordAll) {
  for (int record_all : {0, 1}) {
    Station st("hri");
    st.emu.set_source(std::make_unique<EncryptedHri>());
    st.rec.record_all = record_all;
    st.rec.hri_start_after = 2;
    st.rec.hri_stop_after = 3;
    RECORD_INFO* rec = &st.rec;
    // Stop the station once it has had time to lose sync again.
    st.seam.on_events = [rec](int n) {
      if (n > 2000) rec->active = false;
    };
    ASSERT_EQ(st.batch("hri"), 0);
    EXPECT_TRUE(st.logged("Encrypted."));
    if (record_all) {
      ASSERT_EQ(st.files(), Lines{"hri01.dat"});
      EXPECT_GT(std::filesystem::file_size(st.dir.file("hri01.dat")), static_cast<uintmax_t>(kHri1Header));
    } else {
      EXPECT_TRUE(st.files().empty());
      EXPECT_TRUE(st.logged("Wait for out-sync."));
    }
  }
}

TEST(Recording, RawDumpOfTwoFramesAndAFileThatCannotBeCreated) {
  for (bool writable : {true, false}) {
    Station st("pattern");
    st.rec.batch = false;
    st.rec.save_rec = true;
    st.rec.active = true;
    if (!writable) st.rec.rec_dir = "/nonexistent-kelo-dir/";
    RECORD_INFO* rec = &st.rec;
    // Stopped after the second frame; a file that cannot be created must end
    // the loop by itself.
    if (writable)
      st.seam.on_events = [rec](int n) {
        if (n == 3) rec->active = false;
      };
    ListenerLog told;
    Recordpp_Rawd(st.session, told, &st.rec, st.pic.get(), &st.view);
    const std::string path = st.rec.rec_dir + "raw01.dat";
    if (writable) {
      ASSERT_EQ(st.files(), Lines{"raw01.dat"});
      EXPECT_EQ(std::filesystem::file_size(st.dir.file("raw01.dat")), 4096u);
      EXPECT_EQ(told.calls,
                (Lines{"recorded 0", "wait", "recorded 1", "file " + path, "stopped 2", "ended " + path}));
    } else {
      EXPECT_EQ(st.rec.active, 0);
      EXPECT_EQ(told.calls,
                (Lines{"recorded 0", "wait", "recorded 1",
                       "error Can't open file " + path + ": No such file or directory!", "ended " + path}));
    }
  }
}
