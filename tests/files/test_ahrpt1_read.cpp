// Meteor AHRPT files: sync search and tolerance, opening, the 10-bit
// unpacking across transfer blocks, and whole lines.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/records.h"
#include "files/ahrpt1_read.h"
#include "files/file.h"
#include "support/temp_dir.h"
#include "view/data_proc.h"

namespace kelo {
namespace {

using Block = std::array<uint8_t, kAhrptBlockBytes>;

const uint8_t kLineSyncBytes[8] = {0x02, 0x18, 0xA7, 0xA3, 0x92, 0xDD, 0x9A, 0xBF};

// A transfer block with its block sync; with `line_sync` the scan-line sync
// at bytes 22-29, of which the first `wrong` bytes are damaged.
Block make_block(bool line_sync, int wrong = 0) {
  Block b{};
  b[0] = 0x1A;
  b[1] = 0xCF;
  b[2] = 0xFC;
  b[3] = 0x1D;
  if (line_sync) {
    for (int i = 0; i < 8; ++i) {
      b[static_cast<size_t>(22 + i)] = static_cast<uint8_t>(kLineSyncBytes[i] ^ (i < wrong ? 0x40 : 0));
    }
  }
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
};

std::unique_ptr<Opened> open_ahrpt(const std::string& path, int data_offset_before = 0) {
  auto o = std::make_unique<Opened>();
  o->pic->file_type = kKindAHRPT;
  o->pic->data_offset = data_offset_before;
  if (!o->pic->pic_fp.open(path, "rb")) return o;
  o->rc = read_ahrpt1_hdr(o->pic.get());
  return o;
}

// Packs one scan line the way the scanner stream carries it: per group of
// five bytes four pixels of one channel, the channels in turn; a sample is
// spread over the byte pair at the cursor, the cursor moves one byte per
// sample and one more after the fourth; a block continues at byte 22 (52
// after a line sync). Returns the blocks used.
std::vector<Block> pack_line(const std::vector<uint16_t>& values) {
  std::vector<Block> blocks;
  int pixel = 0, channel = 0, phase = 0, skip = 0;
  bool first = true;
  while (pixel < kAhrptPixels) {
    Block b = make_block(first);
    int pos = first ? 52 : 22;
    first = false;
    while (pos <= 253 && pixel < kAhrptPixels) {
      pos += skip;
      skip = 0;
      if (pos > 253) break;
      const unsigned v = values[static_cast<size_t>(6 * (pixel + phase) + channel)];
      uint8_t& hi = b[static_cast<size_t>(pos)];
      uint8_t& lo = b[static_cast<size_t>(pos + 1)];
      switch (phase) {
        case 0:
          hi = static_cast<uint8_t>(v >> 2);
          lo = static_cast<uint8_t>(lo | ((v & 0x03) << 6));
          break;
        case 1:
          hi = static_cast<uint8_t>(hi | (v >> 4));
          lo = static_cast<uint8_t>(lo | ((v & 0x0F) << 4));
          break;
        case 2:
          hi = static_cast<uint8_t>(hi | (v >> 6));
          lo = static_cast<uint8_t>(lo | ((v & 0x3F) << 2));
          break;
        default:
          hi = static_cast<uint8_t>(hi | (v >> 8));
          lo = static_cast<uint8_t>(v & 0xFF);
          break;
      }
      if (++phase == 4) {
        phase = 0;
        skip = 1;
        channel = (channel + 1) % 6;
        if (channel == 0) pixel += 4;
      }
      ++pos;
    }
    blocks.push_back(b);
  }
  return blocks;
}

std::vector<uint16_t> planted_line(int seed) {
  std::vector<uint16_t> v(kAhrptLineValues);
  for (size_t i = 0; i < v.size(); ++i)
    v[i] = static_cast<uint16_t>((i * 7 + static_cast<size_t>(seed) * 131 + i / 97) % 1024);
  return v;
}

TEST(AhrptSync, ToleranceOfThreeDifferingBytes) {
  Block b = make_block(true);
  EXPECT_EQ(cmp_sync(b.data() + 22, kAhrptLineSync1, kAhrptLineSync2, 8), 0);
  b = make_block(true, 3);
  EXPECT_EQ(cmp_sync(b.data() + 22, kAhrptLineSync1, kAhrptLineSync2, 8), 3);
  b = make_block(true, 4);
  EXPECT_EQ(cmp_sync(b.data() + 22, kAhrptLineSync1, kAhrptLineSync2, 8), 4);
  // Only the first `length` bytes count.
  EXPECT_EQ(cmp_sync(b.data() + 22, kAhrptLineSync1, kAhrptLineSync2, 2), 2);
  EXPECT_EQ(cmp_sync(b.data(), kAhrptBlockSync, 0, 4), 0);
  const uint8_t zeros[8] = {};
  EXPECT_EQ(cmp_sync(zeros, kAhrptLineSync1, kAhrptLineSync2, 8), 8);
  EXPECT_EQ(cmp_sync(zeros, 0, 0, 20), 0);  // never past the eight-byte pattern
  EXPECT_EQ(cmp_sync(nullptr, 0, 0, 8), 0);

  test::TempDir dir;
  // Block 1 has four wrong bytes, block 2 three: the start is block 2.
  std::string path = dir.write(
      "s.ahrpt", to_bytes({make_block(false), make_block(true, 4), make_block(true, 3), make_block(true)}));
  FILE* fp = std::fopen(path.c_str(), "rb");
  ASSERT_NE(fp, nullptr);
  EXPECT_EQ(search_startofline(fp), 1);
  EXPECT_EQ(std::ftell(fp), 2 * 256);
  std::fclose(fp);

  path = dir.write("n.ahrpt", to_bytes({make_block(false), make_block(true, 4)}));
  fp = std::fopen(path.c_str(), "rb");
  ASSERT_NE(fp, nullptr);
  EXPECT_EQ(search_startofline(fp), 0);
  std::fclose(fp);
  EXPECT_EQ(search_startofline(nullptr), 0);
}

TEST(AhrptOpen, PictureFactsAndHeightFromTheFileSize) {
  test::TempDir dir;
  std::vector<Block> blocks(100, make_block(false));  // 25 600 bytes
  blocks[3] = make_block(true);
  auto o = open_ahrpt(dir.write("a.ahrpt", to_bytes(blocks)));
  ASSERT_EQ(o->rc, 0);
  const PIC_INFO& pic = *o->pic;
  EXPECT_EQ(pic.height, 2);  // the whole file over 12 800, whatever the offset
  EXPECT_EQ(pic.data_offset, 3 * 256);
  EXPECT_EQ(pic.width, 1540);
  EXPECT_EQ(pic.pixels_per_chan, 1540);
  EXPECT_EQ(pic.depth, 10);
  EXPECT_EQ(pic.lut_size, 1024);
  EXPECT_EQ(pic.lut[1][1000], 1000);
  const int present[11] = {1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0};
  for (int n = 0; n <= 10; ++n) EXPECT_EQ(pic.chan_present[n], present[n]) << n;
  EXPECT_EQ(pic.sat_name, "Meteor");
  EXPECT_EQ(pic.sat_kind, 12);
  EXPECT_EQ(pic.lines_per_sec, 6);
  EXPECT_EQ(pic.orientation, 3);
  EXPECT_EQ(pic.scan_dir, 1);
  EXPECT_EQ(pic.frame.words_per_line, 9240);
  EXPECT_EQ(pic.frame.words_padded, 9240);
  EXPECT_EQ(pic.frame.line_bytes, 12800);
  EXPECT_EQ(pic.frame.hdr_words, 0);
  EXPECT_EQ(pic.frame.tail_words, 0);
  EXPECT_EQ(pic.frame.n_channels, 6);

  // One byte short of two lines; no line sync: lines are read from the
  // start of the file, not from an offset left by an earlier picture.
  blocks.assign(100, make_block(false));
  std::string bytes = to_bytes(blocks);
  bytes.pop_back();
  o = open_ahrpt(dir.write("b.ahrpt", bytes), 5000);
  EXPECT_EQ(o->rc, 0);
  EXPECT_EQ(o->pic->height, 1);
  EXPECT_EQ(o->pic->data_offset, 0);

  FRAME_GEOM g;
  const int three[11] = {1, 1, 0, 1, 0, 0, 0, 0, 0, 0, 1};
  calc_ahrptframeinfo(&g, kKindAHRPT, three, 100);
  EXPECT_EQ(g.words_per_line, 300);
  EXPECT_EQ(g.words_padded, 300);
  EXPECT_EQ(g.n_channels, 3);
  EXPECT_EQ(g.line_bytes, 12800);
}

TEST(AhrptLines, UnpackingAcrossBlocksWithThePendingSkip) {
  std::vector<Block> blocks(50, make_block(false));
  blocks[0] = make_block(true);
  // The example group at the start of the line: pixels 0-3 of channel 0.
  const uint8_t example[5] = {0x12, 0x34, 0x56, 0x78, 0x9A};
  for (int i = 0; i < 5; ++i) blocks[0][static_cast<size_t>(52 + i)] = example[i];
  // Group 40 (channel 4, pixels 24-27) starts at byte 252 and runs into the
  // next block: its third sample comes from byte 22 there.
  blocks[0][252] = 0x12;
  blocks[0][253] = 0x34;
  blocks[0][254] = 0x56;
  blocks[1][22] = 0x56;
  blocks[1][23] = 0x78;
  blocks[1][24] = 0x9A;
  // Group 86 (channel 2, pixels 56-59) ends on byte 254 of block 1; the skip
  // is still pending and passes over byte 22 of block 2.
  for (int i = 0; i < 5; ++i) blocks[1][static_cast<size_t>(250 + i)] = example[i];
  blocks[2][22] = 0xFF;
  const uint8_t next[5] = {0xAB, 0xCD, 0xEF, 0x01, 0x23};  // group 87: channel 3, pixels 56-59
  for (int i = 0; i < 5; ++i) blocks[2][static_cast<size_t>(23 + i)] = next[i];

  test::TempDir dir;
  auto o = open_ahrpt(dir.write("u.ahrpt", to_bytes(blocks)));
  std::vector<uint16_t> v(kAhrptLineValues, 0xFFFF);
  EXPECT_EQ(read_ahrpt1_line(o->pic.get(), &o->view, 0, v.data()), 1);
  const uint16_t unpacked[4] = {0x048, 0x345, 0x19E, 0x09A};
  const uint16_t unpacked_next[4] = {0x2AF, 0x0DE, 0x3C0, 0x123};
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(v[static_cast<size_t>(6 * p + 0)], unpacked[p]) << p;
    EXPECT_EQ(v[static_cast<size_t>(6 * (24 + p) + 4)], unpacked[p]) << p;
    EXPECT_EQ(v[static_cast<size_t>(6 * (56 + p) + 2)], unpacked[p]) << p;
    EXPECT_EQ(v[static_cast<size_t>(6 * (56 + p) + 3)], unpacked_next[p]) << p;
  }
  EXPECT_EQ(v[1], 0);  // pixel 0 of channel 1: zero bytes
}

TEST(AhrptLines, PlantedLinesComeBackSampleForSample) {
  const std::vector<uint16_t> line0 = planted_line(0);
  const std::vector<uint16_t> line1 = planted_line(1);
  std::vector<Block> b0 = pack_line(line0);
  std::vector<Block> b1 = pack_line(line1);
  // A scan line fills all but the tail of its 50 blocks.
  ASSERT_EQ(b0.size(), 50u);
  ASSERT_EQ(b1.size(), 50u);
  std::vector<Block> blocks = {make_block(false), make_block(false)};  // lead-in before the sync
  blocks.insert(blocks.end(), b0.begin(), b0.end());
  blocks.insert(blocks.end(), b1.begin(), b1.end());

  test::TempDir dir;
  auto o = open_ahrpt(dir.write("p.ahrpt", to_bytes(blocks)));
  EXPECT_EQ(o->pic->data_offset, 512);
  EXPECT_EQ(o->pic->height, 2);
  std::vector<uint16_t> v(kAhrptLineValues, 0xFFFF);
  ASSERT_EQ(read_ahrpt1_line(o->pic.get(), &o->view, 0, v.data()), 1);
  EXPECT_EQ(v, line0);
  ASSERT_EQ(read_ahrpt1_line(o->pic.get(), &o->view, 1, v.data()), 1);
  EXPECT_EQ(v, line1);
}

TEST(AhrptOpen, ThroughFileOpeningAndTheLineStore) {
  const std::vector<uint16_t> line0 = planted_line(5);
  const std::vector<uint16_t> line1 = planted_line(6);
  std::vector<Block> blocks = pack_line(line0);
  const std::vector<Block> b1 = pack_line(line1);
  blocks.insert(blocks.end(), b1.begin(), b1.end());
  test::TempDir dir;
  auto pic = std::make_unique<PIC_INFO>();
  auto view = std::make_unique<VIEW_INFO>();
  pic->path = dir.write("m.ahrpt", to_bytes(blocks));
  ASSERT_EQ(open_file(pic.get(), view.get(), nullptr), 0);
  EXPECT_EQ(pic->file_type, kKindAHRPT);
  EXPECT_EQ(view->lmax, 1023);
  EXPECT_EQ(pic->height, 2);
  const size_t room = static_cast<size_t>(pic->frame.words_padded) * kLineBufFactor;
  std::vector<uint16_t> buf(room, 0);
  EXPECT_EQ(read_line(pic.get(), view.get(), 1, buf.data(), nullptr, nullptr, nullptr), 1);
  buf.resize(kAhrptLineValues);
  EXPECT_EQ(buf, line1);
}

TEST(AhrptLines, LineSyncMidwayRestartsAndShortFilesStopFilling) {
  const std::vector<uint16_t> line = planted_line(3);
  std::vector<Block> blocks = pack_line(line);
  test::TempDir dir;

  // A line sync in block 10 restarts at pixel 0, channel 0.
  std::vector<Block> resync = blocks;
  resync[10] = make_block(true, 2);
  resync[10][52] = 0xFF;
  resync[10][53] = 0xC0;
  auto o = open_ahrpt(dir.write("r.ahrpt", to_bytes(resync)));
  std::vector<uint16_t> v(kAhrptLineValues, 0xFFFF);
  EXPECT_EQ(read_ahrpt1_line(o->pic.get(), &o->view, 0, v.data()), 1);
  EXPECT_EQ(v[0], 0x3FF);

  // Cut after 20 blocks: the start of the line is there, the rest keeps the
  // buffer's contents; a line wholly past the end is no line.
  blocks.resize(20);
  o = open_ahrpt(dir.write("c.ahrpt", to_bytes(blocks)));
  EXPECT_EQ(o->pic->height, 0);
  v.assign(kAhrptLineValues, 0xFFFF);
  EXPECT_EQ(read_ahrpt1_line(o->pic.get(), &o->view, 0, v.data()), 1);
  EXPECT_EQ(v[0], line[0]);
  EXPECT_EQ(v[1000], line[1000]);
  EXPECT_EQ(v[kAhrptLineValues - 1], 0xFFFF);
  EXPECT_EQ(read_ahrpt1_line(o->pic.get(), &o->view, 1, v.data()), 0);
  EXPECT_EQ(read_ahrpt1_line(o->pic.get(), &o->view, -1, v.data()), 0);
}

}  // namespace
}  // namespace kelo
