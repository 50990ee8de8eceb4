#include "core/record/hrpt_rec_pp.h"

#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "core/base/misc.h"
#include "core/files/file.h"
#include "core/files/hrpt1_read.h"
#include "core/files/hrpt1_write.h"
#include "core/files/hrpt_framehdr.h"
#include "core/orbit/select_kepler_core.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/rec_common.h"
#include "core/view/zoom.h"

namespace kelo {

namespace {

// Word 6 of a minor frame identifies the spacecraft: bits 3-6 on NOAA,
// bits 6-9 on FengYun.
constexpr int kIdWord = 6;
constexpr int kNoaaIdShift = 3;
constexpr int kFyIdShift = 6;
constexpr int kRecLiveHeight = 500;  // picture height while recording without a canvas
constexpr int kMaxLevel10 = 1023;

// get_hrptsat_name's memory of the previous frames of this pass.
int g_last_id = 0;
int g_recognized = 0;

void show(WindowHandle rec_wnd, const char* id, const std::string& text) {
  rec_show(rec_wnd, kRecHrptTitle, id, text);
}

// The interface could not be opened: the text for the port type.
void report_hwconnect(const RECORD_INFO* rec, WindowHandle main_wnd) {
  std::string text;
  if (rec->port_type == kPortTypeUsb) {
    if (main_wnd != nullptr)
      text = strformat("Can't open USB port %s", rec->use_usbid ? rec->usb_id.c_str() : "");
    else
      text = "Can't open USB port.";
  } else if (rec->port_type == kPortTypeEth) {
    text = "Can't open Ethermet port.";
  } else {
    char buf[128];
    std::snprintf(buf, sizeof buf, "Can't access \nParallel port with address %x !", rec->port_address);
    text = buf;
  }
  rec_error(rec, main_wnd, text);
}

// Rewrites the header of the finished file: line count, satellite and Kepler
// elements. The count is what the file really holds, so a pass cut short by
// a full disk still opens with the lines that reached it.
bool rewrite_header(RECORD_INFO* rec, PIC_INFO* hdr, int frames, int* lines_on_disk) {
  long long size = rec_file_size(rec->rec_file);
  int on_disk = 0;
  if (size >= kHrpt1HdrLen && hdr->frame.line_bytes > 0)
    on_disk = static_cast<int>((size - kHrpt1HdrLen) / hdr->frame.line_bytes);
  *lines_on_disk = on_disk < frames ? on_disk : frames;
  KFile fp;
  if (!fp.open(rec->rec_file, "rb+")) return false;
  hdr->height = *lines_on_disk;
  hdr->pic_fp = fp;
  hdr->sat_name = rec->sat_name.substr(0, kSatNameMax);
  bool ok = write_hrpt1_hdr(hdr) == 0;
  hdr->pic_fp.close();
  return fp.close_checked() && ok;
}

void load_kepler_into(RECORD_INFO* rec, WindowHandle rec_wnd, WindowHandle main_wnd, PIC_INFO* hdr) {
  FILE* kf = rec->kepler_file.empty() ? nullptr : std::fopen(rec->kepler_file.c_str(), "r");
  if (kf == nullptr) {
    if (rec->kepler_file.empty())
      rec_error(rec, main_wnd, "Kep-file not defined\n(See Preferences.)");
    else
      rec_error(rec, main_wnd, strformat("Kep-file not found:\n%s", rec->kepler_file.c_str()));
    return;
  }
  std::string msg;
  if (get_satkeps(kf, rec->sat_name.c_str(), &hdr->kepler) != 0)
    msg = strformat("Kep. ld: %s", rec->sat_name.c_str());
  else
    msg = strformat("Kep. '%s' not found!", rec->sat_name.c_str());
  std::fclose(kf);
  show(rec_wnd, "Sat name ", msg);
  if (rec->batch) log_message("%s", msg.c_str());
}

}  // namespace

int get_hrptsat_name(const uint16_t* frame, std::string* name, FileKind file_type, SatKind sat_kind) {
  if (frame == nullptr) {
    g_last_id = 0;
    g_recognized = 0;
    return 0;
  }
  if (g_recognized > kRecNameFrames) return 0;  // named for this pass
  int shift = file_type == kKindCHRPT ? kFyIdShift : kNoaaIdShift;
  int id = (frame[kIdWord] >> shift) & 0xF;
  if (id != g_last_id) g_recognized = 0;
  g_last_id = id;
  ++g_recognized;
  if (g_recognized >= kRecNameFrames) {
    const char* n = xrptid2name(frame[kIdWord], sat_kind);
    if (name != nullptr) *name = std::string(n != nullptr ? n : "").substr(0, kSatNameMax);
    return 1;
  }
  return 0;
}

void Recordpp_Hrpt(WindowHandle rec_wnd, WindowHandle main_wnd, RECORD_INFO* rec, PIC_INFO* pic,
                   VIEW_INFO* view) {
  if (Open_HWConnect(rec) == 0) {
    report_hwconnect(rec, main_wnd);
    return;
  }

  // The channels shown live: the preferred one when it is recorded, else
  // the first recorded channel.
  for (int i = 0; i <= kMaxChannels; ++i) {
    pic->chan_present[i] = rec->chan_sel[i];
    view->chan_sel[i] = 0;
  }
  if (rec->show_chan < 0) rec->show_chan = 0;
  if (rec->show_chan > kMaxChannels) rec->show_chan = kMaxChannels;
  if (rec->show_chan >= 1 && pic->chan_present[rec->show_chan]) {
    view->chan_sel[rec->show_chan] = 1;
  } else {
    for (int n = 1; n <= kMaxChannels; ++n) {
      if (pic->chan_present[n]) {
        rec->show_chan = n;
        view->chan_sel[n] = 1;
        if (rec_wnd != nullptr) gui().set_entry_text(kRecHrptTitle, "!Show channel", strformat("Chan %d", n));
        break;
      }
    }
  }
  bool any = false;
  for (int n = 1; n <= kMaxChannels; ++n) any = any || pic->chan_present[n] != 0;
  if (!any) {
    if (main_wnd != nullptr) {
      gui().message("Error", "No channels selected!");
    } else {
      std::fputs("Error: No channels selected.\n", stderr);
      if (rec->batch) log_message("Error: No channels selected.");
    }
    Close_HWConnect(rec);
    return;
  }

  pic->lut_size = 1024;
  pic->width = kRecWordsPerChan;
  pic->height = kRecLiveHeight;
  pic->file_type = rec->file_type;
  pic->sat_kind = rec->sat_kind;
  pic->frame = calc_hrptframeinfo(rec->file_type, pic->chan_present, kRecWordsPerChan);
  rec->frame = pic->frame;
  rec->cur_base = rec->file_type == kKindCHRPT ? "chrpt" : rec->hrpt_base;
  rec->cur_ext = rec->hrpt_ext;

  while (rec->active) {
    show(rec_wnd, "Recording", "Wait");
    if (rec->batch) log_message("Wait for in-sync.");
    if (wait_for_insync(rec, rec->hrpt_start_after) == 0) break;
    if (Recordpp_one_Hrpt(rec_wnd, main_wnd, rec, pic, view) < 0 && rec->batch && rec->active) {
      // A file that cannot be created or written stops an unattended
      // station instead of waiting for the next pass into the same failure.
      rec->active = false;
    }
    if (rec->stop_when_done) {
      rec->active = false;
      Close_HWConnect(rec);
      if (main_wnd != nullptr) gui().quit_main_loop();
    }
  }

  rec_end_loop(rec_wnd, kRecHrptTitle, "Recording", main_wnd, rec, pic, view);
}

int Recordpp_one_Hrpt(WindowHandle rec_wnd, WindowHandle main_wnd, RECORD_INFO* rec, PIC_INFO* pic,
                      VIEW_INFO* view) {
  close_picfile(pic);

  auto hdr = std::make_unique<PIC_INFO>();
  if (rec->save_rec) {
    if (!rec_start_file(rec_wnd, kRecHrptTitle, "Recording", main_wnd, rec)) return -1;
    hdr->scan_dir = rec->scan_dir;
    for (int i = 0; i <= kMaxChannels; ++i) hdr->chan_present[i] = rec->chan_sel[i];
    hdr->file_type = rec->file_type;
    hdr->pic_fp = rec->rec_fp;
    hdr->sat_name = rec->sat_name.substr(0, kSatNameMax);
    std::time_t now = std::time(nullptr);
    gmtime_r(&now, &hdr->orbit.start_tm);
    hdr->orbit.start_tm_comp = hdr->orbit.start_tm;
    hdr->orbit.use_sattime = false;
    if (write_hrpt1_hdr(hdr.get()) != 0) {
      hdr->pic_fp.close();
      (void)rec_close_checked(rec);  // the failed header is what gets reported
      rec_error(rec, main_wnd, strformat("Can't write file %s!", rec->rec_file.c_str()));
      return -1;
    }
    hdr->frame = rec->frame;  // the lines carry the recorded stream's geometry
  } else {
    show(rec_wnd, "Recording", "(no save)");
  }

  // The writer packs words_padded words; the pad words stay 0.
  std::vector<uint16_t> frame(
      static_cast<size_t>(rec->frame.words_padded > rec->frame.words_per_line ? rec->frame.words_padded
                                                                              : rec->frame.words_per_line) +
          1,
      0);
  view->zoom = zoom_full();
  view->lmin = 0;
  view->lmax = kMaxLevel10;
  view->orientation = rec->orientation;
  view->scan_dir = rec->scan_dir;
  LiveView live(main_wnd, pic, view, kMaxLevel10);
  if (live.active()) pic->height = live.height();
  get_hrptsat_name(nullptr, nullptr, kKindNone, SatKind::Unknown);

  int frames = 0;
  int line = 0;
  int prev = 0;
  bool first = true;
  int out_of_sync = 0;
  bool write_failed = false;
  while (rec->active) {
    // In batch mode the seam has no windows; its event processing is where a
    // stop signal reaches the pass.
    gui().process_events();
    if (rec_poll_stop(rec) || !rec->active) break;
    int s = get_hrpt_frame(frame.data(), rec);
    if (!first) {
      if (s != 0 && prev == 0) show(rec_wnd, "Recording", "Restored.");
      if (s == 0 && prev != 0) show(rec_wnd, "Recording", "No transm!");
    }
    first = false;
    prev = s;
    out_of_sync = s == 2 ? out_of_sync + 1 : 0;
    if (out_of_sync > rec->hrpt_stop_after) break;
    // A time-out delivered no frame: nothing to show, name or keep.
    if (s == 0) continue;

    if (get_hrptsat_name(frame.data(), &rec->sat_name, rec->file_type, rec->sat_kind) == 1)
      show(rec_wnd, "Sat name ", rec->sat_name);

    if (live.active()) {
      int h = live.height();
      if (rec->lines_per_screen <= 0) rec->lines_per_screen = h;
      int r = (h - 1) * line / rec->lines_per_screen;
      if (r >= h) {
        line = 0;
        r = h - 1;
      }
      live.draw(frame.data(), rec->frame.words_per_line, r, true);
      ++line;
      if (line % kRecShowEvery == 0) show(rec_wnd, "Line       ", strformat("%d", line));
    } else if (rec->batch) {
      ++line;
      if (line % kRecShowEvery == 0) log_message("Line %d...", line);
    }

    if (rec->save_rec && write_hrpt1_line(hdr.get(), frame.data(), s == 1 ? kLinePreSync : 0) == 0) {
      write_failed = true;
      break;
    }
    ++frames;
  }

  int result = frames;
  if (rec->save_rec) {
    hdr->pic_fp.close();
    if (!rec_close_checked(rec)) write_failed = true;
    if (rec->load_kepler) load_kepler_into(rec, rec_wnd, main_wnd, hdr.get());
    hdr->frame = rec->frame;
    int kept = frames;
    if (!rewrite_header(rec, hdr.get(), frames, &kept)) write_failed = true;
    if (write_failed) {
      rec_error(rec, main_wnd,
                strformat("Write error on %s: the file keeps the lines that reached the disk.",
                          rec->rec_file.c_str()));
      if (rec->batch) log_message("Recording %s holds %d lines.", rec->rec_file.c_str(), kept);
      result = -1;
    }
    frames = kept;
  }
  show(rec_wnd, "Recording", "Stop");
  if (rec->batch) log_message("Stop recording after %d frames.", frames);
  return result;
}

}  // namespace kelo
