// The HRPT/CHRPT recording engine: waits for the decoder to lock, records
// pass after pass into new HRPT1 files, names the satellite from the frames,
// loads the Kepler elements when asked, and rewrites each file's header with
// the lines it holds. Runs under the record window or, with no windows at
// all, in batch mode.
#pragma once

#include <cstdint>
#include <string>

#include "core/base/gui_seam.h"
#include "core/base/records.h"

namespace kelo {

inline constexpr const char* kRecHrptTitle = "Record HRPT";
inline constexpr int kRecWordsPerChan = 2048;  // AVHRR/MVISR samples per channel line
inline constexpr int kRecNameFrames = 5;       // equal ids before the satellite is named
inline constexpr int kRecShowEvery = 10;       // lines between progress reports

// Satellite recognition from word 6 of a frame. Without a frame (null) the
// recognition restarts and 0 is returned. 1 when `name` was set: on the
// fifth and sixth consecutive frames with the same id, never again in the
// pass.
int get_hrptsat_name(const uint16_t* frame, std::string* name, FileKind file_type, SatKind sat_kind);

// The recording loop; both windows are null in batch mode.
void Recordpp_Hrpt(WindowHandle rec_wnd, WindowHandle main_wnd, RECORD_INFO* rec, PIC_INFO* pic,
                   VIEW_INFO* view);

// One pass, from the first frame after sync to the end of the pass. Returns
// the number of frames recorded, or -1 when the record file could not be
// created or written.
int Recordpp_one_Hrpt(WindowHandle rec_wnd, WindowHandle main_wnd, RECORD_INFO* rec, PIC_INFO* pic,
                      VIEW_INFO* view);

}  // namespace kelo
