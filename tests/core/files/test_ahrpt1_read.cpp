// Meteor AHRPT files: sync search and tolerance, opening, the 10-bit
// unpacking across transfer blocks, and whole lines.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/base/records.h"
#include "core/files/ahrpt1_read.h"
#include "core/files/file.h"
#include "core/files/gif_support.h"
#include "core/view/data_proc.h"
#include "core/view/open_picture.h"
#include "support/temp_dir.h"

namespace kelo {
namespace {

using test::Ints;
using test::ints;
using Block = std::array<uint8_t, kAhrptBlockBytes>;
using Values = std::vector<uint16_t>;

// A transfer block with its block sync; with `line_sync` the scan-line sync
// at bytes 22-29, of which the first `wrong` bytes are damaged.
Block make_block(bool line_sync, int wrong = 0) {
  const uint8_t line[8] = {0x02, 0x18, 0xA7, 0xA3, 0x92, 0xDD, 0x9A, 0xBF};
  Block b{0x1A, 0xCF, 0xFC, 0x1D};
  for (int i = 0; line_sync && i < 8; ++i) b[22 + i] = static_cast<uint8_t>(line[i] ^ (i < wrong ? 0x40 : 0));
  return b;
}

std::string to_bytes(const std::vector<Block>& blocks) {
  std::string out;
  for (const Block& b : blocks) out.append(b.begin(), b.end());
  return out;
}

struct Opened {
  std::unique_ptr<PIC_INFO> pic = std::make_unique<PIC_INFO>();
  VIEW_INFO view{};
  int rc = -1;
  Opened(const std::string& path, int data_offset_before = 0) {
    pic->file_type = kKindAHRPT;
    pic->data_offset = data_offset_before;
    if (pic->pic_fp.open(path, "rb")) rc = read_ahrpt1_hdr(pic.get());
  }
  // The line's result; the values are left in v.
  int line(int n, Values* v, uint16_t fill = 0xFFFF) {
    v->assign(kAhrptLineValues, fill);
    return read_ahrpt1_line(pic.get(), &view, n, v->data());
  }
};

// Packs one scan line the way the scanner stream carries it: per group of
// five bytes four pixels of one channel, the channels in turn; a sample is
// spread over the byte pair at the cursor (phase p: its top bits from bit
// 2 + 2p), the cursor moves one byte per sample and one more after the
// fourth; a block continues at byte 22 (52 after a line sync).
std::vector<Block> pack_line(const Values& values) {
  std::vector<Block> blocks;
  int pixel = 0, channel = 0, phase = 0, skip = 0;
  while (pixel < kAhrptPixels) {
    Block b = make_block(blocks.empty());
    for (int pos = blocks.empty() ? 52 : 22; pos <= 253 && pixel < kAhrptPixels; ++pos) {
      pos += skip;
      skip = 0;
      if (pos > 253) break;
      const unsigned v = values[static_cast<size_t>(6 * (pixel + phase) + channel)];
      b[pos] = static_cast<uint8_t>(b[pos] | (v >> (2 + 2 * phase)));
      b[pos + 1] = static_cast<uint8_t>(b[pos + 1] | ((v << (6 - 2 * phase)) & 0xFF));
      if (++phase == 4) {
        phase = 0;
        skip = 1;
        channel = (channel + 1) % 6;
        if (channel == 0) pixel += 4;
      }
    }
    blocks.push_back(b);
  }
  return blocks;
}

Values planted_line(int seed) {
  Values v(kAhrptLineValues);
  for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<uint16_t>((i * 7 + seed * 131u + i / 97) % 1024);
  return v;
}

TEST(AhrptSync, ToleranceOfThreeDifferingBytesAndTheSearch) {
  // Only the first `length` bytes count, never past the eight-byte pattern.
  const uint8_t zeros[8] = {};
  EXPECT_EQ(ints(cmp_sync(make_block(true).data() + 22, kAhrptLineSync1, kAhrptLineSync2, 8),
                 cmp_sync(make_block(true, 3).data() + 22, kAhrptLineSync1, kAhrptLineSync2, 8),
                 cmp_sync(make_block(true, 4).data() + 22, kAhrptLineSync1, kAhrptLineSync2, 8),
                 cmp_sync(make_block(true, 4).data() + 22, kAhrptLineSync1, kAhrptLineSync2, 2),
                 cmp_sync(make_block(true).data(), kAhrptBlockSync, 0, 4),
                 cmp_sync(zeros, kAhrptLineSync1, kAhrptLineSync2, 8), cmp_sync(zeros, 0, 0, 20),
                 cmp_sync(nullptr, 0, 0, 8)),
            ints(0, 3, 4, 2, 0, 8, 0, 0));

  test::TempDir dir;
  // Block 1 has four wrong bytes, block 2 three: the start is block 2. Without it, no start.
  for (auto [blocks, found, at] :
       {std::tuple{std::vector{make_block(false), make_block(true, 4), make_block(true, 3), make_block(true)},
                   1, 2 * 256},
        {std::vector{make_block(false), make_block(true, 4)}, 0, -1}}) {
    FILE* fp = std::fopen(dir.write("s.ahrpt", to_bytes(blocks)).c_str(), "rb");
    ASSERT_NE(fp, nullptr);
    EXPECT_EQ(search_startofline(fp), found);
    EXPECT_EQ(found ? std::ftell(fp) : -1, at);
    std::fclose(fp);
  }
  EXPECT_EQ(search_startofline(nullptr), 0);
}

TEST(AhrptOpen, PictureFactsAndHeightFromTheFileSize) {
  test::TempDir dir;
  std::vector<Block> blocks(100, make_block(false));  // 25 600 bytes
  blocks[3] = make_block(true);
  Opened o(dir.write("a.ahrpt", to_bytes(blocks)));
  ASSERT_EQ(o.rc, 0);
  const PIC_INFO& p = *o.pic;
  EXPECT_EQ(p.sat_name, "Meteor");
  // The height is the whole file over 12 800, whatever the offset.
  EXPECT_EQ(ints(p.height, p.data_offset, p.width, p.pixels_per_chan, p.depth, p.lut_size, p.lut[1][1000],
                 p.sat_kind, p.lines_per_sec, p.orientation, p.scan_dir, p.frame.words_per_line,
                 p.frame.words_padded, p.frame.line_bytes, p.frame.hdr_words, p.frame.tail_words,
                 p.frame.n_channels),
            ints(2, 3 * 256, 1540, 1540, 10, 1024, 1000, SatKind::Meteor, 6, Orientation::Normal,
                 ScanDir::TopDown, 9240, 9240, 12800, 0, 0, 6));
  EXPECT_EQ(Ints(p.chan_present, p.chan_present + 11), ints(1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0));

  // One byte short of two lines; no line sync: lines are read from the
  // start of the file, not from an offset left by an earlier picture.
  std::string bytes = to_bytes(std::vector<Block>(100, make_block(false)));
  bytes.pop_back();
  Opened b(dir.write("b.ahrpt", bytes), 5000);
  EXPECT_EQ(ints(b.rc, b.pic->height, b.pic->data_offset), ints(0, 1, 0));

  FRAME_GEOM g;
  const int three[11] = {1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1};
  calc_ahrptframeinfo(&g, kKindAHRPT, three, 100);
  EXPECT_EQ(ints(g.words_per_line, g.words_padded, g.n_channels, g.line_bytes), ints(300, 300, 3, 12800));
}

TEST(AhrptLines, UnpackingAcrossBlocksWithThePendingSkip) {
  std::vector<Block> blocks(50, make_block(false));
  blocks[0] = make_block(true);
  auto put = [&](int block, int at, std::initializer_list<uint8_t> bytes) {
    std::copy(bytes.begin(), bytes.end(), blocks[block].begin() + at);
  };
  // The example group at the start of the line: pixels 0-3 of channel 0.
  put(0, 52, {0x12, 0x34, 0x56, 0x78, 0x9A});
  // Group 40 (channel 4, pixels 24-27) starts at byte 252 and runs into the
  // next block: its third sample comes from byte 22 there.
  put(0, 252, {0x12, 0x34, 0x56});
  put(1, 22, {0x56, 0x78, 0x9A});
  // Group 86 (channel 2, pixels 56-59) ends on byte 254 of block 1; the skip
  // is still pending and passes over byte 22 of block 2, where group 87
  // (channel 3, pixels 56-59) follows.
  put(1, 250, {0x12, 0x34, 0x56, 0x78, 0x9A});
  put(2, 22, {0xFF, 0xAB, 0xCD, 0xEF, 0x01, 0x23});

  test::TempDir dir;
  Opened o(dir.write("u.ahrpt", to_bytes(blocks)));
  Values v;
  EXPECT_EQ(o.line(0, &v), 1);
  auto channel = [&](int ch, int first) {
    Ints out;
    for (int p = first; p < first + 4; ++p) out.push_back(v[static_cast<size_t>(6 * p + ch)]);
    return out;
  };
  const Ints unpacked{0x048, 0x345, 0x19E, 0x09A};
  EXPECT_EQ(channel(0, 0), unpacked);
  EXPECT_EQ(channel(4, 24), unpacked);
  EXPECT_EQ(channel(2, 56), unpacked);
  EXPECT_EQ(channel(3, 56), ints(0x2AF, 0x0DE, 0x3C0, 0x123));
  EXPECT_EQ(v[1], 0);  // pixel 0 of channel 1: zero bytes
}

TEST(AhrptLines, PlantedLinesComeBackSampleForSampleAlsoThroughTheLineStore) {
  const Values line0 = planted_line(0), line1 = planted_line(1);
  const std::vector<Block> b0 = pack_line(line0), b1 = pack_line(line1);
  // A scan line fills all but the tail of its 50 blocks.
  ASSERT_EQ(ints(static_cast<long long>(b0.size()), static_cast<long long>(b1.size())), ints(50, 50));
  std::vector<Block> blocks = {make_block(false), make_block(false)};  // lead-in before the sync
  blocks.insert(blocks.end(), b0.begin(), b0.end());
  blocks.insert(blocks.end(), b1.begin(), b1.end());
  test::TempDir dir;
  const std::string path = dir.write("p.ahrpt", to_bytes(blocks));
  Opened o(path);
  EXPECT_EQ(ints(o.pic->data_offset, o.pic->height), ints(512, 2));
  Values v;
  ASSERT_EQ(o.line(0, &v), 1);
  EXPECT_EQ(v, line0);
  ASSERT_EQ(o.line(1, &v), 1);
  EXPECT_EQ(v, line1);

  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  pic->path = path;
  ASSERT_EQ(open_picture(pic.get(), view.get(), nullptr), 0);
  EXPECT_EQ(ints(pic->file_type, view->lmax, pic->height), ints(kKindAHRPT, 1023, 2));
  Values buf(static_cast<size_t>(pic->frame.words_padded) * kLineBufFactor, 0);
  EXPECT_EQ(read_line(pic.get(), view.get(), 1, buf.data(), nullptr, nullptr, nullptr), 1);
  buf.resize(kAhrptLineValues);
  EXPECT_EQ(buf, line1);
}

TEST(AhrptLines, LineSyncMidwayRestartsAndShortFilesStopFilling) {
  const Values line = planted_line(3);
  std::vector<Block> blocks = pack_line(line);
  test::TempDir dir;
  // A line sync in block 10 restarts at pixel 0, channel 0.
  std::vector<Block> resync = blocks;
  resync[10] = make_block(true, 2);
  resync[10][52] = 0xFF;
  resync[10][53] = 0xC0;
  Values v;
  EXPECT_EQ(Opened(dir.write("r.ahrpt", to_bytes(resync))).line(0, &v), 1);
  EXPECT_EQ(v[0], 0x3FF);

  // Cut after 20 blocks: the start of the line is there, the rest keeps the
  // buffer's contents; a line wholly past the end is no line.
  blocks.resize(20);
  Opened o(dir.write("c.ahrpt", to_bytes(blocks)));
  EXPECT_EQ(o.pic->height, 0);
  EXPECT_EQ(o.line(0, &v), 1);
  EXPECT_EQ(ints(v[0], v[1000], v[kAhrptLineValues - 1]), ints(line[0], line[1000], 0xFFFF));
  EXPECT_EQ(o.line(1, &v), 0);
  EXPECT_EQ(o.line(-1, &v), 0);
}

}  // namespace
}  // namespace kelo
