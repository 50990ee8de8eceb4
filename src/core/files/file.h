// Recognising and opening picture files, naming new files, and the writer
// dispatch the export uses.
#pragma once

#include <cstdint>
#include <string>

#include "core/base/records.h"
#include "core/files/open_listener.h"

namespace kelo {

// Kind of the file at path: kKindNone when it cannot be opened, kKindUnknown
// when it is not recognised (also when shorter than four bytes).
FileKind detect_file(const std::string& path);

// The part after the last '/'; without one after the last '\'; without one
// after the last ':'; else the whole path.
std::string strip_filename(const std::string& path);

// The main window title for a picture path: "Kelo    File <name>", or
// "Kelo    File (name too long!)" when the name is too long to show.
std::string picture_window_title(const std::string& path);

// Opens pic->path into the picture record: recognises the kind and reads the
// header (a film step starts view->slide_offset bytes in). `listener` (may
// be null) hears file_opened once the file is open. Returns 0 or a result
// code ('o', 't', 'r', 'd', 'p' or a reader's small code); on failure no
// picture file stays open. Setting the view up for the picture is the
// caller's: open_picture (core/view/open_picture.h) does both.
[[nodiscard]] int open_file(PIC_INFO* pic, const VIEW_INFO* view, OpenListener* listener);

// Upper end of the sample values the open picture delivers (its colour
// count - 1 for a GIF, 2^depth - 1 for PGM/PPM, 255 for HRI, 1023 for the
// 10-bit polar recordings).
int picture_value_max(const PIC_INFO* pic);

// Closes the picture file when open.
void close_picfile(PIC_INFO* pic);

// First free name base + counter ("%02d") + ext, tried in dir (or the
// working directory when dir is empty), counters 1..1001. Returns the
// counter with *name set to the file name (without dir), or 0 when all are
// taken.
[[nodiscard]] int create_new_filename(std::string* name, const std::string& dir, const std::string& base,
                                      const std::string& ext);

// Creates the next free recording file rec_dir + base + NN + ext into
// rec->rec_file / rec->rec_fp. Returns the counter, or 0 (nothing opened).
[[nodiscard]] int open_new_recfile(const std::string& base, const std::string& ext, RECORD_INFO* rec);

// Closes the recording file when open.
void close_recfile(RECORD_INFO* rec);

// Writer dispatch by pic->file_type into pic->pic_fp.
// write_header: the writer's result (bytes written or -1 for PPM/PGM and
// GIF; the HRPT1 writer's code for kinds 8-10); other kinds 0, nothing
// written.
[[nodiscard]] int write_header(PIC_INFO* pic);
// One line: 0, or -1 when the writer failed (disk full).
[[nodiscard]] int write_line(uint16_t* red, uint16_t* green, uint16_t* blue, PIC_INFO* pic, int flags);
// Finishes the file (GIF trailer); 0, or -1 when that failed.
[[nodiscard]] int write_finish(PIC_INFO* pic);

// For the channels 1..10 present in the picture, counted from 0 in order,
// writes into out the position of each one also selected in view->chan_sel.
// Returns how many were written (at most kMaxChannels).
int load_chan(const PIC_INFO* pic, const VIEW_INFO* view, int* out);

}  // namespace kelo
