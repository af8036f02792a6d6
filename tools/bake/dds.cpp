#include "dds.h"

namespace bake {

namespace {

void put32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<uint8_t> encode_dds(const Image& image) {
  const size_t pixels = static_cast<size_t>(image.width) * image.height;
  std::vector<uint8_t> out(kDdsHeaderBytes + pixels * 4, 0);
  out[0] = 'D';
  out[1] = 'D';
  out[2] = 'S';
  out[3] = ' ';
  put32(out, 4, 124);
  // caps, height, width, pitch and pixel format are present
  put32(out, 8, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000);
  put32(out, 12, static_cast<uint32_t>(image.height));
  put32(out, 16, static_cast<uint32_t>(image.width));
  put32(out, 20, static_cast<uint32_t>(image.width) * 4);
  // pixel format at 76: RGB with alpha, 32 bits, A8R8G8B8 masks
  put32(out, 76, 32);
  put32(out, 80, 0x1 | 0x40);
  put32(out, 88, 32);
  put32(out, 92, 0x00FF0000);
  put32(out, 96, 0x0000FF00);
  put32(out, 100, 0x000000FF);
  put32(out, 104, 0xFF000000);
  put32(out, 108, 0x1000);  // a plain texture
  for (size_t i = 0; i < pixels; ++i) {
    const uint8_t* rgba = &image.rgba[i * 4];
    uint8_t* bgra = &out[kDdsHeaderBytes + i * 4];
    bgra[0] = rgba[2];
    bgra[1] = rgba[1];
    bgra[2] = rgba[0];
    bgra[3] = rgba[3];
  }
  return out;
}

}  // namespace bake
