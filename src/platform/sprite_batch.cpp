#include "platform/sprite_batch.h"

namespace quarvex {

SpriteBatch::SpriteBatch(size_t max_quads) : max_vertices_(max_quads * 6) {
  // Reserved once, so that a frame never allocates.
  vertices_.reserve(max_vertices_);
  runs_.reserve(max_quads);
}

bool SpriteBatch::add_quad(uint32_t texture, const std::array<BatchVertex, 4>& corners) {
  if (vertices_.size() + 6 > max_vertices_) return false;
  const auto first = static_cast<uint32_t>(vertices_.size());
  for (int corner : {0, 1, 2, 0, 2, 3}) vertices_.push_back(corners[corner]);
  if (!runs_.empty() && runs_.back().texture == texture) {
    runs_.back().vertex_count += 6;
  } else {
    runs_.push_back(BatchRun{texture, first, 6});
  }
  return true;
}

void SpriteBatch::clear() {
  vertices_.clear();
  runs_.clear();
}

void set_colour(BatchVertex& v, uint32_t argb) {
  v.a = static_cast<uint8_t>(argb >> 24);
  v.r = static_cast<uint8_t>(argb >> 16);
  v.g = static_cast<uint8_t>(argb >> 8);
  v.b = static_cast<uint8_t>(argb);
}

}  // namespace quarvex
