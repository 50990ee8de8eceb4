// The one way the station reaches the decoder's parallel port: a permission
// request for the three registers, a 16-bit read at the base (data register in
// the low byte, status register in the high byte) and 8-bit reads and writes.
//
// Three backends stand behind it: the Linux parallel-port device (ppdev: no
// root needed, only access to /dev/parportN), direct x86 port instructions
// (needs root), and the decoder emulator (emulator.h). The protocol code in
// pp_dec_interf.cpp only ever talks to the session's PortSelection.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/base/records.h"

namespace kelo {

// Register offsets from the port base.
inline constexpr unsigned kPortData = 0;     // data register (payload byte, channel mask)
inline constexpr unsigned kPortStatus = 1;   // status register (sync, ready, frame start)
inline constexpr unsigned kPortControl = 2;  // control register (acknowledge, latch, mode)
inline constexpr unsigned kPortRegisters = 3;

// Which backend reaches the port (PortBackendKind, records.h). Stored in
// RECORD_INFO `port_backend` and the preference "Decoder_backend".
inline constexpr PortBackendKind kBackendAuto = PortBackendKind::Auto;
inline constexpr PortBackendKind kBackendPpdev = PortBackendKind::Ppdev;
inline constexpr PortBackendKind kBackendDirect = PortBackendKind::Direct;
inline constexpr PortBackendKind kBackendEmulator = PortBackendKind::Emulator;

// Preference / command-line names of the backends: "auto", "ppdev",
// "direct", "emulator". False for an unknown name (`kind` is left alone).
[[nodiscard]] bool port_backend_from_name(const std::string& name, PortBackendKind* kind);
const char* port_backend_name(PortBackendKind kind);

class PortBackend {
 public:
  virtual ~PortBackend() = default;
  // Name for messages ("ppdev", "direct", "emulator", ...).
  virtual const char* name() const = 0;
  // Access to `num` registers from `base`; 0 = granted (turn_on 0 releases).
  virtual int ioperm(unsigned long base, unsigned long num, int turn_on) = 0;
  // One 16-bit input at `addr`: register addr in bits 0-7, addr+1 in 8-15.
  virtual uint16_t inw(unsigned addr) = 0;
  virtual uint8_t inb(unsigned addr) = 0;
  virtual void outb(uint8_t value, unsigned addr) = 0;
};

// Which backend reaches the port for one station session, and the real port
// once it has been asked for. Until a backend is installed it is the real
// port: ppdev when a parallel-port device with the requested address exists,
// else direct.
class PortSelection {
 public:
  // The backend in use.
  PortBackend& port();
  // Install a backend (the caller keeps ownership); null restores the real port.
  void set_port(PortBackend* backend);
  // Install an owned backend (replaces any installed one).
  void set_port_owned(std::unique_ptr<PortBackend> backend);

  // The register operations of the protocol, routed to port(). The first
  // permission request decides which device serves the real port.
  int ioperm(unsigned long base, unsigned long num, int turn_on);
  uint16_t inw(unsigned addr) { return port().inw(addr); }
  uint8_t inb(unsigned addr) { return port().inb(addr); }
  void outb(uint8_t value, unsigned addr) { port().outb(value, addr); }

 private:
  friend int install_port_backend(PortSelection& ports, const RECORD_INFO* record, std::string* error);
  friend int ensure_port_backend(PortSelection& ports, const RECORD_INFO* record, std::string* error);
  int install(const RECORD_INFO* record, std::string* error);

  PortBackend* installed_ = nullptr;    // installed by the caller (not owned)
  std::unique_ptr<PortBackend> owned_;  // installed with ownership
  std::unique_ptr<PortBackend> real_;   // the real port, made on first use
  unsigned long real_base_ = 0;
  std::string installed_key_;  // what install_port_backend last set up
  int installed_result_ = 0;
};

// Backend factories.
std::unique_ptr<PortBackend> make_ppdev_port();
std::unique_ptr<PortBackend> make_direct_port();
// The real port for this machine: ppdev when /proc/sys/dev/parport lists a
// port with the base address, else direct.
std::unique_ptr<PortBackend> make_real_port(unsigned long base);

// Finds the ppdev device whose base address is `base` by reading
// <proc_dir>/<name>/base-addr for each port directory; "/dev/<name>" or ""
// when none matches. proc_dir is normally "/proc/sys/dev/parport".
std::string ppdev_device_for(unsigned long base, const std::string& proc_dir);

// Installs the backend the record asks for (`port_backend`, and for the
// emulator `emu_source` and `emu_pacing`). 0 on success; otherwise 1 and
// `error` says why (the previous backend stays installed).
[[nodiscard]] int install_port_backend(PortSelection& ports, const RECORD_INFO* record, std::string* error);
// The same, done only when the record asks for something other than what
// was last installed, and never over a backend installed with set_port()
// (tests, tools). The selection layer calls it before it uses the port, so
// the preferences and the command line take effect without more wiring.
[[nodiscard]] int ensure_port_backend(PortSelection& ports, const RECORD_INFO* record, std::string* error);

// "-decoder" values: "auto", "ppdev", "direct", "emulator" or
// "emulator:<source>" (emulator.h describes the source). Sets
// `port_backend` and `emu_source` of the record; 0, or 1 with a message.
[[nodiscard]] int apply_decoder_choice(const std::string& choice, RECORD_INFO* record, std::string* error);

}  // namespace kelo
