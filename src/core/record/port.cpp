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

PortBackend& PortSelection::port() {
  if (installed_ != nullptr) return *installed_;
  if (owned_) return *owned_;
  if (!real_) real_ = make_real_port(real_base_);
  return *real_;
}

void PortSelection::set_port(PortBackend* backend) {
  installed_ = backend;
  if (backend == nullptr) owned_.reset();
}

void PortSelection::set_port_owned(std::unique_ptr<PortBackend> backend) {
  installed_ = nullptr;
  owned_ = std::move(backend);
}

int PortSelection::ioperm(unsigned long base, unsigned long num, int turn_on) {
  // The real port is chosen by the address asked for: the first permission
  // request decides which parallel-port device serves it.
  if (installed_ == nullptr && !owned_ && (!real_ || real_base_ != base)) {
    real_base_ = base;
    real_ = make_real_port(base);
  }
  return port().ioperm(base, num, turn_on);
}

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
std::string backend_key(const RECORD_INFO* r) {
  return std::to_string(static_cast<int>(r->port_backend)) + "|" + std::to_string(r->emu_pacing) + "|" +
         std::to_string(r->hw_dectype) + "|" + r->emu_source;
}
}  // namespace

int install_port_backend(PortSelection& ports, const RECORD_INFO* record, std::string* error) {
  std::string dummy;
  ports.installed_result_ = ports.install(record, error != nullptr ? error : &dummy);
  ports.installed_key_ = backend_key(record);
  return ports.installed_result_;
}

int ensure_port_backend(PortSelection& ports, const RECORD_INFO* record, std::string* error) {
  if (ports.installed_ != nullptr) return 0;
  if (backend_key(record) == ports.installed_key_) return ports.installed_result_;
  return install_port_backend(ports, record, error);
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

int PortSelection::install(const RECORD_INFO* record, std::string* error) {
  switch (record->port_backend) {
    case kBackendAuto:
      set_port(nullptr);
      real_.reset();
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

}  // namespace kelo
