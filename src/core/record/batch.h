// Unattended recording from the command line ("-batch", "-cbatch"): turns
// the "<sat:chan>" request into the decoder selection and runs the HRPT,
// CHRPT or HRI engine with no windows. Progress goes through the log.
#pragma once

#include <string>

#include "core/base/records.h"
#include "core/record/station_session.h"

namespace kelo {

// The parts of a "<sat:chan>" request: text before the first ':' and the
// channel string after it ("" when there is no ':').
struct SatRequest {
  std::string sat;
  std::string chan;
  bool has_colon = false;
};
SatRequest split_request(const std::string& request);

// The exit status of a batch run, for the station's scheduler.
inline constexpr int kBatchOk = 0;          // recorded (or stopped by a signal with its file kept)
inline constexpr int kBatchNotStarted = 1;  // nothing could be recorded
inline constexpr int kBatchFailed = 2;      // a pass could not be written or its file was moved

// The session's port backend (real port or emulator) must be installed
// before; its log receives the run's lines and its seam is wrapped for the
// run. Every failure puts one "Error: ..." line on standard error and in
// the log. kBatchNotStarted when nothing can be recorded: the port cannot
// be used, the request names no satellite kind (hrpt, chrpt, hri), it
// selects no channel, or the working directory is missing, no directory or
// not writable. kBatchFailed when a pass could not be recorded or kept: a
// write error (full disk, file-size limit) or the recording's path no
// longer naming its file at the end of the pass. Otherwise kBatchOk once
// the recording has ended. SIGTERM and SIGINT end the pass in progress as
// Stop would: its file keeps its frames and its header carries their count.
int do_batch(StationSession& session, RECORD_INFO* rec, PIC_INFO* pic, VIEW_INFO* view);

// The six-element decoder selection and the recorded channels of a request's
// channel string: `pairs` for CHRPT (channel n belongs to group (n+1)/2),
// otherwise one channel per group. Fills list[0..5] and chan_sel[0..10]
// (entries not named keep their values).
void batch_channels(const char* chan, bool pairs, bool any_sat, int* list, int* chan_sel);

}  // namespace kelo
