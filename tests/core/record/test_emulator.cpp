// The decoder emulator through the real protocol code: the handshake, the
// channel mask and mode line, the synthetic passes with their calibration
// telemetry.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/files/hrpt1_read.h"
#include "core/record/emulator.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/scripted_port.h"
#include "core/view/hrpt_calcs.h"

namespace kelo {
namespace {

using test::kBase;
using test::source_frames;

// The geometry the recording engines set for a selection.
FRAME_GEOM geom_for(FileKind kind, const int* sel6) {
  int presence[kMaxChannels + 1] = {};
  presence[0] = sel6[0];
  for (int g = 1; g <= 5; ++g) {
    if (kind == kKindCHRPT) {
      presence[2 * g - 1] = presence[2 * g] = sel6[g];
    } else {
      presence[g] = sel6[g];
    }
  }
  return calc_hrptframeinfo(kind, presence, 2048);
}

// The words of a full frame that a selection keeps, in the recording order.
std::vector<uint16_t> expected_selection(const std::vector<uint16_t>& full, FileKind kind, const int* sel6) {
  const int hdr = kind == kKindCHRPT ? 1600 : 750;
  const int nch = kind == kKindCHRPT ? 10 : 5;
  std::vector<uint16_t> out;
  if (sel6[0]) out.insert(out.end(), full.begin(), full.begin() + hdr);
  for (int x = 0; x < 2048; ++x) {
    for (int c = 1; c <= nch; ++c) {
      const int group = kind == kKindCHRPT ? (c + 1) / 2 : c;
      if (sel6[group]) out.push_back(full[static_cast<size_t>(hdr + x * nch + c - 1)]);
    }
  }
  if (sel6[0]) out.insert(out.end(), full.end() - 100, full.end());
  return out;
}

// The next frame of the installed port in the geometry of a selection.
std::vector<uint16_t> selected_frame(StationSession& session, RECORD_INFO* rec, FileKind kind, const int* sel,
                                     int want_status = 1) {
  rec->frame = geom_for(kind, sel);
  std::vector<uint16_t> words(static_cast<size_t>(rec->frame.words_padded));
  EXPECT_EQ(get_hrpt_frame(session, words.data(), rec), want_status);
  words.resize(static_cast<size_t>(rec->frame.words_per_line));
  return words;
}

TEST(Emulator, HandshakeReadyFrameStartAndAcknowledge) {
  test::EmuBench b(test::noaa_config());
  StationSession& session = b.session;
  EXPECT_EQ(session.ports().ioperm(kBase, 3, 1), 0);
  // The first word waits with ready low, frame start low, sync high; it is
  // the first sync word 644 = 0xA1 << 2 | 0.
  const uint16_t w0 = session.ports().inw(kBase);
  EXPECT_EQ(w0 & (kStatReadyN | kStatFrameN | kStatSync), kStatSync);
  EXPECT_EQ(status_to_word10(w0), 644);
  // Reading again without an acknowledge gives the same word; so does a
  // strobe pulse while the data lines are outputs.
  EXPECT_EQ(session.ports().inw(kBase), w0);
  session.ports().outb(0x0F, kBase + 2);
  session.ports().outb(0x0E, kBase + 2);
  EXPECT_EQ(session.ports().inw(kBase), w0);
  EXPECT_EQ(b.emu.words_acknowledged(), 0);
  // The acknowledge pulse hands over the next word: 367, no frame start.
  session.ports().outb(0x2F, kBase + 2);
  session.ports().outb(0x2E, kBase + 2);
  const uint16_t w1 = session.ports().inw(kBase);
  EXPECT_EQ(status_to_word10(w1), 367);
  EXPECT_NE(w1 & kStatFrameN, 0);
  EXPECT_EQ(b.emu.words_acknowledged(), 1);
  // The registers read separately agree with the word read.
  EXPECT_EQ(session.ports().inb(kBase), w1 & 0xFF);
  EXPECT_EQ(session.ports().inb(kBase + 1), w1 >> 8);
  EXPECT_EQ(session.ports().inb(kBase + 2), 0x2E);
}

TEST(Emulator, MaskedHrptSelectionDeliversTheRecordingGeometry) {
  test::EmuBench b(test::noaa_config());
  StationSession& session = b.session;
  const auto full = source_frames(b.cfg, 3);
  ASSERT_EQ(full.size(), 3u);
  for (int fast : {1, 0}) {
    RECORD_INFO rec = test::make_record(fast);
    ASSERT_EQ(Open_HWConnect(session, &rec), 1);
    // Channels 1, 2 and 4 with the housekeeping words.
    const int sel[6] = {1, 1, 1, 0, 1, 0};
    select_channel(session, sel, &rec, 0);
    EXPECT_EQ(b.emu.latched_mask(), 0x6A);
    const int64_t acked = b.emu.words_acknowledged(), started = b.emu.frames_started();
    for (int k = 0; k < 2; ++k) {
      const auto words = selected_frame(session, &rec, kKindHRPT, sel);
      ASSERT_EQ(words.size(), 6994u);
      EXPECT_EQ(words, expected_selection(full[static_cast<size_t>(k)], kKindHRPT, sel));
    }
    // Nothing was discarded: the frames follow each other word for word.
    EXPECT_EQ(b.emu.words_acknowledged() - acked, 2 * 6994);
    EXPECT_EQ(b.emu.frames_started() - started, 2);
    // The next selection (no housekeeping, channel 5 only) restarts at a
    // frame: every fifth word of the full frame from the first pixel on.
    const int sel5[6] = {0, 0, 0, 0, 0, 1};
    select_channel(session, sel5, &rec, 0);
    EXPECT_EQ(b.emu.latched_mask(), 0x04);
    const auto words = selected_frame(session, &rec, kKindHRPT, sel5);
    ASSERT_EQ(words.size(), 2048u);
    for (int x = 0; x < 2048; x += 511)
      EXPECT_EQ(words[static_cast<size_t>(x)], full[2][static_cast<size_t>(750 + 5 * x + 4)]);
    // Back to everything for the next round.
    const int all[6] = {1, 1, 1, 1, 1, 1};
    select_channel(session, all, &rec, 0);
    std::string err;
    b.emu.set_source(make_emu_source(b.cfg, &err));
  }
}

TEST(Emulator, ChrptFirmwareOnDecoderTypeHardware) {
  EmuConfig cfg = test::noaa_config();
  cfg.hw_dectype = 1;
  cfg.reload_ms = 0;
  cfg.fy_addr = 12;
  test::EmuBench b(cfg);
  StationSession& session = b.session;
  RECORD_INFO rec = test::make_record();
  rec.gen_mode = 1;                       // mode line low: the CHRPT firmware
  const int sel[6] = {1, 1, 0, 0, 0, 1};  // pairs 1+2 and 9+10
  select_channel(session, sel, &rec, 0);
  EXPECT_EQ(b.emu.mode_line(), 0);
  EXPECT_EQ(get_hwselected(session, static_cast<int>(kBase), &rec), 0);
  const auto words = selected_frame(session, &rec, kKindCHRPT, sel);
  ASSERT_EQ(words.size(), 4u * 2048 + 1700);
  EXPECT_EQ(std::make_pair(words[0], words[5]), std::make_pair(uint16_t{644}, uint16_t{149}));
  EXPECT_EQ((words[6] >> 6) & 0xF, 12);  // FENGYUN 1C
  cfg.source = kEmuChrpt;
  EXPECT_EQ(words, expected_selection(source_frames(cfg, 1)[0], kKindCHRPT, sel));
}

// ---------------------------------------------------------------- telemetry
int msec_of_day(const std::vector<uint16_t>& w) { return ((w[9] & 0x7F) << 20) + (w[10] << 10) + w[11]; }

TEST(EmulatorNoaa, TelemetryLayoutOfTheFrames) {
  for (int sat : {18, 19}) {
    SCOPED_TRACE("NOAA " + std::to_string(sat));
    EmuConfig cfg;
    std::string err;
    ASSERT_EQ(parse_emu_source("noaa,sat=" + std::to_string(sat) + ",start=2007-01-01T12:00:00", &cfg, &err),
              0);
    const auto frames = source_frames(cfg, 301);
    ASSERT_EQ(frames.size(), 301u);
    // Identification: address 13 (NOAA 18) or 15 (NOAA 19), minor frame
    // number in bits 8-7, channel 3B (bit 0 clear).
    for (int k = 0; k < 4; ++k) {
      const uint16_t id = frames[static_cast<size_t>(k)][6];
      EXPECT_EQ(std::make_tuple((id >> 3) & 0xF, (id >> 7) & 3, id & 3),
                std::make_tuple(sat == 18 ? 13 : 15, k % 3, 0));
    }
    // Time code: 1 January, 12:00:00.000; frame 6 is one second later.
    EXPECT_EQ(frames[0][8] >> 1, 1);
    EXPECT_EQ(msec_of_day(frames[0]), 43200000);
    EXPECT_EQ(msec_of_day(frames[6]), 43201000);
    EXPECT_EQ(msec_of_day(frames[1]), 43200166);
    // PRT: the reference line first, then PRT 1-4; every fifth line again.
    for (int k = 0; k < 10; ++k) {
      const auto& w = frames[static_cast<size_t>(k)];
      if (k % 5 == 0) {
        EXPECT_LE(std::max({w[17], w[18], w[19]}), 4) << k;
      } else {
        EXPECT_GT(w[17], 4);
        EXPECT_EQ(std::make_pair(w[18], w[19]), std::make_pair(w[17], w[17])) << k;
      }
    }
    // The blackbody and space counts of the thermal channels are checked
    // through the picture pass below; the visible space count here.
    EXPECT_EQ(frames[0][51 + 1], kEmuNoaaVisSpaceCount);
    if (sat == 18) {
      EXPECT_EQ(frames[1][17], 222);  // checked with a second tool
    }
    // The cloud band is cold (higher infrared counts) and bright (higher
    // visible counts) against its neighbours on the same line.
    EXPECT_GT(frames[250][750 + 5 * 1000 + 3], frames[250][750 + 5 * 500 + 3]);
    EXPECT_GT(frames[250][750 + 5 * 1000 + 0], frames[250][750 + 5 * 500 + 0]);
    EXPECT_LT(frames[0][750 + 5 * 1000 + 3], frames[250][750 + 5 * 1000 + 3]);
  }

  // Channel 3A: the select bit set, and its space count the visible one.
  EmuConfig cfg;
  std::string err;
  ASSERT_EQ(parse_emu_source("noaa,sat=15,ch3a", &cfg, &err), 0);
  EXPECT_EQ(cfg.sat_addr, 7);
  const auto frames = source_frames(cfg, 1);
  EXPECT_EQ(std::make_pair(frames[0][6] & 1, (frames[0][6] >> 3) & 0xF), std::make_pair(1, 7));
  EXPECT_EQ(frames[0][51 + 3], kEmuNoaaVisSpaceCount);
}

// A station's whole chain on a synthetic pass: the frames as recorded, the
// calibration of the picture pass, the scene's brightness temperatures back.
TEST(EmulatorNoaa, PicturePassCalibrationReadsTheSceneBack) {
  for (int sat : {15, 18, 19}) {
    EmuConfig cfg;
    std::string err;
    ASSERT_EQ(parse_emu_source("noaa,sat=" + std::to_string(sat), &cfg, &err), 0);
    auto frames = source_frames(cfg, 5);
    ASSERT_EQ(frames.size(), 5u);
    auto pic = std::make_unique<PIC_INFO>();
    pic->file_type = kKindHRPT;
    pic->sat_name = "NOAA " + std::to_string(sat);
    pic->width = 2048;
    for (int i = 0; i <= 5; ++i) pic->chan_present[i] = 1;
    pic->frame = calc_hrptframeinfo(kKindHRPT, pic->chan_present, 2048);
    for (auto& f : frames) f.resize(static_cast<size_t>(pic->frame.words_padded), 0);
    const std::vector<uint16_t> raw = frames[0];
    uint16_t* lines[5];
    for (int i = 0; i < 5; ++i) lines[i] = frames[static_cast<size_t>(i)].data();
    std::string warning;
    const CAL_COEFS cal = load_cal(pic->sat_name, &warning);
    NoaaTempState temp_state;
    map_noaatemp(lines, 5, &cal, pic.get(), nullptr, &temp_state);
    EXPECT_EQ(warning, "");
    for (int x : {0, 500, 1023, 1500, 2047}) {
      const double want = emu_scene_temperature(0, x);
      for (int ch = 4; ch <= 5; ++ch)
        EXPECT_NEAR(lines[0][750 + 5 * x + ch - 1] / 10.0, want, 0.2)
            << "NOAA " << sat << " ch " << ch << " x " << x;
      if (want >= 270.0) {
        EXPECT_NEAR(lines[0][750 + 5 * x + 2] / 10.0, want, 0.5) << "NOAA " << sat << " ch 3 x " << x;
      }
      // Channels 1 and 2 stay counts.
      EXPECT_EQ(lines[0][750 + 5 * x], raw[static_cast<size_t>(750 + 5 * x)]);
    }
  }
}

}  // namespace
}  // namespace kelo
