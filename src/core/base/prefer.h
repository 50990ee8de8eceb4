// The preference file ".kelorc": defaults, reading, writing, and copying the
// preferences into the program records.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/base/records.h"

namespace kelo {

inline constexpr const char* kPrefFileName = ".kelorc";
inline constexpr int kPrefLineMax = 99;  // read in pieces of this size; lines are read whole

// Window placement modes of "main_window_position" / "sub_window_position".
enum WndPosMode : int { kWndDefault = 0, kWndAbs = 1, kWndCenter = 2, kWndSmart = 3 };

struct PREFS {
  int main_wnd_mode = 0;
  int sub_wnd_mode = 0;
  int main_x = 0, main_y = 0;
  int main_w = 0, main_h = 0;
  int canvas_w = 0, canvas_h = 0;
  int sub_x = 0, sub_y = 0;
  int port_type = 0;  // 0 "par", 1 "eth", 2 "usb"
  int pp_number = 0;  // 1 port 1, 2 port 2, 0 port n (pp_address)
  int pp_address = 0;
  int pp_used = 0;
  bool fast_access = false;
  std::string usb_id;  // at most 31 characters
  bool use_usbid = false;
  int hw_dectype = 0;  // 0 "dec_gen", 1 "dec_type"
  // How the decoder is reached (written only when not the default):
  // "Decoder_backend" auto/ppdev/direct/emulator, "Emulator_source" (the
  // emulator's source description), "Emulator_pacing" fast/real.
  PortBackendKind port_backend = PortBackendKind::Auto;
  std::string emu_source;
  bool emu_pacing = false;
  int hrpt_start_after = 0, hrpt_stop_after = 0;
  std::string hrpt_base, hrpt_ext;
  std::string hri_base, hri_ext;
  std::string pref_file;
  std::string working_dir;
  std::string kepler_dir;
  std::string kepler_name;
  int hri_start_after = 0, hri_stop_after = 0;
  int lines_per_screen = 0;
  ScanDir scan_dir = ScanDir::Unset;
  int show_chan = 0;
  bool save_rec = false;
  bool load_kepler = false;
  int font_size = 0;
  uint16_t grid_r = 0, grid_g = 0, grid_b = 0;
  int despeckle_u = 0, despeckle_l = 0;
  float fixed_zoom = 0;
  bool linearize = false;
  bool log_to_file = false;
  // "Orbit_model" simple/precise (written only when not the default)
  OrbitModel orbit_model = OrbitModel::Simple;
};

// Directories found at start-up, where ".kelorc" is looked for.
struct PrefDirs {
  std::string cur_dir;
  std::string prog_dir;
  std::string home_dir;
};

// The preferences belong to the session that runs (the program, kelo-export,
// a test): each keeps its own PREFS and PrefDirs and passes them here.

// Finds the directories into `dirs`, sets the defaults in `p`, then reads the
// first ".kelorc" found in the current directory, the program's directory
// and the home directory. 1 when a file was read, 0 when none was found.
// `notice`: whether "Preference file ... found." goes to standard error.
enum class PrefNotice { Print, Quiet };
int Read_Prefs(const char* progpath, PREFS* p, PrefDirs* dirs, PrefNotice notice = PrefNotice::Print);
// Reads one preference file into `p` (no defaults, no search); 1 when read.
[[nodiscard]] int Read_Prefs_file(const std::string& path, PREFS* p);
// Sets the defaults in `p` (fields without a default stay as they were).
void Load_Prefdef(PREFS* p);
// Copies the preferences into the records (and works out p->pp_used); any
// record may be null.
void Load_Prefs(PREFS* p, RECORD_INFO* record, VIEW_INFO* view, PIC_INFO* picture);
// Writes ".kelorc" in the current directory; 0 on success, 1 when it cannot
// be written, with the text of the "Error" message in *error ("Can't open
// .kelorc!" or "Can't write .kelorc!") for the window that saved.
[[nodiscard]] int Save_Prefs(const PREFS& p, std::string* error);
// Writes the preferences into the file `path` (the Preferences window's
// " Save ": ".kelorc" in the directory it was looked for first); 0 on
// success, 1 with the "Error" text ("Can't open <path>!", "Can't write
// <path>!") in *error.
[[nodiscard]] int Save_Prefs_to(const std::string& path, const PREFS& p, std::string* error);
// Writes the preferences to an open file in the ".kelorc" layout.
void write_prefs(FILE* file, const PREFS& p);
// Key left-aligned in 30 columns, " = ", then the formatted value.
void pri_prefline(FILE* file, const char* key, const char* format, ...) __attribute__((format(printf, 3, 4)));

// ---------------------------------------------------------------- typed values
// What a preference may hold. The reader ignores a value outside these
// rules (the field keeps what it had, a note goes to standard error) and the
// Preferences window refuses it with the same text, so a value the window
// cannot store cannot come in through the file either.
struct PrefRange {
  int lo, hi;
};
inline constexpr PrefRange kRangeWndWidth{0, 1600};
inline constexpr PrefRange kRangeWndHeight{0, 1200};
// Frames of sync before a recording starts / of lost sync before it stops:
// 0 would start (and end) a file on every poll of an idle port.
inline constexpr PrefRange kRangeFrames{1, 6000};
inline constexpr PrefRange kRangeLinesScreen{0, 10000};
inline constexpr PrefRange kRangeShowChan{1, kMaxChannels};
inline constexpr PrefRange kRangeDespeckle{0, 1023};
inline constexpr PrefRange kRangeFontSize{0, 500};
inline constexpr PrefRange kRangeColour{0, 255};
inline constexpr float kZoomStepMin = 1.2f, kZoomStepMax = 10.0f;
inline constexpr size_t kUsbIdFieldMax = 31;    // characters of "usb_id"
inline constexpr int kPortAddressMax = 0xFFFF;  // I/O addresses are 16 bits

// Each takes the typed text of the field named `what`; true with the value
// in *out, or false with the operator's message in *why.
[[nodiscard]] bool pref_int_in(const std::string& text, const char* what, PrefRange range, int* out,
                               std::string* why);
[[nodiscard]] bool pref_zoom_step(const std::string& text, float* out, std::string* why);
// A hexadecimal I/O address, with or without "0x" (1..0xFFFF).
[[nodiscard]] bool pref_port_address(const std::string& text, int* out, std::string* why);
// A name field: one word (the file cannot hold blanks) of at most `max`
// characters.
[[nodiscard]] bool pref_name_fits(const std::string& text, const char* what, size_t max, std::string* why);
// A directory as the reader stores it: one word, the separator appended
// (an empty directory stays empty: names are then relative, never "/name").
[[nodiscard]] bool pref_directory(const std::string& text, const char* what, std::string* out,
                                  std::string* why);

// 0x378 for port 1, 0x278 for port 2, the number itself otherwise.
int ppnr_to_ppaddr(int number);
// Finds the current, program and home directories (each ends in '/').
void get_dirs(const char* progpath, PrefDirs* dirs);
// 1 when `found` holds the first of dir1/name, dir2/name, dir3/name that
// exists; otherwise `found` is empty and 0 is returned.
int search_file(const std::string& name, std::string* found, const std::string& dir1, const std::string& dir2,
                const std::string& dir3);

}  // namespace kelo
