// Choosing how the decoder is reached: the preference keys and the
// "-decoder" command-line option.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/cmdline.h"
#include "app/prefer.h"
#include "record/port.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

std::string written_prefs(const PREFS& p) {
  test::TempDir dir;
  const std::string path = dir.file("out.kelorc");
  FILE* f = std::fopen(path.c_str(), "w");
  EXPECT_NE(f, nullptr);
  write_prefs(f, p);
  std::fclose(f);
  return test::read_file(path);
}

TEST(DecoderPrefs, KeysReadWrittenAndCopiedToTheRecord) {
  Load_Prefdef();
  EXPECT_EQ(prefs.port_backend, kBackendAuto);
  // The defaults add nothing to the file: existing stations keep theirs.
  const std::string plain = written_prefs(prefs);
  EXPECT_EQ(plain.find("Decoder_backend"), std::string::npos);
  EXPECT_EQ(plain.find("Emulator_"), std::string::npos);

  test::TempDir dir;
  const std::string path = dir.write(".kelorc",
                                     "Decoder_backend                = emulator\n"
                                     "Emulator_source                = noaa,sat=19,syncloss=2:3\n"
                                     "Emulator_pacing                = real\n");
  ASSERT_EQ(Read_Prefs_file(path), 1);
  EXPECT_EQ(prefs.port_backend, kBackendEmulator);
  EXPECT_EQ(prefs.emu_source, "noaa,sat=19,syncloss=2:3");
  EXPECT_EQ(prefs.emu_pacing, 1);
  RECORD_INFO rec;
  Load_Prefs(&rec, nullptr, nullptr);
  EXPECT_EQ(rec.port_backend, kBackendEmulator);
  EXPECT_EQ(rec.emu_source, "noaa,sat=19,syncloss=2:3");
  EXPECT_EQ(rec.emu_pacing, 1);

  const std::string out = written_prefs(prefs);
  EXPECT_NE(out.find("Decoder_backend                = emulator\n"), std::string::npos);
  EXPECT_NE(out.find("Emulator_source                = noaa,sat=19,syncloss=2:3\n"), std::string::npos);
  EXPECT_NE(out.find("Emulator_pacing                = real\n"), std::string::npos);

  // An unknown backend falls back to the real port.
  ASSERT_EQ(Read_Prefs_file(dir.write("bad", "Decoder_backend = parport9\nEmulator_pacing = fast\n")), 1);
  EXPECT_EQ(prefs.port_backend, kBackendAuto);
  EXPECT_EQ(prefs.emu_pacing, 0);
  ASSERT_EQ(Read_Prefs_file(dir.write("pp", "Decoder_backend = ppdev\n")), 1);
  EXPECT_EQ(prefs.port_backend, kBackendPpdev);
  Load_Prefdef();
}

TEST(DecoderOption, CommandLineSelectsTheBackend) {
  {
    const char* argv[] = {"kelo", "-decoder", "emulator:noaa,frames=5", "-batch", "hrpt:a"};
    CmdLine cmd;
    RECORD_INFO rec;
    parse_cmdline(5, argv, &cmd, &rec);
    EXPECT_FALSE(cmd.bad_decoder);
    EXPECT_EQ(rec.port_backend, kBackendEmulator);
    EXPECT_EQ(rec.emu_source, "noaa,frames=5");
    EXPECT_EQ(rec.request, "hrpt:a");
    EXPECT_EQ(cmd.file, "");  // the option's value is not a picture to open
  }
  {
    const char* argv[] = {"kelo", "-decoder", "direct"};
    CmdLine cmd;
    RECORD_INFO rec;
    rec.port_backend = kBackendEmulator;
    parse_cmdline(3, argv, &cmd, &rec);
    EXPECT_EQ(rec.port_backend, kBackendDirect);
  }
  for (const char* bad :
       {"bogus", "ppdev:noaa", "emulator:", "emulator:noaa,bogus", "emulator:noaa,sat=42"}) {
    const char* argv[] = {"kelo", "-decoder", bad};
    CmdLine cmd;
    RECORD_INFO rec;
    rec.port_backend = kBackendPpdev;
    rec.emu_source = "hri";
    parse_cmdline(3, argv, &cmd, &rec);
    EXPECT_TRUE(cmd.bad_decoder) << bad;
    EXPECT_EQ(rec.port_backend, kBackendPpdev) << bad;
    EXPECT_EQ(rec.emu_source, "hri") << bad;
  }
  test::TempDir dir;
  const std::string path = dir.file("usage.txt");
  FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  usage(f, "kelo");
  std::fclose(f);
  const std::string text = test::read_file(path);
  EXPECT_NE(text.find("*          -decoder <how>      how the decoder is reached:\n"), std::string::npos);
  // Every line of the banner starts with '*'.
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const std::string line = text.substr(start, end - start);
    EXPECT_EQ(line[0], '*') << line;
    start = end + 1;
  }
}

}  // namespace
}  // namespace kelo
