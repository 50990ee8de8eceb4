// Channel choice of the open picture and the file-information text.
//
// Core logic only: which channels the view may show when a file opens, and the
// text of the file-information window (file facts and the decoded frame
// header of any recorded line). The windows that show them live in the app.
#pragma once

#include <array>
#include <string>

#include "core/base/records.h"

namespace kelo {

// Called when a file is opened: drops selected channels the file lacks and
// selects the lowest channel it holds when none is left (an HRI picture then
// takes that channel's size).
void Channel_Select(PIC_INFO* pic, VIEW_INFO* view);

// How a window shows the control of channel n (1..10; entry 0 unused): it
// can be chosen when the file holds the channel, and is on when the view
// shows it.
struct ChannelState {
  bool sensitive = false;
  bool active = false;
};
std::array<ChannelState, kMaxChannels + 1> channel_states(const PIC_INFO* pic, const VIEW_INFO* view);

// The name of a file kind as the information window shows it ("HRPT",
// "PGM (8 bits)", "Unknown", ...).
std::string file_type_text(const PIC_INFO* pic);

// The text of the information window from its first line up to and including
// the " Size " line, and, for HRPT-family files recorded without frame header
// words, the " No frame header recorded." line.
std::string file_info_text(const PIC_INFO* pic);

// The frame-header block for line `*nr_frm` of the open picture: the separator
// line, then either " End of file.\n" (and *nr_frm steps back by one, never
// below 0) or the decoded sync words, space craft address, channel-3 type and
// time. Returns an empty text for pictures without recorded frame headers.
std::string frame_info_text(PIC_INFO* pic, VIEW_INFO* view, int* nr_frm);
// The same through a private view: line *nr_frm of the file as recorded,
// whatever the screen skips or which way it shows the pass.
std::string frame_info_text(PIC_INFO* pic, int* nr_frm);

// Decoding of one recorded NOAA (HRPT) or FengYun (CHRPT) line's header words
// into the block above (without the separator); `words` holds at least
// kFrameInfoWords words.
inline constexpr int kFrameInfoWords = 12;  // sync 0-5, id 6, spare 7, time 8-11
std::string frame_header_text(FileKind file_type, int frame_nr, const uint16_t* words);

}  // namespace kelo
