#include "core/base/prefer.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/base/misc.h"
#include "core/base/paths.h"
#include "core/orbit/orbit_model.h"
#include "core/record/port.h"

namespace kelo {

namespace {

// Standard parallel-port base addresses of LPT1 and LPT2.
constexpr int kPort1Address = 0x378;
constexpr int kPort2Address = 0x278;

// Default values of the preference table.
constexpr int kDefPpNumber = 2;
constexpr int kDefHrptStart = 6, kDefHrptStop = 90;
constexpr int kDefHriStart = 20, kDefHriStop = 20;
constexpr int kDefShowChan = 2;
constexpr int kDefDespU = 20, kDefDespL = 10;
constexpr float kDefZoomStep = 2.0f;

int to_int(const std::string& s) { return std::atoi(s.c_str()); }

// Frames a recording waits in sync before it starts, or out of sync before
// it ends: at least one (0 would start and end passes on every frame), at
// most what a long pass of HRPT lines lasts.
constexpr int kMinSyncFrames = kRangeFrames.lo;
constexpr int kMaxSyncFrames = kRangeFrames.hi;

// One frame count of "<key> = start stop": a whole number in range, or the
// default with a message on standard error that names key and default.
int frames_pref(const std::string& key, const std::string& text, int def) {
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(text.c_str(), &end, 10);
  bool whole = !text.empty() && end != nullptr && *end == '\0' && errno == 0;
  if (whole && v >= kMinSyncFrames && v <= kMaxSyncFrames) return static_cast<int>(v);
  std::fprintf(stderr, "Preference %s: '%s' is not a frame count from %d to %d; %d is used.\n", key.c_str(),
               text.c_str(), kMinSyncFrames, kMaxSyncFrames, def);
  return def;
}
int to_hex(const std::string& s) { return static_cast<int>(std::strtol(s.c_str(), nullptr, 16)); }
bool yes(const std::string& s) { return !s.empty() && s[0] == 'y'; }

// Splits "x" "y" out of "<x>x<y>"; fields absent from the text stay as they were.
void read_xy(const std::string& s, int* x, int* y) {
  int a = 0, b = 0;
  int n = std::sscanf(s.c_str(), "%dx%d", &a, &b);
  if (n >= 1) *x = a;
  if (n >= 2) *y = b;
}

// "abs_wndpos@10x20": a mode word, '@', then the position.
void read_wndpos(const std::string& value, int* mode, int* x, int* y) {
  std::string word = value;
  std::string pos;
  size_t at = value.find('@');
  if (at != std::string::npos) {
    word = value.substr(0, at);
    pos = value.substr(at + 1);
  }
  if (word == "abs_wndpos")
    *mode = kWndAbs;
  else if (word == "smart_wndpos")
    *mode = kWndSmart;
  else if (word == "center_wndpos")
    *mode = kWndCenter;
  if (!pos.empty()) read_xy(pos, x, y);
}

// Directories and names longer than this do not fit the record's fields.
constexpr size_t kPathFieldMax = 299;

// A value the rules refuse is not taken: the field keeps what it had.
void note_ignored(const std::string& key, const std::string& why) {
  std::fprintf(stderr, "Preference %s ignored: %s\n", key.c_str(), why.c_str());
}

void take_int(const std::string& key, const std::string& v, PrefRange range, int* field) {
  int value = 0;
  std::string why;
  if (pref_int_in(v, key.c_str(), range, &value, &why))
    *field = value;
  else
    note_ignored(key, why);
}

void take_name(const std::string& key, const std::string& v, size_t max, std::string* field) {
  std::string why;
  if (pref_name_fits(v, key.c_str(), max, &why))
    *field = v;
  else
    note_ignored(key, why);
}

void take_dir(const std::string& key, const std::string& v, std::string* field) {
  std::string why;
  if (!pref_directory(v, key.c_str(), field, &why)) note_ignored(key, why);
}

// "<w>x<h>" with both in their ranges.
void take_size(const std::string& key, const std::string& v, int* w, int* h) {
  int a = *w, b = *h;
  read_xy(v, &a, &b);
  std::string why;
  int ok_w = 0, ok_h = 0;
  if (!pref_int_in(std::to_string(a), "Width", kRangeWndWidth, &ok_w, &why) ||
      !pref_int_in(std::to_string(b), "Height", kRangeWndHeight, &ok_h, &why)) {
    note_ignored(key, why);
    return;
  }
  *w = ok_w;
  *h = ok_h;
}

void take_pair(const std::string& key, const std::string& v, const std::string& next, PrefRange range,
               int* first, int* second) {
  take_int(key, v, range, first);
  if (!next.empty()) take_int(key, next, range, second);
}

// Applies one key/value pair; `next` is the token after the value (for the
// keys that take two numbers), empty when absent.
void apply_pref(PREFS& p, const std::string& key, const std::string& v, const std::string& next) {
  if (key == "main_window_size")
    take_size(key, v, &p.main_w, &p.main_h);
  else if (key == "main_window_position")
    read_wndpos(v, &p.main_wnd_mode, &p.main_x, &p.main_y);
  else if (key == "sub_window_position")
    read_wndpos(v, &p.sub_wnd_mode, &p.sub_x, &p.sub_y);
  else if (key == "Port_type")
    p.port_type = v == "usb" ? 2 : (v == "eth" ? 1 : 0);
  else if (key == "Parallel_port")
    p.pp_number = to_int(v);
  else if (key == "Parallel_port_address") {
    int address = 0;
    std::string why;
    if (pref_port_address(v, &address, &why))
      p.pp_address = address;
    else
      note_ignored(key, why);
  } else if (key == "Fast_Parportaccess")
    p.fast_access = yes(v);
  else if (key == "use_usbid")
    p.use_usbid = yes(v);
  else if (key == "Hrptrec_Save_rec")
    p.save_rec = yes(v);
  else if (key == "Hrptrec_Auto_getkepler")
    p.load_kepler = yes(v);
  else if (key == "Hwtype_select")
    p.hw_dectype = v == "dec_type" ? 1 : 0;
  else if (key == "Decoder_backend") {
    p.port_backend = kBackendAuto;
    if (!port_backend_from_name(v, &p.port_backend))
      std::fprintf(stderr, "Unknown Decoder_backend '%s' in the preferences; the real port is used.\n",
                   v.c_str());
  } else if (key == "Emulator_pacing")
    p.emu_pacing = v == "real";
  else if (key == "Orbit_model") {
    p.orbit_model = OrbitModel::Simple;
    if (!orbit_model_from_name(v, &p.orbit_model))
      std::fprintf(stderr, "Unknown Orbit_model '%s' in the preferences; the simple model is used.\n",
                   v.c_str());
  } else if (key == "usb_id")
    take_name(key, v, kUsbIdFieldMax, &p.usb_id);
  else if (key == "Hrpt_File_Base")
    take_name(key, v, kNameFieldMax, &p.hrpt_base);
  else if (key == "Hrpt_File_Extension")
    take_name(key, v, kNameFieldMax, &p.hrpt_ext);
  else if (key == "Hri_File_Base")
    take_name(key, v, kNameFieldMax, &p.hri_base);
  else if (key == "Hri_File_Extension")
    take_name(key, v, kNameFieldMax, &p.hri_ext);
  else if (key == "Kepler_File_name")
    take_name(key, v, kPathFieldMax, &p.kepler_name);
  else if (key == "Working_Dir")
    take_dir(key, v, &p.working_dir);
  else if (key == "Kepler_File_Dir")
    take_dir(key, v, &p.kepler_dir);
  else if (key == "Font_size")
    take_int(key, v, kRangeFontSize, &p.font_size);
  else if (key == "Hrpt_Record_Lines_per_screen")
    take_int(key, v, kRangeLinesScreen, &p.lines_per_screen);
  else if (key == "Hrpt_Record_Showchan")
    take_int(key, v, kRangeShowChan, &p.show_chan);
  else if (key == "Grid_color") {
    int rgb = to_hex(v);
    p.grid_r = static_cast<uint16_t>((rgb >> 16) & 0xFF);
    p.grid_g = static_cast<uint16_t>((rgb >> 8) & 0xFF);
    p.grid_b = static_cast<uint16_t>(rgb & 0xFF);
  } else if (key == "Linearize")
    p.linearize = v == "on";
  else if (key == "Despeckle_limits")
    take_pair(key, v, next, kRangeDespeckle, &p.despeckle_u, &p.despeckle_l);
  else if (key == "Hrpt_Record_Start_Stop_Times") {
    p.hrpt_start_after = frames_pref(key, v, kDefHrptStart);
    if (!next.empty()) p.hrpt_stop_after = frames_pref(key, next, kDefHrptStop);
  } else if (key == "Hri_Record_Start_Stop_Times") {
    p.hri_start_after = frames_pref(key, v, kDefHriStart);
    if (!next.empty()) p.hri_stop_after = frames_pref(key, next, kDefHriStop);
  } else if (key == "Fixed_zoomfactor") {
    float step = 0;
    std::string why;
    if (pref_zoom_step(v, &step, &why))
      p.fixed_zoom = step;
    else
      note_ignored(key, why);
  } else if (key == "Hrpt_Record_Scandirection")
    p.scan_dir = v == "N_S" ? ScanDir::TopDown : (v == "S_N" ? ScanDir::BottomUp : ScanDir::Unset);
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The words of a preference line: the key (ended by a blank or '='), then
// the value's blank-separated words after one '='. An '=' inside the value
// is part of it ("Emulator_source = noaa,sat=19" keeps "noaa,sat=19").
std::vector<std::string> tokens_of(const std::string& line) {
  std::vector<std::string> out;
  size_t i = 0;
  const size_t n = line.size();
  while (i < n && is_blank(line[i])) ++i;
  size_t start = i;
  while (i < n && !is_blank(line[i]) && line[i] != '=') ++i;
  if (i == start) return out;
  out.push_back(line.substr(start, i - start));
  while (i < n && is_blank(line[i])) ++i;
  if (i < n && line[i] == '=') ++i;
  std::string cur;
  for (; i < n; ++i) {
    if (is_blank(line[i])) {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(line[i]);
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

// One whole line of the file, whatever its length (a long comment must not
// spill into a setting). False at the end of the file.
bool read_whole_line(FILE* f, std::string* line) {
  line->clear();
  char buf[kPrefLineMax + 1];
  while (std::fgets(buf, sizeof buf, f) != nullptr) {
    *line += buf;
    if (!line->empty() && line->back() == '\n') return true;
  }
  return !line->empty();
}

const char* wndpos_word(int mode) {
  switch (mode) {
    case kWndAbs:
      return "abs_wndpos";
    case kWndCenter:
      return "center_wndpos";
    case kWndSmart:
      return "smart_wndpos";
    default:
      return nullptr;
  }
}

void pri_wndpos(FILE* f, const char* key, int mode, int x, int y) {
  const char* word = wndpos_word(mode);
  if (word == nullptr)
    pri_prefline(f, key, "default\n");
  else
    pri_prefline(f, key, "%s@%dx%d\n", word, x, y);
}

const char* yesno(bool v) { return v ? "yes\n" : "no\n"; }
}  // namespace

int ppnr_to_ppaddr(int number) {
  if (number == 1) return kPort1Address;
  if (number == 2) return kPort2Address;
  return number;
}

void get_dirs(const char* progpath, PrefDirs* dirs) {
  char buf[4096];
  dirs->cur_dir = getcwd(buf, sizeof buf) != nullptr ? with_dirsep(buf) : std::string();
  dirs->prog_dir.clear();
  if (progpath != nullptr) {
    std::string p = progpath;
    size_t slash = p.rfind(kDirSep);
    if (slash != std::string::npos) dirs->prog_dir = p.substr(0, slash + 1);
  }
  // A program started through PATH has no directory in argv[0]; it is then
  // looked up in PATH.
  if (dirs->prog_dir.empty() && progpath != nullptr && progpath[0] != '\0') {
    const char* path = std::getenv("PATH");
    std::string rest = path != nullptr ? path : "";
    size_t start = 0;
    while (start <= rest.size()) {
      size_t colon = rest.find(':', start);
      std::string dir = rest.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
      if (!dir.empty() && access(join_path(dir, progpath).c_str(), X_OK) == 0) {
        dirs->prog_dir = with_dirsep(dir);
        break;
      }
      if (colon == std::string::npos) break;
      start = colon + 1;
    }
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') {
    const passwd* pw = getpwuid(getuid());
    home = pw != nullptr ? pw->pw_dir : nullptr;
  }
  dirs->home_dir = (home != nullptr && home[0] != '\0') ? with_dirsep(home) : std::string();
}

int search_file(const std::string& name, std::string* found, const std::string& dir1, const std::string& dir2,
                const std::string& dir3) {
  for (const std::string* dir : {&dir1, &dir2, &dir3}) {
    if (dir->empty()) continue;
    std::string candidate = join_path(*dir, name);
    if (exist_file(candidate) != 0) {
      *found = candidate;
      return 1;
    }
  }
  found->clear();
  return 0;
}

void Load_Prefdef(PREFS* p) {
  p->port_backend = kBackendAuto;  // the real port unless asked otherwise
  p->emu_source.clear();
  p->emu_pacing = 0;
  p->orbit_model = OrbitModel::Simple;
  p->main_wnd_mode = kWndDefault;
  p->sub_wnd_mode = kWndDefault;
  p->main_x = p->main_y = 0;
  p->main_w = p->main_h = 0;
  p->pp_number = kDefPpNumber;
  p->fast_access = 0;
  p->hw_dectype = 0;
  p->hrpt_start_after = kDefHrptStart;
  p->hrpt_stop_after = kDefHrptStop;
  p->hrpt_base = "hrpt";
  p->hrpt_ext = ".dat";
  p->hri_base = "hri";
  p->hri_ext = ".dat";
  p->pref_file.clear();
  p->working_dir.clear();
  p->hri_start_after = kDefHriStart;
  p->hri_stop_after = kDefHriStop;
  p->lines_per_screen = 0;
  p->scan_dir = ScanDir::TopDown;
  p->show_chan = kDefShowChan;
  p->save_rec = 1;
  p->load_kepler = 0;
  p->font_size = 0;
  p->grid_r = 255;
  p->grid_g = 0;
  p->grid_b = 0;
  p->despeckle_u = kDefDespU;
  p->despeckle_l = kDefDespL;
  p->fixed_zoom = kDefZoomStep;
  p->linearize = 0;
}

int Read_Prefs_file(const std::string& path, PREFS* p) {
  FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return 0;
  std::string line;
  while (read_whole_line(f, &line)) {
    std::vector<std::string> tok = tokens_of(line);
    if (tok.size() < 2) continue;
    if (tok[0] == "Emulator_source") {
      p->emu_source = tok[1];
      continue;
    }
    apply_pref(*p, tok[0], tok[1], tok.size() > 2 ? tok[2] : std::string());
  }
  std::fclose(f);
  return 1;
}

int Read_Prefs(const char* progpath, PREFS* p, PrefDirs* dirs, PrefNotice notice) {
  get_dirs(progpath, dirs);
  Load_Prefdef(p);
  std::string found;
  if (search_file(kPrefFileName, &found, dirs->cur_dir, dirs->prog_dir, dirs->home_dir) == 0) return 0;
  if (Read_Prefs_file(found, p) == 0) return 0;
  p->pref_file = found;
  if (notice == PrefNotice::Print) std::fprintf(stderr, "Preference file %s found.\n", found.c_str());
  return 1;
}

void Load_Prefs(PREFS* p, RECORD_INFO* record, VIEW_INFO* view, PIC_INFO* picture) {
  p->pp_used = p->pp_number == 0 ? p->pp_address : ppnr_to_ppaddr(p->pp_number);
  if (record != nullptr) {
    record->port_type = p->port_type;
    record->port_address = p->pp_used;
    record->fast_access = p->fast_access;
    record->hw_dectype = p->hw_dectype;
    record->port_backend = p->port_backend;
    record->emu_source = p->emu_source;
    record->emu_pacing = p->emu_pacing;
    record->use_usbid = p->use_usbid;
    record->usb_id = p->usb_id.substr(0, kUsbIdMax);
    record->hrpt_start_after = p->hrpt_start_after;
    record->hrpt_stop_after = p->hrpt_stop_after;
    record->hri_start_after = p->hri_start_after;
    record->hri_stop_after = p->hri_stop_after;
    record->lines_per_screen = p->lines_per_screen;
    record->scan_dir = p->scan_dir;
    record->orientation = p->scan_dir == ScanDir::TopDown ? Orientation::Normal : Orientation::FromSouth;
    record->hrpt_base = p->hrpt_base;
    record->hrpt_ext = p->hrpt_ext;
    record->hri_base = p->hri_base;
    record->hri_ext = p->hri_ext;
    record->rec_dir = p->working_dir;
    record->kepler_file = p->kepler_dir + p->kepler_name;
    record->show_chan = p->show_chan;
    record->save_rec = p->save_rec;
    record->load_kepler = p->load_kepler;
  }
  if (view != nullptr) {
    view->grid_rgb[0] = p->grid_r;
    view->grid_rgb[1] = p->grid_g;
    view->grid_rgb[2] = p->grid_b;
    view->desp_ulimit = p->despeckle_u;
    view->desp_llimit = p->despeckle_l;
    view->linearize = p->linearize;
    view->zoom_step = p->fixed_zoom;
  }
  if (picture != nullptr) {
    picture->dir = p->working_dir;
    picture->kepler_dir = p->kepler_dir;
    picture->orbit.model = p->orbit_model;
  }
}

void pri_prefline(FILE* file, const char* key, const char* format, ...) {
  std::fprintf(file, "%-30s = ", key);
  va_list ap;
  va_start(ap, format);
  std::vfprintf(file, format, ap);
  va_end(ap);
}

void write_prefs(FILE* f, const PREFS& p) {
  pri_prefline(f, "main_window_size", "%dx%d\n", p.main_w, p.main_h);
  pri_wndpos(f, "main_window_position", p.main_wnd_mode, p.main_x, p.main_y);
  pri_wndpos(f, "sub_window_position", p.sub_wnd_mode, p.sub_x, p.sub_y);
  pri_prefline(f, "Port_type", "%s", p.port_type == 2 ? "usb\n" : (p.port_type == 1 ? "eth\n" : "par\n"));
  pri_prefline(f, "Parallel_port", "%x\n", static_cast<unsigned>(p.pp_number));
  pri_prefline(f, "Parallel_port_address", "%x\n", static_cast<unsigned>(p.pp_address));
  pri_prefline(f, "Fast_Parportaccess", "%s", yesno(p.fast_access));
  pri_prefline(f, "Hwtype_select", "%s", p.hw_dectype == 1 ? "dec_type\n" : "dec_gen\n");
  if (p.port_backend != kBackendAuto)
    pri_prefline(f, "Decoder_backend", "%s\n", port_backend_name(p.port_backend));
  if (!p.emu_source.empty()) pri_prefline(f, "Emulator_source", "%s\n", p.emu_source.c_str());
  if (p.emu_pacing) pri_prefline(f, "Emulator_pacing", "real\n");
  pri_prefline(f, "use_usbid", "%s", yesno(p.use_usbid));
  pri_prefline(f, "usb_id", "%s\n", p.usb_id.c_str());
  pri_prefline(f, "Font_size", "%d\n", p.font_size);
  pri_prefline(f, "Grid_color", "0x%x\n",
               static_cast<unsigned>(p.grid_r * 65536 + p.grid_g * 256 + p.grid_b));
  pri_prefline(f, "Linearize", "%s", p.linearize != 0 ? "on\n" : "off\n");
  pri_prefline(f, "Despeckle_limits", "%d %d\n", p.despeckle_u, p.despeckle_l);
  pri_prefline(f, "Fixed_zoomfactor", "%.2f\n", static_cast<double>(p.fixed_zoom));
  pri_prefline(f, "Hrpt_Record_Start_Stop_Times", "%d %d\n", p.hrpt_start_after, p.hrpt_stop_after);
  pri_prefline(f, "Hri_Record_Start_Stop_Times", "%d %d\n", p.hri_start_after, p.hri_stop_after);
  pri_prefline(f, "Hrpt_Record_Lines_per_screen", "%d\n", p.lines_per_screen);
  pri_prefline(
      f, "Hrpt_Record_Scandirection", "%s",
      p.scan_dir == ScanDir::TopDown ? "N_S\n" : (p.scan_dir == ScanDir::BottomUp ? "S_N\n" : "?\n"));
  pri_prefline(f, "Hrpt_Record_Showchan", "%d\n", p.show_chan);
  pri_prefline(f, "Hrptrec_Save_rec", "%s", yesno(p.save_rec));
  pri_prefline(f, "Hrptrec_Auto_getkepler", "%s", yesno(p.load_kepler));
  pri_prefline(f, "Hrpt_File_Base", "%s\n", p.hrpt_base.c_str());
  pri_prefline(f, "Hrpt_File_Extension", "%s\n", p.hrpt_ext.c_str());
  pri_prefline(f, "Hri_File_Base", "%s\n", p.hri_base.c_str());
  pri_prefline(f, "Hri_File_Extension", "%s\n", p.hri_ext.c_str());
  pri_prefline(f, "Working_Dir", "%s\n", p.working_dir.c_str());
  pri_prefline(f, "Kepler_File_Dir", "%s\n", p.kepler_dir.c_str());
  pri_prefline(f, "Kepler_File_name", "%s\n", p.kepler_name.c_str());
  if (p.orbit_model != OrbitModel::Simple)
    pri_prefline(f, "Orbit_model", "%s\n", orbit_model_name(p.orbit_model));
}

int Save_Prefs(const PREFS& p, std::string* error) { return Save_Prefs_to(kPrefFileName, p, error); }

int Save_Prefs_to(const std::string& path, const PREFS& p, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "w");
  if (f == nullptr) {
    *error = "Can't open " + path + "!";
    return 1;
  }
  write_prefs(f, p);
  bool ok = std::fflush(f) == 0 && std::ferror(f) == 0;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    *error = "Can't write " + path + "!";
    return 1;
  }
  return 0;
}

namespace {
std::string trimmed(const std::string& text) {
  size_t a = 0, b = text.size();
  while (a < b && is_blank(text[a])) ++a;
  while (b > a && is_blank(text[b - 1])) --b;
  return text.substr(a, b - a);
}
}  // namespace

bool pref_int_in(const std::string& text, const char* what, PrefRange range, int* out, std::string* why) {
  std::string t = trimmed(text);
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(t.c_str(), &end, 10);
  if (t.empty() || *end != '\0' || errno != 0 || v < range.lo || v > range.hi) {
    *why = strformat("%s must be a whole number from %d to %d.", what, range.lo, range.hi);
    return false;
  }
  *out = static_cast<int>(v);
  return true;
}

bool pref_zoom_step(const std::string& text, float* out, std::string* why) {
  std::string t = trimmed(text);
  char* end = nullptr;
  double v = std::strtod(t.c_str(), &end);
  // The step is saved with two decimals: compare what will be saved.
  double saved = std::round(v * 100.0) / 100.0;
  if (t.empty() || *end != '\0' || !std::isfinite(v) || saved < static_cast<double>(kZoomStepMin) - 1e-9 ||
      saved > static_cast<double>(kZoomStepMax) + 1e-9) {
    *why = strformat("Fixed zoom fact must be a number from %.1f to %.1f.", static_cast<double>(kZoomStepMin),
                     static_cast<double>(kZoomStepMax));
    return false;
  }
  *out = static_cast<float>(v);
  return true;
}

bool pref_port_address(const std::string& text, int* out, std::string* why) {
  std::string t = trimmed(text);
  if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) t = t.substr(2);
  char* end = nullptr;
  errno = 0;
  long v = std::strtol(t.c_str(), &end, 16);
  if (t.empty() || *end != '\0' || errno != 0 || v < 0 || v > kPortAddressMax) {
    *why =
        strformat("The port address must be a hexadecimal number from 0 to %x (like 3bc).", kPortAddressMax);
    return false;
  }
  *out = static_cast<int>(v);
  return true;
}

bool pref_name_fits(const std::string& text, const char* what, size_t max, std::string* why) {
  for (char c : text) {
    if (is_blank(c)) {
      *why = strformat("%s must be one word without blanks.", what);
      return false;
    }
  }
  if (text.size() > max) {
    *why = strformat("%s holds at most %zu characters.", what, max);
    return false;
  }
  return true;
}

bool pref_directory(const std::string& text, const char* what, std::string* out, std::string* why) {
  std::string dir = with_dirsep(text);
  if (!pref_name_fits(dir, what, kPathFieldMax, why)) return false;
  *out = dir;
  return true;
}

}  // namespace kelo
