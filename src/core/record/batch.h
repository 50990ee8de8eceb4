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

// The session's port backend (real port or emulator) must be installed
// before; its log receives the run's lines and its seam is wrapped for the
// run. 1, with an "Error: ..." line on standard error and in the log, when
// nothing can be recorded: the port cannot be used, the request names no
// satellite kind (hrpt, chrpt, hri), or it selects no channel; otherwise 0
// once the recording has ended. SIGTERM and SIGINT end the pass in progress
// as Stop would: its file keeps its frames and its header carries their
// count.
int do_batch(StationSession& session, RECORD_INFO* rec, PIC_INFO* pic, VIEW_INFO* view);

// The six-element decoder selection and the recorded channels of a request's
// channel string: `pairs` for CHRPT (channel n belongs to group (n+1)/2),
// otherwise one channel per group. Fills list[0..5] and chan_sel[0..10]
// (entries not named keep their values).
void batch_channels(const char* chan, bool pairs, bool any_sat, int* list, int* chan_sel);

}  // namespace kelo
