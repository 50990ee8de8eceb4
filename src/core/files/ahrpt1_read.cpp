// Reader of Meteor AHRPT files: 256-byte transfer blocks, 50 to a scan line,
// six channels of 10-bit samples packed four to five bytes.
#include "core/files/ahrpt1_read.h"

#include <climits>
#include <cstring>

#include "core/base/bytes.h"

namespace kelo {

namespace {

constexpr int kLineSyncPos = 22;  // line sync in the block that starts a scan line
constexpr int kLineSyncLen = 8;
constexpr int kFirstSample = 22;                                    // sample bytes of an ordinary block
constexpr int kFirstSampleSync = kLineSyncPos + kLineSyncLen + 22;  // 52: after sync and line fields
constexpr int kLastPairPos = 253;  // a sample is taken from bytes (pos, pos + 1)
constexpr int kBlockSyncLen = 4;
// Blocks read for one line at most: a line fills in fewer than 50 blocks
// from its line sync; more mean the line syncs keep starting it again (a
// damaged or all-sync stream) and the file's rest would be read for every
// line.
constexpr int kMaxBlocksPerLine = 2 * kAhrptBlocksPerLine;

bool line_sync_at(const uint8_t* block) {
  return cmp_sync(block + kLineSyncPos, kAhrptLineSync1, kAhrptLineSync2, kLineSyncLen) <=
         kAhrptSyncTolerance;
}

// One 10-bit sample of the group whose bytes (b0..b4) the phase addresses:
// (lo, hi) are the bytes at the position of that phase and the one after.
uint16_t unpack_phase(int phase, uint8_t first, uint8_t second) {
  switch (phase) {
    case 0:
      return static_cast<uint16_t>((first << 2) | (second >> 6));
    case 1:
      return static_cast<uint16_t>(((first & 0x3F) << 4) | (second >> 4));
    case 2:
      return static_cast<uint16_t>(((first & 0x0F) << 6) | (second >> 2));
    default:
      return static_cast<uint16_t>(((first & 0x03) << 8) | second);
  }
}

long file_size(FILE* fp) {
  const long here = std::ftell(fp);
  if (here < 0 || std::fseek(fp, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(fp);
  std::fseek(fp, here, SEEK_SET);
  return size;
}

}  // namespace

int cmp_sync(const uint8_t* bytes, uint32_t w1, uint32_t w2, int length) {
  if (bytes == nullptr || length <= 0) return 0;
  if (length > 8) length = 8;
  uint8_t pattern[8];
  put_be32(pattern, w1);
  put_be32(pattern + 4, w2);
  int diff = 0;
  for (int i = 0; i < length; ++i) {
    if (bytes[i] != pattern[i]) ++diff;
  }
  return diff;
}

int search_startofline(FILE* fp) {
  if (fp == nullptr) return 0;
  std::rewind(fp);
  uint8_t block[kAhrptBlockBytes];
  while (std::fread(block, 1, sizeof block, fp) == sizeof block) {
    // The transfer-block sync is looked at but does not decide: damaged
    // block heads are common while the line sync survives.
    (void)cmp_sync(block, kAhrptBlockSync, 0, kBlockSyncLen);
    if (line_sync_at(block)) {
      std::fseek(fp, -static_cast<long>(kAhrptBlockBytes), SEEK_CUR);
      return 1;
    }
  }
  std::clearerr(fp);
  return 0;
}

void calc_ahrptframeinfo(FRAME_GEOM* geom, FileKind file_type, const int* chan_present, int pixels_per_chan) {
  if (geom == nullptr) return;
  (void)file_type;  // one layout only
  int n = 0;
  if (chan_present != nullptr) {
    for (int i = 1; i <= kMaxChannels; ++i) {
      if (chan_present[i] != 0) ++n;
    }
  }
  *geom = FRAME_GEOM{};
  geom->words_per_line = n * pixels_per_chan;
  geom->words_padded = geom->words_per_line;
  geom->line_bytes = kAhrptLineBytes;
  geom->hdr_words = 0;
  geom->tail_words = 0;
  geom->n_channels = n;
}

int read_ahrpt1_hdr(PIC_INFO* pic) {
  if (pic == nullptr) return 0;
  pic->width = kAhrptPixels;
  pic->depth = 10;
  pic->lut_size = 1024;
  for (auto& table : pic->lut) {
    for (int i = 0; i < kLutEntries; ++i) table[i] = i;
  }
  for (int& c : pic->chan_present) c = 0;
  if (pic->file_type == kKindAHRPT) {
    for (int i = 0; i <= kAhrptChannels; ++i) pic->chan_present[i] = 1;
  }
  pic->pixels_per_chan = kAhrptPixels;
  pic->sat_name = "Meteor";
  pic->sat_kind = SatKind::Meteor;
  pic->lines_per_sec = 6;
  pic->orientation = Orientation::Normal;
  pic->scan_dir = ScanDir::TopDown;
  pic->x_offset = 0;
  pic->y_offset = 0;

  FILE* fp = pic->pic_fp.get();
  // Without a line sync the lines are read from the file's start, never from
  // the offset a picture opened before left behind.
  pic->data_offset = 0;
  pic->height = 0;
  if (fp != nullptr) {
    if (search_startofline(fp) != 0) {
      const long pos = std::ftell(fp);
      if (pos > 0 && pos <= INT_MAX) pic->data_offset = static_cast<int>(pos);
    }
    const long size = file_size(fp);
    if (size > 0) pic->height = static_cast<int>(size / kAhrptLineBytes);
  }
  calc_ahrptframeinfo(&pic->frame, pic->file_type, pic->chan_present, pic->width);
  return 0;
}

int read_ahrpt1_line(PIC_INFO* pic, VIEW_INFO* view, int line, uint16_t* values) {
  (void)view;
  if (pic == nullptr || values == nullptr || line < 0) return 0;
  FILE* fp = pic->pic_fp.get();
  if (fp == nullptr) return 0;
  const int64_t line_bytes = pic->frame.line_bytes > 0 ? pic->frame.line_bytes : kAhrptLineBytes;
  const int64_t off = pic->data_offset + static_cast<int64_t>(line) * line_bytes;
  if (off > static_cast<int64_t>(LONG_MAX) || std::fseek(fp, static_cast<long>(off), SEEK_SET) != 0) {
    return 0;
  }

  int pixel = 0;
  int channel = 0;
  int phase = 0;
  int skip = 0;
  bool any_block = false;
  uint8_t block[kAhrptBlockBytes];
  int blocks = 0;
  while (blocks < kMaxBlocksPerLine && std::fread(block, 1, sizeof block, fp) == sizeof block) {
    ++blocks;
    any_block = true;
    int pos = kFirstSample;
    if (line_sync_at(block)) {
      pixel = 0;
      channel = 0;
      phase = 0;
      skip = 0;
      pos = kFirstSampleSync;
    }
    while (pos <= kLastPairPos) {
      pos += skip;
      skip = 0;
      if (pos > kLastPairPos) break;  // the skip carries no further: it was used
      const int index = kAhrptChannels * (pixel + phase) + channel;
      if (index >= 0 && index < kAhrptLineValues) {
        values[index] = unpack_phase(phase, block[pos], block[pos + 1]);
      }
      if (++phase == 4) {
        // Five bytes hold four samples: after the fourth, one byte is used up.
        phase = 0;
        skip = 1;
        channel = (channel + 1) % kAhrptChannels;
        if (channel == 0) pixel += 4;
      }
      if (pixel >= kAhrptPixels) return 1;
      ++pos;
    }
  }
  std::clearerr(fp);
  // Past the end of the file there is no line at all.
  return any_block ? 1 : 0;
}

}  // namespace kelo
