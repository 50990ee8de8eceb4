// One run of the headless exporter's command line, without the operator's
// preference file: its exit status and what it wrote.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "core/export/kelo_export_cli.h"

namespace kelo::test {

struct CliRun {
  int rc = 0;
  std::string out, err;
};

inline CliRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  args.insert(args.begin(), "--no-prefs");
  CliRun r;
  r.rc = kelo_export_main(args, out, err);
  r.out = out.str();
  r.err = err.str();
  return r;
}

}  // namespace kelo::test
