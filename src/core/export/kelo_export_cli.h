// The headless exporter: opens any picture Kelo reads, applies view settings
// given as options and writes it through the export pipeline of the "Save"
// window, or prints the file information, frame headers, positions and pixel
// values. Runs with no display (unattended stations, scripts, tests).
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kelo {

// The usage text of --help.
std::string kelo_export_usage();

// Runs one kelo-export command line (args without the program name).
// Results go to `out`, failures to `err` as one line "ERROR: <text>".
// Returns the exit status: 0 on success, 1 on any failure, 2 for a bad
// command line.
int kelo_export_main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kelo
