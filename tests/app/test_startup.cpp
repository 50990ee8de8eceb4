#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/prefer.h"
#include "app/startup.h"
#include "support/temp_dir.h"

using namespace kelo;

namespace {
std::string opened(const CmdLine& cmd, PIC_INFO* pic, VIEW_INFO* view, int* rc) {
  char* buf = nullptr;
  size_t len = 0;
  FILE* mem = open_memstream(&buf, &len);
  *rc = open_cmdline_picture(cmd, pic, view, mem);
  std::fclose(mem);
  std::string out(buf, len);
  std::free(buf);
  return out;
}
}  // namespace

TEST(Startup, CommandLinePictureMessages) {
  test::TempDir dir;
  PIC_INFO pic;
  VIEW_INFO view;
  CmdLine cmd;
  int rc = -1;

  cmd.file = dir.file("missing.gif");
  EXPECT_EQ(opened(cmd, &pic, &view, &rc), "ERROR: Can't open " + cmd.file + "\n");
  EXPECT_EQ(rc, 1);

  cmd.file = dir.write("notes.txt", "plain text, no picture");
  EXPECT_EQ(opened(cmd, &pic, &view, &rc), "ERROR: " + cmd.file + " is unknown file type.\n");
  EXPECT_EQ(rc, 1);

  // A recording whose header is cut short: a read problem, shown as
  // character and number.
  cmd.file = dir.write("short.dat", "HRPT" + std::string(100, '\0'));
  EXPECT_EQ(opened(cmd, &pic, &view, &rc), "ERROR: Problem with reading " + cmd.file + " (code r = 114).\n");
  EXPECT_EQ(rc, 1);
  EXPECT_FALSE(pic.pic_fp);  // no file stays open after a failed open

  cmd.file.clear();
  EXPECT_EQ(opened(cmd, &pic, &view, &rc), "");
  EXPECT_EQ(rc, 0);
}

TEST(Startup, FitAndSouthNorth) {
  test::TempDir dir;
  // A 3 x 2 grey picture.
  std::string pgm = "P5\n3 2\n255\n";
  pgm += std::string("\x01\x02\x03\x04\x05\x06", 6);
  PIC_INFO pic;
  VIEW_INFO view;
  CmdLine cmd;
  cmd.file = dir.write("small.pgm", pgm);
  cmd.fit_picture = true;
  cmd.south_north = true;
  prefs = PREFS{};
  int rc = -1;
  EXPECT_EQ(opened(cmd, &pic, &view, &rc), "");
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(pic.width, 3);
  EXPECT_EQ(prefs.canvas_w, 3);
  EXPECT_EQ(prefs.canvas_h, 2);
  EXPECT_EQ(view.scan_dir, 2);
  EXPECT_EQ(view.orientation, 4);
}
