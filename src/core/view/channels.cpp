#include "core/view/channels.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "core/base/misc.h"
#include "core/files/hrpt_framehdr.h"
#include "core/view/data_proc.h"

namespace kelo {

namespace {

bool holds_frame_headers(FileKind file_type) {
  return file_type == kKindHRPT || file_type == kKindCHRPT || file_type == kKindSeaStar ||
         file_type == kKindAHRPT;
}

// Day of week (0 = Sunday) of a Gregorian date; years since 1900, month 0-11.
int weekday(int year, int mon, int mday) {
  static const int offs[12] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  int y = year + 1900;
  if (mon < 2) y -= 1;
  int w = (y + y / 4 - y / 100 + y / 400 + offs[mon] + mday) % 7;
  return w < 0 ? w + 7 : w;
}

// The standard 25-character calendar text ("Thu Mar  5 12:34:56 2026\n").
// Fields out of range are shown as they are, with "???" for names that do
// not exist, rather than read past the name tables.
std::string calendar_text(const BrokenTime& t, bool newline) {
  // A time never set (every field 0) is no date: it reads "unknown" rather
  // than the nonsense "Sun Jan  0 00:00:00 1900".
  if (t.tm_sec == 0 && t.tm_min == 0 && t.tm_hour == 0 && t.tm_mday == 0 && t.tm_mon == 0 && t.tm_year == 0)
    return newline ? "unknown\n" : "unknown";
  static const char* const days[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  bool mon_ok = t.tm_mon >= 0 && t.tm_mon <= 11;
  const char* day = "???";
  // The files do not store the weekday; it follows from the date.
  if (mon_ok && t.tm_year >= 0 && t.tm_year < 8000) day = days[weekday(t.tm_year, t.tm_mon, t.tm_mday)];
  const char* month = mon_ok ? months[t.tm_mon] : "???";
  return strformat("%.3s %.3s%3d %.2d:%.2d:%.2d %d%s", day, month, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                   1900 + t.tm_year, newline ? "\n" : "");
}

std::string name_of_id(unsigned id, SatKind family) { return xrptid2name(static_cast<int>(id), family); }

}  // namespace

std::array<ChannelState, kMaxChannels + 1> channel_states(const PIC_INFO* pic, const VIEW_INFO* view) {
  std::array<ChannelState, kMaxChannels + 1> out{};
  if (pic == nullptr || view == nullptr) return out;
  for (int n = 1; n <= kMaxChannels; n++) {
    out[static_cast<size_t>(n)] = ChannelState{pic->chan_present[n] != 0, view->chan_sel[n] != 0};
  }
  return out;
}

void Channel_Select(PIC_INFO* pic, VIEW_INFO* view) {
  if (pic == nullptr || view == nullptr) return;
  for (int n = 0; n <= kMaxChannels; n++) {
    if (pic->chan_present[n] == 0) view->chan_sel[n] = 0;
  }
  bool any = false;
  for (int n = 1; n <= kMaxChannels; n++) any = any || view->chan_sel[n] != 0;
  if (!any) {
    for (int n = 1; n <= kMaxChannels; n++) {
      if (pic->chan_present[n] == 0) continue;
      view->chan_sel[n] = 1;
      // An HRI picture has one size per channel; the shown one sets it.
      constexpr int kHriChannels = 4;  // HRI_INFO::chan[1..4]
      if (pic->file_type == kKindHRI && n <= kHriChannels) {
        pic->width = pic->hri.chan[n].line_len;
        pic->height = pic->hri.chan[n].nlines;
      }
      break;
    }
  }
}

std::string file_type_text(const PIC_INFO* pic) {
  switch (pic->file_type) {
    case kKindHRI:
      return "HRI";
    case kKindHRPT:
      return "HRPT";
    case kKindCHRPT:
      return "CHRPT";
    case kKindSeaStar:
      return "Seastar";
    case kKindAHRPT:
      // An AHRPT recording opens like any other; calling it unknown would
      // send the operator looking for a damaged file.
      return "AHRPT";
    case kKindGIF:
      return "GIF";
    case kKindSun:
      return "SUN raster";
    case kKindPPM:
      return "PPM (24 bits)";
    case kKindPGM:
    case kKindPGM8:
      return strformat("PGM (%d bits)", pic->depth);
    default:
      return "Unknown";
  }
}

std::string file_info_text(const PIC_INFO* pic) {
  if (pic == nullptr) return {};
  std::string text = strformat(" File      : %s\n", pic->path.c_str());
  text += " Type      : " + file_type_text(pic) + "\n";
  FileKind type = pic->file_type;
  bool recording = holds_frame_headers(type);
  if (type != kKindUnknown && (recording || type == kKindHRI)) {
    text += strformat(" Satellite : %s\n", pic->sat_name.c_str());
    if (type == kKindHRI) {
      text += strformat(" Picture time: %s\n", calendar_text(pic->hri_time, false).c_str());
    } else {
      text += " Sat time  : " + calendar_text(pic->orbit.start_tm_sat, true);
      text += " Rec. time : " + calendar_text(pic->orbit.start_tm_comp, true);
      text += " Used time : " + calendar_text(pic->orbit.start_tm, true);
    }
    text += " Channels  :";
    for (int n = 1; n <= kMaxChannels; n++) {
      if (pic->chan_present[n] != 0) text += strformat(" %d", n);
    }
    text += "\n";
    text += strformat(" Offset    : %4d x %4d\n", pic->x_offset, pic->y_offset);
  }
  text += strformat(" Size      : %4d x %4d\n", pic->width, pic->height);
  // A PGM/PPM deeper than the 12-bit tables is shown from its top 12 bits.
  constexpr int kShownBits = 12;  // the 4096-entry tables
  if (pic->sample_shift > 0)
    text += strformat(" Samples   : %d bits, the top %d kept\n", kShownBits + pic->sample_shift, kShownBits);
  if (recording && pic->chan_present[0] == 0) text += " No frame header recorded.\n";
  return text;
}

std::string frame_header_text(FileKind file_type, int frame_nr, const uint16_t* words) {
  std::string text = strformat(" Frame     : %d\n", frame_nr);
  text += strformat(" Sync      : %x %x %x %x %x %x\n", words[0], words[1], words[2], words[3], words[4],
                    words[5]);
  unsigned id = words[6];
  if (file_type == kKindHRPT) {
    text += strformat(" Space craft address: %x --> ", (id >> 3) & 0xFu);
    text += strformat("%s\n", name_of_id(id, SatKind::NOAA).c_str());
    if ((id & 0x2u) == 0) {
      // NOAA KLM frames: bit 0 set means the AVHRR sends channel 3A (day),
      // clear means 3B (night).
      text += (id & 0x1u) != 0 ? " Channel 3 type: Ch3A\n" : " Channel 3 type: Ch3B\n";
    }
  } else if (file_type == kKindCHRPT) {
    text += strformat(" Space craft address: %x --> ", (id >> 6) & 0xFu);
    text += strformat("%s\n", name_of_id(id, SatKind::FengYun).c_str());
  }
  text += "\n";
  // Milliseconds of the day: 7 bits of word 9, then words 10 and 11.
  long ms = static_cast<long>(words[9] & 0x7Fu) * (1L << 20) + static_cast<long>(words[10]) * (1L << 10) +
            static_cast<long>(words[11]);
  long s = ms / 1000;
  long hours = s / 3600;
  long minutes = s / 60 - hours * 60;
  long seconds = s - minutes * 60 - hours * 3600;
  text += strformat(" TIME     : day %d  %ld:%ld:%ld\n", words[8] >> 1, hours, minutes, seconds);
  return text;
}

std::string frame_info_text(PIC_INFO* pic, VIEW_INFO* view, int* nr_frm) {
  if (pic == nullptr || nr_frm == nullptr) return {};
  FileKind type = pic->file_type;
  if (pic->chan_present[0] == 0 || !(holds_frame_headers(type) || type == kKindHRI)) return {};
  if (*nr_frm < 0) *nr_frm = 0;
  std::string text = " ---------------------------------\n";
  int padded = pic->frame.words_padded;
  std::vector<uint16_t> words;
  int status = 0;
  // A header that claims lines shorter than a frame header cannot be decoded.
  if (padded >= kFrameInfoWords && pic->pic_fp) {
    words.assign(static_cast<size_t>(padded) * kLineBufFactor, 0);
    status = read_line(pic, view, *nr_frm, words.data(), nullptr, nullptr, nullptr);
  }
  if (status == 0) {
    text += " End of file.\n";
    if (*nr_frm > 0) *nr_frm -= 1;
    return text;
  }
  return text + frame_header_text(type, *nr_frm, words.data());
}

std::string frame_info_text(PIC_INFO* pic, int* nr_frm) {
  // No skipping of faulty lines, first line first: frame n is file line n.
  VIEW_INFO recorded;
  recorded.scan_dir = ScanDir::TopDown;
  return frame_info_text(pic, &recorded, nr_frm);
}

}  // namespace kelo
