// The decoder's register protocol. Every loop here spins on the port without
// sleeping (the decoder sets the pace) and keeps the GUI alive by handling
// pending events itself, so that the Stop control, which clears `active`,
// is seen.
#include "core/record/pp_dec_interf.h"

#include <cstdio>

#include "core/record/port.h"
#include "core/record/station_session.h"

namespace kelo {

namespace {

// Puts the backend the record asks for in place before the port is used; a
// source that cannot be opened is reported once, in the station's words.
bool backend_ready(StationSession& session, const RECORD_INFO* record) {
  std::string error;
  if (ensure_port_backend(session.ports(), record, &error) == 0) {
    session.backend_error.clear();
    return true;
  }
  // A failure already installed says nothing new (error stays empty).
  if (!error.empty() && error != session.backend_error) {
    session.seam().message("Error", error);
    session.backend_error = error;
  }
  return false;
}

unsigned base_of(const RECORD_INFO* record) { return static_cast<unsigned>(record->port_address); }

void acknowledge(PortSelection& ports, const RECORD_INFO* record) {
  unsigned ctl = base_of(record) + kPortControl;
  ports.outb(record->gen_mode ? kAckFirstGen : kAckFirst, ctl);
  ports.outb(record->gen_mode ? kAckSecondGen : kAckSecond, ctl);
}

// Waits for sync (want_sync) or loss of sync: `target` consecutive words with
// bit 11 as wanted. Events are handled every `event_passes`-th pass.
int wait_for_sync_state(StationSession& session, RECORD_INFO* record, int n, bool want_sync,
                        int event_passes) {
  if (!backend_ready(session, record)) return 0;
  if (session.ports().ioperm(static_cast<unsigned long>(record->port_address), kPortRegisters, 1) != 0)
    return 0;
  // The run counter and the target compare unsigned: a negative n or width
  // makes the target huge rather than met at once.
  const unsigned target = static_cast<unsigned>(n) * static_cast<unsigned>(record->frame.words_per_line);
  unsigned run = 0;
  long pass = 0;
  while (record->active) {
    uint16_t word = 0;
    if (get_pp_data(session, record, &word)) {
      bool in_sync = (word & kStatSync) != 0;
      if (in_sync == want_sync)
        ++run;
      else
        run = 0;
    }
    if (++pass % event_passes == 0) {
      session.seam().process_events();
      if (!record->active) return 0;
    }
    if (run >= target) return 1;
  }
  return 0;
}

}  // namespace

uint8_t chan_mask_byte(const int* list) {
  uint8_t mask = 0;
  if (list == nullptr) return mask;
  for (int i = 0; i < kSelListLen; ++i) {
    if (list[i]) mask |= kChanMaskBit[i];
  }
  return mask;
}

int get_pp_data(StationSession& session, RECORD_INFO* record, uint16_t* word) {
  const unsigned base = base_of(record);
  uint16_t status = 0;
  for (int polls = 0; polls < kReadyPolls; ++polls) {
    status = session.ports().inw(base);
    if ((status & kStatReadyN) == 0) {
      // Without fast access the first read only saw readiness; the data
      // lines may still settle, so the word is taken from a second read.
      if (!record->fast_access) status = session.ports().inw(base);
      if (word) *word = status;
      acknowledge(session.ports(), record);
      return 1;
    }
  }
  // The decoder stayed silent: one more read, and nothing is acknowledged.
  status = session.ports().inw(base);
  if (word) *word = status;
  return 0;
}

int getpp_hrpt_frame(StationSession& session, uint16_t* words, RECORD_INFO* record) {
  if (words == nullptr) return 0;
  int remaining = record->frame.words_per_line;
  int stored = 0;
  bool started = false;
  int idle = 0;
  uint16_t status = 0;
  while (remaining > 0) {
    if (!get_pp_data(session, record, &status)) return 0;
    if (!started && (status & kStatFrameN) == 0) started = true;
    if (started) {
      words[stored++] = status_to_word10(status);
      --remaining;
      idle = 0;
    } else if (++idle > kIdleWordsEvents) {
      session.seam().process_events();
      idle = 0;
      // Stopped while still hunting for the frame start: nothing of this
      // frame was received, so it must not be reported (and written) as a
      // frame in or out of sync.
      if (!record->active) return 0;
    }
  }
  return (status & kStatSync) ? 1 : 2;
}

int pp_wait_for_insync(StationSession& session, RECORD_INFO* record, int n) {
  return wait_for_sync_state(session, record, n, true, kInsyncEventPasses);
}

int pp_wait_for_outsync(StationSession& session, RECORD_INFO* record, int n) {
  return wait_for_sync_state(session, record, n, false, kOutsyncEventPasses);
}

void select_channel_pp(StationSession& session, const int* list, RECORD_INFO* record, int repeat) {
  const unsigned base = base_of(record);
  const uint8_t mask = chan_mask_byte(list);
  for (int round = 0; round < (repeat ? 2 : 1); ++round) {
    if (round > 0) session.seam().sleep_ms(kReprogramWaitMs);  // the decoder reloads its firmware
    session.ports().outb(mask, base + kPortData);
    session.seam().sleep_ms(kSelectWaitMs);
    session.ports().outb(record->gen_mode ? kSelFirstGen : kSelFirst, base + kPortControl);
    session.seam().sleep_ms(kSelectWaitMs);
    session.ports().outb(record->gen_mode ? kSelLatchGen : kSelLatch, base + kPortControl);
    session.seam().sleep_ms(kSelectWaitMs);
    session.ports().outb(kDataIdle, base + kPortData);
  }
}

int get_ppreg(StationSession& session, int port_addr) {
  return session.ports().inb(static_cast<unsigned>(port_addr));
}

int read_parsigs(StationSession& session, RECORD_INFO* record, std::vector<uint16_t>* samples, int count,
                 int pre) {
  if (!backend_ready(session, record)) return 0;
  if (session.ports().ioperm(static_cast<unsigned long>(record->port_address), kPortRegisters, 1) != 0)
    return 0;
  const unsigned base = base_of(record);
  const unsigned ctl = base + kPortControl;
  auto sample = [&]() {
    uint16_t status = session.ports().inw(base);
    if ((status & kStatReadyN) == 0)
      session.ports().outb(record->gen_request ? kAckFirstGen : kAckFirst, ctl);
    session.ports().outb(record->gen_request ? kAckSecondGen : kAckSecond, ctl);
    return status;
  };
  for (int i = 0; i < pre; ++i) sample();
  samples->clear();
  const int keep = count > 10 ? count - 10 : 0;
  samples->reserve(static_cast<size_t>(keep));
  for (int i = 0; i < keep; ++i) samples->push_back(sample());
  return 1;
}

std::vector<ParSignal> split_parsigs(const std::vector<uint16_t>& samples, int bitsplit) {
  std::vector<ParSignal> out;
  auto bit_trace = [&](const char* name, auto pick) {
    ParSignal s;
    s.name = name;
    s.data.reserve(samples.size());
    for (uint16_t w : samples) s.data.push_back(pick(w) ? 0xFF : 0x00);
    out.push_back(std::move(s));
  };
  if (bitsplit) {
    for (int bit = 7; bit >= 0; --bit) bit_trace("data", [bit](uint16_t w) { return (w >> bit) & 1; });
  } else {
    ParSignal s;
    s.name = "Data";
    for (uint16_t w : samples) s.data.push_back(static_cast<uint8_t>(w & kStatDataMask));
    out.push_back(std::move(s));
  }
  bit_trace("Pin 12", [](uint16_t w) { return (w & kStatBit1) != 0; });
  bit_trace("Pin 13", [](uint16_t w) { return (w & kStatBit0) != 0; });
  bit_trace("Readyn", [](uint16_t w) { return (w & kStatReadyN) != 0; });
  bit_trace("Frame", [](uint16_t w) { return (w & kStatFrameN) == 0; });
  bit_trace("Sync", [](uint16_t w) { return (w & kStatSync) != 0; });
  return out;
}

// ---------------------------------------------------------------- selection layer

int Open_HWConnect(StationSession& session, RECORD_INFO* record) {
  if (record->port_type == kPortTypeUsb || record->port_type == kPortTypeEth) return 0;
  if (!backend_ready(session, record)) return 0;
  return session.ports().ioperm(static_cast<unsigned long>(record->port_address), kPortRegisters, 1) == 0 ? 1
                                                                                                          : 0;
}

void Close_HWConnect(StationSession&, RECORD_INFO*) {
  // The port stays accessible: the record windows read the mode line later.
}

int get_hrpt_frame(StationSession& session, uint16_t* words, RECORD_INFO* record) {
  if (record->port_type == kPortTypeUsb || record->port_type == kPortTypeEth) return 0;
  return getpp_hrpt_frame(session, words, record);
}

void select_channel(StationSession& session, const int* list, RECORD_INFO* record, int repeat) {
  if (record->port_type == kPortTypeEth || record->port_type == kPortTypeUsb) return;
  select_channel_pp(session, list, record, repeat);
}

int get_hwselected(StationSession& session, int base, RECORD_INFO*) {
  return get_ppreg(session, base + static_cast<int>(kPortControl)) & kCtlMode;
}

int wait_for_insync(StationSession& session, RECORD_INFO* record, int n) {
  if (record->port_type == kPortTypeUsb || record->port_type == kPortTypeEth) return 0;
  return pp_wait_for_insync(session, record, n);
}

int wait_for_outsync(StationSession& session, RECORD_INFO* record, int n) {
  if (record->port_type == kPortTypeUsb || record->port_type == kPortTypeEth) return 0;
  return pp_wait_for_outsync(session, record, n);
}

int usb_list_ndevs() { return 0; }

std::string hwconnect_error_text(const RECORD_INFO* record) {
  if (record->port_type == kPortTypeUsb) return "Can't open USB port.";
  if (record->port_type == kPortTypeEth) return "Can't open ethernet port.";
  char text[80];
  std::snprintf(text, sizeof text, "Can't access \nParallel port with address %x !",
                static_cast<unsigned>(record->port_address));
  return text;
}

}  // namespace kelo
