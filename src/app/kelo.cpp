// Entry of the program.
//
// Start-up order: the three records, the preferences, the command line; then
// either the batch recording (which never touches the display, so it runs
// over ssh and from a scheduler) or the picture and the main window.
#include <gtk/gtk.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/cmdline.h"
#include "app/main_wnd.h"
#include "app/startup.h"
#include "core/base/gui_seam.h"
#include "core/base/misc.h"
#include "core/base/prefer.h"
#include "core/base/records.h"
#include "core/files/new_file.h"
#include "core/record/batch.h"
#include "core/record/port.h"
#include "core/record/station_session.h"
#include "lumo/gui_gtk.h"

using namespace kelo;

int main(int argc, char** argv) {
  // The records, zero-filled.
  auto picture = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  auto record = std::make_unique<RECORD_INFO>();
  // The session's preferences and the directories they were looked for in.
  auto prefs = std::make_unique<PREFS>();
  PrefDirs dirs;

  // GTK takes its own options out of argv without opening the display;
  // the display is only opened once we know a window is wanted.
  gtk_parse_args(&argc, &argv);

  // Request cleared; preferences read and copied into the records.
  record->request.clear();
  Read_Prefs(argv[0], prefs.get(), &dirs);
  Load_Prefs(prefs.get(), record.get(), view.get(), picture.get());

  // The command line.
  CmdLine cmd;
  parse_cmdline(argc, argv, &cmd, record.get(), prefs.get());
  if (cmd.action == CmdLine::kUsage) {
    usage(stderr, argv[0]);
    return 0;
  }
  if (cmd.action == CmdLine::kVersion) {
    version(stderr);
    return 0;
  }
  if (cmd.bad_decoder) return 1;  // the reason is on standard error already
  // The station's session: the port backend, the log ("-log") and the seam.
  StationSession session;
  session.log().set_dir(dirs.home_dir);
  session.log().set_to_file(prefs->log_to_file != 0);
  if (cmd.speed_given) view->slide_speed = cmd.speed;

  // Batch recording: no window, ever.
  if (record->batch != 0) {
    session.headless().log = &session.log();
    std::string error;
    if (install_port_backend(session.ports(), record.get(), &error) != 0) {
      log_message(session.log(), "Error: %s", error.c_str());
      std::fprintf(stderr, "ERROR: %s\n", error.c_str());
      return 1;
    }
    // A station's scheduler sees a recording that could not start.
    return do_batch(session, record.get(), picture.get(), view.get());
  }

  // The picture named on the command line.
  if (open_cmdline_picture(cmd, picture.get(), view.get(), prefs.get(), stderr) != 0) return 1;

  // The main window and the event loop.
  if (!gtk_init_check(&argc, &argv)) {
    std::fputs("ERROR: Can't open the display; use -batch for a station without one.\n", stderr);
    return 1;
  }
  // An export ended by a signal leaves no temporary behind; a file-size
  // limit is a write error.
  install_new_file_cleanup();
  GtkGui gtk_seam;  // messages, progress and waits now go through windows
  session.set_seam(gtk_seam);
  return run_main_window(std::move(picture), std::move(view), std::move(record), *prefs, dirs, session, cmd);
}
