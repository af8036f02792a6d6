#include "bmp.h"

namespace bake {

namespace {

void put16(std::vector<uint8_t>& out, size_t at, uint16_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<uint8_t> encode_bmp24(const Image& image) {
  constexpr size_t kHeaderBytes = 14 + 40;
  const size_t row_bytes = (static_cast<size_t>(image.width) * 3 + 3) & ~size_t{3};
  const size_t data_bytes = row_bytes * image.height;
  std::vector<uint8_t> out(kHeaderBytes + data_bytes, 0);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, static_cast<uint32_t>(out.size()));
  put32(out, 10, kHeaderBytes);
  put32(out, 14, 40);
  put32(out, 18, static_cast<uint32_t>(image.width));
  put32(out, 22, static_cast<uint32_t>(image.height));
  put16(out, 26, 1);
  put16(out, 28, 24);
  put32(out, 34, static_cast<uint32_t>(data_bytes));
  put32(out, 38, 2835);  // 72 dpi
  put32(out, 42, 2835);
  for (int y = 0; y < image.height; ++y) {
    uint8_t* row = &out[kHeaderBytes + row_bytes * (image.height - 1 - y)];
    for (int x = 0; x < image.width; ++x) {
      const uint8_t* p = image.pixel(x, y);
      row[x * 3 + 0] = p[2];
      row[x * 3 + 1] = p[1];
      row[x * 3 + 2] = p[0];
    }
  }
  return out;
}

}  // namespace bake
