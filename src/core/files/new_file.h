// Writing a new file without ever writing through what already stands under
// its name: the bytes go into a fresh temporary beside the wanted name,
// created exclusively (never through a link, never over an existing file),
// and the temporary takes the wanted name only when it is complete. On
// every failure, and when the program is ended by SIGTERM, SIGINT or SIGHUP,
// the temporary is removed. Every writer of the export pipeline uses it.
#pragma once

#include <string>

#include "core/base/kfile.h"

namespace kelo {

// True when anything at all stands under `path`: a file, a directory, a
// FIFO, a link, even one that leads nowhere.
bool name_taken(const std::string& path);

// One temporary output file. Not copyable; the destructor removes a
// temporary that was not committed.
class NewFile {
 public:
  NewFile() = default;
  ~NewFile() { remove(); }
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // Creates a fresh, unique temporary in the folder of `dest` (named
  // "<dest>.<n>.part"), open for writing. False, with the reason (file name
  // and system error text) in `error`, when none could be made.
  [[nodiscard]] bool open(const std::string& dest, std::string* error);
  // The open temporary (shared: writers may hold copies; they must let go
  // before commit).
  KFile& file() { return file_; }
  const std::string& temp_path() const { return temp_; }
  const std::string& dest() const { return dest_; }

  // Flushes and closes the temporary and gives it the wanted name. With
  // `replace` an existing file of that name is replaced (the link itself,
  // never its target); without, an existing name is left alone and the
  // commit fails. On failure the temporary is removed and `error` names the
  // file and the reason.
  [[nodiscard]] bool commit(bool replace, std::string* error);
  // Closes and removes the temporary (nothing when there is none).
  void remove();

 private:
  std::string dest_;
  std::string temp_;
  KFile file_;
  int slot_ = -1;  // its entry in the list the signal handler removes
};

// Installs the handlers that remove the temporaries still open when
// SIGTERM, SIGINT or SIGHUP ends the program (the signal then ends it as
// before), and makes SIGXFSZ (a file-size limit reached) a write error
// instead of the end of the program. For programs that write exports.
void install_new_file_cleanup();

}  // namespace kelo
