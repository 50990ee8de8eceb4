// The port in use and the choice of backend.
#include "core/record/port.h"

#include <dirent.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "core/record/emulator.h"

namespace kelo {

namespace {

PortBackend* g_installed = nullptr;    // installed by the caller (not owned)
std::unique_ptr<PortBackend> g_owned;  // installed with ownership
std::unique_ptr<PortBackend> g_real;   // the real port, made on first use
unsigned long g_real_base = 0;

PortBackend& current() {
  if (g_installed != nullptr) return *g_installed;
  if (g_owned) return *g_owned;
  if (!g_real) g_real = make_real_port(g_real_base);
  return *g_real;
}

struct BackendName {
  const char* name;
  PortBackendKind kind;
};
constexpr BackendName kBackendNames[] = {{"auto", kBackendAuto},
                                         {"ppdev", kBackendPpdev},
                                         {"direct", kBackendDirect},
                                         {"emulator", kBackendEmulator}};

}  // namespace

bool port_backend_from_name(const std::string& name, PortBackendKind* kind) {
  for (const auto& b : kBackendNames) {
    if (name == b.name) {
      *kind = b.kind;
      return true;
    }
  }
  return false;
}

const char* port_backend_name(PortBackendKind kind) {
  for (const auto& b : kBackendNames) {
    if (kind == b.kind) return b.name;
  }
  return "auto";
}

PortBackend& port() { return current(); }

void set_port(PortBackend* backend) {
  g_installed = backend;
  if (backend == nullptr) g_owned.reset();
}

void set_port_owned(std::unique_ptr<PortBackend> backend) {
  g_installed = nullptr;
  g_owned = std::move(backend);
}

int ioperm(unsigned long base, unsigned long num, int turn_on) {
  // The real port is chosen by the address asked for: the first permission
  // request decides which parallel-port device serves it.
  if (g_installed == nullptr && !g_owned && (!g_real || g_real_base != base)) {
    g_real_base = base;
    g_real = make_real_port(base);
  }
  return current().ioperm(base, num, turn_on);
}

uint16_t port_inw(unsigned addr) { return current().inw(addr); }
uint8_t port_inb(unsigned addr) { return current().inb(addr); }
void port_outb(uint8_t value, unsigned addr) { current().outb(value, addr); }

std::string ppdev_device_for(unsigned long base, const std::string& proc_dir) {
  DIR* dir = opendir(proc_dir.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (dirent* ent = readdir(dir)) {
    std::string entry = ent->d_name;
    if (entry.rfind("parport", 0) != 0) continue;
    std::ifstream in(proc_dir + "/" + entry + "/base-addr");
    if (!in) continue;
    // The file lists the port's base address first (decimal), then the
    // address of its extended registers.
    std::string line;
    std::getline(in, line);
    std::istringstream fields(line);
    long long addr = -1;
    if (!(fields >> addr)) continue;
    if (addr >= 0 && static_cast<unsigned long long>(addr) == base) {
      found = "/dev/" + entry;
      break;
    }
  }
  closedir(dir);
  return found;
}

std::unique_ptr<PortBackend> make_real_port(unsigned long base) {
  if (!ppdev_device_for(base, "/proc/sys/dev/parport").empty()) return make_ppdev_port();
  return make_direct_port();
}

namespace {
std::string g_installed_key;  // what install_port_backend last set up
int g_installed_result = 0;

std::string backend_key(const RECORD_INFO* r) {
  return std::to_string(static_cast<int>(r->port_backend)) + "|" + std::to_string(r->emu_pacing) + "|" +
         std::to_string(r->hw_dectype) + "|" + r->emu_source;
}

int install(const RECORD_INFO* record, std::string* error);
}  // namespace

int install_port_backend(const RECORD_INFO* record, std::string* error) {
  std::string dummy;
  g_installed_result = install(record, error != nullptr ? error : &dummy);
  g_installed_key = backend_key(record);
  return g_installed_result;
}

int ensure_port_backend(const RECORD_INFO* record, std::string* error) {
  if (g_installed != nullptr) return 0;
  if (backend_key(record) == g_installed_key) return g_installed_result;
  return install_port_backend(record, error);
}

int apply_decoder_choice(const std::string& choice, RECORD_INFO* record, std::string* error) {
  std::string name = choice;
  std::string source;
  const size_t colon = choice.find(':');
  if (colon != std::string::npos) {
    name = choice.substr(0, colon);
    source = choice.substr(colon + 1);
  }
  PortBackendKind kind = kBackendAuto;
  if (!port_backend_from_name(name, &kind) || (!source.empty() && kind != kBackendEmulator) ||
      (colon != std::string::npos && source.empty())) {
    if (error)
      *error = "Unknown decoder '" + choice + "' (auto, ppdev, direct, emulator or emulator:<source>).";
    return 1;
  }
  if (kind == kBackendEmulator && !source.empty()) {
    EmuConfig check;
    if (parse_emu_source(source, &check, error) != 0) return 1;
    record->emu_source = source;
  }
  record->port_backend = kind;
  return 0;
}

namespace {
int install(const RECORD_INFO* record, std::string* error) {
  switch (record->port_backend) {
    case kBackendAuto:
      set_port(nullptr);
      g_real.reset();
      return 0;
    case kBackendPpdev:
      set_port_owned(make_ppdev_port());
      return 0;
    case kBackendDirect:
      set_port_owned(make_direct_port());
      return 0;
    case kBackendEmulator: {
      EmuConfig cfg;
      cfg.hw_dectype = record->hw_dectype;
      std::string text = record->emu_source.empty() ? std::string("pattern") : record->emu_source;
      if (parse_emu_source(text, &cfg, error) != 0) return 1;
      if (record->emu_pacing) cfg.real_time = 1;
      auto emu = std::make_unique<DecoderEmulator>(cfg);
      if (emu->open(error) != 0) return 1;
      set_port_owned(std::move(emu));
      return 0;
    }
    default:
      *error = "Unknown decoder backend " + std::to_string(static_cast<int>(record->port_backend)) + ".";
      return 1;
  }
}
}  // namespace

}  // namespace kelo
