#pragma once
// A Device that draws nothing and keeps, in order, every quad and text it
// was asked to draw, for tests of the drawing code.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/device.h"

namespace quarvex::testing {

struct RecordedQuad {
  bool in_world;
  int slot;
  glm::mat4 world;  // the world matrix in effect, for world quads
  std::array<WorldVertex, 4> world_quad;
  std::array<ScreenVertex, 4> screen_quad;

  // Where a world sprite lands and how it is turned.
  float world_x() const { return world[3][0]; }
  float world_y() const { return world[3][1]; }
  float world_z() const { return world[3][2]; }
  double angle() const { return std::atan2(world[0][1], world[0][0]); }
  // Screen squares: centre, edge length, alpha.
  float centre_x() const { return (screen_quad[0].x + screen_quad[2].x) / 2; }
  float centre_y() const { return (screen_quad[0].y + screen_quad[2].y) / 2; }
  float size() const { return screen_quad[2].x - screen_quad[0].x; }
  uint32_t alpha() const { return screen_quad[0].colour >> 24; }
  // The atlas cell a quad shows, from its top-left texture corner.
  int cell() const {
    const float u = in_world ? world_quad[1].u : screen_quad[0].u;
    const float v = in_world ? world_quad[1].v : screen_quad[0].v;
    return static_cast<int>(std::lround(v * 4)) * 4 + static_cast<int>(std::lround(u * 4));
  }
};

struct RecordedText {
  std::string text;
  TextRect rect;
  TextAlign align;
  uint32_t colour;
  TextFace face;
};

struct RecordingDevice : Device {
  std::vector<RecordedQuad> quads;
  std::vector<RecordedText> texts;
  std::vector<std::string> calls;  // begin, view, quad, text, present in call order
  TextFace face = TextFace::kLatin;
  uint32_t clear_colour = 0;
  glm::mat4 view{1.0f};
  glm::mat4 projection{1.0f};
  glm::mat4 world{1.0f};

  void begin_frame(uint32_t clear_argb, float) override {
    clear_colour = clear_argb;
    calls.push_back("begin");
  }
  void set_view_projection(const glm::mat4& v, const glm::mat4& p) override {
    view = v;
    projection = p;
    calls.push_back("view");
  }
  void set_world(const glm::mat4& m) override { world = m; }
  void draw_world_quad(int slot, const std::array<WorldVertex, 4>& quad) override {
    quads.push_back(RecordedQuad{true, slot, world, quad, {}});
    calls.push_back("quad");
  }
  void draw_screen_quad(int slot, const std::array<ScreenVertex, 4>& quad) override {
    quads.push_back(RecordedQuad{false, slot, glm::mat4(1.0f), {}, quad});
    calls.push_back("quad");
  }
  void draw_text(const char* text, const TextRect& rect, TextAlign align, uint32_t argb) override {
    texts.push_back(RecordedText{text, rect, align, argb, face});
    calls.push_back("text");
  }
  void set_text_face(TextFace f) override { face = f; }
  // The Japanese face's measure: half an em for ASCII, a whole em (20
  // pixels) for any other character; 22 pixels a line.
  TextSize text_size(const char* text) override {
    TextSize size{0, 0};
    int width = 0;
    int lines = 1;
    for (const char* c = text; *c != '\0'; ++c) {
      const auto byte = static_cast<unsigned char>(*c);
      if (*c == '\n') {
        ++lines;
        width = 0;
      } else if (byte < 0x80) {
        width += 10;
      } else if ((byte & 0xC0) != 0x80) {
        width += 20;
      }
      size.width = std::max(size.width, width);
    }
    size.height = text[0] == '\0' ? 0 : 20 + 22 * (lines - 1);
    return size;
  }
  void present() override { calls.push_back("present"); }

  std::vector<RecordedQuad> screen_quads() const {
    std::vector<RecordedQuad> out;
    for (const auto& q : quads) {
      if (!q.in_world) out.push_back(q);
    }
    return out;
  }
  std::vector<RecordedQuad> world_quads() const {
    std::vector<RecordedQuad> out;
    for (const auto& q : quads) {
      if (q.in_world) out.push_back(q);
    }
    return out;
  }
};

}  // namespace quarvex::testing
