#pragma once
// Pictures as 8-bit RGBA, rows from the top.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quarvex {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // width * height * 4 bytes
};

// True when every pixel has full alpha.
bool is_opaque(const Image& image);

// The largest edge a picture may have; anything bigger is refused before a
// byte of it is allocated.
constexpr int kMaxImageEdge = 8192;

// Decodes a DDS file held in memory: uncompressed 16/24/32-bit pixels with
// channel masks, and DXT1/3/5. Only the top mip level is read. Every size is
// checked against the length of the data. On failure returns false and says
// why in `error`.
bool decode_dds(const uint8_t* data, size_t size, Image& out, std::string& error);

// Decodes a picture: DDS by its magic, BMP and PNG through stb_image.
bool decode_image(const uint8_t* data, size_t size, Image& out, std::string& error);

// Reads and decodes a picture file.
bool load_image_file(const std::string& path, Image& out, std::string& error);

}  // namespace quarvex
