// The HRI recording engine: waits for the decoder to lock on the
// geostationary stream, recognises the picture format, the satellite and
// encryption, and stores every frame of a picture in a new HRI1 file while
// drawing it live. Runs under the record window or in batch mode; what it
// does is told to a RecordListener.
#pragma once

#include <cstdint>

#include "core/base/records.h"
#include "core/record/record_listener.h"
#include "core/record/station_session.h"

namespace kelo {

inline constexpr int kHriRecFrameBytes = 364;    // one HRI frame
inline constexpr int kHriRecPictureBytes = 360;  // picture bytes 4-363 of a frame
inline constexpr int kHriGeneratorFrames = 100;  // a batch generator test stops after these

// Collects one frame of rec->frame.words_per_line bytes (the data byte of
// each word): into `words` as 16-bit values and into `bytes`, each when
// given. 1 in sync, 2 out of sync, 0 time-out.
int getpp_hri_frame(StationSession& session, uint16_t* words, uint8_t* bytes, RECORD_INFO* rec);

// Format (4 or 8 frames per segment), encryption and satellite recognition
// from the first frames of segments. 1 when a format was recognised.
int catch_hri_start(StationSession& session, RecordListener& listener, PIC_INFO* pic, RECORD_INFO* rec);

// The recording loop: picture after picture while rec->active, reporting to
// `listener`. 1 when the decoder could not be used or a picture could not
// be recorded or kept (unattended, the loop then ends); 0 otherwise.
int Recordpp_Hri(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                 VIEW_INFO* view);

// One picture. The number of frames stored, or -1 when the file could not
// be created or written.
int Recordpp_one_Hri(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                     VIEW_INFO* view);

}  // namespace kelo
