// kelo-export: the headless exporter (see kelo_export_cli.h and --help).
#include <iostream>
#include <string>
#include <vector>

#include "core/export/kelo_export_cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; i++) args.emplace_back(argv[i]);
  return kelo::kelo_export_main(args, std::cout, std::cerr);
}
