// The decoder's register protocol on the parallel port, and the selection
// layer the recording engines call (so that other transports can slot in).
//
// Every read of the decoder is one 16-bit input at the port base: the data
// byte in bits 0-7 and the status register in bits 8-15.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/base/records.h"

namespace kelo {

class StationSession;

// ---------------------------------------------------------------- status word
inline constexpr uint16_t kStatDataMask = 0x00FF;  // payload byte (data lines 0-7)
inline constexpr uint16_t kStatSync = 1u << 11;    // status 3, pin 15: decoder in frame sync
inline constexpr uint16_t kStatBit0 = 1u << 12;    // status 4, pin 13: payload bit 0
inline constexpr uint16_t kStatBit1 = 1u << 13;    // status 5, pin 12: payload bit 1
inline constexpr uint16_t kStatReadyN = 1u << 14;  // status 6, pin 10: 0 = a word is waiting
inline constexpr uint16_t kStatFrameN = 1u << 15;  // status 7, pin 11: 0 = first word of a frame

// ---------------------------------------------------------------- control register
// Bit 0 strobe, bit 1 auto-feed, bit 2 init, bit 3 select-in (the mode line),
// bit 5 data direction (1 = data lines are inputs).
inline constexpr uint8_t kCtlStrobe = 0x01;
inline constexpr uint8_t kCtlInit = 0x04;
inline constexpr uint8_t kCtlMode = 0x08;  // 1 normal; 0 generator / CHRPT firmware
inline constexpr uint8_t kCtlDirIn = 0x20;
inline constexpr uint8_t kAckFirst = 0x2F;     // acknowledge: strobe up, inputs, normal mode
inline constexpr uint8_t kAckSecond = 0x2E;    // acknowledge: strobe down
inline constexpr uint8_t kAckFirstGen = 0x27;  // the same with the mode line low
inline constexpr uint8_t kAckSecondGen = 0x26;
inline constexpr uint8_t kSelFirst = 0x09;  // selection: outputs, init low, normal mode
inline constexpr uint8_t kSelLatch = 0x0D;  // selection: init rises, the mask is latched
inline constexpr uint8_t kSelFirstGen = 0x01;
inline constexpr uint8_t kSelLatchGen = 0x05;
inline constexpr uint8_t kDataIdle = 0xFF;  // data lines after a selection

// ---------------------------------------------------------------- channel mask
// Element i of a six-element selection list (0 = header and tail words,
// 1-5 = channel groups) sets bit kChanMaskBit[i] of the mask byte.
inline constexpr uint8_t kChanMaskBit[6] = {0x02, 0x40, 0x20, 0x10, 0x08, 0x04};
inline constexpr int kSelListLen = 6;

// ---------------------------------------------------------------- loop limits
inline constexpr int kReadyPolls = 10001;      // examined reads before a word times out
inline constexpr int kIdleWordsEvents = 1000;  // discarded words between event runs (every 1001st)
inline constexpr int kInsyncEventPasses = 102;
inline constexpr int kOutsyncEventPasses = 1002;
inline constexpr int kSelectWaitMs = 1;        // between the selection writes
inline constexpr int kReprogramWaitMs = 1000;  // decoder reload before the repeated selection

// Port transports of RECORD_INFO `port_type`.
inline constexpr int kPortTypePar = 0;
inline constexpr int kPortTypeEth = 1;
inline constexpr int kPortTypeUsb = 2;

// The mask byte of a selection list (null = 0x00, what HRI and raw send).
uint8_t chan_mask_byte(const int* list);

// The 10-bit word of a status word: data byte << 2 | bit 13 << 1 | bit 12.
inline uint16_t status_to_word10(uint16_t status) {
  return static_cast<uint16_t>(((status & kStatDataMask) << 2) | ((status & kStatBit1) ? 2 : 0) |
                               ((status & kStatBit0) ? 1 : 0));
}

// ---------------------------------------------------------------- parallel-port layer
// Every function that reaches the decoder takes the station session: its
// port selection carries the registers, its seam the event handling and waits.
// Receives one status word; 1 = received and acknowledged, 0 = time-out
// (nothing acknowledged). The caller has obtained port access.
int get_pp_data(StationSession& session, RECORD_INFO* record, uint16_t* word);
// Collects one frame of record->frame.words_per_line 10-bit words: 1 in sync,
// 2 out of sync (bit 11 of the last status word), 0 time-out.
int getpp_hrpt_frame(StationSession& session, uint16_t* words, RECORD_INFO* record);
// Wait for n * words_per_line consecutive in-sync (out-of-sync) words:
// 1 when met, 0 when recording stopped or there is no port access.
int pp_wait_for_insync(StationSession& session, RECORD_INFO* record, int n);
int pp_wait_for_outsync(StationSession& session, RECORD_INFO* record, int n);
// Sends a channel/mode selection (list of six ints or null); with `repeat`
// the whole sequence is sent again after the decoder's reload time.
void select_channel_pp(StationSession& session, const int* list, RECORD_INFO* record, int repeat);
// One byte from any port address.
int get_ppreg(StationSession& session, int port_addr);

// The port test window's sampler: discards `pre` samples, then stores
// count - 10 status words (count at least 10), acknowledging each ready word
// with the pattern of the test window. 0 without port access, else 1.
int read_parsigs(StationSession& session, RECORD_INFO* record, std::vector<uint16_t>* samples, int count,
                 int pre);
// One plotted signal of the port test window.
struct ParSignal {
  std::string name;
  std::vector<uint8_t> data;  // 0x00/0xFF per sample, or the data byte itself
};
// Splits sampled status words into the test window's traces, in order: the
// data byte ("Data") or eight bit traces "data" (bit 7 first), then
// "Pin 12" (bit 13), "Pin 13" (bit 12), "Readyn" (bit 14), "Frame" (inverse
// of bit 15), "Sync" (bit 11).
std::vector<ParSignal> split_parsigs(const std::vector<uint16_t>& samples, int bitsplit);

// ---------------------------------------------------------------- selection layer
// 1 when the decoder's port can be used (ioperm on port_address), else 0.
// USB and Ethernet have no transport here and always give 0.
[[nodiscard]] int Open_HWConnect(StationSession& session, RECORD_INFO* record);
void Close_HWConnect(StationSession& session, RECORD_INFO* record);
int get_hrpt_frame(StationSession& session, uint16_t* words, RECORD_INFO* record);
void select_channel(StationSession& session, const int* list, RECORD_INFO* record, int repeat);
// The mode line as last written: control register at base+2 & 0x08
// (non-zero = normal mode).
int get_hwselected(StationSession& session, int base, RECORD_INFO* record);
int wait_for_insync(StationSession& session, RECORD_INFO* record, int n);
int wait_for_outsync(StationSession& session, RECORD_INFO* record, int n);
// USB decoders found; there is no USB transport, so always 0.
int usb_list_ndevs();
// The message a recording shows when the connection cannot be opened:
// "Can't open USB port.", "Can't open ethernet port." or
// "Can't access \nParallel port with address %x !".
std::string hwconnect_error_text(const RECORD_INFO* record);

}  // namespace kelo
