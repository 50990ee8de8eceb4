// "File/Open..." and "File/Close": the file selector, the open and its
// "Error" messages.
#include "app/open_close.h"

#include <cstdarg>
#include <cstdio>

#include "app/main_wnd.h"
#include "core/base/prefer.h"
#include "lumo/filemngr.h"
#include "lumo/windows.h"

namespace kelo {

namespace {

constexpr const char* kOpenTitle = "Open";
constexpr const char* kAllFiles = "*";
// Files listed in one directory of the selector before "(N more files.)".
constexpr int kOpenFileLimit = 1000;

std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string format_text(const char* format, ...) {
  char buf[1024];
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(buf, sizeof buf, format, ap);
  va_end(ap);
  return buf;
}

}  // namespace

std::vector<std::string> open_error_texts(int code, const PIC_INFO& pic) {
  const char* path = pic.path.c_str();
  switch (code) {
    case kErrDepth:
      return {format_text("Depth=%d currently not supported.\n", pic.depth),
              format_text("read problem in %s.\n", path)};
    case kErrOpen:
      return {"Can't open file."};
    case kErrNoPic:
      return {format_text("No picture found in %s.\n", path)};
    case kErrRead:
      return {format_text("read problem in %s.\n", path)};
    case kErrType:
      return {format_text("Unknown file type of \n%s.\n", path)};
    default:
      return {format_text("Unknown error %d (%c).\n", code, (code >= 32 && code < 127) ? code : '?')};
  }
}

void MenuSelectFile(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr) return;
  // The selector keeps pointers to the directory and name while it is open:
  // they live in the main window's object.
  mw->open_dir() = mw->pic()->dir;
  mw->open_name().clear();
  GtkWidget* sel = Create_Fileselectf(mw->window(), kOpenTitle, nullptr, file_ok_sel, &mw->open_dir(),
                                      kAllFiles, kAllFiles, kOpenFileLimit, &mw->open_name());
  if (sel != nullptr) place_window(sel, mw->prefs().sub_x, mw->prefs().sub_y, mw->prefs().sub_wnd_mode);
}

void file_ok_sel(GtkWidget* widget, const char*) {
  MainWindow* mw = main_window_of(widget);
  if (mw == nullptr) return;
  const char* chosen = file_selection_get_filename();
  if (chosen == nullptr || *chosen == '\0') return;
  const std::string path = chosen;
  const char* dir = file_selection_get_dirname();
  if (dir != nullptr && *dir != '\0') mw->pic()->dir = dir;
  if (mw->open_path(path) == 0) Close_Fileselectf(widget);
}

void close_file(GtkWidget* widget, const char*) {
  if (MainWindow* mw = main_window_of(widget)) mw->close_picture();
}

}  // namespace kelo
