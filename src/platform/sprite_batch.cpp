#include "platform/sprite_batch.h"

namespace quarvex {

SpriteBatch::SpriteBatch(size_t max_quads) : max_vertices_(max_quads * 6) {
  // Reserved once, so that a frame never allocates.
  vertices_.reserve(max_vertices_);
  runs_.reserve(max_quads);
}

bool SpriteBatch::add_quad(uint32_t texture, bool texture_opaque,
                           const std::array<BatchVertex, 4>& corners) {
  if (vertices_.size() + 6 > max_vertices_) return false;
  const auto first = static_cast<uint32_t>(vertices_.size());
  for (int corner : {0, 1, 2, 0, 2, 3}) vertices_.push_back(corners[corner]);
  const bool opaque = quad_opaque(texture_opaque, corners);
  if (!runs_.empty() && runs_.back().texture == texture && runs_.back().opaque == opaque) {
    runs_.back().vertex_count += 6;
  } else {
    runs_.push_back(BatchRun{texture, opaque, first, 6});
  }
  return true;
}

void SpriteBatch::clear() {
  vertices_.clear();
  runs_.clear();
}

bool outside_view(const std::array<BatchVertex, 4>& corners) {
  // The quad is the convex hull of its corners, so when every corner is
  // beyond the same plane of -w <= x, y, z <= w, so is all of it, whatever
  // the sign of w.
  const auto all = [&](auto beyond) {
    for (const BatchVertex& c : corners) {
      if (!beyond(c)) return false;
    }
    return true;
  };
  return all([](const BatchVertex& c) { return c.x < -c.w; }) ||
         all([](const BatchVertex& c) { return c.x > c.w; }) ||
         all([](const BatchVertex& c) { return c.y < -c.w; }) ||
         all([](const BatchVertex& c) { return c.y > c.w; }) ||
         all([](const BatchVertex& c) { return c.z < -c.w; }) ||
         all([](const BatchVertex& c) { return c.z > c.w; });
}

bool quad_opaque(bool texture_opaque, const std::array<BatchVertex, 4>& corners) {
  bool opaque = texture_opaque;
  for (const BatchVertex& c : corners) opaque = opaque && c.a == 255;
  return opaque;
}

bool covers_picture(const std::array<BatchVertex, 4>& corners) {
  // Past the picture's edges (at -1 and 1) by several pixels.
  constexpr double kReach = 1.01;
  std::array<double, 4> px{};
  std::array<double, 4> py{};
  for (size_t i = 0; i < 4; ++i) {
    const BatchVertex& c = corners[i];
    if (!(c.w > 0.0f && c.z >= -c.w && c.z <= c.w)) return false;  // also refuses NaN
    px[i] = double{c.x} / c.w;
    py[i] = double{c.y} / c.w;
  }
  // Twice the signed area of the triangle (a, b, q): which side of a->b q lies on.
  const auto side = [&](size_t a, size_t b, double qx, double qy) {
    return (px[b] - px[a]) * (qy - py[a]) - (py[b] - py[a]) * (qx - px[a]);
  };
  const double turn = side(0, 1, px[2], py[2]) > 0 ? 1.0 : -1.0;
  for (size_t i = 0; i < 4; ++i) {
    // Convex: every corner turns the same way as the first.
    if (!(turn * side(i, (i + 1) % 4, px[(i + 2) % 4], py[(i + 2) % 4]) > 0)) return false;
  }
  for (const double qx : {-kReach, kReach}) {
    for (const double qy : {-kReach, kReach}) {
      for (size_t i = 0; i < 4; ++i) {
        if (!(turn * side(i, (i + 1) % 4, qx, qy) > 0)) return false;
      }
    }
  }
  return true;
}

void set_colour(BatchVertex& v, uint32_t argb) {
  v.a = static_cast<uint8_t>(argb >> 24);
  v.r = static_cast<uint8_t>(argb >> 16);
  v.g = static_cast<uint8_t>(argb >> 8);
  v.b = static_cast<uint8_t>(argb);
}

}  // namespace quarvex
