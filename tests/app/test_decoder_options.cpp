// Choosing how the decoder is reached: the preference keys and the
// "-decoder" command-line option.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/cmdline.h"
#include "core/base/prefer.h"
#include "core/record/port.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

std::string written_prefs(const PREFS& p) {
  return test::captured([&](FILE* f) { write_prefs(f, p); });
}

TEST(DecoderPrefs, KeysReadWrittenAndCopiedToTheRecord) {
  PREFS prefs;
  Load_Prefdef(&prefs);
  EXPECT_EQ(prefs.port_backend, kBackendAuto);
  // The defaults add nothing to the file: existing stations keep theirs.
  const std::string plain = written_prefs(prefs);
  EXPECT_EQ(plain.find("Decoder_backend"), std::string::npos);
  EXPECT_EQ(plain.find("Emulator_"), std::string::npos);

  test::TempDir dir;
  const std::string keys =
      "Decoder_backend                = emulator\n"
      "Emulator_source                = noaa,sat=19,syncloss=2:3\n"
      "Emulator_pacing                = real\n";
  ASSERT_EQ(Read_Prefs_file(dir.write(".kelorc", keys), &prefs), 1);
  const auto want = std::make_tuple(kBackendEmulator, std::string("noaa,sat=19,syncloss=2:3"), true);
  EXPECT_EQ(std::make_tuple(prefs.port_backend, prefs.emu_source, prefs.emu_pacing), want);
  RECORD_INFO rec;
  Load_Prefs(&prefs, &rec, nullptr, nullptr);
  EXPECT_EQ(std::make_tuple(rec.port_backend, rec.emu_source, rec.emu_pacing), want);
  EXPECT_NE(written_prefs(prefs).find(keys), std::string::npos);

  // An unknown backend falls back to the real port.
  ASSERT_EQ(Read_Prefs_file(dir.write("bad", "Decoder_backend = parport9\nEmulator_pacing = fast\n"), &prefs),
            1);
  EXPECT_EQ(prefs.port_backend, kBackendAuto);
  EXPECT_EQ(prefs.emu_pacing, 0);
  ASSERT_EQ(Read_Prefs_file(dir.write("pp", "Decoder_backend = ppdev\n"), &prefs), 1);
  EXPECT_EQ(prefs.port_backend, kBackendPpdev);
}

TEST(DecoderOption, CommandLineSelectsTheBackend) {
  const auto parse = [](std::vector<const char*> argv, CmdLine* cmd, RECORD_INFO* rec) {
    argv.insert(argv.begin(), "kelo");
    PREFS prefs;
    parse_cmdline(static_cast<int>(argv.size()), argv.data(), cmd, rec, &prefs);
  };
  CmdLine cmd;
  RECORD_INFO rec;
  parse({"-decoder", "emulator:noaa,frames=5", "-batch", "hrpt:a"}, &cmd, &rec);
  EXPECT_FALSE(cmd.bad_decoder);
  EXPECT_EQ(std::make_tuple(rec.port_backend, rec.emu_source, rec.request),
            std::make_tuple(kBackendEmulator, std::string("noaa,frames=5"), std::string("hrpt:a")));
  EXPECT_EQ(cmd.file, "");  // the option's value is not a picture to open
  parse({"-decoder", "direct"}, &cmd, &rec);
  EXPECT_EQ(rec.port_backend, kBackendDirect);
  for (const char* bad :
       {"bogus", "ppdev:noaa", "emulator:", "emulator:noaa,bogus", "emulator:noaa,sat=42"}) {
    CmdLine c;
    RECORD_INFO r;
    r.port_backend = kBackendPpdev;
    r.emu_source = "hri";
    parse({"-decoder", bad}, &c, &r);
    EXPECT_TRUE(c.bad_decoder) << bad;
    EXPECT_EQ(r.port_backend, kBackendPpdev) << bad;
    EXPECT_EQ(r.emu_source, "hri") << bad;
  }
}

}  // namespace
}  // namespace kelo
