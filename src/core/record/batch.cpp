#include "core/record/batch.h"

#include <csignal>
#include <cstring>
#include <string>
#include <vector>

#include "core/base/gui_seam.h"
#include "core/base/misc.h"
#include "core/record/hri_rec_pp.h"
#include "core/record/hrpt_rec_pp.h"
#include "core/record/port.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/rec_common.h"

namespace kelo {

namespace {

constexpr const char* kAllChannels = "0123456789";  // 'a': '0' is channel 10

// The seam of a batch run, laid over the seam in use: no windows, every
// message also into the log, and the event processing that the engines and
// the decoder's waits do is where a stop signal reaches the recording.
// The window-only calls (entries, canvas, progress, Escape, main loop) are
// the headless ones.
class BatchGui : public HeadlessGui {
 public:
  BatchGui(GuiSeam& inner, RECORD_INFO* rec) : inner_(inner), rec_(rec) {}
  void process_events() override {
    inner_.process_events();
    rec_poll_stop(rec_);
  }
  void message(const std::string& title, const std::string& text) override {
    inner_.message(title, text);
    log_message("%s: %s", title.c_str(), text.c_str());
  }
  int choice(const std::string& title, const std::vector<std::string>& labels,
             const std::string& text) override {
    return inner_.choice(title, labels, text);
  }
  void sleep_ms(int ms) override { inner_.sleep_ms(ms); }

 private:
  GuiSeam& inner_;
  RECORD_INFO* rec_;
};

// Installs the stop handlers for the run and restores the old ones after.
class StopSignals {
 public:
  StopSignals() {
    rec_stop_signal(true);
    struct sigaction sa {};
    sa.sa_handler = rec_request_stop;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGTERM, &sa, &old_term_);
    sigaction(SIGINT, &sa, &old_int_);
  }
  ~StopSignals() {
    sigaction(SIGTERM, &old_term_, nullptr);
    sigaction(SIGINT, &old_int_, nullptr);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  struct sigaction old_term_ {};
  struct sigaction old_int_ {};
};

// The channel number of a character: '1'-'9', '0' for 10; 0 otherwise.
int chan_of(char c) {
  if (c >= '1' && c <= '9') return c - '0';
  if (c == '0') return 10;
  return 0;
}

bool has_chan(const char* chan, int n) {
  for (const char* c = chan; *c != '\0'; ++c) {
    if (chan_of(*c) == n) return true;
  }
  return false;
}

}  // namespace

void batch_channels(const char* chan, bool pairs, bool any_sat, int* list, int* chan_sel) {
  list[0] = 1;
  chan_sel[0] = 1;
  for (int n = 1; n < kSelListLen; ++n) {
    list[n] = 0;
    if (!any_sat) continue;
    if (pairs) {
      if (has_chan(chan, 2 * n - 1) || has_chan(chan, 2 * n)) {
        list[n] = 1;
        chan_sel[2 * n - 1] = 1;
        chan_sel[2 * n] = 1;
      }
    } else if (has_chan(chan, n)) {
      list[n] = 1;
      chan_sel[n] = 1;
    }
  }
}

int do_batch(RECORD_INFO* rec, PIC_INFO* pic, VIEW_INFO* view) {
  SatRequest req = split_request(rec->request);
  std::string chan = req.chan;
  if (chan.find('g') != std::string::npos) rec->gen_request = 1;
  if (chan.find('a') != std::string::npos) chan = kAllChannels;

  if (ioperm(static_cast<unsigned long>(rec->port_address), kPortRegisters, 1) != 0) {
    log_message("Error: Can't access Parallel port with address 0x%x.", rec->port_address);
    return 1;
  }

  const bool chrpt = req.sat.rfind("chrpt", 0) == 0;
  const bool hrpt = req.sat == "hrpt";
  if (rec->hw_dectype == 0) {
    rec->gen_mode = rec->gen_request;
  } else {
    // Decoder-type hardware: the mode line selects the firmware, as the
    // record windows set it (CHRPT and HRI firmware low, HRPT high).
    rec->gen_mode = (chrpt || req.sat == "hri") ? 1 : 0;
  }

  int list[kSelListLen] = {};
  batch_channels(chan.c_str(), chrpt, chrpt || hrpt, list, rec->chan_sel);

  GuiSeam& outer = gui();
  BatchGui seam(outer, rec);
  set_gui(&seam);
  StopSignals signals;
  select_channel_pp(list, rec, 1);
  rec->active = true;
  rec->save_rec = true;

  if (req.sat == "hri") {
    Recordpp_Hri(nullptr, nullptr, rec, pic, view);
  } else if (hrpt) {
    rec->file_type = kKindHRPT;
    rec->sat_kind = SatKind::NOAA;
    Recordpp_Hrpt(nullptr, nullptr, rec, pic, view);
  } else if (req.sat == "chrpt") {
    rec->file_type = kKindCHRPT;
    rec->sat_kind = SatKind::FengYun;
    Recordpp_Hrpt(nullptr, nullptr, rec, pic, view);
  }
  int sig = rec_stop_signal(true);
  if (sig != 0) log_message("Recording stopped by signal %d.", sig);
  set_gui(&outer == &headless_gui() ? nullptr : &outer);
  return 0;
}

SatRequest split_request(const std::string& request) {
  SatRequest r;
  size_t colon = request.find(':');
  if (colon == std::string::npos) {
    r.sat = request;
  } else {
    r.sat = request.substr(0, colon);
    r.chan = request.substr(colon + 1);
    r.has_colon = true;
  }
  return r;
}

}  // namespace kelo
