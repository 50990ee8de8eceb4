// Raw recording: whatever the decoder delivers, without waiting for sync or
// a frame marker, as a plain byte file in blocks of 2048 bytes, shown live as
// a grey picture 2048 bytes wide. For looking at unfamiliar or disturbed
// streams.
#pragma once

#include <cstdint>

#include "core/base/records.h"
#include "core/record/record_listener.h"
#include "core/record/station_session.h"

namespace kelo {

inline constexpr int kRawBlockBytes = 2048;  // one collected frame of a raw dump

// Receives rec->frame.words_per_line words, keeping the data byte of each as
// a 16-bit value. 1 in sync, 2 out of sync (bit 11 of the last word), 0
// time-out (the buffer is then only partly refreshed).
int getpp_rawd_frame(StationSession& session, uint16_t* words, RECORD_INFO* rec);

// The raw dump has no header: writes nothing, returns 1.
int write_rawd_hdr();
// Writes the low byte of each of the 2048 words: 1, or 0 when the file is
// not open or the write failed.
[[nodiscard]] int write_rawd_line(RECORD_INFO* rec, const uint16_t* words);
// words_per_line 2048, words_padded 0, line_bytes 2048, no header or tail
// words, one channel.
void calc_rawdframeinfo(FRAME_GEOM* geom);

// The recording loop: one file per Start/Stop.
void Recordpp_Rawd(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                   VIEW_INFO* view);
// One run until Stop. The number of blocks written, or -1 when the file
// could not be created or written.
int Recordpp_one_Rawd(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                      VIEW_INFO* view);

}  // namespace kelo
