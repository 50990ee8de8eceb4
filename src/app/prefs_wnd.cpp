// The "Preferences" window. It edits the session's preferences (the main
// window's prefs()) in place; the checks of typed values are the preference
// reader's own (core/base/prefer.h), so the window stores nothing the file
// could not hold. Port settings reach the recording record only for an
// address the system lists as a parallel port and never while a recording
// runs.
#include "app/prefs_wnd.h"

#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "app/main_wnd.h"
#include "core/base/misc.h"
#include "core/base/paths.h"
#include "core/base/prefer.h"
#include "core/record/port.h"
#include "lumo/buttons.h"
#include "lumo/lumo_misc.h"
#include "lumo/menus.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kStateKey = "kelo_prefs_state";
constexpr const char* kLocalId = "Local preference file";
constexpr const char* kUsedId = "Used preference file";
constexpr const char* kAddressId = "Address Port n";
constexpr const char* kUsbIdId = "USB ID";
constexpr const char* kScanDirId = "South bound/North bound";
constexpr const char* kNumberPad = "      ";  // room in a numeric field
constexpr const char* kNamePad = "                    ";
constexpr const char* kChanItems[] = {"Chan 1", "Chan 2", "Chan 3", "Chan 4", "Chan 5",
                                      "Chan 6", "Chan 7", "Chan 8", "Chan 9", "Chan 10"};
// The orbit model the grid and positions are computed with ("Orbit_model"):
// item 0 simple, item 1 precise.
constexpr const char* kOrbitModelId = "^Orbit model";
constexpr const char* kOrbitItems[] = {"Simple orbit", "Precise orbit (SGP4)"};

// The window's state, owned by the window.
struct PrefsWndState {
  MainWindow* mw = nullptr;
  GtkWidget* window = nullptr;
  std::string parport_dir = kParportListDir;
  bool building = true;            // the program sets the controls: no edits
  bool closing = false;            // going: fields left now are not taken
  bool answering = false;          // a refusal is shown: no second one meanwhile
  GtkWidget* hw_group = nullptr;   // "Select HW:", for the parallel port only
  GtkWidget* par_group = nullptr;  // "Parallel port"
  GtkWidget* usb_group = nullptr;  // "USB Port"
};

PrefsWndState* state_of(GtkWidget* widget) {
  GtkWidget* top = widget != nullptr ? gtk_widget_get_toplevel(widget) : nullptr;
  return top != nullptr ? static_cast<PrefsWndState*>(g_object_get_data(G_OBJECT(top), kStateKey)) : nullptr;
}

// ---------------------------------------------------------------- fields
// Whole-number preferences typed into a field, with their rules.
struct IntField {
  const char* id;
  PrefRange range;
  int PREFS::*member;
};
constexpr IntField kIntFields[] = {
    {"^Width", kRangeWndWidth, &PREFS::main_w},
    {"^Height", kRangeWndHeight, &PREFS::main_h},
    {"^Start after.", kRangeFrames, &PREFS::hrpt_start_after},
    {"^Stop after.", kRangeFrames, &PREFS::hrpt_stop_after},
    {"^Lines/screen", kRangeLinesScreen, &PREFS::lines_per_screen},
    {"^Start after", kRangeFrames, &PREFS::hri_start_after},
    {"^Stop after", kRangeFrames, &PREFS::hri_stop_after},
    {"^Sur. U-limit", kRangeDespeckle, &PREFS::despeckle_u},
    {"^Pix. L-limit", kRangeDespeckle, &PREFS::despeckle_l},
    {"Font size", kRangeFontSize, &PREFS::font_size},
};
struct ColourField {
  const char* id;
  uint16_t PREFS::*member;
};
constexpr ColourField kColourFields[] = {
    {"^Red", &PREFS::grid_r}, {"^Green", &PREFS::grid_g}, {"^Blue", &PREFS::grid_b}};
// Names: one word that fits its field.
struct NameField {
  const char* id;
  size_t max;
  std::string PREFS::*member;
};
constexpr size_t kPathMax = 299;
constexpr NameField kNameFields[] = {
    {"^Basename.", kNameFieldMax, &PREFS::hrpt_base}, {"^Extension.", kNameFieldMax, &PREFS::hrpt_ext},
    {"^Basename", kNameFieldMax, &PREFS::hri_base},   {"^Extension", kNameFieldMax, &PREFS::hri_ext},
    {"Name", kPathMax, &PREFS::kepler_name},          {kUsbIdId, kUsbIdFieldMax, &PREFS::usb_id},
};
struct DirField {
  const char* id;
  std::string PREFS::*member;
};
constexpr DirField kDirFields[] = {{"Working directory", &PREFS::working_dir},
                                   {"Dir.   ", &PREFS::kepler_dir}};
constexpr const char* kZoomId = "^Fixed zoom fact";

template <class T, size_t N>
const T* field_of(const T (&table)[N], const char* id) {
  for (const T& f : table)
    if (std::strcmp(f.id, id) == 0) return &f;
  return nullptr;
}

// The label of a field as the operator reads it.
const char* shown_name(const char* id) { return id[0] == '^' || id[0] == '!' ? id + 1 : id; }

std::string zoom_text(float step) { return strformat("%.2f", static_cast<double>(step)); }
std::string hex_text(int address) { return strformat("%x", static_cast<unsigned>(address)); }

// The stored value of a typed field as the field shows it.
std::string stored_text(const PREFS& p, const char* id) {
  if (const IntField* f = field_of(kIntFields, id)) return std::to_string(p.*(f->member));
  if (const ColourField* f = field_of(kColourFields, id)) return std::to_string(p.*(f->member));
  if (const NameField* f = field_of(kNameFields, id)) return p.*(f->member);
  if (const DirField* f = field_of(kDirFields, id)) return p.*(f->member);
  if (std::strcmp(id, kZoomId) == 0) return zoom_text(p.fixed_zoom);
  if (std::strcmp(id, kAddressId) == 0) return hex_text(p.pp_address);
  return {};
}

// Takes the typed text of field `id` into the preferences; false with the
// message when the rules refuse it. `handled` is false for other ids.
bool take_typed(PREFS& p, const char* id, const std::string& text, bool* handled, std::string* why) {
  *handled = true;
  const char* what = shown_name(id);
  if (const IntField* f = field_of(kIntFields, id)) {
    int v = 0;
    if (!pref_int_in(text, what, f->range, &v, why)) return false;
    p.*(f->member) = v;
  } else if (const ColourField* c = field_of(kColourFields, id)) {
    int v = 0;
    if (!pref_int_in(text, what, kRangeColour, &v, why)) return false;
    p.*(c->member) = static_cast<uint16_t>(v);
  } else if (const NameField* n = field_of(kNameFields, id)) {
    if (!pref_name_fits(text, what, n->max, why)) return false;
    p.*(n->member) = text;
  } else if (const DirField* d = field_of(kDirFields, id)) {
    if (!pref_directory(text, what, &(p.*(d->member)), why)) return false;
  } else if (std::strcmp(id, kZoomId) == 0) {
    if (!pref_zoom_step(text, &p.fixed_zoom, why)) return false;
  } else if (std::strcmp(id, kAddressId) == 0) {
    if (!pref_port_address(text, &p.pp_address, why)) return false;
  } else {
    *handled = false;
  }
  return true;
}

// Typing only edits the text; it is taken on Enter or leaving the field.
void typing(GtkWidget*, const char*) {}

struct FieldHook {
  LumoCallback commit;
  const char* id;
};

void field_activated(GtkEntry* entry, gpointer data) {
  auto* h = static_cast<FieldHook*>(data);
  h->commit(GTK_WIDGET(entry), h->id);
}

gboolean field_left(GtkWidget* entry, GdkEvent*, gpointer data) {
  // A window that is being destroyed takes nothing more (no message from
  // inside its destruction).
  if (gtk_widget_in_destruction(gtk_widget_get_toplevel(entry))) return FALSE;
  auto* h = static_cast<FieldHook*>(data);
  h->commit(entry, h->id);
  return FALSE;
}

// A field whose text is taken by `commit` on Enter and when it is left.
GtkWidget* typed_field(const char* id, const std::string& text, const char* pad, LumoCallback commit) {
  GtkWidget* box = Create_Entryv(id, typing, text + pad);
  GtkWidget* entry = GTK_IS_ENTRY(box) ? box : Find_Local_Widget(box, id);
  if (entry != nullptr) {
    gtk_entry_set_text(GTK_ENTRY(entry), text.c_str());
    g_signal_connect_data(
        entry, "activate", G_CALLBACK(field_activated), new FieldHook{commit, id},
        [](gpointer d, GClosure*) { delete static_cast<FieldHook*>(d); }, GConnectFlags(0));
    g_signal_connect_data(
        entry, "focus-out-event", G_CALLBACK(field_left), new FieldHook{commit, id},
        [](gpointer d, GClosure*) { delete static_cast<FieldHook*>(d); }, GConnectFlags(0));
  }
  return box;
}

GtkWidget* field_of_prefs(const PREFS& p, const char* id, LumoCallback commit = pref_commands) {
  const bool number = field_of(kIntFields, id) != nullptr || field_of(kColourFields, id) != nullptr;
  return typed_field(id, stored_text(p, id), number ? kNumberPad : kNamePad, commit);
}

// ---------------------------------------------------------------- port
bool port_listed(const PrefsWndState& st, int address) {
  return address > 0 && !ppdev_device_for(static_cast<unsigned long>(address), st.parport_dir).empty();
}

// The port chosen in the preferences goes into the recording record when
// the system has such a port and no recording runs; otherwise the operator
// is told and the record keeps its port.
void apply_port(PrefsWndState& st) {
  PREFS& p = st.mw->prefs();
  const int address = p.pp_number == 0 ? p.pp_address : ppnr_to_ppaddr(p.pp_number);
  RECORD_INFO* rec = st.mw->record();
  // "Port n" before its address was typed: nothing to apply yet.
  if (rec->port_address == address || address == 0) return;
  if (st.mw->recording()) {
    Create_Message("Warning", "A recording runs; port %x is used from the next recording on.",
                   static_cast<unsigned>(address));
    return;
  }
  if (!port_listed(st, address)) {
    Create_Message("Warning", "Port %x is not a parallel port of this machine; recordings keep port %x.",
                   static_cast<unsigned>(address), static_cast<unsigned>(rec->port_address));
    return;
  }
  rec->port_address = address;
}

// Switches that reach the recording record at once (not during a recording).
void apply_to_record(PrefsWndState& st, void (*set)(RECORD_INFO*, const PREFS&)) {
  if (!st.mw->recording()) set(st.mw->record(), st.mw->prefs());
}

void show_interface(PrefsWndState& st) {
  const int type = st.mw->prefs().port_type;
  if (st.hw_group != nullptr) gtk_widget_set_visible(st.hw_group, type == 0);
  if (st.par_group != nullptr) gtk_widget_set_visible(st.par_group, type == 0);
  if (st.usb_group != nullptr) gtk_widget_set_visible(st.usb_group, type == 2);
  Sense_Button(st.window, kAddressId, st.mw->prefs().pp_number == 0 ? 1 : 0);
}

// ---------------------------------------------------------------- pages
GtkWidget* page_window(const PREFS& p) {
  const int smart = p.main_wnd_mode == kWndAbs && p.sub_wnd_mode == kWndSmart ? 1 : 0;
  GtkWidget* modes = Create_Optionmenu("^Window positions", pref_commands, smart, {"Default", "Smart"});
  GtkWidget* size =
      Pack("Main window size", 'h', field_of_prefs(p, "^Width"), 3, field_of_prefs(p, "^Height"), 3, nullptr);
  return Pack(nullptr, 'v', modes, 3, size, 3, nullptr);
}

GtkWidget* page_interface(PrefsWndState& st, const PREFS& p) {
  GtkWidget* par = Create_Radio("Parallel", 1, pref_commands);
  GtkWidget* usb = Create_Radio("USB", 0, pref_commands);
  GtkWidget* eth = Create_Radio("Ethernet", 0, pref_commands);
  GtkWidget* kind = Pack("Decoder interface", 'v', par, 0, usb, 0, eth, 0, nullptr);

  GtkWidget* p1 = Create_Radio("Port 1", 1, pref_commands);
  GtkWidget* p2 = Create_Radio("Port 2", 0, pref_commands);
  GtkWidget* pn = Create_Radio("Port n", 0, pref_commands);
  st.par_group =
      Pack("Parallel port", 'v', p1, 0, p2, 0,
           Pack(nullptr, 'h', pn, 0,
                typed_field(kAddressId, stored_text(p, kAddressId), kNumberPad, pref_commands), 0, nullptr),
           0, Create_Check("Fast parport access", pref_commands, p.fast_access ? 1 : 0), 0, nullptr);

  GtkWidget* gen = Create_Radio("decoder/generator", 1, pref_commands);
  GtkWidget* typ = Create_Radio("decoder type", 0, pref_commands);
  st.hw_group = Pack("Select HW:", 'v', gen, 0, typ, 0, nullptr);

  GtkWidget* first = Create_Radio("First found", 1, usb_commands);
  GtkWidget* use = Create_Radio("Use this: ", 0, usb_commands);
  st.usb_group = Pack(
      "USB Port", 'v',
      Pack("Use ID or first found:", 'v', first, 0,
           Pack(nullptr, 'h', use, 0, field_of_prefs(p, kUsbIdId, usb_commands), 0, nullptr), 0, nullptr),
      0, nullptr);

  const char* kind_on = p.port_type == 2 ? "USB" : (p.port_type == 1 ? "Ethernet" : "Parallel");
  const char* port_on = p.pp_number == 1 ? "Port 1" : (p.pp_number == 2 ? "Port 2" : "Port n");
  GtkWidget* page = Pack(nullptr, 'v', kind, 3, Pack(nullptr, 'h', st.par_group, 3, st.hw_group, 3, nullptr),
                         3, st.usb_group, 3, nullptr);
  for (const char* on : {kind_on, port_on, p.hw_dectype == 1 ? "decoder type" : "decoder/generator",
                         p.use_usbid ? "Use this: " : "First found"})
    Set_Local_Button(page, on, 1);
  return page;
}

GtkWidget* page_dirs(const PREFS& p) {
  GtkWidget* kepler =
      Pack("Kepler file", 'v', field_of_prefs(p, "Dir.   "), 0, field_of_prefs(p, "Name"), 0, nullptr);
  return Pack(nullptr, 'v', field_of_prefs(p, "Working directory"), 3, kepler, 3, nullptr);
}

GtkWidget* page_record(const PREFS& p) {
  GtkWidget* times = Pack("Record times (frames)", 'h', field_of_prefs(p, "^Start after."), 3,
                          field_of_prefs(p, "^Stop after."), 3, nullptr);
  GtkWidget* names = Pack("File names", 'h', field_of_prefs(p, "^Basename."), 3,
                          field_of_prefs(p, "^Extension."), 3, nullptr);
  const int chan = p.show_chan >= 1 && p.show_chan <= kMaxChannels ? p.show_chan - 1 : 0;
  GtkWidget* show =
      Pack("Show during record", 'h', field_of_prefs(p, "^Lines/screen"), 3,
           Create_Toggle(kScanDirId, pref_commands, p.scan_dir == ScanDir::BottomUp ? 1 : 0), 3,
           Create_Optionmenu("!Show channel", pref_commands, chan,
                             std::vector<const char*>(std::begin(kChanItems), std::end(kChanItems))),
           3, nullptr);
  GtkWidget* after =
      Pack("Action after record", 'h', Create_Check("Save record", pref_commands, p.save_rec ? 1 : 0), 3,
           Create_Check("Load kepler", pref_commands, p.load_kepler ? 1 : 0), 3, nullptr);
  GtkWidget* hrpt = Pack("(C)HRPT parameters", 'v', times, 3, names, 3, show, 3, after, 3, nullptr);
  GtkWidget* hri =
      Pack("HRI parameters", 'h', field_of_prefs(p, "^Start after"), 3, field_of_prefs(p, "^Stop after"), 3,
           field_of_prefs(p, "^Basename"), 3, field_of_prefs(p, "^Extension"), 3, nullptr);
  return Pack(nullptr, 'v', hrpt, 3, hri, 3, nullptr);
}

GtkWidget* page_algos(const PREFS& p) {
  GtkWidget* desp = Pack("Despeckle limits", 'h', field_of_prefs(p, "^Sur. U-limit"), 3,
                         field_of_prefs(p, "^Pix. L-limit"), 3, nullptr);
  GtkWidget* orbit =
      Create_Optionmenu(kOrbitModelId, pref_commands, p.orbit_model == OrbitModel::Precise ? 1 : 0,
                        std::vector<const char*>(std::begin(kOrbitItems), std::end(kOrbitItems)));
  return Pack(nullptr, 'v', Create_Check("Linearize", pref_commands, p.linearize ? 1 : 0), 3,
              typed_field(kZoomId, stored_text(p, kZoomId), kNumberPad, pref_commands), 3, desp, 3, orbit, 3,
              nullptr);
}

GtkWidget* page_colours(const PREFS& p) {
  GtkWidget* grid = Pack("Grid colour", 'h', field_of_prefs(p, "^Red"), 3, field_of_prefs(p, "^Green"), 3,
                         field_of_prefs(p, "^Blue"), 3, nullptr);
  return Pack(nullptr, 'v', field_of_prefs(p, "Font size"), 3, grid, 3, nullptr);
}

std::string kelorc_path(const MainWindow& mw) { return join_path(mw.pref_dirs().cur_dir, kPrefFileName); }

void prefs_destroyed(GtkWidget* window) {
  if (PrefsWndState* st = state_of(window)) {
    st->closing = true;
    st->window = nullptr;
  }
  destroy_window(window);
}

gboolean prefs_delete(GtkWidget* window, GdkEvent*, gpointer) {
  pref_commands(window, " Exit ");  // the window manager's close is " Exit "
  return TRUE;
}

// A typed field: taken when the rules allow it, else refused with the
// rule's message and the stored value shown again.
void typed_commit(PrefsWndState& st, GtkWidget* entry, const char* id, bool* handled) {
  PREFS& p = st.mw->prefs();
  std::string why;
  const char* typed = GTK_IS_ENTRY(entry) ? gtk_entry_get_text(GTK_ENTRY(entry)) : nullptr;
  *handled = typed != nullptr;
  if (typed == nullptr) return;
  const std::string text = typed;
  const bool ok = take_typed(p, id, text, handled, &why);
  if (!*handled) return;
  const std::string shown = stored_text(p, id);
  if (!ok) {
    st.answering = true;
    Set_Entry1(st.window, id, shown.c_str());
    Create_Message("Error", "%s", why.c_str());
    st.answering = false;
    return;
  }
  if (shown != text) Set_Entry1(st.window, id, shown.c_str());  // e.g. the separator appended
  if (std::strcmp(id, kAddressId) == 0 && p.pp_number == 0) apply_port(st);
}

}  // namespace

void MenuPrefs(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr) return;
  GtkWidget* w = Create_Window(mw->window(), 0, 0, kPrefsTitle, prefs_destroyed);
  if (w == nullptr) return;  // open already: raised
  auto* st = new PrefsWndState;
  st->mw = mw;
  st->window = w;
  g_object_set_data_full(G_OBJECT(w), kStateKey, st,
                         [](gpointer s) { delete static_cast<PrefsWndState*>(s); });
  const PREFS& p = mw->prefs();
  const std::string local = exist_file(kelorc_path(*mw)) != 0 ? kPrefFileName : "Not found.";
  GtkWidget* files =
      Pack(nullptr, 'v', Create_Entryv(kLocalId, nullptr, local + kNamePad), 0,
           Create_Entryv(kUsedId, nullptr, (p.pref_file.empty() ? "Not found" : p.pref_file) + kNamePad), 0,
           nullptr);
  GtkWidget* book = Create_Notebook(nullptr, 2,
                                    {{"Window", page_window(p)},
                                     {"Interface", page_interface(*st, p)},
                                     {"Dirs/files", page_dirs(p)},
                                     {"Record", page_record(p)},
                                     {"Algos", page_algos(p)},
                                     {"Colours & Fonts", page_colours(p)}});
  GtkWidget* buttons =
      Pack(nullptr, 'H', Create_Button(" Use  ", pref_commands), 3, Create_Button(" Save ", pref_commands), 3,
           Create_Button(" Exit ", pref_commands), 0, nullptr);
  gtk_container_add(GTK_CONTAINER(w), Pack(nullptr, 'v', files, 3, book, 3, buttons, 0, nullptr));
  gtk_widget_show_all(w);
  show_interface(*st);
  g_signal_connect(w, "delete-event", G_CALLBACK(prefs_delete), nullptr);
  place_window(w, p.sub_x, p.sub_y, p.sub_wnd_mode);
  st->building = false;
}

void pref_commands(GtkWidget* widget, const char* id) {
  PrefsWndState* st = state_of(widget);
  if (st == nullptr || st->building || st->closing || st->answering || st->window == nullptr || id == nullptr)
    return;
  MainWindow* mw = st->mw;
  PREFS& p = mw->prefs();
  GtkWidget* w = st->window;
  bool handled = false;
  if (GTK_IS_ENTRY(widget)) {
    typed_commit(*st, widget, id, &handled);
    if (handled) return;
  }
  auto on = [&] { return Get_Button(w, id) != 0; };
  if (std::strcmp(id, "Default") == 0) {
    p.main_wnd_mode = p.sub_wnd_mode = kWndDefault;
  } else if (std::strcmp(id, "Smart") == 0) {
    p.main_wnd_mode = kWndAbs;
    p.sub_wnd_mode = kWndSmart;
  } else if (std::strcmp(id, "Parallel") == 0 || std::strcmp(id, "USB") == 0 ||
             std::strcmp(id, "Ethernet") == 0) {
    if (!on()) return;
    p.port_type = id[0] == 'P' ? 0 : (id[0] == 'U' ? 2 : 1);
    show_interface(*st);
  } else if (std::strncmp(id, "Port ", 5) == 0) {
    if (!on()) return;
    p.pp_number = id[5] == '1' ? 1 : (id[5] == '2' ? 2 : 0);
    show_interface(*st);
    apply_port(*st);
  } else if (std::strcmp(id, "Fast parport access") == 0) {
    p.fast_access = on();
    apply_to_record(*st, [](RECORD_INFO* r, const PREFS& q) { r->fast_access = q.fast_access; });
  } else if (std::strcmp(id, "decoder/generator") == 0 || std::strcmp(id, "decoder type") == 0) {
    if (!on()) return;
    p.hw_dectype = id[8] == 't' ? 1 : 0;
    apply_to_record(*st, [](RECORD_INFO* r, const PREFS& q) { r->hw_dectype = q.hw_dectype; });
  } else if (std::strcmp(id, kScanDirId) == 0) {
    p.scan_dir = on() ? ScanDir::BottomUp : ScanDir::TopDown;
  } else if (std::strncmp(id, "Chan ", 5) == 0) {
    p.show_chan = std::atoi(id + 5);
  } else if (std::strcmp(id, "Save record") == 0) {
    p.save_rec = on();
    apply_to_record(*st, [](RECORD_INFO* r, const PREFS& q) { r->save_rec = q.save_rec; });
  } else if (std::strcmp(id, "Load kepler") == 0) {
    p.load_kepler = on();
    apply_to_record(*st, [](RECORD_INFO* r, const PREFS& q) { r->load_kepler = q.load_kepler; });
  } else if (std::strcmp(id, "Linearize") == 0) {
    p.linearize = on();
  } else if (std::strcmp(id, kOrbitItems[0]) == 0 || std::strcmp(id, kOrbitItems[1]) == 0) {
    p.orbit_model = std::strcmp(id, kOrbitItems[1]) == 0 ? OrbitModel::Precise : OrbitModel::Simple;
  } else if (std::strcmp(id, " Use  ") == 0) {
    // The recording record keeps its settings while a recording runs, and
    // its port unless the system lists the new one.
    RECORD_INFO* rec = mw->recording() ? nullptr : mw->record();
    const int old_port = mw->record()->port_address;
    Load_Prefs(&p, rec, mw->view(), mw->pic());
    if (rec != nullptr && rec->port_address != old_port && !port_listed(*st, rec->port_address)) {
      Create_Message("Warning", "Port %x is not a parallel port of this machine; recordings keep port %x.",
                     static_cast<unsigned>(rec->port_address), static_cast<unsigned>(old_port));
      rec->port_address = old_port;
    }
    mw->request_redraw();
  } else if (std::strcmp(id, " Save ") == 0) {
    std::string error;
    if (Save_Prefs_to(kelorc_path(*mw), p, &error) != 0)
      Create_Message("Error", "%s", error.c_str());
    else
      Set_Entry1(w, kLocalId, kPrefFileName);
  } else if (std::strcmp(id, " Exit ") == 0) {
    st->closing = true;
    gtk_widget_destroy(w);
  }
}

void usb_commands(GtkWidget* widget, const char* id) {
  PrefsWndState* st = state_of(widget);
  if (st == nullptr || st->building || st->closing || st->answering || st->window == nullptr || id == nullptr)
    return;
  bool handled = false;
  if (GTK_IS_ENTRY(widget)) {
    typed_commit(*st, widget, id, &handled);
    return;
  }
  if (Get_Button(st->window, id) == 0) return;
  st->mw->prefs().use_usbid = std::strcmp(id, "Use this: ") == 0;
}

void prefs_set_parport_list(GtkWidget* prefs_window, const std::string& dir) {
  if (PrefsWndState* st = state_of(prefs_window)) st->parport_dir = dir;
}

}  // namespace kelo
