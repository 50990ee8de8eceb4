// "Orbit edit": corrections of the picture's time source, time and
// longitude, the satellite's own time code taken from the recording, undo;
// and the editing every orbit window shares. All edits act on the open
// picture's element set and orbit record, so the grid follows at once; the
// file changes only with "Save".
#include "app/orbit_edit_wnd.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#include "app/kepler_wnd.h"
#include "app/main_wnd.h"
#include "core/base/misc.h"
#include "core/export/export_listener.h"
#include "core/export/file_save.h"
#include "core/files/hrpt1_read.h"
#include "core/files/hrpt_framehdr.h"
#include "core/orbit/calc_satpos.h"
#include "core/orbit/parse_norad.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kKeyFollower = "kelo_follower";
// What a recording header holds: a 16-character satellite name and the two
// time corrections as signed bytes.
constexpr size_t kHeaderNameMax = sizeof(HRPT1_HDR{}.sat_name);
constexpr int kHeaderCorrMin = -128, kHeaderCorrMax = 127;
constexpr double kSecPerHour = 3600.0;

// Ranges fit real element sets: right ascension 0-360 degrees, decay either
// sign, and enough decimals that showing a set never rounds it (epoch to
// about a millisecond, decay and eccentricity to their published digits).
constexpr OrbitField kFields[] = {
    {"^Epoch year", OrbitValue::EpochYear, "%9d%9d%9d", 1, 300},
    {"^Epoch day", OrbitValue::EpochDay, "%13.8f%13.8f%13.8f", 1, 366.99999999},
    {"^Decay", OrbitValue::Decay, "%11.8f%11.8f%11.8f", -1, 1},
    {"^Inclination (deg)", OrbitValue::Inclination, "%9.4f%9.4f%9.4f", -360, 360},
    {"^Raan (deg)", OrbitValue::Raan, "%9.4f%9.4f%9.4f", 0, 360},
    {"^Eccentricity", OrbitValue::Eccentricity, "%9.7f%9.7f%9.7f", 0, 1},
    {"^Perigee (deg)", OrbitValue::Perigee, "%9.4f%9.4f%9.4f", -360, 360},
    {"^Mean anomaly (deg)", OrbitValue::Anomaly, "%9.4f%9.4f%9.4f", -360, 360},
    {"^Mean motion", OrbitValue::Motion, "%11.8f%11.8f%11.8f", 0, 30},
    {"year", OrbitValue::Year, "%9d%9d%9d", 0, 200},
    {"mon", OrbitValue::Month, "%9d%9d%9d", 1, 12},
    {"day", OrbitValue::Day, "%9d%9d%9d", 1, 31},
    {"hour", OrbitValue::Hour, "%9d%9d%9d", 0, 23},
    {"min", OrbitValue::Minute, "%9d%9d%9d", 0, 59},
    {"sec", OrbitValue::Second, "%9d%9d%9d", 0, 59},
    {"^Offset gmt", OrbitValue::OffsetGmt, "%d%d%d", -24, 24},
    {"^Offset sec", OrbitValue::OffsetSec, "%d%d%d", -900, 900},
    {"^Offset lon", OrbitValue::OffsetLon, "%2.1f%f%f", -180, 180},
};

bool is_element(OrbitValue v) { return v <= OrbitValue::Motion; }
bool is_real(const OrbitField& f) { return std::strchr(f.format, 'f') != nullptr; }
double deg(float rad) { return rad * 180.0 / kPiD; }
float rad(double degrees) { return static_cast<float>(degrees * kPiD / 180.0); }

bool is_family(FileKind k) { return k == kKindHRPT || k == kKindCHRPT || k == kKindSeaStar; }

// What "Undo" and "Cancel" go back to.
struct OrbitSnapshot {
  KEPLER kepler;
  BrokenTime start_tm = {}, start_tm_sat = {}, start_tm_comp = {};
  int32_t start_ms = 0, start_ms_sat = 0;
  int32_t offset_gmt = 0, offset_sec = 0;
  float offset_lon = 0;
  bool use_sattime = false;
};

OrbitSnapshot take_snapshot(const PIC_INFO& pic) {
  const ORBIT& o = pic.orbit;
  return {pic.kepler,     o.start_tm,   o.start_tm_sat, o.start_tm_comp, o.start_ms,
          o.start_ms_sat, o.offset_gmt, o.offset_sec,   o.offset_lon,    o.use_sattime};
}

void restore_snapshot(const OrbitSnapshot& s, PIC_INFO* pic) {
  ORBIT& o = pic->orbit;
  pic->kepler = s.kepler;
  o.start_tm = s.start_tm;
  o.start_tm_sat = s.start_tm_sat;
  o.start_tm_comp = s.start_tm_comp;
  o.start_ms = s.start_ms;
  o.start_ms_sat = s.start_ms_sat;
  o.offset_gmt = s.offset_gmt;
  o.offset_sec = s.offset_sec;
  o.offset_lon = s.offset_lon;
  o.use_sattime = s.use_sattime;
  recompute_orbit(pic);
}

// The state of one opening of "Orbit edit": the snapshot taken at its first
// command and the frame found by "Search time". Both belong to the picture
// they were taken from: another picture discards them.
class OrbitEditor : public WindowFollower {
 public:
  explicit OrbitEditor(MainWindow* mw) : mw_(mw) {}
  void picture_changed() override {
    start = true;
    forget_frame();
    Set_Keplervals(mw_->window(), &mw_->pic()->kepler, &mw_->pic()->orbit);
  }
  void forget_frame() {
    time_y = 0;
    found = false;
    if (GtkWidget* w = Find_Window(mw_->window(), kOrbitEditTitle)) {
      MainWindow::Quiet quiet(mw_);
      Set_Entry(w, "!from_line", "%s", "");
      Set_Entry(w, "!sat", "%s", "");
      Sense_Button(w, "Use time", 0);
    }
  }

  bool start = true;  // the next command takes the snapshot
  bool updated = false;
  OrbitSnapshot pre;
  int time_y = 0;  // line of the last frame found
  bool found = false;
  FRAME_HDR frmhdr;

 private:
  MainWindow* mw_;
};

OrbitEditor* orbit_editor(MainWindow* mw) {
  GtkWidget* w = Find_Window(mw->window(), kOrbitEditTitle);
  return static_cast<OrbitEditor*>(picture_follower(w));
}

void field_changed(GtkAdjustment* adj, const char* id) {
  orbitedt_cmds(static_cast<GtkWidget*>(g_object_get_data(G_OBJECT(adj), kKeyAdj)), id);
}

// The header's messages go to "Info" and "Error" windows.
class MessageListener : public ExportListener {
 public:
  void finished(ExportOutcome outcome, const std::string& text) override {
    Create_Message(outcome == ExportOutcome::Info ? "Info" : "Error", "%s", text.c_str());
  }
};

bool same_file(const std::string& a, const std::string& b) {
  std::error_code ec;
  const bool eq = std::filesystem::equivalent(a, b, ec);
  return ec ? a == b : eq;
}

// The header bytes of the file at `path`, empty when it is shorter.
std::vector<uint8_t> read_header_bytes(const std::string& path) {
  std::vector<uint8_t> bytes(kHrpt1HdrLen);
  KFile f;
  if (!f.open(path, "rb") || std::fread(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return {};
  return bytes;
}

bool put_back_header(const std::string& path, const std::vector<uint8_t>& bytes) {
  KFile f;
  if (!f.open(path, "r+b")) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f.get()) == bytes.size();
  return f.close_checked() && written;
}

const char* magic_of(FileKind k) { return k == kKindCHRPT ? "CHRP" : (k == kKindSeaStar ? "SEAW" : "HRPT"); }

// The time source chosen with the radio pair: the time shown until now is
// kept as the time of the source that was in use, then the chosen one's
// time becomes the picture's.
void choose_time_source(PIC_INFO* pic, bool satellite) {
  ORBIT& o = pic->orbit;
  if (o.use_sattime) {
    o.start_tm_sat = o.start_tm;
    o.start_ms_sat = o.start_ms;
  } else {
    o.start_tm_comp = o.start_tm;
  }
  if (satellite) {
    o.start_tm = o.start_tm_sat;
    o.start_ms = o.start_ms_sat;
  } else {
    o.start_tm = o.start_tm_comp;
    o.start_ms = 0;
  }
  o.use_sattime = satellite;
}

void search_time(MainWindow* mw, OrbitEditor* ed, GtkWidget* w) {
  PIC_INFO* pic = mw->pic();
  FRAME_HDR hdr;
  MainWindow::Quiet quiet(mw);
  if (!next_reliable_frame(mw, w, "!from_line", "Use time", &ed->time_y, &ed->found, &hdr)) return;
  ed->frmhdr = hdr;
  FRAME_HDR named = hdr;
  interpret_framehdr(&named, &pic->orbit.start_tm_comp);
  Set_Entry(w, "!from_line", "at line %d", ed->time_y);
  Set_Entry(w, "!sat", "%s", named.sat_name.c_str());
  Sense_Button(w, "Use time", 1);
}

void use_time(MainWindow* mw, OrbitEditor* ed) {
  PIC_INFO* pic = mw->pic();
  ORBIT& o = pic->orbit;
  FRAME_HDR hdr = ed->frmhdr;
  if (interpret_framehdr(&hdr, &o.start_tm_comp) == 'd')
    Create_Message("Warning", "Satellite data doesn't contain day count.\n Day taken from computer-time.");
  // The frame's time moved back to the first line of the picture.
  BrokenTime t = hdr.time;
  if (pic->lines_per_sec != 0) t.tm_sec -= ed->time_y / pic->lines_per_sec;
  mktime_ntz(&t);
  if (!o.use_sattime) o.start_tm_comp = o.start_tm;
  o.start_tm_sat = t;
  o.start_ms_sat = 0;
  o.start_tm = t;
  o.start_ms = 0;
  o.use_sattime = true;
}

}  // namespace

// ---------------------------------------------------------------- fields
const OrbitField* orbit_field(const char* id) {
  if (id == nullptr) return nullptr;
  for (const OrbitField& f : kFields)
    if (std::strcmp(f.id, id) == 0) return &f;
  return nullptr;
}

double orbit_field_value(const OrbitField& f, const KEPLER& k, const ORBIT& o) {
  switch (f.what) {
    case OrbitValue::EpochYear:
      return k.epoch_year;
    case OrbitValue::EpochDay:
      return k.epoch_day;
    case OrbitValue::Decay:
      return k.decay;
    case OrbitValue::Inclination:
      return deg(k.inclination);
    case OrbitValue::Raan:
      return deg(k.raan);
    case OrbitValue::Eccentricity:
      return k.eccentricity;
    case OrbitValue::Perigee:
      return deg(k.perigee);
    case OrbitValue::Anomaly:
      return deg(k.anomaly);
    case OrbitValue::Motion:
      return k.motion;
    case OrbitValue::Year:
      return o.start_tm.tm_year;
    case OrbitValue::Month:
      return o.start_tm.tm_mon + 1;
    case OrbitValue::Day:
      return o.start_tm.tm_mday;
    case OrbitValue::Hour:
      return o.start_tm.tm_hour;
    case OrbitValue::Minute:
      return o.start_tm.tm_min;
    case OrbitValue::Second:
      return o.start_tm.tm_sec;
    case OrbitValue::OffsetGmt:
      return o.offset_gmt;
    case OrbitValue::OffsetSec:
      return o.offset_sec;
    case OrbitValue::OffsetLon:
      return o.offset_lon;
  }
  return 0;
}

bool store_orbit_field(const OrbitField& f, double value, KEPLER* k, ORBIT* o, std::string* why) {
  if (!(value >= f.lo && value <= f.hi)) {
    *why = strformat("%s must lie between %g and %g; %g is not stored.", f.id + (f.id[0] == '^' ? 1 : 0),
                     f.lo, f.hi, value);
    return false;
  }
  const int n = static_cast<int>(value);
  BrokenTime t = o->start_tm;
  switch (f.what) {
    case OrbitValue::EpochYear:
      k->epoch_year = n;
      return true;
    case OrbitValue::EpochDay:
      k->epoch_day = static_cast<float>(value);
      return true;
    case OrbitValue::Decay:
      k->decay = static_cast<float>(value);
      return true;
    case OrbitValue::Inclination:
      k->inclination = rad(value);
      return true;
    case OrbitValue::Raan:
      k->raan = rad(value);
      return true;
    case OrbitValue::Eccentricity:
      k->eccentricity = static_cast<float>(value);
      return true;
    case OrbitValue::Perigee:
      k->perigee = rad(value);
      return true;
    case OrbitValue::Anomaly:
      k->anomaly = rad(value);
      return true;
    case OrbitValue::Motion:
      k->motion = static_cast<float>(value);
      return true;
    case OrbitValue::OffsetGmt:
      o->offset_gmt = n;
      return true;
    case OrbitValue::OffsetSec:
      o->offset_sec = n;
      return true;
    case OrbitValue::OffsetLon:
      o->offset_lon = static_cast<float>(value);
      return true;
    case OrbitValue::Year:
      t.tm_year = n;
      break;
    case OrbitValue::Month:
      t.tm_mon = n - 1;
      break;
    case OrbitValue::Day:
      t.tm_mday = n;
      break;
    case OrbitValue::Hour:
      t.tm_hour = n;
      break;
    case OrbitValue::Minute:
      t.tm_min = n;
      break;
    case OrbitValue::Second:
      t.tm_sec = n;
      break;
  }
  // A start time is a real day: 31 April is refused, not carried into May.
  int len[12];
  month_lengths(t.tm_year, len);
  if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_mday > len[t.tm_mon]) {
    *why = strformat("Month %d of %d has no day %d; the start time is not changed.", t.tm_mon + 1,
                     t.tm_year + 1900, t.tm_mday);
    return false;
  }
  mktime_ntz(&t);
  o->start_tm = t;
  return true;
}

GtkWidget* create_orbit_field(const OrbitField& f, const KEPLER& kepler, const ORBIT& orbit) {
  const double v = orbit_field_value(f, kepler, orbit);
  return Create_Spin(f.id, field_changed, f.format, v, std::min(f.lo, v), std::max(f.hi, v));
}

std::string start_time_text(const BrokenTime& tm) {
  static constexpr const char* kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const int mon = std::clamp(tm.tm_mon, 0, 11);
  return strformat("%.3s%3d %.2d:%.2d:%.2d %d", kMonths[mon], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                   1900 + tm.tm_year);
}

void recompute_orbit(PIC_INFO* pic) {
  if (calc_orbitconst(&pic->kepler, &pic->orbit) == 0) pic->orbit.valid = false;
}

void Set_Keplervals(GtkWidget* window, const KEPLER* kepler, const ORBIT* orbit) {
  MainWindow* mw = main_window_of(window);
  if (mw == nullptr || mw->window() == nullptr) return;
  MainWindow::Quiet quiet(mw);
  for (const char* title : {kKeplerDataTitle, kOrbitEditTitle}) {
    GtkWidget* w = Find_Window(mw->window(), title);
    if (w == nullptr) continue;
    for (const OrbitField& f : kFields) {
      if (is_element(f.what) ? kepler == nullptr : orbit == nullptr) continue;
      if (Find_Widget(w, f.id) == nullptr) continue;
      const double v =
          orbit_field_value(f, kepler != nullptr ? *kepler : KEPLER{}, orbit != nullptr ? *orbit : ORBIT{});
      const char* fmt = is_real(f) ? "%f" : "%d";
      // Bounds first, then the value: a value is shown as it is, never
      // clamped into an edit.
      Set_Adjustbnd(w, f.id, fmt, std::min(f.lo, v), std::max(f.hi, v));
      Set_Adjust(w, f.id, fmt, v);
    }
    if (orbit == nullptr) continue;
    Set_Entry(w, "Height sat", "%f", orbit->height / 1000.0);
    Set_Entry(w, "!Sel_starttime", "%s", start_time_text(orbit->start_tm).c_str());
    Set_Button(w, orbit->use_sattime ? "Satellite time" : "Computer time", 1);
    // The corrections apply to the computer's time only.
    Sense_Button(w, "^Offset gmt", orbit->use_sattime ? 0 : 1);
    Sense_Button(w, "^Offset sec", orbit->use_sattime ? 0 : 1);
  }
}

namespace {
// The picture as its header says, read into a copy: a header that cannot be
// read changes nothing.
int read_header_copy(const PIC_INFO& pic, std::unique_ptr<PIC_INFO>* copy) {
  if (!pic.pic_fp || !is_family(pic.file_type)) return kErrType;
  *copy = std::make_unique<PIC_INFO>(pic);
  return read_hrpt1_hdr(copy->get());
}
}  // namespace

int Reload_Kepler(PIC_INFO* pic) {
  std::unique_ptr<PIC_INFO> copy;
  const int r = pic != nullptr ? read_header_copy(*pic, &copy) : kErrType;
  if (r != 0) return r;
  pic->kepler = copy->kepler;
  pic->orbit = copy->orbit;
  recompute_orbit(pic);
  return 0;
}

bool recorded_elements(const PIC_INFO& pic, KEPLER* kepler) {
  std::unique_ptr<PIC_INFO> copy;
  if (read_header_copy(pic, &copy) != 0) return false;
  *kepler = copy->kepler;
  return true;
}

std::string header_refusal(MainWindow* mw) {
  if (mw == nullptr || !mw->has_picture()) return "No recording is open.";
  const PIC_INFO* pic = mw->pic();
  if (!is_family(pic->file_type))
    return strformat("%s is not an HRPT, CHRPT or SeaStar recording; its header holds no orbit.",
                     pic->path.c_str());
  const std::string& rec = mw->record()->rec_file;
  if (mw->recording() && (rec.empty() || same_file(rec, pic->path)))
    return strformat("%s is being recorded; its header is written when the recording ends.",
                     pic->path.c_str());
  return "";
}

bool next_reliable_frame(MainWindow* mw, GtkWidget* w, const char* result_id, const char* use_id, int* from,
                         bool* found, FRAME_HDR* hdr) {
  const int line = search_first_reliable_frame(*from, mw->pic(), mw->view(), hdr);
  *found = line > 0;
  if (!*found) {
    Set_Entry(w, result_id, "%s", "Failed!");
    Sense_Button(w, use_id, 0);
    return false;
  }
  *from = line;
  return true;
}

int save_recording_header(MainWindow* mw) {
  std::string why = header_refusal(mw);
  PIC_INFO* pic = mw != nullptr ? mw->pic() : nullptr;
  std::vector<uint8_t> old;
  if (why.empty()) {
    const ORBIT& o = pic->orbit;
    if (pic->sat_name.size() > kHeaderNameMax)
      why = strformat("The satellite name \"%s\" is longer than the %zu characters a header holds.",
                      pic->sat_name.c_str(), kHeaderNameMax);
    else if (o.offset_gmt < kHeaderCorrMin || o.offset_gmt > kHeaderCorrMax ||
             o.offset_sec < kHeaderCorrMin || o.offset_sec > kHeaderCorrMax)
      why = strformat("A header holds time corrections of %d to %d; Offset gmt %d, Offset sec %d.",
                      kHeaderCorrMin, kHeaderCorrMax, o.offset_gmt, o.offset_sec);
  }
  if (why.empty()) {
    old = read_header_bytes(pic->path);
    if (old.empty() || std::memcmp(old.data(), magic_of(pic->file_type), 4) != 0)
      why = strformat("%s no longer holds the recording that was opened.", pic->path.c_str());
  }
  if (!why.empty()) {
    Create_Message("Warning", "%s\nNothing written.", why.c_str());
    return -1;
  }
  MessageListener told;
  if (Rewrite_hdr(pic, &told) == 0) return 0;
  // A rewrite that failed part way: the old header goes back.
  if (read_header_bytes(pic->path) != old && !put_back_header(pic->path, old))
    Create_Message("Error", "The old header of %s could not be put back.", pic->path.c_str());
  return -1;
}

void follow_picture(MainWindow* mw, GtkWidget* window, std::unique_ptr<WindowFollower> follower) {
  WindowFollower* f = follower.release();
  g_object_set_data_full(G_OBJECT(window), kKeyFollower, f,
                         [](gpointer p) { delete static_cast<WindowFollower*>(p); });
  mw->add_follower(f);
}

void follower_window_destroyed(GtkWidget* window) {
  // The main window is gone already when it went first (end of the program).
  if (MainWindow* mw = main_window_of(window))
    if (WindowFollower* f = picture_follower(window)) mw->remove_follower(f);
  destroy_window(window);
}

WindowFollower* picture_follower(GtkWidget* window) {
  return window != nullptr ? static_cast<WindowFollower*>(g_object_get_data(G_OBJECT(window), kKeyFollower))
                           : nullptr;
}

// ---------------------------------------------------------------- window
void Menu_orbitedt(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || !mw->has_picture()) return;
  Create_orbitedt_wnd(mw);
}

GtkWidget* Create_orbitedt_wnd(MainWindow* mw) {
  PIC_INFO* pic = mw->pic();
  GtkWidget* w = Create_Window(mw->window(), 0, 0, kOrbitEditTitle, follower_window_destroyed);
  if (w == nullptr) {  // open already: shows the picture's values
    Set_Keplervals(mw->window(), &pic->kepler, &pic->orbit);
    return Find_Window(mw->window(), kOrbitEditTitle);
  }
  MainWindow::Quiet quiet(mw);
  const KEPLER& k = pic->kepler;
  const ORBIT& o = pic->orbit;
  GtkWidget* corrections = Pack("Corrections", 'h', create_orbit_field(*orbit_field("^Offset gmt"), k, o), 3,
                                create_orbit_field(*orbit_field("^Offset sec"), k, o), 3,
                                create_orbit_field(*orbit_field("^Offset lon"), k, o), 3,
                                Create_Button("Advanced", orbitedt_cmds), 0, nullptr);
  // One statement each: the second button joins the group the first starts.
  GtkWidget* computer = Create_Radio("Computer time", 1, orbitedt_cmds);
  GtkWidget* satellite = Create_Radio("Satellite time", 0, orbitedt_cmds);
  GtkWidget* radios = Pack("Select", 'v', computer, 0, satellite, 0, nullptr);
  GtkWidget* when = Create_Entry("!Sel_starttime", nullptr, "%s  ", start_time_text(o.start_tm).c_str());
  gtk_widget_set_valign(when, GTK_ALIGN_CENTER);
  GtkWidget* start = Pack("Start time", 'h', when, 3, radios, 0, nullptr);
  GtkWidget* extract =
      Pack("Extract time", 'h', Create_Button("Search time", orbitedt_cmds), 3,
           Create_Entry("!from_line", nullptr, "%11s", ""), 3, Create_Entry("!sat", nullptr, "%11s", ""), 3,
           Create_Button("Use time", orbitedt_cmds), 0, nullptr);
  GtkWidget* file = Pack("File", 'h', Create_Button("Reload", orbitedt_cmds), 3,
                         Create_Button("Save", orbitedt_cmds), 0, nullptr);
  GtkWidget* self = Pack("This window", 'h', Create_Button(" Exit ", orbitedt_cmds), 3,
                         Create_Button("Cancel", orbitedt_cmds), 0, nullptr);
  GtkWidget* buttons = Pack(nullptr, 'h', Create_Button("Redraw", orbitedt_cmds), 3,
                            Create_Button("Undo", orbitedt_cmds), 3, file, 3, self, 0, nullptr);
  gtk_container_add(GTK_CONTAINER(w),
                    Pack(nullptr, 'v', corrections, 3, start, 3, extract, 3, buttons, 0, nullptr));
  // The window manager's close acts as " Exit ": the changes stay.
  follow_picture(mw, w, std::make_unique<OrbitEditor>(mw));
  Sense_Button(w, "Use time", 0);
  place_window(w, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
  gtk_widget_show_all(w);
  Set_Keplervals(mw->window(), &pic->kepler, &pic->orbit);
  return w;
}

void orbitedt_cmds(GtkWidget* widget, const char* id) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || mw->quiet() || id == nullptr || !mw->has_picture()) return;
  PIC_INFO* pic = mw->pic();
  OrbitEditor* ed = orbit_editor(mw);
  GtkWidget* ow = Find_Window(mw->window(), kOrbitEditTitle);
  if (ed != nullptr && ed->start) {
    ed->pre = take_snapshot(*pic);
    ed->forget_frame();
    ed->updated = false;
    ed->start = false;
  }
  bool redraw = false;
  bool show = false;
  if (const OrbitField* f = orbit_field(id)) {
    std::string why;
    if (!store_orbit_field(*f, Get_Adjustc(widget), &pic->kepler, &pic->orbit, &why)) {
      Set_Keplervals(mw->window(), &pic->kepler, &pic->orbit);
      Create_Message("Error", "%s", why.c_str());
      return;
    }
    redraw = true;
  }
  recompute_orbit(pic);
  if (GtkWidget* kw = Find_Window(mw->window(), kKeplerDataTitle)) {
    MainWindow::Quiet quiet(mw);
    Set_Entry(kw, "Height sat", "%f", pic->orbit.height / 1000.0);
  }

  if (std::strcmp(id, "Computer time") == 0 || std::strcmp(id, "Satellite time") == 0) {
    // Both buttons of the pair report a change; the one switched on acts.
    if (GTK_IS_TOGGLE_BUTTON(widget) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget))) {
      choose_time_source(pic, id[0] == 'S');
      redraw = show = true;
    }
  } else if (std::strcmp(id, "Search time") == 0 && ed != nullptr && ow != nullptr) {
    search_time(mw, ed, ow);
  } else if (std::strcmp(id, "Use time") == 0 && ed != nullptr && ed->found) {
    use_time(mw, ed);
    redraw = show = true;
  } else if (std::strcmp(id, "Advanced") == 0) {
    Menu_kepleredt(widget, id);
  } else if (std::strcmp(id, "Redraw") == 0) {
    redraw = true;
    if (ed != nullptr) ed->updated = true;
  } else if (std::strcmp(id, "Undo") == 0 && ed != nullptr) {
    restore_snapshot(ed->pre, pic);
    redraw = show = true;
  } else if (std::strcmp(id, "Reload") == 0) {
    const std::string why = header_refusal(mw);
    if (!why.empty()) {
      Create_Message("Warning", "%s\nNothing reloaded.", why.c_str());
    } else if (Reload_Kepler(pic) != 0) {
      Create_Message("Error", "read problem in %s.\n", pic->path.c_str());
    } else {
      redraw = show = true;
    }
  } else if (std::strcmp(id, "Save") == 0) {
    save_recording_header(mw);
  } else if (std::strcmp(id, " Exit ") == 0) {
    if (ow != nullptr) gtk_widget_destroy(ow);
    ow = nullptr;
  } else if (std::strcmp(id, "Cancel") == 0 && ed != nullptr) {
    restore_snapshot(ed->pre, pic);
    redraw = true;
    show = true;
    if (ow != nullptr) gtk_widget_destroy(ow);
    ow = nullptr;
  }
  if (show) Set_Keplervals(mw->window(), &pic->kepler, &pic->orbit);
  if (ow != nullptr) {
    MainWindow::Quiet quiet(mw);
    Set_Entry(ow, "!Sel_starttime", "%s", start_time_text(pic->orbit.start_tm).c_str());
  }
  if (redraw) mw->request_redraw();
}

}  // namespace kelo
