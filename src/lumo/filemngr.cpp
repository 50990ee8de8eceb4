// The station's file dialog and its path helpers.
#include "lumo/filemngr.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "core/base/paths.h"
#include "lumo/listtree.h"
#include "lumo/lumo_misc.h"
#include "lumo/menus.h"
#include "lumo/packing.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr int kListWidthChars = 80;  // column width of both lists, in characters

// Identifiers of the dialog's controls.
constexpr const char* kIdDisk = "^Disk";
constexpr const char* kIdDir = "^Directory";
constexpr const char* kIdFilterD = "Filter D";
constexpr const char* kIdFilterF = "Filter F";
constexpr const char* kIdDirlist = "Dirlist";
constexpr const char* kIdFilelist = "Filelist";
constexpr const char* kIdSelected = "File selected";
constexpr const char* kIdDelete = "Delete file";
constexpr const char* kIdOk = "OK";
constexpr const char* kIdClose = "Close";

// One dialog at a time.
struct Filesel {
  GtkWidget* window = nullptr;  // cleared by the window's "destroy"
  bool has_selection = false;
  std::string selection;  // directory + name of the selected file
  std::string dirname;    // the directory shown, as handed to the caller
  std::string* dir_buf = nullptr;
  std::string* file_buf = nullptr;
  int file_limit = 0;
  int more_row = -1;  // row of "(N more files.)" in the file list, -1 none
  bool drive_changes = false;
  bool closing = false;
  LumoCallback ok_cb = nullptr;
  LumoCallback close_cb = nullptr;
  GMainLoop* modal_loop = nullptr;
  std::vector<std::string> roots;
};
Filesel g_fs;

// Remembered between dialogs for the program's run.
std::string g_dir_filter;
std::string g_file_filter;

std::string entry_text(const char* id) {
  const char* t = g_fs.window != nullptr ? Get_Entry(g_fs.window, id) : nullptr;
  return t != nullptr ? t : "";
}

void set_dir_buffer(const std::string& dir) {
  g_fs.dirname = dir;
  if (g_fs.dir_buf != nullptr) *g_fs.dir_buf = dir;
}

GtkWidget* dialog_list(const char* id) {
  return g_fs.window != nullptr ? Find_Widget(g_fs.window, id) : nullptr;
}

void refill(const std::string& dir) {
  std::string dfilter = entry_text(kIdFilterD);
  std::string ffilter = entry_text(kIdFilterF);
  Create_Dircont(dialog_list(kIdDirlist), dialog_list(kIdFilelist), dir.c_str(), g_fs.file_limit,
                 dfilter.c_str(), ffilter.c_str());
}

// The directory the lists show: the directory entry made absolute.
std::string shown_dir() { return construct_dirpath(entry_text(kIdDir).c_str()); }

void set_directory(const std::string& dir) {
  if (entry_text(kIdDir) == dir) {
    refill(dir);  // same text: the entry reports no change
    set_dir_buffer(dir);
  } else {
    Set_Entry1(g_fs.window, kIdDir, dir.c_str());  // refills through on_entry
  }
}

void rebuild_selection() {
  std::string name = entry_text(kIdSelected);
  g_fs.selection = shown_dir() + name;
  g_fs.has_selection = !name.empty();
}

// "^Directory", "Filter D", "Filter F" and "Delete file".
void on_entry(GtkWidget* /*widget*/, const char* id) {
  if (g_fs.window == nullptr || g_fs.closing) return;
  std::string dir = entry_text(kIdDir);
  if (!dir.empty() && dir.back() == kDirSep) {
    refill(dir);
    set_dir_buffer(construct_dirpath(dir.c_str()));
  }
  if (std::strcmp(id, kIdFilterD) == 0) g_dir_filter = entry_text(kIdFilterD);
  if (std::strcmp(id, kIdFilterF) == 0) g_file_filter = entry_text(kIdFilterF);
  if (std::strcmp(id, kIdDelete) == 0) {
    std::string name = entry_text(kIdSelected);
    if (name.empty()) return;
    if (Create_Choice("Delete", {"Delete", "Cancel"}, "Really delete file\n%s?", name.c_str()) != 1) return;
    if (g_fs.window == nullptr) return;  // closed while asking
    std::string path = shown_dir() + name;
    if (std::remove(path.c_str()) != 0) {
      Create_Message("Error", "Failed to delete %s.\nIn use?", name.c_str());
      return;
    }
    if (g_fs.window == nullptr) return;
    Set_Entry1(g_fs.window, kIdSelected, "");
    g_fs.has_selection = false;
    g_fs.selection.clear();
    refill(shown_dir());
  }
}

void on_drive(GtkWidget* /*combo*/, const char* root) {
  if (!g_fs.drive_changes || g_fs.window == nullptr || root == nullptr) return;
  set_directory(root);
}

bool is_double_click(const GdkEvent* event) { return event != nullptr && event->type == GDK_2BUTTON_PRESS; }

void on_dir_select(GtkWidget* list, int row, int /*column*/, GdkEvent* event, gpointer) {
  if (g_fs.window == nullptr) return;
  if (is_double_click(event)) {
    std::string text = Clist_get_text(list, row, 0);
    std::string cur = shown_dir();
    std::string next;
    if (text == std::string("..") + kDirSep) {
      next = parent_dirpath(cur);
    } else if (text == std::string(".") + kDirSep) {
      next = cur;
    } else {
      next = cur + text;
    }
    set_directory(next);
  }
  if (g_fs.window != nullptr) set_dir_buffer(shown_dir());
}

void run_ok(GtkWidget* button);

void on_file_select(GtkWidget* list, int row, int /*column*/, GdkEvent* event, gpointer) {
  if (g_fs.window == nullptr || row == g_fs.more_row) return;
  std::string text = Clist_get_text(list, row, 0);
  Set_Entry1(g_fs.window, kIdSelected, text.c_str());
  rebuild_selection();
  set_dir_buffer(shown_dir());
  if (is_double_click(event)) run_ok(Find_Widget(g_fs.window, kIdOk));
}

void default_ok(GtkWidget* widget) {
  std::string dir = shown_dir();
  set_dir_buffer(dir);
  std::string name = entry_text(kIdSelected);
  if (g_fs.file_buf != nullptr && !name.empty()) {
    while (dir.size() > 1 && dir.back() == kDirSep) dir.pop_back();
    *g_fs.file_buf = join_path(dir, name);
  }
  Close_Fileselectf(widget);
}

void run_ok(GtkWidget* button) {
  if (g_fs.ok_cb != nullptr) {
    g_fs.ok_cb(button, kIdOk);
  } else {
    default_ok(button);
  }
}

void on_button(GtkWidget* widget, const char* id) {
  if (std::strcmp(id, kIdOk) == 0) {
    run_ok(widget);
  } else if (g_fs.close_cb != nullptr) {
    g_fs.close_cb(widget, kIdClose);
  } else {
    Close_Fileselectf(widget);
  }
}

void on_destroy(GtkWidget* /*window*/, gpointer) {
  g_fs.window = nullptr;
  g_fs.has_selection = false;
  g_fs.selection.clear();
  if (g_fs.modal_loop != nullptr) g_main_loop_quit(g_fs.modal_loop);
}

// Octal escapes of /proc/mounts ("\040" for a blank).
std::string unescape_mount(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isdigit(static_cast<unsigned char>(s[i + 2])) &&
        std::isdigit(static_cast<unsigned char>(s[i + 3]))) {
      out.push_back(static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

bool can_open_dir(const std::string& path) {
  DIR* d = opendir(path.c_str());
  if (d == nullptr) return false;
  closedir(d);
  return true;
}

}  // namespace

// ---------------------------------------------------------------- paths
std::string construct_dirpath(const char* path) {
  std::string out;
  if (path != nullptr && path[0] == kDirSep) {
    out = path;
  } else {
    std::string cwd;
    if (char* c = g_get_current_dir(); c != nullptr) {
      cwd = c;
      g_free(c);
    }
    out = with_dirsep(cwd) + (path != nullptr ? path : "");
  }
  // "." and ".." are resolved by name, so that going up from a typed
  // "passes/../" really goes up; doubled separators count once.
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= out.size()) {
    size_t end = out.find(kDirSep, start);
    if (end == std::string::npos) end = out.size();
    std::string part = out.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  std::string norm(1, kDirSep);
  for (const std::string& part : parts) norm += part + kDirSep;
  return norm;
}

std::string parent_dirpath(const std::string& dir) {
  std::string d = with_dirsep(dir);
  if (d.size() <= 1) return std::string(1, kDirSep);
  size_t pos = d.rfind(kDirSep, d.size() - 2);
  if (pos == std::string::npos) return std::string(1, kDirSep);
  return d.substr(0, pos + 1);
}

int istrcmpwild(const char* name, const char* pattern) {
  if (name == nullptr) name = "";
  if (pattern == nullptr) pattern = "";
  const char* n = name;
  const char* p = pattern;
  const char* star = nullptr;  // last '*' seen in the pattern
  const char* mark = nullptr;  // where the name resumes after that star
  while (*n != '\0') {
    if (*p != '\0' && *p != '*' && (*p == '?' || *p == *n)) {
      ++n;
      ++p;
    } else if (*p == '*') {
      star = p++;
      mark = n;
    } else if (star != nullptr) {
      p = star + 1;  // let the star take one more character
      n = ++mark;
    } else {
      return *p != '\0' ? 1 : 2;
    }
  }
  while (*p == '*') ++p;
  return *p == '\0' ? 0 : 3;
}

int strcmp_ci(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  for (size_t i = 0;; ++i) {
    const auto ca = static_cast<unsigned char>(a[i]);
    const auto cb = static_cast<unsigned char>(b[i]);
    if (ca == 0 || cb == 0) return ca == cb ? 0 : (ca == 0 ? -1 : 1);
    const int la = std::tolower(ca);
    const int lb = std::tolower(cb);
    if (la != lb) return la < lb ? -1 : 1;
    if (ca != cb) return ca < cb ? -1 : 1;
  }
}

void sort_ci(std::vector<std::string>* names) {
  if (names == nullptr) return;
  std::stable_sort(names->begin(), names->end(), [](const std::string& a, const std::string& b) {
    return strcmp_ci(a.c_str(), b.c_str()) < 0;
  });
}

int is_a_dir(const char* path) {
  if (path == nullptr || path[0] == '\0') return 0;
  std::string p = path;
  while (p.size() > 1 && p.back() == kDirSep) p.pop_back();
  struct stat st {};
  return (stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? 1 : 0;
}

std::vector<std::string> filesystem_roots() {
  std::vector<std::string> roots{std::string(1, kDirSep)};
  auto add = [&roots](const std::string& dir) {
    std::string d = with_dirsep(dir);
    if (d.size() < 2 || d[0] != kDirSep) return;
    if (std::find(roots.begin(), roots.end(), d) != roots.end()) return;
    if (is_a_dir(d.c_str()) && can_open_dir(d)) roots.push_back(d);
  };
  if (const char* home = g_get_home_dir(); home != nullptr) add(home);
  std::ifstream mounts("/proc/self/mounts");
  std::string line;
  std::vector<std::string> volumes;
  while (std::getline(mounts, line)) {
    std::istringstream fields(line);
    std::string device, mount_point;
    if (!(fields >> device >> mount_point)) continue;
    if (device.rfind("/dev/", 0) != 0) continue;  // volumes are devices, not kernel file systems
    volumes.push_back(unescape_mount(mount_point));
  }
  std::sort(volumes.begin(), volumes.end());
  for (const std::string& v : volumes) add(v);
  return roots;
}

DirListing list_directory(const std::string& dir, int file_limit, const char* dir_filter,
                          const char* file_filter) {
  DirListing out;
  std::string base = construct_dirpath(dir.c_str());
  DIR* d = opendir(base.c_str());
  if (d == nullptr) return out;
  out.ok = true;
  const bool any_dir = dir_filter == nullptr || dir_filter[0] == '\0';
  const bool any_file = file_filter == nullptr || file_filter[0] == '\0';
  while (const dirent* e = readdir(d)) {
    std::string name = e->d_name;
    struct stat st {};
    const bool is_dir = stat((base + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (is_dir) {
      if (any_dir || istrcmpwild(name.c_str(), dir_filter) == 0) out.dirs.push_back(name + kDirSep);
    } else if (any_file || istrcmpwild(name.c_str(), file_filter) == 0) {
      out.files.push_back(name);
    }
  }
  closedir(d);
  sort_ci(&out.dirs);
  sort_ci(&out.files);
  if (file_limit > 0 && out.files.size() > static_cast<size_t>(file_limit)) {
    const size_t more = out.files.size() - static_cast<size_t>(file_limit);
    out.files.resize(static_cast<size_t>(file_limit));
    out.files.push_back("(" + std::to_string(more) + " more files.)");
  }
  return out;
}

void Create_Dircont(GtkWidget* dir_list, GtkWidget* file_list, const char* dir, int file_limit,
                    const char* dir_filter, const char* file_filter) {
  Clist_clear(dir_list);
  Clist_clear(file_list);
  const bool ours = g_fs.window != nullptr && file_list != nullptr && file_list == dialog_list(kIdFilelist);
  if (ours) g_fs.more_row = -1;
  DirListing l = list_directory(construct_dirpath(dir), file_limit, dir_filter, file_filter);
  for (const std::string& s : l.dirs) Clist_append(dir_list, {s.c_str()});
  for (const std::string& s : l.files) Clist_append(file_list, {s.c_str()});
  if (ours && file_limit > 0 && l.files.size() > static_cast<size_t>(file_limit)) g_fs.more_row = file_limit;
}

// ---------------------------------------------------------------- the dialog
GtkWidget* Create_Fileselectf(GtkWidget* parent, const char* title, LumoCallback close_cb, LumoCallback ok_cb,
                              std::string* directory, const char* directory_filter, const char* file_filter,
                              int file_limit, std::string* file_name) {
  if (title == nullptr) title = "";
  if (g_fs.window != nullptr) {  // one dialog at a time
    gtk_window_present(GTK_WINDOW(g_fs.window));
    return nullptr;
  }
  GtkWidget* win = Create_Window(parent, kFileselWidth, kFileselHeight, title, nullptr);
  if (win == nullptr) return nullptr;

  g_fs = Filesel{};
  g_fs.window = win;
  g_fs.dir_buf = directory;
  g_fs.file_buf = file_name;
  g_fs.file_limit = std::max(file_limit, 0);
  g_fs.ok_cb = ok_cb;
  g_fs.close_cb = close_cb;
  if (ok_cb == nullptr && file_name != nullptr) file_name->clear();
  if (g_dir_filter.empty())
    g_dir_filter = (directory_filter != nullptr && *directory_filter) ? directory_filter : "*";
  if (g_file_filter.empty()) g_file_filter = (file_filter != nullptr && *file_filter) ? file_filter : "*";
  const std::string start = construct_dirpath(directory != nullptr ? directory->c_str() : nullptr);
  g_signal_connect(win, "destroy", G_CALLBACK(on_destroy), nullptr);

  // Directory row: root chooser and directory entry.
  g_fs.roots = filesystem_roots();
  std::vector<const char*> roots;
  for (const std::string& r : g_fs.roots) roots.push_back(r.c_str());
  GtkWidget* disk = Create_Optionmenu(kIdDisk, on_drive, 0, roots);
  GtkWidget* dir_entry = Create_Entry(kIdDir, on_entry, "%-40s", "");
  GtkWidget* dir_row = SPack(nullptr, "h", disk, "1", dir_entry, "ef1", nullptr);

  // The two lists with their filters.
  GtkWidget* dfilter = Create_Entry(kIdFilterD, on_entry, "%-20s", g_dir_filter.c_str());
  GtkWidget* dlist =
      Create_Clist(kIdDirlist, on_dir_select, nullptr, nullptr, 1, {{"Directories", kListWidthChars}});
  GtkWidget* dframe = SPack("Directory", "v", dfilter, "2", dlist, "ef2", nullptr);
  GtkWidget* ffilter = Create_Entry(kIdFilterF, on_entry, "%-20s", g_file_filter.c_str());
  GtkWidget* flist =
      Create_Clist(kIdFilelist, on_file_select, nullptr, nullptr, 1, {{"Files", kListWidthChars}});
  GtkWidget* fframe = SPack("File", "v", ffilter, "2", flist, "ef2", nullptr);
  GtkWidget* lists = SPack(nullptr, "h", dframe, "ef2", fframe, "ef2", nullptr);

  // Selected file, delete, OK and Close.
  GtkWidget* selected = Create_Entry(kIdSelected, nullptr, "%-25s", "");
  GtkWidget* del = Create_Button(kIdDelete, on_entry);
  GtkWidget* sel_row = SPack(nullptr, "h", selected, "2", del, "E2", nullptr);
  GtkWidget* ok = Create_Button(kIdOk, on_button);
  GtkWidget* close = Create_Button(kIdClose, on_button);
  GtkWidget* button_row = SPack(nullptr, "H", ok, "2ef", close, "2ef", nullptr);
  GtkWidget* bottom = SPack("", "v", sel_row, "2", button_row, "2", nullptr);

  GtkWidget* all = SPack(nullptr, "v", dir_row, "2", lists, "ef2", bottom, "2", nullptr);
  gtk_container_add(GTK_CONTAINER(win), all);
  gtk_widget_set_can_default(ok, TRUE);
  gtk_widget_grab_default(ok);

  // The chooser shows the root the start directory lies on, without moving
  // there; then the directory entry fills the lists.
  size_t best = 0;
  for (size_t i = 0; i < g_fs.roots.size(); ++i) {
    if (start.rfind(g_fs.roots[i], 0) == 0 && g_fs.roots[i].size() > g_fs.roots[best].size()) best = i;
  }
  Set_Optionsmenu(win, kIdDisk, static_cast<int>(best));
  g_fs.drive_changes = true;
  Set_Entry1(win, kIdDir, start.c_str());
  gtk_widget_show_all(win);

  if (parent != nullptr) {
    GtkWidget* top = Find_Parent_Window(parent);
    if (top != nullptr && GTK_IS_WINDOW(top)) gtk_window_set_transient_for(GTK_WINDOW(win), GTK_WINDOW(top));
  }
  if (ok_cb != nullptr) return win;
  // Modal use: the other windows wait until the dialog has been closed.
  gtk_window_set_modal(GTK_WINDOW(win), TRUE);
  g_fs.modal_loop = g_main_loop_new(nullptr, FALSE);
  g_main_loop_run(g_fs.modal_loop);
  g_main_loop_unref(g_fs.modal_loop);
  g_fs.modal_loop = nullptr;
  return nullptr;
}

const char* file_selection_get_filename() { return g_fs.has_selection ? g_fs.selection.c_str() : nullptr; }

const char* file_selection_get_dirname() { return g_fs.dirname.c_str(); }

void Close_Fileselectf(GtkWidget* widget) {
  g_fs.has_selection = false;
  g_fs.selection.clear();
  GtkWidget* win = Find_Parent_Window(widget);
  if (win == nullptr) win = g_fs.window;
  if (win != nullptr) {
    if (win == g_fs.window) g_fs.closing = true;
    gtk_widget_destroy(win);
  }
}

}  // namespace kelo
