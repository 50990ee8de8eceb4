// The station's file dialog: a directory entry with a chooser of file-system
// roots, a directory list and a file list side by side, each with a
// wildcard filter, the selected file, and "Delete file", "OK", "Close". The
// directory is changed by typing a path that ends in '/', by double-clicking
// a directory or by choosing a root. The filters are remembered between
// dialogs.
#pragma once

#include <gtk/gtk.h>

#include <string>
#include <vector>

#include "lumo/buttons.h"

namespace kelo {

inline constexpr int kFileselWidth = 350;
inline constexpr int kFileselHeight = 400;

// Opens the dialog (window titled title) on the directory in *directory
// (made absolute); null when a window of that title is open already (it is
// raised). "OK" runs ok_cb, else the default OK handler, which writes
// directory + '/' + selected name into *file_name and closes; "Close" runs
// close_cb, else closes. *directory follows the directory shown.
//
// Without ok_cb the dialog is modal: the call returns when the dialog has
// been closed (by OK, Close or the window manager) and returns null;
// *file_name then holds the chosen path, or is empty when nothing was
// chosen. With ok_cb the dialog window is returned at once; the two strings
// must then live as long as the dialog.
GtkWidget* Create_Fileselectf(GtkWidget* parent, const char* title, LumoCallback close_cb, LumoCallback ok_cb,
                              std::string* directory, const char* directory_filter, const char* file_filter,
                              int file_limit, std::string* file_name);
// The selected path of the open dialog, or null when no file was selected.
const char* file_selection_get_filename();
// The directory of the open dialog ("" when none).
const char* file_selection_get_dirname();
// Forgets the selection and closes the dialog window of widget.
void Close_Fileselectf(GtkWidget* widget);

// An absolute directory path ending in '/': null, empty or relative paths
// are taken below the current directory; "." and ".." parts are resolved
// by name and doubled separators dropped.
std::string construct_dirpath(const char* path);
// 0 when name matches pattern ('*' any run, '?' any one character, case
// matters); 1 character mismatch, 2 name longer, 3 pattern longer.
int istrcmpwild(const char* name, const char* pattern);
// The order of both lists: letters compared ignoring case; at the first
// position that differs only in case the smaller code (upper case) wins.
int strcmp_ci(const char* a, const char* b);
void sort_ci(std::vector<std::string>* names);
// 1 when path (a trailing '/' ignored) is an existing directory.
int is_a_dir(const char* path);

// The parent of a directory path ending in '/' ("/" stays "/").
std::string parent_dirpath(const std::string& dir);
// The roots the chooser offers: "/", the home directory, and the mounted
// volumes (mount points of devices) that can be opened, each ending in '/'.
std::vector<std::string> filesystem_roots();

// What Create_Dircont lists for a directory: directories (name + '/', "./"
// and "../" included) and files, each sorted, the file list cut at the
// limit with a last row "(N more files.)". ok is false when the directory
// cannot be read (both lists empty).
struct DirListing {
  bool ok = false;
  std::vector<std::string> dirs;
  std::vector<std::string> files;
};
DirListing list_directory(const std::string& dir, int file_limit, const char* dir_filter,
                          const char* file_filter);
// Fills the two lists from list_directory.
void Create_Dircont(GtkWidget* dir_list, GtkWidget* file_list, const char* dir, int file_limit,
                    const char* dir_filter, const char* file_filter);

}  // namespace kelo
