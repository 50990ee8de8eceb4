// Reader of HRI1 recordings: picture detection in the frame stream and line
// assembly from the frames of a line's segments.
#include "core/files/hri1_read.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "core/base/bytes.h"
#include "core/files/hri_functions.h"

namespace kelo {

namespace {

constexpr uint8_t kSync0 = 0x05;
constexpr uint8_t kSync1 = 0x0C;
constexpr uint8_t kSync2 = 0xDF;
constexpr int kMarkerPos = 4;  // the 'E' of "FRAME" in a record head

// Frame fields (numbering of the decoder frame).
constexpr int kOffSegPos = 3;  // low nibble: position in the segment; high: resolution
constexpr int kOffFramesPerSeg = 4;
constexpr int kOffCounter = 8;
constexpr int kOffConst = 12;  // bytes 12-16 do not change within a picture
constexpr int kConstLen = 5;
constexpr int kOffChanFlags = 17;  // channels 1-4, one byte each
constexpr int kOffHdrFields = 36;  // satellite code, year, day, hhmm of header frames
constexpr int kHdrFieldsLen = 8;
constexpr int kPrevKeep = 60;  // bytes of the previous frame kept for comparison

constexpr uint8_t kLowRes = 0x30;
constexpr uint8_t kHighRes = 0x70;

constexpr int kContPayloadOff = 4;  // picture bytes of the other frames of a segment
constexpr int kContPayload = kHriFrameBytes - kContPayloadOff;  // 360
constexpr int kGridStartFormat4 = 202;  // within the continuation payload (frame byte 206)
constexpr int kGridStartFormat8 = 44;   // (frame byte 48)
constexpr int kDataOffFormat4 = 36;     // picture bytes of a segment's first frame
constexpr int kDataOffFormat8 = 68;
// Pixels of a segment: first-frame payload, whole continuation frames, and
// the last frame up to its grid bitmap.
constexpr int kLineLenFormat4 = (kHriFrameBytes - kDataOffFormat4) + 2 * kContPayload + kGridStartFormat4;
constexpr int kLineLenFormat8 = (kHriFrameBytes - kDataOffFormat8) + 6 * kContPayload + kGridStartFormat8;
static_assert(kLineLenFormat4 == 1250 && kLineLenFormat8 == 2500, "segment pixels");

// Runs above these limits move picture detection on.
constexpr int kHeaderRunLimit = 4;
constexpr int kCounterRunLimit = 4;
constexpr int kStartRunLimit = 10;

// Records looked at for the first frame of a line, at least.
constexpr int kMinSearchRecords = 64;

// Majority of four bits: three or four set give all ones.
uint8_t clean_nibble(unsigned nibble) {
  const int bits =
      static_cast<int>((nibble & 1) + ((nibble >> 1) & 1) + ((nibble >> 2) & 1) + ((nibble >> 3) & 1));
  return bits >= 3 ? 0x0F : 0x00;
}

bool frame_in_sync(const uint8_t* b) { return b[0] == kSync0 || b[1] == kSync1 || b[2] == kSync2; }

int shown_channel(const VIEW_INFO* view) {
  for (int n = 1; n <= 4; ++n) {
    if (view->chan_sel[n] != 0) return n;
  }
  return 0;
}

}  // namespace

int read_hri1_frame(uint8_t* frame, FILE* fp) {
  if (frame == nullptr || fp == nullptr) return 0;
  int q = kHriQRead;
  uint8_t head[kHriRecordHead];
  if (std::fread(head, 1, sizeof head, fp) != sizeof head) return 0;
  if (head[kMarkerPos] == 'E') q += kHriQMarker;
  if (std::fread(frame, 1, kHriFrameBytes, fp) != static_cast<size_t>(kHriFrameBytes)) return 0;
  if (frame_in_sync(frame)) q += kHriQSync;

  if ((frame[kOffSegPos] & 0x0F) == 0) {
    // Bit errors in the channel flags would make a channel appear or vanish;
    // each half of a flag is all ones or all zeros when sent.
    for (int i = 0; i < 4; ++i) {
      uint8_t& f = frame[kOffChanFlags + i];
      f = static_cast<uint8_t>(clean_nibble(f & 0x0F) | (clean_nibble(f >> 4) << 4));
    }
  }

  // Look at the following record without consuming it: a line whose next
  // frame is missing or out of sync is not complete.
  const long pos = std::ftell(fp);
  if (pos >= 0) {
    uint8_t next[kHriRecordHead];
    if (std::fread(next, 1, sizeof next, fp) == sizeof next) {
      if (next[kMarkerPos] == 'E') q += kHriQNextMarker;
      uint8_t sync[3];
      if (std::fread(sync, 1, sizeof sync, fp) == sizeof sync && frame_in_sync(sync)) {
        q += kHriQNextSync;
      }
    }
    std::clearerr(fp);
    std::fseek(fp, pos, SEEK_SET);
  }
  return q;
}

int find_picture(PIC_INFO* pic, uint8_t* frame, FILE* fp) {
  if (pic == nullptr || frame == nullptr || fp == nullptr) return 1;
  int state = 0;
  int header_run = 0;
  int counter_run = 0;
  pic->hri.sat_name.clear();
  uint8_t prev[kPrevKeep] = {};

  for (;;) {
    const int q = read_hri1_frame(frame, fp);
    if (q == 0) return 1;
    if (q != kHriQGood) continue;
    const uint8_t kind = frame[kOffSegPos];
    const int per_seg = get_be16(frame + kOffFramesPerSeg);
    if ((kind != kLowRes && kind != kHighRes) || (per_seg != 4 && per_seg != 8)) continue;

    const int counter = get_be16(frame + kOffCounter);
    const bool counter_rises = counter == get_be16(prev + kOffCounter) + 1;
    switch (state) {
      case 0:
        header_run = counter == 1 ? header_run + 1 : 0;
        if (std::memcmp(frame + kOffHdrFields, prev + kOffHdrFields, kHdrFieldsLen) != 0) {
          header_run = 0;
        }
        if (header_run > kHeaderRunLimit) state = 1;
        counter_run = counter_rises ? counter_run + 1 : 0;
        if (counter_run > kCounterRunLimit) state = 3;
        break;
      case 1:
        state = 2;
        break;
      case 2:
        counter_run = counter_rises ? counter_run + 1 : 0;
        if (std::memcmp(frame + kOffFramesPerSeg, prev + kOffFramesPerSeg, 4) != 0 ||
            std::memcmp(frame + kOffConst, prev + kOffConst, kConstLen) != 0) {
          counter_run = 0;
        }
        if (counter_run > kCounterRunLimit) state = 3;
        break;
      case 3:
        if (counter_rises) {
          ++counter_run;
        } else {
          counter_run = 0;
          state = 2;
        }
        if (counter_run > kStartRunLimit) state = 4;
        break;
      default:
        break;
    }

    switch (state) {
      case 1:
        hri_hdrsf2hri_pci(frame, &pic->hri.sat_name, pic);
        break;
      case 2:
        for (int n = 1; n <= 4; ++n) {
          pic->chan_present[n] = 0;
          pic->hri.chan[n].double_res = 0;
        }
        break;
      case 3:
        // Segments of different channels carry different flags: collect
        // the channels over the run of frames.
        for (int n = 1; n <= 4; ++n) {
          const uint8_t f = frame[kOffChanFlags + n - 1];
          if (f == 0x0F || f == 0xF0) {
            pic->chan_present[n] = 1;
            pic->hri.chan[n].double_res = 1;
          } else if (f == 0xFF) {
            pic->chan_present[n] = 1;
          } else if (f != 0x00) {
            state = 2;
          }
        }
        break;
      case 4:
        hri_sf2hri_pci(frame, &pic->hri, pic);
        break;
      default:
        break;
    }
    std::memcpy(prev, frame, kPrevKeep);
    if (state == 4) return 1;
  }
}

int read_hri1_hdr(PIC_INFO* pic) {
  if (pic == nullptr) return kErrRead;
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr) return kErrRead;
  std::rewind(fp);
  for (int& c : pic->chan_present) c = 0;
  // A picture opened before must not lend its geometry to this one; only
  // the recorder's note of encrypted frames stays with the record.
  const bool encrypted = pic->hri.encrypted;
  pic->hri = HRI_INFO{};
  pic->hri.encrypted = encrypted;
  uint8_t header[kHriHeaderBytes];
  if (std::fread(header, 1, sizeof header, fp) != sizeof header) return kErrRead;

  uint8_t frame[kHriFrameBytes];
  find_picture(pic, frame, fp);
  std::clearerr(fp);
  const long pos = std::ftell(fp);
  // The record keeps the offset as int: a recording beyond 2 GiB cannot be
  // addressed and is refused rather than read at a wrapped offset.
  if (pos < 0 || pos > INT_MAX) return kErrRead;
  pic->data_offset = static_cast<int>(pos);

  pic->width = 0;
  pic->height = 0;
  pic->depth = 8;
  pic->x_offset = 0;
  pic->y_offset = 0;
  pic->sat_kind = SatKind::HRI;
  pic->lut_size = 256;
  for (auto& table : pic->lut) {
    for (int i = 0; i < kLutEntries; ++i) table[i] = i;
  }
  pic->sat_name = pic->hri.sat_name.substr(0, kSatNameMax);
  calc_hriframeinfo(&pic->frame, &pic->hri);
  return kOpenOk;
}

int get_hri1_nextline(PIC_INFO* pic, VIEW_INFO* view, int second_seg, uint16_t* values, uint8_t* grid) {
  if (pic == nullptr || view == nullptr || values == nullptr) return 0;
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr) return 0;
  const int capacity = pic->frame.words_padded;
  uint8_t frame[kHriFrameBytes];

  if (view->chan_sel[0] != 0) {
    // Raw frame view: one frame as it was received.
    if (capacity < kHriFrameBytes) return 0;
    const int q = read_hri1_frame(frame, fp);
    if (q == 0) return 0;
    for (int i = 0; i < kHriFrameBytes; ++i) values[i] = frame[i];
    return q;
  }

  const int ch = shown_channel(view);
  if (ch == 0) return 0;
  const int format = pic->hri.format;
  if (format != 4 && format != 8) return 0;
  const int line_len = format == 8 ? kLineLenFormat8 : kLineLenFormat4;
  const int data_off = format == 8 ? kDataOffFormat8 : kDataOffFormat4;
  const int first_payload = kHriFrameBytes - data_off;
  const int grid_start = format == 8 ? kGridStartFormat8 : kGridStartFormat4;
  const int grid_len = kContPayload - grid_start;
  const int segments = pic->hri.chan[ch].double_res != 0 ? 2 : 1;
  // The copies of a segment's last frame run past the line length (they
  // carry the grid bitmap); the buffer has to hold them all.
  const int needed = (segments - 1) * line_len + first_payload + (format - 1) * kContPayload;
  if (needed > capacity) return 0;

  // The first frame of the line: a segment's first frame whose channel flags
  // name the shown channel (or the wanted half of a double-resolution pair).
  // Every line distance holds a segment of each channel, so the frame lies
  // within two line distances even with frames lost; looking further would
  // only drag a damaged recording through the whole file for every line.
  const int nseg = pic->hri.nseg > 0 ? pic->hri.nseg : 1;
  const int search_limit = std::max(2 * (nseg * format + format), kMinSearchRecords);
  int found_q = 0;
  for (int searched = 0;; ++searched) {
    if (searched >= search_limit) return 0;
    found_q = read_hri1_frame(frame, fp);
    if (found_q == 0) return 0;
    if ((frame[kOffSegPos] & 0x0F) != 0) continue;
    if (ch <= 2) {
      const uint8_t a = frame[kOffChanFlags];
      const uint8_t b = frame[kOffChanFlags + 1];
      if ((a == 0 && b == 0) || a == 0x0F) continue;
      if (b != 0x0F && (a == 0 || second_seg == 0) && (b == 0 || second_seg == 1)) break;
    } else {
      const uint8_t f = frame[kOffChanFlags + ch - 1];
      if (f != 0 && f != 0x0F) break;
    }
  }

  int result = found_q;
  for (int s = 0; s < segments; ++s) {
    for (int f = 0; f < format; ++f) {
      if (s != 0 || f != 0) {  // the first frame is the one found above
        const int q = read_hri1_frame(frame, fp);
        if (q == 0) return 0;
        result &= q;
      }
      uint16_t* dst;
      const uint8_t* src;
      int n;
      if (f == 0) {
        dst = values + s * line_len;
        src = frame + data_off;
        n = first_payload;
      } else {
        dst = values + s * line_len + first_payload + (f - 1) * kContPayload;
        src = frame + kContPayloadOff;
        n = kContPayload;
      }
      for (int i = 0; i < n; ++i) dst[i] = src[i];
      if (f == format - 1 && grid != nullptr) {
        std::memcpy(grid + grid_len * s, frame + kContPayloadOff + grid_start, static_cast<size_t>(grid_len));
      }
    }
  }
  return result;
}

int read_hri1_line(PIC_INFO* pic, VIEW_INFO* view, int line, uint16_t* values, uint8_t* grid) {
  if (pic == nullptr || view == nullptr || values == nullptr || line < 0) return 0;
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr) return 0;
  int n = line;
  int second_seg;
  const int ch = shown_channel(view);
  if (ch == 1 && pic->hri.chan[1].double_res != 0) {
    second_seg = n % 2;
    n /= 2;
  } else if (ch == 2 && view->chan_sel[0] == 0) {
    // Channel 2 is the second flag of the pair: its segments are the ones
    // that the pair rule takes with the second-segment flag set.
    second_seg = 1;
  } else {
    second_seg = view->chan_sel[0] != 0 ? 1 : 0;
  }
  const int64_t line_bytes = pic->frame.line_bytes;
  int result = 0;
  for (;;) {
    const int64_t off = pic->data_offset + static_cast<int64_t>(n) * line_bytes;
    if (off < 0 || off > static_cast<int64_t>(LONG_MAX)) return 0;
    if (std::fseek(fp, static_cast<long>(off), SEEK_SET) != 0) return 0;
    result = get_hri1_nextline(pic, view, second_seg, values, grid);
    // Stepping needs a line distance; without one the same line would come
    // back for ever.
    if (view->skip_faulty == 0 || result == 0 || (result & kHriQNextSync) != 0 || line_bytes <= 0) {
      break;
    }
    n += view->scan_dir == ScanDir::BottomUp ? -1 : 1;
    if (n < 0) break;
  }
  return result;
}

}  // namespace kelo
