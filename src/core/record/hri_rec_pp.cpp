#include "core/record/hri_rec_pp.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/base/misc.h"
#include "core/files/file.h"
#include "core/files/hri1_read.h"
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

std::string port_error_text(const RECORD_INFO* rec) {
  char buf[128];
  std::snprintf(buf, sizeof buf, "Can't access \nParallel port with address %x !", rec->port_address);
  return buf;
}

int big16(const uint8_t* p) { return (p[0] << 8) | p[1]; }

}  // namespace

int getpp_hri_frame(StationSession& session, uint16_t* words, uint8_t* bytes, RECORD_INFO* rec) {
  int remaining = rec->frame.words_per_line;
  int stored = 0;
  bool started = false;
  int idle = 0;
  uint16_t status = 0;
  while (remaining > 0) {
    if (!get_pp_data(session, rec, &status)) return 0;
    if (!started && (status & kStatFrameN) == 0) started = true;
    if (started) {
      uint8_t b = static_cast<uint8_t>(status & kStatDataMask);
      if (words != nullptr) words[stored] = b;
      if (bytes != nullptr) bytes[stored] = b;
      ++stored;
      --remaining;
      idle = 0;
    } else if (++idle > kIdleWordsEvents) {
      session.seam().process_events();
      idle = 0;
      if (!rec->active) return 0;
    }
  }
  return (status & kStatSync) ? 1 : 2;
}

int catch_hri_start(StationSession& session, RecordListener& listener, PIC_INFO* pic, RECORD_INFO* rec) {
  pic->hri.format = kFormatLow;
  pic->hri.encrypted = false;
  int code = kNoSatCode;
  int high = 0, low = 0, crypt = 0;
  int len = rec->frame.words_per_line > 0 ? rec->frame.words_per_line : kHriRecFrameBytes;
  std::vector<uint8_t> frame(static_cast<size_t>(len < kHriRecFrameBytes ? kHriRecFrameBytes : len), 0);
  for (;;) {
    if (getpp_hri_frame(session, nullptr, frame.data(), rec) == 0) break;
    session.seam().process_events();
    if (rec_poll_stop(rec, listener) || !rec->active) break;
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

namespace {

// One picture, step by step: start the file, prepare the live display, take
// frames until the picture ends, finish the file. Owns the frame and line
// buffers and the counters of the picture.
class HriPicture {
 public:
  HriPicture(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
             VIEW_INFO* view)
      : session_(session),
        listener_(listener),
        rec_(rec),
        pic_(pic),
        view_(view),
        format_(pic->hri.format == kFormatHigh ? kFormatHigh : kFormatLow) {}

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
    if (write_hri1_hdr(rec_) == 0 || std::fflush(rec_->rec_fp.get()) != 0) {
      const int err = errno;
      // A file without its header is no recording: none is left behind.
      rec_remove_empty(rec_);
      listener_.error("Can't write file " + rec_->rec_file + ": " + std::strerror(err));
      return false;
    }
    return true;
  }

  void prepare_live() {
    frame_.assign(kHriRecFrameBytes, 0);
    line_.assign(static_cast<size_t>(kHriRecFrameBytes * format_), 0);
    pic_->lut_size = 256;
    pic_->width = format_ * kHriRecPictureBytes;
    view_->zoom = zoom_full();
    view_->orientation = Orientation::Normal;
    view_->scan_dir = ScanDir::TopDown;
    view_->lmin = 0;
    view_->lmax = kMaxLevel8;
    // Frames are stored one by one; a line of the live picture is one segment.
    pic_->hri.nseg = 1;
    calc_hriframeinfo(&pic_->frame, &pic_->hri);
    live_ = std::make_unique<LiveView>(listener_, pic_, view_, kMaxLevel8);
    pic_->height = live_->height();
    if (pic_->width > 0) {
      rec_->lines_per_screen = pic_->width;
    } else if (live_->active()) {
      rec_->lines_per_screen = live_->height();
    }
  }

  // Puts the frame's picture bytes at its place in the segment; a complete
  // segment is one live line, and every tenth line is reported.
  void add_to_segment() {
    int p = frame_[kSegPosByte] & 0x0F;
    if (p < format_) pos_ = p;
    for (int i = 0; i < kHriRecPictureBytes; ++i)
      line_[static_cast<size_t>(pos_ * kHriRecPictureBytes + i)] =
          frame_[static_cast<size_t>(kPictureStart + i)];
    if (++pos_ < format_) return;
    pos_ = 0;
    if (live_->active()) {
      int h = live_->height();
      if (rec_->lines_per_screen > 0) row_ = (h - 1) * lines_ / rec_->lines_per_screen;
      if (row_ >= h) {
        lines_ = 0;
        row_ = h - 1;
      }
      live_->draw(line_.data(), format_ * kHriRecPictureBytes, row_, true);
    }
    ++lines_;
    if (lines_ % kShowEvery == 0) listener_.line_count(lines_);
  }

  void frame_loop() {
    int out_of_sync = 0;
    while (rec_->active) {
      session_.seam().process_events();  // in batch mode: where a stop signal arrives
      if (rec_poll_stop(rec_, listener_) || !rec_->active) break;
      // A generator test run in batch mode ends after a fixed number of
      // frames; the frame being collected then is still stored.
      if (rec_->batch && rec_->gen_mode && frames_ > kHriGeneratorFrames) rec_->active = 0;
      int s = getpp_hri_frame(session_, frame_.data(), nullptr, rec_);
      sync_.frame(s);
      out_of_sync = s == 2 ? out_of_sync + 1 : 0;
      if (out_of_sync > rec_->hri_stop_after) break;
      if (s == 0) continue;  // a time-out delivered no frame
      add_to_segment();
      if (rec_->save_rec && write_hri1_line(rec_, frame_.data()) == 0) {
        write_failed_ = true;
        break;
      }
      ++frames_;
    }
  }

  // Closes the file; a picture that received no frame leaves no file. The
  // frames stored (counted from the file's size, so a full disk is not
  // reported as more than reached it), or -1 after a write error or when
  // the recording's path no longer names the file.
  int finish() {
    bool moved = false;
    if (rec_->save_rec) {
      RecFileState st = rec_file_state(rec_);
      moved = st.moved;
      if (frames_ == 0 && !write_failed_ && st.flushed && !moved) {
        rec_remove_empty(rec_);
        listener_.pass_stopped(0);
        return 0;
      }
      if (!st.flushed) write_failed_ = true;
      if (st.size >= kHriHeaderBytes)
        frames_ = std::min(frames_, static_cast<int>((st.size - kHriHeaderBytes) / kHriRecordBytes));
      if (!rec_close_checked(rec_)) write_failed_ = true;
    }
    if (moved)
      listener_.error(rec_moved_text(rec_->rec_file));
    else if (write_failed_)
      listener_.error("Write error on " + rec_->rec_file +
                      ": the file keeps the frames that reached the disk.");
    listener_.pass_stopped(frames_);
    return write_failed_ || moved ? -1 : frames_;
  }

  static constexpr int kShowEvery = 10;  // lines between progress reports

  StationSession& session_;
  RecordListener& listener_;
  RECORD_INFO* rec_;
  PIC_INFO* pic_;
  VIEW_INFO* view_;
  const int format_;
  std::vector<uint16_t> frame_, line_;
  std::unique_ptr<LiveView> live_;
  int frames_ = 0, lines_ = 0, row_ = 0, pos_ = 0;
  bool write_failed_ = false;
  SyncReporter sync_{listener_, "Signal restored", "!! No signal!!"};
};

}  // namespace

int Recordpp_Hri(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                 VIEW_INFO* view) {
  listener.recorded_count(0);
  listener.encrypted_count(0);
  rec->frame.words_per_line = kHriRecFrameBytes;
  rec->frame.line_bytes = kHriRecFrameBytes;
  rec->cur_base = rec->hri_base;
  rec->cur_ext = rec->hri_ext;
  if (Open_HWConnect(session, rec) == 0) {
    listener.error(port_error_text(rec));
    return 1;
  }
  int recorded = 0, encrypted = 0, failed = 0;
  while (rec->active) {
    listener.waiting_for_sync();
    if (wait_for_insync(session, rec, rec->hri_start_after) == 0) break;
    if (catch_hri_start(session, listener, pic, rec) == 0) {
      // No format recognised (the decoder fell silent or lost the stream):
      // a station recording picture after picture waits for sync again
      // instead of ending without a word; a single recording ends here.
      if (rec->active && !rec->stop_when_done) continue;
      break;
    }
    listener.satellite_named(pic->hri.sat_name);
    int result = 0;
    if (pic->hri.encrypted) {
      listener.encrypted(true);
      listener.encrypted_count(++encrypted);
      if (rec->record_all) {
        result = Recordpp_one_Hri(session, listener, rec, pic, view);
      } else {
        // An encrypted picture is let pass: wait until the decoder loses it.
        listener.waiting_for_outsync();
        if (wait_for_outsync(session, rec, rec->hri_stop_after) == 0) break;
      }
    } else {
      listener.encrypted(false);
      listener.recorded_count(++recorded);
      result = Recordpp_one_Hri(session, listener, rec, pic, view);
    }
    // An unattended station whose files cannot be written stops rather than
    // failing again on every picture.
    if (result < 0) failed = 1;
    if (result < 0 && rec->batch) rec->active = false;
    if (rec->stop_when_done) {
      rec->active = 0;
      session.seam().quit_main_loop();
    }
  }
  rec_end_loop(session, listener, rec);
  return failed;
}

int Recordpp_one_Hri(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                     VIEW_INFO* view) {
  return HriPicture(session, listener, rec, pic, view).run();
}

}  // namespace kelo
