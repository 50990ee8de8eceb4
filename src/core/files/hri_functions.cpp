// HRI support: satellite names, header and picture-start frames, frame
// geometry, channel choice and grid bitmap.
#include "core/files/hri_functions.h"

#include <cstdio>

#include "core/base/bytes.h"
#include "core/base/misc.h"
#include "core/files/hri1_read.h"

namespace kelo {

namespace {

// Fields of a segment's first frame (big-endian numbers).
constexpr int kOffFramesPerSeg = 4;
constexpr int kOffEndFrame = 6;
constexpr int kOffCounter = 8;
constexpr int kOffScan = 23;
constexpr int kOffSatCode = 36;
constexpr int kOffYear = 38;
constexpr int kOffYearDay = 40;
constexpr int kOffHhmm = 42;

// Pixels of one line segment: 360 bytes per frame minus the first frame's
// field block and the last frame's grid bitmap.
constexpr int kLineLenFormat4 = 1250;
constexpr int kLineLenFormat8 = 2500;
constexpr int kDataOffFormat4 = 36;
constexpr int kDataOffFormat8 = 68;

}  // namespace

void hri_channelselect(PIC_INFO* pic, VIEW_INFO* view) {
  if (pic == nullptr || view == nullptr) return;
  for (int n = 1; n <= 4; ++n) {
    if (view->chan_sel[n] != 0) {
      pic->width = pic->hri.chan[n].line_len;
      pic->height = pic->hri.chan[n].nlines;
      return;
    }
  }
}

void add_hrigrid(PIC_INFO* pic, uint8_t* marks, const uint8_t* bytes) {
  if (pic == nullptr || marks == nullptr || bytes == nullptr) return;
  int n = pic->width;
  if (n > 8 * kHriGridBytes) n = 8 * kHriGridBytes;  // the marks table holds no more
  for (int i = 0; i < n; ++i) {
    marks[i] = static_cast<uint8_t>((bytes[i / 8] >> (7 - i % 8)) & 1);
  }
}

void hri_satind2satname(int code, std::string* name) {
  if (name == nullptr) return;
  const unsigned c = static_cast<uint16_t>(code);
  char text[32];
  switch (c) {
    case 0x0000:
      *name = "GOES-E";
      return;
    case 0x0001:
      *name = "GOES-W";
      return;
    case 0x0002:
      *name = "GMS";
      return;
    case 0x0003:
      *name = "GOMS";
      return;
    case 0xD4E3:
      *name = "METEOSAT 1";
      return;
    case 0xFFFF:
      *name = "Unknown";
      return;
    default:
      break;
  }
  if ((c & 0xFFF0) == 0xD4F0) {
    std::snprintf(text, sizeof text, "METEOSAT %u", c & 0x0F);
    *name = text;
    return;
  }
  // An unknown code does not overwrite a name already found in earlier
  // header frames.
  if (name->empty()) {
    std::snprintf(text, sizeof text, "Code %x?", c);
    *name = text;
  }
}

void hri_hdrsf2hri_pci(const uint8_t* frame, std::string* name, PIC_INFO* pic) {
  if (frame == nullptr || pic == nullptr) return;
  hri_satind2satname(get_be16(frame + kOffSatCode), name);
  const int year = get_be16(frame + kOffYear);
  const int yday = get_be16(frame + kOffYearDay);
  const int hhmm = get_be16(frame + kOffHhmm);
  BrokenTime t = {};
  t.tm_year = year - 1900;
  t.tm_yday = yday - 1;
  t.tm_hour = hhmm / 100;
  t.tm_min = hhmm - t.tm_hour * 100;
  t.tm_sec = 0;
  yday2mday_mon(&t);
  mktime_ntz(&t);
  pic->hri_time = t;
}

void hri_sf2hri_pci(const uint8_t* frame, HRI_INFO* hri, PIC_INFO* pic) {
  if (frame == nullptr || hri == nullptr || pic == nullptr) return;
  int nseg = 0;
  for (int n = 1; n <= 4; ++n) {
    if (pic->chan_present[n] != 0) ++nseg;
    if (hri->chan[n].double_res != 0) ++nseg;
  }
  hri->nseg = nseg;
  int format = get_be16(frame + kOffFramesPerSeg);
  if (format == 0) format = 8;
  hri->format = format;
  hri->first_frame = get_be16(frame + kOffCounter);
  hri->data_off = format == 4 ? kDataOffFormat4 : kDataOffFormat8;
  const int end_frame = get_be16(frame + kOffEndFrame);
  for (int n = 1; n <= 4; ++n) {
    HRI_CHAN& ch = hri->chan[n];
    ch.line_len = 0;
    ch.nlines = 0;
    if (pic->chan_present[n] == 0 || nseg == 0) continue;
    // An end frame before the start frame (a damaged or wrapped counter)
    // gives no lines rather than a negative count.
    ch.nlines = end_frame > hri->first_frame ? (end_frame - hri->first_frame) / nseg : 0;
    if (n == 1 && hri->chan[2].double_res != 0) ch.nlines *= 2;
    ch.line_len = format == 4 ? kLineLenFormat4 : kLineLenFormat8;
    if (ch.double_res != 0) ch.line_len *= 2;
  }
  switch (frame[kOffScan]) {
    case 0x00:
      pic->orientation = Orientation::FromSouth;
      pic->scan_dir = ScanDir::BottomUp;
      break;
    case 0x0F:
      pic->orientation = Orientation::Normal;
      pic->scan_dir = ScanDir::BottomUp;
      break;
    case 0xF0:
      pic->orientation = Orientation::FromSouth;
      pic->scan_dir = ScanDir::TopDown;
      break;
    case 0xFF:
      pic->orientation = Orientation::Normal;
      pic->scan_dir = ScanDir::TopDown;
      break;
    default:
      break;
  }
}

void calc_hriframeinfo(FRAME_GEOM* geom, const HRI_INFO* hri) {
  if (geom == nullptr || hri == nullptr) return;
  *geom = FRAME_GEOM{};
  geom->words_per_line = hri->format * kHriFrameBytes;
  geom->words_padded = geom->words_per_line * hri->nseg;
  geom->line_bytes = geom->words_padded / kHriFrameBytes * kHriRecordBytes;
  geom->hdr_words = 0;
  geom->tail_words = 0;
  geom->n_channels = 1;
}

}  // namespace kelo
