// Explicit byte order for everything read from or written to files and the
// port. Never reinterpret file bytes as structs: go through these helpers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kelo {

inline uint16_t get_le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint16_t get_be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
inline uint32_t get_le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint32_t get_be32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}
inline int16_t get_le16s(const uint8_t* p) { return static_cast<int16_t>(get_le16(p)); }
inline int32_t get_le32s(const uint8_t* p) { return static_cast<int32_t>(get_le32(p)); }

inline void put_le16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put_be16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v >> 8);
  p[1] = static_cast<uint8_t>(v & 0xFF);
}
inline void put_le32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>((v >> (8 * i)) & 0xFF);
}
inline void put_be32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>((v >> (8 * (3 - i))) & 0xFF);
}

// IEEE 754 single precision, little-endian, as the recording headers store it.
inline float float32_from_le(const uint8_t* p) {
  uint32_t bits = get_le32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}
inline void float32_to_le(uint8_t* p, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  put_le32(p, bits);
}

// Bounds-checked view of a byte buffer read from a file. Every getter checks
// that the field lies inside the buffer; `ok()` turns false on the first
// field that does not, and the getter then returns 0.
class ByteView {
 public:
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool has(size_t off, size_t n) const { return off <= size_ && n <= size_ - off; }
  bool ok() const { return ok_; }
  size_t size() const { return size_; }
  const uint8_t* data() const { return data_; }

  uint8_t u8(size_t off) { return check(off, 1) ? data_[off] : 0; }
  uint16_t le16(size_t off) { return check(off, 2) ? get_le16(data_ + off) : 0; }
  uint16_t be16(size_t off) { return check(off, 2) ? get_be16(data_ + off) : 0; }
  uint32_t le32(size_t off) { return check(off, 4) ? get_le32(data_ + off) : 0; }
  uint32_t be32(size_t off) { return check(off, 4) ? get_be32(data_ + off) : 0; }
  float lef32(size_t off) { return check(off, 4) ? float32_from_le(data_ + off) : 0.0f; }

 private:
  bool check(size_t off, size_t n) {
    if (has(off, n)) return true;
    ok_ = false;
    return false;
  }
  const uint8_t* data_;
  size_t size_;
  bool ok_ = true;
};

// Multiplies sizes for an allocation; false when the product overflows or
// exceeds `limit` bytes, so a damaged header never drives a huge allocation.
inline bool checked_size(size_t a, size_t b, size_t limit, size_t* out) {
  if (a != 0 && b > limit / a) return false;
  *out = a * b;
  return *out <= limit;
}

}  // namespace kelo
