#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/cmdline.h"
#include "core/base/misc.h"
#include "core/base/prefer.h"
#include "support/temp_dir.h"

using namespace kelo;

namespace {
// The preferences of the session whose command line is parsed.
PREFS prefs;

struct Parsed {
  CmdLine cmd;
  RECORD_INFO rec;
};

Parsed parse(std::vector<const char*> args) {
  args.insert(args.begin(), "kelo");
  Parsed p;
  prefs = PREFS{};
  parse_cmdline(static_cast<int>(args.size()), args.data(), &p.cmd, &p.rec, &prefs);
  return p;
}
}  // namespace

TEST(CmdLine, BareFileRuleAndValues) {
  // The picture file, whether it is fitted, and the south-north flag.
  const struct {
    std::vector<const char*> args;
    std::string file;
    bool fit, sn;
  } cases[] = {
      {{"pic.gif"}, "pic.gif", false, false},
      {{"-w", "800", "pic.gif"}, "pic.gif", false, false},
      {{"-sn", "pic.gif"}, "", false, true},  // the argument before the file begins with '-'
      {{}, "", false, false},
      {{"-log"}, "", false, false},
      {{"-i", "a.gif", "x", "b.gif"}, "a.gif", false, false},  // "-i" wins over a bare last argument
      {{"-I", "c.pgm"}, "c.pgm", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    Parsed p = parse(c.args);
    EXPECT_EQ(std::tie(p.cmd.file, p.cmd.fit_picture, p.cmd.south_north), std::tie(c.file, c.fit, c.sn));
  }
  parse({"-w", "800", "pic.gif"});
  EXPECT_EQ(prefs.main_w, 800);
  // Later occurrences override; a value option standing last has no effect.
  parse({"-h", "500", "-w", "300", "-h", "520"});
  EXPECT_EQ(std::tie(prefs.main_h, prefs.main_w), std::make_tuple(520, 300));
  parse({"-w"});
  EXPECT_EQ(prefs.main_w, 0);
  Parsed p = parse({"-speed", "250", "-slide", "list.txt"});
  EXPECT_EQ(std::tie(p.cmd.slide, p.cmd.slide_path, p.cmd.speed_given, p.cmd.speed),
            std::make_tuple(true, std::string("list.txt"), true, 250));
  EXPECT_FALSE(parse({"-slide"}).cmd.slide);
}

TEST(CmdLine, HelpAndVersionFirstMatchWins) {
  EXPECT_EQ(parse({"-w", "3", "-V"}).cmd.action, CmdLine::kVersion);
  EXPECT_EQ(parse({"-H", "-V"}).cmd.action, CmdLine::kUsage);
  EXPECT_EQ(parse({"-V", "--help"}).cmd.action, CmdLine::kVersion);
  EXPECT_EQ(parse({"--help"}).cmd.action, CmdLine::kUsage);
  EXPECT_EQ(parse({"-h", "5"}).cmd.action, CmdLine::kRun);  // -h is the height
}

TEST(CmdLine, RecordingRequests) {
  // The request, batch, stop when done, log to file.
  const struct {
    std::vector<const char*> args;
    std::string req;
    int batch, stop, log;
  } cases[] = {
      {{"-batch", "hrpt:a", "pic.gif"}, "hrpt:a", 1, 1, 0},
      {{"-cbatch", "chrpt:1290", "-log"}, "chrpt:1290", 1, 0, 1},  // ten characters, kept whole
      {{"-record", "xyz"}, "xyz", 0, 1, 0},
      {{"-crecord", "hri"}, "hri", 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    Parsed p = parse(c.args);
    EXPECT_EQ(std::tie(p.rec.request, p.rec.batch, p.rec.stop_when_done, prefs.log_to_file),
              std::tie(c.req, c.batch, c.stop, c.log));
  }
  const struct {
    const char* text;
    std::string sat, chan;
    bool colon;
  } reqs[] = {
      {"chrpt:1290", "chrpt", "1290", true}, {"hri", "hri", "", false}, {"hrpt:1:2", "hrpt", "1:2", true}};
  for (const auto& r : reqs) {
    SatRequest s = split_request(r.text);
    EXPECT_EQ(std::tie(s.sat, s.chan, s.has_colon), std::tie(r.sat, r.chan, r.colon)) << r.text;
  }
}
