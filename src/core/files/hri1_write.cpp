// Writer of HRI1 recordings: the file header and one record per frame.
#include "core/files/hri1_write.h"

#include <cstdio>
#include <cstring>

#include "core/base/bytes.h"
#include "core/files/hri1_read.h"

namespace kelo {

int write_hri1_hdr(RECORD_INFO* rec) {
  if (rec == nullptr) return 0;
  FILE* fp = rec->rec_fp.get();
  if (fp == nullptr) return 0;
  uint8_t header[kHriHeaderBytes] = {};
  std::memcpy(header, "PDUS", 4);
  return std::fwrite(header, 1, sizeof header, fp) == sizeof header ? 1 : 0;
}

int write_hri1_line(RECORD_INFO* rec, const uint16_t* words) {
  if (rec == nullptr || words == nullptr) return 0;
  FILE* fp = rec->rec_fp.get();
  if (fp == nullptr) return 0;
  uint8_t record[kHriRecordBytes];
  std::memcpy(record, "FRAME", 5);
  put_le16(record + 5, static_cast<uint16_t>(rec->frame.line_bytes));
  for (int i = 0; i < kHriFrameBytes; ++i) {
    record[kHriRecordHead + i] = static_cast<uint8_t>(words[i] & 0xFF);
  }
  // A full disk must not pass as a stored frame.
  return std::fwrite(record, 1, sizeof record, fp) == sizeof record ? 1 : 0;
}

}  // namespace kelo
