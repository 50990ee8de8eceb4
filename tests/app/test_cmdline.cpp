#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cmdline.h"
#include "app/misc.h"
#include "app/prefer.h"

using namespace kelo;

namespace {
struct Parsed {
  CmdLine cmd;
  RECORD_INFO rec;
};

Parsed parse(std::vector<const char*> args) {
  args.insert(args.begin(), "kelo");
  Parsed p;
  prefs = PREFS{};
  parse_cmdline(static_cast<int>(args.size()), args.data(), &p.cmd, &p.rec);
  set_log_to_file(false);
  return p;
}
}  // namespace

TEST(CmdLine, BareFileRule) {
  EXPECT_EQ(parse({"pic.gif"}).cmd.file, "pic.gif");
  Parsed p = parse({"-w", "800", "pic.gif"});
  EXPECT_EQ(p.cmd.file, "pic.gif");
  EXPECT_EQ(prefs.main_w, 800);
  p = parse({"-sn", "pic.gif"});
  EXPECT_EQ(p.cmd.file, "");  // the argument before the file begins with '-'
  EXPECT_TRUE(p.cmd.south_north);
  EXPECT_EQ(parse({}).cmd.file, "");
  EXPECT_EQ(parse({"-log"}).cmd.file, "");
  // "-i" wins over a bare last argument.
  p = parse({"-i", "a.gif", "x", "b.gif"});
  EXPECT_EQ(p.cmd.file, "a.gif");
  EXPECT_FALSE(p.cmd.fit_picture);
  p = parse({"-I", "c.pgm"});
  EXPECT_EQ(p.cmd.file, "c.pgm");
  EXPECT_TRUE(p.cmd.fit_picture);
}

TEST(CmdLine, ValuesAndLaterOccurrencesOverride) {
  Parsed p = parse({"-h", "500", "-w", "300", "-h", "520"});
  EXPECT_EQ(prefs.main_h, 520);
  EXPECT_EQ(prefs.main_w, 300);
  // A value option standing last has no effect.
  p = parse({"-w"});
  EXPECT_EQ(prefs.main_w, 0);
  p = parse({"-speed", "250", "-slide", "x"});
  EXPECT_TRUE(p.cmd.slide);
  EXPECT_TRUE(p.cmd.speed_given);
  EXPECT_EQ(p.cmd.speed, 250);
  p = parse({"-slide"});
  EXPECT_FALSE(p.cmd.slide);
}

TEST(CmdLine, HelpAndVersionFirstMatchWins) {
  EXPECT_EQ(parse({"-w", "3", "-V"}).cmd.action, CmdLine::kVersion);
  EXPECT_EQ(parse({"-H", "-V"}).cmd.action, CmdLine::kUsage);
  EXPECT_EQ(parse({"-V", "--help"}).cmd.action, CmdLine::kVersion);
  EXPECT_EQ(parse({"--help"}).cmd.action, CmdLine::kUsage);
  EXPECT_EQ(parse({"-h", "5"}).cmd.action, CmdLine::kRun);  // -h is the height
}

TEST(CmdLine, RecordingRequests) {
  Parsed p = parse({"-batch", "hrpt:a", "pic.gif"});
  EXPECT_EQ(p.rec.request, "hrpt:a");
  EXPECT_EQ(p.rec.batch, 1);
  EXPECT_EQ(p.rec.stop_when_done, 1);
  p = parse({"-cbatch", "chrpt:1290", "-log"});
  EXPECT_EQ(p.rec.request, "chrpt:1290");  // ten characters, kept whole
  EXPECT_EQ(p.rec.batch, 1);
  EXPECT_EQ(p.rec.stop_when_done, 0);
  EXPECT_EQ(prefs.log_to_file, 1);
  p = parse({"-record", "xyz"});
  EXPECT_EQ(p.rec.request, "xyz");
  EXPECT_EQ(p.rec.batch, 0);
  EXPECT_EQ(p.rec.stop_when_done, 1);
  p = parse({"-crecord", "hri"});
  EXPECT_EQ(p.rec.stop_when_done, 0);

  SatRequest r = split_request("chrpt:1290");
  EXPECT_EQ(r.sat, "chrpt");
  EXPECT_EQ(r.chan, "1290");
  EXPECT_TRUE(r.has_colon);
  r = split_request("hri");
  EXPECT_EQ(r.sat, "hri");
  EXPECT_EQ(r.chan, "");
  EXPECT_FALSE(r.has_colon);
  r = split_request("hrpt:1:2");
  EXPECT_EQ(r.chan, "1:2");
}

TEST(CmdLine, UsageAndVersionTexts) {
  char* buf = nullptr;
  size_t len = 0;
  FILE* mem = open_memstream(&buf, &len);
  usage(mem, "./kelo");
  version(mem);
  std::fclose(mem);
  std::string text(buf, len);
  std::free(buf);
  EXPECT_EQ(text.substr(0, 63), std::string(62, '*') + "\n");
  EXPECT_NE(text.find("* Weather satellite program for HRPT/CHRPT/HRI.\n"), std::string::npos);
  EXPECT_NE(text.find("* Release: 2010.beta\n"), std::string::npos);
  EXPECT_NE(text.find("*" + std::string(61, '-') + "\n"), std::string::npos);
  EXPECT_NE(text.find("*        ./kelo <options>\n"), std::string::npos);
  EXPECT_NE(text.find("(default 400)"), std::string::npos);
  EXPECT_NE(text.find("(default 300)"), std::string::npos);
  EXPECT_NE(text.find("*Examples:\n"), std::string::npos);
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    EXPECT_EQ(text[start], '*') << text.substr(start, nl - start);
    start = nl + 1;
  }
  EXPECT_NE(text.find("* Version: 2010.beta\n"), std::string::npos);
}
