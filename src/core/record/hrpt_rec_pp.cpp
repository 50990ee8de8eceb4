#include "core/record/hrpt_rec_pp.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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
#include "core/view/rgbdraw.h"
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

// The interface could not be opened: the text for the port type.
void report_hwconnect(const RECORD_INFO* rec, RecordListener& listener) {
  std::string text;
  if (rec->port_type == kPortTypeUsb) {
    // A record window names the USB decoder it tried; the log keeps it short.
    if (!rec->batch)
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
  listener.error(text);
}

// Rewrites the header of the finished file through the descriptor the pass
// wrote with: line count, satellite and Kepler elements. The count is what
// the file really holds, so a pass cut short by a full disk still opens with
// the lines that reached it. Whatever now stands under the recording's path
// is never written.
bool rewrite_header(RECORD_INFO* rec, PIC_INFO* hdr, int frames, long long size, int* lines_on_disk) {
  int on_disk = 0;
  if (size >= kHrpt1HdrLen && hdr->frame.line_bytes > 0)
    on_disk = static_cast<int>(std::min<long long>((size - kHrpt1HdrLen) / hdr->frame.line_bytes, frames));
  *lines_on_disk = on_disk;
  FILE* fp = rec->rec_fp.get();
  if (fp == nullptr || std::fseek(fp, 0, SEEK_SET) != 0) return false;
  hdr->height = on_disk;
  hdr->pic_fp = rec->rec_fp;
  hdr->sat_name = rec->sat_name.substr(0, kSatNameMax);
  bool ok = write_hrpt1_hdr(hdr) == 0;
  hdr->pic_fp.close();
  return rec->rec_fp.close_checked() && ok;
}

void load_kepler_into(RECORD_INFO* rec, RecordListener& listener, PIC_INFO* hdr) {
  FILE* kf = rec->kepler_file.empty() ? nullptr : std::fopen(rec->kepler_file.c_str(), "r");
  if (kf == nullptr) {
    if (rec->kepler_file.empty())
      listener.error("Kep-file not defined\n(See Preferences.)");
    else
      listener.error(strformat("Kep-file not found:\n%s", rec->kepler_file.c_str()));
    return;
  }
  std::string msg;
  if (get_satkeps(kf, rec->sat_name.c_str(), &hdr->kepler) != 0)
    msg = strformat("Kep. ld: %s", rec->sat_name.c_str());
  else
    msg = strformat("Kep. '%s' not found!", rec->sat_name.c_str());
  std::fclose(kf);
  listener.kepler_status(msg);
}

// The channels shown live: the preferred one when it is recorded, else the
// first recorded channel. False when no channel is recorded at all.
bool choose_live_channel(RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic, VIEW_INFO* view) {
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
        listener.channel_shown(n);
        break;
      }
    }
  }
  for (int n = 1; n <= kMaxChannels; ++n) {
    if (pic->chan_present[n] != 0) return true;
  }
  return false;
}

// The picture the live display draws into and the stream's frame geometry.
void prepare_picture(RECORD_INFO* rec, PIC_INFO* pic) {
  pic->lut_size = 1024;
  pic->width = kRecWordsPerChan;
  pic->height = kRecLiveHeight;
  pic->file_type = rec->file_type;
  pic->sat_kind = rec->sat_kind;
  pic->frame = calc_hrptframeinfo(rec->file_type, pic->chan_present, kRecWordsPerChan);
  rec->frame = pic->frame;
  rec->cur_base = rec->file_type == kKindCHRPT ? "chrpt" : rec->hrpt_base;
  rec->cur_ext = rec->hrpt_ext;
}

// One pass, step by step: start the file, prepare the live display, take
// frames until the pass ends, finish the file. Owns what the pass needs: the
// header being written, the frame buffer, the satellite recognition and the
// counters.
class HrptPass {
 public:
  HrptPass(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
           VIEW_INFO* view)
      : session_(session), listener_(listener), rec_(rec), pic_(pic), view_(view) {}

  int run() {
    close_picfile(pic_);
    if (!start_file()) return -1;
    prepare_live();
    frame_loop();
    return finish();
  }

 private:
  // A new file with its header, or "(no save)". False when the file could
  // not be created or its header written.
  bool start_file() {
    if (!rec_->save_rec) {
      listener_.state("(no save)");
      return true;
    }
    if (!rec_start_file(listener_, rec_)) return false;
    hdr_->scan_dir = rec_->scan_dir;
    for (int i = 0; i <= kMaxChannels; ++i) hdr_->chan_present[i] = rec_->chan_sel[i];
    hdr_->file_type = rec_->file_type;
    hdr_->pic_fp = rec_->rec_fp;
    hdr_->sat_name = rec_->sat_name.substr(0, kSatNameMax);
    std::time_t now = std::time(nullptr);
    gmtime_r(&now, &hdr_->orbit.start_tm);
    hdr_->orbit.start_tm_comp = hdr_->orbit.start_tm;
    // The satellite's own time is not read from the frames: the header
    // carries the start of the recording there too, never an unset time.
    hdr_->orbit.start_tm_sat = hdr_->orbit.start_tm;
    hdr_->orbit.use_sattime = 0;
    if (write_hrpt1_hdr(hdr_.get()) != 0 || std::fflush(rec_->rec_fp.get()) != 0) {
      const int err = errno;
      hdr_->pic_fp.close();
      // A file without its header is no recording: none is left behind.
      rec_remove_empty(rec_);
      listener_.error(strformat("Can't write file %s: %s", rec_->rec_file.c_str(), std::strerror(err)));
      return false;
    }
    hdr_->frame = rec_->frame;  // the lines carry the recorded stream's geometry
    return true;
  }

  void prepare_live() {
    // The writer packs words_padded words; the pad words stay 0.
    const int words = rec_->frame.words_padded > rec_->frame.words_per_line ? rec_->frame.words_padded
                                                                            : rec_->frame.words_per_line;
    frame_.assign(static_cast<size_t>(words) + 1, 0);
    view_->zoom = zoom_full();
    view_->lmin = 0;
    view_->lmax = kMaxLevel10;
    view_->orientation = rec_->orientation;
    view_->scan_dir = rec_->scan_dir;
    // The picture is as high as the canvas before the row map is made, so
    // that frame after frame fills row after row.
    const DRAWABLE_INFO* canvas = listener_.live_canvas();
    if (canvas != nullptr && canvas->height > 0) pic_->height = canvas->height;
    live_ = std::make_unique<LiveView>(listener_, pic_, view_, kMaxLevel10);
    recognizer_.restart();
  }

  // Draws the frame on the live canvas (the row follows the line count,
  // wrapping at the screen's lines) and reports every tenth line.
  void show_line() {
    if (live_->active()) {
      int h = live_->height();
      if (rec_->lines_per_screen <= 0) rec_->lines_per_screen = h;
      int r = (h - 1) * line_ / rec_->lines_per_screen;
      if (r >= h) {
        line_ = 0;
        r = h - 1;
      }
      live_->draw(frame_.data(), rec_->frame.words_per_line, r, true);
    }
    ++line_;
    if (line_ % kRecShowEvery == 0) listener_.line_count(line_);
  }

  void frame_loop() {
    int out_of_sync = 0;
    while (rec_->active) {
      // In batch mode the seam has no windows; its event processing is
      // where a stop signal reaches the pass.
      session_.seam().process_events();
      if (rec_poll_stop(rec_, listener_) || !rec_->active) break;
      int s = get_hrpt_frame(session_, frame_.data(), rec_);
      sync_.frame(s);
      out_of_sync = s == 2 ? out_of_sync + 1 : 0;
      if (out_of_sync > rec_->hrpt_stop_after) break;
      // A time-out delivered no frame: nothing to show, name or keep.
      if (s == 0) continue;

      if (recognizer_.feed(frame_.data(), &rec_->sat_name, rec_->file_type, rec_->sat_kind) == 1)
        listener_.satellite_named(rec_->sat_name);
      show_line();

      if (rec_->save_rec && write_hrpt1_line(hdr_.get(), frame_.data(), s == 1 ? kLinePreSync : 0) == 0) {
        write_failed_ = true;
        break;
      }
      ++frames_;
    }
  }

  // Loads the Kepler elements when asked, rewrites the header with the
  // lines the file holds and closes the file; a pass that received no frame
  // leaves no file. The frames recorded, or -1 after a write error or when
  // the recording's path no longer names the file.
  int finish() {
    int result = frames_;
    if (rec_->save_rec) {
      hdr_->pic_fp.close();
      RecFileState st = rec_file_state(rec_);
      if (frames_ == 0 && !write_failed_ && st.flushed && !st.moved) {
        rec_remove_empty(rec_);
        listener_.pass_stopped(0);
        return 0;
      }
      if (!st.flushed) write_failed_ = true;
      if (rec_->load_kepler) load_kepler_into(rec_, listener_, hdr_.get());
      hdr_->frame = rec_->frame;
      int kept = frames_;
      if (!rewrite_header(rec_, hdr_.get(), frames_, st.size, &kept)) write_failed_ = true;
      if (st.moved) {
        listener_.error(rec_moved_text(rec_->rec_file));
        result = -1;
      } else if (write_failed_) {
        listener_.error(strformat("Write error on %s: the file keeps the lines that reached the disk.",
                                  rec_->rec_file.c_str()));
        listener_.file_kept(rec_->rec_file, kept);
        result = -1;
      }
      frames_ = kept;
    }
    listener_.pass_stopped(frames_);
    return result;
  }

  StationSession& session_;
  RecordListener& listener_;
  RECORD_INFO* rec_;
  PIC_INFO* pic_;
  VIEW_INFO* view_;
  std::unique_ptr<PIC_INFO> hdr_ = std::make_unique<PIC_INFO>();
  std::vector<uint16_t> frame_;
  std::unique_ptr<LiveView> live_;
  SatRecognizer recognizer_;
  int frames_ = 0;
  int line_ = 0;
  SyncReporter sync_{listener_, "Restored.", "No transm!"};
  bool write_failed_ = false;
};

}  // namespace

int SatRecognizer::feed(const uint16_t* frame, std::string* name, FileKind file_type, SatKind sat_kind) {
  if (recognized_ > kRecNameFrames) return 0;  // named for this pass
  int shift = file_type == kKindCHRPT ? kFyIdShift : kNoaaIdShift;
  int id = (frame[kIdWord] >> shift) & 0xF;
  if (id != last_id_) recognized_ = 0;
  last_id_ = id;
  ++recognized_;
  if (recognized_ >= kRecNameFrames) {
    if (name != nullptr) *name = xrptid2name(frame[kIdWord], sat_kind).substr(0, kSatNameMax);
    return 1;
  }
  return 0;
}

int get_hrptsat_name(SatRecognizer& recognizer, const uint16_t* frame, std::string* name, FileKind file_type,
                     SatKind sat_kind) {
  if (frame == nullptr) {
    recognizer.restart();
    return 0;
  }
  return recognizer.feed(frame, name, file_type, sat_kind);
}

int Recordpp_Hrpt(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                  VIEW_INFO* view) {
  if (Open_HWConnect(session, rec) == 0) {
    report_hwconnect(rec, listener);
    return 1;
  }
  if (!choose_live_channel(listener, rec, pic, view)) {
    listener.error(rec->batch ? "No channels selected." : "No channels selected!");
    Close_HWConnect(session, rec);
    return 1;
  }
  int failed = 0;
  prepare_picture(rec, pic);

  while (rec->active) {
    listener.waiting_for_sync();
    if (wait_for_insync(session, rec, rec->hrpt_start_after) == 0) break;
    if (Recordpp_one_Hrpt(session, listener, rec, pic, view) < 0) {
      failed = 1;
      // A file that cannot be created or written stops an unattended
      // station instead of waiting for the next pass into the same failure.
      if (rec->batch) rec->active = false;
    }
    if (rec->stop_when_done) {
      rec->active = 0;
      Close_HWConnect(session, rec);
      session.seam().quit_main_loop();
    }
  }

  rec_end_loop(session, listener, rec);
  return failed;
}

int Recordpp_one_Hrpt(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                      VIEW_INFO* view) {
  return HrptPass(session, listener, rec, pic, view).run();
}

}  // namespace kelo
