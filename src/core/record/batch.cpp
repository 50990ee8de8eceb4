#include "core/record/batch.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
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
#include "core/record/record_listener.h"

namespace kelo {

namespace {

constexpr const char* kAllChannels = "0123456789";  // 'a': '0' is channel 10

// What a batch run tells the station's operator: log lines, and errors on
// standard error as well. The record window's entries have no counterpart.
class BatchListener : public RecordListener {
 public:
  // `line_counts`: log every tenth line ("Line %d..."), as HRPT passes do.
  BatchListener(StationLog& log, bool line_counts) : log_(log), line_counts_(line_counts) {}
  void waiting_for_sync() override { log_message(log_, "Wait for in-sync."); }
  void waiting_for_outsync() override { log_message(log_, "Wait for out-sync."); }
  void file_started(const std::string& path) override {
    log_message(log_, "Start recording in %s.", path.c_str());
  }
  void kepler_status(const std::string& text) override { log_message(log_, "%s", text.c_str()); }
  void line_count(int lines) override {
    if (line_counts_) log_message(log_, "Line %d...", lines);
  }
  void encrypted(bool yes) override {
    if (yes) log_message(log_, "Encrypted.");
  }
  void error(const std::string& text) override {
    std::fprintf(stderr, "Error: %s\n", text.c_str());
    log_message(log_, "Error: %s", text.c_str());
  }
  void stop_requested(int signo) override { log_message(log_, "Stop requested (signal %d).", signo); }
  void pass_stopped(int frames) override { log_message(log_, "Stop recording after %d frames.", frames); }
  void file_kept(const std::string& path, int lines) override {
    log_message(log_, "Recording %s holds %d lines.", path.c_str(), lines);
  }
  void recording_ended(const std::string&) override { log_message(log_, "End recording."); }

 private:
  StationLog& log_;
  bool line_counts_;
};

// The seam of a batch run, laid over the session's: no windows, every
// message also into the log, and the event processing that the engines and
// the decoder's waits do is where a stop signal reaches the recording.
// The window-only calls (entries, canvas, progress, Escape, main loop) are
// the headless ones.
class BatchGui : public HeadlessGui {
 public:
  BatchGui(GuiSeam& inner, StationLog& station_log, RECORD_INFO* rec, RecordListener& listener)
      : inner_(inner), log_(station_log), rec_(rec), listener_(listener) {}
  void process_events() override {
    inner_.process_events();
    rec_poll_stop(rec_, listener_);
  }
  void message(const std::string& title, const std::string& text) override {
    inner_.message(title, text);
    log_message(log_, "%s: %s", title.c_str(), text.c_str());
  }
  int choice(const std::string& title, const std::vector<std::string>& labels,
             const std::string& text) override {
    return inner_.choice(title, labels, text);
  }
  void sleep_ms(int ms) override { inner_.sleep_ms(ms); }

 private:
  GuiSeam& inner_;
  StationLog& log_;
  RECORD_INFO* rec_;
  RecordListener& listener_;
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

// Why recordings cannot be made in `dir` ("" = the current directory), or
// "" when they can.
std::string unusable_dir(const std::string& dir) {
  const std::string path = dir.empty() ? std::string(".") : dir;
  struct stat st {};
  if (stat(path.c_str(), &st) != 0)
    return strformat("Working directory %s: %s.", path.c_str(), std::strerror(errno));
  if (!S_ISDIR(st.st_mode))
    return strformat("Working directory %s: %s.", path.c_str(), std::strerror(ENOTDIR));
  if (access(path.c_str(), W_OK | X_OK) != 0)
    return strformat("Working directory %s: %s.", path.c_str(), std::strerror(errno));
  return {};
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

int do_batch(StationSession& session, RECORD_INFO* rec, PIC_INFO* pic, VIEW_INFO* view) {
  StationLog& log = session.log();
  SatRequest req = split_request(rec->request);
  std::string chan = req.chan;
  if (chan.find('g') != std::string::npos) rec->gen_request = 1;
  if (chan.find('a') != std::string::npos) chan = kAllChannels;

  if (session.ports().ioperm(static_cast<unsigned long>(rec->port_address), kPortRegisters, 1) != 0) {
    BatchListener(log, false)
        .error(strformat("Can't access Parallel port with address 0x%x.", rec->port_address));
    return kBatchNotStarted;
  }

  const bool chrpt = req.sat.rfind("chrpt", 0) == 0;
  const bool hrpt = req.sat == "hrpt";
  // A request that names no satellite kind records nothing: a scheduler
  // must see that, not a run that ended quietly.
  if (req.sat != "hri" && req.sat != "hrpt" && req.sat != "chrpt") {
    BatchListener(log, false)
        .error("Unknown request '" + rec->request +
               "': use hrpt, chrpt or hri, with channels after ':' (e.g. hrpt:124).");
    return kBatchNotStarted;
  }
  if (rec->hw_dectype == 0) {
    rec->gen_mode = rec->gen_request;
  } else {
    // Decoder-type hardware: the mode line selects the firmware, as the
    // record windows set it (CHRPT and HRI firmware low, HRPT high).
    rec->gen_mode = (chrpt || req.sat == "hri") ? 1 : 0;
  }

  int list[kSelListLen] = {};
  batch_channels(chan.c_str(), chrpt, chrpt || hrpt, list, rec->chan_sel);
  bool any_channel = false;
  for (int n = 1; n < kSelListLen; ++n) any_channel = any_channel || list[n] != 0;
  if ((hrpt || chrpt) && !any_channel) {
    BatchListener(log, false).error("No channels selected.");
    return kBatchNotStarted;
  }

  // The recordings go into the working directory: one that is missing, is
  // no directory or cannot be written records nothing, so say so now.
  std::string unusable = unusable_dir(rec->rec_dir);
  if (!unusable.empty()) {
    BatchListener(log, false).error(unusable);
    return kBatchNotStarted;
  }

  BatchListener listener(log, req.sat != "hri");
  BatchGui seam(session.seam(), log, rec, listener);
  ScopedSeam batch_seam(session, seam);
  StopSignals signals;
  select_channel_pp(session, list, rec, 1);
  rec->active = 1;
  rec->save_rec = 1;

  int failed = 0;
  if (req.sat == "hri") {
    failed = Recordpp_Hri(session, listener, rec, pic, view);
  } else if (hrpt) {
    rec->file_type = kKindHRPT;
    rec->sat_kind = SatKind::NOAA;
    failed = Recordpp_Hrpt(session, listener, rec, pic, view);
  } else if (req.sat == "chrpt") {
    rec->file_type = kKindCHRPT;
    rec->sat_kind = SatKind::FengYun;
    failed = Recordpp_Hrpt(session, listener, rec, pic, view);
  }
  int sig = rec_stop_signal(true);
  if (sig != 0) log_message(log, "Recording stopped by signal %d.", sig);
  return failed != 0 ? kBatchFailed : kBatchOk;
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
