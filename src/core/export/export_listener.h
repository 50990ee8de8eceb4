// What an export (and the header rewrite) tells whoever started it. The Save
// window shows it in its progress bar, its "Bitshift" field and a message
// window; kelo-export prints the final text on standard output (errors as its
// one "ERROR:" line) and warnings on standard error. The defaults ignore
// everything and never cancel, so an export can run with no listener at all.
#pragma once

#include <string>

namespace kelo {

// How an export ended, for the final message.
enum class ExportOutcome { Info, Error };

class ExportListener {
 public:
  virtual ~ExportListener() = default;
  // The row loop starts; `total` rows are to be written.
  virtual void progress_begin(int total) { (void)total; }
  // Row `done` (0-based) of `total` is ready to be written. True asks the
  // export to stop: the rows written so far stay a valid, shorter file.
  virtual bool progress_update(int done, int total) {
    (void)done;
    (void)total;
    return false;
  }
  // The row loop has ended, completed, cancelled or failed.
  virtual void progress_end() {}
  // The bit shift that scales the source samples into the destination
  // (+2 for an 8-bit picture into a recording, -1/-2 for a 10-bit recording
  // into an 8-bit picture).
  virtual void bitshift_chosen(int shift) { (void)shift; }
  // Something the operator should know; the export goes on.
  virtual void warning(const std::string& text) { (void)text; }
  // The last word: what was saved, or why nothing was.
  virtual void finished(ExportOutcome outcome, const std::string& text) {
    (void)outcome;
    (void)text;
  }
};

}  // namespace kelo
