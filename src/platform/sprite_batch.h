#pragma once
// Collects the game's quads in their exact drawing order and groups each run
// of quads with one texture and one opacity, so that a run is drawn with one
// call. Knows no graphics library: a texture is just a number here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarvex {

struct BatchVertex {
  float x, y, z, w;  // clip space
  uint8_t r, g, b, a;
  float u, v;
};

struct BatchRun {
  uint32_t texture;
  // Every pixel of the run is drawn at full alpha, so blending would leave
  // it unchanged and can be skipped.
  bool opaque;
  uint32_t first_vertex;
  uint32_t vertex_count;
};

class SpriteBatch {
 public:
  explicit SpriteBatch(size_t max_quads);
  // A fan of four corners becomes two triangles (0,1,2) and (0,2,3). The
  // quad is opaque when its texture is and all four corners have full alpha.
  // Returns false, adding nothing, when the batch is full and must be drawn
  // first.
  bool add_quad(uint32_t texture, bool texture_opaque, const std::array<BatchVertex, 4>& corners);
  void clear();
  bool empty() const { return vertices_.empty(); }
  const std::vector<BatchVertex>& vertices() const { return vertices_; }
  const std::vector<BatchRun>& runs() const { return runs_; }

 private:
  size_t max_vertices_;
  std::vector<BatchVertex> vertices_;
  std::vector<BatchRun> runs_;
};

// True when the four clip-space corners lie wholly beyond one side of the
// view volume, so the quad would leave no pixel. A corner with a NaN
// coordinate is never beyond a side.
bool outside_view(const std::array<BatchVertex, 4>& corners);

// True when the quad, drawn as the triangles (0,1,2) and (0,2,3), leaves a
// pixel everywhere in the picture: all corners in front of the eye and
// inside the depth range, the quad convex, and the picture's edges inside
// its own with a margin for the rasteriser's rounding.
bool covers_picture(const std::array<BatchVertex, 4>& corners);

// The opacity add_quad gives a quad.
bool quad_opaque(bool texture_opaque, const std::array<BatchVertex, 4>& corners);

// Splits an ARGB colour into the byte order of a batch vertex.
void set_colour(BatchVertex& v, uint32_t argb);

}  // namespace quarvex
