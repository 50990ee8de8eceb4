// Recognising and opening pictures, new file names, the writer dispatch and
// the channel list of the export.
#include <gtest/gtest.h>

#include <filesystem>

#include "files/file.h"
#include "files/gif_support.h"
#include "files/ppm.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::bytes_of;

TEST(DetectFile, KindsByTheFirstBytes) {
  test::TempDir dir;
  EXPECT_EQ(detect_file(dir.file("missing.gif")), kKindNone);
  EXPECT_EQ(detect_file(""), kKindNone);
  EXPECT_EQ(detect_file(dir.path()), kKindUnknown);  // a directory opens but reads nothing
  EXPECT_EQ(detect_file(dir.write("empty", "")), kKindUnknown);
  EXPECT_EQ(detect_file(dir.write("three", "GIF")), kKindUnknown);
  EXPECT_EQ(detect_file(dir.write("p6", "P6\n1 ")), kKindPPM);
  EXPECT_EQ(detect_file(dir.write("p6b", "P6GI")), kKindPPM);
  EXPECT_EQ(detect_file(dir.write("p5", "P5\n12")), kKindPGM);
  EXPECT_EQ(detect_file(dir.write("p4", "P4\n12")), kKindUnknown);
  EXPECT_EQ(detect_file(dir.write("gif", "GIF89a")), kKindGIF);
  EXPECT_EQ(detect_file(dir.write("gifx", "GIFx")), kKindGIF);
  EXPECT_EQ(detect_file(dir.write("hrpt", "HRPT....")), kKindHRPT);
  EXPECT_EQ(detect_file(dir.write("chrp", "CHRPT")), kKindCHRPT);
  EXPECT_EQ(detect_file(dir.write("seaw", "SEAWIFS")), kKindSeaStar);
  EXPECT_EQ(detect_file(dir.write("pdus", "PDUS")), kKindHRI);
  EXPECT_EQ(detect_file(dir.write("ahrpt", bytes_of({0x1A, 0xCF, 0xFC, 0x1D, 0}))), kKindAHRPT);
  EXPECT_EQ(detect_file(dir.write("ahrptx", bytes_of({0x1D, 0xFC, 0xCF, 0x1A}))), kKindUnknown);
  EXPECT_EQ(detect_file(dir.write("hrp", "HRP")), kKindUnknown);
  EXPECT_EQ(detect_file(dir.write("text", "hello")), kKindUnknown);
}

TEST(StripFilename, LastSeparatorOfTheFirstKindFound) {
  EXPECT_EQ(strip_filename("/home/station/pass.gif"), "pass.gif");
  EXPECT_EQ(strip_filename("C:\\kelo\\pass.gif"), "pass.gif");
  EXPECT_EQ(strip_filename("C:pass.gif"), "pass.gif");
  EXPECT_EQ(strip_filename("a\\b/c"), "c");
  EXPECT_EQ(strip_filename("dir/sub\\x"), "sub\\x");  // '/' first, the '\' stays
  EXPECT_EQ(strip_filename("pass.gif"), "pass.gif");
  EXPECT_EQ(strip_filename("dir/"), "");
  EXPECT_EQ(strip_filename(""), "");
}

TEST(PictureWindowTitle, LongNamesAreNotShown) {
  EXPECT_EQ(picture_window_title("/data/pass.gif"), "Kelo    File pass.gif");
  std::string n85(85, 'a'), n86(86, 'a');
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
  // Without a directory, the working directory.
  {
    test::ScopedCwd cwd(dir.path());
    EXPECT_EQ(create_new_filename(&name, "", "hrpt", ".dat"), 4);
  }
  // A directory with that name counts as taken too.
  std::filesystem::create_directory(dir.file("hrpt04.dat"));
  EXPECT_EQ(create_new_filename(&name, dir.path(), "hrpt", ".dat"), 6);
  // Beyond 99 the counter grows a digit.
  for (int i = 1; i <= 99; ++i) {
    char n[32];
    std::snprintf(n, sizeof n, "dump%02d.gif", i);
    dir.write(n, "x");
  }
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

struct Opened {
  std::unique_ptr<PIC_INFO> pic = std::make_unique<PIC_INFO>();
  std::unique_ptr<VIEW_INFO> view = std::make_unique<VIEW_INFO>();
  int open(const std::string& path) {
    pic->path = path;
    return open_file(pic.get(), view.get(), nullptr);
  }
};

TEST(OpenFile, ResultCodesAndNoFileLeftOpenOnFailure) {
  test::TempDir dir;
  Opened o;
  EXPECT_EQ(o.open(dir.file("missing")), kErrOpen);
  EXPECT_EQ(o.open(dir.write("empty", "")), kErrType);
  EXPECT_EQ(o.open(dir.write("short", "P6")), kErrType);
  EXPECT_EQ(o.open(dir.write("text", "hello world")), kErrType);
  // Readers' own codes come through; the file is closed again.
  EXPECT_EQ(o.open(dir.write("trailer.gif", "GIF87a" + bytes_of({2, 0, 2, 0, 0, 0, 0, ';'}))),
            kGifTrailerFirst);
  EXPECT_FALSE(o.pic->pic_fp);
  EXPECT_EQ(o.open(dir.write("bad.pgm", "P5\nabc\n")), kPpmNoWidth);
  EXPECT_FALSE(o.pic->pic_fp);
  // A picture without a single line has nothing to show.
  EXPECT_EQ(o.open(dir.write("zero.gif", tiny_gif(0))), kErrNoPic);
  EXPECT_FALSE(o.pic->pic_fp);
  EXPECT_EQ(o.open(dir.write("zero.pgm", "P5\n4 0\n255\n")), kErrNoPic);
  EXPECT_FALSE(o.pic->pic_fp);
}

TEST(OpenFile, ExchangePicturesSetTheViewUp) {
  test::TempDir dir;
  Opened o;
  o.view->zoom.zx = 4;
  o.view->zoom.ox = 100;
  o.view->lmin = 7;
  ASSERT_EQ(o.open(dir.write("tiny.gif", tiny_gif())), 0);
  EXPECT_EQ(o.pic->file_type, kKindGIF);
  EXPECT_TRUE(o.pic->pic_fp);
  EXPECT_EQ(o.view->lmin, 0);
  // The luminance window spans the picture's own two colours.
  EXPECT_EQ(o.pic->lut_size, 2);
  EXPECT_EQ(o.view->lmax, 1);
  EXPECT_EQ(o.view->zoom.zx, 1);
  EXPECT_EQ(o.view->zoom.ox, 0);
  EXPECT_EQ(o.view->orientation, 3);
  EXPECT_EQ(o.view->scan_dir, 1);
  EXPECT_EQ(o.view->chan_sel[1], 1);  // the one channel a GIF has
  uint16_t line[2];
  ASSERT_EQ(read_gif_line(o.pic.get(), 1, line), kLineRead);
  EXPECT_EQ(line[0], 0);
  EXPECT_EQ(line[1], 1);

  ASSERT_EQ(o.open(dir.write("deep.pgm", "P5\n1 1\n4095\n" + bytes_of({0, 1}))), 0);
  EXPECT_EQ(o.pic->file_type, kKindPGM);
  EXPECT_EQ(o.view->lmax, 4095);
  ASSERT_EQ(o.open(dir.write("c.ppm", "P6\n1 1\n255\n" + bytes_of({1, 2, 3}))), 0);
  EXPECT_EQ(o.pic->file_type, kKindPPM);
  EXPECT_EQ(o.view->lmax, 255);
  ASSERT_EQ(o.open(dir.write("ten.pgm", "P5\n1 1\n1023\n" + bytes_of({0, 1}))), 0);
  EXPECT_EQ(o.view->lmax, 1023);
}

TEST(OpenFile, WindowStepsGoThroughTheHook) {
  static std::vector<int> stages;
  static WindowHandle seen = nullptr;
  stages.clear();
  set_open_file_window_hook([](int stage, PIC_INFO*, VIEW_INFO*, WindowHandle w) {
    stages.push_back(stage);
    seen = w;
  });
  test::TempDir dir;
  Opened o;
  int window = 0;
  o.pic->path = dir.write("tiny.gif", tiny_gif());
  ASSERT_EQ(open_file(o.pic.get(), o.view.get(), &window), 0);
  EXPECT_EQ(stages, (std::vector<int>{kOpenStageFile, kOpenStageDone}));
  EXPECT_EQ(seen, &window);
  // A failing reader: the title was set, the rest is not done.
  stages.clear();
  o.pic->path = dir.write("bad.gif", "GIF87a" + bytes_of({2, 0, 2, 0, 0, 0, 0, ';'}));
  EXPECT_EQ(open_file(o.pic.get(), o.view.get(), &window), kGifTrailerFirst);
  EXPECT_EQ(stages, (std::vector<int>{kOpenStageFile}));
  // Without a window the hook is not called.
  stages.clear();
  o.pic->path = dir.file("tiny.gif");
  ASSERT_EQ(open_file(o.pic.get(), o.view.get(), nullptr), 0);
  EXPECT_TRUE(stages.empty());
  set_open_file_window_hook(nullptr);
}

TEST(WriterDispatch, SendsEachKindToItsWriter) {
  test::TempDir dir;
  {
    auto pic = std::make_unique<PIC_INFO>();
    pic->file_type = kKindPGM8;
    pic->width = 3;
    pic->height = 1;
    pic->depth = 8;
    pic->lut_size = 256;
    pic->frame.line_bytes = 999;  // the dispatch sets it to the width
    ASSERT_TRUE(pic->pic_fp.open(dir.file("a.pgm"), "wb"));
    EXPECT_EQ(write_header(pic.get()), 28);
    uint16_t r[3] = {1, 2, 3};
    EXPECT_EQ(write_line(r, r, r, pic.get(), 0), 0);
    EXPECT_EQ(pic->frame.line_bytes, 3);
    EXPECT_EQ(write_finish(pic.get()), 0);
    pic->pic_fp.close();
    EXPECT_EQ(test::read_file(dir.file("a.pgm")), "P5\n#Created by kelo\n3 1\n255\n" + bytes_of({1, 2, 3}));
  }
  {
    auto pic = std::make_unique<PIC_INFO>();
    pic->file_type = kKindGIF;
    pic->width = 4;
    pic->height = 1;
    pic->depth = 8;
    ASSERT_TRUE(pic->pic_fp.open(dir.file("b.gif"), "wb"));
    EXPECT_GT(write_header(pic.get()), 0);
    uint16_t r[4] = {1, 1, 1, 1};
    EXPECT_EQ(write_line(r, nullptr, nullptr, pic.get(), 0), 0);
    EXPECT_EQ(write_finish(pic.get()), 0);
    pic->pic_fp.close();
    std::string bytes = test::read_file(dir.file("b.gif"));
    EXPECT_EQ(bytes.substr(bytes.size() - 10), bytes_of({8, 6, 0x00, 0x03, 0x08, 0x0C, 0x10, 0x10, 0, ';'}));
  }
  {
    // Sun raster and TIFF have no writer: nothing is written.
    auto pic = std::make_unique<PIC_INFO>();
    pic->file_type = kKindTiff;
    pic->width = 4;
    ASSERT_TRUE(pic->pic_fp.open(dir.file("c.tif"), "wb"));
    EXPECT_EQ(write_header(pic.get()), 0);
    uint16_t r[4] = {};
    EXPECT_EQ(write_line(r, r, r, pic.get(), 0), 0);
    EXPECT_EQ(write_finish(pic.get()), 0);
    pic->pic_fp.close();
    EXPECT_EQ(test::read_file(dir.file("c.tif")), "");
  }
}

TEST(LoadChan, PositionsOfTheSelectedChannelsAmongThoseHeld) {
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  for (int ch : {1, 2, 4, 5, 9}) pic->chan_present[ch] = 1;
  for (int ch : {2, 3, 5, 9}) view->chan_sel[ch] = 1;  // 3 is not held
  int out[kMaxChannels] = {-1, -1, -1, -1};
  EXPECT_EQ(load_chan(pic.get(), view.get(), out), 3);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[1], 3);
  EXPECT_EQ(out[2], 4);
  EXPECT_EQ(out[3], -1);
  view->chan_sel[0] = 1;  // the header words are not a channel
  for (int ch = 1; ch <= kMaxChannels; ++ch) view->chan_sel[ch] = 0;
  EXPECT_EQ(load_chan(pic.get(), view.get(), out), 0);
}

TEST(OpenFile, RecordingWrittenThroughTheDispatchOpensAsHrpt) {
  test::TempDir dir;
  const std::string path = dir.file("hrpt01.dat");
  {
    auto rec = std::make_unique<PIC_INFO>();
    rec->file_type = kKindHRPT;
    rec->sat_name = "NOAA 19";
    rec->height = 3;
    rec->scan_dir = 1;
    for (int ch = 0; ch <= 5; ++ch) rec->chan_present[ch] = 1;
    ASSERT_TRUE(rec->pic_fp.open(path, "wb"));
    ASSERT_EQ(write_header(rec.get()), 0);
    ASSERT_GT(rec->frame.words_padded, 0);
    std::vector<uint16_t> words(static_cast<size_t>(rec->frame.words_padded), 0);
    for (int y = 0; y < 3; ++y) {
      for (size_t i = 0; i < words.size(); ++i) words[i] = static_cast<uint16_t>((i + y) & 0x3FF);
      ASSERT_EQ(write_line(words.data(), nullptr, nullptr, rec.get(), kLinePreSync), 0);
    }
    ASSERT_EQ(write_finish(rec.get()), 0);
  }
  Opened o;
  ASSERT_EQ(o.open(path), 0);
  EXPECT_EQ(o.pic->file_type, kKindHRPT);
  EXPECT_EQ(o.pic->sat_name, "NOAA 19");
  EXPECT_EQ(o.view->lmin, 0);
  EXPECT_EQ(o.view->lmax, 1023);
  EXPECT_EQ(o.pic->chan_present[3], 1);
  // Anything that begins like a recording but holds no header is refused.
  EXPECT_EQ(o.open(dir.write("short.dat", "HRPT and nothing more")), kErrRead);
  EXPECT_FALSE(o.pic->pic_fp);
}

}  // namespace
}  // namespace kelo
