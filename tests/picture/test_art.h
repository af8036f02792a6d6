#pragma once
// Small generated pictures for the picture tests: 4x4 atlases whose cells
// differ in colour and show which way is up, a ground picture, and DDS
// files of them.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/image.h"

namespace quarvex::testing {

constexpr int kTestCell = 16;  // pixels per atlas cell

// Cell c of atlas `slot`: a coloured square with a transparent margin and a
// light notch at the top edge.
inline Image test_atlas(int slot) {
  Image img;
  img.width = img.height = kTestCell * 4;
  img.rgba.assign(size_t(img.width) * img.height * 4, 0);
  for (int y = 0; y < img.height; ++y) {
    for (int x = 0; x < img.width; ++x) {
      const int cell = (y / kTestCell) * 4 + x / kTestCell;
      const int cx = x % kTestCell;
      const int cy = y % kTestCell;
      uint8_t* p = &img.rgba[(size_t(y) * img.width + x) * 4];
      if (cx < 2 || cx >= kTestCell - 2 || cy < 2 || cy >= kTestCell - 2) continue;
      const bool notch = cy < 6 && cx >= 6 && cx < 10;
      p[0] = notch ? 255 : static_cast<uint8_t>(40 + 13 * cell);
      p[1] = notch ? 255 : static_cast<uint8_t>(60 + 25 * slot);
      p[2] = notch ? 255 : static_cast<uint8_t>(230 - 12 * cell);
      p[3] = 255;
    }
  }
  return img;
}

// A checkered ground, darker toward the bottom, with a red top edge.
inline Image test_ground() {
  Image img;
  img.width = img.height = 64;
  img.rgba.resize(size_t(64) * 64 * 4);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = &img.rgba[(size_t(y) * 64 + x) * 4];
      const bool light = ((x / 8) + (y / 8)) % 2 == 0;
      p[0] = y < 2 ? 200 : static_cast<uint8_t>(light ? 90 : 60);
      p[1] = static_cast<uint8_t>((light ? 130 : 100) - y);
      p[2] = static_cast<uint8_t>(light ? 70 : 50);
      p[3] = 255;
    }
  }
  return img;
}

// An uncompressed 32-bit DDS with alpha of the picture.
inline std::vector<uint8_t> encode_dds(const Image& img) {
  std::vector<uint8_t> b(128, 0);
  auto put = [&b](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  std::memcpy(b.data(), "DDS ", 4);
  put(4, 124);
  put(8, 0x100F);
  put(12, static_cast<uint32_t>(img.height));
  put(16, static_cast<uint32_t>(img.width));
  put(20, static_cast<uint32_t>(img.width) * 4);
  put(76, 32);
  put(80, 0x41);
  put(88, 32);
  put(92, 0x00FF0000);
  put(96, 0x0000FF00);
  put(100, 0x000000FF);
  put(104, 0xFF000000);
  put(108, 0x1000);
  for (size_t i = 0; i < img.rgba.size(); i += 4) {
    b.push_back(img.rgba[i + 2]);
    b.push_back(img.rgba[i + 1]);
    b.push_back(img.rgba[i]);
    b.push_back(img.rgba[i + 3]);
  }
  return b;
}

}  // namespace quarvex::testing

namespace quarvex::testing {

// A 24-bit BMP of the picture (rows stored bottom-up, padded to 4 bytes).
inline std::vector<uint8_t> encode_bmp(const Image& img) {
  const size_t row = (size_t(img.width) * 3 + 3) / 4 * 4;
  const size_t size = 54 + row * img.height;
  std::vector<uint8_t> b(54, 0);
  auto put = [&b](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put(2, static_cast<uint32_t>(size));
  put(10, 54);
  put(14, 40);
  put(18, static_cast<uint32_t>(img.width));
  put(22, static_cast<uint32_t>(img.height));
  b[26] = 1;
  b[28] = 24;
  for (int y = img.height - 1; y >= 0; --y) {
    for (int x = 0; x < img.width; ++x) {
      const uint8_t* p = &img.rgba[(size_t(y) * img.width + x) * 4];
      b.insert(b.end(), {p[2], p[1], p[0]});
    }
    b.resize(b.size() + (row - size_t(img.width) * 3), 0);
  }
  return b;
}

}  // namespace quarvex::testing
