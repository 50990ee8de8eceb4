// "Orbit edit" and the editing shared by the orbit windows: the time
// source, time and longitude corrections, the satellite's own time code,
// undo; the element and time fields of "Kepler data"; writing the
// corrections into the recording's header.
#pragma once

#include <gtk/gtk.h>

#include <memory>
#include <string>

#include "core/base/records.h"

namespace kelo {

class MainWindow;
class WindowFollower;

inline constexpr const char* kOrbitEditTitle = "Orbit edit";
inline constexpr const char* kKeplerDataTitle = "Kepler data";

// What a numeric field of "Orbit edit" or "Kepler data" holds.
enum class OrbitValue {
  EpochYear,
  EpochDay,
  Decay,
  Inclination,
  Raan,
  Eccentricity,
  Perigee,
  Anomaly,
  Motion,
  Year,
  Month,
  Day,
  Hour,
  Minute,
  Second,
  OffsetGmt,
  OffsetSec,
  OffsetLon,
};

// One numeric field: its identifier, what it holds, the format it is built
// with and the range an operator's value must keep.
struct OrbitField {
  const char* id;
  OrbitValue what;
  const char* format;
  double lo, hi;
};

// The field with identifier `id`, or null.
const OrbitField* orbit_field(const char* id);
// The shown value of a field (angles in degrees, the month 1-12).
double orbit_field_value(const OrbitField& f, const KEPLER& kepler, const ORBIT& orbit);
// Stores an operator's value. False, with the reason, when the value is out
// of the field's range or names no day of the month: nothing is stored.
bool store_orbit_field(const OrbitField& f, double value, KEPLER* kepler, ORBIT* orbit, std::string* why);
// A numeric field of `f` (the window's callback runs orbitedt_cmds).
GtkWidget* create_orbit_field(const OrbitField& f, const KEPLER& kepler, const ORBIT& orbit);

// The picture's start time as the 24-character time text without its
// weekday ("Mar  5 12:34:56 2009").
std::string start_time_text(const BrokenTime& tm);
// The orbit constants from the picture's elements; an element set with no
// orbit leaves the picture without one (no stale grid).
void recompute_orbit(PIC_INFO* pic);

// "Edit/Kepler...": opens "Orbit edit" (or refreshes the open one).
void Menu_orbitedt(GtkWidget* widget, const char* id);
GtkWidget* Create_orbitedt_wnd(MainWindow* mw);
// Every button, radio button and value of "Orbit edit" and "Kepler data".
void orbitedt_cmds(GtkWidget* widget, const char* id);
// Shows the records in whichever of "Kepler data" and "Orbit edit" is open
// (either may be null); the program's values never come back as edits.
void Set_Keplervals(GtkWidget* window, const KEPLER* kepler, const ORBIT* orbit);
// Re-reads the elements, times and corrections stored in the header of an
// HRPT-family recording. 0, or the reader's code; the picture is unchanged
// when the header cannot be read.
int Reload_Kepler(PIC_INFO* pic);
// The element set stored in the header of an HRPT-family recording; false
// for other pictures or a header that cannot be read.
bool recorded_elements(const PIC_INFO& pic, KEPLER* kepler);

// Why the open picture's header may not be written or re-read now (empty:
// it may): no recording of the HRPT family open, or it is being recorded.
std::string header_refusal(MainWindow* mw);

// The frame search of both editors: the next frame header that reads
// reliably from line *from on. Found: *from becomes its line, *found is set
// and `hdr` holds it. Not found: the window's `result_id` says "Failed!",
// `use_id` goes insensitive. The caller holds MainWindow::Quiet.
bool next_reliable_frame(MainWindow* mw, GtkWidget* w, const char* result_id, const char* use_id, int* from,
                         bool* found, FRAME_HDR* hdr);
// "Save" of the orbit and header windows: the corrections into the
// recording's header in place. Refused with a message when header_refusal
// says so or a value does not fit the header; a failed rewrite puts the
// old header back. 0 when written.
int save_recording_header(MainWindow* mw);

// Hangs `follower` on `window` (freed with it) and registers it with the
// main window. The window must be made with follower_window_destroyed as
// its destroy callback, which takes the follower off the main window's list
// while the window can still find the main window.
void follow_picture(MainWindow* mw, GtkWidget* window, std::unique_ptr<WindowFollower> follower);
void follower_window_destroyed(GtkWidget* window);
// The follower hung on `window`, or null.
WindowFollower* picture_follower(GtkWidget* window);

}  // namespace kelo
