// The HRPT/CHRPT recording engine: waits for the decoder to lock, records
// pass after pass into new HRPT1 files, names the satellite from the frames,
// loads the Kepler elements when asked, and rewrites each file's header with
// the lines it holds. Runs under the record window or, with no windows at
// all, in batch mode; what it does is told to a RecordListener.
#pragma once

#include <cstdint>
#include <string>

#include "core/base/records.h"
#include "core/record/record_listener.h"
#include "core/record/station_session.h"

namespace kelo {

inline constexpr int kRecWordsPerChan = 2048;  // AVHRR/MVISR samples per channel line
inline constexpr int kRecNameFrames = 5;       // equal ids before the satellite is named
inline constexpr int kRecShowEvery = 10;       // lines between progress reports

// Satellite recognition from word 6 of the frames of one pass: the id of the
// previous frame and how many frames in a row carried it.
class SatRecognizer {
 public:
  // A new pass: forget the frames seen.
  void restart() {
    last_id_ = 0;
    recognized_ = 0;
  }
  // 1 when `name` was set: on the fifth and sixth consecutive frames with
  // the same id, never again in the pass.
  int feed(const uint16_t* frame, std::string* name, FileKind file_type, SatKind sat_kind);

 private:
  int last_id_ = 0;
  int recognized_ = 0;
};

// Satellite recognition through `recognizer`. Without a frame (null) the
// recognition restarts and 0 is returned; otherwise SatRecognizer::feed.
int get_hrptsat_name(SatRecognizer& recognizer, const uint16_t* frame, std::string* name, FileKind file_type,
                     SatKind sat_kind);

// The recording loop: waits for sync and records pass after pass while
// rec->active, reporting to `listener`. 1 when the decoder could not be
// used, no channel was chosen or a pass could not be recorded or kept
// (unattended, the loop then ends); 0 otherwise.
int Recordpp_Hrpt(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                  VIEW_INFO* view);

// One pass, from the first frame after sync to the end of the pass. Returns
// the number of frames recorded, or -1 when the record file could not be
// created or written.
int Recordpp_one_Hrpt(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                      VIEW_INFO* view);

}  // namespace kelo
