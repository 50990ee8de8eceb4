// What opening a picture tells the window that shows it. The main window
// implements it (title, "Satellite" entry, menu switches, channel items,
// export channel buttons); the command line and kelo-export open files
// without one.
#pragma once

#include "core/base/records.h"

namespace kelo {

class OpenListener {
 public:
  virtual ~OpenListener() = default;
  // The file was recognised and opened; its header is not read yet. The
  // window title names the file from here on.
  virtual void file_opened(const PIC_INFO& pic) { (void)pic; }
  // The header was read and the view set up for the picture (value range,
  // zoom, orientation, channels): the window updates its controls.
  virtual void picture_ready(const PIC_INFO& pic, const VIEW_INFO& view) {
    (void)pic;
    (void)view;
  }
  // The picture file was closed (File/Close, or a failed open after the old
  // picture was given up).
  virtual void picture_closed() {}
};

}  // namespace kelo
