// The command line of the program: options, the usage banner and the
// version text.
#pragma once

#include <cstdio>
#include <string>

#include "core/base/prefer.h"
#include "core/base/records.h"
#include "core/record/batch.h"

namespace kelo {

inline constexpr const char* kVersionText = "2010.beta";
inline constexpr const char* kProgName = "Kelo";

// What the command line asks for. Window size and the log switch go straight
// into the preferences; the request and batch flags into RECORD_INFO; "-sn" and
// "-speed" are applied after a picture was opened.
struct CmdLine {
  enum Action { kRun, kUsage, kVersion };
  Action action = kRun;
  std::string file;  // "-i", "-I" or the bare argument
  bool file_by_option = false;
  bool fit_picture = false;  // "-I"
  bool south_north = false;  // "-sn"
  bool slide = false;        // "-slide"
  std::string slide_path;    // "-slide <series>": the film or slide list to show
  bool speed_given = false;
  int speed = 0;        // "-speed"
  std::string decoder;  // "-decoder": how the decoder is reached (applied to the record)
  bool bad_decoder = false;
};

// Parses argv[1..argc-1] by the option table: a value option is recognised
// where the argument before the value equals it, a switch where it stands; a
// later occurrence overrides an earlier one, and the first of "-H"/"--help"
// and "-V" in argument order decides. Fills `cmd`, the request and batch
// fields of `record`, and `prefs` (window size, log switch).
void parse_cmdline(int argc, const char* const* argv, CmdLine* cmd, RECORD_INFO* record, PREFS* prefs);

// The usage banner (every line starts with '*').
void usage(FILE* out, const char* progname);
// "* Version: 2010.beta\n"
void version(FILE* out);

}  // namespace kelo
