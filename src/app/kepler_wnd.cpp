// "File/Load Kepler...": an element set from a two-line element file into
// the open picture, with the age of the elements; "Kepler data": the
// picture's element set and start time as numbers.
#include "app/kepler_wnd.h"

#include <memory>

#include "app/main_wnd.h"
#include "app/orbit_edit_wnd.h"
#include "core/base/misc.h"
#include "core/base/prefer.h"
#include "core/orbit/parse_norad.h"
#include "lumo/buttons.h"
#include "lumo/filemngr.h"
#include "lumo/listtree.h"
#include "lumo/lumo_misc.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kKeplerFileTitle = "Open Kepler-file";
constexpr const char* kListId = "Satellites";
constexpr const char* kAgeId = "Diff start & Kepler ref. time (days)";
constexpr const char* kKeySelectSat = "kelo_select_sat";
constexpr const char* kKeyKeplerFile = "kelo_kepler_file";
constexpr const char* kAllFiles = "*";
constexpr int kSecPerDay = 86400;
constexpr int kSelectWidth = 330, kSelectHeight = 420;
constexpr int kNameColumn = 24, kRefColumn = 18;  // characters

// Where the selector is and what it chose; it keeps pointers to both while
// it is open.
struct KeplerFileDialog {
  std::string dir;
  std::string name;
};

// What the list window knows: the sets of its rows, the row chosen, and
// the set the picture had before it.
struct SelectSatState {
  ElementList list;
  int chosen_row = -1;
  KEPLER own;
  std::string own_path;
};

SelectSatState* select_state(GtkWidget* widget) {
  GtkWidget* w = Find_Parent_Window(widget);
  return w != nullptr ? static_cast<SelectSatState*>(g_object_get_data(G_OBJECT(w), kKeySelectSat)) : nullptr;
}

bool same_set(const KEPLER& a, const KEPLER& b) {
  return a.epoch_year == b.epoch_year && a.epoch_day == b.epoch_day && a.decay == b.decay &&
         a.inclination == b.inclination && a.raan == b.raan && a.eccentricity == b.eccentricity &&
         a.perigee == b.perigee && a.anomaly == b.anomaly && a.motion == b.motion && a.revnum == b.revnum;
}

void show_age(GtkWidget* widget, MainWindow* mw) {
  GtkWidget* w = Find_Window(mw->window(), kSelectSatTitle);
  if (w == nullptr) return;
  MainWindow::Quiet quiet(mw);
  const ORBIT& o = mw->pic()->orbit;
  if (o.valid)
    Set_Entry(w, kAgeId, "%d", elements_age_days(o));
  else
    Set_Entry(w, kAgeId, "%s", "");
  (void)widget;
}

// "Kepler data" follows the picture: another picture's values are shown.
class KeplerDataFollower : public WindowFollower {
 public:
  explicit KeplerDataFollower(MainWindow* mw) : mw_(mw) {}
  void picture_changed() override { Set_Keplervals(mw_->window(), &mw_->pic()->kepler, &mw_->pic()->orbit); }

 private:
  MainWindow* mw_;
};

GtkWidget* field_row(const PIC_INFO& pic, std::initializer_list<const char*> ids) {
  std::vector<PackChild> row;
  for (const char* id : ids) row.push_back({create_orbit_field(*orbit_field(id), pic.kepler, pic.orbit), 3});
  return PackList(nullptr, 'h', row);
}

}  // namespace

ElementList read_element_list(FILE* fp, int limit) {
  ElementList l;
  if (fp == nullptr) return l;
  std::string name;
  KEPLER k;
  while (read_norad_next_keps(fp, &name, &k) != 0) {
    if (static_cast<int>(l.sets.size()) >= limit) {
      l.more = true;
      break;
    }
    l.names.push_back(name);
    l.sets.push_back(k);
  }
  return l;
}

int elements_age_days(const ORBIT& orbit) {
  BrokenTime t = orbit.start_tm;
  const int64_t start_days = mktime_ntz(&t) / kSecPerDay;
  return static_cast<int>(start_days - orbit.epoch_t / kSecPerDay);
}

// ---------------------------------------------------------------- selection
void Menu_LDKepler(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr) return;
  auto* d = new KeplerFileDialog{mw->prefs().kepler_dir, ""};
  GtkWidget* sel = Create_Fileselectf(mw->window(), kKeplerFileTitle, nullptr, kepfile_ok_sel, &d->dir,
                                      kAllFiles, kAllFiles, kSatListMax, &d->name);
  if (sel == nullptr) {  // open already: raised
    delete d;
    return;
  }
  g_object_set_data_full(G_OBJECT(sel), kKeyKeplerFile, d,
                         [](gpointer p) { delete static_cast<KeplerFileDialog*>(p); });
  place_window(sel, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
}

void kepfile_ok_sel(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  const char* chosen = file_selection_get_filename();
  if (mw == nullptr || chosen == nullptr || *chosen == '\0') return;
  if (Create_selectsat_window(mw, chosen) != nullptr) Close_Fileselectf(widget);
}

GtkWidget* Create_selectsat_window(MainWindow* mw, const std::string& path) {
  KFile f;
  if (!f.open(path, "rb")) {
    Create_Message("Error", "Can't open %s.\n", path.c_str());
    return nullptr;
  }
  auto st = std::make_unique<SelectSatState>();
  st->list = read_element_list(f.get(), kSatListMax);
  if (st->list.sets.empty()) {
    Create_Message("Warning", "Kepler-file empty.");
    return nullptr;
  }
  // One list at a time: a new file replaces the list of the last one.
  if (GtkWidget* old = Find_Window(mw->window(), kSelectSatTitle)) gtk_widget_destroy(old);
  GtkWidget* w = Create_Window(mw->window(), kSelectWidth, kSelectHeight, kSelectSatTitle, nullptr);
  if (w == nullptr) return nullptr;
  std::vector<std::string> refs;
  for (const KEPLER& k : st->list.sets)
    refs.push_back(strformat("Day %d year %d", static_cast<int>(k.epoch_day), k.epoch_year));
  std::vector<const char*> cells;
  for (size_t i = 0; i < refs.size(); ++i) {
    cells.push_back(st->list.names[i].c_str());
    cells.push_back(refs[i].c_str());
  }
  const std::string more = strformat("(truncated at %d)", kSatListMax);
  if (st->list.more) {
    cells.push_back("More...");
    cells.push_back(more.c_str());
  }
  g_object_set_data_full(G_OBJECT(w), kKeySelectSat, st.release(),
                         [](gpointer p) { delete static_cast<SelectSatState*>(p); });
  GtkWidget* list = Create_Clist(kListId, Selection_made, Selection_lost, nullptr, 2,
                                 {{"Satellite", kNameColumn}, {"Ref time", kRefColumn}}, cells);
  GtkWidget* age = Create_Entry(kAgeId, nullptr, "%8s", "");
  GtkWidget* buttons = Pack(
      nullptr, 'h', Create_Button("Advanced", select_sat_func), 3, Create_Button("Redraw", select_sat_func),
      3, Create_Button("Save", select_sat_func), 3, Create_Button(" Exit ", select_sat_func), 0, nullptr);
  gtk_container_add(GTK_CONTAINER(w), Pack(nullptr, 'v', list, 3, age, 3, buttons, 0, nullptr));
  place_window(w, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
  gtk_widget_show_all(w);
  return w;
}

void select_sat_func(GtkWidget* widget, const char* id) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || id == nullptr) return;
  const std::string cmd = id;
  if (cmd == "Advanced") {
    Menu_kepleredt(widget, id);
  } else if (cmd == "Redraw") {
    if (mw->has_picture()) mw->request_redraw();
  } else if (cmd == "Save") {
    save_recording_header(mw);
  } else if (cmd == " Exit ") {
    if (GtkWidget* w = Find_Window(mw->window(), kSelectSatTitle)) gtk_widget_destroy(w);
  }
}

void Selection_made(GtkWidget* list, int row, int, GdkEvent*, gpointer) {
  MainWindow* mw = main_window_of(list);
  SelectSatState* st = select_state(list);
  if (mw == nullptr || st == nullptr || row < 0) return;
  if (row >= static_cast<int>(st->list.sets.size())) {
    Create_Message("Warning", "Only the first %d element sets of the file are listed; nothing loaded.",
                   kSatListMax);
    return;
  }
  PIC_INFO* pic = mw->pic();
  const KEPLER& set = st->list.sets[static_cast<size_t>(row)];
  // The release that ends the click on the chosen row reports it again.
  if (!(row == st->chosen_row && pic->path == st->own_path && same_set(pic->kepler, set))) {
    st->own = pic->kepler;
    st->own_path = pic->path;
    st->chosen_row = row;
    // The set of this very row: names repeat in element files.
    pic->kepler = set;
    recompute_orbit(pic);
    Set_Keplervals(list, &pic->kepler, &pic->orbit);
  }
  show_age(list, mw);
}

void Selection_lost(GtkWidget* list, int row, int, GdkEvent*, gpointer) {
  MainWindow* mw = main_window_of(list);
  SelectSatState* st = select_state(list);
  if (mw == nullptr || st == nullptr || row != st->chosen_row) return;
  st->chosen_row = -1;
  PIC_INFO* pic = mw->pic();
  // The picture's own set: a recording's is in its header (the file open
  // now, which may be another one than the set was chosen for); another
  // picture's is the one it had, when the set this list gave is still there.
  KEPLER own;
  if (!recorded_elements(*pic, &own)) {
    if (!(pic->path == st->own_path && same_set(pic->kepler, st->list.sets[static_cast<size_t>(row)]))) {
      show_age(list, mw);
      return;
    }
    own = st->own;
  }
  pic->kepler = own;
  recompute_orbit(pic);
  Set_Keplervals(list, &pic->kepler, &pic->orbit);
  show_age(list, mw);
}

// ---------------------------------------------------------------- Kepler data
void Menu_kepleredt(GtkWidget* widget, const char*) {
  if (MainWindow* mw = main_window_of(widget)) Create_kepleredt_wnd(mw);
}

GtkWidget* Create_kepleredt_wnd(MainWindow* mw) {
  PIC_INFO* pic = mw->pic();
  GtkWidget* w = Create_Window(mw->window(), 0, 0, kKeplerDataTitle, follower_window_destroyed);
  if (w == nullptr) {
    Set_Keplervals(mw->window(), &pic->kepler, &pic->orbit);
    return Find_Window(mw->window(), kKeplerDataTitle);
  }
  MainWindow::Quiet quiet(mw);
  GtkWidget* kepler =
      Pack("Kepler", 'v', field_row(*pic, {"^Epoch year", "^Epoch day", "^Decay"}), 3,
           field_row(*pic, {"^Inclination (deg)", "^Raan (deg)", "^Eccentricity"}), 3,
           field_row(*pic, {"^Perigee (deg)", "^Mean anomaly (deg)", "^Mean motion"}), 0, nullptr);
  GtkWidget* height = Create_Entry("Height sat", nullptr, "%f", pic->orbit.height / 1000.0);
  GtkWidget* start = Pack("Selected start time", 'v', field_row(*pic, {"year", "mon", "day"}), 3,
                          field_row(*pic, {"hour", "min", "sec"}), 0, nullptr);
  gtk_container_add(GTK_CONTAINER(w), Pack(nullptr, 'v', kepler, 3, height, 3, start, 3,
                                           Create_Button(" Exit ", kepleredt_cmds), 0, nullptr));
  follow_picture(mw, w, std::make_unique<KeplerDataFollower>(mw));
  place_window(w, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
  gtk_widget_show_all(w);
  return w;
}

void kepleredt_cmds(GtkWidget* widget, const char* id) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr || id == nullptr || std::string(id) != " Exit ") return;
  if (GtkWidget* w = Find_Window(mw->window(), kKeplerDataTitle)) gtk_widget_destroy(w);
}

}  // namespace kelo
