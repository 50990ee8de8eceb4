#include "core/record/rawd_rec_pp.h"

#include <cstdio>
#include <string>
#include <vector>

#include "core/files/file.h"
#include "core/record/pp_dec_interf.h"
#include "core/record/rec_common.h"
#include "core/view/zoom.h"

namespace kelo {

namespace {
constexpr int kRawLiveHeight = 500;  // picture height while recording without a canvas
constexpr int kMaxLevel8 = 255;
}  // namespace

int getpp_rawd_frame(StationSession& session, uint16_t* words, RECORD_INFO* rec) {
  uint16_t status = 0;
  for (int i = 0; i < rec->frame.words_per_line; ++i) {
    if (!get_pp_data(session, rec, &status)) return 0;
    words[i] = static_cast<uint16_t>(status & kStatDataMask);
  }
  return (status & kStatSync) ? 1 : 2;
}

int write_rawd_hdr() { return 1; }

int write_rawd_line(RECORD_INFO* rec, const uint16_t* words) {
  if (!rec->rec_fp) return 0;
  uint8_t block[kRawBlockBytes];
  for (int i = 0; i < kRawBlockBytes; ++i) block[i] = static_cast<uint8_t>(words[i] & 0xFF);
  return std::fwrite(block, 1, kRawBlockBytes, rec->rec_fp.get()) == kRawBlockBytes ? 1 : 0;
}

void calc_rawdframeinfo(FRAME_GEOM* geom) {
  *geom = FRAME_GEOM{};
  geom->words_per_line = kRawBlockBytes;
  geom->words_padded = 0;
  geom->line_bytes = kRawBlockBytes;
  geom->n_channels = 1;
}

void Recordpp_Rawd(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                   VIEW_INFO* view) {
  listener.recorded_count(0);
  rec->frame.words_per_line = kRawBlockBytes;
  rec->frame.line_bytes = kRawBlockBytes;
  rec->cur_base = "raw";
  rec->cur_ext = ".dat";
  if (Open_HWConnect(session, rec) == 0) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "Can't access \nParallel port with address %x !", rec->port_address);
    listener.error(buf);
    return;
  }
  int runs = 0;
  while (rec->active) {
    listener.waiting_for_sync();
    listener.recorded_count(++runs);
    // A file that cannot be created ends the recording: trying again at
    // once would fail again and never give the Stop control a chance.
    if (Recordpp_one_Rawd(session, listener, rec, pic, view) < 0) rec->active = 0;
  }
  rec_end_loop(session, listener, rec);
}

int Recordpp_one_Rawd(StationSession& session, RecordListener& listener, RECORD_INFO* rec, PIC_INFO* pic,
                      VIEW_INFO* view) {
  close_picfile(pic);
  if (rec->save_rec) {
    if (!rec_start_file(listener, rec)) return -1;
    write_rawd_hdr();
  } else {
    listener.state("(no save)");
  }
  std::vector<uint16_t> words(kRawBlockBytes, 0);
  pic->lut_size = 256;
  pic->width = kRawBlockBytes;
  pic->height = kRawLiveHeight;
  calc_rawdframeinfo(&pic->frame);
  view->zoom = zoom_full();
  view->orientation = Orientation::Normal;
  view->scan_dir = ScanDir::TopDown;
  view->lmin = 0;
  view->lmax = kMaxLevel8;
  LiveView live(listener, pic, view, kMaxLevel8);

  int blocks = 0, row = 0, prev = 0;
  bool first = true, write_failed = false;
  while (rec->active) {
    session.seam().process_events();
    if (rec_poll_stop(rec, listener) || !rec->active) break;
    int s = getpp_rawd_frame(session, words.data(), rec);
    if (!first) {
      if (s != 0 && prev == 0) {
        listener.sync_changed(SyncChange::kRestored);
        listener.state("Signal restored");
      }
      if (s == 0 && prev != 0) {
        listener.sync_changed(SyncChange::kNoTransmission);
        listener.state("!! No signal!!");
      }
    }
    first = false;
    prev = s;
    // Whatever arrived is drawn and kept: that is what a raw dump is for.
    if (live.active()) {
      live.draw(words.data(), kRawBlockBytes, row, false);
      if (++row >= live.height()) row = 0;
    }
    if (rec->save_rec && write_rawd_line(rec, words.data()) == 0) {
      write_failed = true;
      break;
    }
    ++blocks;
  }
  if (rec->save_rec && !rec_close_checked(rec)) write_failed = true;
  if (write_failed) {
    listener.error("Write error on " + rec->rec_file + ": the file keeps the blocks that reached the disk.");
    rec->active = 0;
  }
  listener.pass_stopped(blocks);
  return write_failed ? -1 : blocks;
}

}  // namespace kelo
