// "Record HRPT": the operator picks channels, HRPT or CHRPT, the pass
// direction, the channel shown live and the lines per screen, and records
// passes with "Start/Stop" while the HRPT/CHRPT engine draws them on the main
// canvas. Also the automatic start of "-record"/"-crecord".
#include "app/record_wnd.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/main_wnd.h"
#include "app/record_wnd_state.h"
#include "core/record/batch.h"
#include "core/record/hrpt_rec_pp.h"
#include "core/record/pp_dec_interf.h"
#include "lumo/adjust.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/menus.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr int kGroups = 5;  // channel toggles: HRPT channels 1-5, CHRPT pairs
// Identifiers of the channel toggles (three blanks, the digit, two blanks),
// and their labels for CHRPT, where each selects a pair of channels.
constexpr const char* kChanIds[kGroups] = {"   1  ", "   2  ", "   3  ", "   4  ", "   5  "};
constexpr const char* kPairLabels[kGroups] = {" 1+2", " 3+4", " 5+6", " 7+8", "9+10"};
constexpr const char* kIdAll = "  All ";
constexpr const char* kIdHrpt = "HRPT";
constexpr const char* kIdChrpt = "CHRPT";
constexpr const char* kIdDirection = "South bound/North bound";
constexpr const char* kIdShowChan = "!Show channel";
constexpr const char* kIdLines = "^Lines/screen";
constexpr const char* kIdKepler = "Kepler-load";
constexpr const char* kIdState = "Recording";
constexpr const char* kIdLine = "Line       ";
constexpr int kLinesMax = 10000;
constexpr const char* kChanNames[] = {"Chan 1", "Chan 2", "Chan 3", "Chan 4", "Chan 5",
                                      "Chan 6", "Chan 7", "Chan 8", "Chan 9", "Chan 10"};

void relabel_channels(GtkWidget* w, bool chrpt) {
  for (int n = 0; n < kGroups; ++n) {
    GtkWidget* t = Find_Widget(w, kChanIds[n]);
    if (t != nullptr) gtk_button_set_label(GTK_BUTTON(t), chrpt ? kPairLabels[n] : kChanIds[n]);
  }
}

bool is_id(const char* id, const char* want) { return std::strcmp(id, want) == 0; }

bool toggle_on(GtkWidget* widget) {
  return GTK_IS_TOGGLE_BUTTON(widget) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget));
}

}  // namespace

void Menu_Rec_Hrpt(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr) return;
  RecordWnd* st = RecordWnd::create(mw, kRecHrptTitle, {kIdState, kIdLine, nullptr, nullptr});
  if (st == nullptr) return;
  GtkWidget* w = st->window();
  RECORD_INFO* rec = mw->record();
  rec->file_type = kKindHRPT;
  rec->sat_kind = SatKind::NOAA;
  rec->chan_sel[0] = 1;
  if (rec->port_type == kPortTypeUsb || rec->port_type == kPortTypeEth) {
    for (int n = 1; n <= kGroups; ++n) rec->chan_sel[n] = 1;
  }
  // Lines per screen not chosen (0): a pass fills the canvas as high as it
  // is when the pass starts. It is not fixed here: the canvas may not have
  // its size yet when the window opens (one row would make every line wrap).
  const DRAWABLE_INFO* canvas = mw->canvas();
  const int lines_shown = rec->lines_per_screen > 0                 ? rec->lines_per_screen
                          : canvas != nullptr && canvas->height > 0 ? canvas->height
                                                                    : 1;

  const LumoCallback cb = Record_Hrpt_Commands;
  std::vector<PackChild> chans;
  for (int n = 0; n < kGroups; ++n)
    chans.push_back({Create_Toggle(kChanIds[n], cb, rec->chan_sel[n + 1]), 0});
  chans.push_back({Create_Button(kIdAll, cb), 0});
  // Radios one after the other: a radio joins the group of the one made last.
  GtkWidget* hrpt_radio = Create_Radio(kIdHrpt, 1, cb);
  GtkWidget* chrpt_radio = Create_Radio(kIdChrpt, 0, cb);
  GtkWidget* sat_type = Pack("Sat type", 'h', hrpt_radio, 0, chrpt_radio, 0, nullptr);
  GtkWidget* status = Pack("Status", 'v', Create_Entry(kIdState, nullptr, "%-10s", "Off"), 0,
                           Create_Entry(kIdSatName, nullptr, "%-10s", ""), 0,
                           Create_Entry(kIdLine, nullptr, "%4d", 0), 0, nullptr);
  std::vector<PackChild> hw = {{Create_Radio(kIdDecoder, 1, cb), 0}};
  if (rec->hw_dectype == 0) hw.push_back({Create_Radio(kIdGenerator, 0, cb), 0});
  std::vector<const char*> chan_items;
  for (const char* c : kChanNames) chan_items.push_back(c);
  const int shown = rec->show_chan >= 1 && rec->show_chan <= kMaxChannels ? rec->show_chan - 1 : 0;
  GtkWidget* show_box =
      Pack("Show during record", 'v', Create_Optionmenu(kIdShowChan, cb, shown, chan_items), 0,
           Create_SpinListW(kIdLines, cb, "%d%d%d",
                            {static_cast<double>(lines_shown), 1.0, static_cast<double>(kLinesMax)}),
           0, nullptr);
  GtkWidget* advanced = Pack(kIdAdvancedBox, 'v', PackList("Hardware select", 'h', hw), 0, show_box, 0,
                             Pack(nullptr, 'h', Create_Check(kIdSave, cb, rec->save_rec ? 1 : 0), 0,
                                  Create_Check(kIdKepler, cb, rec->load_kepler ? 1 : 0), 0, nullptr),
                             0, nullptr);
  GtkWidget* bottom =
      Pack(nullptr, 'h', Create_Toggle(kIdAdvanced, cb, 0), 0, Create_Button(kIdExit, cb), 0, nullptr);
  GtkWidget* controls =
      Pack(nullptr, 'h', record_start_toggle(cb), 0, Create_Toggle(kIdDirection, cb, 0), 0, nullptr);
  st->show(Pack(nullptr, 'v', PackList("Channel selection", 'h', chans), 0, sat_type, 0, controls, 0, status,
                0, advanced, 0, bottom, 0, nullptr));
  record_entries_readonly(w, {kIdState, kIdSatName, kIdLine});

  // The decoder's mode line tells which firmware or mode it runs.
  StationSession& session = mw->session();
  if (rec->port_type == kPortTypePar && Open_HWConnect(session, rec) != 0) {
    rec->gen_mode = get_hwselected(session, rec->port_address, rec) == 0 ? 1 : 0;
    if (rec->hw_dectype == kDecTypeHw) {
      if (rec->gen_mode != 0) {
        st->set_quietly(kIdChrpt, true);
        rec->file_type = kKindCHRPT;
        rec->sat_kind = SatKind::FengYun;
        relabel_channels(w, true);
      }
    } else {
      st->set_quietly(rec->gen_request != 0 ? kIdGenerator : kIdDecoder, true);
    }
    Close_HWConnect(session, rec);
  }
  st->advanced(false);
  st->set_quietly(kIdDirection, rec->scan_dir == ScanDir::BottomUp);
  Update_Togglelabel(Find_Widget(w, kIdDirection));
}

namespace {

void start_hrpt(RecordWnd* st) {
  MainWindow* mw = st->main();
  mw->record()->active = true;
  std::vector<const char*> locked = {kIdExit, kIdSave, kIdHrpt, kIdChrpt, kIdAll, kIdDecoder, kIdGenerator};
  for (const char* c : kChanIds) locked.push_back(c);
  // The window may be gone when run() returns: nothing touches it after.
  st->run([mw, st] { Recordpp_Hrpt(mw->session(), *st, mw->record(), mw->pic(), mw->view()); }, locked, true);
}

}  // namespace

void Record_Hrpt_Commands(GtkWidget* widget, const char* id) {
  RecordWnd* st = RecordWnd::of(widget);
  if (st == nullptr || id == nullptr || st->quiet() || st->main() == nullptr) return;
  MainWindow* mw = st->main();
  RECORD_INFO* rec = mw->record();
  GtkWidget* w = st->window();
  const bool on = toggle_on(widget);
  if (GTK_IS_TOGGLE_BUTTON(widget)) Update_Togglelabel(widget);

  // The decoder's selection list: housekeeping words always, then the five
  // channel groups as the toggles stand.
  int list[kSelListLen] = {1, 0, 0, 0, 0, 0};
  for (int n = 1; n <= kGroups; ++n) list[n] = Get_Button(w, kChanIds[n - 1]);
  bool changed = std::strncmp(id, "   ", 3) == 0;
  if (is_id(id, kIdAll)) {
    int count = 0;
    for (int n = 1; n <= kGroups; ++n) count += list[n];
    const int all = count <= kGroups - 1 ? 1 : 0;
    for (int n = 1; n <= kGroups; ++n) {
      list[n] = all;
      st->set_quietly(kChanIds[n - 1], all != 0);
    }
    changed = true;
  }
  const char* shown = soption_menu_get_history(Find_Widget(w, kIdShowChan));
  if (shown != nullptr && is_id(id, shown) && std::strncmp(id, "Chan ", 5) == 0)
    rec->show_chan = std::atoi(id + 5);
  if (is_id(id, kIdDirection)) {
    rec->scan_dir = on ? ScanDir::BottomUp : ScanDir::TopDown;
    rec->orientation = on ? Orientation::FromSouth : Orientation::Normal;
  }
  if (is_id(id, kIdLines)) rec->lines_per_screen = static_cast<int>(Get_Adjust(w, kIdLines));
  const bool chrpt = Get_Button(w, kIdChrpt) != 0;
  if (is_id(id, kIdHrpt) || is_id(id, kIdChrpt)) {
    rec->file_type = chrpt ? kKindCHRPT : kKindHRPT;
    rec->sat_kind = chrpt ? SatKind::FengYun : SatKind::NOAA;
    if (rec->hw_dectype == kDecTypeHw) {  // the firmware changes
      st->reprogramming_fpga = true;
      changed = true;
    }
    relabel_channels(w, chrpt);
  }
  for (int n = 1; n <= kMaxChannels; ++n) rec->chan_sel[n] = 0;
  for (int n = 1; n <= kGroups; ++n) {
    if (rec->file_type == kKindCHRPT) {
      rec->chan_sel[2 * n - 1] = rec->chan_sel[2 * n] = list[n];
    } else {
      rec->chan_sel[n] = list[n];
    }
  }
  if (is_id(id, kIdDecoder) || is_id(id, kIdGenerator)) {
    rec->gen_request = Get_Button(w, kIdDecoder) != 0 ? 0 : 1;
    st->reprogramming_fpga = true;
    changed = true;
  }
  if (is_id(id, kIdSave)) rec->save_rec = on;
  if (is_id(id, kIdKepler)) rec->load_kepler = on;
  if (is_id(id, kIdAdvanced)) st->advanced(on);
  rec->gen_mode = rec->hw_dectype == kDecTypeHw ? (rec->file_type == kKindCHRPT ? 1 : 0) : rec->gen_request;
  if (changed && rec->port_type == kPortTypePar) {
    StationSession& session = mw->session();
    if (Open_HWConnect(session, rec) != 0) {
      select_channel(session, list, rec, st->reprogramming_fpga ? 1 : 0);
      Close_HWConnect(session, rec);
      st->reprogramming_fpga = false;
    } else {
      Create_Message("Error", "%s", hwconnect_error_text(rec).c_str());
    }
  }
  if (is_id(id, kIdStartStop)) {
    st->start_stop(on, [st] { start_hrpt(st); });
    return;
  }
  if (is_id(id, kIdExit)) st->close();
}

int Recordpp_Hrpt_Auto(MainWindow* mw, const std::string& chan, SatKind kind) {
  if (mw == nullptr || mw->window() == nullptr) return 1;
  Menu_Rec_Hrpt(mw->window(), nullptr);
  GtkWidget* w = Find_Window(mw->window(), kRecHrptTitle);
  if (w == nullptr) return 1;
  Set_Button(w, kIdDecoder, 1);
  const bool chrpt = chan.find('c') != std::string::npos || kind == SatKind::FengYun;
  if (chrpt) Set_Button(w, kIdChrpt, 1);
  for (char c : chan) {
    if (c >= '0' && c <= '9') {
      int n = c == '0' ? kMaxChannels : c - '0';
      if (chrpt) n = (n - 1) / 2 + 1;
      if (n >= 1 && n <= kGroups) Set_Button(w, kChanIds[n - 1], 1);
    } else if (c == 'a') {
      Set_Button(w, kIdAll, 1);
    } else if (c == 'g') {
      Set_Button(w, kIdGenerator, 1);
    }
  }
  Set_Button(w, kIdStartStop, 1);
  return 0;
}

// ---------------------------------------------------------------- automatic start
namespace {

constexpr const char* kKeyAutoStart = "kelo_autostart";
constexpr guint kAutoStartPollMs = 50;

// The pending automatic start; owned by the main window, so its timer goes
// with the window.
struct AutoStart {
  MainWindow* mw;
  guint id = 0;
};

gboolean autostart_poll(gpointer p) {
  auto* a = static_cast<AutoStart*>(p);
  MainWindow* mw = a->mw;
  const DRAWABLE_INFO* c = mw->canvas();
  // The live display draws into the canvas buffer: wait until it exists.
  if (c == nullptr || c->rgb_buf.empty()) return G_SOURCE_CONTINUE;
  a->id = 0;
  g_object_set_data(G_OBJECT(mw->window()), kKeyAutoStart, nullptr);  // frees a
  sched_recordnow(mw);
  return G_SOURCE_REMOVE;
}

}  // namespace

void schedule_recordnow(MainWindow* mw) {
  if (mw == nullptr || mw->window() == nullptr || mw->record()->request.empty()) return;
  auto* a = new AutoStart{mw};
  a->id = g_timeout_add(kAutoStartPollMs, autostart_poll, a);
  g_object_set_data_full(G_OBJECT(mw->window()), kKeyAutoStart, a, [](gpointer p) {
    auto* pending = static_cast<AutoStart*>(p);
    if (pending->id != 0) g_source_remove(pending->id);
    delete pending;
  });
}

gboolean sched_recordnow(gpointer main_window) {
  auto* mw = static_cast<MainWindow*>(main_window);
  if (mw == nullptr || mw->window() == nullptr) return FALSE;
  const SatRequest req = split_request(mw->record()->request);
  if (req.sat == "hri") {
    Recordpp_Hri_Auto(mw, req.chan.find('g') != std::string::npos);
  } else if (req.sat == "hrpt") {
    Recordpp_Hrpt_Auto(mw, req.chan, SatKind::NOAA);
  } else if (req.sat == "chrpt") {
    Recordpp_Hrpt_Auto(mw, req.chan, SatKind::FengYun);
  }
  return FALSE;
}

}  // namespace kelo
