// Loading an element set from a two-line element file ("Open Kepler-file",
// "Select satellite") and the element set as numbers ("Kepler data").
#pragma once

#include <gtk/gtk.h>

#include <cstdio>
#include <string>
#include <vector>

#include "core/base/records.h"

namespace kelo {

class MainWindow;

inline constexpr const char* kSelectSatTitle = "Select satellite";
// Element sets listed at most; a further set adds the row "More...".
inline constexpr int kSatListMax = 1000;

// The element sets of a file in file order, at most `limit`; `more` tells
// that the file holds further sets.
struct ElementList {
  std::vector<std::string> names;
  std::vector<KEPLER> sets;
  bool more = false;
};
ElementList read_element_list(FILE* fp, int limit);

// Whole days from the elements' epoch to the picture's start (each time in
// whole days since 1970 before subtracting); the orbit constants must be
// derived.
int elements_age_days(const ORBIT& orbit);

// "File/Load Kepler...": the "Open Kepler-file" selector in the Kepler
// directory; its "OK" (kepfile_ok_sel) builds "Select satellite".
void Menu_LDKepler(GtkWidget* widget, const char* id);
void kepfile_ok_sel(GtkWidget* widget, const char* id);
// The list of the file's sets; null when the file cannot be read or holds
// none (an "Error" or "Warning" says so).
GtkWidget* Create_selectsat_window(MainWindow* mw, const std::string& path);
// "Advanced", "Redraw", "Save", " Exit " of "Select satellite".
void select_sat_func(GtkWidget* widget, const char* id);
// A row chosen: its set becomes the picture's. A row left: the picture's
// own set comes back.
void Selection_made(GtkWidget* list, int row, int column, GdkEvent* event, gpointer data);
void Selection_lost(GtkWidget* list, int row, int column, GdkEvent* event, gpointer data);

// The "Advanced" buttons: opens "Kepler data" (or refreshes it).
void Menu_kepleredt(GtkWidget* widget, const char* id);
GtkWidget* Create_kepleredt_wnd(MainWindow* mw);
// " Exit " of "Kepler data" (its values go to orbitedt_cmds).
void kepleredt_cmds(GtkWidget* widget, const char* id);

}  // namespace kelo
