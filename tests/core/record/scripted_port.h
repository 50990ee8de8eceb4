// A port that plays a script of status words and records every register
// access, a GUI seam that records waits and event runs instead of sleeping,
// and a session with a decoder emulator as its port, for the decoder and
// recording tests.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/base/gui_seam.h"
#include "core/record/emulator.h"
#include "core/record/port.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/station_session.h"

namespace kelo::test {

constexpr unsigned kBase = 0x378;
constexpr unsigned kCtl = kBase + 2;

struct PortAccess {
  char op;         // 'p' ioperm, 'w' 16-bit read, 'r' 8-bit read, 'o' 8-bit write, 's' sleep_ms, 'e' events
  unsigned addr;   // register address (sleep: 0)
  unsigned value;  // value read or written, ioperm count, sleep milliseconds
  bool operator==(const PortAccess& o) const { return op == o.op && addr == o.addr && value == o.value; }
};

class ScriptedPort : public PortBackend {
 public:
  const char* name() const override { return "scripted"; }
  int ioperm(unsigned long base, unsigned long num, int) override {
    log.push_back({'p', static_cast<unsigned>(base), static_cast<unsigned>(num)});
    return ioperm_result;
  }
  uint16_t inw(unsigned addr) override {
    uint16_t v = idle;
    if (!script.empty()) {
      v = script.front();
      script.pop_front();
    }
    ++reads;
    if (log_reads) log.push_back({'w', addr, v});
    return v;
  }
  uint8_t inb(unsigned addr) override {
    uint8_t v = regs.count(addr) ? regs[addr] : 0;
    log.push_back({'r', addr, v});
    return v;
  }
  void outb(uint8_t value, unsigned addr) override {
    regs[addr] = value;
    log.push_back({'o', addr, value});
  }
  // Only the writes (and sleeps), in order.
  std::vector<PortAccess> writes() const {
    std::vector<PortAccess> out;
    for (const auto& a : log)
      if (a.op == 'o' || a.op == 's') out.push_back(a);
    return out;
  }

  std::deque<uint16_t> script;  // status words returned by successive 16-bit reads
  uint16_t idle = 0xFFFF;       // returned once the script is used up: nothing ready
  int ioperm_result = 0;
  bool log_reads = true;
  long reads = 0;
  std::map<unsigned, uint8_t> regs;
  std::vector<PortAccess> log;
};

// Records sleeps (into the port's log, so their order against the writes is
// visible; and onto a fake clock in microseconds) and event runs; a hook can
// act on the n-th event run.
class RecordingGui : public HeadlessGui {
 public:
  explicit RecordingGui(ScriptedPort* p = nullptr) : port(p) {}
  void process_events() override {
    ++events;
    if (on_events) on_events(events);
  }
  void message(const std::string& title, const std::string& text) override {
    messages.push_back(title + ": " + text);
  }
  void sleep_ms(int ms) override {
    sleeps.push_back(ms);
    if (port != nullptr) port->log.push_back({'s', 0, static_cast<unsigned>(ms)});
    if (clock != nullptr) *clock += static_cast<int64_t>(ms) * 1000;
  }
  ScriptedPort* port;
  int64_t* clock = nullptr;
  int events = 0;
  std::vector<int> sleeps;
  std::vector<std::string> messages;
  std::function<void(int)> on_events;
};

// A station session on a given port and seam, for one test.
struct PortSession {
  PortSession(PortBackend* p, GuiSeam* g) : session(*g) { session.ports().set_port(p); }
  StationSession session;
};

inline RECORD_INFO make_record(int fast = 1, int words_per_line = 0) {
  RECORD_INFO r;
  r.port_address = static_cast<int>(kBase);
  r.active = true;
  r.fast_access = fast;
  r.frame.words_per_line = words_per_line;
  return r;
}

// Status words as the decoder presents them.
inline uint16_t ready_word(uint8_t data, bool sync, bool frame_start, int low2 = 0) {
  uint16_t w = data;
  if (sync) w |= 1u << 11;
  if (low2 & 1) w |= 1u << 12;
  if (low2 & 2) w |= 1u << 13;
  if (!frame_start) w |= 1u << 15;
  return w;  // bit 14 clear: ready
}

// The first n frames of a source, straight from the source.
inline std::vector<std::vector<uint16_t>> source_frames(const EmuConfig& cfg, int n) {
  std::string err;
  auto src = make_emu_source(cfg, &err);
  std::vector<std::vector<uint16_t>> out;
  EmuFrame f;
  for (int i = 0; i < n && src && src->next(&f); ++i) out.push_back(f.words);
  return out;
}
inline EmuConfig noaa_config() {
  EmuConfig cfg;
  cfg.source = kEmuNoaa;
  return cfg;
}

// An opened emulator installed as the port of a session with a recording GUI.
struct EmuBench {
  explicit EmuBench(const EmuConfig& c) : cfg(c), emu(c) {
    std::string err;
    EXPECT_EQ(emu.open(&err), 0) << err;
    session.ports().set_port(&emu);
  }
  // From a source description; reload 0: the test's sleeps do not wait
  // (-1 keeps the description's reload time).
  explicit EmuBench(const std::string& text, int reload_ms = 0) : EmuBench(parsed(text, reload_ms)) {}
  static EmuConfig parsed(const std::string& text, int reload_ms) {
    EmuConfig c;
    std::string err;
    EXPECT_EQ(parse_emu_source(text, &c, &err), 0) << err;
    if (reload_ms >= 0) c.reload_ms = reload_ms;
    return c;
  }
  // The next frame of n words through the selection layer.
  int frame(int n, std::vector<uint16_t>* words) {
    RECORD_INFO rec = make_record(1, n);
    words->assign(static_cast<size_t>(n + 4), 0);
    int s = get_hrpt_frame(session, words->data(), &rec);
    words->resize(static_cast<size_t>(n));
    return s;
  }
  EmuConfig cfg;
  DecoderEmulator emu;
  RecordingGui gui;
  StationSession session{gui};
};

}  // namespace kelo::test
