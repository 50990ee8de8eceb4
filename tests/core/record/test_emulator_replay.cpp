// The emulator's replays, scripted faults, mode changes, pacing and the
// source descriptions of the preferences and the command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/files/hri1_read.h"
#include "core/files/hrpt1_read.h"
#include "core/files/pack10.h"
#include "core/record/emulator.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/scripted_port.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::EmuBench;
using test::kBase;
using test::make_record;
using Frames = std::vector<std::vector<uint16_t>>;
const int kAll[6] = {1, 1, 1, 1, 1, 1};

Frames noaa_frames(int n) { return test::source_frames(test::noaa_config(), n); }

// 16-bit containers of the words, as software-radio pipelines write them.
std::string word_bytes(const Frames& frames, bool big_endian, uint16_t extra_bits) {
  std::string out;
  for (const auto& f : frames) {
    for (uint16_t w : f) {
      const uint16_t v = static_cast<uint16_t>(w | extra_bits);
      const char lo = static_cast<char>(v & 0xFF), hi = static_cast<char>(v >> 8);
      out += big_endian ? std::string{hi, lo} : std::string{lo, hi};
    }
  }
  return out;
}

// A recorded frame: the marker ("FRAMe" out of sync), the byte count, the bytes.
std::string frame_record(bool in_sync, int count) {
  return std::string(in_sync ? "FRAME" : "FRAMe") + static_cast<char>(count & 0xFF) +
         static_cast<char>(count >> 8);
}

TEST(EmulatorReplay, Raw16AndHrpFramesReplayIdentically) {
  const auto frames = noaa_frames(3);
  test::TempDir dir;
  // Pipelines write 10-bit words in 16-bit containers; stray high bits are
  // not part of the word. A short last frame is not a frame.
  const std::string le = word_bytes(frames, false, 0xFC00) + std::string(100, '\x11');
  const std::string be = word_bytes(frames, true, 0);
  const std::string paths[2] = {dir.write("pass.raw16", le), dir.write("pass.hrp", be)};
  std::vector<uint16_t> words;
  for (const auto& path : paths) {
    SCOPED_TRACE(path);
    EmuBench b(path);
    EXPECT_EQ(b.cfg.source, path == paths[0] ? kEmuRaw16 : kEmuHrp);
    for (int k = 0; k < 3; ++k) {
      ASSERT_EQ(b.frame(11090, &words), 1);
      EXPECT_EQ(words, frames[static_cast<size_t>(k)]) << " frame " << k;
    }
    // The end of the file: the decoder loses lock and clocks out noise
    // with the sync line low, frame after frame.
    EXPECT_EQ(b.frame(11090, &words), 2);
    EXPECT_NE(words, frames[2]);
    EXPECT_EQ(b.frame(11090, &words), 2);
  }
  {  // Told to fall silent at the end, it does.
    EmuBench quiet(paths[0] + ",end=silent");
    for (int k = 0; k < 3; ++k) ASSERT_EQ(quiet.frame(11090, &words), 1);
    EXPECT_EQ(quiet.frame(11090, &words), 0);
    EXPECT_EQ(quiet.emu.frames_started(), 3);
  }
  {  // With "loop" the replay starts again.
    EmuBench looped(paths[1] + ",loop");
    for (int k = 0; k < 4; ++k) ASSERT_EQ(looped.frame(11090, &words), 1);
    EXPECT_EQ(words, frames[0]);
  }
  // A frame without the sync words comes out of sync.
  auto bad = frames;
  bad[1][2] = 0;
  EmuBench b2(dir.write("bad.raw16", word_bytes(bad, false, 0)));
  EXPECT_EQ(b2.frame(11090, &words), 1);
  EXPECT_EQ(b2.frame(11090, &words), 2);
  EXPECT_EQ(words, bad[1]);
}

TEST(EmulatorReplay, Hrpt1RecordingReplaysItsLines) {
  const auto frames = noaa_frames(2);
  // A recording of channels 1 and 3 with the housekeeping words: 2 * 2048 +
  // 850 = 4946 words, padded to 4948, 4948 / 4 * 5 + 7 = 6192 bytes a line.
  std::string file(16000, '\0');
  std::memcpy(&file[0], "HRPT", 4);
  std::memcpy(&file[4], "NOAA 18", 7);
  file[23] = 0x08;  // width 2048, little-endian
  std::memcpy(&file[96], "EXT_V004", 8);
  const int presence[6] = {1, 1, 0, 1, 0, 0};
  for (int i = 0; i < 6; ++i) file[static_cast<size_t>(269 + i)] = static_cast<char>(presence[i]);
  Frames lines;
  for (int k = 0; k < 2; ++k) {
    const auto& f = frames[static_cast<size_t>(k)];
    std::vector<uint16_t> line(f.begin(), f.begin() + 750);
    for (int x = 0; x < 2048; ++x) {
      line.push_back(f[static_cast<size_t>(750 + 5 * x)]);
      line.push_back(f[static_cast<size_t>(750 + 5 * x + 2)]);
    }
    line.insert(line.end(), f.end() - 100, f.end());
    ASSERT_EQ(line.size(), 4946u);
    lines.push_back(line);
    line.resize(4948, 0);
    file += frame_record(k == 0, 6185);
    std::string packed(4948 / 4 * 5, '\0');
    pack10(line.data(), 4948 / 4, reinterpret_cast<uint8_t*>(packed.data()));
    file += packed;
  }
  ASSERT_EQ(file.size(), 16000u + 2 * 6192);
  test::TempDir dir;
  const std::string path = dir.write("noaa.hpt", file);
  std::vector<uint16_t> words;
  RECORD_INFO rec = make_record();
  {
    EmuBench b(path);
    StationSession& session = b.session;
    EXPECT_EQ(b.cfg.source, kEmuHrpt1);
    select_channel(session, presence, &rec, 0);
    EXPECT_EQ(b.frame(4946, &words), 1);
    EXPECT_EQ(words, lines[0]);
    // The second line was recorded out of sync ("FRAMe").
    EXPECT_EQ(b.frame(4946, &words), 2);
    EXPECT_EQ(words, lines[1]);
    EXPECT_EQ(b.frame(4946, &words), 2);
  }
  {  // A selection of a channel the file lacks gets zeros for it.
    EmuBench b(path);
    StationSession& session = b.session;
    const int ch12[6] = {0, 1, 1, 0, 0, 0};
    select_channel(session, ch12, &rec, 0);
    ASSERT_EQ(b.frame(4096, &words), 1);
    for (int x = 0; x < 2048; x += 100) {
      EXPECT_EQ(words[static_cast<size_t>(2 * x)], frames[0][static_cast<size_t>(750 + 5 * x)]);
      EXPECT_EQ(words[static_cast<size_t>(2 * x + 1)], 0);
    }
  }
  // Damaged recordings are refused with a reason, never half-read: too
  // narrow (width 1024), cut short, no channel.
  std::string narrow = file, none = file;
  narrow[23] = 0x04;
  for (int i = 0; i < 6; ++i) none[static_cast<size_t>(269 + i)] = 0;
  for (const auto& [name, bytes] :
       {std::make_pair("narrow.hpt", narrow), std::make_pair("short.hpt", file.substr(0, 9000)),
        std::make_pair("none.hpt", none)}) {
    EmuConfig cfg;
    std::string err;
    ASSERT_EQ(parse_emu_source(dir.write(name, bytes), &cfg, &err), 0);
    EXPECT_EQ(make_emu_source(cfg, &err), nullptr) << name;
    if (std::string(name) == "narrow.hpt") {
      EXPECT_NE(err.find("2048"), std::string::npos);
    }
  }
}

TEST(EmulatorReplay, Hri1AndRawDumps) {
  test::TempDir dir;
  std::string file = std::string("PDUS") + std::string(30, '\0');
  std::vector<std::string> frames;
  for (int k = 0; k < 3; ++k) {
    std::string f(364, '\0');
    for (int i = 0; i < 364; ++i) f[static_cast<size_t>(i)] = static_cast<char>((i * 7 + k) & 0xFF);
    f.replace(0, 3, "\x05\x0C\xDF");
    frames.push_back(f);
    file += frame_record(k != 1, 364) + f;
  }
  std::vector<uint16_t> words;
  {
    EmuBench b(dir.write("meteosat.hri", file));
    EXPECT_EQ(b.cfg.source, kEmuHri1);
    for (int k = 0; k < 3; ++k) {
      // Bytes come as the data byte of the status word: the 10-bit assembly
      // gives byte << 2.
      ASSERT_EQ(b.frame(364, &words), k == 1 ? 2 : 1);
      for (int i = 0; i < 364; ++i)
        ASSERT_EQ(words[static_cast<size_t>(i)],
                  static_cast<uint8_t>(frames[static_cast<size_t>(k)][static_cast<size_t>(i)]) << 2)
            << k << " " << i;
    }
    EXPECT_EQ(b.frame(364, &words), 2);
  }
  // A raw byte dump: bytes in frames of "framelen", the last one short.
  std::string raw;
  for (int i = 0; i < 250; ++i) raw.push_back(static_cast<char>(i));
  EmuBench r(dir.write("raw01.dat", raw) + ",framelen=100");
  EXPECT_EQ(r.cfg.source, kEmuRawBytes);
  for (int k = 0; k < 2; ++k) {
    ASSERT_EQ(r.frame(100, &words), 1);
    EXPECT_EQ(std::make_pair(words[0], words[99]),
              std::make_pair(uint16_t((k * 100) << 2), uint16_t((k * 100 + 99) << 2)));
  }
  ASSERT_EQ(r.frame(50, &words), 1);
  EXPECT_EQ(words[49], 249 << 2);
  EXPECT_EQ(r.frame(1, &words), 2);
}

TEST(EmulatorFaults, SyncLossNoiseMidFrameStartAndSilence) {
  const auto clean = noaa_frames(6);
  std::vector<uint16_t> words;
  {  // Frames 2-4 out of lock: noise with the sync line low, frame marker kept.
    EmuBench b("noaa,syncloss=2:3");
    for (int k = 0; k < 6; ++k) {
      const bool lost = k >= 2 && k <= 4;
      EXPECT_EQ(b.frame(11090, &words), lost ? 2 : 1) << k;
      EXPECT_EQ(words == clean[static_cast<size_t>(k)], !lost) << k;
    }
  }
  {  // Noise words before every frame are discarded by the frame-start rule.
    EmuBench b("noaa,noise=50");
    for (int k = 0; k < 3; ++k) {
      ASSERT_EQ(b.frame(11090, &words), 1);
      EXPECT_EQ(words, clean[static_cast<size_t>(k)]);
    }
    EXPECT_EQ(b.emu.words_acknowledged(), 3 * (11090 + 50));
  }
  {  // A second frame marker at word 100 of frame 1 is stored as data.
    EmuBench b("noaa,midframe=1:100");
    StationSession& session = b.session;
    RECORD_INFO rec = make_record();
    int markers = 0;
    uint16_t w = 0;
    for (int i = 0; i < 2 * 11090; ++i) {
      ASSERT_EQ(get_pp_data(session, &rec, &w), 1);
      if ((w & kStatFrameN) == 0) ++markers;
      if (i == 11090 + 100) {
        EXPECT_EQ(w & kStatFrameN, 0);
        EXPECT_EQ(status_to_word10(w), clean[1][100]);
      }
    }
    EXPECT_EQ(markers, 3);
  }
  {
    EmuBench b("noaa,silent_after=2");
    for (int want : {1, 1, 0}) EXPECT_EQ(b.frame(11090, &words), want);
  }
  // A dead decoder: nothing ready, nothing acknowledged.
  EmuBench b("noaa,silent");
  StationSession& session = b.session;
  RECORD_INFO rec = make_record(1, 11090);
  uint16_t w;
  EXPECT_EQ(get_pp_data(session, &rec, &w), 0);
  EXPECT_NE(w & kStatReadyN, 0);
  EXPECT_EQ(b.emu.words_acknowledged(), 0);
}

TEST(EmulatorModes, ReloadNeedsTheRepeatedSelection) {
  int64_t now = 1000000;
  EmuConfig cfg = test::noaa_config();
  cfg.reload_ms = 300;
  EmuBench b(cfg);
  StationSession& session = b.session;
  b.emu.set_clock([&now] { return now; });
  b.gui.clock = &now;  // the waits advance the emulator's fake clock
  RECORD_INFO rec = make_record(1, 364);
  EXPECT_EQ(get_hwselected(session, static_cast<int>(kBase), &rec), 0x08);  // powered up in normal mode

  // Switching to the generator without the repeat: the decoder is reloading
  // when the latch comes and keeps its power-on selection.
  rec.gen_mode = 1;
  select_channel(session, nullptr, &rec, 0);
  EXPECT_EQ(std::make_tuple(b.emu.mode_line(), b.emu.latch_count(), int{b.emu.latched_mask()}),
            std::make_tuple(0, 0, 0x7E));
  EXPECT_EQ(get_hwselected(session, static_cast<int>(kBase), &rec), 0);
  // With the repeat the selection reaches the reloaded decoder: mask 0x00
  // runs the generator's HRI frames.
  select_channel(session, nullptr, &rec, 1);
  EXPECT_EQ(std::make_tuple(b.emu.latch_count(), int{b.emu.latched_mask()}), std::make_tuple(1, 0x00));
  std::vector<uint16_t> words(364);
  ASSERT_EQ(getpp_hrpt_frame(session, words.data(), &rec), 1);
  EXPECT_EQ(std::make_tuple(words[0] >> 2, words[1] >> 2, words[2] >> 2, (words[3] >> 2) & 0xF0),
            std::make_tuple(0x05, 0x0C, 0xDF, 0x30));
  // An HRPT selection in generator mode gets the generator's HRPT frames:
  // a ramp of one count per pixel, 200 counts apart per channel.
  select_channel(session, kAll, &rec, 0);
  rec.frame.words_per_line = 11090;
  words.assign(11090, 0);
  ASSERT_EQ(getpp_hrpt_frame(session, words.data(), &rec), 1);
  EXPECT_EQ(words[0], 644);
  EXPECT_EQ(words[750 + 5 * 10 + 0] + 1, words[750 + 5 * 11 + 0]);
  EXPECT_EQ((words[750 + 5 * 10 + 2] - words[750 + 5 * 10 + 0]) & 0x3FF, 400);
  // Back to the decoder: the NOAA pass again.
  rec.gen_mode = 0;
  select_channel(session, kAll, &rec, 1);
  EXPECT_EQ(get_hwselected(session, static_cast<int>(kBase), &rec), 0x08);
  ASSERT_EQ(getpp_hrpt_frame(session, words.data(), &rec), 1);
  EXPECT_EQ((words[6] >> 3) & 0xF, 13);
  // Every wait went through the GUI seam; none really slept.
  EXPECT_EQ(std::count(b.gui.sleeps.begin(), b.gui.sleeps.end(), 1000), 2);
}

TEST(EmulatorModes, RealTimePacingAtSixFramesPerSecond) {
  int64_t now = 5000000;
  EmuConfig cfg = test::noaa_config();
  cfg.real_time = 1;
  EmuBench b(cfg);
  StationSession& session = b.session;
  b.emu.set_clock([&now] { return now; });
  RECORD_INFO rec = make_record(1, 11090);
  std::vector<uint16_t> words(11092);
  ASSERT_EQ(getpp_hrpt_frame(session, words.data(), &rec), 1);  // the first frame at once
  EXPECT_NE(session.ports().inw(kBase) & kStatReadyN, 0);       // the next one is not due
  now += 166000;
  EXPECT_NE(session.ports().inw(kBase) & kStatReadyN, 0);
  now += 1000;  // 1/6 s after the first
  EXPECT_EQ(session.ports().inw(kBase) & kStatReadyN, 0);
  ASSERT_EQ(getpp_hrpt_frame(session, words.data(), &rec), 1);
  now += 10 * 1000000;  // a late reader finds the frames waiting, one by one
  ASSERT_EQ(getpp_hrpt_frame(session, words.data(), &rec), 1);
  EXPECT_EQ(b.emu.frames_started(), 3);
}

TEST(EmulatorSource, DescriptionsAndErrors) {
  EmuConfig cfg;
  std::string err;
  ASSERT_EQ(parse_emu_source("noaa,sat=19,frames=5,start=2020-12-31T23:59:59,realtime,syncloss=3:4,noise=7,"
                             "midframe=2:9,seed=5,reload=0",
                             &cfg, &err),
            0)
      << err;
  const EmuFaults& f = cfg.faults;
  EXPECT_EQ(std::make_tuple(cfg.source, cfg.sat_addr, cfg.frames, cfg.start_time, cfg.real_time, cfg.seed,
                            cfg.reload_ms),
            std::make_tuple(int{kEmuNoaa}, 15, int64_t{5}, int64_t{1609459199}, 1, 5u, 0));
  EXPECT_EQ(
      std::make_tuple(f.sync_loss_at, f.sync_loss_frames, f.noise_words, f.midframe_at, f.midframe_word),
      std::make_tuple(3, 4, 7, 2, 9));
  // The time code crosses the year: day 366 of 2020 at 23:59:59.000, and
  // six frames later day 1 at 00:00:00.000; a pass of five frames ends.
  EXPECT_EQ(test::source_frames(cfg, 6).size(), 5u);
  cfg.frames = 0;
  const auto fr = test::source_frames(cfg, 7);
  const auto day_ms = [](const std::vector<uint16_t>& w) {
    return std::make_pair(w[8] >> 1, ((w[9] & 0x7F) << 20) + (w[10] << 10) + w[11]);
  };
  EXPECT_EQ(day_ms(fr[0]), std::make_pair(366, 86399000));
  EXPECT_EQ(day_ms(fr[6]), std::make_pair(1, 0));

  ASSERT_EQ(parse_emu_source("chrpt,fy=1C", &cfg, &err), 0);
  EXPECT_EQ(std::make_pair(cfg.source, cfg.fy_addr), std::make_pair(int{kEmuChrpt}, 12));
  ASSERT_EQ(parse_emu_source("hri", &cfg, &err), 0);
  EXPECT_EQ(cfg.source, kEmuHri);
  for (const char* bad :
       {"", "noaa,sat=99", "noaa,bogus", "noaa,frames=-1", "noaa,frames=x", "noaa,start=2020-13-01T00:00:00",
        "noaa,start=2020-01-01", "noaa,syncloss=3", "noaa,syncloss=a:b", "chrpt,fy=2A", "noaa,end=never",
        "noaa,framelen=0", "/no/such/file.dat"}) {
    EmuConfig c;
    err.clear();
    EXPECT_EQ(parse_emu_source(bad, &c, &err), 1) << bad;
    EXPECT_FALSE(err.empty()) << bad;
  }
  // A missing .raw16 file is found when the source is opened.
  EmuConfig c;
  ASSERT_EQ(parse_emu_source("/no/such/pass.raw16", &c, &err), 0);
  EXPECT_EQ(make_emu_source(c, &err), nullptr);
  EXPECT_NE(err.find("/no/such/pass.raw16"), std::string::npos);
}

TEST(PortBackends, EmulatorSwitchUnopenableSourceAndPortsWithoutPermission) {
  // The backend of the record: the emulator with a two-frame pass.
  RECORD_INFO rec = make_record(1, 11090);
  rec.port_backend = kBackendEmulator;
  rec.emu_source = "noaa,frames=2";
  std::string err;
  test::RecordingGui gui;
  StationSession session(gui);
  ASSERT_EQ(install_port_backend(session.ports(), &rec, &err), 0) << err;
  EXPECT_STREQ(session.ports().port().name(), "emulator");
  ASSERT_EQ(Open_HWConnect(session, &rec), 1);
  select_channel(session, kAll, &rec, 0);
  ASSERT_EQ(wait_for_insync(session, &rec, 0), 1);
  std::vector<uint16_t> words(11092);
  EXPECT_EQ(get_hrpt_frame(session, words.data(), &rec), 1);  // the rest of frame 0 begins with frame 1
  EXPECT_EQ(get_hrpt_frame(session, words.data(), &rec), 2);  // the pass is over: out of lock
  // A source that cannot be opened leaves the installed backend alone.
  rec.emu_source = "/no/such/pass.raw16";
  EXPECT_EQ(install_port_backend(session.ports(), &rec, &err), 1);
  EXPECT_NE(err.find("/no/such/pass.raw16"), std::string::npos);
  EXPECT_STREQ(session.ports().port().name(), "emulator");
  rec.port_backend = static_cast<PortBackendKind>(7);  // no such backend
  EXPECT_EQ(install_port_backend(session.ports(), &rec, &err), 1);
  rec.port_backend = kBackendAuto;
  EXPECT_EQ(install_port_backend(session.ports(), &rec, &err), 0);
  EXPECT_STRNE(session.ports().port().name(), "emulator");

  // The record asks for an emulator whose replay file is missing: the port
  // counts as not accessible and the reason is shown once; a working source
  // afterwards is taken up without more ado.
  rec.port_backend = kBackendEmulator;
  rec.emu_source = "/no/such/dir/pass.hrp";
  EXPECT_EQ(Open_HWConnect(session, &rec), 0);
  EXPECT_EQ(Open_HWConnect(session, &rec), 0);
  EXPECT_EQ(wait_for_insync(session, &rec, 1), 0);
  EXPECT_EQ(gui.messages,
            std::vector<std::string>{
                "Error: Can't open replay file /no/such/dir/pass.hrp: No such file or directory."});
  rec.emu_source = "pattern";
  EXPECT_EQ(Open_HWConnect(session, &rec), 1);
  EXPECT_STREQ(session.ports().port().name(), "emulator");

  // Without permission the direct backend touches no register: it reads
  // like an empty port.
  auto direct = make_direct_port();
  EXPECT_EQ(direct->inw(0x378), 0xFFFF);
  EXPECT_EQ(direct->inb(0x37A), 0xFF);
  direct->outb(0x2F, 0x37A);
  // ppdev finds no device for an address no port has.
  auto pp = make_ppdev_port();
  EXPECT_NE(pp->ioperm(0x1230, 3, 1), 0);
  EXPECT_EQ(pp->inw(0x1230), 0xFFFF);
}

// The synthetic HRI stream, stored as a recorder stores it, is recognised as
// a picture by the HRI1 reader: the frame fields are the ones it needs.
TEST(EmulatorHri, SyntheticPictureIsFoundByTheReader) {
  EmuConfig cfg;
  cfg.source = kEmuHri;
  std::string err;
  auto src = make_emu_source(cfg, &err);
  std::string file = std::string("PDUS") + std::string(30, '\0');
  EmuFrame f;
  int n = 0;
  for (; src->next(&f); ++n) {
    file += frame_record(true, 364);
    for (uint16_t b : f.words) file.push_back(static_cast<char>(b));
  }
  EXPECT_EQ(n, 4 * (6 + 500));
  test::TempDir dir;
  auto pic = std::make_unique<PIC_INFO>();
  pic->file_type = kKindHRI;
  ASSERT_TRUE(pic->pic_fp.open(dir.write("synth.hri", file), "rb"));
  ASSERT_EQ(read_hri1_hdr(pic.get()), 0);
  EXPECT_EQ(pic->hri.sat_name, "METEOSAT 7");
  EXPECT_EQ(
      std::make_tuple(pic->chan_present[1], pic->chan_present[2], pic->hri.format, pic->hri.chan[1].line_len),
      std::make_tuple(1, 0, 4, 1250));
  EXPECT_GT(pic->hri.chan[1].nlines, 400);
  EXPECT_EQ(std::make_pair(pic->hri_time.tm_year, pic->hri_time.tm_hour), std::make_pair(107, 12));
}

TEST(EmulatorFrameFile, WrittenWholeInBothByteOrders) {
  test::TempDir dir;
  EmuConfig cfg;
  std::string err;
  ASSERT_EQ(parse_emu_source("noaa,sat=15", &cfg, &err), 0);
  const std::string le = dir.file("a.raw16"), be = dir.file("a.hrp");
  ASSERT_EQ(emu_write_frame_file(cfg, le, 2, false, &err), 0) << err;
  ASSERT_EQ(emu_write_frame_file(cfg, be, 2, true, &err), 0) << err;
  const std::string a = test::read_file(le), b = test::read_file(be);
  ASSERT_EQ(a.size(), 2u * 11090 * 2);
  ASSERT_EQ(b.size(), a.size());
  // 644 = 0x0284; the identification word of NOAA 15, frame 1: minor frame
  // 1 << 7 | address 7 << 3 = 0xB8.
  EXPECT_EQ(a.substr(0, 2), std::string("\x84\x02", 2));
  EXPECT_EQ(b.substr(0, 2), std::string("\x02\x84", 2));
  EXPECT_EQ(a.substr((11090 + 6) * 2, 2), std::string("\xB8\x00", 2));
  EXPECT_FALSE(std::filesystem::exists(le + ".part"));

  // Not an HRPT source, a pass too short, an unwritable place: no file.
  EmuConfig hri;
  hri.source = kEmuHri;
  EXPECT_EQ(emu_write_frame_file(hri, dir.file("h.raw16"), 1, false, &err), 1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("h.raw16")));
  cfg.frames = 3;
  EXPECT_EQ(emu_write_frame_file(cfg, dir.file("s.raw16"), 4, false, &err), 1);
  EXPECT_NE(err.find("after 3 frames"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.raw16")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("s.raw16.part")));
  EXPECT_EQ(emu_write_frame_file(cfg, "/no/such/dir/x.raw16", 1, false, &err), 1);
}

// The port test window's sampler against the emulator: every sample is a
// fresh word (each ready word is acknowledged); the status lines of a word
// are checked by the emulator's handshake test.
TEST(EmulatorPortTest, SamplerSeesTheHandshake) {
  EmuBench b("noaa");
  StationSession& session = b.session;
  RECORD_INFO rec = make_record();
  std::vector<uint16_t> samples;
  ASSERT_EQ(read_parsigs(session, &rec, &samples, 16, 0), 1);
  ASSERT_EQ(samples.size(), 6u);
  std::vector<uint16_t> words;
  for (uint16_t s : samples) words.push_back(status_to_word10(s));
  EXPECT_EQ(words, (std::vector<uint16_t>{644, 367, 860, 413, 527, 149}));
  EXPECT_EQ(b.emu.words_acknowledged(), 6);
}

}  // namespace
}  // namespace kelo
