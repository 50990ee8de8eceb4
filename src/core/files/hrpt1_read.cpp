// Reading HRPT1 recordings: header, geometry and line records.
#include "core/files/hrpt1_read.h"

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "core/base/bytes.h"
#include "core/base/misc.h"
#include "core/files/pack10.h"
#include "core/orbit/calc_satpos.h"
#include "core/orbit/parse_norad.h"

namespace kelo {

namespace {

// ---------------------------------------------------------------- header offsets
// Common part of all three variants (offsets 0-134).
constexpr size_t kOffMagic = 0;
constexpr size_t kOffName = 4;
constexpr size_t kNameLen = 16;
constexpr size_t kOffMaskV3 = 20;
constexpr size_t kOffWidth = 22;
constexpr size_t kOffLines = 24;
constexpr size_t kOffGmt = 28;
constexpr size_t kOffSec = 29;
constexpr size_t kOffTmComp = 30;  // 9 x u16
constexpr size_t kTmFields = 9;
constexpr size_t kOffEpochYear = 56;
constexpr size_t kOffEpochDay = 60;
constexpr size_t kOffDecay = 64;
constexpr size_t kOffIncl = 68;
constexpr size_t kOffRaan = 72;
constexpr size_t kOffEcc = 76;
constexpr size_t kOffPerigee = 80;
constexpr size_t kOffAnomaly = 84;
constexpr size_t kOffMotion = 88;
constexpr size_t kOffRevnum = 92;
constexpr size_t kOffVersion = 96;
constexpr size_t kVersionLen = 8;
constexpr size_t kOffHdrLen = 104;
constexpr size_t kOffXoff = 106;
constexpr size_t kOffYoff = 108;
constexpr size_t kOffSouthNorth = 110;
constexpr size_t kOffTmSat = 112;  // 9 x u16
constexpr size_t kOffTimeSrc = 130;
constexpr size_t kOffLonOffset = 131;
constexpr size_t kOffMin = 135;  // n x s16 minimum per channel
// HRPT/SEAW layout: room for eight minima (135-150), then the maxima.
constexpr size_t kOffMaxHrpt = kOffMin + 2 * size_t{kSeawChannels};  // 151
constexpr size_t kOffPresenceHrpt = 269;
constexpr size_t kOffNominalHrpt = 278;
constexpr size_t kOffScanHrpt = 280;
// CHRPT layout: ten minima (135-154), ten maxima (155-174).
constexpr size_t kOffMaxChrpt = kOffMin + 2 * size_t{kChrptChannels};  // 155
constexpr size_t kOffPresenceChrpt = 301;
constexpr size_t kOffNominalChrpt = 312;
constexpr size_t kOffScanChrpt = 316;
constexpr size_t kOffEndTag = kHrpt1HdrLen - 8;  // 15992
constexpr size_t kEndTagLen = 8;

// Version-3 files keep the presence in one mask byte.
constexpr uint8_t kV3SyncBit = 0x02;
constexpr uint8_t kV3ChanBits[kHrptChannels] = {0x40, 0x20, 0x10, 0x08, 0x04};
constexpr size_t kV3PresenceCleared = 9;

float deg2rad(float deg) { return static_cast<float>(deg * kPiD / 180.0); }

// Two's-complement byte (-1 hour is 0xFF) to its value.
int signed_byte(uint8_t b) { return (b ^ 0x80) - 0x80; }

bool is_seaw(const char* magic) { return std::memcmp(magic, "SEAW", 4) == 0; }

// Channels (minimum/maximum entries) and presence bytes of each variant.
int variant_channels(bool chrpt, const char* magic) {
  if (chrpt) return kChrptChannels;
  return is_seaw(magic) ? kSeawChannels : kHrptChannels;
}
int variant_presence(bool chrpt, const char* magic) { return variant_channels(chrpt, magic) + 1; }

void get_tm_fields(ByteView& v, size_t off, uint16_t* out) {
  for (size_t i = 0; i < kTmFields; ++i) out[i] = v.le16(off + 2 * i);
}
void put_tm_fields(uint8_t* out, size_t off, const uint16_t* in) {
  for (size_t i = 0; i < kTmFields; ++i) put_le16(out + off + 2 * i, in[i]);
}

// Header time fields (weekday not read) into a broken-down time.
BrokenTime tm_from_fields(const uint16_t* f) {
  BrokenTime tm{};
  tm.tm_sec = f[0];
  tm.tm_min = f[1];
  tm.tm_hour = f[2];
  tm.tm_mday = f[3];
  tm.tm_mon = f[4];
  tm.tm_year = f[5];
  tm.tm_wday = 0;
  tm.tm_yday = f[7];
  tm.tm_isdst = f[8];
  return tm;
}

std::unique_ptr<HRPT1_HDR> read_hdr_file(FILE* fp, bool chrpt) {
  if (fp == nullptr) return nullptr;
  std::rewind(fp);
  std::vector<uint8_t> buf(kHrpt1HdrLen);
  if (std::fread(buf.data(), 1, buf.size(), fp) != buf.size()) return nullptr;
  auto hdr = std::make_unique<HRPT1_HDR>();
  if (!hrpt1_hdr_from_bytes(buf.data(), buf.size(), chrpt, hdr.get())) return nullptr;
  return hdr;
}

int64_t file_size(FILE* fp) {
  if (fseeko(fp, 0, SEEK_END) != 0) return -1;
  off_t end = ftello(fp);
  return static_cast<int64_t>(end);
}

// Reads up to n bytes at a file offset; the count read. A positioned read
// on the descriptor costs one system call a line, where seek and read
// through the stream cost three; streams without a descriptor take the
// stream way.
size_t read_at(FILE* fp, int64_t offset, uint8_t* out, size_t n) {
  const int fd = fileno(fp);
  if (fd < 0) {
    if (fseeko(fp, static_cast<off_t>(offset), SEEK_SET) != 0) return 0;
    return std::fread(out, 1, n, fp);
  }
  size_t got = 0;
  while (got < n) {
    const ssize_t r = pread(fd, out + got, n - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  return got;
}

bool is_sync(const uint16_t* w) {
  for (int i = 0; i < kHrptSyncWords; ++i)
    if (w[i] != kHrptSync[i]) return false;
  return true;
}

// Marker of a line that began with a good frame sync: "FRAME"; "FRAMe" not.
constexpr size_t kMarkerSyncChar = 4;

// Reads line n alone (no skipping). Returns the flags or 0.
int read_one_line(PIC_INFO* pic, int n, uint16_t* words) {
  const FRAME_GEOM& g = pic->frame;
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr || n < 0 || g.line_bytes <= kHrpt1MarkerLen || g.words_per_line <= 0) return 0;

  // One read covers this line's marker and words, the next record's marker
  // and its first two groups (the next line's sync words).
  constexpr int kNextGroups = 2;
  const size_t record = static_cast<size_t>(g.line_bytes);
  const size_t want = record + kHrpt1MarkerLen + size_t{kNextGroups} * kPackBytes;
  // The line's own buffer: two pictures read at the same time share nothing.
  std::vector<uint8_t> buf;
  try {
    buf.resize(want);
  } catch (const std::bad_alloc&) {
    return 0;
  }

  const int64_t start = static_cast<int64_t>(pic->data_offset) - kHrpt1MarkerLen +
                        static_cast<int64_t>(n) * static_cast<int64_t>(record);
  const size_t got = read_at(fp, start, buf.data(), want);
  // A complete record is a line, the last one of the file too: the next
  // record's marker only adds what it says about the following line.
  if (got < record) return 0;
  const bool next_marker_read = got >= record + kHrpt1MarkerLen;

  const uint8_t* packed = buf.data() + kHrpt1MarkerLen;
  const size_t full = static_cast<size_t>(g.words_per_line) / kPackWords;
  unpack10(packed, full, words);
  const size_t rest = static_cast<size_t>(g.words_per_line) % kPackWords;
  if (rest != 0) {
    uint16_t last[kPackWords];
    unpack10(packed + full * kPackBytes, 1, last);
    for (size_t i = 0; i < rest; ++i) words[full * kPackWords + i] = last[i];
  }

  int flags = kLineRead;
  const uint8_t* next_marker = buf.data() + record;
  if (pic->chan_present[0] != 0) {
    if (g.words_per_line >= kHrptSyncWords && is_sync(words)) flags |= kLinePreSync;
    if (got == want) {
      uint16_t next[kNextGroups * kPackWords];
      unpack10(next_marker + kHrpt1MarkerLen, kNextGroups, next);
      if (is_sync(next)) flags |= kLinePostSync;
    }
  } else {
    // Without the sync words stored, the markers tell: this record's marker
    // for the start of this line, the next one's for the following line.
    if (buf[kMarkerSyncChar] == 'E') flags |= kLinePreSync;
    if (next_marker_read && next_marker[kMarkerSyncChar] == 'E') flags |= kLinePostSync;
  }
  return flags;
}

}  // namespace

// ---------------------------------------------------------------- header bytes
bool hrpt1_hdr_from_bytes(const uint8_t* in, size_t n, bool chrpt, HRPT1_HDR* hdr) {
  if (in == nullptr || hdr == nullptr || n < static_cast<size_t>(kHrpt1HdrLen)) return false;
  ByteView v(in, kHrpt1HdrLen);
  HRPT1_HDR h{};
  std::memcpy(h.magic, in + kOffMagic, sizeof h.magic);
  std::memcpy(h.sat_name, in + kOffName, kNameLen);
  h.chan_mask_v3 = v.u8(kOffMaskV3);
  h.width = v.le16(kOffWidth);
  h.nlines = v.le16(kOffLines);
  h.offset_gmt = signed_byte(v.u8(kOffGmt));
  h.offset_sec = signed_byte(v.u8(kOffSec));
  get_tm_fields(v, kOffTmComp, h.tm_comp);
  h.epoch_year = static_cast<int32_t>(v.le32(kOffEpochYear));
  h.epoch_day = v.lef32(kOffEpochDay);
  h.decay = v.lef32(kOffDecay);
  h.inclination = v.lef32(kOffIncl);
  h.raan = v.lef32(kOffRaan);
  h.eccentricity = v.lef32(kOffEcc);
  h.perigee = v.lef32(kOffPerigee);
  h.anomaly = v.lef32(kOffAnomaly);
  h.motion = v.lef32(kOffMotion);
  h.revnum = static_cast<int32_t>(v.le32(kOffRevnum));
  std::memcpy(h.version, in + kOffVersion, kVersionLen);
  h.hdr_len = v.le16(kOffHdrLen);
  h.x_offset = static_cast<int16_t>(v.le16(kOffXoff));
  h.y_offset = static_cast<int16_t>(v.le16(kOffYoff));
  h.south_north = v.u8(kOffSouthNorth);
  get_tm_fields(v, kOffTmSat, h.tm_sat);
  h.time_src = static_cast<char>(v.u8(kOffTimeSrc));
  h.offset_lon = v.lef32(kOffLonOffset);

  const int nch = variant_channels(chrpt, h.magic);
  const int npres = variant_presence(chrpt, h.magic);
  const size_t off_max = chrpt ? kOffMaxChrpt : kOffMaxHrpt;
  const size_t off_pres = chrpt ? kOffPresenceChrpt : kOffPresenceHrpt;
  for (int i = 0; i < nch; ++i) {
    h.min_val[i] = static_cast<int16_t>(v.le16(kOffMin + 2 * static_cast<size_t>(i)));
    h.max_val[i] = static_cast<int16_t>(v.le16(off_max + 2 * static_cast<size_t>(i)));
  }
  for (int i = 0; i < npres; ++i) h.presence[i] = v.u8(off_pres + static_cast<size_t>(i));
  h.nominal_pixels = v.le16(chrpt ? kOffNominalChrpt : kOffNominalHrpt);
  h.scan_angle = v.lef32(chrpt ? kOffScanChrpt : kOffScanHrpt);
  std::memcpy(h.end_tag, in + kOffEndTag, kEndTagLen);

  // Version 3 (HRPT and SEAW only): presence from the mask byte.
  if (!chrpt && h.version[kVersionLen - 1] == '3') {
    std::memset(h.presence, 0, kV3PresenceCleared);
    h.presence[0] = (h.chan_mask_v3 & kV3SyncBit) ? 1 : 0;
    for (int c = 0; c < kHrptChannels; ++c) h.presence[c + 1] = (h.chan_mask_v3 & kV3ChanBits[c]) ? 1 : 0;
  }
  if (!v.ok()) return false;
  *hdr = h;
  return true;
}

void hrpt1_hdr_to_bytes(const HRPT1_HDR& h, bool chrpt, uint8_t* out) {
  std::memset(out, 0, kHrpt1HdrLen);
  std::memcpy(out + kOffMagic, h.magic, sizeof h.magic);
  std::memcpy(out + kOffName, h.sat_name, kNameLen);
  out[kOffMaskV3] = h.chan_mask_v3;
  put_le16(out + kOffWidth, h.width);
  put_le16(out + kOffLines, h.nlines);
  out[kOffGmt] = static_cast<uint8_t>(h.offset_gmt & 0xFF);
  out[kOffSec] = static_cast<uint8_t>(h.offset_sec & 0xFF);
  put_tm_fields(out, kOffTmComp, h.tm_comp);
  put_le32(out + kOffEpochYear, static_cast<uint32_t>(h.epoch_year));
  float32_to_le(out + kOffEpochDay, h.epoch_day);
  float32_to_le(out + kOffDecay, h.decay);
  float32_to_le(out + kOffIncl, h.inclination);
  float32_to_le(out + kOffRaan, h.raan);
  float32_to_le(out + kOffEcc, h.eccentricity);
  float32_to_le(out + kOffPerigee, h.perigee);
  float32_to_le(out + kOffAnomaly, h.anomaly);
  float32_to_le(out + kOffMotion, h.motion);
  put_le32(out + kOffRevnum, static_cast<uint32_t>(h.revnum));
  std::memcpy(out + kOffVersion, h.version, kVersionLen);
  put_le16(out + kOffHdrLen, h.hdr_len);
  put_le16(out + kOffXoff, static_cast<uint16_t>(h.x_offset));
  put_le16(out + kOffYoff, static_cast<uint16_t>(h.y_offset));
  out[kOffSouthNorth] = h.south_north;
  put_tm_fields(out, kOffTmSat, h.tm_sat);
  out[kOffTimeSrc] = static_cast<uint8_t>(h.time_src);
  float32_to_le(out + kOffLonOffset, h.offset_lon);

  const int nch = variant_channels(chrpt, h.magic);
  const int npres = variant_presence(chrpt, h.magic);
  const size_t off_max = chrpt ? kOffMaxChrpt : kOffMaxHrpt;
  const size_t off_pres = chrpt ? kOffPresenceChrpt : kOffPresenceHrpt;
  for (int i = 0; i < nch; ++i) {
    put_le16(out + kOffMin + 2 * static_cast<size_t>(i), static_cast<uint16_t>(h.min_val[i]));
    put_le16(out + off_max + 2 * static_cast<size_t>(i), static_cast<uint16_t>(h.max_val[i]));
  }
  for (int i = 0; i < npres; ++i) out[off_pres + static_cast<size_t>(i)] = h.presence[i];
  put_le16(out + (chrpt ? kOffNominalChrpt : kOffNominalHrpt), h.nominal_pixels);
  float32_to_le(out + (chrpt ? kOffScanChrpt : kOffScanHrpt), h.scan_angle);
  std::memcpy(out + kOffEndTag, h.end_tag, kEndTagLen);
}

std::unique_ptr<HRPT1_HDR> read_hrpt1hdr_file(FILE* fp) { return read_hdr_file(fp, false); }
std::unique_ptr<HRPT1_HDR> read_chrpt1hdr_file(FILE* fp) { return read_hdr_file(fp, true); }

// ---------------------------------------------------------------- geometry
FRAME_GEOM calc_hrptframeinfo(FileKind kind, const int* presence, int width) {
  FRAME_GEOM g{};
  for (int c = 1; c <= kMaxChannels; ++c)
    if (presence[c] != 0) g.n_channels += 1;
  if (presence[0] != 0) {
    switch (kind) {
      case kKindHRPT:
        g.hdr_words = kHrptHdrWords;
        break;
      case kKindCHRPT:
        g.hdr_words = kChrptHdrWords;
        break;
      case kKindSeaStar:
        g.hdr_words = kSeawHdrWords;
        break;
      default:
        g.hdr_words = 0;
        break;
    }
    g.tail_words = kFrameTailWords;
  }
  const int64_t words = static_cast<int64_t>(g.n_channels) * width + g.hdr_words + g.tail_words;
  // Width is at most 65535 (a u16 in the file): the products stay far inside int.
  g.words_per_line = static_cast<int>(words);
  g.words_padded = (g.words_per_line + kPackWords - 1) / kPackWords * kPackWords;
  g.line_bytes = g.words_padded / kPackWords * kPackBytes + kHrpt1MarkerLen;
  return g;
}

// ---------------------------------------------------------------- reading
int read_qwords(FILE* fp, uint16_t* words, int groups) {
  if (fp == nullptr || groups < 0) return 0;
  // A fixed buffer, read piece by piece: the count comes from the caller and
  // must never size an allocation.
  constexpr int kChunkGroups = 1024;
  uint8_t buf[kChunkGroups * kPackBytes];
  int done = 0;
  while (done < groups) {
    const int n = std::min(kChunkGroups, groups - done);
    const size_t bytes = static_cast<size_t>(n) * kPackBytes;
    if (std::fread(buf, 1, bytes, fp) != bytes) return 0;
    if (words != nullptr)
      unpack10(buf, static_cast<size_t>(n), words + static_cast<size_t>(done) * kPackWords);
    done += n;
  }
  return 1;
}

int hrpt_lines_in_file(PIC_INFO* pic) {
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr || pic->frame.line_bytes <= 0) return 0;
  const int64_t size = file_size(fp);
  if (size <= kHrpt1HdrLen) return 0;
  const int64_t lines = (size - kHrpt1HdrLen) / pic->frame.line_bytes;
  return lines > INT_MAX ? INT_MAX : static_cast<int>(lines);
}

int read_hrpt1_hdr(PIC_INFO* pic) {
  const FileKind kind = pic->file_type;
  if (kind != kKindHRPT && kind != kKindCHRPT && kind != kKindSeaStar) return kErrRead;
  const bool chrpt = kind == kKindCHRPT;
  std::unique_ptr<HRPT1_HDR> h = read_hdr_file(pic->pic_fp.get(), chrpt);
  if (!h) return kErrRead;

  pic->width = h->width;
  pic->height = h->nlines;
  pic->depth = 10;
  pic->lut_size = 1024;
  for (auto& table : pic->lut)
    for (int i = 0; i < 1024; ++i) table[i] = i;

  for (int& p : pic->chan_present) p = 0;
  const int npres = kind == kKindHRPT      ? kHrptChannels + 1
                    : kind == kKindSeaStar ? kSeawChannels + 1
                                           : kChrptChannels + 1;
  // A damaged presence byte counts as present only when it is 1 or more; the
  // line geometry must agree with what the recorder wrote.
  for (int i = 0; i < npres; ++i) pic->chan_present[i] = h->presence[i] != 0 ? 1 : 0;
  pic->lines_per_sec = kHrptLinesPerSec;
  pic->pixels_per_chan = kind == kKindSeaStar ? kSeawNominalPixels : kHrptNominalPixels;
  pic->scan_angle = kHrptScanAngle;
  pic->sat_name.assign(h->sat_name, strnlen(h->sat_name, sizeof h->sat_name));
  pic->sat_kind = kind == kKindHRPT    ? SatKind::NOAA
                  : kind == kKindCHRPT ? SatKind::FengYun
                                       : SatKind::SeaWiFS;

  pic->data_offset = kHrpt1DataOffset;
  pic->frame = calc_hrptframeinfo(kind, pic->chan_present, pic->width);
  // Refuse what no decoder writes: no picture channel, no width, or a line
  // record too large to be a minor frame.
  if (pic->width <= 0 || pic->width > kHrpt1MaxWidth || pic->frame.n_channels == 0) return kErrRead;

  const int in_file = hrpt_lines_in_file(pic);
  // A header that states more lines than the file holds (a copy cut short)
  // shows the lines that are there.
  if (pic->height == 0 || pic->height > in_file) pic->height = in_file;

  if (h->south_north != 0) {
    pic->orientation = Orientation::FromSouth;
    pic->scan_dir = ScanDir::BottomUp;
  } else {
    pic->orientation = Orientation::Normal;
    pic->scan_dir = ScanDir::TopDown;
  }
  pic->x_offset = h->x_offset;
  pic->y_offset = h->y_offset;

  KEPLER& k = pic->kepler;
  k.epoch_year = h->epoch_year;
  k.epoch_day = h->epoch_day;
  k.decay = h->decay;
  k.inclination = deg2rad(h->inclination);
  k.raan = deg2rad(h->raan);
  k.eccentricity = h->eccentricity;
  k.perigee = deg2rad(h->perigee);
  k.anomaly = deg2rad(h->anomaly);
  k.motion = h->motion;
  k.revnum = h->revnum;

  ORBIT& o = pic->orbit;
  o.start_tm_sat = tm_from_fields(h->tm_sat);
  o.start_tm_comp = tm_from_fields(h->tm_comp);
  check_tm(&o.start_tm_sat);
  check_tm(&o.start_tm_comp);
  o.offset_gmt = h->offset_gmt;
  o.offset_sec = h->offset_sec;
  o.offset_lon = h->offset_lon;
  o.use_sattime = h->time_src == 's';
  if (o.use_sattime != 0) {
    o.start_tm = o.start_tm_sat;
    o.start_ms = o.start_ms_sat;
  } else {
    o.start_tm = o.start_tm_comp;
    o.start_ms = 0;
  }
  o.valid = false;
  calc_orbitconst(&pic->kepler, &pic->orbit);
  return kOpenOk;
}

int read_hrpt1_line(PIC_INFO* pic, VIEW_INFO* view, int line, uint16_t* words) {
  if (pic == nullptr || words == nullptr) return 0;
  const bool skip = view != nullptr && view->skip_faulty != 0;
  const int mask = view != nullptr ? view->skip_mask : 0;
  const int step = (view != nullptr && view->scan_dir == ScanDir::BottomUp) ? -1 : 1;
  int n = line;
  for (;;) {
    if (n < 0) return 0;
    const int flags = read_one_line(pic, n, words);
    if (flags == 0) return 0;
    const bool bad_pre = (flags & kLinePreSync) == 0 && (mask & kLinePreSync) != 0;
    const bool bad_post = (flags & kLinePostSync) == 0 && (mask & kLinePostSync) != 0;
    if (!skip || !(bad_pre || bad_post)) return flags;
    n += step;
  }
}

}  // namespace kelo
