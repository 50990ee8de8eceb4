// Channel choice of the open picture and the file-information text.
//
// Core logic only: which channels the view may show when a file opens, and the
// text of the file-information window (file facts and the decoded frame
// header of any recorded line). The windows that show them live in the app.
#pragma once

#include <string>

#include "core/base/gui_seam.h"
#include "core/base/records.h"

namespace kelo {

// Sets the look of one channel control of a window: `id` is the control's
// identifier (e.g. "Channel/Ch3"); sensitive when the file holds the channel,
// active when the view shows it. The program installs the GTK version; without
// one (headless) nothing is shown.
using ChannelStateHook = void (*)(WindowHandle window, const std::string& id, bool sensitive, bool active);
void set_channel_state_hook(ChannelStateHook hook);

// Called when a file is opened: drops selected channels the file lacks, selects
// the lowest channel it holds when none is left (an HRI picture then takes
// that channel's size) and updates the window's "Channel/Ch<n>" items.
// `window` may be null (no window).
void Channel_Select(PIC_INFO* pic, VIEW_INFO* view, WindowHandle window);

// For n = 1..10 the control named prefix + n + suffix is made sensitive when
// the file holds channel n and set on when the view selects it.
void Update_channel_state(WindowHandle window, const PIC_INFO* pic, const VIEW_INFO* view,
                          const std::string& prefix, const std::string& suffix);

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

// Decoding of one recorded NOAA (HRPT) or FengYun (CHRPT) line's header words
// into the block above (without the separator); `words` holds at least
// kFrameInfoWords words.
inline constexpr int kFrameInfoWords = 12;  // sync 0-5, id 6, spare 7, time 8-11
std::string frame_header_text(FileKind file_type, int frame_nr, const uint16_t* words);

}  // namespace kelo
