// Recognising and opening pictures, new file names, the writer dispatch and
// the channel list of the export.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/files/file.h"
#include "core/files/gif_support.h"
#include "core/files/ppm.h"
#include "core/view/open_picture.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::bytes_of;
using test::Ints;
using test::ints;

TEST(DetectFile, KindsByTheFirstBytes) {
  test::TempDir dir;
  int n = 0;
  auto kind_of = [&](const std::string& bytes) { return detect_file(dir.write(std::to_string(++n), bytes)); };
  EXPECT_EQ(detect_file(dir.file("missing.gif")), kKindNone);
  EXPECT_EQ(detect_file(""), kKindNone);
  EXPECT_EQ(detect_file(dir.path()), kKindUnknown);  // a directory opens but reads nothing
  for (std::string b : {"", "GIF", "P4\n12", "HRP", "hello"}) EXPECT_EQ(kind_of(b), kKindUnknown) << b;
  EXPECT_EQ(kind_of(bytes_of({0x1D, 0xFC, 0xCF, 0x1A})), kKindUnknown);
  EXPECT_EQ((ints(kind_of("P6\n1 "), kind_of("P6GI"), kind_of("P5\n12"), kind_of("GIF89a"), kind_of("GIFx"),
                  kind_of("HRPT...."), kind_of("CHRPT"), kind_of("SEAWIFS"), kind_of("PDUS"),
                  kind_of(bytes_of({0x1A, 0xCF, 0xFC, 0x1D, 0})))),
            ints(kKindPPM, kKindPPM, kKindPGM, kKindGIF, kKindGIF, kKindHRPT, kKindCHRPT, kKindSeaStar,
                 kKindHRI, kKindAHRPT));
}

TEST(StripFilename, LastSeparatorOfTheFirstKindFoundAndTheWindowTitle) {
  // '/' is looked for first: in "dir/sub\x" the '\' stays.
  const char* const cases[][2] = {{"/home/station/pass.gif", "pass.gif"},
                                  {"C:\\kelo\\pass.gif", "pass.gif"},
                                  {"C:pass.gif", "pass.gif"},
                                  {"a\\b/c", "c"},
                                  {"dir/sub\\x", "sub\\x"},
                                  {"pass.gif", "pass.gif"},
                                  {"dir/", ""},
                                  {"", ""}};
  for (const auto& c : cases) EXPECT_EQ(strip_filename(c[0]), c[1]) << c[0];
  // Long names are not shown.
  const std::string n85(85, 'a'), n86(86, 'a');
  EXPECT_EQ(picture_window_title("/data/pass.gif"), "Kelo    File pass.gif");
  EXPECT_EQ(picture_window_title("/data/" + n85), "Kelo    File " + n85);
  EXPECT_EQ(picture_window_title("/data/" + n86), "Kelo    File (name too long!)");
}

TEST(CreateNewFilename, FirstFreeCounterWithTwoDigitsAtLeast) {
  test::TempDir dir;
  std::string name = "unchanged";
  EXPECT_EQ(create_new_filename(&name, dir.path(), "hrpt", ".dat"), 1);
  EXPECT_EQ(name, "hrpt01.dat");
  for (const char* n : {"hrpt01.dat", "hrpt02.dat", "hrpt03.dat", "hrpt05.dat"}) dir.write(n, "x");
  EXPECT_EQ(create_new_filename(&name, dir.path(), "hrpt", ".dat"), 4);
  EXPECT_EQ(name, "hrpt04.dat");
  // A directory given with its separator (as the preferences give it).
  EXPECT_EQ(create_new_filename(&name, dir.path() + "/", "hrpt", ".dat"), 4);
  {  // Without a directory, the working directory.
    test::ScopedCwd cwd(dir.path());
    EXPECT_EQ(create_new_filename(&name, "", "hrpt", ".dat"), 4);
  }
  // A directory with that name counts as taken too.
  std::filesystem::create_directory(dir.file("hrpt04.dat"));
  // So does a link that leads nowhere: creating the file through it would
  // fail on every pass, or write where the link points.
  std::filesystem::create_symlink(dir.file("gone/elsewhere.dat"), dir.file("hrpt06.dat"));
  EXPECT_EQ(create_new_filename(&name, dir.path(), "hrpt", ".dat"), 7);
  // Beyond 99 the counter grows a digit.
  for (int i = 1; i <= 9; ++i) dir.write("dump0" + std::to_string(i) + ".gif", "x");
  for (int i = 10; i <= 99; ++i) dir.write("dump" + std::to_string(i) + ".gif", "x");
  EXPECT_EQ(create_new_filename(&name, dir.path(), "dump", ".gif"), 100);
  EXPECT_EQ(name, "dump100.gif");
  // All of 1..1001 taken: 0 and no name.
  for (int i = 100; i <= 1001; ++i) dir.write("dump" + std::to_string(i) + ".gif", "x");
  name = "unchanged";
  EXPECT_EQ(create_new_filename(&name, dir.path(), "dump", ".gif"), 0);
  EXPECT_EQ(name, "unchanged");
  dir.write("dump1002.gif", "x");
  std::filesystem::remove(dir.file("dump1001.gif"));
  EXPECT_EQ(create_new_filename(&name, dir.path(), "dump", ".gif"), 1001);
}

TEST(OpenNewRecfile, CreatesTheNextFreeFileAndNeverReplacesOne) {
  test::TempDir dir;
  RECORD_INFO rec;
  rec.rec_dir = dir.path() + "/";
  dir.write("hrpt01.dat", "old pass");
  EXPECT_EQ(open_new_recfile("hrpt", ".dat", &rec), 2);
  EXPECT_EQ(rec.rec_file, dir.file("hrpt02.dat"));
  ASSERT_TRUE(rec.rec_fp);
  std::fputs("new", rec.rec_fp.get());
  close_recfile(&rec);
  EXPECT_FALSE(rec.rec_fp);
  close_recfile(&rec);  // closing twice is harmless
  EXPECT_EQ(test::read_file(dir.file("hrpt01.dat")), "old pass");
  EXPECT_EQ(test::read_file(dir.file("hrpt02.dat")), "new");
  EXPECT_EQ(open_new_recfile("hrpt", ".dat", &rec), 3);
  close_recfile(&rec);
  // A directory that does not exist: nothing opened.
  RECORD_INFO bad;
  bad.rec_dir = dir.file("no/such/dir/");
  EXPECT_EQ(open_new_recfile("raw", ".dat", &bad), 0);
  EXPECT_FALSE(bad.rec_fp);
}

// A small GIF: 2x2 pixels 1 0 / 0 1, two colours (hand-worked codes).
std::string tiny_gif(int height = 2) {
  return bytes_of({'G', 'I', 'F', '8', '7', 'a', 2, 0, 2,      0, 0x80, 0, 0, 0,    0,    0,    255, 255,
                   255, ',', 0,   0,   0,   0,   2, 0, height, 0, 0,    2, 3, 0x0C, 0x10, 0x05, 0,   ';'});
}
const std::string kTrailerFirst = "GIF87a" + bytes_of({2, 0, 2, 0, 0, 0, 0, ';'});

// What the window hears while a picture opens.
struct Heard : OpenListener {
  std::vector<std::string> what;
  void file_opened(const PIC_INFO& p) override { what.push_back("opened " + strip_filename(p.path)); }
  void picture_ready(const PIC_INFO&, const VIEW_INFO& v) override {
    what.push_back("ready " + std::to_string(v.lmax));
  }
};

struct Opened {
  std::unique_ptr<PIC_INFO> pic = std::make_unique<PIC_INFO>();
  std::unique_ptr<VIEW_INFO> view = std::make_unique<VIEW_INFO>();
  int open(const std::string& path, OpenListener* listener = nullptr) {
    pic->path = path;
    return open_picture(pic.get(), view.get(), listener);
  }
};

TEST(OpenFile, ResultCodesAndNoFileLeftOpenOnFailure) {
  test::TempDir dir;
  Opened o;
  EXPECT_EQ(o.open(dir.file("missing")), kErrOpen);
  for (const char* b : {"", "P6", "hello world"}) EXPECT_EQ(o.open(dir.write("t", b)), kErrType) << b;
  // Readers' own codes come through, and a picture without a single line
  // has nothing to show; the file is closed again.
  const std::pair<std::string, int> cases[] = {{kTrailerFirst, kGifTrailerFirst},
                                               {"P5\nabc\n", kPpmNoWidth},
                                               {tiny_gif(0), kErrNoPic},
                                               {"P5\n4 0\n255\n", kErrNoPic}};
  // The window hears of the opened file (the title names it), but the view
  // is not set up for it.
  for (const auto& [bytes, rc] : cases) {
    Heard heard;
    EXPECT_EQ(o.open(dir.write("t", bytes), &heard), rc);
    EXPECT_FALSE(o.pic->pic_fp) << rc;
    EXPECT_EQ(heard.what, std::vector<std::string>{"opened t"}) << rc;
  }
  // Anything that begins like a recording but holds no header is refused.
  EXPECT_EQ(o.open(dir.write("short.dat", "HRPT and nothing more")), kErrRead);
  EXPECT_FALSE(o.pic->pic_fp);
}

TEST(OpenFile, ExchangePicturesSetTheViewUp) {
  test::TempDir dir;
  Opened o;
  o.view->zoom.zx = 4;
  o.view->zoom.ox = 100;
  o.view->lmin = 7;
  Heard heard;
  ASSERT_EQ(o.open(dir.write("tiny.gif", tiny_gif()), &heard), 0);
  EXPECT_TRUE(o.pic->pic_fp);
  EXPECT_EQ(heard.what, (std::vector<std::string>{"opened tiny.gif", "ready 1"}));
  // The luminance window spans the picture's own two colours; the one
  // channel a GIF has is shown.
  const VIEW_INFO& v = *o.view;
  EXPECT_EQ(ints(o.pic->file_type, v.lmin, o.pic->lut_size, v.lmax, v.zoom.ox, v.orientation, v.scan_dir,
                 v.chan_sel[1]),
            ints(kKindGIF, 0, 2, 1, 0, Orientation::Normal, ScanDir::TopDown, 1));
  EXPECT_EQ(v.zoom.zx, 1);
  uint16_t line[2];
  ASSERT_EQ(read_gif_line(o.pic.get(), 1, line), kLineRead);
  EXPECT_EQ(ints(line[0], line[1]), ints(0, 1));

  ASSERT_EQ(o.open(dir.write("deep.pgm", "P5\n1 1\n4095\n" + bytes_of({0, 1}))), 0);
  EXPECT_EQ(ints(o.pic->file_type, v.lmax), ints(kKindPGM, 4095));
  ASSERT_EQ(o.open(dir.write("c.ppm", "P6\n1 1\n255\n" + bytes_of({1, 2, 3}))), 0);
  EXPECT_EQ(ints(o.pic->file_type, v.lmax), ints(kKindPPM, 255));
  ASSERT_EQ(o.open(dir.write("ten.pgm", "P5\n1 1\n1023\n" + bytes_of({0, 1}))), 0);
  EXPECT_EQ(v.lmax, 1023);
}

TEST(WriterDispatch, SendsEachKindToItsWriter) {
  test::TempDir dir;
  // Sun raster and TIFF have no writer: nothing is written. The dispatch
  // sets line_bytes to the width.
  const struct {
    FileKind kind;
    int w, header;
    std::string tail;
  } cases[] = {{kKindPGM8, 3, 28, "P5\n#Created by kelo\n3 1\n255\n" + bytes_of({1, 2, 3})},
               {kKindGIF, 4, 1560, bytes_of({8, 6, 0x00, 0x03, 0x08, 0x0C, 0x10, 0x10, 0, ';'})},
               {kKindTiff, 4, 0, ""}};
  for (const auto& c : cases) {
    const std::string path = dir.file(std::to_string(file_kind_code(c.kind)));
    auto pic = test::pic_writing(path, c.kind, c.w, 1, 8);
    pic->frame.line_bytes = 999;
    ASSERT_TRUE(pic->pic_fp);
    EXPECT_EQ(write_header(pic.get()), c.header) << file_kind_code(c.kind);
    uint16_t r[4] = {1, 2, 3, 1};
    if (c.kind == kKindGIF) r[1] = r[2] = 1;
    EXPECT_EQ(write_line(r, r, r, pic.get(), 0), 0);
    if (c.kind == kKindPGM8) {
      EXPECT_EQ(pic->frame.line_bytes, 3);
    }
    EXPECT_EQ(write_finish(pic.get()), 0);
    pic->pic_fp.close();
    const std::string bytes = test::read_file(path);
    EXPECT_EQ(bytes.substr(bytes.size() - std::min(bytes.size(), c.tail.size())), c.tail)
        << file_kind_code(c.kind);
  }
}

TEST(LoadChan, PositionsOfTheSelectedChannelsAmongThoseHeld) {
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  for (int ch : {1, 2, 4, 5, 9}) pic->chan_present[ch] = 1;
  for (int ch : {2, 3, 5, 9}) view->chan_sel[ch] = 1;  // 3 is not held
  int out[kMaxChannels] = {-1, -1, -1, -1};
  EXPECT_EQ(load_chan(pic.get(), view.get(), out), 3);
  EXPECT_EQ(ints(out[0], out[1], out[2], out[3]), ints(1, 3, 4, -1));
  view->chan_sel[0] = 1;  // the header words are not a channel
  for (int ch = 1; ch <= kMaxChannels; ++ch) view->chan_sel[ch] = 0;
  EXPECT_EQ(load_chan(pic.get(), view.get(), out), 0);
}

}  // namespace
}  // namespace kelo
