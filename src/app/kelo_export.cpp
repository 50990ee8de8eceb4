// kelo-export: the headless exporter (see kelo_export_cli.h and --help).
#include <iostream>
#include <string>
#include <vector>

#include "core/export/kelo_export_cli.h"
#include "core/files/new_file.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; i++) args.emplace_back(argv[i]);
  // A killed export leaves no temporary behind; a file-size limit is a
  // write error.
  kelo::install_new_file_cleanup();
  return kelo::kelo_export_main(args, std::cout, std::cerr);
}
