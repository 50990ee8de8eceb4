// The export pipeline: writes the open picture, in its current zoom and
// mapping, to a new recording (HRPT family, chosen channels) or an exchange
// picture (PPM, PGM, GIF); and the in-place header rewrite of a recording.
// The same pipeline serves the "Save" window and the headless kelo-export.
#pragma once

#include <string>

#include "core/base/records.h"
#include "core/export/export_listener.h"

namespace kelo {

// File-name extension for a destination kind ("10b" for the HRPT family,
// "pgm", "gif", ...; "dat" for anything else).
const char* save_extension(FileKind file_type);

// True for the recording kinds that keep 10-bit samples and frame header words
// (HRPT, CHRPT, SeaStar, AHRPT).
bool is_hrpt_family(FileKind file_type);

// Pixels of an extent of `n` samples or lines shown at zoom factor `zoom`
// (>= 1), as the station has always cut it; a count near the largest int
// stays an int.
int zoomed_extent(int n, float zoom);

// The bit shift that scales source samples to the destination range: +2 when
// an 8-bit picture becomes a recording (10 - depth for other depths), -1/-2
// when a 10-bit recording (or deep PGM/PPM) becomes an 8-bit picture and the
// view's lmax needs it, 0 otherwise (PGM keeps the source's depth).
int export_bitshift(FileKind src_type, int src_depth, FileKind dst_type, int lmax);

// Fills the destination record from the source: a copy with the kind, the
// channel flags 1..10 (`chan_on`, 0 where absent) and the header flag replaced.
// `dst_kind` is the kind chosen (kKindHRPT for "(C)HRPT": becomes the source's
// own recording kind where it has one). Returns the number of channels chosen.
int save_destination(const PIC_INFO* src, PIC_INFO* dst, FileKind dst_kind,
                     const int chan_on[kMaxChannels + 1]);

// ---------------------------------------------------------------- Save window logic
// The kind first chosen for a source: its own recording kind ("(C)HRPT",
// returned as kKindHRPT) for HRPT, CHRPT, SeaStar and AHRPT; PPM, PGM, PGM1
// for those; GIF for anything else.
FileKind save_initial_kind(FileKind src_type);

// "New name": the typed text cut at its first '.', then the first free
// name text + NN + "." + extension of `kind` in `dir` (the picture
// directory; empty: the current one). Empty when no name is free.
std::string save_new_name(const std::string& typed, const std::string& dir, FileKind kind);

// Colour value of the "Multi-channel" LED: 3840 when the channel map is on
// and PPM is chosen, else 1911.
int save_led_colour(int rgb_map, FileKind kind);

// True for the kinds that hold one channel (every kind but the recordings).
bool save_single_channel(FileKind kind);

// A channel button was pressed (`pressed` 1..10, or 0 for "All" which first
// switched on every channel `present`): with a single-channel kind every
// other button goes off ("All" then leaves none on).
void save_channel_pressed(FileKind kind, int pressed, const int present[kMaxChannels + 1],
                          int on[kMaxChannels + 1]);

// What an export did.
struct SaveReport {
  int status = 0;  // 0 saved, 1 cancelled, -1 failed
  int rows_written = 0;
  int rows_total = 0;
  int bitshift = 0;
  std::string message;  // the final "Info" or "Error" text
};

// The export's own copy of the open picture: the record copied with a file
// handle of its own on the same file (refused when the path now names
// another file). Save_it reads only from such a copy, so opening another
// picture, a recording or a film step while it runs cannot change what it
// writes, and the display's own reading position stays where it was.
[[nodiscard]] bool export_source_copy(const PIC_INFO& src, PIC_INFO* copy);

// True when `path` is the open picture's own file (same device and inode):
// saving over it would read the lines being replaced.
bool is_source_file(const PIC_INFO& src, const std::string& path);

// Performs one export of `src` (open picture) shown through `view` into
// `path`, described by `dst` (see save_destination). Progress, cancel, the
// bit shift, warnings and the final text ("Info", or "Error" on failure) go
// to `listener` (may be null: nothing is told, nothing cancels). Returns 0
// when saved, 1 when cancelled (a valid shorter file), -1 on failure (no
// file is left behind).
[[nodiscard]] int Save_it(ExportListener* listener, PIC_INFO* src, PIC_INFO* dst, const std::string& path,
                          const VIEW_INFO* view, SaveReport* report = nullptr);

// Writes the in-memory header back into the open HRPT, CHRPT or SeaStar file
// (other kinds: nothing, 0, no message). Returns 0 on success, -1 on failure;
// the outcome goes to `listener` (may be null) as one final message. The
// picture is open for reading again afterwards, unless the final message
// says it could not be reopened.
[[nodiscard]] int Rewrite_hdr(PIC_INFO* pic, ExportListener* listener);

}  // namespace kelo
