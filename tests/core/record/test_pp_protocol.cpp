// The decoder's register protocol, checked against the recorded register
// traffic of a scripted port.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/base/prefer.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/scripted_port.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::kBase;
using test::kCtl;
using test::PortAccess;
using test::ready_word;

// A scripted port and a recording GUI installed, and a record on the port
// (slow access).
class Pp : public testing::Test {
 protected:
  test::ScriptedPort port;
  test::RecordingGui gui{&port};
  test::PortSession station{&port, &gui};
  StationSession& session = station.session;
  RECORD_INFO rec = test::make_record(0);
  uint16_t w = 0;
};

TEST_F(Pp, DataTimeOutAtTheLastExaminedRead) {
  // Silent: 10 001 examined reads plus the one more read; no control write.
  EXPECT_EQ(get_pp_data(session, &rec, &w), 0);
  EXPECT_EQ(port.reads, 10002);
  EXPECT_TRUE(port.writes().empty());
  for (const auto& a : port.log) EXPECT_EQ(std::make_pair(a.op, a.addr), std::make_pair('w', kBase));
  // Ready on read 10 001 (the last examined one) counts; on read 10 002,
  // the extra read after the time-out, it does not.
  rec.fast_access = true;
  for (int before : {10000, 10001}) {
    port.log.clear();
    port.reads = 0;
    port.script.assign(static_cast<size_t>(before), 0xFFFF);
    port.script.push_back(ready_word(0x5A, true, true));
    EXPECT_EQ(get_pp_data(session, &rec, &w), before == 10000 ? 1 : 0);
    EXPECT_EQ(port.reads, before == 10000 ? 10001 : 10002);
    EXPECT_EQ(w, before == 10000 ? ready_word(0x5A, true, true) : w);
    EXPECT_EQ(port.writes().size(), before == 10000 ? 2u : 0u);
  }
}

TEST_F(Pp, DataSecondReadAndAcknowledgePulse) {
  const uint16_t first = ready_word(0x11, false, true), second = ready_word(0x22, true, false);
  // Slow port: readiness seen on the first read, the word taken from a second.
  port.script = {0xFFFF, first, second};
  ASSERT_EQ(get_pp_data(session, &rec, &w), 1);
  EXPECT_EQ(w, second);
  std::vector<PortAccess> want = {
      {'w', kBase, 0xFFFF}, {'w', kBase, first}, {'w', kBase, second}, {'o', kCtl, 0x2F}, {'o', kCtl, 0x2E}};
  EXPECT_EQ(port.log, want);
  // Fast access: the first ready read is the word; generator mode pulses
  // with the mode line low.
  port.log.clear();
  rec.fast_access = true;
  rec.gen_mode = 1;
  port.script = {first, second};
  ASSERT_EQ(get_pp_data(session, &rec, &w), 1);
  EXPECT_EQ(w, first);
  want = {{'w', kBase, first}, {'o', kCtl, 0x27}, {'o', kCtl, 0x26}};
  EXPECT_EQ(port.log, want);
}

TEST_F(Pp, FrameWordAssemblyAndFrameStartRule) {
  rec.fast_access = true;
  rec.frame.words_per_line = 5;
  port.script = {
      ready_word(0x33, true, false),      // before the frame start: discarded
      ready_word(0x44, true, false, 3),   // discarded
      ready_word(0xFF, true, true, 3),    // frame start: 0xFF, bits 13 and 12 -> 1023
      ready_word(0x00, true, false, 2),   // bit 13 only -> 2
      ready_word(0x80, true, true, 1),    // a second frame marker mid-frame is data: 513
      ready_word(0x01, true, false, 0),   // 4
      ready_word(0x40, false, false, 1),  // last word out of sync: 257
      ready_word(0x77, true, true, 0),    // next frame, not read
  };
  std::vector<uint16_t> words(5);
  EXPECT_EQ(getpp_hrpt_frame(session, words.data(), &rec), 2);
  EXPECT_EQ(words, (std::vector<uint16_t>{1023, 2, 513, 4, 257}));
  EXPECT_EQ(port.script.size(), 1u);
  EXPECT_EQ(gui.events, 0);
  // The same frame with the last word in sync reports 1.
  port.script = {ready_word(0x01, true, true), ready_word(0x02, true, false)};
  rec.frame.words_per_line = 2;
  EXPECT_EQ(getpp_hrpt_frame(session, words.data(), &rec), 1);
  EXPECT_EQ(words, (std::vector<uint16_t>{4, 8, 513, 4, 257}));
  // words_per_line 0 reads nothing at all.
  port.log.clear();
  rec.frame.words_per_line = 0;
  port.script = {ready_word(0x01, true, true)};
  getpp_hrpt_frame(session, words.data(), &rec);
  EXPECT_TRUE(port.log.empty());
  // A time-out in mid-frame gives 0 at once.
  rec.frame.words_per_line = 4;
  port.script = {ready_word(0x01, true, true), ready_word(0x02, true, false)};
  EXPECT_EQ(getpp_hrpt_frame(session, words.data(), &rec), 0);
}

TEST_F(Pp, FrameIdleEventsWhileHuntingForTheFrameStart) {
  port.log_reads = false;
  rec.fast_access = true;
  rec.frame.words_per_line = 1;
  // 2001 discarded words: one event run (after the 1001st); 2002: two.
  for (int discarded : {2001, 2002}) {
    gui.events = 0;
    port.script.assign(static_cast<size_t>(discarded), ready_word(0x10, true, false));
    port.script.push_back(ready_word(0x20, true, true));
    EXPECT_EQ(getpp_hrpt_frame(session, &w, &rec), 1);
    EXPECT_EQ(w, 0x80);
    EXPECT_EQ(gui.events, discarded - 2000);
  }
  // A decoder that never marks a frame: the Stop control (run from the
  // event processing) ends the hunt, and nothing counts as received.
  gui.events = 0;
  port.idle = ready_word(0x10, true, false);
  gui.on_events = [&](int n) {
    if (n == 3) rec.active = false;
  };
  EXPECT_EQ(getpp_hrpt_frame(session, &w, &rec), 0);
  EXPECT_EQ(gui.events, 3);
  EXPECT_EQ(port.reads, 2001 + 1 + 2002 + 1 + 3 * 1001);
}

TEST_F(Pp, InsyncNeedsConsecutiveWordsAndRestartsOnABreak) {
  port.log_reads = false;
  rec.fast_access = true;
  rec.frame.words_per_line = 11090;
  const uint16_t in = ready_word(0, true, false), out = ready_word(0, false, false);
  // 22 179 in sync, one out of sync, then 22 180 in sync: the break restarts
  // the count, so exactly all of these are consumed.
  port.script.assign(22179, in);
  port.script.push_back(out);
  port.script.insert(port.script.end(), 22180, in);
  port.script.push_back(out);
  EXPECT_EQ(pp_wait_for_insync(session, &rec, 2), 1);
  EXPECT_EQ(port.script.size(), 1u);
  EXPECT_EQ(gui.events, (22179 + 1 + 22180) / 102);  // events on every 102nd pass
  ASSERT_FALSE(port.log.empty());
  EXPECT_EQ(port.log.front(), (PortAccess{'p', kBase, 3}));
  // n = 0 is met after the first pass (one word).
  port.script.assign(5, out);
  EXPECT_EQ(pp_wait_for_insync(session, &rec, 0), 1);
  EXPECT_EQ(port.script.size(), 4u);
  // Time-outs leave the run as it is: 3 in sync, a silent spell, 1 in sync.
  rec.frame.words_per_line = 2;
  port.script.assign(3, in);
  port.script.insert(port.script.end(), 10002, 0xFFFF);
  port.script.push_back(in);
  EXPECT_EQ(pp_wait_for_insync(session, &rec, 2), 1);
  EXPECT_TRUE(port.script.empty());
}

TEST_F(Pp, OutsyncCountsClearSyncAndStopsWithActive) {
  port.log_reads = false;
  rec.fast_access = true;
  rec.frame.words_per_line = 364;
  const uint16_t in = ready_word(0, true, false), out = ready_word(0, false, false);
  port.script.assign(100, out);
  port.script.push_back(in);
  port.script.insert(port.script.end(), 3 * 364, out);
  EXPECT_EQ(pp_wait_for_outsync(session, &rec, 3), 1);
  EXPECT_TRUE(port.script.empty());
  EXPECT_EQ(gui.events, (101 + 3 * 364) / 1002);
  // Stopped from the event processing: 0.
  port.idle = in;
  gui.events = 0;
  gui.on_events = [&](int) { rec.active = 0; };
  EXPECT_EQ(pp_wait_for_outsync(session, &rec, 1), 0);
  EXPECT_EQ(gui.events, 1);
  EXPECT_EQ(pp_wait_for_insync(session, &rec, 1), 0);
  // No port access: 0 without touching the registers.
  rec.active = true;
  port.ioperm_result = -1;
  port.log.clear();
  EXPECT_EQ(pp_wait_for_insync(session, &rec, 1), 0);
  EXPECT_EQ(port.log, (std::vector<PortAccess>{{'p', kBase, 3}}));
}

TEST_F(Pp, SelectMaskSequenceAndRepeat) {
  const int sel1[6] = {1, 1, 0, 1, 0, 0};
  select_channel_pp(session, sel1, &rec, 0);
  const std::vector<PortAccess> once = {{'o', kBase, 0x52}, {'s', 0, 1}, {'o', kCtl, 0x09}, {'s', 0, 1},
                                        {'o', kCtl, 0x0D},  {'s', 0, 1}, {'o', kBase, 0xFF}};
  EXPECT_EQ(port.writes(), once);
  // Channels 1, 2 and 4 with the header words: 0x6A.
  port.log.clear();
  const int sel2[6] = {1, 1, 1, 0, 1, 0};
  select_channel_pp(session, sel2, &rec, 0);
  EXPECT_EQ(port.writes().front(), (PortAccess{'o', kBase, 0x6A}));
  // No list (HRI, raw) in generator mode, with the repeat after 1000 ms.
  port.log.clear();
  rec.gen_mode = 1;
  select_channel_pp(session, nullptr, &rec, 1);
  const std::vector<PortAccess> gen = {{'o', kBase, 0x00}, {'s', 0, 1}, {'o', kCtl, 0x01}, {'s', 0, 1},
                                       {'o', kCtl, 0x05},  {'s', 0, 1}, {'o', kBase, 0xFF}};
  std::vector<PortAccess> want = gen;
  want.push_back({'s', 0, 1000});
  want.insert(want.end(), gen.begin(), gen.end());
  EXPECT_EQ(port.writes(), want);
  // Every list element maps to its own data bit.
  const uint8_t bits[6] = {0x02, 0x40, 0x20, 0x10, 0x08, 0x04};
  for (int i = 0; i < 6; ++i) {
    int one[6] = {};
    one[i] = 1;
    EXPECT_EQ(chan_mask_byte(one), bits[i]) << i;
  }
  const int all[6] = {1, 1, 1, 1, 1, 1};
  EXPECT_EQ(chan_mask_byte(all), 0x7E);
}

TEST_F(Pp, SelectionLayerTransportsAndModeLine) {
  // Parallel port: open asks for the three registers.
  EXPECT_EQ(Open_HWConnect(session, &rec), 1);
  EXPECT_EQ(port.log.back(), (PortAccess{'p', kBase, 3}));
  port.ioperm_result = 1;
  EXPECT_EQ(Open_HWConnect(session, &rec), 0);
  EXPECT_EQ(hwconnect_error_text(&rec), "Can't access \nParallel port with address 378 !");
  port.ioperm_result = 0;
  // The mode line as last written: acknowledge values leave it high, the
  // generator values low.
  port.regs[kCtl] = 0x2E;
  EXPECT_EQ(get_hwselected(session, static_cast<int>(kBase), &rec), 0x08);
  port.regs[kCtl] = 0x26;
  EXPECT_EQ(get_hwselected(session, static_cast<int>(kBase), &rec), 0);
  EXPECT_EQ(port.log.back(), (PortAccess{'r', kCtl, 0x26}));
  port.regs[0x27A] = 0x5C;
  EXPECT_EQ(get_ppreg(session, 0x27A), 0x5C);
  EXPECT_EQ(port.log.back(), (PortAccess{'r', 0x27A, 0x5C}));

  // USB and Ethernet have no transport: nothing reaches the port.
  uint16_t words[4];
  for (const auto& [type, text] : {std::make_pair(int{kPortTypeUsb}, "Can't open USB port."),
                                   std::make_pair(int{kPortTypeEth}, "Can't open ethernet port.")}) {
    rec.port_type = type;
    port.log.clear();
    EXPECT_EQ(Open_HWConnect(session, &rec), 0);
    EXPECT_EQ(hwconnect_error_text(&rec), text);
    const int sel[6] = {1, 1, 1, 1, 1, 1};
    select_channel(session, sel, &rec, 1);
    rec.frame.words_per_line = 4;
    EXPECT_EQ(get_hrpt_frame(session, words, &rec), 0);
    EXPECT_EQ(wait_for_insync(session, &rec, 1), 0);
    EXPECT_TRUE(port.log.empty());
  }
  EXPECT_EQ(usb_list_ndevs(), 0);
  // The parallel port goes through to the protocol.
  rec.port_type = kPortTypePar;
  rec.fast_access = true;
  port.script = {ready_word(0xC0, true, true), ready_word(0x01, true, false, 1)};
  rec.frame.words_per_line = 2;
  EXPECT_EQ(get_hrpt_frame(session, words, &rec), 1);
  EXPECT_EQ(std::make_pair(words[0], words[1]), std::make_pair(uint16_t{0x300}, uint16_t{5}));
}

TEST(PpAddress, DeviceMatchingAndBackendNames) {
  // The kernel lists each port's base address in decimal, then its
  // extended registers.
  test::TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  for (const char* d : {"parport0", "parport1", "default"}) std::filesystem::create_directories(dir.file(d));
  dir.write("parport0/base-addr", "888\t1912\n");  // 0x378
  dir.write("parport1/base-addr", "632\t1656\n");  // 0x278
  EXPECT_EQ(ppdev_device_for(0x378, dir.path()), "/dev/parport0");
  EXPECT_EQ(ppdev_device_for(0x278, dir.path()), "/dev/parport1");
  EXPECT_EQ(ppdev_device_for(0x3BC, dir.path()), "");
  EXPECT_EQ(ppdev_device_for(0x378, dir.file("missing")), "");
  dir.write("parport0/base-addr", "garbage\n");
  EXPECT_EQ(ppdev_device_for(0x378, dir.path()), "");

  // Names are exact; an unknown one leaves the choice as it was.
  PortBackendKind kind = kBackendAuto;
  EXPECT_TRUE(port_backend_from_name("ppdev", &kind) && kind == kBackendPpdev);
  EXPECT_TRUE(port_backend_from_name("emulator", &kind) && kind == kBackendEmulator);
  EXPECT_FALSE(port_backend_from_name("Emulator", &kind));
  EXPECT_EQ(kind, kBackendEmulator);
}

TEST_F(Pp, TestSamplerSamplesAndTraces) {
  // 2 discarded, then count - 10 = 3 stored.
  port.script = {ready_word(1, false, true), 0xFFFF, ready_word(0xA5, true, true, 2), 0xC000 | 0x0F,
                 ready_word(0x80, false, false, 1)};
  std::vector<uint16_t> samples;
  ASSERT_EQ(read_parsigs(session, &rec, &samples, 13, 2), 1);
  ASSERT_EQ(samples.size(), 3u);
  // A ready sample gets both acknowledge writes, a not-ready one only the second.
  const std::vector<PortAccess> want = {{'o', kCtl, 0x2F}, {'o', kCtl, 0x2E}, {'o', kCtl, 0x2E},
                                        {'o', kCtl, 0x2F}, {'o', kCtl, 0x2E}, {'o', kCtl, 0x2E},
                                        {'o', kCtl, 0x2F}, {'o', kCtl, 0x2E}};
  EXPECT_EQ(port.writes(), want);

  const auto sigs = split_parsigs(samples, 1);
  ASSERT_EQ(sigs.size(), 13u);
  // Bit 7 and bit 0 of A5, 0F, 80, then the status lines by name.
  const struct {
    int i;
    const char* name;
    std::vector<uint8_t> data;
  } lines[] = {{0, "data", {0xFF, 0x00, 0xFF}},    {7, "data", {0xFF, 0xFF, 0x00}},
               {8, "Pin 12", {0xFF, 0x00, 0x00}},  {9, "Pin 13", {0x00, 0x00, 0xFF}},
               {10, "Readyn", {0x00, 0xFF, 0x00}}, {11, "Frame", {0xFF, 0x00, 0x00}},
               {12, "Sync", {0xFF, 0x00, 0x00}}};
  for (const auto& l : lines) {
    EXPECT_EQ(sigs[static_cast<size_t>(l.i)].name, l.name);
    EXPECT_EQ(sigs[static_cast<size_t>(l.i)].data, l.data) << l.i;
  }
  const auto whole = split_parsigs(samples, 0);
  ASSERT_EQ(whole.size(), 6u);
  EXPECT_EQ(whole[0].name, "Data");
  EXPECT_EQ(whole[0].data, (std::vector<uint8_t>{0xA5, 0x0F, 0x80}));
  port.ioperm_result = -1;
  EXPECT_EQ(read_parsigs(session, &rec, &samples, 100, 0), 0);
}

}  // namespace
}  // namespace kelo
