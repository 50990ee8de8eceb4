#include "core/record/rec_common.h"

#include <sys/stat.h>

#include <csignal>
#include <cstdio>

#include "core/base/misc.h"
#include "core/files/file.h"
#include "core/record/pp_dec_interf.h"
#include "core/view/mapping.h"
#include "core/view/rgbdraw.h"

namespace kelo {

namespace {
volatile std::sig_atomic_t g_stop_signal = 0;
}  // namespace

void rec_show(WindowHandle rec_wnd, const char* wnd_title, const char* id, const std::string& text) {
  if (rec_wnd == nullptr) return;
  gui().set_entry_text(wnd_title, id, text);
}

void rec_error(const RECORD_INFO* rec, WindowHandle main_wnd, const std::string& text) {
  if (rec != nullptr && rec->batch) {
    std::fprintf(stderr, "Error: %s\n", text.c_str());
    log_message("Error: %s", text.c_str());
  } else if (main_wnd != nullptr) {
    gui().message("Error", text);
  } else {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
}

void rec_request_stop(int signo) { g_stop_signal = signo != 0 ? signo : SIGTERM; }

int rec_stop_signal(bool clear) {
  int s = g_stop_signal;
  if (clear) g_stop_signal = 0;
  return s;
}

bool rec_poll_stop(RECORD_INFO* rec) {
  if (g_stop_signal == 0 || rec == nullptr) return false;
  if (rec->active) {
    rec->active = false;
    if (rec->batch) log_message("Stop requested (signal %d).", static_cast<int>(g_stop_signal));
  }
  return true;
}

LiveView::LiveView(WindowHandle main_wnd, PIC_INFO* pic, VIEW_INFO* view, int maxlev)
    : main_wnd_(main_wnd), maxlev_(maxlev) {
  if (main_wnd == nullptr) return;
  DRAWABLE_INFO* canvas = gui().canvas(main_wnd);
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
  gui().refresh_rows(main_wnd_, y, 1);
}

bool rec_start_file(WindowHandle rec_wnd, const char* wnd_title, const char* status_id, WindowHandle main_wnd,
                    RECORD_INFO* rec) {
  if (open_new_recfile(rec->cur_base, rec->cur_ext, rec) == 0) {
    rec_error(rec, main_wnd, "Can't open file " + rec->rec_file + "!");
    return false;
  }
  rec_show(rec_wnd, wnd_title, status_id, rec->rec_file);
  if (rec->batch) log_message("Start recording in %s.", rec->rec_file.c_str());
  return true;
}

void rec_end_loop(WindowHandle rec_wnd, const char* wnd_title, const char* status_id, WindowHandle main_wnd,
                  RECORD_INFO* rec, PIC_INFO* pic, VIEW_INFO* view) {
  rec_show(rec_wnd, wnd_title, status_id, "Off");
  Close_HWConnect(rec);
  if (!rec->batch && rec->save_rec && !rec->rec_file.empty()) {
    pic->path = rec->rec_file;
    if (open_file(pic, view, main_wnd) != kOpenOk)
      gui().message("Warning", "The recording " + rec->rec_file + " was saved but cannot be shown.");
  }
  if (rec->batch) log_message("End recording.");
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

}  // namespace kelo
