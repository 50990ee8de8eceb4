// Writing HRPT1 recordings. Kelo always writes version-4 headers.
#include "core/files/hrpt1_write.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "core/base/bytes.h"
#include "core/files/pack10.h"
#include "core/orbit/parse_norad.h"

namespace kelo {

namespace {

constexpr int kMaxSample = 1023;  // largest 10-bit level
constexpr uint16_t kMaxStatedLines = 0xFFFF;
constexpr int kMinSignedByte = -128;  // the time corrections are single signed bytes
constexpr int kMaxSignedByte = 127;

float rad2deg(float rad) { return static_cast<float>(rad * 180.0 / kPiD); }

void tm_to_fields(const BrokenTime& tm, uint16_t* f) {
  f[0] = static_cast<uint16_t>(tm.tm_sec);
  f[1] = static_cast<uint16_t>(tm.tm_min);
  f[2] = static_cast<uint16_t>(tm.tm_hour);
  f[3] = static_cast<uint16_t>(tm.tm_mday);
  f[4] = static_cast<uint16_t>(tm.tm_mon);
  f[5] = static_cast<uint16_t>(tm.tm_year);
  f[6] = 0;  // weekday: never read back
  f[7] = static_cast<uint16_t>(tm.tm_yday);
  f[8] = static_cast<uint16_t>(tm.tm_isdst);
}

int write_hdr(const HRPT1_HDR* hdr, FILE* fp, bool chrpt) {
  if (fp == nullptr || hdr == nullptr) return 1;
  std::vector<uint8_t> buf;
  try {
    buf.resize(kHrpt1HdrLen);
  } catch (const std::bad_alloc&) {
    return 1;
  }
  hrpt1_hdr_to_bytes(*hdr, chrpt, buf.data());
  // A short write (full disk) must not pass for a written header.
  return std::fwrite(buf.data(), 1, buf.size(), fp) == buf.size() ? 0 : 1;
}

}  // namespace

HRPT1_HDR make_hrpt1_hdr(PIC_INFO* pic) {
  HRPT1_HDR h{};
  int nch = kHrptChannels;
  int nominal = kHrptNominalPixels;
  float scan = kHrptScanAngle;
  switch (pic->file_type) {
    case kKindCHRPT:
      std::memcpy(h.magic, "CHRP", 4);
      nch = kChrptChannels;
      break;
    case kKindSeaStar:
      std::memcpy(h.magic, "SEAW", 4);
      nch = kSeawChannels;
      nominal = kSeawNominalPixels;
      scan = kSeawScanAngle;
      break;
    default:
      std::memcpy(h.magic, "HRPT", 4);
      break;
  }
  if (pic->width == 0) pic->width = nominal;
  h.width = static_cast<uint16_t>(pic->width);
  h.nominal_pixels = static_cast<uint16_t>(nominal);
  h.scan_angle = scan;
  for (int i = 0; i < nch; ++i) {
    h.min_val[i] = 0;
    h.max_val[i] = kMaxSample;
  }

  // The geometry follows the presence elements the header can hold, so that
  // the reader computes the same line length from the file.
  int written[kMaxChannels + 1] = {};
  for (int i = 0; i <= nch; ++i) written[i] = pic->chan_present[i] != 0 ? 1 : 0;
  pic->frame = calc_hrptframeinfo(pic->file_type, written, pic->width);
  // Sixteen bytes, zero-padded; a sixteen-character name fills them all.
  std::memcpy(h.sat_name, pic->sat_name.data(), std::min(pic->sat_name.size(), sizeof h.sat_name));
  h.south_north = pic->scan_dir != ScanDir::TopDown ? 1 : 0;
  h.x_offset = static_cast<int16_t>(pic->x_offset);
  h.y_offset = static_cast<int16_t>(pic->y_offset);
  for (int i = 0; i <= nch; ++i) h.presence[i] = static_cast<uint8_t>(written[i]);

  const KEPLER& k = pic->kepler;
  h.epoch_year = k.epoch_year;
  h.epoch_day = k.epoch_day;
  h.decay = k.decay;
  h.inclination = rad2deg(k.inclination);
  h.raan = rad2deg(k.raan);
  h.eccentricity = k.eccentricity;
  h.perigee = rad2deg(k.perigee);
  h.anomaly = rad2deg(k.anomaly);
  h.motion = k.motion;
  h.revnum = k.revnum;

  ORBIT& o = pic->orbit;
  if (o.use_sattime != 0) {
    o.start_tm_sat = o.start_tm;
    o.start_ms_sat = o.start_ms;
  } else {
    o.start_tm_comp = o.start_tm;
  }
  tm_to_fields(o.start_tm_sat, h.tm_sat);
  tm_to_fields(o.start_tm_comp, h.tm_comp);
  h.offset_gmt = std::clamp(o.offset_gmt, kMinSignedByte, kMaxSignedByte);
  h.offset_sec = std::clamp(o.offset_sec, kMinSignedByte, kMaxSignedByte);
  h.offset_lon = o.offset_lon;
  h.time_src = o.use_sattime != 0 ? 's' : 'c';

  // A count that does not fit the u16 is written as 0 ("not stated"): the
  // reader then counts the records instead of showing a wrapped number.
  h.nlines = (pic->height > 0 && pic->height <= kMaxStatedLines) ? static_cast<uint16_t>(pic->height) : 0;
  std::memcpy(h.version, "EXT_V004", sizeof h.version);
  h.hdr_len = kHrpt1HdrLen;
  std::memcpy(h.end_tag, "END_HDR_", sizeof h.end_tag);
  return h;
}

int write_hrpt1hdr_file(const HRPT1_HDR* hdr, FILE* fp) { return write_hdr(hdr, fp, false); }
int write_chrpt1hdr_file(const HRPT1_HDR* hdr, FILE* fp) { return write_hdr(hdr, fp, true); }

int write_hrpt1_hdr(PIC_INFO* pic) {
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr) return 1;
  std::unique_ptr<HRPT1_HDR> h;
  try {
    h = std::make_unique<HRPT1_HDR>(make_hrpt1_hdr(pic));
  } catch (const std::bad_alloc&) {
    return 2;
  }
  return write_hdr(h.get(), fp, pic->file_type == kKindCHRPT);
}

int write_hrpt1_line(PIC_INFO* pic, const uint16_t* words, int flags) {
  FILE* fp = pic->pic_fp.get();
  const FRAME_GEOM& g = pic->frame;
  if (fp == nullptr || words == nullptr || g.line_bytes <= kHrpt1MarkerLen) return 0;
  const size_t record = static_cast<size_t>(g.line_bytes);
  // The line's own buffer: two recordings written at the same time share
  // nothing.
  std::vector<uint8_t> buf;
  try {
    buf.resize(record);
  } catch (const std::bad_alloc&) {
    return 0;
  }
  std::memcpy(buf.data(), (flags & kLinePreSync) != 0 ? "FRAME" : "FRAMe", 5);
  put_le16(buf.data() + 5, static_cast<uint16_t>(g.line_bytes - kHrpt1MarkerLen));
  pack10(words, static_cast<size_t>(g.words_padded) / kPackWords, buf.data() + kHrpt1MarkerLen);
  return std::fwrite(buf.data(), 1, record, fp) == record ? 1 : 0;
}

}  // namespace kelo
