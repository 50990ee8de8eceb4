// HRPT minor-frame headers: satellite identification and time code.
#include "core/files/hrpt_framehdr.h"

#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "core/base/misc.h"
#include "core/files/hrpt1_read.h"

namespace kelo {

namespace {

// Word positions in a minor frame.
constexpr int kWordId = 6;
constexpr int kWordDay = 8;
constexpr int kWordMs0 = 9;  // bits 6-0: milliseconds bits 26-20
constexpr int kWordMs1 = 10;
constexpr int kWordMs2 = 11;
constexpr int kHdrWordsNeeded = 12;

constexpr int kMsPerSec = 1000;
constexpr int kMsPerMin = 60 * kMsPerSec;
constexpr int kMsPerHour = 60 * kMsPerMin;
constexpr int kSearchSpan = 100;     // lines searched for a reliable frame
constexpr int kFramesPerSecond = 6;  // NOAA minor frames per second

constexpr size_t kFrameHdrNameMax = 20;

struct AddrName {
  int addr;
  const char* name;
};
constexpr AddrName kNames[] = {
    {1, "NOAA 11"},  {2, "Seastar"},      {3, "NOAA 16"},      {5, "NOAA 14"},
    {7, "NOAA 15"},  {9, "NOAA 12"},      {11, "NOAA 17"},     {13, "NOAA 18"},
    {15, "NOAA 19"}, {192, "FENGYUN 1C"}, {208, "FENGYUN 1D"},
};

}  // namespace

std::string spacecrftaddr2name(int address) {
  for (const AddrName& n : kNames) {
    if (n.addr == address) return n.name;
  }
  char text[32];
  std::snprintf(text, sizeof text, "unknown: %x\n", static_cast<unsigned>(address));
  return text;
}

std::string xrptid2name(int id_word, SatKind family) {
  if (family == SatKind::NOAA || family == SatKind::SeaWiFS) return spacecrftaddr2name((id_word >> 3) & 0xF);
  if (family == SatKind::FengYun) return spacecrftaddr2name(((id_word >> 6) & 0xF) << 4);
  return {};
}

void decode_framehdr(const uint16_t* words, SatKind family, FRAME_HDR* hdr) {
  for (int i = 0; i < kHrptSyncWords; ++i) hdr->sync[i] = words[i];
  const unsigned id = words[kWordId];
  if (family == SatKind::FengYun) {
    hdr->sc_addr = static_cast<uint16_t>(((id >> 6) & 0xF) << 4);
  } else {
    hdr->id_flag9 = static_cast<int>((id >> 9) & 1);
    hdr->minor_frame = static_cast<uint16_t>((id >> 7) & 3);
    hdr->sc_addr = static_cast<uint16_t>((id >> 3) & 0xF);
    hdr->id_flag2 = static_cast<int>((id >> 2) & 1);
  }
  hdr->day = static_cast<uint16_t>((words[kWordDay] & 0x3FF) >> 1);
  hdr->msec = static_cast<int>((words[kWordMs0] & 0x7Fu) << 20 | (words[kWordMs1] & 0x3FFu) << 10 |
                               (words[kWordMs2] & 0x3FFu));
}

int get_hrpt_framehdr(PIC_INFO* pic, VIEW_INFO* view, int line, FRAME_HDR* hdr) {
  const FileKind kind = pic->file_type;
  if (kind != kKindHRPT && kind != kKindCHRPT && kind != kKindSeaStar) return 0;
  // Without the housekeeping words stored, word 6 is picture data: no header.
  if (pic->chan_present[0] == 0 || pic->frame.words_per_line < kHdrWordsNeeded) return 0;
  std::vector<uint16_t> words;
  try {
    words.resize(static_cast<size_t>(pic->frame.words_padded));
  } catch (const std::bad_alloc&) {
    return 0;
  }
  if (read_hrpt1_line(pic, view, line, words.data()) == 0) return 0;
  decode_framehdr(words.data(), pic->sat_kind, hdr);
  return 1;
}

int search_first_reliable_frame(int start, PIC_INFO* pic, VIEW_INFO* /*view*/, FRAME_HDR* hdr) {
  if (pic->chan_present[0] == 0 || start < 0) return 0;
  // File order: north to south, nothing skipped.
  auto file_order = std::make_unique<VIEW_INFO>();
  file_order->scan_dir = ScanDir::TopDown;
  file_order->skip_faulty = false;
  const int64_t end = static_cast<int64_t>(start) + kSearchSpan;
  int prev_s = 0;
  int count = 0;
  for (int64_t l = start; l < end; ++l) {
    const int line = static_cast<int>(l);
    if (get_hrpt_framehdr(pic, file_order.get(), line, hdr) == 0) return 0;
    const int s = hdr->msec / kMsPerSec;
    if (line != start) {
      if (s == prev_s) {
        count += 1;
      } else if (count == kFramesPerSecond - 1 && s == prev_s + 1) {
        return line;
      } else {
        count = 0;
      }
    }
    prev_s = s;
  }
  return 0;
}

int interpret_framehdr(FRAME_HDR* hdr, const BrokenTime* reference) {
  hdr->sat_name = spacecrftaddr2name(hdr->sc_addr);
  if (hdr->sat_name.size() > kFrameHdrNameMax) hdr->sat_name.resize(kFrameHdrNameMax);
  const int t = hdr->msec;
  BrokenTime tm{};
  tm.tm_sec = (t / kMsPerSec) % 60;
  tm.tm_min = (t / kMsPerMin) % 60;
  tm.tm_hour = t / kMsPerHour;  // beyond 23 carries into the next day below
  hdr->time_ms = static_cast<uint16_t>(t % kMsPerSec);
  tm.tm_year = reference->tm_year;
  int result;
  if (hdr->day != 0) {
    tm.tm_yday = hdr->day - 1;
    result = 'y';
  } else {
    tm.tm_yday = reference->tm_yday;
    result = 'd';
  }
  yday2mday_mon(&tm);
  mktime_ntz(&tm);
  hdr->time = tm;
  return result;
}

}  // namespace kelo
