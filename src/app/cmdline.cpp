#include "app/cmdline.h"

#include <cstdlib>
#include <cstring>

#include "core/base/misc.h"
#include "core/base/prefer.h"
#include "core/record/port.h"

namespace kelo {

namespace {
bool is(const char* arg, const char* opt) { return arg != nullptr && std::strcmp(arg, opt) == 0; }

constexpr int kRuleWidth = 62;
}  // namespace

void parse_cmdline(int argc, const char* const* argv, CmdLine* cmd, RECORD_INFO* record, PREFS* prefs) {
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* prev = argv[i - 1];
    // Options with a value: the argument before this one names the option.
    if (i >= 2) {
      if (is(prev, "-i") || is(prev, "-I")) {
        cmd->file = arg;
        cmd->file_by_option = true;
        cmd->fit_picture = is(prev, "-I");
      } else if (is(prev, "-w")) {
        prefs->main_w = std::atoi(arg);
      } else if (is(prev, "-h")) {
        prefs->main_h = std::atoi(arg);
      } else if (is(prev, "-record") || is(prev, "-crecord") || is(prev, "-batch") || is(prev, "-cbatch")) {
        record->request = arg;  // kept whole: "chrpt:1290" is ten characters
        record->stop_when_done = is(prev, "-record") || is(prev, "-batch");
        record->batch = is(prev, "-batch") || is(prev, "-cbatch");
      } else if (is(prev, "-slide")) {
        cmd->slide = true;
        cmd->slide_path = arg;
      } else if (is(prev, "-speed")) {
        cmd->speed = std::atoi(arg);
        cmd->speed_given = true;
      } else if (is(prev, "-decoder")) {
        cmd->decoder = arg;
        std::string error;
        cmd->bad_decoder = apply_decoder_choice(arg, record, &error) != 0;
        if (cmd->bad_decoder) std::fprintf(stderr, "ERROR: %s\n", error.c_str());
      }
    }
    // Switches, where they stand. The first help or version request wins.
    if (is(arg, "-H") || is(arg, "--help")) {
      cmd->action = CmdLine::kUsage;
      return;
    }
    if (is(arg, "-V")) {
      cmd->action = CmdLine::kVersion;
      return;
    }
    if (is(arg, "-sn")) cmd->south_north = true;
    if (is(arg, "-log")) {
      prefs->log_to_file = 1;
    }
  }
  // A bare file name: the last argument, when neither it nor the one before
  // it begins with '-'.
  if (!cmd->file_by_option && argc >= 2 && argv[argc - 1][0] != '-' && argv[argc - 2][0] != '-')
    cmd->file = argv[argc - 1];
}

void usage(FILE* out, const char* progname) {
  std::string rule(kRuleWidth, '*');
  std::string dashes = "*" + std::string(kRuleWidth - 1, '-');
  std::fprintf(out, "%s\n", rule.c_str());
  std::fprintf(out, "* Weather satellite program for HRPT/CHRPT/HRI.\n");
  std::fprintf(out, "* Release: %s\n", kVersionText);
  std::fprintf(out, "* Records and shows the passes of your own receiving station.\n");
  std::fprintf(out, "%s\n", dashes.c_str());
  std::fprintf(out, "* Usage:\n");
  std::fprintf(out, "*        %s <options>\n", progname);
  std::fprintf(out, "*        <options>:\n");
  std::fprintf(out, "*          -i <file>           picture file to show\n");
  std::fprintf(out, "*          -I <file>           as -i, canvas sized to the picture\n");
  std::fprintf(out, "*          -sn                 show the picture south-north\n");
  std::fprintf(out, "*          -w <width>          main window width (default 400)\n");
  std::fprintf(out, "*          -h <height>         main window height (default 300)\n");
  std::fprintf(out, "*          -H, --help          this text\n");
  std::fprintf(out, "*          -V                  version\n");
  std::fprintf(out, "*          -record <sat:chan>  record when the window is up; stop when done\n");
  std::fprintf(out, "*              sat : hrpt, chrpt or hri\n");
  std::fprintf(out, "*              chan: hrpt 1..5, chrpt 1..9 and 0 (channel 10),\n");
  std::fprintf(out, "*                    a = all channels, g = generator (test) mode\n");
  std::fprintf(out, "*          -crecord <sat:chan> as -record, but record \"forever\"\n");
  std::fprintf(out, "*          -batch <sat:chan>   record without any window; stop when done\n");
  std::fprintf(out, "*          -cbatch <sat:chan>  as -batch, but record \"forever\"\n");
  std::fprintf(out, "*          -log                batch messages to kelo.log in the home directory\n");
  std::fprintf(out, "*          -slide <series>     show a film or slide list when the window is up\n");
  std::fprintf(out, "*          -speed <ms>         film show step time\n");
  std::fprintf(out, "*          -decoder <how>      how the decoder is reached:\n");
  std::fprintf(out, "*              auto (default: ppdev if present, else direct),\n");
  std::fprintf(out, "*              ppdev, direct, emulator[:<source>]\n");
  std::fprintf(out, "*              source: pattern, noaa, chrpt, hri or a file to replay\n");
  std::fprintf(out, "*                      (.raw16, .hrp, HRPT1, HRI1, raw dump),\n");
  std::fprintf(out, "*                      options after commas, e.g. noaa,sat=19,realtime\n");
  std::fprintf(out, "*Examples:\n");
  std::fprintf(out, "*        kelo -record hrpt:124\n");
  std::fprintf(out, "*        kelo -record chrpt:1290\n");
  std::fprintf(out, "*        kelo -record hrpt:a\n");
  std::fprintf(out, "*        kelo -record hri\n");
  std::fprintf(out, "*        kelo -record hrpt:ag\n");
  std::fprintf(out, "*        kelo -decoder emulator:noaa,frames=3000 -batch hrpt:a\n");
  std::fprintf(out, "%s\n", rule.c_str());
}

void version(FILE* out) { std::fprintf(out, "* Version: %s\n", kVersionText); }

}  // namespace kelo
