// Frame sources of the decoder emulator: the built-in test pattern, the
// synthetic HRI stream, and the replays (HRPT1, HRI1, raw byte dumps, NOAA
// frame files of software-radio pipelines); and the source description of
// the preferences and the command line.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/base/bytes.h"
#include "core/files/hrpt1_read.h"
#include "core/files/pack10.h"
#include "core/record/emulator.h"
#include "core/record/emulator_synth.h"

namespace kelo {

namespace {

constexpr uint16_t kSync[6] = {644, 367, 860, 413, 527, 149};

struct FileCloser {
  void operator()(FILE* f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

bool has_sync(const std::vector<uint16_t>& w) {
  if (w.size() < 6) return false;
  for (int i = 0; i < 6; ++i) {
    if (w[static_cast<size_t>(i)] != kSync[i]) return false;
  }
  return true;
}

// ---------------------------------------------------------------- test pattern (HRPT)
// The generator's HRPT frames: valid sync and identification, a frame
// counter in the time-code words, and on every channel a ramp that steps by
// one count per pixel and by one per frame, offset by 200 counts per channel.
class HrptPatternSource : public EmuSource {
 public:
  bool next(EmuFrame* f) override {
    f->words.assign(kEmuNoaaFrameWords, 0);
    f->sync = 1;
    f->ten_bit = 1;
    f->kind = kKindHRPT;
    auto& w = f->words;
    for (int i = 0; i < 6; ++i) w[static_cast<size_t>(i)] = kSync[i];
    w[kEmuNoaaIdWord] = static_cast<uint16_t>((k_ % 3) << 7);
    w[kEmuNoaaMsecWord + 1] = static_cast<uint16_t>((k_ >> 10) & 0x3FF);
    w[kEmuNoaaMsecWord + 2] = static_cast<uint16_t>(k_ & 0x3FF);
    for (int x = 0; x < 2048; ++x) {
      for (int c = 0; c < 5; ++c)
        w[static_cast<size_t>(750 + 5 * x + c)] = static_cast<uint16_t>((x + 200 * c + k_) & 0x3FF);
    }
    ++k_;
    return true;
  }
  void rewind() override { k_ = 0; }

 private:
  int64_t k_ = 0;
};

// ---------------------------------------------------------------- HRI frames
// A low-resolution picture of channel 1 in segments of four frames: six
// header frames (counter 1, satellite code, date and time), then the picture
// segments with a counter rising by one per segment.
constexpr int kHriFormat = 4;        // frames per segment (lines of 1250 pixels)
constexpr int kHriHeaderSegs = 6;    // header frames repeated
constexpr int kHriLines = 500;       // picture lines of the synthetic picture
constexpr int kHriPicOffFirst = 36;  // picture bytes in a segment's first frame (format 4)
constexpr int kHriPicOffNext = 4;    // picture bytes in the other frames
constexpr int kHriLineLen = 1250;
constexpr uint16_t kHriSatCode = 0xD4F7;  // METEOSAT 7

class HriSource : public EmuSource {
 public:
  HriSource(const EmuConfig& cfg, bool pattern) : cfg_(cfg), pattern_(pattern) {}
  bool next(EmuFrame* f) override {
    const int64_t segs_total = kHriHeaderSegs + kHriLines;
    const int64_t seg = k_ / kHriFormat;
    if (seg >= segs_total) {
      if (cfg_.frames > 0 || !pattern_) return false;
      k_ = 0;  // the generator runs forever
      return next(f);
    }
    if (cfg_.frames > 0 && k_ >= cfg_.frames) return false;
    const int pos = static_cast<int>(k_ % kHriFormat);
    f->words.assign(kEmuHriFrameBytes, 0);
    f->sync = 1;
    f->ten_bit = 0;
    f->kind = kKindHRI;
    auto& b = f->words;
    b[0] = 0x05;
    b[1] = 0x0C;
    b[2] = 0xDF;
    b[3] = static_cast<uint16_t>(0x30 | pos);  // low resolution, position in the segment
    const bool header = seg < kHriHeaderSegs;
    const int64_t line = seg - kHriHeaderSegs;
    if (pos == 0) {
      const int counter = header ? 1 : static_cast<int>(seg - kHriHeaderSegs + 2);
      const int end_frame = 1 + kHriLines + 1;
      put16(b, 4, kHriFormat);
      put16(b, 6, static_cast<uint16_t>(end_frame));
      put16(b, 8, static_cast<uint16_t>(counter));
      for (int i = 12; i <= 16; ++i)
        b[static_cast<size_t>(i)] = static_cast<uint16_t>(i);  // constant per picture
      b[17] = 0xFF;                                            // channel 1 present, 2-4 absent
      b[23] = 0xFF;                                            // normal orientation, top-down
      if (header) {
        std::time_t t = static_cast<std::time_t>(cfg_.start_time);
        std::tm tm{};
        gmtime_r(&t, &tm);
        put16(b, 36, kHriSatCode);
        put16(b, 38, static_cast<uint16_t>(tm.tm_year + 1900));
        put16(b, 40, static_cast<uint16_t>(tm.tm_yday + 1));
        put16(b, 42, static_cast<uint16_t>(tm.tm_hour * 100 + tm.tm_min));
      } else {
        fill_picture(b, kHriPicOffFirst, 0, line);
      }
    } else if (!header) {
      fill_picture(b, kHriPicOffNext,
                   (kEmuHriFrameBytes - kHriPicOffFirst) + (pos - 1) * (kEmuHriFrameBytes - 4), line);
    }
    ++k_;
    return true;
  }
  void rewind() override { k_ = 0; }

 private:
  static void put16(std::vector<uint16_t>& b, int off, uint16_t v) {
    b[static_cast<size_t>(off)] = static_cast<uint16_t>(v >> 8);
    b[static_cast<size_t>(off + 1)] = static_cast<uint16_t>(v & 0xFF);
  }
  // Picture bytes from frame offset `off` for line pixels starting at `px`;
  // the bytes past the line length are the grid bitmap (left empty).
  void fill_picture(std::vector<uint16_t>& b, int off, int px, int64_t line) const {
    for (int i = off; i < kEmuHriFrameBytes; ++i, ++px) {
      if (px >= kHriLineLen) break;
      int v;
      if (pattern_)
        v = (px + static_cast<int>(line)) & 0xFF;
      else
        v = static_cast<int>(255.0 * emu_scene_albedo(line, px * 2048 / kHriLineLen));
      b[static_cast<size_t>(i)] = static_cast<uint16_t>(v);
    }
  }
  EmuConfig cfg_;
  bool pattern_;
  int64_t k_ = 0;
};

// ---------------------------------------------------------------- replays

// NOAA frame files of software-radio pipelines: 11090 16-bit words per
// minor frame, little-endian (.raw16) or big-endian (.hrp). A short last
// frame is dropped.
class Raw16Source : public EmuSource {
 public:
  Raw16Source(FilePtr f, bool big_endian) : f_(std::move(f)), be_(big_endian) {}
  bool next(EmuFrame* f) override {
    uint8_t buf[kEmuNoaaFrameWords * 2];
    if (std::fread(buf, 1, sizeof buf, f_.get()) != sizeof buf) return false;
    f->words.resize(kEmuNoaaFrameWords);
    for (int i = 0; i < kEmuNoaaFrameWords; ++i) {
      const uint16_t v = be_ ? get_be16(buf + 2 * i) : get_le16(buf + 2 * i);
      f->words[static_cast<size_t>(i)] = static_cast<uint16_t>(v & 0x3FF);  // 10-bit words
    }
    f->ten_bit = 1;
    f->kind = kKindHRPT;
    f->sync = has_sync(f->words) ? 1 : 0;
    return true;
  }
  void rewind() override { std::rewind(f_.get()); }

 private:
  FilePtr f_;
  bool be_;
};

// Raw byte dumps: the bytes in frames of a fixed length.
class RawBytesSource : public EmuSource {
 public:
  RawBytesSource(FilePtr f, int frame_len) : f_(std::move(f)), len_(frame_len) {}
  bool next(EmuFrame* f) override {
    std::vector<uint8_t> buf(static_cast<size_t>(len_));
    const size_t got = std::fread(buf.data(), 1, buf.size(), f_.get());
    if (got == 0) return false;
    f->words.assign(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(got));
    f->ten_bit = 0;
    f->kind = kKindNone;
    f->sync = 1;
    return true;
  }
  void rewind() override { std::rewind(f_.get()); }

 private:
  FilePtr f_;
  int len_;
};

// HRI1 recordings: "PDUS" and 30 zero bytes, then records of "FRAME" (or
// "FRAMe" for a frame received out of sync), a u16 length and 364 bytes.
constexpr int kHri1HdrLen = 34;
constexpr int kHri1RecLen = 5 + 2 + kEmuHriFrameBytes;

class Hri1Source : public EmuSource {
 public:
  explicit Hri1Source(FilePtr f) : f_(std::move(f)) {}
  bool next(EmuFrame* f) override {
    uint8_t rec[kHri1RecLen];
    if (std::fread(rec, 1, sizeof rec, f_.get()) != sizeof rec) return false;
    if (std::memcmp(rec, "FRAM", 4) != 0) return false;  // damaged: the replay ends here
    f->words.assign(rec + 7, rec + kHri1RecLen);
    f->ten_bit = 0;
    f->kind = kKindHRI;
    f->sync = rec[4] == 'E' ? 1 : 0;
    return true;
  }
  void rewind() override { std::fseek(f_.get(), kHri1HdrLen, SEEK_SET); }

 private:
  FilePtr f_;
};

// HRPT1 recordings (HRPT and CHRPT, 2048 samples per channel line). Each
// line is expanded back into the full minor frame the decoder would see:
// channels and housekeeping words missing from the file become 0 (a file
// without housekeeping words still gets the sync words).
class Hrpt1Source : public EmuSource {
 public:
  Hrpt1Source(FilePtr f, FileKind kind, const int* presence, const FRAME_GEOM& geom)
      : f_(std::move(f)), kind_(kind), geom_(geom) {
    for (int i = 0; i <= kMaxChannels; ++i) presence_[i] = presence[i];
  }
  bool next(EmuFrame* f) override {
    const size_t rec_len = static_cast<size_t>(geom_.line_bytes);
    buf_.resize(rec_len);
    if (std::fread(buf_.data(), 1, rec_len, f_.get()) != rec_len) return false;
    if (std::memcmp(buf_.data(), "FRAM", 4) != 0) return false;  // damaged: the replay ends here
    words_.resize(static_cast<size_t>(geom_.words_padded));
    unpack10(buf_.data() + kHrpt1MarkerLen, static_cast<size_t>(geom_.words_padded / kPackWords),
             words_.data());
    const bool chrpt = kind_ == kKindCHRPT;
    const int full_hdr = chrpt ? kChrptHdrWords : kHrptHdrWords;
    const int full_ch = chrpt ? kChrptChannels : kHrptChannels;
    f->words.assign(static_cast<size_t>(chrpt ? kEmuChrptFrameWords : kEmuNoaaFrameWords), 0);
    f->ten_bit = 1;
    f->kind = kind_;
    f->sync = buf_[4] == 'E' ? 1 : 0;
    size_t src = 0;
    if (presence_[0]) {
      std::copy(words_.begin(), words_.begin() + full_hdr, f->words.begin());
      src = static_cast<size_t>(full_hdr);
    } else {
      for (int i = 0; i < 6; ++i) f->words[static_cast<size_t>(i)] = kSync[i];
    }
    for (int x = 0; x < kHrptNominalPixels; ++x) {
      for (int c = 1; c <= full_ch; ++c) {
        if (presence_[c]) f->words[static_cast<size_t>(full_hdr + x * full_ch + c - 1)] = words_[src++];
      }
    }
    if (presence_[0]) {
      const size_t tail = static_cast<size_t>(full_hdr + kHrptNominalPixels * full_ch);
      std::copy(words_.begin() + static_cast<std::ptrdiff_t>(src),
                words_.begin() + static_cast<std::ptrdiff_t>(src) + kFrameTailWords,
                f->words.begin() + static_cast<std::ptrdiff_t>(tail));
    }
    return true;
  }
  void rewind() override { std::fseek(f_.get(), kHrpt1HdrLen, SEEK_SET); }

 private:
  FilePtr f_;
  FileKind kind_;
  int presence_[kMaxChannels + 1] = {};
  FRAME_GEOM geom_;
  std::vector<uint8_t> buf_;
  std::vector<uint16_t> words_;
};

bool ends_with(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char a = s[s.size() - n + i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    if (a != suffix[i]) return false;
  }
  return true;
}

std::unique_ptr<EmuSource> open_hrpt1(FilePtr f, const std::string& path, std::string* error) {
  std::vector<uint8_t> hdr(kHrpt1HdrLen);
  if (std::fread(hdr.data(), 1, hdr.size(), f.get()) != hdr.size()) {
    *error = "Replay file " + path + " is too short for an HRPT1 header.";
    return nullptr;
  }
  FileKind kind = kKindNone;
  if (std::memcmp(hdr.data(), "HRPT", 4) == 0) kind = kKindHRPT;
  if (std::memcmp(hdr.data(), "CHRP", 4) == 0) kind = kKindCHRPT;
  if (kind == kKindNone) {
    *error = "Replay file " + path + " is not an HRPT or CHRPT recording.";
    return nullptr;
  }
  HRPT1_HDR h;
  if (!hrpt1_hdr_from_bytes(hdr.data(), hdr.size(), kind == kKindCHRPT, &h)) {
    *error = "Replay file " + path + " has a damaged header.";
    return nullptr;
  }
  if (h.width != kHrptNominalPixels) {
    *error = "Replay file " + path + " has " + std::to_string(h.width) +
             " samples per channel line; the decoder delivers 2048.";
    return nullptr;
  }
  int presence[kMaxChannels + 1] = {};
  const int nch = kind == kKindCHRPT ? kChrptChannels : kHrptChannels;
  int any = 0;
  for (int i = 0; i <= nch; ++i) {
    presence[i] = h.presence[i] ? 1 : 0;
    any += presence[i];
  }
  FRAME_GEOM g = calc_hrptframeinfo(kind, presence, h.width);
  if (any == 0 || g.words_padded <= 0 ||
      g.line_bytes != g.words_padded / kPackWords * kPackBytes + kHrpt1MarkerLen) {
    *error = "Replay file " + path + " records no channel.";
    return nullptr;
  }
  return std::make_unique<Hrpt1Source>(std::move(f), kind, presence, g);
}

bool parse_int64(const std::string& s, int64_t* out) {
  if (s.empty()) return false;
  char* end = nullptr;
  long long v = std::strtoll(s.c_str(), &end, 10);
  if (end == nullptr || *end != '\0') return false;
  *out = v;
  return true;
}

// "YYYY-MM-DDTHH:MM:SS" (UTC) to seconds since 1970.
bool parse_utc(const std::string& s, int64_t* out) {
  int y, mo, d, h, mi, sec;
  char tail;
  if (std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &sec, &tail) != 6)
    return false;
  if (y < 1970 || y > 2200 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || sec > 60 ||
      h < 0 || mi < 0 || sec < 0)
    return false;
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = sec;
  *out = static_cast<int64_t>(timegm(&tm));
  return true;
}

// NOAA number or spacecraft address to the address the frames carry.
int noaa_address(int64_t v) {
  switch (v) {
    case 11:
      return 1;
    case 12:
      return 9;
    case 14:
      return 5;
    case 15:
      return 7;
    case 16:
      return 3;
    case 17:
      return 11;
    case 18:
      return 13;
    case 19:
      return 15;
    default:
      return (v >= 0 && v <= 10) ? static_cast<int>(v) : -1;
  }
}

// Why `path` cannot be replayed ("" when it can): only a regular file with
// bytes in it is a stream; a FIFO, a device, a directory or an empty file
// would wait forever for frames that never come. A missing file is
// refused only when `missing_too` (else it is found when it is opened).
std::string replay_refusal(const std::string& path, bool missing_too) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    if (!missing_too && errno == ENOENT) return {};
    return "Can't open replay file " + path + ": " + std::strerror(errno) + ".";
  }
  if (!S_ISREG(st.st_mode)) return "Replay file " + path + " is not a regular file.";
  if (st.st_size == 0) return "Replay file " + path + " is empty.";
  return {};
}

}  // namespace

std::unique_ptr<EmuSource> make_hri_source(const EmuConfig& cfg, bool test_pattern) {
  return std::make_unique<HriSource>(cfg, test_pattern);
}

std::unique_ptr<EmuSource> make_pattern_source(bool hri) {
  if (hri) return make_hri_source(EmuConfig{}, true);
  return std::make_unique<HrptPatternSource>();
}

std::unique_ptr<EmuSource> make_emu_source(const EmuConfig& cfg, std::string* error) {
  std::string dummy;
  if (error == nullptr) error = &dummy;
  switch (cfg.source) {
    case kEmuPattern:
      return make_pattern_source(false);
    case kEmuNoaa:
      return make_noaa_source(cfg);
    case kEmuChrpt:
      return make_chrpt_source(cfg);
    case kEmuHri:
      return make_hri_source(cfg, false);
    default:
      break;
  }
  *error = replay_refusal(cfg.path, true);
  if (!error->empty()) return nullptr;
  FilePtr f(std::fopen(cfg.path.c_str(), "rb"));
  if (!f) {
    *error = "Can't open replay file " + cfg.path + ": " + std::strerror(errno) + ".";
    return nullptr;
  }
  switch (cfg.source) {
    case kEmuRaw16:
      return std::make_unique<Raw16Source>(std::move(f), false);
    case kEmuHrp:
      return std::make_unique<Raw16Source>(std::move(f), true);
    case kEmuRawBytes:
      if (cfg.raw_frame_len < 1 || cfg.raw_frame_len > (1 << 20)) {
        *error = "Raw replay frame length out of range.";
        return nullptr;
      }
      return std::make_unique<RawBytesSource>(std::move(f), cfg.raw_frame_len);
    case kEmuHri1: {
      uint8_t hdr[kHri1HdrLen];
      if (std::fread(hdr, 1, sizeof hdr, f.get()) != sizeof hdr || std::memcmp(hdr, "PDUS", 4) != 0) {
        *error = "Replay file " + cfg.path + " is not an HRI1 recording.";
        return nullptr;
      }
      return std::make_unique<Hri1Source>(std::move(f));
    }
    case kEmuHrpt1:
      return open_hrpt1(std::move(f), cfg.path, error);
    default:
      break;
  }
  *error = "Unknown emulator source.";
  return nullptr;
}

int emu_write_frame_file(const EmuConfig& cfg, const std::string& path, int64_t frames, bool big_endian,
                         std::string* error) {
  std::string dummy;
  if (error == nullptr) error = &dummy;
  auto src = make_emu_source(cfg, error);
  if (!src) return 1;
  const std::string part = path + ".part";
  FilePtr f(std::fopen(part.c_str(), "wb"));
  if (!f) {
    *error = "Can't write " + part + ".";
    return 1;
  }
  std::vector<uint8_t> buf(static_cast<size_t>(kEmuNoaaFrameWords) * 2);
  EmuFrame fr;
  bool ok = true;
  for (int64_t k = 0; k < frames && ok; ++k) {
    if (!src->next(&fr)) {
      *error = "The source ended after " + std::to_string(k) + " frames.";
      ok = false;
      break;
    }
    if (fr.kind != kKindHRPT || fr.words.size() != static_cast<size_t>(kEmuNoaaFrameWords)) {
      *error = "Only NOAA HRPT frames go into a frame file.";
      ok = false;
      break;
    }
    for (int i = 0; i < kEmuNoaaFrameWords; ++i) {
      if (big_endian)
        put_be16(&buf[static_cast<size_t>(2 * i)], fr.words[static_cast<size_t>(i)]);
      else
        put_le16(&buf[static_cast<size_t>(2 * i)], fr.words[static_cast<size_t>(i)]);
    }
    if (std::fwrite(buf.data(), 1, buf.size(), f.get()) != buf.size()) {
      *error = "Can't write " + part + " (disk full?).";
      ok = false;
    }
  }
  if (ok && (std::fflush(f.get()) != 0 || std::ferror(f.get()) != 0)) {
    *error = "Can't write " + part + " (disk full?).";
    ok = false;
  }
  FILE* raw = f.release();
  if (std::fclose(raw) != 0 && ok) {
    *error = "Can't write " + part + ".";
    ok = false;
  }
  if (ok && std::rename(part.c_str(), path.c_str()) != 0) {
    *error = "Can't rename " + part + " to " + path + ".";
    ok = false;
  }
  if (!ok) std::remove(part.c_str());
  return ok ? 0 : 1;
}

int parse_emu_source(const std::string& text, EmuConfig* cfg, std::string* error) {
  std::string dummy;
  if (error == nullptr) error = &dummy;
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  const std::string& src = parts[0];
  if (src.empty()) {
    *error = "No emulator source given.";
    return 1;
  }
  if (src == "pattern") {
    cfg->source = kEmuPattern;
  } else if (src == "noaa") {
    cfg->source = kEmuNoaa;
  } else if (src == "chrpt") {
    cfg->source = kEmuChrpt;
  } else if (src == "hri") {
    cfg->source = kEmuHri;
  } else {
    cfg->path = src;
    *error = replay_refusal(src, false);
    if (!error->empty()) return 1;
    if (ends_with(src, ".raw16")) {
      cfg->source = kEmuRaw16;
    } else if (ends_with(src, ".hrp")) {
      cfg->source = kEmuHrp;
    } else {
      // Recordings are known by their first bytes; anything else is a raw dump.
      cfg->source = kEmuRawBytes;
      FilePtr f(std::fopen(src.c_str(), "rb"));
      if (!f) {
        *error = "Can't open replay file " + src + ".";
        return 1;
      }
      char magic[4] = {};
      if (std::fread(magic, 1, 4, f.get()) == 4) {
        if (std::memcmp(magic, "HRPT", 4) == 0 || std::memcmp(magic, "CHRP", 4) == 0) cfg->source = kEmuHrpt1;
        if (std::memcmp(magic, "PDUS", 4) == 0) cfg->source = kEmuHri1;
      }
    }
  }
  for (size_t i = 1; i < parts.size(); ++i) {
    const std::string& opt = parts[i];
    const size_t eq = opt.find('=');
    const std::string key = opt.substr(0, eq);
    const std::string val = eq == std::string::npos ? std::string() : opt.substr(eq + 1);
    int64_t v = 0, v2 = 0;
    auto pair = [&](const std::string& s) {
      const size_t colon = s.find(':');
      return colon != std::string::npos && parse_int64(s.substr(0, colon), &v) &&
             parse_int64(s.substr(colon + 1), &v2) && v >= 0 && v2 >= 0;
    };
    bool ok = true;
    if (key == "sat") {
      ok = parse_int64(val, &v) && noaa_address(v) >= 0;
      if (ok) cfg->sat_addr = noaa_address(v);
    } else if (key == "ch3a" && val.empty()) {
      cfg->ch3a = 1;
    } else if (key == "ch3b" && val.empty()) {
      cfg->ch3a = 0;
    } else if (key == "fy") {
      ok = val == "1C" || val == "1D" || val == "1c" || val == "1d";
      if (ok) cfg->fy_addr = (val[1] == 'C' || val[1] == 'c') ? 12 : 13;
    } else if (key == "frames") {
      ok = parse_int64(val, &v) && v >= 0;
      if (ok) cfg->frames = v;
    } else if (key == "start") {
      ok = parse_utc(val, &cfg->start_time);
    } else if (key == "loop" && val.empty()) {
      cfg->loop = 1;
    } else if (key == "end") {
      ok = val == "noise" || val == "silent";
      if (ok) cfg->end_silent = val == "silent" ? 1 : 0;
    } else if (key == "realtime" && val.empty()) {
      cfg->real_time = 1;
    } else if (key == "fast" && val.empty()) {
      cfg->real_time = 0;
    } else if (key == "silent" && val.empty()) {
      cfg->faults.silent = 1;
    } else if (key == "silent_after") {
      ok = parse_int64(val, &v) && v >= 0;
      if (ok) cfg->faults.silent_after = v;
    } else if (key == "syncloss") {
      ok = pair(val);
      if (ok) {
        cfg->faults.sync_loss_at = v;
        cfg->faults.sync_loss_frames = v2;
      }
    } else if (key == "noise") {
      ok = parse_int64(val, &v) && v >= 0 && v <= 1000000;
      if (ok) cfg->faults.noise_words = static_cast<int>(v);
    } else if (key == "midframe") {
      ok = pair(val) && v2 < (1 << 20);
      if (ok) {
        cfg->faults.midframe_at = v;
        cfg->faults.midframe_word = static_cast<int>(v2);
      }
    } else if (key == "seed") {
      ok = parse_int64(val, &v) && v >= 0 && v <= 0xFFFFFFFFLL;
      if (ok) cfg->seed = static_cast<uint32_t>(v);
    } else if (key == "reload") {
      ok = parse_int64(val, &v) && v >= 0 && v <= 60000;
      if (ok) cfg->reload_ms = static_cast<int>(v);
    } else if (key == "framelen") {
      ok = parse_int64(val, &v) && v >= 1 && v <= (1 << 20);
      if (ok) cfg->raw_frame_len = static_cast<int>(v);
    } else {
      *error = "Unknown emulator option '" + opt + "'.";
      return 1;
    }
    if (!ok) {
      *error = "Bad value in emulator option '" + opt + "'.";
      return 1;
    }
  }
  return 0;
}

}  // namespace kelo
