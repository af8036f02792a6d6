#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "platform/image.h"

namespace quarvex {

namespace {

constexpr size_t kHeaderSize = 128;  // magic plus the 124-byte header
constexpr uint32_t kPixelAlpha = 0x1;
constexpr uint32_t kPixelFourCc = 0x4;
constexpr uint32_t kPixelRgb = 0x40;
constexpr uint32_t kPixelLuminance = 0x20000;

uint32_t read_u32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
uint16_t read_u16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}

constexpr uint32_t four_cc(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
         uint32_t(uint8_t(s[3])) << 24;
}

// Scales the bits of `pixel` under `mask` to 0..255.
uint8_t channel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  const int shift = std::countr_zero(mask);
  const uint32_t max = mask >> shift;
  const uint32_t value = (pixel & mask) >> shift;
  return static_cast<uint8_t>((uint64_t{value} * 255 + max / 2) / max);
}

struct Rgb {
  uint8_t r, g, b;
};

Rgb expand_565(uint16_t c) {
  const auto r = static_cast<uint8_t>((c >> 11) & 31);
  const auto g = static_cast<uint8_t>((c >> 5) & 63);
  const auto b = static_cast<uint8_t>(c & 31);
  return Rgb{static_cast<uint8_t>(r << 3 | r >> 2), static_cast<uint8_t>(g << 2 | g >> 4),
             static_cast<uint8_t>(b << 3 | b >> 2)};
}

uint8_t mix(int a, int b, int wa, int wb) {
  return static_cast<uint8_t>((a * wa + b * wb) / (wa + wb));
}

// Decodes the 8-byte colour part of a block into 16 RGBA texels; a DXT1
// block whose first colour is not above the second has a transparent fourth.
void decode_colour_block(const uint8_t* block, bool allow_transparent,
                         std::array<uint8_t, 64>& texels) {
  const uint16_t c0 = read_u16(block);
  const uint16_t c1 = read_u16(block + 2);
  const Rgb a = expand_565(c0);
  const Rgb b = expand_565(c1);
  std::array<std::array<uint8_t, 4>, 4> palette{};
  palette[0] = {a.r, a.g, a.b, 255};
  palette[1] = {b.r, b.g, b.b, 255};
  if (c0 > c1 || !allow_transparent) {
    palette[2] = {mix(a.r, b.r, 2, 1), mix(a.g, b.g, 2, 1), mix(a.b, b.b, 2, 1), 255};
    palette[3] = {mix(a.r, b.r, 1, 2), mix(a.g, b.g, 1, 2), mix(a.b, b.b, 1, 2), 255};
  } else {
    palette[2] = {mix(a.r, b.r, 1, 1), mix(a.g, b.g, 1, 1), mix(a.b, b.b, 1, 1), 255};
    palette[3] = {0, 0, 0, 0};
  }
  const uint32_t indices = read_u32(block + 4);
  for (int i = 0; i < 16; ++i) {
    const auto& c = palette[(indices >> (2 * i)) & 3];
    std::copy(c.begin(), c.end(), texels.begin() + i * 4);
  }
}

void decode_explicit_alpha(const uint8_t* block, std::array<uint8_t, 64>& texels) {
  for (int i = 0; i < 16; ++i) {
    const int nibble = (block[i / 2] >> ((i % 2) * 4)) & 15;
    texels[i * 4 + 3] = static_cast<uint8_t>(nibble * 17);
  }
}

void decode_interpolated_alpha(const uint8_t* block, std::array<uint8_t, 64>& texels) {
  const int a0 = block[0];
  const int a1 = block[1];
  std::array<uint8_t, 8> alpha{};
  alpha[0] = static_cast<uint8_t>(a0);
  alpha[1] = static_cast<uint8_t>(a1);
  if (a0 > a1) {
    for (int i = 1; i < 7; ++i) alpha[i + 1] = mix(a0, a1, 7 - i, i);
  } else {
    for (int i = 1; i < 5; ++i) alpha[i + 1] = mix(a0, a1, 5 - i, i);
    alpha[6] = 0;
    alpha[7] = 255;
  }
  uint64_t bits = 0;
  for (int i = 0; i < 6; ++i) bits |= uint64_t{block[2 + i]} << (8 * i);
  for (int i = 0; i < 16; ++i) texels[i * 4 + 3] = alpha[(bits >> (3 * i)) & 7];
}

enum class Compression { kDxt1, kDxt3, kDxt5 };

void decode_blocks(const uint8_t* data, Compression kind, Image& out) {
  const int blocks_wide = (out.width + 3) / 4;
  const int blocks_high = (out.height + 3) / 4;
  const size_t block_size = kind == Compression::kDxt1 ? 8 : 16;
  std::array<uint8_t, 64> texels{};
  for (int by = 0; by < blocks_high; ++by) {
    for (int bx = 0; bx < blocks_wide; ++bx) {
      const uint8_t* block = data + (size_t(by) * blocks_wide + bx) * block_size;
      if (kind == Compression::kDxt1) {
        decode_colour_block(block, true, texels);
      } else {
        decode_colour_block(block + 8, false, texels);
        if (kind == Compression::kDxt3) {
          decode_explicit_alpha(block, texels);
        } else {
          decode_interpolated_alpha(block, texels);
        }
      }
      for (int ty = 0; ty < 4; ++ty) {
        const int y = by * 4 + ty;
        if (y >= out.height) break;
        for (int tx = 0; tx < 4; ++tx) {
          const int x = bx * 4 + tx;
          if (x >= out.width) break;
          std::memcpy(&out.rgba[(size_t(y) * out.width + x) * 4], &texels[(ty * 4 + tx) * 4], 4);
        }
      }
    }
  }
}

}  // namespace

bool decode_dds(const uint8_t* data, size_t size, Image& out, std::string& error) {
  if (size < kHeaderSize || std::memcmp(data, "DDS ", 4) != 0) {
    error = "not a DDS file";
    return false;
  }
  const uint8_t* header = data + 4;
  const uint32_t height = read_u32(header + 8);
  const uint32_t width = read_u32(header + 12);
  const uint8_t* format = header + 72;
  const uint32_t flags = read_u32(format + 4);
  const uint32_t code = read_u32(format + 8);
  const uint32_t bit_count = read_u32(format + 12);
  if (read_u32(header) != 124 || read_u32(format) != 32) {
    error = "DDS header has the wrong size";
    return false;
  }
  if (width == 0 || height == 0 || width > kMaxImageEdge || height > kMaxImageEdge) {
    error = "DDS picture size " + std::to_string(width) + "x" + std::to_string(height) +
            " is outside 1.." + std::to_string(kMaxImageEdge);
    return false;
  }
  const size_t available = size - kHeaderSize;
  const uint8_t* pixels = data + kHeaderSize;

  if (flags & kPixelFourCc) {
    Compression kind;
    if (code == four_cc("DXT1")) {
      kind = Compression::kDxt1;
    } else if (code == four_cc("DXT3")) {
      kind = Compression::kDxt3;
    } else if (code == four_cc("DXT5")) {
      kind = Compression::kDxt5;
    } else {
      error = "DDS compression is not DXT1, DXT3 or DXT5";
      return false;
    }
    const size_t blocks = size_t{(width + 3) / 4} * ((height + 3) / 4);
    const size_t needed = blocks * (kind == Compression::kDxt1 ? 8 : 16);
    if (needed > available) {
      error = "DDS file is shorter than its picture";
      return false;
    }
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.rgba.assign(size_t{width} * height * 4, 0);
    decode_blocks(pixels, kind, out);
    return true;
  }

  if (!(flags & (kPixelRgb | kPixelLuminance)) ||
      (bit_count != 16 && bit_count != 24 && bit_count != 32)) {
    error = "DDS pixel format is not 16, 24 or 32-bit RGB";
    return false;
  }
  const uint32_t red_mask = read_u32(format + 16);
  const uint32_t green_mask = read_u32(format + 20);
  const uint32_t blue_mask = read_u32(format + 24);
  const uint32_t alpha_mask = (flags & kPixelAlpha) ? read_u32(format + 28) : 0;
  const bool luminance = (flags & kPixelLuminance) != 0;
  const size_t bytes_per_pixel = bit_count / 8;
  const size_t needed = size_t{width} * height * bytes_per_pixel;
  if (needed > available) {
    error = "DDS file is shorter than its picture";
    return false;
  }
  out.width = static_cast<int>(width);
  out.height = static_cast<int>(height);
  out.rgba.resize(size_t{width} * height * 4);
  for (size_t i = 0; i < size_t{width} * height; ++i) {
    const uint8_t* p = pixels + i * bytes_per_pixel;
    uint32_t pixel = 0;
    for (size_t b = 0; b < bytes_per_pixel; ++b) pixel |= uint32_t{p[b]} << (8 * b);
    uint8_t* o = &out.rgba[i * 4];
    o[0] = channel(pixel, red_mask);
    o[1] = luminance ? o[0] : channel(pixel, green_mask);
    o[2] = luminance ? o[0] : channel(pixel, blue_mask);
    o[3] = alpha_mask != 0 ? channel(pixel, alpha_mask) : 255;
  }
  return true;
}

}  // namespace quarvex
