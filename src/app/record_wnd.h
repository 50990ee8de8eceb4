// The record windows of the "Record" menu and the automatic start of a
// recording from the command line ("-record", "-crecord").
//
// "Record HRPT" records NOAA HRPT or FengYun CHRPT passes, "Record HRI"
// geostationary HRI pictures, "Record RAW" whatever the decoder delivers;
// each runs its engine inside "Start/Stop" and shows the pass live on the
// main window's canvas. One record window is open at a time.
#pragma once

#include <gtk/gtk.h>

#include <string>

#include "core/base/records.h"

namespace kelo {

class MainWindow;

// "Record/HRPT...": opens the window (or raises the record window open).
void Menu_Rec_Hrpt(GtkWidget* widget, const char* id);
// Every control of "Record HRPT", by its identifier.
void Record_Hrpt_Commands(GtkWidget* widget, const char* id);
// Opens "Record HRPT", chooses CHRPT (`kind` FengYun or a 'c' in `chan`),
// the channels of `chan` ('1'-'9', '0' = 10, 'a' all, 'g' generator) and
// starts the recording; returns when the recording has ended. 1 when the
// window could not be opened, else 0.
int Recordpp_Hrpt_Auto(MainWindow* mw, const std::string& chan, SatKind kind);

// "Record/HRI..." and the controls of "Record HRI".
void Menu_Rec_Hri(GtkWidget* widget, const char* id);
void Record_Hri_Commands(GtkWidget* widget, const char* id);
// Opens "Record HRI", chooses decoder or generator and starts recording.
int Recordpp_Hri_Auto(MainWindow* mw, bool generator);

// "Record/Raw..." and the controls of "Record RAW".
void Menu_Rec_Rawd(GtkWidget* widget, const char* id);
void Record_Rawd_Commands(GtkWidget* widget, const char* id);

// Start-up: when the command line asked for an automatic recording, starts
// it once the main canvas has its buffer (the live display draws there).
void schedule_recordnow(MainWindow* mw);
// Starts the automatic recording of the request now: "hrpt", "chrpt" or
// "hri" (anything else records nothing). Returns false (a one-shot call).
gboolean sched_recordnow(gpointer main_window);

}  // namespace kelo
