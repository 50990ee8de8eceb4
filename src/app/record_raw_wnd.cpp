// "Record RAW": dumps whatever the decoder delivers into a byte file and
// shows it live, 2048 bytes a canvas row, for looking at unfamiliar or
// disturbed streams.
#include <cstring>
#include <vector>

#include "app/main_wnd.h"
#include "app/record_wnd.h"
#include "app/record_wnd_state.h"
#include "core/record/rawd_rec_pp.h"
#include "lumo/buttons.h"
#include "lumo/packing.h"

namespace kelo {

namespace {

constexpr const char* kIdState = "Recording    ";
constexpr const char* kIdRecorded = "Recorded";

bool is_id(const char* id, const char* want) { return std::strcmp(id, want) == 0; }

}  // namespace

void Menu_Rec_Rawd(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr) return;
  RecordWnd* st = RecordWnd::create(mw, kRecRawTitle, {kIdState, nullptr, kIdRecorded, nullptr});
  if (st == nullptr) return;
  RECORD_INFO* rec = mw->record();
  rec->sat_kind = SatKind::Unknown;
  const LumoCallback cb = Record_Rawd_Commands;
  GtkWidget* status = Pack("Status", 'v', Create_Entry(kIdState, nullptr, "%s", "Off        "), 0,
                           Create_Entry(kIdRecorded, nullptr, "%s", "  "), 0, nullptr);
  std::vector<PackChild> mode = {{Create_Radio(kIdDecoder, 1, cb), 0}};
  if (rec->hw_dectype == 0) mode.push_back({Create_Radio(kIdGenerator, 0, cb), 0});
  st->show(Pack(nullptr, 'v', record_start_toggle(cb), 0, status, 0, PackList("Record mode", 'h', mode), 0,
                Create_Check(kIdSave, cb, rec->save_rec ? 1 : 0), 0, Create_Button(kIdExit, cb), 0, nullptr));
  record_entries_readonly(st->window(), {kIdState, kIdRecorded});
  record_mode_at_open(st);
}

void Record_Rawd_Commands(GtkWidget* widget, const char* id) {
  RecordWnd* st = RecordWnd::of(widget);
  if (st == nullptr || id == nullptr || st->quiet() || st->main() == nullptr) return;
  MainWindow* mw = st->main();
  RECORD_INFO* rec = mw->record();
  const bool on = GTK_IS_TOGGLE_BUTTON(widget) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget));
  if (GTK_IS_TOGGLE_BUTTON(widget)) Update_Togglelabel(widget);
  if (is_id(id, kIdDecoder) || is_id(id, kIdGenerator)) {
    rec->gen_request = Get_Button(st->window(), kIdDecoder) != 0 ? 0 : 1;
    record_mode_changed(st);
  } else if (is_id(id, kIdSave)) {
    rec->save_rec = on;
  } else if (is_id(id, kIdStartStop)) {
    st->start_stop(on, [mw, st, rec] {
      rec->active = true;
      // A raw dump is no picture format: it is not opened afterwards (that
      // would only say "unknown file type").
      st->run([mw, st] { Recordpp_Rawd(mw->session(), *st, mw->record(), mw->pic(), mw->view()); },
              {kIdExit, kIdSave, kIdDecoder, kIdGenerator}, false);
    });
  } else if (is_id(id, kIdExit)) {
    st->close();
  }
}

}  // namespace kelo
