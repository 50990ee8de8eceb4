// A port that plays a script of status words and records every register
// access, and a GUI seam that records waits and event runs instead of
// sleeping, for the decoder protocol tests.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/gui_seam.h"
#include "record/port.h"

namespace kelo::test {

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
  // Only the writes (and sleeps/events), in order.
  std::vector<PortAccess> writes() const {
    std::vector<PortAccess> out;
    for (const auto& a : log) {
      if (a.op == 'o' || a.op == 's') out.push_back(a);
    }
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
// visible) and event runs; a hook can act on the n-th event run.
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
  }
  ScriptedPort* port;
  int events = 0;
  std::vector<int> sleeps;
  std::vector<std::string> messages;
  std::function<void(int)> on_events;
};

// Installs a port and a GUI for one test and restores the defaults after.
class ScopedPortAndGui {
 public:
  ScopedPortAndGui(PortBackend* p, GuiSeam* g) {
    set_port(p);
    set_gui(g);
  }
  ~ScopedPortAndGui() {
    set_port(nullptr);
    set_gui(nullptr);
  }
};

// Status words as the decoder presents them.
inline uint16_t ready_word(uint8_t data, bool sync, bool frame_start, int low2 = 0) {
  uint16_t w = data;
  if (sync) w |= 1u << 11;
  if (low2 & 1) w |= 1u << 12;
  if (low2 & 2) w |= 1u << 13;
  if (!frame_start) w |= 1u << 15;
  return w;  // bit 14 clear: ready
}

}  // namespace kelo::test
