#include "core/record/hri_rec_pp.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/base/misc.h"
#include "core/files/file.h"
#include "core/files/hri1_write.h"
#include "core/files/hri_functions.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/rec_common.h"
#include "core/view/zoom.h"

namespace kelo {

namespace {

// Frame bytes the recorder looks at.
constexpr int kSegPosByte = 3;       // low nibble: position in the segment; high: resolution
constexpr int kCounterByte = 8;      // bytes 8-9: frame counter, 1 = header frame
constexpr int kSatCodeByte = 36;     // bytes 36-37 of a header frame: satellite code
constexpr int kCryptByte = 22;       // low nibble non-zero: encrypted
constexpr int kPictureStart = 4;     // picture bytes 4-363
constexpr int kHighRes = 7;          // resolution nibble of high-resolution frames
constexpr int kLowRes = 3;           // ... and of low-resolution frames
constexpr int kResolutionVotes = 3;  // a resolution counter above this decides
constexpr int kFormatLow = 4;        // frames per segment, low resolution
constexpr int kFormatHigh = 8;       // ... high resolution
constexpr int kNoSatCode = 0xFFFF;
constexpr int kMaxLevel8 = 255;

void show(WindowHandle rec_wnd, const char* id, const std::string& text) {
  rec_show(rec_wnd, kRecHriTitle, id, text);
}

std::string num(int v) { return std::to_string(v); }

std::string port_error_text(const RECORD_INFO* rec) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "Can't access \nParallel port with address %x !", rec->port_address);
  return buf;
}

int big16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

}  // namespace

int getpp_hri_frame(uint16_t* words, uint8_t* bytes, RECORD_INFO* rec) {
  int remaining = rec->frame.words_per_line;
  int stored = 0;
  bool started = false;
  int idle = 0;
  uint16_t status = 0;
  while (remaining > 0) {
    if (!get_pp_data(rec, &status)) return 0;
    if (!started && (status & kStatFrameN) == 0) started = true;
    if (started) {
      uint8_t b = static_cast<uint8_t>(status & kStatDataMask);
      if (words != nullptr) words[stored] = b;
      if (bytes != nullptr) bytes[stored] = b;
      ++stored;
      --remaining;
      idle = 0;
    } else if (++idle > kIdleWordsEvents) {
      gui().process_events();
      idle = 0;
      if (!rec->active) return 0;
    }
  }
  return (status & kStatSync) ? 1 : 2;
}

int catch_hri_start(PIC_INFO* pic, RECORD_INFO* rec) {
  pic->hri.format = kFormatLow;
  pic->hri.encrypted = false;
  int code = kNoSatCode;
  int high = 0, low = 0, crypt = 0;
  int len = rec->frame.words_per_line > 0 ? rec->frame.words_per_line : kHriRecFrameBytes;
  std::vector<uint8_t> frame(static_cast<size_t>(len < kHriRecFrameBytes ? kHriRecFrameBytes : len), 0);
  for (;;) {
    if (getpp_hri_frame(nullptr, frame.data(), rec) == 0) break;
    gui().process_events();
    if (rec_poll_stop(rec) || !rec->active) break;
    if ((frame[kSegPosByte] & 0x0F) != 0) continue;  // only first frames of a segment
    if (big16(&frame[kCounterByte]) == 1) code = big16(&frame[kSatCodeByte]);
    if ((frame[kCryptByte] & 0x0F) != 0) {
      ++crypt;
    } else if (crypt > 0) {
      --crypt;
    }
    int res = frame[kSegPosByte] >> 4;
    if (res == kHighRes) {
      ++high;
    } else if (high > 0) {
      --high;
    }
    if (res == kLowRes) {
      ++low;
    } else if (low > 0) {
      --low;
    }
    if (high > kResolutionVotes || low > kResolutionVotes) break;
  }
  int result = 0;
  if (high > kResolutionVotes) {
    pic->hri.format = kFormatHigh;
    result = 1;
  } else if (low > kResolutionVotes) {
    pic->hri.format = kFormatLow;
    result = 1;
  }
  if (crypt > 0) pic->hri.encrypted = true;
  hri_satind2satname(code, &pic->hri.sat_name);
  return result;
}

void Recordpp_Hri(WindowHandle rec_wnd, WindowHandle main_wnd, RECORD_INFO* rec, PIC_INFO* pic,
                  VIEW_INFO* view) {
  show(rec_wnd, "Recorded", num(0));
  show(rec_wnd, "Encrypted", num(0));
  rec->frame.words_per_line = kHriRecFrameBytes;
  rec->frame.line_bytes = kHriRecFrameBytes;
  rec->cur_base = rec->hri_base;
  rec->cur_ext = rec->hri_ext;
  if (Open_HWConnect(rec) == 0) {
    rec_error(rec, main_wnd, port_error_text(rec));
    return;
  }
  int recorded = 0, encrypted = 0;
  while (rec->active) {
    show(rec_wnd, "Recording", "Wait");
    if (rec->batch) log_message("Wait for in-sync.");
    if (wait_for_insync(rec, rec->hri_start_after) == 0) break;
    if (catch_hri_start(pic, rec) == 0) break;
    show(rec_wnd, "Sat name ", pic->hri.sat_name);
    int result = 0;
    if (pic->hri.encrypted) {
      if (rec->batch) log_message("Encrypted.");
      show(rec_wnd, "Encrypted", num(++encrypted));
      show(rec_wnd, "Encrypted:", "Y");
      if (rec->record_all) {
        result = Recordpp_one_Hri(rec_wnd, main_wnd, rec, pic, view);
      } else {
        if (rec->batch) log_message("Wait for out-sync.");
        if (wait_for_outsync(rec, rec->hri_stop_after) == 0) break;
      }
    } else {
      show(rec_wnd, "Encrypted:", "N");
      show(rec_wnd, "Recorded", num(++recorded));
      result = Recordpp_one_Hri(rec_wnd, main_wnd, rec, pic, view);
    }
    // An unattended station whose files cannot be written stops rather than
    // failing again on every picture.
    if (result < 0 && rec->batch) rec->active = false;
    if (rec->stop_when_done) {
      rec->active = false;
      if (main_wnd != nullptr) gui().quit_main_loop();
    }
  }
  rec_end_loop(rec_wnd, kRecHriTitle, "Recording", main_wnd, rec, pic, view);
}

int Recordpp_one_Hri(WindowHandle rec_wnd, WindowHandle main_wnd, RECORD_INFO* rec, PIC_INFO* pic,
                     VIEW_INFO* view) {
  close_picfile(pic);
  if (rec->save_rec) {
    if (!rec_start_file(rec_wnd, kRecHriTitle, "Recording", main_wnd, rec)) return -1;
    if (write_hri1_hdr(rec) == 0) {
      (void)rec_close_checked(rec);  // the failed header is what gets reported
      rec_error(rec, main_wnd, "Can't write file " + rec->rec_file + "!");
      return -1;
    }
  } else {
    show(rec_wnd, "Recording", "(no save)");
  }

  const int format = pic->hri.format == kFormatHigh ? kFormatHigh : kFormatLow;
  std::vector<uint16_t> frame(kHriRecFrameBytes, 0);
  std::vector<uint16_t> line(static_cast<size_t>(kHriRecFrameBytes * format), 0);
  pic->lut_size = 256;
  pic->width = format * kHriRecPictureBytes;
  view->zoom = zoom_full();
  view->orientation = Orientation::Normal;
  view->scan_dir = ScanDir::TopDown;
  view->lmin = 0;
  view->lmax = kMaxLevel8;
  // Frames are stored one by one; a line of the live picture is one segment.
  pic->hri.nseg = 1;
  calc_hriframeinfo(&pic->frame, &pic->hri);
  LiveView live(main_wnd, pic, view, kMaxLevel8);
  pic->height = live.height();
  if (pic->width > 0) {
    rec->lines_per_screen = pic->width;
  } else if (live.active()) {
    rec->lines_per_screen = live.height();
  }

  int frames = 0, lines = 0, row = 0, pos = 0;
  int prev = 0, out_of_sync = 0;
  bool first = true, write_failed = false;
  while (rec->active) {
    gui().process_events();  // in batch mode: where a stop signal arrives
    if (rec_poll_stop(rec) || !rec->active) break;
    // A generator test run in batch mode ends after a fixed number of frames;
    // the frame being collected then is still stored.
    if (rec->batch && rec->gen_mode && frames > kHriGeneratorFrames) rec->active = false;
    int s = getpp_hri_frame(frame.data(), nullptr, rec);
    if (!first) {
      if (s != 0 && prev == 0) show(rec_wnd, "Recording", "Signal restored");
      if (s == 0 && prev != 0) show(rec_wnd, "Recording", "!! No signal!!");
    }
    first = false;
    prev = s;
    out_of_sync = s == 2 ? out_of_sync + 1 : 0;
    if (out_of_sync > rec->hri_stop_after) break;
    if (s == 0) continue;  // a time-out delivered no frame

    int p = frame[kSegPosByte] & 0x0F;
    if (p < format) pos = p;
    for (int i = 0; i < kHriRecPictureBytes; ++i)
      line[static_cast<size_t>(pos * kHriRecPictureBytes + i)] =
          frame[static_cast<size_t>(kPictureStart + i)];
    if (++pos >= format) {
      pos = 0;
      if (live.active()) {
        int h = live.height();
        if (rec->lines_per_screen > 0) row = (h - 1) * lines / rec->lines_per_screen;
        if (row >= h) {
          lines = 0;
          row = h - 1;
        }
        live.draw(line.data(), format * kHriRecPictureBytes, row, true);
      }
      ++lines;
      if (lines % 10 == 0) show(rec_wnd, "Line #", num(lines));
    }
    if (rec->save_rec && write_hri1_line(rec, frame.data()) == 0) {
      write_failed = true;
      break;
    }
    ++frames;
  }
  if (rec->save_rec && !rec_close_checked(rec)) write_failed = true;
  if (write_failed)
    rec_error(rec, main_wnd,
              "Write error on " + rec->rec_file + ": the file keeps the frames that reached the disk.");
  show(rec_wnd, "Recording", "Stop");
  if (rec->batch) log_message("Stop recording after %d frames.", frames);
  return write_failed ? -1 : frames;
}

}  // namespace kelo
