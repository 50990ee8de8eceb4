#include "core/export/kelo_export_cli.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>

#include "core/base/misc.h"
#include "core/base/paths.h"
#include "core/base/prefer.h"
#include "core/export/export_kinds.h"
#include "core/export/export_listener.h"
#include "core/export/file_save.h"
#include "core/export/geotiff.h"
#include "core/files/file.h"
#include "core/files/gif_read.h"
#include "core/files/new_file.h"
#include "core/orbit/calc_satpos.h"
#include "core/orbit/orbit_model.h"
#include "core/view/channels.h"
#include "core/view/data_proc.h"
#include "core/view/hrpt_calcs.h"
#include "core/view/lumi.h"
#include "core/view/map_chan.h"
#include "core/view/open_picture.h"
#include "core/view/render.h"
#include "core/view/rgbdraw.h"

namespace kelo {

namespace {

constexpr double kStationPi = 3.1415926;  // the station's value of pi, everywhere
constexpr int kExitOk = 0;
constexpr int kExitFail = 1;
constexpr int kExitUsage = 2;
// Scratch canvas for the automatic luminance window: large enough for a
// representative histogram, small enough to be quick on a full pass.
constexpr int kAutoLumCanvas = 1024;
// Lines the temperature view holds per row: the calibration looks for the
// platinum thermometer readings in five consecutive frames.
constexpr int kTempLines = 5;
constexpr int kRenderMax = 16384;  // widest/highest canvas --render accepts

// What the export tells a kelo-export run: the final text on standard
// output, a failure kept for the one "ERROR:" line, warnings on standard
// error. Progress is not shown and never cancels.
class CliExportListener : public ExportListener {
 public:
  CliExportListener(std::ostream& out, std::ostream& err, std::string* last_error)
      : out_(out), err_(err), last_error_(last_error) {}
  void warning(const std::string& text) override { err_ << "Warning: " << one_line(text) << "\n"; }
  void finished(ExportOutcome outcome, const std::string& text) override {
    if (outcome == ExportOutcome::Error)
      *last_error_ = one_line(text);
    else
      out_ << one_line(text) << "\n";
  }

 private:
  std::ostream& out_;
  std::ostream& err_;
  std::string* last_error_;
};

// What went wrong in a run, for its one "ERROR:" line.
struct RunState {
  std::string last_error;
};

struct UsageError {
  std::string text;
};

bool parse_int(const std::string& s, int* v) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  long x = std::strtol(s.c_str(), &end, 10);
  if (errno != 0 || end == nullptr || *end != '\0' || x < -1000000000L || x > 1000000000L) return false;
  *v = static_cast<int>(x);
  return true;
}

bool parse_float(const std::string& s, float* v) {
  if (s.empty()) return false;
  char* end = nullptr;
  errno = 0;
  float x = std::strtof(s.c_str(), &end);
  if (errno != 0 || end == nullptr || *end != '\0' || !std::isfinite(x)) return false;
  *v = x;
  return true;
}

std::vector<std::string> split(const std::string& s, char sep) {
  std::vector<std::string> parts;
  std::string cur;
  for (char c : s) {
    if (c == sep) {
      parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  parts.push_back(cur);
  return parts;
}

std::vector<int> int_list(const std::string& opt, const std::string& s, size_t count, char sep = ',') {
  std::vector<std::string> parts = split(s, sep);
  if (count != 0 && parts.size() != count)
    throw UsageError{opt + " needs " + std::to_string(count) + " numbers, got '" + s + "'"};
  std::vector<int> v;
  for (const std::string& p : parts) {
    int x = 0;
    if (!parse_int(p, &x)) throw UsageError{opt + ": '" + s + "' is not a list of whole numbers"};
    v.push_back(x);
  }
  return v;
}

std::vector<float> float_list(const std::string& opt, const std::string& s, size_t count) {
  std::vector<std::string> parts = split(s, ',');
  if (parts.size() != count)
    throw UsageError{opt + " needs " + std::to_string(count) + " numbers, got '" + s + "'"};
  std::vector<float> v;
  for (const std::string& p : parts) {
    float x = 0;
    if (!parse_float(p, &x)) throw UsageError{opt + ": '" + s + "' is not a list of numbers"};
    v.push_back(x);
  }
  return v;
}

int channel_number(const std::string& opt, const std::string& s) {
  int ch = 0;
  if (!parse_int(s, &ch) || ch < 1 || ch > kMaxChannels)
    throw UsageError{opt + ": channel '" + s + "' is not 1 to 10"};
  return ch;
}

// "CH=V" -> (channel, text of V)
std::pair<int, std::string> channel_assign(const std::string& opt, const std::string& s) {
  size_t eq = s.find('=');
  if (eq == std::string::npos) throw UsageError{opt + " needs CH=VALUE, got '" + s + "'"};
  return {channel_number(opt, s.substr(0, eq)), s.substr(eq + 1)};
}

struct Options {
  std::string input;
  std::string output;
  bool new_name = false;
  bool force = false;
  FileKind kind = kKindNone;  // none: from the output name or the source
  std::vector<int> channels;
  bool all_channels = false;
  bool info = false;
  int frame = -1;
  bool lonlat = false;
  int lx = 0, ly = 0;
  bool probe = false;
  bool geotiff = false;    // -t geotiff
  bool has_orbit = false;  // --orbit given: it overrides the preference
  OrbitModel orbit = OrbitModel::Simple;
  int px = 0, py = 0;
  bool render = false;
  int rw = 0, rh = 0;
  bool help = false;
  bool no_prefs = false;
  bool verbose = false;  // tell which preference file was read
  // view settings (applied in order after the file is opened)
  bool rgb = false;
  bool auto_color = false;
  bool auto_align = false;
  std::vector<std::pair<int, std::vector<float>>> weights;
  bool has_offset = false;
  int offset[3] = {};
  std::vector<std::pair<int, int>> hshift, vshift, tilt;
  bool has_lum = false;
  int lmin = 0, lmax = 0;
  bool auto_lum = false;
  bool has_gamma = false;
  float gamma = 0;
  bool invert = false;
  bool despeckle = false;
  bool has_desp_limits = false;
  int desp_u = 0, desp_l = 0;
  bool linearize = false;
  bool skip_faulty = false;
  bool mark_faulty = false;
  int skip_mask = -1;
  ScanDir direction = ScanDir::Unset;  // unset: as the file says
  bool grid = false;
  bool has_grid_rgb = false;
  int grid_rgb[3] = {};
  bool temperature = false;
  bool has_zoom = false;
  float zx = 1, zy = 1;
  bool has_origin = false;
  int ox = 0, oy = 0;
};

// The kind an output name asks for by its extension, or kKindNone.
FileKind kind_of_extension(const std::string& name) {
  std::string base = strip_filename(name);
  size_t dot = base.rfind('.');
  if (dot == std::string::npos) return kKindNone;
  return export_kind_of_extension(base.substr(dot + 1));
}

Options parse(const std::vector<std::string>& args) {
  Options o;
  size_t i = 0;
  auto value = [&](const std::string& opt) -> std::string {
    if (i + 1 >= args.size()) throw UsageError{opt + " needs a value"};
    return args[++i];
  };
  for (; i < args.size(); i++) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "-o" || a == "--output") {
      o.output = value(a);
    } else if (a == "--new-name") {
      o.new_name = true;
    } else if (a == "--force") {
      o.force = true;
    } else if (a == "-t" || a == "--type") {
      std::string t = value(a);
      o.geotiff = t == "geotiff";
      o.kind = o.geotiff ? kKindNone : export_kind_of_name(t);
      if (o.kind == kKindNone && !o.geotiff)
        throw UsageError{"--type: '" + t + "' is not " + export_type_names() + " (or geotiff)"};
    } else if (a == "-c" || a == "--channel" || a == "--channels") {
      std::string v = value(a);
      if (v == "all") {
        o.all_channels = true;
      } else {
        for (const std::string& p : split(v, ',')) o.channels.push_back(channel_number(a, p));
      }
    } else if (a == "--info") {
      o.info = true;
    } else if (a == "--frame") {
      if (!parse_int(value(a), &o.frame) || o.frame < 0)
        throw UsageError{"--frame needs a line number 0 or above"};
    } else if (a == "--lonlat") {
      std::vector<int> v = int_list(a, value(a), 2);
      o.lonlat = true;
      o.lx = v[0];
      o.ly = v[1];
    } else if (a == "--probe") {
      std::vector<int> v = int_list(a, value(a), 2);
      o.probe = true;
      o.px = v[0];
      o.py = v[1];
    } else if (a == "--orbit") {
      const std::string m = value(a);
      if (!orbit_model_from_name(m, &o.orbit))
        throw UsageError{"--orbit: '" + m + "' is not simple or precise"};
      o.has_orbit = true;
    } else if (a == "--render") {
      std::vector<int> v = int_list(a, value(a), 2, 'x');
      if (v[0] < 1 || v[1] < 1 || v[0] > kRenderMax || v[1] > kRenderMax)
        throw UsageError{"--render needs WxH, each 1 to " + std::to_string(kRenderMax)};
      o.render = true;
      o.rw = v[0];
      o.rh = v[1];
    } else if (a == "--no-prefs") {
      o.no_prefs = true;
    } else if (a == "--verbose") {
      o.verbose = true;
    } else if (a == "--rgb") {
      o.rgb = true;
    } else if (a == "--auto-color") {
      o.rgb = true;
      o.auto_color = true;
    } else if (a == "--auto-align") {
      o.auto_align = true;
    } else if (a == "--weight") {
      auto [ch, text] = channel_assign(a, value(a));
      o.weights.push_back({ch, float_list(a, text, 3)});
      o.rgb = true;
    } else if (a == "--offset") {
      std::vector<int> v = int_list(a, value(a), 3);
      o.has_offset = true;
      std::copy(v.begin(), v.end(), o.offset);
    } else if (a == "--hshift" || a == "--vshift" || a == "--tilt") {
      auto [ch, text] = channel_assign(a, value(a));
      int v = 0;
      if (!parse_int(text, &v)) throw UsageError{a + ": '" + text + "' is not a whole number"};
      (a == "--hshift" ? o.hshift : a == "--vshift" ? o.vshift : o.tilt).push_back({ch, v});
    } else if (a == "--lum") {
      std::vector<int> v = int_list(a, value(a), 2);
      o.has_lum = true;
      o.lmin = v[0];
      o.lmax = v[1];
    } else if (a == "--auto-lum") {
      o.auto_lum = true;
    } else if (a == "--gamma") {
      if (!parse_float(value(a), &o.gamma) || o.gamma < 0)
        throw UsageError{"--gamma needs a number 0 or above"};
      o.has_gamma = true;
    } else if (a == "--invert") {
      o.invert = true;
    } else if (a == "--despeckle") {
      o.despeckle = true;
    } else if (a == "--despeckle-limits") {
      std::vector<int> v = int_list(a, value(a), 2);
      o.has_desp_limits = true;
      o.despeckle = true;
      o.desp_u = v[0];
      o.desp_l = v[1];
    } else if (a == "--linearize") {
      o.linearize = true;
    } else if (a == "--skip-faulty") {
      o.skip_faulty = true;
    } else if (a == "--mark-faulty") {
      o.mark_faulty = true;
    } else if (a == "--sync") {
      std::string v = value(a);
      if (v == "pre")
        o.skip_mask = kLinePreSync;
      else if (v == "post")
        o.skip_mask = kLinePostSync;
      else if (v == "both")
        o.skip_mask = kLinePreSync | kLinePostSync;
      else
        throw UsageError{"--sync: '" + v + "' is not pre, post or both"};
    } else if (a == "--north") {
      o.direction = ScanDir::TopDown;
    } else if (a == "--south") {
      o.direction = ScanDir::BottomUp;
    } else if (a == "--grid") {
      o.grid = true;
    } else if (a == "--grid-color") {
      std::vector<int> v = int_list(a, value(a), 3);
      for (int c : v)
        if (c < 0 || c > 255) throw UsageError{"--grid-color needs three values 0 to 255"};
      o.has_grid_rgb = true;
      std::copy(v.begin(), v.end(), o.grid_rgb);
    } else if (a == "--temperature") {
      o.temperature = true;
    } else if (a == "--zoom") {
      std::string v = value(a);
      std::vector<std::string> parts = split(v, ',');
      if (parts.size() == 1) parts.push_back(parts[0]);
      if (parts.size() != 2 || !parse_float(parts[0], &o.zx) || !parse_float(parts[1], &o.zy) || o.zx < 1 ||
          o.zy < 1)
        throw UsageError{"--zoom needs ZX[,ZY], each 1 or above"};
      o.has_zoom = true;
    } else if (a == "--origin") {
      std::vector<int> v = int_list(a, value(a), 2);
      o.has_origin = true;
      o.ox = v[0];
      o.oy = v[1];
    } else if (!a.empty() && a[0] == '-') {
      throw UsageError{"unknown option " + a + " (see --help)"};
    } else {
      if (!o.input.empty()) throw UsageError{"only one picture file, got '" + o.input + "' and '" + a + "'"};
      o.input = a;
    }
  }
  return o;
}

const char* open_error_text(int code) {
  switch (code) {
    case kErrDepth:
      return "picture depth not supported";
    case kErrOpen:
      return "can't open file";
    case kErrNoPic:
      return "no picture found";
    case kErrRead:
      return "read problem";
    case kErrType:
      return "unknown file type";
    default:
      return "unknown error";
  }
}

// Applies the view options after the file is open.
std::string apply_view(const Options& o, PIC_INFO* pic, VIEW_INFO* view) {
  if (!o.channels.empty()) {
    for (int n = 1; n <= kMaxChannels; n++) view->chan_sel[n] = 0;
    for (int ch : o.channels) {
      if (pic->chan_present[ch] == 0) return "channel " + std::to_string(ch) + " is not in " + pic->path;
      view->chan_sel[ch] = 1;
    }
  }
  if (o.rgb) view->rgb_map = true;
  if (o.auto_color && mapchan_auto_color(pic, view) != 0)
    return "no automatic colour for this kind of file; give --weight";
  for (const auto& [ch, w] : o.weights) {
    if (pic->chan_present[ch] == 0) return "channel " + std::to_string(ch) + " is not in " + pic->path;
    view->map_wr[ch] = w[0];
    view->map_wg[ch] = w[1];
    view->map_wb[ch] = w[2];
    view->map_used[ch] = 1;
  }
  if (o.has_offset) std::copy(o.offset, o.offset + 3, view->map_offset);
  if (o.auto_align) mapchan_auto_align(pic, view);
  for (const auto& [ch, v] : o.hshift) view->hshift[ch] = v;
  for (const auto& [ch, v] : o.vshift) view->vshift[ch] = v;
  for (const auto& [ch, v] : o.tilt) view->tilt[ch] = v;
  if (o.has_gamma) view->gamma = o.gamma;
  if (o.invert) view->invert = true;
  if (o.despeckle) view->despeckle_on = true;
  if (o.has_desp_limits) {
    view->desp_ulimit = o.desp_u;
    view->desp_llimit = o.desp_l;
  }
  if (o.linearize) view->linearize = true;
  if (o.skip_faulty) view->skip_faulty = true;
  if (o.mark_faulty) view->mark_faulty = true;
  if (o.skip_mask >= 0) view->skip_mask = o.skip_mask;
  if (o.direction == ScanDir::TopDown) {
    view->orientation = Orientation::Normal;
    view->scan_dir = ScanDir::TopDown;
  } else if (o.direction == ScanDir::BottomUp) {
    view->orientation = Orientation::FromSouth;
    view->scan_dir = ScanDir::BottomUp;
  }
  if (o.grid) view->grid_on = true;
  if (o.has_grid_rgb)
    for (int c = 0; c < 3; c++) view->grid_rgb[c] = static_cast<uint16_t>(o.grid_rgb[c]);
  if (o.temperature) view->temperature = true;
  if (o.has_zoom) {
    view->zoom.zx = o.zx;
    view->zoom.zy = o.zy;
  }
  if (o.has_origin) {
    view->zoom.ox = o.ox;
    view->zoom.oy = o.oy;
  }
  // The origin stays inside the picture at this zoom.
  float zx = view->zoom.zx >= 1 ? view->zoom.zx : 1;
  float zy = view->zoom.zy >= 1 ? view->zoom.zy : 1;
  int xmax = pic->width - zoomed_extent(pic->width, zx);
  int ymax = pic->height - zoomed_extent(pic->height, zy);
  view->zoom.zx = zx;
  view->zoom.zy = zy;
  view->zoom.ox = std::clamp(view->zoom.ox, 0, std::max(0, xmax));
  view->zoom.oy = std::clamp(view->zoom.oy, 0, std::max(0, ymax));
  if (o.has_lum) {
    view->lmin = o.lmin;
    view->lmax = o.lmax;
  }
  return {};
}

// Output path: as given (refused when it exists, unless --force), a free
// name from it with --new-name, or the first free dumpNN.<ext> here.
std::string output_path(const Options& o, FileKind kind, std::string* error) {
  if (o.output.empty() || o.new_name) {
    std::string dir, typed = "dump";
    if (!o.output.empty()) {
      size_t slash = o.output.rfind(kDirSep);
      dir = slash == std::string::npos ? std::string() : o.output.substr(0, slash + 1);
      typed = slash == std::string::npos ? o.output : o.output.substr(slash + 1);
    }
    std::string name = save_new_name(typed, dir, kind);
    if (name.empty()) {
      *error = "no free file name " + dir + typed + "NN." + save_extension(kind);
      return {};
    }
    return dir + name;
  }
  // Anything under the name takes it: a link that leads nowhere too.
  if (!o.force && name_taken(o.output)) {
    *error = "file " + o.output + " exists; give --force to overwrite it";
    return {};
  }
  return o.output;
}

// A full picture pass into a scratch canvas fills the histogram; the
// luminance window is then taken from it as the luminance window does.
bool auto_luminance(PIC_INFO* pic, VIEW_INFO* view) {
  // The pass runs on a copy: only the window it finds is taken over, the
  // zoom and origin asked for stay as they are.
  auto scratch_view = std::make_unique<VIEW_INFO>(*view);
  DRAWABLE_INFO scratch;
  int w = std::min(kAutoLumCanvas, std::max(1, pic->width));
  int h = std::min(kAutoLumCanvas, std::max(1, pic->height));
  if (render_view(pic, scratch_view.get(), &scratch, w, h) != 0) return false;
  int levels = view->rgb_map != 0 ? kMapMaxLevel + 1 : pic->lut_size;
  calc_lum_thresholds(scratch_view.get(), levels);
  view->lmin = scratch_view->lmin;
  view->lmax = scratch_view->lmax;
  return true;
}

// Degrees to four places (about 10 m) with the simple model; to six (about
// 0.1 m) with the precise one, whose positions are worth it.
std::string fmt_deg(double rad, OrbitModel model) {
  char buf[64];
  std::snprintf(buf, sizeof buf, model == OrbitModel::Precise ? "%.6f" : "%.4f", rad * 180.0 / kStationPi);
  return buf;
}

// Longitude,latitude of a picture pixel (column and line of the stored
// picture), or an empty text when the picture has no orbit.
std::string lonlat_text(PIC_INFO* pic, int x, int y) {
  if (pic->orbit.valid == 0) return {};
  POSITION pos;
  if (xy2lonlat(x + pic->x_offset, y + pic->y_offset, pic, &pos) == 0) return {};
  return fmt_deg(pos.lon, pic->orbit.model) + "," + fmt_deg(pos.lat, pic->orbit.model);
}

int probe(PIC_INFO* pic, VIEW_INFO* view, int x, int y, std::ostream& out, std::ostream& err,
          std::string* error) {
  if (x < 0 || y < 0 || x >= pic->width || y >= pic->height) {
    *error = "pixel " + std::to_string(x) + "," + std::to_string(y) + " is outside the picture (" +
             std::to_string(pic->width) + " x " + std::to_string(pic->height) + ")";
    return kExitFail;
  }
  out << "pixel " << x << "," << y << "\n";
  std::string ll = lonlat_text(pic, x, y);
  if (!ll.empty()) out << "lonlat " << ll << "\n";
  int padded = pic->frame.words_padded;
  int hdr = pic->frame.hdr_words;
  int nch = pic->frame.n_channels > 0 ? pic->frame.n_channels : 1;
  int nlines = kTempLines;
  LineSet lines(padded, nlines);
  if (!lines.ok()) {
    *error = "not enough memory to read line " + std::to_string(y);
    return kExitFail;
  }
  size_t cap = static_cast<size_t>(padded) * kLineBufFactor;
  std::vector<uint16_t> g(cap), b(cap);
  int linemap[1] = {y};
  if (pic->file_type == kKindGIF && rewind_gif(pic) != 0) {
    *error = "the picture cannot be read again";
    return kExitFail;
  }
  int status =
      read_lines(view, pic, linemap, 0, nlines, lines.get(), g.data(), b.data(), nullptr, lines.memory());
  if (status == 0) {
    *error = "line " + std::to_string(y) + " cannot be read";
    return kExitFail;
  }
  bool grey_file = pic->file_type == kKindGIF || pic->file_type == kKindPGM || pic->file_type == kKindPPM ||
                   pic->file_type == kKindHRI;
  std::vector<std::pair<int, size_t>> where;  // channel, index in the line
  if (grey_file) {
    where.push_back({1, static_cast<size_t>(x)});
  } else {
    int k = 0;
    for (int ch = 1; ch <= kMaxChannels; ch++) {
      if (pic->chan_present[ch] == 0) continue;
      where.push_back({ch, static_cast<size_t>(hdr) + static_cast<size_t>(x) * static_cast<size_t>(nch) +
                               static_cast<size_t>(k)});
      k++;
    }
  }
  for (const auto& [ch, idx] : where) {
    if (idx >= cap) continue;
    if (pic->file_type == kKindPPM) {
      out << "rgb " << lines[0][idx] << "," << g[idx] << "," << b[idx] << "\n";
    } else {
      out << "ch" << ch << " " << lines[0][idx] << "\n";
    }
  }
  // The temperature view's value: counts of the thermal channels turned
  // into brightness temperatures with this line's own calibration.
  if (pic->file_type == kKindHRPT && pic->chan_present[0] != 0) {
    std::string warning;
    CAL_COEFS cal = load_cal(pic->sat_name, &warning);
    // No calibration of its own: the temperatures use NOAA 15's, and the
    // operator is told so.
    if (!warning.empty()) err << "Warning: " << one_line(warning) << "\n";
    NoaaTempState temp_state;
    map_noaatemp(lines.get(), nlines, &cal, pic, view, &temp_state);
    for (const auto& [ch, idx] : where) {
      if (ch >= 3 && ch <= 5 && idx < cap) out << "temp" << ch << " " << lines[0][idx] << "\n";
    }
  }
  return kExitOk;
}

// -t geotiff: one channel (the first given, or the first shown) with ground
// control points from the picture's orbit model.
int export_geotiff(const Options& o, PIC_INFO* pic, VIEW_INFO* view, std::ostream& out, std::ostream& err,
                   RunState& state) {
  auto failed = [&](const std::string& text) {
    state.last_error = text;
    return kExitFail;
  };
  if (o.all_channels || o.channels.size() > 1)
    return failed("GeoTIFF pictures hold one channel; choose one with --channel");
  GeoTiffRequest req;
  req.temperature = o.temperature;
  if (!o.channels.empty()) req.channel = o.channels[0];
  for (int n = 1; n <= kMaxChannels && req.channel == 0; n++)
    if (view->chan_sel[n] != 0 && pic->chan_present[n] != 0) req.channel = n;
  std::string why;
  std::string path = output_path(o, kKindTiff, &why);
  if (path.empty()) return failed(why);
  CliExportListener told(out, err, &state.last_error);
  SaveReport rep;
  if (save_geotiff(&told, pic, view, req, path, &rep) < 0) return failed(rep.message);
  return kExitOk;
}

int run(const Options& o, std::ostream& out, std::ostream& err, RunState& state) {
  auto failed = [&](const std::string& text) {
    state.last_error = text;
    return kExitFail;
  };
  if (o.input.empty()) return failed("no picture file given (see --help)");
  // Only a regular file is read: a FIFO with no writer would wait forever,
  // a directory or a device is no picture.
  struct stat st {};
  if (stat(o.input.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
    return failed(o.input + " is not a regular file");
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  // This run's preferences: the first .kelorc found, or the defaults.
  auto prefs = std::make_unique<PREFS>();
  if (!o.no_prefs) {
    PrefDirs dirs;
    // Standard output and error are for scripts: the file read is told
    // only when asked.
    if (Read_Prefs("kelo-export", prefs.get(), &dirs, PrefNotice::Quiet) == 1 && o.verbose)
      err << "Preference file " << prefs->pref_file << " found.\n";
  } else {
    Load_Prefdef(prefs.get());
  }
  Load_Prefs(prefs.get(), nullptr, view.get(), pic.get());
  if (o.has_orbit) pic->orbit.model = o.orbit;
  pic->path = o.input;
  size_t slash = o.input.rfind(kDirSep);
  pic->dir = slash == std::string::npos ? std::string() : o.input.substr(0, slash + 1);
  int r = open_picture(pic.get(), view.get(), nullptr);
  if (r != 0) {
    return failed(std::string(open_error_text(r)) + " (" + std::to_string(r) + ") in " + o.input);
  }
  std::string verr = apply_view(o, pic.get(), view.get());
  if (!verr.empty()) return failed(verr);

  bool did = false;
  if (o.info) {
    out << file_info_text(pic.get());
    did = true;
  }
  if (o.frame >= 0) {
    if (pic->chan_present[0] == 0 || !(is_hrpt_family(pic->file_type) || pic->file_type == kKindHRI))
      return failed("no frame header recorded in " + o.input);
    int nr = o.frame;
    std::string block = frame_info_text(pic.get(), &nr);
    out << block;
    if (nr != o.frame) return failed("line " + std::to_string(o.frame) + " is past the end of " + o.input);
    did = true;
  }
  if (o.lonlat) {
    std::string ll = lonlat_text(pic.get(), o.lx, o.ly);
    if (ll.empty()) return failed("no orbit for " + o.input + " (Kepler elements and line timing needed)");
    out << ll << "\n";
    did = true;
  }
  if (o.probe) {
    std::string why;
    if (probe(pic.get(), view.get(), o.px, o.py, out, err, &why) != kExitOk) return failed(why);
    did = true;
  }
  if (o.auto_lum && !auto_luminance(pic.get(), view.get()))
    return failed("the picture pass for --auto-lum failed");
  if (o.render) {
    std::string why;
    Options ro = o;
    std::string path = output_path(ro, kKindPPM, &why);
    if (path.empty()) return failed(why);
    DRAWABLE_INFO canvas;
    if (render_view(pic.get(), view.get(), &canvas, o.rw, o.rh) != 0)
      return failed("the picture pass failed");
    std::string werr;
    if (write_canvas_ppm(&canvas, path, &werr) != 0) return failed(werr);
    out << "Rendered in " << path << ".\n";
    return kExitOk;
  }
  if (did && o.output.empty() && o.kind == kKindNone) return kExitOk;

  if (o.geotiff) return export_geotiff(o, pic.get(), view.get(), out, err, state);

  // The export, as the "Save" window's "Save" does it.
  FileKind kind = o.kind;
  if (kind == kKindNone && !o.output.empty()) kind = kind_of_extension(o.output);
  if (kind == kKindNone) kind = save_initial_kind(pic->file_type);
  int chan_on[kMaxChannels + 1] = {};
  bool single = save_single_channel(kind);
  if (o.all_channels) {
    if (single) return failed("PPM, PGM and GIF pictures hold one channel; choose one with --channel");
    for (int n = 1; n <= kMaxChannels; n++) chan_on[n] = pic->chan_present[n];
  } else if (!o.channels.empty()) {
    if (single && o.channels.size() > 1)
      return failed("PPM, PGM and GIF pictures hold one channel; choose one with --channel");
    for (int ch : o.channels) chan_on[ch] = 1;
  } else if (single) {
    for (int n = 1; n <= kMaxChannels; n++) chan_on[n] = view->chan_sel[n];
  } else {
    for (int n = 1; n <= kMaxChannels; n++) chan_on[n] = pic->chan_present[n];
  }
  auto dst = std::make_unique<PIC_INFO>();
  int count = save_destination(pic.get(), dst.get(), kind, chan_on);
  if (count == 0 && view->rgb_map == 0) return failed("No channels selected.");
  std::string why;
  std::string path = output_path(o, dst->file_type, &why);
  if (path.empty()) return failed(why);
  CliExportListener told(out, err, &state.last_error);
  SaveReport rep;
  int s = Save_it(&told, pic.get(), dst.get(), path, view.get(), &rep);
  if (s < 0) return failed(rep.message);
  return kExitOk;
}

}  // namespace

std::string kelo_export_usage() {
  return R"(Usage: kelo-export [options] PICTURE

Opens a recording (HRPT, CHRPT, SeaStar, AHRPT, HRI) or a GIF/PGM/PPM
picture with no display, applies the view settings below and writes it as a
new recording or an exchange picture, through the same pipeline as the
"Save" window; or prints facts about it.

Output:
  -o, --output NAME     write to NAME (refused when it exists, see --force)
      --new-name        use the first free NAME-without-extension + NN + .ext
                        (without -o: dumpNN.ext in the current directory)
      --force           overwrite an existing output file
  -t, --type KIND       hrpt (keeps the recording family: HRPT, CHRPT or
                        SeaStar), ppm, pgm, pgm1 (8-bit PGM), gif or png
                        (grey, 16-bit above 8 bits, or RGB for --rgb);
                        default from the extension of NAME, else as the
                        Save window; or geotiff: one channel at full size
                        with ground control points in lon/lat WGS-84 (with
                        --temperature and NOAA channel 3-5: kelvin as 32-bit
                        floats)
  -c, --channel LIST    channels to write, e.g. 4 or 1,2,4 or all
                        (PPM, PGM, GIF and PNG take one channel)
Information:
      --info            the file information text
      --frame N         the decoded frame header of line N
      --lonlat X,Y      longitude,latitude in degrees of pixel X,Y
      --orbit MODEL     simple (the preference's default) or precise
                        (SGP4/SDP4, sidereal angle of the date, AVHRR scan
                        geometry on the WGS-84 ellipsoid) for --lonlat,
                        --probe, --grid and georeferenced exports
      --probe X,Y       position, raw sample of every channel and, for NOAA
                        channels 3-5, the temperature in tenths of a kelvin
      --render WxH      draw the picture as the main window would into a
                        WxH canvas and write it as a PPM (-o NAME)
View settings:
      --rgb             mix channels into colour (PPM or PNG output)
      --weight CH=R,G,B channel CH's weights in red, green and blue
      --offset R,G,B    offsets of the three sums
      --auto-color      the natural-colour mix of the satellite family
      --hshift CH=N, --vshift CH=N, --tilt CH=N
                        channel alignment; --auto-align for the known one
      --lum MIN,MAX     luminance window; --auto-lum from the histogram
      --gamma G         gamma of the luminance map (0 or 1: linear)
      --invert          invert the luminance
      --despeckle       despeckle; --despeckle-limits U,P sets the limits
      --linearize       correct the earth's curvature
      --skip-faulty     skip lines with bad sync; --mark-faulty marks them
      --sync pre|post|both
                        which sync counts for skipping
      --north, --south  pass direction (shown from the north or the south)
      --grid            longitude/latitude grid; --grid-color R,G,B
      --temperature     temperature colours (--render, channels 3-5)
      --zoom ZX[,ZY]    zoom factors (1 = whole picture)
      --origin X,Y      first picture column and line shown
      --no-prefs        ignore .kelorc, use the built-in defaults
      --verbose         tell on standard error which .kelorc was read
  -h, --help            this text

Exit status 0 on success; otherwise one line "ERROR: ..." on standard error
and status 1 (2 for a bad command line).
)";
}

int kelo_export_main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options o;
  try {
    o = parse(args);
  } catch (const UsageError& e) {
    err << "ERROR: " << e.text << "\n";
    return kExitUsage;
  }
  if (o.help) {
    out << kelo_export_usage();
    return kExitOk;
  }
  RunState state;
  int rc = kExitFail;
  try {
    rc = run(o, out, err, state);
  } catch (const std::exception& e) {
    state.last_error = e.what();
    rc = kExitFail;
  }
  if (rc != kExitOk) {
    std::string text = state.last_error.empty() ? "export failed" : state.last_error;
    err << "ERROR: " << text << "\n";
  }
  return rc;
}

}  // namespace kelo
