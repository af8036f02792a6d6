#pragma once
// 24-bit uncompressed BMP, written bottom row first as the format wants.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image.h"

namespace bake {

std::vector<uint8_t> encode_bmp24(const Image& image);

}  // namespace bake
