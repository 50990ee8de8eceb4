// The headless exporter's command line: information, frame headers, probes,
// exports with naming and overwrite rules, and its error lines.
#include "core/export/kelo_export_cli.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/export/cli_run.h"
#include "core/export/hrpt_fixture.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::CliRun;
using test::run;

class ExportCli : public ::testing::Test {
 protected:
  void SetUp() override {
    shape.width = 64;
    shape.lines = 20;
    ASSERT_TRUE(test::write_fixture(dir.file("in.10b"), shape));
  }
  test::TempDir dir;
  test::ScopedCwd cwd{dir.path()};
  test::FixtureShape shape;
};

TEST(ExportCliLine, HelpAndBadCommandLines) {
  CliRun h = run({"--help"});
  EXPECT_EQ(h.rc, 0);
  EXPECT_EQ(h.out.rfind("Usage: kelo-export [options] PICTURE\n", 0), 0u);
  EXPECT_NE(h.out.find("--probe X,Y"), std::string::npos);
  EXPECT_EQ(h.err, "");

  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  for (const Case& c : std::vector<Case>{
           {{"--bogus"}, "ERROR: unknown option --bogus (see --help)\n"},
           {{"a.10b", "--render", "0x10"}, "ERROR: --render needs WxH, each 1 to 16384\n"},
           {{"a.10b", "-c", "11"}, "ERROR: -c: channel '11' is not 1 to 10\n"},
           {{"a.10b", "--type", "tiff"},
            "ERROR: --type: 'tiff' is not hrpt, ppm, pgm, pgm1, gif or png (or geotiff)\n"},
           {{"a.10b", "--lonlat", "1,x"}, "ERROR: --lonlat: '1,x' is not a list of whole numbers\n"},
           {{"a.10b", "b.10b"}, "ERROR: only one picture file, got 'a.10b' and 'b.10b'\n"},
           {{"a.10b", "-o"}, "ERROR: -o needs a value\n"},
       }) {
    CliRun r = run(c.args);
    EXPECT_EQ(r.rc, 2) << c.err;
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
  CliRun none = run({});
  EXPECT_EQ(none.rc, 1);
  EXPECT_EQ(none.err, "ERROR: no picture file given (see --help)\n");
}

TEST_F(ExportCli, InfoAndFrameHeaders) {
  CliRun r = run({"in.10b", "--info", "--frame", "1"});
  EXPECT_EQ(r.rc, 0) << r.err;
  // The recorder's header keeps the computer time; no satellite time yet.
  EXPECT_EQ(r.out,
            " File      : in.10b\n"
            " Type      : HRPT\n"
            " Satellite : NOAA 19\n"
            " Sat time  : unknown\n"
            " Rec. time : Thu Mar  5 12:34:56 2009\n"
            " Used time : Thu Mar  5 12:34:56 2009\n"
            " Channels  : 1 2 3 4 5\n"
            " Offset    :    0 x    0\n"
            " Size      :   64 x   20\n"
            " ---------------------------------\n"
            " Frame     : 1\n"
            " Sync      : 284 16f 35c 19d 20f 95\n"
            " Space craft address: f --> NOAA 19\n"
            " Channel 3 type: Ch3A\n"
            "\n"
            " TIME     : day 150  12:34:56\n");
  EXPECT_EQ(r.err, "");

  CliRun past = run({"in.10b", "--frame", "20"});
  EXPECT_EQ(past.rc, 1);
  EXPECT_EQ(past.out, " ---------------------------------\n End of file.\n");
  EXPECT_EQ(past.err, "ERROR: line 20 is past the end of in.10b\n");

  CliRun missing = run({"nope.10b", "--info"});
  EXPECT_EQ(missing.rc, 1);
  EXPECT_EQ(missing.err, "ERROR: can't open file (111) in nope.10b\n");

  test::TempDir other;
  std::string pgm = other.write("p.pgm", std::string("P5\n2 1\n255\n") + '\x10' + '\x20');
  CliRun nohdr = run({pgm, "--frame", "0"});
  EXPECT_EQ(nohdr.rc, 1);
  EXPECT_EQ(nohdr.err, "ERROR: no frame header recorded in " + pgm + "\n");
}

TEST_F(ExportCli, ProbeShowsEveryChannelAndTheThermalOnes) {
  CliRun r = run({"in.10b", "--probe", "5,2"});
  ASSERT_EQ(r.rc, 0) << r.err;
  std::istringstream lines(r.out);
  std::string line;
  std::vector<std::string> got;
  while (std::getline(lines, line)) got.push_back(line);
  ASSERT_EQ(got.size(), 9u) << r.out;
  EXPECT_EQ(got[0], "pixel 5,2");
  for (int ch = 1; ch <= 5; ch++)
    EXPECT_EQ(got[static_cast<size_t>(ch)],
              "ch" + std::to_string(ch) + " " + std::to_string(test::fixture_sample(2, ch, 5)));
  for (int ch = 3; ch <= 5; ch++)
    EXPECT_EQ(got[static_cast<size_t>(ch + 3)].rfind("temp" + std::to_string(ch) + " ", 0), 0u) << r.out;

  // The fixture's last record (line 19) has no record after it, and is whole.
  CliRun last = run({"in.10b", "--probe", "5,19"});
  EXPECT_EQ(last.rc, 0) << last.err;
  EXPECT_NE(last.out.find("ch4 " + std::to_string(test::fixture_sample(19, 4, 5))), std::string::npos)
      << last.out;
  EXPECT_EQ(run({"in.10b", "--frame", "19"}).rc, 0);

  CliRun out = run({"in.10b", "--probe", "64,0"});
  EXPECT_EQ(out.rc, 1);
  EXPECT_EQ(out.err, "ERROR: pixel 64,0 is outside the picture (64 x 20)\n");

  CliRun ll = run({"in.10b", "--lonlat", "3,3"});
  EXPECT_EQ(ll.rc, 1);
  EXPECT_EQ(ll.err, "ERROR: no orbit for in.10b (Kepler elements and line timing needed)\n");
}

TEST_F(ExportCli, ExportsNamesAndNeverOverwritesUnasked) {
  CliRun a = run({"in.10b", "-c", "4", "-o", "a.pgm", "--zoom", "2", "--origin", "3,4"});
  ASSERT_EQ(a.rc, 0) << a.err;
  EXPECT_EQ(a.out, "Saved in a.pgm; bitshift=0.\n");
  std::string b = test::read_file("a.pgm");
  std::string head = "P5\n#Created by kelo\n32 10\n1023\n";
  ASSERT_EQ(b.substr(0, head.size()), head);
  ASSERT_EQ(b.size(), head.size() + 32u * 10u * 2u);
  EXPECT_EQ(test::pgm16_sample(b, head.size(), 32, 0, 0), test::fixture_sample(4, 4, 3));
  EXPECT_EQ(test::pgm16_sample(b, head.size(), 32, 31, 9), test::fixture_sample(13, 4, 34));

  // Again without --force: refused, the file stays as it was.
  CliRun again = run({"in.10b", "-c", "1", "-o", "a.pgm"});
  EXPECT_EQ(again.rc, 1);
  EXPECT_EQ(again.err, "ERROR: file a.pgm exists; give --force to overwrite it\n");
  EXPECT_EQ(test::read_file("a.pgm"), b);
  CliRun forced = run({"in.10b", "-c", "1", "-o", "a.pgm", "--force"});
  EXPECT_EQ(forced.rc, 0) << forced.err;
  EXPECT_NE(test::read_file("a.pgm"), b);

  // A free name from the typed one: everything from its first dot goes.
  std::filesystem::remove("pass01.gif");
  CliRun n1 = run({"in.10b", "-o", "pass.x.gif", "--new-name", "-c", "2"});
  EXPECT_EQ(n1.rc, 0) << n1.err;
  EXPECT_EQ(n1.out, "Saved in pass01.gif; bitshift=-2.\n");

  // Without a name: dumpNN with the extension of the kind (the source's own
  // recording kind by default).
  CliRun d = run({"in.10b", "-c", "1,3"});
  EXPECT_EQ(d.rc, 0) << d.err;
  EXPECT_EQ(d.out, "Saved in dump01.10b; bitshift=0.\n");
  std::string rec = test::read_file("dump01.10b");
  EXPECT_EQ(rec.substr(0, 4), "HRPT");
  EXPECT_EQ(rec.substr(269, 6), std::string("\1\1\0\1\0\0", 6));

  // Exchange pictures hold one channel.
  CliRun two = run({"in.10b", "-c", "1,2", "-o", "two.gif"});
  EXPECT_EQ(two.rc, 1);
  EXPECT_EQ(two.err, "ERROR: PPM, PGM and GIF pictures hold one channel; choose one with --channel\n");
  EXPECT_FALSE(std::filesystem::exists("two.gif"));

  // The kind follows the extension; --type overrides it.
  CliRun t = run({"in.10b", "-c", "1", "-o", "t.ppm"});
  EXPECT_EQ(t.rc, 0) << t.err;
  EXPECT_EQ(test::read_file("t.ppm").substr(0, 3), "P6\n");
  CliRun t2 = run({"in.10b", "-c", "1", "-o", "t.img", "--type", "pgm1"});
  EXPECT_EQ(t2.rc, 0) << t2.err;
  const std::string img = test::read_file("t.img");
  ASSERT_EQ(img.size(), 30u + 64u * 20u);
  EXPECT_EQ(img.substr(0, 30), "P5\n#Created by kelo\n64 20\n255\n");
  // The last record, with no record after it, is exported like every other.
  EXPECT_EQ(static_cast<unsigned char>(img.back()), test::fixture_sample(19, 1, 63) >> 2);

  // What the export itself refuses is the one error line, nothing else.
  CliRun nodir = run({"in.10b", "-c", "1", "-o", "no/such/x.gif"});
  EXPECT_EQ(std::tie(nodir.rc, nodir.out, nodir.err),
            std::make_tuple(1, std::string(),
                            std::string("ERROR: Can't create no/such/x.gif: No such file or directory.\n")));
}

TEST_F(ExportCli, OnlyRegularFilesAreReadAndOnlyFreeNamesWritten) {
  ASSERT_EQ(mkfifo("fifo", 0600), 0);  // no writer: opening it would wait forever
  for (const std::string& src : {std::string("fifo"), std::string("/dev/null"), dir.path()}) {
    CliRun r = run({src, "--info"});
    EXPECT_EQ(std::tie(r.rc, r.err), std::make_tuple(1, "ERROR: " + src + " is not a regular file\n"));
  }
  // A link that leads nowhere is a name taken; and the working file of an
  // earlier render, a link to another file, is neither used nor removed.
  std::filesystem::create_symlink("nowhere.gif", "dangling.gif");
  CliRun d = run({"in.10b", "-c", "2", "-o", "dangling.gif"});
  EXPECT_EQ(d.err, "ERROR: file dangling.gif exists; give --force to overwrite it\n");
  EXPECT_FALSE(std::filesystem::exists("nowhere.gif"));
  std::filesystem::create_symlink(dir.write("other.txt", "kept"), "r.ppm.part");
  EXPECT_EQ(run({"in.10b", "--render", "32x10", "-o", "r.ppm"}).rc, 0);
  EXPECT_EQ(test::read_file("other.txt"), "kept");
  EXPECT_EQ(test::read_file("r.ppm").substr(0, 12), "P6\n32 10\n255");
}

TEST_F(ExportCli, RenderDrawsWhatTheMainWindowShows) {
  // Full view of channel 1 on a canvas of the picture's size: each level v
  // takes palette entry v * 256 / 1023 of the grey ramp.
  CliRun r = run({"in.10b", "--render", "64x20", "-o", "view.ppm"});
  ASSERT_EQ(r.rc, 0) << r.err;
  EXPECT_EQ(r.out, "Rendered in view.ppm.\n");
  std::string b = test::read_file("view.ppm");
  std::string head = "P6\n64 20\n255\n";
  ASSERT_EQ(b.substr(0, head.size()), head);
  ASSERT_EQ(b.size(), head.size() + 64u * 20u * 3u);
  auto px = [&](const std::string& bytes, int x, int y, int c) {
    return static_cast<unsigned char>(bytes[head.size() + static_cast<size_t>((y * 64 + x) * 3 + c)]);
  };
  for (int y = 0; y < 20; y++)
    for (int x = 0; x < 64; x++) {
      int want = std::min(test::fixture_sample(y, 1, x) * 256 / 1023, 255);
      ASSERT_EQ(px(b, x, y, 0), want) << x << "," << y;
      ASSERT_EQ(px(b, x, y, 2), want) << x << "," << y;
    }

  // A luminance window of 100..611 and inverted: the index counts down.
  CliRun inv =
      run({"in.10b", "--render", "64x20", "-o", "inv.ppm", "--lum", "100,611", "--invert", "-c", "2"});
  ASSERT_EQ(inv.rc, 0) << inv.err;
  std::string ib = test::read_file("inv.ppm");
  ASSERT_EQ(ib.size(), b.size());
  for (int y = 0; y < 20; y += 3)
    for (int x = 0; x < 64; x += 5) {
      int v = test::fixture_sample(y, 2, x);
      int idx = v < 100 ? 0 : v > 611 ? 255 : std::min((v - 100) * 256 / 511, 255);
      ASSERT_EQ(px(ib, x, y, 1), 255 - idx) << x << "," << y << " level " << v;
    }
}

TEST_F(ExportCli, InfoOfEveryKindOfFile) {
  test::FixtureShape fy;
  fy.kind = kKindCHRPT;
  fy.sat_name = "FENGYUN 1D";
  for (int& p : fy.presence) p = 1;
  fy.id_word = 13 << 6;
  fy.width = 16;
  fy.lines = 4;
  ASSERT_TRUE(test::write_fixture("c.10b", fy));
  CliRun c = run({"c.10b", "--info", "--frame", "0"});
  ASSERT_EQ(c.rc, 0) << c.err;
  // The lines an HRPT recording has too are checked above; a FengYun frame
  // names its satellite from bits 9-6 and says nothing of channel 3.
  for (const char* line : {" Type      : CHRPT\n", " Channels  : 1 2 3 4 5 6 7 8 9 10\n",
                           " Space craft address: d --> FENGYUN 1D\n\n TIME     : day 150  12:34:56\n"})
    EXPECT_NE(c.out.find(line), std::string::npos) << c.out;

  dir.write("p.pgm", std::string("P5\n3 2\n255\n") + std::string(6, '\x40'));
  CliRun p = run({"p.pgm", "--info"});
  ASSERT_EQ(p.rc, 0) << p.err;
  EXPECT_EQ(p.out, " File      : p.pgm\n Type      : PGM (8 bits)\n Size      :    3 x    2\n");
  // A PGM deeper than the 12-bit tables says that its top 12 bits are shown.
  dir.write("deep.pgm", std::string("P5\n3 1\n65535\n") + std::string(6, '\x40'));
  CliRun deep = run({"deep.pgm", "--info"});
  ASSERT_EQ(deep.rc, 0) << deep.err;
  EXPECT_EQ(deep.out,
            " File      : deep.pgm\n Type      : PGM (12 bits)\n Size      :    3 x    1\n"
            " Samples   : 16 bits, the top 12 kept\n");
  // A colour picture's probe gives its three colours.
  dir.write("c.ppm", std::string("P6\n2 1\n255\n") + "\x01\x02\x03\xfa\xfb\xfc");
  CliRun rgb = run({"c.ppm", "--probe", "1,0"});
  EXPECT_EQ(std::tie(rgb.rc, rgb.out), std::make_tuple(0, std::string("pixel 1,0\nrgb 250,251,252\n")));
}

// Standard output and error are for scripts: the preference file read is
// named only with --verbose.
TEST_F(ExportCli, PreferenceFileIsToldOnlyWhenVerbose) {
  test::ScopedEnv home("HOME", dir.path());
  dir.write(".kelorc", "Font_size = 11\n");
  for (bool verbose : {false, true}) {
    std::ostringstream out, err;
    std::vector<std::string> args = {"in.10b", "--info"};
    if (verbose) args.push_back("--verbose");
    ASSERT_EQ(kelo_export_main(args, out, err), 0) << err.str();
    EXPECT_EQ(err.str(), verbose ? "Preference file " + dir.file(".kelorc") + " found.\n" : "");
  }
}

TEST_F(ExportCli, AutomaticLuminanceWindowSetsTheShift) {
  // Channel 1 of the fixture spans levels 97 .. 381: the window found from
  // the histogram ends below 512, so a GIF needs one bit of shift (the
  // full 0 .. 1023 window needs two, as above).
  CliRun autol = run({"in.10b", "-c", "1", "-o", "auto.gif", "--auto-lum"});
  EXPECT_EQ(autol.rc, 0) << autol.err;
  EXPECT_EQ(autol.out, "Saved in auto.gif; bitshift=-1.\n");
  // Channel 10 is not in an HRPT recording.
  CliRun none = run({"in.10b", "--weight", "10=1,1,1", "-o", "m.ppm"});
  EXPECT_EQ(none.rc, 1);
  EXPECT_EQ(none.err, "ERROR: channel 10 is not in in.10b\n");
}

TEST_F(ExportCli, HriChannelExportTakesThatChannelsLines) {
  // Segments alternate channel 1 (even) and 2 (odd); each carries the
  // planted pattern of its segment number.
  dir.write("m.hri", test::grid_hri_stream().bytes());
  for (int ch : {1, 2}) {
    std::string name = "ch" + std::to_string(ch) + ".pgm";
    CliRun r = run({"m.hri", "-c", std::to_string(ch), "-o", name});
    ASSERT_EQ(r.rc, 0) << r.err;
    std::string b = test::read_file(name);
    std::string head = "P5\n#Created by kelo\n1250 14\n255\n";
    ASSERT_EQ(b.substr(0, head.size()), head) << name;
    ASSERT_EQ(b.size(), head.size() + 1250u * 14u) << name;
    // The picture starts after the start frame: line n of channel 1 is
    // segment 12 + 2n, of channel 2 segment 13 + 2n.
    for (int y : {0, 5, 13})
      for (int i : {0, 1, 500, 1249})
        EXPECT_EQ(static_cast<unsigned char>(
                      b[head.size() + static_cast<size_t>(y) * 1250 + static_cast<size_t>(i)]),
                  test::pixel_value(11 + ch + 2 * y, i))
            << name << " line " << y << " pixel " << i;
  }
}

// Central angle in degrees between two "lon,lat" texts (degrees).
double arc_between(const std::string& a, const std::string& b) {
  double lon1 = 0, lat1 = 0, lon2 = 0, lat2 = 0;
  char c = 0;
  std::istringstream(a) >> lon1 >> c >> lat1;
  std::istringstream(b) >> lon2 >> c >> lat2;
  const double rad = 3.14159265358979 / 180.0;
  double h = std::pow(std::sin((lat2 - lat1) * rad / 2), 2) +
             std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::pow(std::sin((lon2 - lon1) * rad / 2), 2);
  return 2 * std::asin(std::sqrt(h)) / rad;
}

TEST(ExportCliOrbit, PositionsFollowTheGroundTrack) {
  test::TempDir dir;
  test::ScopedCwd cwd(dir.path());
  test::FixtureShape shape;
  shape.width = 2048;
  shape.lines = 20;
  shape.presence[0] = 0;
  ASSERT_TRUE(test::noaa19_pass_2020(&shape, 3, 0));  // half an hour after the elements
  ASSERT_TRUE(test::write_fixture("orbit.10b", shape));

  auto where = [](const std::string& xy) {
    CliRun r = run({"orbit.10b", "--lonlat", xy});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), ','), 1) << r.out;
    return r.out;
  };
  const std::string first = where("1024,0");
  // Positions in degrees: across the scan (+-55.4 degrees from 850 km) the swath is some 26
  // degrees of arc wide.
  double across = arc_between(where("0,0"), where("2047,0"));
  EXPECT_GT(across, 20.0);
  EXPECT_LT(across, 32.0);

  // The grid burnt into an export lies where the main window draws it.
  CliRun g = run({"orbit.10b", "-c", "4", "--grid", "--grid-color", "0,255,0", "-o", "grid.ppm"});
  ASSERT_EQ(g.rc, 0) << g.err;
  CliRun s = run({"orbit.10b", "-c", "4", "--grid", "--grid-color", "0,255,0", "--render", "2048x20", "-o",
                  "screen.ppm"});
  ASSERT_EQ(s.rc, 0) << s.err;
  std::string gb = test::read_file("grid.ppm"), sb = test::read_file("screen.ppm");
  std::string ghead = "P6\n#Created by kelo\n2048 20\n255\n", shead = "P6\n2048 20\n255\n";
  ASSERT_EQ(gb.substr(0, ghead.size()), ghead);
  ASSERT_EQ(sb.substr(0, shead.size()), shead);
  int grid_pixels = 0;
  auto rgb_is = [](const std::string& b, size_t at, int r, int gr, int bl) {
    return static_cast<unsigned char>(b[at]) == r && static_cast<unsigned char>(b[at + 1]) == gr &&
           static_cast<unsigned char>(b[at + 2]) == bl;
  };
  for (size_t i = 0; i < 2048u * 20u; i++) {
    // The screen draws grid lines green and their labels white; the export
    // marks both in the grid colour.
    bool in_export = rgb_is(gb, ghead.size() + 3 * i, 0, 255, 0);
    bool line_on_screen = rgb_is(sb, shead.size() + 3 * i, 0, 255, 0);
    bool label_on_screen = rgb_is(sb, shead.size() + 3 * i, 255, 255, 255);
    if (line_on_screen) {
      ASSERT_TRUE(in_export) << "pixel " << i % 2048 << "," << i / 2048;
    }
    if (in_export) {
      ASSERT_TRUE(line_on_screen || label_on_screen) << "pixel " << i % 2048 << "," << i / 2048;
    }
    grid_pixels += in_export ? 1 : 0;
  }
  EXPECT_GT(grid_pixels, 18 * 5) << "five meridians cross the swath";
  EXPECT_LT(grid_pixels, 2048 * 20 / 10);

  // The probe tells the same position.
  CliRun p = run({"orbit.10b", "--probe", "1024,0"});
  ASSERT_EQ(p.rc, 0) << p.err;
  EXPECT_NE(p.out.find("lonlat " + first), std::string::npos) << p.out;
}

}  // namespace
}  // namespace kelo
