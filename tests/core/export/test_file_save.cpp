// The export pipeline: bit-shift rules, the destination record, every output
// kind checked pixel for pixel (recordings by their bytes, exchange pictures
// through ImageMagick), cancel, failures and the header rewrite.
#include "core/export/file_save.h"
#include "core/view/open_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/export/hrpt_fixture.h"
#include "core/files/file.h"
#include "core/files/new_file.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

// Keeps what the export tells whoever runs it; cancels at a chosen row.
class RecordingListener : public ExportListener {
 public:
  void progress_begin(int total) override { begun_with = total; }
  bool progress_update(int done, int total) override {
    last_total = total;
    return cancel_at >= 0 && done >= cancel_at;
  }
  void progress_end() override { progress_ended = true; }
  void bitshift_chosen(int shift) override { shifts.push_back(shift); }
  void warning(const std::string& text) override { messages.push_back("Warning|" + text); }
  void finished(ExportOutcome outcome, const std::string& text) override {
    messages.push_back((outcome == ExportOutcome::Error ? "Error|" : "Info|") + text);
  }
  std::vector<std::string> messages;
  std::vector<int> shifts;
  int begun_with = -1;
  bool progress_ended = false;
  int last_total = 0;
  int cancel_at = -1;
};

class SaveTest : public ::testing::Test {
 protected:
  // Opens a file into fresh records.
  bool open(const std::string& path) {
    pic = std::make_unique<PIC_INFO>();
    view = std::make_unique<VIEW_INFO>();
    pic->path = path;
    return open_picture(pic.get(), view.get(), nullptr) == 0;
  }
  // Writes the synthetic recording (with or without frame header words) and opens it.
  bool open_fixture(int width, int lines, bool header_words = true) {
    test::FixtureShape shape;
    shape.width = width;
    shape.lines = lines;
    shape.presence[0] = header_words ? 1 : 0;
    return test::write_fixture(dir.file("in.10b"), shape) && open(dir.file("in.10b"));
  }
  int save(FileKind kind, std::initializer_list<int> chans, const std::string& path, SaveReport* rep) {
    int on[kMaxChannels + 1] = {};
    for (int c : chans) on[c] = 1;
    dst = std::make_unique<PIC_INFO>();
    save_destination(pic.get(), dst.get(), kind, on);
    return Save_it(&told, pic.get(), dst.get(), path, view.get(), rep);
  }

  RecordingListener told;
  test::TempDir dir;
  std::unique_ptr<PIC_INFO> pic, dst;
  std::unique_ptr<VIEW_INFO> view;
};

// ---------------------------------------------------------------- helpers

// The words of line n of an HRPT1 file, unpacked here from the bytes (four
// 10-bit words in five bytes: four high bytes, then the low bit pairs).
std::vector<int> hrpt_words(const std::string& bytes, int line_bytes, int n, int count) {
  std::vector<int> w;
  size_t at = 16000 + static_cast<size_t>(n) * static_cast<size_t>(line_bytes) + 7;
  for (int g = 0; g * 4 < count; g++) {
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data() + at + static_cast<size_t>(g) * 5);
    for (int k = 0; k < 4; k++) w.push_back((b[k] << 2) | ((b[4] >> (6 - 2 * k)) & 3));
  }
  w.resize(static_cast<size_t>(count));
  return w;
}

int le16(const std::string& b, size_t at) {
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

// ---------------------------------------------------------------- rules

TEST(SaveRules, BitShifts) {
  // A 10-bit recording to an 8-bit picture shifts by the luminance window's
  // top; PGM keeps the depth, 8-bit sources need nothing; into a recording
  // 8-bit goes up by 2, recordings stay as they are, 12-bit goes down.
  struct Shift {
    FileKind src;
    int bits;
    FileKind dst;
    int lmax, want;
  } shifts[] = {{kKindHRPT, 10, kKindGIF, 255, 0},     {kKindHRPT, 10, kKindGIF, 300, -1},
                {kKindCHRPT, 10, kKindPGM8, 511, -1},  {kKindAHRPT, 10, kKindPPM, 512, -2},
                {kKindPGM, 10, kKindGIF, 1023, -2},    {kKindHRPT, 10, kKindPGM, 1023, 0},
                {kKindGIF, 8, kKindPGM8, 255, 0},      {kKindPGM, 8, kKindHRPT, 255, 2},
                {kKindCHRPT, 10, kKindCHRPT, 1023, 0}, {kKindPGM, 12, kKindHRPT, 4095, -2}};
  for (const Shift& c : shifts) {
    EXPECT_EQ(export_bitshift(c.src, c.bits, c.dst, c.lmax), c.want)
        << file_kind_code(c.src) << " " << c.bits << " -> " << file_kind_code(c.dst) << " lmax " << c.lmax;
  }
}

TEST(SaveRules, DestinationRecord) {
  auto src = std::make_unique<PIC_INFO>();
  auto out = std::make_unique<PIC_INFO>();
  src->file_type = kKindCHRPT;
  src->width = 77;
  for (int n = 0; n <= kMaxChannels; n++) src->chan_present[n] = 1;
  src->chan_present[5] = 0;
  int on[kMaxChannels + 1] = {0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 0};

  // "(C)HRPT" keeps the source's recording kind and its header words.
  EXPECT_EQ(save_destination(src.get(), out.get(), kKindHRPT, on), 2) << "channel 5 is not in the file";
  EXPECT_EQ(out->file_type, kKindCHRPT);
  EXPECT_EQ(out->width, 77);
  EXPECT_EQ(std::vector<int>(out->chan_present, out->chan_present + kMaxChannels + 1),
            (std::vector<int>{1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0}));

  // Source kind, asked kind -> kind written, header words kept. Exchange
  // pictures and SeaStar recordings drop the header words; AHRPT has no
  // writer, its channels go into the ten-channel layout.
  const struct {
    FileKind src, asked, want;
    int hdr;
  } kinds[] = {{kKindCHRPT, kKindGIF, kKindGIF, 0},
               {kKindSeaStar, kKindHRPT, kKindSeaStar, 0},
               {kKindAHRPT, kKindHRPT, kKindCHRPT, 0},
               {kKindPGM, kKindHRPT, kKindHRPT, 0}};
  for (const auto& k : kinds) {
    src->file_type = k.src;
    save_destination(src.get(), out.get(), k.asked, on);
    EXPECT_EQ(std::pair(out->file_type, out->chan_present[0]), std::pair(k.want, k.hdr))
        << file_kind_code(k.src);
  }
}

TEST(SaveWindowLogic, NamesAndChannelButtons) {
  // Initial kind per source.
  const std::pair<FileKind, FileKind> initial[] = {
      {kKindHRPT, kKindHRPT}, {kKindCHRPT, kKindHRPT}, {kKindAHRPT, kKindHRPT}, {kKindPPM, kKindPPM},
      {kKindPGM, kKindPGM},   {kKindPGM8, kKindPGM8},  {kKindHRI, kKindGIF},    {kKindGIF, kKindGIF}};
  for (const auto& [src, want] : initial) EXPECT_EQ(save_initial_kind(src), want) << file_kind_code(src);

  // A typed name loses everything from its first dot and gets the next
  // free counter and the chosen kind's extension.
  test::TempDir dir;
  std::string d = dir.path() + "/";
  EXPECT_EQ(save_new_name("pass.gif", d, kKindGIF), "pass01.gif");
  dir.write("pass01.gif", "x");
  dir.write("pass02.gif", "x");
  EXPECT_EQ(save_new_name("pass.v2.gif", d, kKindGIF), "pass03.gif");
  EXPECT_EQ(save_new_name("pass", d, kKindHRPT), "pass01.10b");
  EXPECT_EQ(save_new_name("dump", d, kKindPGM8), "dump01.pgm");

  int present[kMaxChannels + 1] = {1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
  int on[kMaxChannels + 1] = {0, 1, 1, 1, 0, 1, 0, 0, 0, 0, 0};
  // "All" with a single-channel kind leaves none on.
  save_channel_pressed(kKindPGM, 0, present, on);
  for (int n = 1; n <= kMaxChannels; n++) EXPECT_EQ(on[n], 0) << n;
  // "All" for a recording switches on every channel the file has.
  save_channel_pressed(kKindHRPT, 0, present, on);
  for (int n = 1; n <= kMaxChannels; n++) EXPECT_EQ(on[n], n <= 5 ? 1 : 0) << n;
  // A recording keeps several channels.
  on[2] = 0;
  save_channel_pressed(kKindHRPT, 4, present, on);
  EXPECT_EQ(on[1] + on[3] + on[4] + on[5], 4);
}

// ---------------------------------------------------------------- recordings

TEST_F(SaveTest, RecordingWithAChannelSubsetKeepsHeaderWords) {
  ASSERT_TRUE(open_fixture(40, 9));
  std::string out = dir.file("sub.10b");
  SaveReport rep;
  ASSERT_EQ(save(kKindHRPT, {2, 4}, out, &rep), 0) << rep.message;
  EXPECT_EQ(rep.message, "Saved in " + out + "; bitshift=0.");
  EXPECT_EQ(told.messages, std::vector<std::string>{"Info|" + rep.message});
  EXPECT_EQ(told.shifts, std::vector<int>{0});
  EXPECT_EQ(told.begun_with, 9);
  EXPECT_TRUE(told.progress_ended);

  std::string b = test::read_file(out);
  // Header: magic, width, line count, presence (element 0 and channels 2, 4).
  EXPECT_EQ(b.substr(0, 4), "HRPT");
  EXPECT_EQ(le16(b, 22), 40);
  EXPECT_EQ(le16(b, 24), 9);
  EXPECT_EQ(b.substr(269, 6), std::string("\1\0\1\0\1\0", 6));
  // Lines: 750 header words + 40 pixels x 2 channels + 100 tail words.
  const int words = 750 + 80 + 100;
  const int padded = (words + 3) / 4 * 4;
  const int line_bytes = padded * 10 / 8 + 7;
  ASSERT_EQ(b.size(), 16000u + 9u * static_cast<size_t>(line_bytes));
  for (int y : {0, 4, 8}) {
    std::vector<int> w = hrpt_words(b, line_bytes, y, padded);
    EXPECT_EQ(b.substr(16000 + static_cast<size_t>(y * line_bytes), 5), "FRAME");
    EXPECT_EQ(w[0], 644);
    EXPECT_EQ(w[6], 0x79);
    EXPECT_EQ(w[200], test::fixture_hk(y, 200));
    EXPECT_EQ(w[749], test::fixture_hk(y, 749));
    for (int x : {0, 17, 39}) {
      EXPECT_EQ(w[750 + 2 * x], test::fixture_sample(y, 2, x)) << "line " << y << " pixel " << x;
      EXPECT_EQ(w[751 + 2 * x], test::fixture_sample(y, 4, x)) << "line " << y << " pixel " << x;
    }
    EXPECT_EQ(w[830], test::fixture_tail(y, 0));
    EXPECT_EQ(w[929], test::fixture_tail(y, 99));
    EXPECT_EQ(w[930], 0) << "pad word";
  }
}

TEST_F(SaveTest, ZoomedViewExportsTheVisiblePart) {
  ASSERT_TRUE(open_fixture(64, 12, false));
  view->zoom.zx = 2;
  view->zoom.zy = 2;
  view->zoom.ox = 10;
  view->zoom.oy = 3;
  std::string out = dir.file("zoom.pgm");
  SaveReport rep;
  ASSERT_EQ(save(kKindPGM, {5}, out, &rep), 0) << rep.message;
  // 16-bit PGM of 32 x 6 with maximum 1023: two bytes a sample, big-endian.
  std::string b = test::read_file(out);
  std::string head = "P5\n#Created by kelo\n32 6\n1023\n";
  ASSERT_EQ(b.substr(0, head.size()), head);
  ASSERT_EQ(b.size(), head.size() + 32u * 6u * 2u);
  for (int y = 0; y < 6; y++)
    for (int x = 0; x < 32; x++) {
      ASSERT_EQ(test::pgm16_sample(b, head.size(), 32, x, y), test::fixture_sample(y + 3, 5, x + 10))
          << "row " << y << " column " << x;
    }
}

TEST_F(SaveTest, PgmToRecordingShiftsLeftByTwo) {
  // A 4 x 3 8-bit PGM written here byte by byte.
  std::string pgm = "P5\n4 3\n255\n";
  for (int i = 0; i < 12; i++) pgm.push_back(static_cast<char>(i * 20 + 5));
  ASSERT_TRUE(open(dir.write("in.pgm", pgm)));
  std::string out = dir.file("up.10b");
  SaveReport rep;
  ASSERT_EQ(save(kKindHRPT, {1}, out, &rep), 0) << rep.message;
  EXPECT_EQ(rep.bitshift, 2);
  EXPECT_EQ(rep.message, "Saved in " + out + "; bitshift=2.");
  std::string b = test::read_file(out);
  EXPECT_EQ(b.substr(0, 4), "HRPT");
  EXPECT_EQ(b.substr(269, 6), std::string("\0\1\0\0\0\0", 6));
  const int line_bytes = 4 * 10 / 8 + 7;
  ASSERT_EQ(b.size(), 16000u + 3u * line_bytes);
  for (int y = 0; y < 3; y++) {
    std::vector<int> w = hrpt_words(b, line_bytes, y, 4);
    for (int x = 0; x < 4; x++) EXPECT_EQ(w[static_cast<size_t>(x)], ((y * 4 + x) * 20 + 5) * 4);
  }
}

// ---------------------------------------------------------------- exchange

// Exchange pictures of a 10-bit recording: PGM and PPM by their bytes (one
// byte a sample, shifted by the luminance window's top), the GIF as
// ImageMagick decodes it.
TEST_F(SaveTest, ExchangePicturesHoldTheShiftedSamples) {
  ASSERT_TRUE(open_fixture(20, 4));
  view->lmax = 1023;
  SaveReport rep;
  // The samples after the head, each checked against want(y, x, colour).
  const auto expect_bytes = [&](const std::string& name, const std::string& head, int per, auto want) {
    const std::string b = test::read_file(dir.file(name));
    ASSERT_EQ(b.substr(0, head.size()), head) << name;
    ASSERT_EQ(b.size(), head.size() + 80u * static_cast<size_t>(per)) << name;
    for (int i = 0; i < 80 * per; i++)
      ASSERT_EQ(static_cast<unsigned char>(b[head.size() + static_cast<size_t>(i)]),
                want(i / per / 20, i / per % 20, i % per))
          << name << " sample " << i;
  };
  ASSERT_EQ(save(kKindPGM8, {1}, dir.file("a.pgm"), &rep), 0) << rep.message;
  EXPECT_EQ(rep.bitshift, -2);
  expect_bytes("a.pgm", "P5\n#Created by kelo\n20 4\n255\n", 1,
               [](int y, int x, int) { return test::fixture_sample(y, 1, x) >> 2; });
  // A single channel as PPM: grey, the same value in all three colours.
  ASSERT_EQ(save(kKindPPM, {2}, dir.file("b.ppm"), &rep), 0) << rep.message;
  expect_bytes("b.ppm", "P6\n#Created by kelo\n20 4\n255\n", 3,
               [](int y, int x, int) { return test::fixture_sample(y, 2, x) >> 2; });

  // The channel map mixes colours: sums truncated after each step, then
  // shifted down by 2.
  view->rgb_map = true;
  view->map_used[1] = view->map_used[2] = 1;
  view->map_wr[1] = 1.0f;
  view->map_wg[2] = 1.0f;
  view->map_wb[1] = view->map_wb[2] = 0.5f;
  ASSERT_EQ(save(kKindPPM, {}, dir.file("mix.ppm"), &rep), 0) << rep.message;
  expect_bytes("mix.ppm", "P6\n#Created by kelo\n20 4\n255\n", 3, [](int y, int x, int c) {
    const int s1 = test::fixture_sample(y, 1, x), s2 = test::fixture_sample(y, 2, x);
    const int blue = static_cast<int>(static_cast<float>(static_cast<int>(s1 * 0.5f)) + s2 * 0.5f);
    return (c == 0 ? s1 : c == 1 ? s2 : blue) >> 2;
  });

  // A GIF with the window's top at 300: samples halved, what still exceeds
  // eight bits shows white.
  if (!test::have_imagemagick()) GTEST_SKIP() << "ImageMagick not installed";
  view->rgb_map = false;
  view->lmax = 300;
  ASSERT_EQ(save(kKindGIF, {3}, dir.file("pass.gif"), &rep), 0) << rep.message;
  EXPECT_EQ(rep.message, "Saved in " + dir.file("pass.gif") + "; bitshift=-1.");
  EXPECT_EQ(told.shifts, (std::vector<int>{-2, -2, -2, -1}));
  test::Decoded d = test::imagemagick_decode(dir.file("pass.gif"), "pgm");
  ASSERT_EQ(std::tuple(d.width, d.height, d.samples.size()), std::tuple(20, 4, size_t{80}));
  for (int i = 0; i < 80; i++)
    ASSERT_EQ(d.samples[static_cast<size_t>(i)] * 255 / d.maxval,
              std::min(test::fixture_sample(i / 20, 3, i % 20) >> 1, 255))
        << i;
}

// ---------------------------------------------------------------- PNG

// PNG width, height, bit depth and colour type from its IHDR chunk.
std::vector<int> png_header(const std::string& b) {
  if (b.size() < 26 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR") != 0) return {};
  auto be32 = [&](size_t at) {
    return static_cast<int>(static_cast<uint8_t>(b[at]) << 24 | static_cast<uint8_t>(b[at + 1]) << 16 |
                            static_cast<uint8_t>(b[at + 2]) << 8 | static_cast<uint8_t>(b[at + 3]));
  };
  return {be32(16), be32(20), static_cast<uint8_t>(b[24]), static_cast<uint8_t>(b[25])};
}

TEST_F(SaveTest, PngReadsBackAsThePgmAndPpmOfTheSameView) {
  if (!test::have_imagemagick()) GTEST_SKIP() << "ImageMagick not installed";
  ASSERT_TRUE(open_fixture(50, 7));
  view->lmax = 1023;
  SaveReport rep;
  const int kGrey = 0, kRgb = 2;  // PNG colour types

  // One 10-bit channel: 16-bit grey with 10 significant bits (sBIT), the
  // samples as the PGM keeps them, scaled to 16 bits as readers scale a PGM.
  ASSERT_EQ(save(kKindPNG, {3}, dir.file("c3.png"), &rep), 0) << rep.message;
  EXPECT_EQ(rep.message, "Saved in " + dir.file("c3.png") + "; bitshift=0.");
  ASSERT_EQ(save(kKindPGM, {3}, dir.file("c3.pgm"), &rep), 0) << rep.message;
  const std::string png = test::read_file(dir.file("c3.png"));
  EXPECT_EQ(png_header(png), (std::vector<int>{50, 7, 16, kGrey}));
  EXPECT_NE(png.find(std::string("sBIT\x0a", 5)), std::string::npos);
  test::ReadBack a = test::read_back(dir.file("c3.png"), "gray", 16),
                 b = test::read_back(dir.file("c3.pgm"), "gray", 16);
  ASSERT_EQ(a.magick.size(), 50u * 7u * 2u);
  EXPECT_EQ(a.magick, b.magick);
  EXPECT_EQ(a.pillow, b.pillow);
  // Pixel (0, 0) is 291 of 1023: 18642 (0x48d2) of 65535, in ImageMagick's
  // raw samples least significant byte first.
  EXPECT_EQ(a.magick.substr(0, 2), std::string("\xd2\x48", 2));

  // The colour mix: 8-bit RGB, as the PPM.
  view->rgb_map = true;
  view->map_used[1] = view->map_used[2] = 1;
  view->map_wr[1] = 1.0f;
  view->map_wg[2] = 1.0f;
  view->map_wb[1] = view->map_wb[2] = 0.5f;
  ASSERT_EQ(save(kKindPNG, {}, dir.file("mix.png"), &rep), 0) << rep.message;
  EXPECT_EQ(rep.bitshift, -2);
  ASSERT_EQ(save(kKindPPM, {}, dir.file("mix.ppm"), &rep), 0) << rep.message;
  EXPECT_EQ(png_header(test::read_file(dir.file("mix.png"))), (std::vector<int>{50, 7, 8, kRgb}));
  a = test::read_back(dir.file("mix.png"), "rgb", 8);
  b = test::read_back(dir.file("mix.ppm"), "rgb", 8);
  ASSERT_EQ(a.magick.size(), 50u * 7u * 3u);
  EXPECT_EQ(a.magick, b.magick);
  EXPECT_EQ(a.pillow, b.pillow);

  // Cancelled after 4 rows: a whole PNG 4 rows high, no working file left.
  view->rgb_map = false;
  told.cancel_at = 4;
  ASSERT_EQ(save(kKindPNG, {3}, dir.file("cut.png"), &rep), 1) << rep.message;
  EXPECT_EQ(png_header(test::read_file(dir.file("cut.png"))), (std::vector<int>{50, 4, 16, kGrey}));
  const std::string first_rows =
      test::read_back(dir.file("c3.pgm"), "gray", 16).magick.substr(0, 50u * 4u * 2u);
  EXPECT_EQ(test::read_back(dir.file("cut.png"), "gray", 16).magick, first_rows);
  EXPECT_FALSE(std::filesystem::exists(dir.file("cut.png.part")));
}

// ---------------------------------------------------------------- cancel, failures

TEST_F(SaveTest, CancelLeavesAValidShorterFile) {
  ASSERT_TRUE(open_fixture(8, 500, false));
  told.cancel_at = 10;
  SaveReport rep;
  std::string out = dir.file("cut.10b");
  EXPECT_EQ(save(kKindHRPT, {1}, out, &rep), 1);
  EXPECT_EQ(rep.rows_written, 10);
  EXPECT_EQ(told.last_total, 500);
  EXPECT_EQ(rep.message, "Cancelled; 10 of 500 lines saved in " + out + ".");
  EXPECT_EQ(told.messages.back(), "Info|" + rep.message);
  std::string b = test::read_file(out);
  const int line_bytes = 8 * 10 / 8 + 7;
  EXPECT_EQ(b.size(), 16000u + 10u * line_bytes);
  EXPECT_EQ(le16(b, 24), 10) << "the header states the lines the file holds";
}

TEST_F(SaveTest, FailuresLeaveTheOperatorsFilesAlone) {
  ASSERT_TRUE(open_fixture(8, 4));
  // Names beside the destination that look like a working file, a link to
  // another file among them: never opened, never removed.
  std::string other = dir.write("other.txt", "operator's text");
  std::string out = dir.file("out.gif");
  std::filesystem::create_symlink(other, out + ".part");
  std::string plain = dir.write("out.pgm.part", "operator's part");
  SaveReport rep;
  EXPECT_EQ(save(kKindGIF, {1}, out, &rep), 0) << rep.message;
  EXPECT_EQ(save(kKindPGM, {1}, dir.file("out.pgm"), &rep), 0) << rep.message;
  EXPECT_EQ(test::read_file(other), "operator's text");
  EXPECT_TRUE(std::filesystem::is_symlink(out + ".part"));
  EXPECT_EQ(test::read_file(plain), "operator's part");
  EXPECT_EQ(test::read_file(out).substr(0, 6), "GIF87a");

  // No channel chosen: nothing written.
  std::string none = dir.file("none.gif");
  EXPECT_EQ(save(kKindGIF, {}, none, &rep), -1);
  EXPECT_EQ(rep.message, "No channels selected.");
  EXPECT_FALSE(std::filesystem::exists(none));

  // Kinds without a writer are refused rather than written empty.
  EXPECT_EQ(save(kKindTiff, {1}, dir.file("x.tif"), &rep), -1);
  EXPECT_FALSE(std::filesystem::exists(dir.file("x.tif")));

  // A missing directory: the message names the file and the reason.
  EXPECT_EQ(save(kKindGIF, {1}, dir.file("no/such/dir.gif"), &rep), -1);
  EXPECT_EQ(rep.message, "Can't create " + dir.file("no/such/dir.gif") + ": No such file or directory.");
  EXPECT_EQ(told.messages.back(), "Error|" + rep.message);

  // Nothing else is left in the folder: no working file of any export.
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"in.10b", "other.txt", "out.gif", "out.gif.part", "out.pgm",
                                             "out.pgm.part"}));
}

TEST_F(SaveTest, SigtermDuringAnExportLeavesNoWorkingFile) {
  ASSERT_TRUE(open_fixture(8, 50));
  // The export is ended by SIGTERM at its tenth row, in a child process
  // with the cleanup handlers of kelo-export.
  class Killer : public RecordingListener {
   public:
    bool progress_update(int done, int) override {
      if (done == 10) std::raise(SIGTERM);
      return false;
    }
  };
  Killer killer;
  std::string out = dir.file("killed.pgm");
  int on[kMaxChannels + 1] = {0, 1};
  dst = std::make_unique<PIC_INFO>();
  save_destination(pic.get(), dst.get(), kKindPGM, on);
  EXPECT_EXIT(
      {
        install_new_file_cleanup();
        (void)Save_it(&killer, pic.get(), dst.get(), out, view.get(), nullptr);
        std::exit(0);
      },
      testing::KilledBySignal(SIGTERM), "");
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename());
  EXPECT_EQ(names, std::vector<std::string>{"in.10b"});
}

TEST_F(SaveTest, SizesTheFileCannotHoldAreRefusedOrCut) {
  // A picture wider than a recording's line: refused, nothing written.
  std::string wide = dir.write("wide.pgm", "P5\n5000 2\n255\n" + std::string(10000, '\x40'));
  ASSERT_TRUE(open(wide));
  SaveReport rep;
  EXPECT_EQ(save(kKindHRPT, {1}, dir.file("wide.10b"), &rep), -1);
  EXPECT_EQ(
      rep.message,
      "A recording holds at most 4096 samples a line, the picture is 5000 wide: zoom out, or choose PPM, "
      "PGM or Gif.");
  EXPECT_FALSE(std::filesystem::exists(dir.file("wide.10b")));

  // A 119-byte PGM that claims 65535 x 65535: the one line it holds (its
  // 100 bytes, padded) is exported, not four gigabytes.
  std::string claim = dir.write("claim.pgm", "P5\n65535 65535\n255\n" + std::string(100, '\x21'));
  ASSERT_EQ(std::filesystem::file_size(claim), 119u);
  ASSERT_TRUE(open(claim));
  EXPECT_EQ(save(kKindPGM8, {1}, dir.file("cut.pgm"), &rep), 0) << rep.message;
  std::string head = "P5\n#Created by kelo\n65535 1\n255\n";
  std::string b = test::read_file(dir.file("cut.pgm"));
  ASSERT_EQ(b.substr(0, head.size()), head);
  EXPECT_EQ(b.size(), head.size() + 65535u);
  EXPECT_EQ(b.substr(head.size(), 101), std::string(100, '\x21') + '\0');

  // Zoomed sizes of counts near the largest int stay ints.
  EXPECT_EQ(zoomed_extent(2048, 3.0f), 682);
  EXPECT_EQ(zoomed_extent(INT_MAX, 1.0f), 2147483520);
  EXPECT_EQ(zoomed_extent(INT_MAX, 2.0f), 1073741824);
}

// The export reads its own copy of the picture: the display's reading
// position stays, the picture's own file is never the destination, and a
// name that now stands for another file is not read as the picture.
TEST_F(SaveTest, TheExportReadsItsOwnCopyOfThePicture) {
  // A GIF is decoded from its start through the stream: the display's
  // decoder keeps its place.
  ASSERT_TRUE(open_fixture(8, 40));
  SaveReport rep;
  ASSERT_EQ(save(kKindGIF, {1}, dir.file("shown.gif"), &rep), 0);
  ASSERT_TRUE(open(dir.file("shown.gif")));
  FILE* shown = pic->pic_fp.get();
  const long place = std::ftell(shown);
  EXPECT_EQ(save(kKindPGM8, {1}, dir.file("a.pgm"), &rep), 0);
  EXPECT_EQ(std::ftell(shown), place);

  ASSERT_TRUE(open(dir.file("in.10b")));

  const std::string before = test::read_file(dir.file("in.10b"));
  EXPECT_EQ(save(kKindHRPT, {1, 2}, dir.file("in.10b"), &rep), -1);
  EXPECT_EQ(rep.message, "Can't save over the open picture " + dir.file("in.10b") + ".");
  EXPECT_EQ(test::read_file(dir.file("in.10b")), before);

  std::filesystem::rename(dir.write("other", "not the picture"), dir.file("in.10b"));
  EXPECT_EQ(save(kKindPGM8, {1}, dir.file("b.pgm"), &rep), -1);
  EXPECT_EQ(rep.message, "Reading " + dir.file("in.10b") + " again failed; nothing was saved.");
  EXPECT_FALSE(std::filesystem::exists(dir.file("b.pgm")));
}

// ---------------------------------------------------------------- header rewrite

TEST_F(SaveTest, RewriteHeaderInPlace) {
  ASSERT_TRUE(open_fixture(16, 3));
  const std::string path = dir.file("in.10b");
  std::string before = test::read_file(path);
  pic->sat_name = "NOAA 18";
  pic->x_offset = 300;
  EXPECT_EQ(Rewrite_hdr(pic.get(), &told), 0);
  EXPECT_EQ(told.messages.back(), "Info|Rewriting header in " + path + " succeeded.");
  std::string after = test::read_file(path);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after.substr(4, 8), std::string("NOAA 18\0", 8));
  EXPECT_EQ(le16(after, 106), 300);
  EXPECT_EQ(after.substr(16000), before.substr(16000)) << "lines untouched";
  // The picture is open again for reading.
  ASSERT_TRUE(pic->pic_fp);
  EXPECT_EQ(std::fputc('x', pic->pic_fp.get()), EOF);

  // Other kinds: nothing, no message.
  size_t n = told.messages.size();
  pic->file_type = kKindGIF;
  EXPECT_EQ(Rewrite_hdr(pic.get(), &told), 0);
  EXPECT_EQ(told.messages.size(), n);

  // The file has gone: the rewrite says so and keeps the open picture.
  pic->file_type = kKindHRPT;
  std::filesystem::remove(path);
  EXPECT_EQ(Rewrite_hdr(pic.get(), &told), -1);
  EXPECT_EQ(told.messages.back(), "Error|Can't reopen " + path + " for writing");
  EXPECT_TRUE(pic->pic_fp);
}

}  // namespace
}  // namespace kelo
