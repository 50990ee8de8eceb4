#include "core/export/file_save.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/base/bytes.h"
#include "core/base/misc.h"
#include "core/export/png_writer.h"
#include "core/files/file.h"
#include "core/files/gif_read.h"
#include "core/files/hri_functions.h"
#include "core/files/hrpt1_read.h"
#include "core/files/hrpt1_write.h"
#include "core/files/new_file.h"
#include "core/files/ppm.h"
#include "core/orbit/draw_satpos.h"
#include "core/view/data_proc.h"
#include "core/view/mapping.h"
#include "core/view/rgbdraw.h"

namespace kelo {

namespace {

constexpr int kMax8 = 255;    // 8-bit exchange pictures
constexpr int kMax10 = 1023;  // 10-bit recordings
constexpr int kLevels8 = 256;
constexpr int kLevels10 = 1024;
constexpr int kBits10 = 10;

// Kinds the writer dispatch can write.
bool has_writer(FileKind kind) {
  return kind == kKindPPM || kind == kKindPGM || kind == kKindPGM8 || kind == kKindGIF || kind == kKindHRPT ||
         kind == kKindCHRPT || kind == kKindSeaStar || kind == kKindPNG;
}

// The PGM/PPM kind whose samples a PNG holds: the colour mix as PPM, one
// channel as PGM (keeping the source's depth).
FileKind samples_like(FileKind kind, bool colour_mix) {
  if (kind != kKindPNG) return kind;
  return colour_mix ? kKindPPM : kKindPGM;
}

// Pictures whose writer stores one byte per sample.
bool is_8bit_dest(FileKind kind) { return kind == kKindPPM || kind == kKindPGM8 || kind == kKindGIF; }

const char* kind_name(FileKind kind) {
  switch (kind) {
    case kKindSun:
      return "Sun raster";
    case kKindTiff:
      return "TIFF";
    case kKindHRI:
      return "HRI";
    case kKindAHRPT:
      return "AHRPT";
    default:
      return "such";
  }
}

void report_to(SaveReport* out, const SaveReport& rep) {
  if (out != nullptr) *out = rep;
}

int fail(ExportListener& listener, SaveReport* out, SaveReport rep, const std::string& text) {
  rep.status = -1;
  rep.message = text;
  listener.finished(ExportOutcome::Error, text);
  report_to(out, rep);
  return -1;
}

// A cancelled PGM/PPM keeps the rows written: the header is written again
// with the true height (its digits may be fewer) and the pixel bytes copied
// behind it into a second temporary, which becomes the picture. False, with
// the reason, when that failed.
bool shorten_pnm(PIC_INFO* dst, NewFile& first, long hdr_len, int rows, std::string* error) {
  dst->pic_fp.close();
  first.file().close();
  FILE* in = std::fopen(first.temp_path().c_str(), "rb");
  if (in == nullptr) {
    *error = strformat("Can't read %s: %s", first.temp_path().c_str(), std::strerror(errno));
    return false;
  }
  NewFile second;
  bool ok = second.open(first.dest(), error);
  int full = dst->height;
  dst->height = rows;
  if (ok) dst->pic_fp = second.file();
  if (ok && write_header(dst) < 0) ok = false;
  dst->height = full;
  if (ok && std::fseek(in, hdr_len, SEEK_SET) != 0) ok = false;
  std::vector<char> buf(1 << 16);
  while (ok) {
    size_t n = std::fread(buf.data(), 1, buf.size(), in);
    if (n == 0) break;
    if (std::fwrite(buf.data(), 1, n, dst->pic_fp.get()) != n) ok = false;
  }
  if (std::ferror(in) != 0) ok = false;
  std::fclose(in);
  dst->pic_fp.close();
  if (!ok) {
    if (error->empty()) *error = strformat("Can't write %s: %s", first.dest().c_str(), std::strerror(errno));
    return false;
  }
  if (!second.commit(true, error)) return false;
  first.remove();
  return true;
}

// The most picture lines the source's file can hold from its size: for
// PGM/PPM the stored lines (a cut last line counts, it reads padded); for
// GIF what the compressed bytes can at most expand to (a code is at least
// min_code_size + 1 bits and stands for at most 4096 pixels). A header that
// claims more is believed only that far. Recordings already count their
// lines from the file's size.
int lines_file_holds(const PIC_INFO* src) {
  constexpr int64_t kLzwMaxRun = 4096;  // pixels one GIF code can stand for
  constexpr int kGifMinCodeBits = 3;    // the smallest code: min code size 2, plus one
  FILE* fp = src->pic_fp.get();
  struct stat st {};
  if (fp == nullptr || fstat(fileno(fp), &st) != 0 || !S_ISREG(st.st_mode)) return src->height;
  const int64_t data = std::max<int64_t>(0, static_cast<int64_t>(st.st_size) - src->data_offset);
  int64_t lines = src->height;
  if ((src->file_type == kKindPPM || src->file_type == kKindPGM || src->file_type == kKindPGM8) &&
      src->frame.line_bytes > 0) {
    lines = (data + src->frame.line_bytes - 1) / src->frame.line_bytes;
  } else if (src->file_type == kKindGIF && src->width > 0) {
    const int64_t pixels = data * 8 / kGifMinCodeBits * kLzwMaxRun;
    lines = (pixels + src->width - 1) / src->width;
  }
  return static_cast<int>(std::min<int64_t>(lines, src->height));
}

}  // namespace

const char* save_extension(FileKind file_type) {
  switch (file_type) {
    case kKindSun:
      return "sun";
    case kKindTiff:
      return "tif";
    case kKindPPM:
      return "ppm";
    case kKindPGM:
    case kKindPGM8:
      return "pgm";
    case kKindGIF:
      return "gif";
    case kKindPNG:
      return "png";
    case kKindHRPT:
    case kKindCHRPT:
    case kKindSeaStar:
      return "10b";
    case kKindHRI:
      return "hri";
    default:
      return "dat";
  }
}

int zoomed_extent(int n, float zoom) {
  // The largest float below 2^31: anything at or above it does not fit.
  constexpr float kIntLimit = 2147483520.0f;
  const float q = static_cast<float>(n) / zoom;
  if (!(q > 0.0f)) return 0;
  return q >= kIntLimit ? static_cast<int>(kIntLimit) : static_cast<int>(q);
}

bool is_hrpt_family(FileKind file_type) {
  return file_type == kKindHRPT || file_type == kKindCHRPT || file_type == kKindSeaStar ||
         file_type == kKindAHRPT;
}

int export_bitshift(FileKind src_type, int src_depth, FileKind dst_type, int lmax) {
  if (is_hrpt_family(dst_type)) {
    if (is_hrpt_family(src_type)) return 0;
    // Recordings hold 10-bit samples: an 8-bit picture moves up by 2; a
    // deeper PGM moves down instead of overflowing.
    if (src_depth <= 0 || src_depth > 16) return 2;
    return kBits10 - src_depth;
  }
  if (dst_type == kKindPGM) {
    // PGM keeps the source's depth (two bytes a sample above 8 bits).
    return 0;
  }
  bool deep_src = is_hrpt_family(src_type) || src_type == kKindPGM || (src_type == kKindPPM && src_depth > 8);
  if (!deep_src) return 0;
  // Scale so that the upper end of the luminance window fits eight bits.
  if (lmax < 256) return 0;
  if (lmax < 512) return -1;
  return -2;
}

int save_destination(const PIC_INFO* src, PIC_INFO* dst, FileKind dst_kind,
                     const int chan_on[kMaxChannels + 1]) {
  *dst = *src;
  FileKind kind = dst_kind;
  if (dst_kind == kKindHRPT) {
    if (src->file_type == kKindHRPT || src->file_type == kKindCHRPT || src->file_type == kKindSeaStar)
      kind = src->file_type;
    else if (src->file_type == kKindAHRPT)
      // No writer exists for AHRPT; the ten-channel recording layout holds
      // all six of its channels.
      kind = kKindCHRPT;
    else
      kind = kKindHRPT;
  }
  dst->file_type = kind;
  int count = 0;
  for (int n = 1; n <= kMaxChannels; n++) {
    // A channel the file does not hold cannot be exported.
    dst->chan_present[n] = (chan_on != nullptr && chan_on[n] != 0 && src->chan_present[n] != 0) ? 1 : 0;
    count += dst->chan_present[n];
  }
  bool keeps_header = kind == kKindHRPT || kind == kKindCHRPT || kind == kKindAHRPT;
  // AHRPT lines carry no HRPT housekeeping words to copy.
  if (!keeps_header || src->file_type == kKindAHRPT || kind != src->file_type) dst->chan_present[0] = 0;
  return count;
}

FileKind save_initial_kind(FileKind src_type) {
  switch (src_type) {
    case kKindHRPT:
    case kKindCHRPT:
    case kKindSeaStar:
    case kKindAHRPT:
      return kKindHRPT;
    case kKindPPM:
      return kKindPPM;
    case kKindPGM:
      return kKindPGM;
    case kKindPGM8:
      return kKindPGM8;
    default:
      return kKindGIF;
  }
}

std::string save_new_name(const std::string& typed, const std::string& dir, FileKind kind) {
  std::string base = typed;
  size_t dot = base.find('.');
  if (dot != std::string::npos) base.resize(dot);
  std::string name;
  if (create_new_filename(&name, dir, base, std::string(".") + save_extension(kind)) == 0) return {};
  return name;
}

int save_led_colour(int rgb_map, FileKind kind) {
  constexpr int kLedMulti = 3840;   // red: the colour mix goes into the picture
  constexpr int kLedSingle = 1911;  // one channel per picture
  return rgb_map != 0 && (kind == kKindPPM || kind == kKindPNG) ? kLedMulti : kLedSingle;
}

bool save_single_channel(FileKind kind) { return !is_hrpt_family(kind); }

void save_channel_pressed(FileKind kind, int pressed, const int present[kMaxChannels + 1],
                          int on[kMaxChannels + 1]) {
  if (pressed == 0) {
    for (int n = 1; n <= kMaxChannels; n++) on[n] = present[n] != 0 ? 1 : 0;
  }
  if (!save_single_channel(kind)) return;
  for (int n = 1; n <= kMaxChannels; n++) {
    if (n != pressed) on[n] = 0;
  }
}

namespace {

// Everything the row loop needs, settled before the first row is written:
// the view as exported, the bit shift, the channel list, the screen mapping,
// the grid, the line store and sample buffers, and the working file.
struct SavePlan {
  std::unique_ptr<VIEW_INFO> work;      // a copy: the display stays as it was
  std::unique_ptr<VIEW_INFO> hri_view;  // the mapping view of an HRI source
  bool family = false;                  // writing a recording (HRPT family)
  bool use_rgb = false;                 // writing the channel map's colour mix
  int hdr_count = 0;                    // housekeeping words copied per line
  int shift = 0;
  int dst_max = kMax10;
  int list[kMaxChannels] = {};  // channels to write, as positions in the source line
  int nlist = 0;
  std::vector<int> xmap, ymap;
  DRAWABLE_INFO grid_canvas;  // the polar grid, drawn at the destination's size
  bool polar_grid = false;
  uint16_t grid_r = 0, grid_g = 0, grid_b = 0;
  int nlines = 0;  // lines the line store holds per row
  size_t src_len = 0, out_len = 0;
  LineSet lines;
  std::vector<uint16_t> red, green, blue, pg, pb;
  std::vector<uint8_t> marks;
  NewFile out;                     // the working file, renamed over the wanted path at the end
  long hdr_len = 0;                // bytes of the header written (PGM/PPM: where the pixels start)
  std::unique_ptr<PngWriter> png;  // a PNG keeps its rows until the end

  bool grid_at(int x, int y, int width) const {
    size_t at = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return at + 2 < grid_canvas.rgb_buf.size() &&
           (grid_canvas.rgb_buf[at] | grid_canvas.rgb_buf[at + 1] | grid_canvas.rgb_buf[at + 2]) != 0;
  }
};

// What the row loop did.
struct RowsDone {
  int rows = 0;
  bool cancelled = false;
  bool write_failed = false;
};

std::string write_failed_text(const std::string& path) {
  return strformat("Writing %s failed (%s); nothing was saved.", path.c_str(),
                   std::strerror(errno != 0 ? errno : EIO));
}

// Opens the working file and writes the destination's header. On failure
// nothing is left behind and the reason is returned.
std::string open_destination(SavePlan& p, PIC_INFO* src, PIC_INFO* dst, const std::string& path) {
  dst->pic_fp.close();
  std::string why;
  if (!p.out.open(path, &why)) return why + ".";
  dst->pic_fp = p.out.file();
  errno = 0;
  int hres = write_header(dst);
  p.hdr_len = hres;
  if ((p.family && hres != 0) || (!p.family && hres < 0)) {
    std::string text = write_failed_text(path);
    dst->pic_fp.close();
    p.out.remove();
    return text;
  }
  // A GIF source decodes from its start again; one that cannot be read
  // again would save lines from the wrong place.
  if (src->file_type == kKindGIF && rewind_gif(src) != 0) {
    dst->pic_fp.close();
    p.out.remove();
    return strformat("Reading %s again failed; nothing was saved.", src->path.c_str());
  }
  return {};
}

// Decides the destination (size, depth, frame layout), the bit shift, the
// channels, the mapping and the grid, allocates the buffers and opens the
// working file. Returns the reason when the export cannot go on (then no
// file was made).
std::string plan_save(PIC_INFO* src, PIC_INFO* dst, const std::string& path, const VIEW_INFO* view,
                      ExportListener& listener, SavePlan& p, SaveReport& rep) {
  if (!src->pic_fp) return "No picture open.";
  if (!has_writer(dst->file_type))
    return strformat("Can't write %s files; choose (C)HRPT, PPM, PGM, PGM1, Gif or PNG.",
                     kind_name(dst->file_type));

  p.work = std::make_unique<VIEW_INFO>(*view);
  VIEW_INFO& work = *p.work;
  p.family = is_hrpt_family(dst->file_type);
  // A recording stores channels, not colour mixes: the channel map applies
  // to the exchange pictures only.
  p.use_rgb = work.rgb_map != 0 && !p.family;

  int nsel = 0;
  for (int n = 1; n <= kMaxChannels; n++) nsel += dst->chan_present[n] != 0 ? 1 : 0;
  if (nsel == 0 && !p.use_rgb) return "No channels selected.";

  // Bit shift and header words.
  if (p.family) {
    work.orientation = Orientation::Normal;
    work.scan_dir = ScanDir::TopDown;
    work.linearize = 0;
    if (src->chan_present[0] != 0 && dst->chan_present[0] != 0) p.hdr_count = src->frame.hdr_words;
  }
  const FileKind like = samples_like(dst->file_type, p.use_rgb);
  p.shift = export_bitshift(src->file_type, src->depth, like, work.lmax);
  rep.bitshift = p.shift;
  listener.bitshift_chosen(p.shift);

  // Channels to write, as positions among the source's channels.
  for (int n = 1; n <= kMaxChannels; n++) work.chan_sel[n] = dst->chan_present[n];
  // Each HRI channel has its own size; the exported one sets it.
  if (src->file_type == kKindHRI) hri_channelselect(src, &work);
  p.nlist = p.use_rgb ? 0 : load_chan(src, &work, p.list);
  if (!p.use_rgb && p.nlist <= 0) return "No channels selected.";
  // Exchange pictures hold one channel; the first chosen one is written.
  if (!p.family && p.nlist > 1) p.nlist = 1;

  // Destination size from the zoom.
  float zx = work.zoom.zx >= 1.0f ? work.zoom.zx : 1.0f;
  float zy = work.zoom.zy >= 1.0f ? work.zoom.zy : 1.0f;
  work.zoom.zx = zx;
  work.zoom.zy = zy;
  dst->width = zoomed_extent(src->width, zx);
  // Only the lines the file holds are exported, whatever its header claims.
  dst->height = zoomed_extent(lines_file_holds(src), zy);
  if (dst->width <= 0 || dst->height <= 0) return "Nothing to save: the picture is empty.";
  if (p.family && dst->width > kHrpt1MaxWidth)
    return strformat(
        "A recording holds at most %d samples a line, the picture is %d wide: zoom out, or "
        "choose PPM, PGM or Gif.",
        kHrpt1MaxWidth, dst->width);
  p.dst_max = kMax10;
  if (p.family) {
    dst->depth = kBits10;
    dst->lut_size = kLevels10;
    dst->frame = calc_hrptframeinfo(dst->file_type, dst->chan_present, dst->width);
    if (p.hdr_count > 0 &&
        (dst->frame.hdr_words != p.hdr_count || dst->frame.tail_words != src->frame.tail_words)) {
      // Layouts differ: keep the picture, drop the housekeeping words.
      dst->chan_present[0] = 0;
      p.hdr_count = 0;
      dst->frame = calc_hrptframeinfo(dst->file_type, dst->chan_present, dst->width);
    }
  } else if (is_8bit_dest(like) || src->lut_size <= 0) {
    // These writers store one byte a sample, so the header must say 255.
    dst->lut_size = kLevels8;
    dst->depth = 8;
    p.dst_max = kMax8;
  } else {
    p.dst_max = std::min(src->lut_size, kLutEntries) - 1;
  }
  rep.rows_total = dst->height;

  // Screen mapping of the destination: column -> buffer index, row -> line.
  // An HRI line buffer holds only the channel read, at index 0 whatever its
  // number: the mapping is asked as for the file's first channel.
  VIEW_INFO* mapview = &work;
  if (src->file_type == kKindHRI) {
    p.hri_view = std::make_unique<VIEW_INFO>(work);
    for (int n = 1; n <= kMaxChannels; n++) p.hri_view->chan_sel[n] = 0;
    for (int n = 1; n <= kMaxChannels; n++)
      if (src->chan_present[n] != 0) {
        p.hri_view->chan_sel[n] = 1;
        break;
      }
    mapview = p.hri_view.get();
  }
  if (map_xy(dst->width, dst->height, p.use_rgb ? 1 : 0, src, mapview, &p.xmap, &p.ymap) != 0 ||
      static_cast<int>(p.xmap.size()) < dst->width || static_cast<int>(p.ymap.size()) < dst->height)
    return "Not enough memory to save.";

  // The longitude/latitude grid of a polar picture, drawn as the main window
  // draws it into a scratch canvas of the destination's size: every pixel
  // the grid (or its labels) touches is a grid pixel of the export.
  if (work.grid_on != 0 && src->file_type != kKindHRI && src->orbit.valid != 0) {
    auto grid_view = std::make_unique<VIEW_INFO>(work);
    const uint16_t kMarkColour = 255;
    for (uint16_t& c : grid_view->grid_rgb) c = kMarkColour;
    if (renew_rgbbuf(&p.grid_canvas, dst->width, dst->height) >= 0 && !p.grid_canvas.rgb_buf.empty()) {
      std::fill(p.grid_canvas.rgb_buf.begin(), p.grid_canvas.rgb_buf.end(), 0);
      p.polar_grid = draw_lonlat_canvas(src, grid_view.get(), &p.grid_canvas, nullptr) != 0;
    }
    if (!p.polar_grid) listener.warning("The grid could not be drawn; the picture is saved without it.");
  }

  // Line store and sample buffers.
  work.vshift_min = 0;
  work.vshift_max = 0;
  if (p.use_rgb) {
    for (int n = 1; n <= kMaxChannels; n++) {
      int t = work.tilt[n] < 0 ? -work.tilt[n] : work.tilt[n];
      work.vshift_min = std::min(work.vshift_min, work.vshift[n] - t);
      work.vshift_max = std::max(work.vshift_max, work.vshift[n] + t);
    }
  }
  p.nlines = work.vshift_max - work.vshift_min + 1;
  if (work.despeckle_on != 0) p.nlines *= 3;
  int padded = src->frame.words_padded;
  if (padded <= 0 || !checked_size(static_cast<size_t>(padded), kLineBufFactor, size_t{1} << 28, &p.src_len))
    return "The picture's line length is not usable.";
  p.out_len = std::max({p.src_len, static_cast<size_t>(src->width) + 4,
                        static_cast<size_t>(std::max(dst->frame.words_padded, 0)) + 4});
  p.lines = LineSet(padded, p.nlines);
  try {
    p.red.assign(p.out_len, 0);
    p.green.assign(p.out_len, 0);
    p.blue.assign(p.out_len, 0);
    p.pg.assign(p.src_len, 0);
    p.pb.assign(p.src_len, 0);
    if (work.grid_on != 0) p.marks.assign(p.src_len, 0);
  } catch (...) {
    return "Not enough memory to save.";
  }
  if (!p.lines.ok()) return "Not enough memory to save.";

  std::string opened = open_destination(p, src, dst, path);
  if (!opened.empty()) return opened;
  if (dst->file_type == kKindPNG) {
    // The samples and their maximum are those of the PGM/PPM the same export writes.
    p.png = std::make_unique<PngWriter>(dst->width, like == kKindPPM,
                                        ppm_header_maxval(like, dst->lut_size, dst->depth));
  }

  // Grid colour: the view's colour where the picture has colour, white
  // (the destination's top level) elsewhere.
  p.grid_r = p.grid_g = p.grid_b = static_cast<uint16_t>(p.dst_max);
  if (like == kKindPPM || dst->file_type == kKindTiff) add_gridpix(&work, &p.grid_r, &p.grid_g, &p.grid_b);
  return {};
}

// Reads, maps, scales and writes every row of the destination, asking the
// listener between rows whether to stop.
RowsDone write_rows(SavePlan& p, PIC_INFO* src, PIC_INFO* dst, ExportListener& listener) {
  VIEW_INFO& work = *p.work;
  const int shift = p.shift;
  const int dst_max = p.dst_max;
  auto scale = [shift, dst_max](int v) {
    if (shift > 0) v <<= shift;
    if (shift < 0) v >>= -shift;
    return static_cast<uint16_t>(std::clamp(v, 0, dst_max));
  };
  const int src_hdr = src->frame.hdr_words;
  const int src_nch = src->frame.n_channels > 0 ? src->frame.n_channels : 1;
  const int src_tail = src->frame.tail_words;
  const int line_cap = static_cast<int>(p.src_len);
  const size_t out_len = p.out_len;
  const int hdr_count = p.hdr_count;
  const int nlist = p.nlist;
  uint16_t* red = p.red.data();
  uint16_t* green = p.green.data();
  uint16_t* blue = p.blue.data();
  bool colour_src = src->file_type == kKindPPM && p.nlines == 1;

  listener.progress_begin(dst->height);
  RowsDone done;
  int last_status = 0;
  for (int y = 0; y < dst->height; y++) {
    // The source line of this row (with the grid marks when asked).
    int status = read_lines(&work, src, p.ymap.data(), y, p.nlines, p.lines.get(), p.pg.data(), p.pb.data(),
                            p.marks.empty() ? nullptr : p.marks.data(), p.lines.memory());
    // A row that shows the same file line as the row before reads nothing
    // and keeps that line's quality.
    if (y > 0 && status == 0) status = last_status;
    last_status = status;
    const uint16_t* line = p.lines[0];
    // Housekeeping words unchanged.
    for (int i = 0; i < hdr_count && i < line_cap; i++) red[i] = green[i] = blue[i] = line[i];
    int off = 0;
    if (p.use_rgb) {
      // Colour mix of the whole line, then the zoomed part of it.
      Translate_Line(&work, src, shift, 0, 0, p.lines.get(), p.nlines, red, green, blue);
      for (int x = 0; x < src->width && x < static_cast<int>(out_len); x++) {
        red[x] = std::min<uint16_t>(red[x], static_cast<uint16_t>(dst_max));
        green[x] = std::min<uint16_t>(green[x], static_cast<uint16_t>(dst_max));
        blue[x] = std::min<uint16_t>(blue[x], static_cast<uint16_t>(dst_max));
      }
      off = work.zoom.ox;
      if (work.orientation == Orientation::FromSouth) off = src->width - work.zoom.ox - dst->width;
      off = std::clamp(off, 0, std::max(0, src->width - dst->width));
      if (p.polar_grid) {
        for (int x = 0; x < dst->width; x++) {
          size_t at = static_cast<size_t>(off + x);
          if (at < out_len && p.grid_at(x, y, dst->width)) {
            red[at] = p.grid_r;
            green[at] = p.grid_g;
            blue[at] = p.grid_b;
          }
        }
      }
    } else {
      for (int x = 0; x < dst->width; x++) {
        int base = p.xmap[static_cast<size_t>(x)];
        int gridpix = -1;
        if (!p.marks.empty()) gridpix = (base - src_hdr - p.list[0]) / src_nch;
        bool on_grid = p.polar_grid
                           ? p.grid_at(x, y, dst->width)
                           : gridpix >= 0 && gridpix < line_cap && p.marks[static_cast<size_t>(gridpix)] != 0;
        for (int c = 0; c < nlist; c++) {
          int idx = base + p.list[c] - p.list[0];
          size_t out = static_cast<size_t>(hdr_count) + static_cast<size_t>(x) * static_cast<size_t>(nlist) +
                       static_cast<size_t>(c);
          if (out >= out_len) continue;
          if (on_grid) {
            red[out] = p.grid_r;
            green[out] = p.grid_g;
            blue[out] = p.grid_b;
            continue;
          }
          int v = (idx >= 0 && idx < line_cap) ? line[idx] : 0;
          red[out] = scale(v);
          if (colour_src && idx >= 0 && idx < line_cap) {
            green[out] = scale(p.pg[static_cast<size_t>(idx)]);
            blue[out] = scale(p.pb[static_cast<size_t>(idx)]);
          } else {
            green[out] = blue[out] = red[out];
          }
        }
      }
    }
    // Tail words unchanged.
    if (hdr_count > 0) {
      int from = src_hdr + src->width * src_nch;
      size_t to =
          static_cast<size_t>(hdr_count) + static_cast<size_t>(dst->width) * static_cast<size_t>(nlist);
      for (int i = 0; i < src_tail; i++) {
        if (from + i >= line_cap || to + static_cast<size_t>(i) >= out_len) break;
        red[to + static_cast<size_t>(i)] = line[from + i];
      }
      // Pad words of the record are zero.
      size_t end = to + static_cast<size_t>(src_tail);
      for (size_t i = end; i < static_cast<size_t>(dst->frame.words_padded) && i < out_len; i++) red[i] = 0;
    }
    // Progress and cancel.
    if (listener.progress_update(y, dst->height)) {
      done.cancelled = true;
      break;
    }
    // The line. Recordings keep the line's sync quality in its marker.
    int flags = p.family ? status : 0;
    if (p.png) {
      p.png->add_row(red + off, green + off, blue + off);
    } else if (write_line(red + off, green + off, blue + off, dst, flags) != 0) {
      done.write_failed = true;
      break;
    }
    done.rows++;
  }
  listener.progress_end();
  return done;
}

// Finishes the working file (a cancelled one states the rows it holds),
// renames it over the wanted path and reports. Returns the export's status.
int commit_save(SavePlan& p, PIC_INFO* dst, const std::string& path, const RowsDone& done,
                ExportListener& listener, SaveReport* report, SaveReport& rep) {
  auto abandon = [&](const std::string& text) {
    dst->pic_fp.close();
    p.out.remove();
    return fail(listener, report, rep, text);
  };
  if (done.write_failed || (p.png && !p.png->write(dst->pic_fp.get())) || write_finish(dst) != 0)
    return abandon(write_failed_text(path));
  if (done.cancelled && p.family) {
    // The recording's header then states the lines it really holds.
    int full = dst->height;
    dst->height = done.rows;
    bool ok = std::fseek(dst->pic_fp.get(), 0, SEEK_SET) == 0 && write_header(dst) == 0;
    dst->height = full;
    if (!ok) return abandon(write_failed_text(path));
  }
  errno = 0;
  if (!dst->pic_fp.close_checked()) return abandon(write_failed_text(path));
  std::string why;
  if (done.cancelled &&
      (dst->file_type == kKindPPM || dst->file_type == kKindPGM || dst->file_type == kKindPGM8)) {
    if (!shorten_pnm(dst, p.out, p.hdr_len, done.rows, &why)) return abandon(why + "; nothing was saved.");
  } else if (!p.out.commit(true, &why)) {
    return abandon(why + "; nothing was saved.");
  }

  if (done.cancelled) {
    rep.status = 1;
    rep.message = strformat("Cancelled; %d of %d lines saved in %s.", done.rows, dst->height, path.c_str());
  } else {
    rep.status = 0;
    rep.message = strformat("Saved in %s; bitshift=%d.", path.c_str(), p.shift);
  }
  listener.finished(ExportOutcome::Info, rep.message);
  report_to(report, rep);
  return rep.status;
}

}  // namespace

namespace {
bool same_inode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
}  // namespace

bool export_source_copy(const PIC_INFO& src, PIC_INFO* copy) {
  struct stat open_st = {};
  struct stat path_st = {};
  if (!src.pic_fp || fstat(fileno(src.pic_fp.get()), &open_st) != 0) return false;
  *copy = src;
  copy->pic_fp.close();
  if (!copy->pic_fp.open(src.path, "rb")) return false;
  // The name may meanwhile stand for another file (a recording written
  // over it): only the file on screen is exported.
  if (fstat(fileno(copy->pic_fp.get()), &path_st) != 0 || !same_inode(open_st, path_st)) {
    copy->pic_fp.close();
    return false;
  }
  return true;
}

bool is_source_file(const PIC_INFO& src, const std::string& path) {
  struct stat open_st = {};
  struct stat path_st = {};
  if (!src.pic_fp || fstat(fileno(src.pic_fp.get()), &open_st) != 0) return false;
  return stat(path.c_str(), &path_st) == 0 && same_inode(open_st, path_st);
}

int Save_it(ExportListener* listener, PIC_INFO* src, PIC_INFO* dst, const std::string& path,
            const VIEW_INFO* view, SaveReport* report) {
  ExportListener silent;
  ExportListener& told = listener != nullptr ? *listener : silent;
  SaveReport rep;
  if (src == nullptr || dst == nullptr || view == nullptr)
    return fail(told, report, rep, "No picture to save.");
  if (!src->pic_fp) return fail(told, report, rep, "No picture open.");
  if (is_source_file(*src, path))
    return fail(told, report, rep, strformat("Can't save over the open picture %s.", path.c_str()));
  auto own = std::make_unique<PIC_INFO>();
  if (!export_source_copy(*src, own.get()))
    return fail(told, report, rep,
                strformat("Reading %s again failed; nothing was saved.", src->path.c_str()));
  SavePlan plan;
  std::string refused = plan_save(own.get(), dst, path, view, told, plan, rep);
  if (!refused.empty()) return fail(told, report, rep, refused);
  RowsDone done = write_rows(plan, own.get(), dst, told);
  rep.rows_written = done.rows;
  return commit_save(plan, dst, path, done, told, report, rep);
}

int Rewrite_hdr(PIC_INFO* pic, ExportListener* listener) {
  if (pic == nullptr) return 0;
  if (pic->file_type != kKindHRPT && pic->file_type != kKindCHRPT && pic->file_type != kKindSeaStar) return 0;
  ExportListener silent;
  ExportListener& told = listener != nullptr ? *listener : silent;
  // The picture stays open on its old handle until the new one is there.
  KFile rw;
  if (!rw.open(pic->path, "r+b")) {
    told.finished(ExportOutcome::Error, strformat("Can't reopen %s for writing", pic->path.c_str()));
    return -1;
  }
  pic->pic_fp = rw;
  rw.close();
  int res = write_hrpt1_hdr(pic);
  bool flushed = std::fflush(pic->pic_fp.get()) == 0;
  pic->pic_fp.close();
  // Without its file the picture cannot be shown any more: that outranks
  // how the rewrite went.
  if (!pic->pic_fp.open(pic->path, "rb")) {
    told.finished(ExportOutcome::Error, strformat("Can't reopen %s for reading", pic->path.c_str()));
    return -1;
  }
  if (res != 0 || !flushed) {
    told.finished(ExportOutcome::Error, strformat("Rewriting header in %s failed.", pic->path.c_str()));
    return -1;
  }
  told.finished(ExportOutcome::Info, strformat("Rewriting header in %s succeeded.", pic->path.c_str()));
  return 0;
}

}  // namespace kelo
