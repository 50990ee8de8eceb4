#include <gtest/gtest.h>

#include <string>

#include "app/startup.h"
#include "core/base/prefer.h"
#include "support/temp_dir.h"

using namespace kelo;

namespace {
// The preferences of the session that opens the picture.
PREFS prefs;

// The messages of opening cmd's picture, and its result.
std::string opened(const CmdLine& cmd, PIC_INFO* pic, VIEW_INFO* view, int* rc) {
  return test::captured([&](FILE* f) { *rc = open_cmdline_picture(cmd, pic, view, &prefs, f); });
}
}  // namespace

TEST(Startup, CommandLinePictureMessages) {
  test::TempDir dir;
  PIC_INFO pic;
  VIEW_INFO view;
  CmdLine cmd;
  int rc = -1;
  const std::string missing = dir.file("missing.gif"),
                    text = dir.write("notes.txt", "plain text, no picture");
  // A recording whose header is cut short: a read problem, shown as character and number.
  const std::string cut = dir.write("short.dat", "HRPT" + std::string(100, '\0'));
  const std::pair<std::string, std::string> cases[] = {
      {missing, "ERROR: Can't open " + missing + "\n"},
      {text, "ERROR: " + text + " is unknown file type.\n"},
      {cut, "ERROR: Problem with reading " + cut + " (code r = 114).\n"},
  };
  for (const auto& [file, message] : cases) {
    cmd.file = file;
    EXPECT_EQ(opened(cmd, &pic, &view, &rc), message);
    EXPECT_EQ(rc, 1);
    EXPECT_FALSE(pic.pic_fp);  // no file stays open after a failed open
  }
  cmd.file.clear();
  EXPECT_EQ(opened(cmd, &pic, &view, &rc), "");
  EXPECT_EQ(rc, 0);

  // A 3 x 2 grey picture, fitted and shown south-north.
  cmd.file = dir.write("small.pgm", "P5\n3 2\n255\n" + std::string("\x01\x02\x03\x04\x05\x06", 6));
  cmd.fit_picture = cmd.south_north = true;
  prefs = PREFS{};
  EXPECT_EQ(opened(cmd, &pic, &view, &rc), "");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(std::make_tuple(pic.width, prefs.canvas_w, prefs.canvas_h, view.scan_dir, view.orientation),
            std::make_tuple(3, 3, 2, ScanDir::BottomUp, Orientation::FromSouth));
}
