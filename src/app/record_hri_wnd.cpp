// "Record HRI": records geostationary HRI pictures with the HRI engine,
// showing the format's satellite, whether the picture is encrypted, and how
// many pictures were recorded or let pass.
#include <cstring>
#include <vector>

#include "app/main_wnd.h"
#include "app/record_wnd.h"
#include "app/record_wnd_state.h"
#include "core/record/hri_rec_pp.h"
#include "lumo/buttons.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kIdState = "Recording";
constexpr const char* kIdLine = "Line #";
constexpr const char* kIdEncryptedNow = "Encrypted:";
constexpr const char* kIdRecorded = "Recorded";
constexpr const char* kIdEncrypted = "Encrypted";
constexpr const char* kIdRecordAll = "Record all";

bool is_id(const char* id, const char* want) { return std::strcmp(id, want) == 0; }

}  // namespace

void Menu_Rec_Hri(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr) return;
  RecordWnd* st = RecordWnd::create(mw, kRecHriTitle, {kIdState, kIdLine, kIdRecorded, kIdEncrypted});
  if (st == nullptr) return;
  RECORD_INFO* rec = mw->record();
  rec->sat_kind = SatKind::HRI;
  const LumoCallback cb = Record_Hri_Commands;
  GtkWidget* received = Pack("Received up to now", 'v', Create_Entry(kIdRecorded, nullptr, "%s", "  "), 0,
                             Create_Entry(kIdEncrypted, nullptr, "%s", "  "), 0, nullptr);
  GtkWidget* status = Pack("Status", 'v', Create_Entry(kIdState, nullptr, "%s", "Off        "), 0,
                           Create_Entry(kIdSatName, nullptr, "%s", "           "), 0,
                           Create_Entry(kIdLine, nullptr, "%4d", 0), 0,
                           Create_Entry(kIdEncryptedNow, nullptr, "%s", " "), 0, received, 0, nullptr);
  std::vector<PackChild> hw = {{Create_Radio(kIdDecoder, 1, Record_Hri_Commands), 0}};
  if (rec->hw_dectype == 0) hw.push_back({Create_Radio(kIdGenerator, 0, cb), 0});
  GtkWidget* advanced = Pack(kIdAdvancedBox, 'v', PackList("Hardware select", 'h', hw), 0,
                             Create_Check(kIdSave, cb, rec->save_rec ? 1 : 0), 0,
                             Create_Check(kIdRecordAll, cb, rec->record_all ? 1 : 0), 0, nullptr);
  GtkWidget* bottom =
      Pack(nullptr, 'h', Create_Toggle(kIdAdvanced, cb, 0), 0, Create_Button(kIdExit, cb), 0, nullptr);
  st->show(Pack(nullptr, 'v', record_start_toggle(cb), 0, status, 0, advanced, 0, bottom, 0, nullptr));
  record_entries_readonly(st->window(),
                          {kIdState, kIdSatName, kIdLine, kIdEncryptedNow, kIdRecorded, kIdEncrypted});
  record_mode_at_open(st);
  st->advanced(false);
}

void Record_Hri_Commands(GtkWidget* widget, const char* id) {
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
  } else if (is_id(id, kIdRecordAll)) {
    rec->record_all = on;
  } else if (is_id(id, kIdAdvanced)) {
    st->advanced(on);
  } else if (is_id(id, kIdStartStop)) {
    st->start_stop(on, [mw, st, rec] {
      rec->active = true;
      st->run([mw, st] { Recordpp_Hri(mw->session(), *st, mw->record(), mw->pic(), mw->view()); },
              {kIdExit, kIdSave, kIdDecoder, kIdGenerator}, true);
    });
  } else if (is_id(id, kIdExit)) {
    st->close();
  }
}

int Recordpp_Hri_Auto(MainWindow* mw, bool generator) {
  if (mw == nullptr || mw->window() == nullptr) return 1;
  Menu_Rec_Hri(mw->window(), nullptr);
  GtkWidget* w = Find_Window(mw->window(), kRecHriTitle);
  if (w == nullptr) return 1;
  Set_Button(w, kIdDecoder, 1);
  if (generator) Set_Button(w, kIdGenerator, 1);
  Set_Button(w, kIdStartStop, 1);
  return 0;
}

}  // namespace kelo
