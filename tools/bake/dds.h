#pragma once
// Uncompressed 32-bit DDS (A8R8G8B8 masks, no mipmaps, top row first).

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image.h"

namespace bake {

constexpr size_t kDdsHeaderBytes = 128;  // magic plus the 124-byte header

std::vector<uint8_t> encode_dds(const Image& image);

}  // namespace bake
