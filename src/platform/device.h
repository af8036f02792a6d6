#pragma once
// What the drawing code needs from a rendering device: textured, alpha-blended
// quads in 3D with a depth buffer, the same in screen pixels, text, and
// presenting the picture. No graphics-library types appear here, so the
// drawing code can be tested against a recording device.

#include <array>
#include <cstdint>
#include <glm/mat4x4.hpp>

#include "lang/face.h"

namespace quarvex {

// Texture slots 0..7 hold the sprite atlases, 8 the stage's ground image.
constexpr int kTextureSlots = 9;
constexpr int kGroundSlot = 8;

constexpr int kPictureWidth = 640;
constexpr int kPictureHeight = 480;

// A vertex in model space, placed by the current world matrix.
struct WorldVertex {
  float x, y, z;
  uint32_t colour;  // ARGB
  float u, v;
};

// A vertex already in pixels of the 640x480 picture, y downward.
struct ScreenVertex {
  float x, y, z;
  float rhw;
  uint32_t colour;  // ARGB
  float u, v;
};

enum class TextAlign { kLeft, kRight, kCentre };

// Text is laid out in this rectangle of the picture: left-aligned text starts
// at `left`, right-aligned text ends at `right`, centred text is centred
// between them; all start at `top`. It is the text's box: a text that needs
// more room than it gives overflows (tests check every text of every
// language against its box).
struct TextRect {
  int left, top, right, bottom;
};

struct TextSize {
  int width = 0;
  int height = 0;
};

class Device {
 public:
  virtual ~Device() = default;
  // Clears colour and depth and sets the fixed states: depth test
  // less-or-equal, no culling, nearest sampling, texture x vertex colour and
  // alpha, source-alpha blending.
  virtual void begin_frame(uint32_t clear_argb, float clear_depth) = 0;
  virtual void set_view_projection(const glm::mat4& view, const glm::mat4& projection) = 0;
  virtual void set_world(const glm::mat4& world) = 0;
  // A quad as a fan of two triangles (0,1,2), (0,2,3). A slot outside 0..8
  // or an empty slot draws the quad untextured.
  virtual void draw_world_quad(int slot, const std::array<WorldVertex, 4>& quad) = 0;
  virtual void draw_screen_quad(int slot, const std::array<ScreenVertex, 4>& quad) = 0;
  // UTF-8 text, drawn over everything drawn before it.
  virtual void draw_text(const char* text, const TextRect& rect, TextAlign align,
                         uint32_t argb) = 0;
  // The face the texts that follow are drawn with: their language's. A
  // character it lacks is drawn from the other face.
  virtual void set_text_face(TextFace face) = 0;
  // The pixels a text takes as draw_text draws it, every line of it.
  virtual TextSize text_size(const char* text) = 0;
  virtual void present() = 0;
};

}  // namespace quarvex
