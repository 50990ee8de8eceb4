#include "core/files/file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/base/bytes.h"
#include "core/base/paths.h"
#include "core/files/ahrpt1_read.h"
#include "core/files/gif_read.h"
#include "core/files/gif_write.h"
#include "core/files/hri1_read.h"
#include "core/files/hrpt1_read.h"
#include "core/files/hrpt1_write.h"
#include "core/files/ppm.h"

namespace kelo {

namespace {

constexpr const char* kProgramName = "Kelo";
constexpr int kTitleNameLimit = 90;  // stripped name + 4 must stay below this
constexpr int kMaxNewNames = 1001;   // counters tried for a new file name
constexpr size_t kMagicBytes = 4;

}  // namespace

int picture_value_max(const PIC_INFO* pic) {
  switch (pic->file_type) {
    case kKindPPM:
    case kKindPGM:
      return (1 << pic->depth) - 1;
    case kKindGIF:
      // Levels of a GIF are its colour numbers: the luminance window spans
      // its own colour table, so a 16-colour picture shows its 16 colours.
      return (pic->lut_size >= 2 && pic->lut_size <= 256) ? pic->lut_size - 1 : 255;
    case kKindHRI:
      return 255;
    default:
      return 1023;  // 10-bit polar recordings (HRPT family, AHRPT)
  }
}

FileKind detect_file(const std::string& path) {
  KFile f;
  if (path.empty() || !f.open(path, "rb")) return kKindNone;
  uint8_t b[kMagicBytes];
  if (std::fread(b, 1, kMagicBytes, f.get()) != kMagicBytes) return kKindUnknown;
  FileKind kind = kKindUnknown;
  if (std::memcmp(b, "P6", 2) == 0) kind = kKindPPM;
  if (std::memcmp(b, "P5", 2) == 0) kind = kKindPGM;
  if (std::memcmp(b, "GIF", 3) == 0) kind = kKindGIF;
  if (std::memcmp(b, "HRPT", 4) == 0) kind = kKindHRPT;
  if (std::memcmp(b, "CHRP", 4) == 0) kind = kKindCHRPT;
  if (std::memcmp(b, "SEAW", 4) == 0) kind = kKindSeaStar;
  if (std::memcmp(b, "PDUS", 4) == 0) kind = kKindHRI;
  if (get_be32(b) == kAhrptBlockSync) kind = kKindAHRPT;
  return kind;
}

std::string strip_filename(const std::string& path) {
  for (char sep : {'/', '\\', ':'}) {
    size_t at = path.rfind(sep);
    if (at != std::string::npos) return path.substr(at + 1);
  }
  return path;
}

std::string picture_window_title(const std::string& path) {
  std::string name = strip_filename(path);
  if (static_cast<int>(name.size()) + 4 >= kTitleNameLimit)
    return std::string(kProgramName) + "    File (name too long!)";
  return std::string(kProgramName) + "    File " + name;
}

void close_picfile(PIC_INFO* pic) { pic->pic_fp.close(); }

int open_file(PIC_INFO* pic, const VIEW_INFO* view, OpenListener* listener) {
  FileKind kind = detect_file(pic->path);
  if (kind == kKindNone) return kErrOpen;
  if (kind == kKindUnknown) return kErrType;
  pic->file_type = kind;
  pic->pixels_per_chan = 0;
  close_picfile(pic);
  if (!pic->pic_fp.open(pic->path, "rb")) return kErrOpen;
  if (view->slide_offset > 0 && std::fseek(pic->pic_fp.get(), view->slide_offset, SEEK_SET) != 0) {
    close_picfile(pic);
    return kErrRead;
  }
  if (listener != nullptr) listener->file_opened(*pic);
  pic->orbit.valid = 0;
  pic->sample_shift = 0;

  int r = 0;
  switch (kind) {
    case kKindPPM:
    case kKindPGM:
      pic->sat_name.clear();
      r = read_ppm_header(pic);
      break;
    case kKindGIF:
      pic->sat_name.clear();
      r = read_gif_header(pic);
      break;
    case kKindHRPT:
    case kKindCHRPT:
    case kKindSeaStar:
      r = read_hrpt1_hdr(pic);
      break;
    case kKindHRI:
      r = read_hri1_hdr(pic);
      break;
    case kKindAHRPT:
      r = read_ahrpt1_hdr(pic);
      break;
    default:
      r = kErrType;
      break;
  }
  // An exchange picture without a single pixel has nothing to show.
  if (r == 0 && (kind == kKindPPM || kind == kKindPGM || kind == kKindGIF) &&
      (pic->width <= 0 || pic->height <= 0))
    r = kErrNoPic;
  if (r != 0) {
    close_picfile(pic);
    return r;
  }
  return kOpenOk;
}

int create_new_filename(std::string* name, const std::string& dir, const std::string& base,
                        const std::string& ext) {
  char counter[16];
  for (int i = 1; i <= kMaxNewNames; ++i) {
    std::snprintf(counter, sizeof counter, "%02d", i);
    std::string candidate = base + counter + ext;
    std::string test = dir.empty() ? candidate : join_path(dir, candidate);
    // A name is taken when anything at all stands under it: a file we may
    // not read, a directory, or a link, even one that leads nowhere (the
    // recording is created exclusively, which a dangling link would refuse
    // on every pass). A new recording never replaces anything.
    struct stat st {};
    if (lstat(test.c_str(), &st) == 0) continue;
    if (errno != ENOENT) continue;
    *name = candidate;
    return i;
  }
  return 0;
}

int open_new_recfile(const std::string& base, const std::string& ext, RECORD_INFO* rec) {
  std::string name;
  int n = create_new_filename(&name, rec->rec_dir, base, ext);
  if (n == 0) return 0;
  rec->rec_file = rec->rec_dir.empty() ? name : join_path(rec->rec_dir, name);
  // "x": should another program create the name in the meantime, fail
  // instead of overwriting its file.
  if (!rec->rec_fp.open(rec->rec_file, "wbx")) return 0;
  return n;
}

void close_recfile(RECORD_INFO* rec) { rec->rec_fp.close(); }

int write_header(PIC_INFO* pic) {
  switch (pic->file_type) {
    case kKindPPM:
    case kKindPGM:
    case kKindPGM8:
      return write_ppm_header(pic);
    case kKindGIF:
      return write_gif_header(pic);
    case kKindHRPT:
    case kKindCHRPT:
    case kKindSeaStar:
      return write_hrpt1_hdr(pic);
    default:
      return 0;
  }
}

int write_line(uint16_t* red, uint16_t* green, uint16_t* blue, PIC_INFO* pic, int flags) {
  switch (pic->file_type) {
    case kKindPPM:
    case kKindPGM:
    case kKindPGM8:
      pic->frame.line_bytes = pic->width;
      return write_ppm_line(pic, red, green, blue) < 0 ? -1 : 0;
    case kKindGIF:
      return write_gif_line(pic, red);
    case kKindHRPT:
    case kKindCHRPT:
    case kKindSeaStar:
      return write_hrpt1_line(pic, red, flags) == 1 ? 0 : -1;
    default:
      return 0;
  }
}

int write_finish(PIC_INFO* pic) {
  if (pic->file_type == kKindGIF) return write_gif_end(&pic->lzw, pic->pic_fp.get());
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr) return 0;
  return (std::fflush(fp) != 0 || std::ferror(fp)) ? -1 : 0;
}

int load_chan(const PIC_INFO* pic, const VIEW_INFO* view, int* out) {
  int count = 0;
  int position = 0;
  for (int ch = 1; ch <= kMaxChannels; ++ch) {
    if (pic->chan_present[ch] == 0) continue;
    if (view->chan_sel[ch] != 0) out[count++] = position;
    ++position;
  }
  return count;
}

}  // namespace kelo
