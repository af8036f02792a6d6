#pragma once
// Little-endian bytes in and out. The reader never reads past its span: a
// read beyond the end fails, leaves the value zero and marks the reader
// failed, so a decoder checks once at the end.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace quarvex::net {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  uint8_t u8() { return static_cast<uint8_t>(take(1)); }
  uint16_t u16() { return static_cast<uint16_t>(take(2)); }
  uint32_t u32() { return static_cast<uint32_t>(take(4)); }
  uint64_t u64() { return take(8); }
  // The next n bytes, or an empty span (and failed) when fewer are left.
  std::span<const uint8_t> bytes(size_t n) {
    if (n > left()) {
      failed_ = true;
      pos_ = bytes_.size();
      return {};
    }
    const auto out = bytes_.subspan(pos_, n);
    pos_ += n;
    return out;
  }
  size_t left() const { return bytes_.size() - pos_; }
  bool failed() const { return failed_; }

 private:
  uint64_t take(size_t width) {
    if (width > left()) {
      failed_ = true;
      pos_ = bytes_.size();
      return 0;
    }
    uint64_t v = 0;
    for (size_t i = 0; i < width; ++i) v |= uint64_t{bytes_[pos_ + i]} << (8 * i);
    pos_ += width;
    return v;
  }

  std::span<const uint8_t> bytes_;
  size_t pos_ = 0;
  bool failed_ = false;
};

// Appends to a vector that keeps its capacity between messages.
class ByteWriter {
 public:
  explicit ByteWriter(std::vector<uint8_t>& out) : out_(out) {}

  void u8(uint8_t v) { out_.push_back(v); }
  void u16(uint16_t v) { put(v, 2); }
  void u32(uint32_t v) { put(v, 4); }
  void u64(uint64_t v) { put(v, 8); }
  void bytes(std::span<const uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
  size_t size() const { return out_.size(); }
  // Writes a 32-bit value over bytes already written (a length known later).
  void patch_u32(size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) out_[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }

 private:
  void put(uint64_t v, int width) {
    for (int i = 0; i < width; ++i) out_.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }

  std::vector<uint8_t>& out_;
};

}  // namespace quarvex::net
