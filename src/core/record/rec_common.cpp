#include "core/record/rec_common.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "core/base/paths.h"
#include "core/files/file.h"
#include "core/record/pp_dec_interf.h"
#include "core/view/mapping.h"
#include "core/view/open_picture.h"
#include "core/view/rgbdraw.h"

namespace kelo {

namespace {
// Set by the SIGTERM/SIGINT handler, read by the recording loops.
volatile std::sig_atomic_t g_stop_signal = 0;
}  // namespace

void rec_request_stop(int signo) { g_stop_signal = signo != 0 ? signo : SIGTERM; }

int rec_stop_signal(bool clear) {
  int s = g_stop_signal;
  if (clear) g_stop_signal = 0;
  return s;
}

bool rec_poll_stop(RECORD_INFO* rec, RecordListener& listener) {
  if (g_stop_signal == 0 || rec == nullptr) return false;
  if (rec->active) {
    rec->active = 0;
    listener.stop_requested(static_cast<int>(g_stop_signal));
  }
  return true;
}

LiveView::LiveView(RecordListener& listener, PIC_INFO* pic, VIEW_INFO* view, int maxlev)
    : listener_(listener), maxlev_(maxlev) {
  DRAWABLE_INFO* canvas = listener.live_canvas();
  if (canvas == nullptr || canvas->width <= 0 || canvas->height <= 0) return;
  if (map_pic_canvas(canvas, pic, view, 0, &xmap_, &ymap_, &lummap_) != 0) return;
  canvas_ = canvas;
  width_ = canvas->width;
  height_ = canvas->height;
}

void LiveView::draw(const uint16_t* line, int len, int row, bool use_ymap) {
  if (canvas_ == nullptr || height_ <= 0) return;
  int y = row;
  if (use_ymap && row >= 0 && row < static_cast<int>(ymap_.size())) y = ymap_[static_cast<size_t>(row)];
  if (y < 0) y = 0;
  if (y > height_ - 1) y = height_ - 1;
  draw_a_line_bw(line, len, width_, y, xmap_.data(), lummap_.data(), maxlev_, canvas_, nullptr);
  listener_.rows_drawn(y, 1);
}

bool rec_start_file(RecordListener& listener, RECORD_INFO* rec) {
  errno = 0;
  if (open_new_recfile(rec->cur_base, rec->cur_ext, rec) == 0) {
    // Name the file, or where no free name was found, and the reason.
    const int err = errno;
    if (err == 0)
      listener.error("Can't open file: no free name " + join_path(rec->rec_dir, rec->cur_base) + "NN" +
                     rec->cur_ext + "!");
    else
      listener.error("Can't open file " + rec->rec_file + ": " + std::strerror(err) + "!");
    return false;
  }
  listener.file_started(rec->rec_file);
  return true;
}

void rec_end_loop(StationSession& session, RecordListener& listener, RECORD_INFO* rec) {
  Close_HWConnect(session, rec);
  listener.recording_ended(rec->save_rec ? rec->rec_file : std::string());
}

bool rec_close_checked(RECORD_INFO* rec) {
  if (!rec->rec_fp) return true;
  return rec->rec_fp.close_checked();
}

long long rec_file_size(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return -1;
  return static_cast<long long>(st.st_size);
}

RecFileState rec_file_state(RECORD_INFO* rec) {
  RecFileState st;
  FILE* fp = rec->rec_fp.get();
  if (fp == nullptr) return st;
  st.flushed = std::fflush(fp) == 0 && std::ferror(fp) == 0;
  struct stat by_fd {};
  if (fstat(fileno(fp), &by_fd) != 0) return st;
  st.size = static_cast<long long>(by_fd.st_size);
  struct stat by_path {};
  st.moved = lstat(rec->rec_file.c_str(), &by_path) != 0 || by_path.st_dev != by_fd.st_dev ||
             by_path.st_ino != by_fd.st_ino;
  return st;
}

void rec_remove_empty(RECORD_INFO* rec) {
  if (!rec->rec_fp) return;
  RecFileState st = rec_file_state(rec);
  rec->rec_fp.close();
  if (st.size >= 0 && !st.moved) std::remove(rec->rec_file.c_str());
}

std::string rec_moved_text(const std::string& path) { return path + ": the recording was moved or removed."; }

void SyncReporter::frame(int status) {
  if (!first_) {
    if (status != 0 && prev_ == 0) {
      listener_.sync_changed(SyncChange::kRestored);
      listener_.state(restored_text_);
    }
    if (status == 0 && prev_ != 0) {
      listener_.sync_changed(SyncChange::kNoTransmission);
      listener_.state(no_signal_text_);
    }
    if (status == 2 && prev_ == 1) listener_.sync_changed(SyncChange::kLost);
  }
  first_ = false;
  prev_ = status;
}

}  // namespace kelo
