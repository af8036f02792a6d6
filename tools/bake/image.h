#pragma once
// A plain picture in memory: straight (not premultiplied) RGBA, top row first.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bake {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;

  Image() = default;
  Image(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0) {}
  uint8_t* pixel(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  const uint8_t* pixel(int x, int y) const {
    return &rgba[(static_cast<size_t>(y) * width + x) * 4];
  }
};

}  // namespace bake
