// What one run of the station shares between its recordings: the seam to
// whatever GUI there is (messages, choices, event handling, waits), the
// choice of port backend with the real port, and the station's log. The
// program, batch mode, the tests and the tools each make one and hand it to
// the decoder protocol and the recording engines.
#pragma once

#include <string>

#include "core/base/gui_seam.h"
#include "core/base/misc.h"
#include "core/record/port.h"

namespace kelo {

class StationSession {
 public:
  // With its own headless seam (tests, tools, batch mode).
  StationSession() : seam_(&headless_) {}
  explicit StationSession(GuiSeam& seam) : seam_(&seam) {}
  StationSession(const StationSession&) = delete;
  StationSession& operator=(const StationSession&) = delete;

  GuiSeam& seam() const { return *seam_; }
  // The caller keeps ownership of `seam`; it must outlive its use here.
  void set_seam(GuiSeam& seam) { seam_ = &seam; }
  // The session's own headless seam (in use until another is set).
  HeadlessGui& headless() { return headless_; }
  PortSelection& ports() { return ports_; }
  StationLog& log() { return log_; }

  // The last reason the requested backend could not be put in place, so
  // that a source that cannot be opened is reported once and not on every
  // poll of the port.
  std::string backend_error;

 private:
  HeadlessGui headless_;
  GuiSeam* seam_;
  PortSelection ports_;
  StationLog log_;
};

// Lays another seam over the session's for one scope and puts the old one
// back after (batch mode's seam over the program's).
class ScopedSeam {
 public:
  ScopedSeam(StationSession& session, GuiSeam& seam) : session_(session), old_(session.seam()) {
    session.set_seam(seam);
  }
  ~ScopedSeam() { session_.set_seam(old_); }
  ScopedSeam(const ScopedSeam&) = delete;
  ScopedSeam& operator=(const ScopedSeam&) = delete;

 private:
  StationSession& session_;
  GuiSeam& old_;
};

}  // namespace kelo
