// Real pictures through kelo-export, checked against ImageMagick: what we
// write must decode, in ImageMagick, to the pixels ImageMagick reads from the
// source picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/export/cli_run.h"
#include "core/export/hrpt_fixture.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

const std::string kPnm = std::string(KELO_CORPUS) + "/pnm/pillow/";

// ImageMagick's plain-text decoding of a picture ("pgm" or "ppm").
test::Decoded decode(const std::string& path, const std::string& kind, const std::string& out_dir) {
  return test::imagemagick_decode(path, kind, out_dir + "/decoded." + kind);
}

int export_to(const std::vector<std::string>& args) { return test::run(args).rc; }

class Interop : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(kPnm)) GTEST_SKIP() << "corpus missing";
    if (!test::have_imagemagick()) GTEST_SKIP() << "ImageMagick not installed";
  }
  test::TempDir dir;
};

TEST_F(Interop, PicturesKeepTheirPixelsInEveryExchangeKind) {
  // A grey picture into every kind, a colour one into PPM.
  const std::string grey = kPnm + "hopper_8bit.pgm", colour = kPnm + "hopper_8bit.ppm";
  const std::pair<std::string, const char*> cases[] = {{grey, "out.gif"},  {grey, "out.pgm"},
                                                       {grey, "out1.pgm"}, {grey, "out.ppm"},
                                                       {grey, "out.png"},  {colour, "colour.ppm"}};
  for (const auto& [src, name] : cases) {
    const char* kind = src == colour ? "ppm" : "pgm";
    const test::Decoded want = decode(src, kind, dir.path());
    ASSERT_EQ(want.samples.size(), 128u * 128u * (src == colour ? 3u : 1u));
    std::vector<std::string> args = {src, "-o", dir.file(name)};
    if (std::string(name) == "out1.pgm") args.insert(args.end(), {"--type", "pgm1"});
    ASSERT_EQ(export_to(args), 0) << name;
    const test::Decoded got = decode(dir.file(name), kind, dir.path());
    EXPECT_EQ(std::pair(got.width, got.height), std::pair(128, 128)) << name;
    EXPECT_EQ(got.samples, want.samples) << name;
  }
}

// PGM maxima other than 255: 15 and 3 (an 8-bit PNG scaled up), 65535 (kept
// as its top 12 bits, a 16-bit PNG). Pillow and ImageMagick read the same
// pixels from the PNG as from the PGM of the same export.
TEST_F(Interop, PngOfEveryDepthReadsAsThePgm) {
  const std::string corpus = std::string(KELO_CORPUS) + "/pnm/";
  for (const char* name :
       {"wic/4bit_5x1.pgm", "charls/2bit_parrot_150x200.pgm", "pillow/16_bit_binary.pgm"}) {
    SCOPED_TRACE(name);
    const std::string png = dir.file("out.png"), pgm = dir.file("out.pgm");
    ASSERT_EQ(export_to({corpus + name, "-o", png, "--force"}), 0);
    ASSERT_EQ(export_to({corpus + name, "-o", pgm, "--force"}), 0);
    const test::ReadBack a = test::read_back(png, "gray", 16), b = test::read_back(pgm, "gray", 16);
    EXPECT_FALSE(a.magick.empty());
    EXPECT_EQ(a.magick, b.magick);
    EXPECT_EQ(a.pillow, b.pillow);
  }
}

// Damaged pictures from the shared corpora and our own crash files: every
// command either works or ends with one "ERROR:" line; nothing is left
// half-written under the asked name.
TEST(DamagedInput, EveryCommandEndsCleanly) {
  std::vector<std::string> files;
  for (const std::string& d :
       {std::string(KELO_CORPUS) + "/gif/broken", std::string(KELO_CORPUS) + "/pnm/broken",
        std::string(KELO_TEST_DATA) + "/bad"}) {
    if (!std::filesystem::exists(d)) continue;
    for (const auto& e : std::filesystem::directory_iterator(d))
      if (e.is_regular_file()) files.push_back(e.path().string());
  }
  if (files.empty()) GTEST_SKIP() << "no damaged files present";
  test::TempDir dir;
  for (const std::string& f : files) {
    for (const std::vector<std::string>& cmd :
         std::vector<std::vector<std::string>>{{"--info"},
                                               {"--frame", "0"},
                                               {"--probe", "0,0"},
                                               {"-o", dir.file("x.gif")},
                                               {"-o", dir.file("x.pgm")}}) {
      std::vector<std::string> args = {f};
      args.insert(args.end(), cmd.begin(), cmd.end());
      const test::CliRun r = test::run(args);
      EXPECT_TRUE(r.rc == 0 || r.rc == 1) << f << " " << cmd[0];
      const std::string& e = r.err;
      if (r.rc != 0) {
        EXPECT_EQ(e.rfind("ERROR: ", 0), 0u) << f << " " << cmd[0] << ": " << e;
        EXPECT_EQ(std::count(e.begin(), e.end(), '\n'), 1) << f << " " << cmd[0] << ": " << e;
        if (cmd[0] == "-o") {
          EXPECT_FALSE(std::filesystem::exists(cmd[1])) << f;
        }
      }
      std::filesystem::remove(dir.file("x.gif"));
      std::filesystem::remove(dir.file("x.pgm"));
    }
  }
}

}  // namespace
}  // namespace kelo
