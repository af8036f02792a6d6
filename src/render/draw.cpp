#include "render/draw.h"

#include <cmath>
#include <cstdlib>
#include <glm/ext/matrix_transform.hpp>

#include "world/tables.h"

namespace quarvex {

namespace {

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFFu;

uint32_t white_with_alpha(uint8_t alpha) {
  return (uint32_t{alpha} << 24) | 0x00FFFFFFu;
}

ScreenVertex screen_vertex(float x, float y, uint32_t colour, float u, float v) {
  return ScreenVertex{x, y, 0.0f, 1.0f, colour, u, v};
}

}  // namespace

CellBounds cell_bounds(int8_t cell) {
  // Integer division and remainder keep the sign of the cell, as the atlas
  // lookup always has; a negative cell lands outside the atlas.
  const int column = cell % 4;
  const int row = cell / 4;
  return CellBounds{static_cast<float>(column * 0.25), static_cast<float>((column + 1) * 0.25),
                    static_cast<float>(row * 0.25), static_cast<float>((row + 1) * 0.25)};
}

double unit_layer_depth(int layer) {
  return 92.5 - 0.5 * layer;
}

glm::mat4 sprite_world(float x, float y, float z, float angle) {
  // A turn about the depth axis, then a move into place, written out: the
  // general axis-angle rotation costs several times as much per sprite.
  const float c = glm::cos(angle);
  const float s = glm::sin(angle);
  glm::mat4 world(1.0f);
  world[0] = glm::vec4(c, s, 0.0f, 0.0f);
  world[1] = glm::vec4(-s, c, 0.0f, 0.0f);
  world[3] = glm::vec4(x, y, z, 1.0f);
  return world;
}

void draw_sprite(Device& d, float x, float y, float z, float angle, int slot, int8_t cell,
                 float width, float height) {
  d.set_world(sprite_world(x, y, z, angle));
  const auto hw = static_cast<float>(width / 2.0);
  const auto hh = static_cast<float>(height / 2.0);
  const CellBounds c = cell_bounds(cell);
  // The top of the cell lies toward +y before the rotation.
  d.draw_world_quad(slot, {{{-hw, -hh, 0.0f, kOpaqueWhite, c.left, c.bottom},
                            {-hw, hh, 0.0f, kOpaqueWhite, c.left, c.top},
                            {hw, hh, 0.0f, kOpaqueWhite, c.right, c.top},
                            {hw, -hh, 0.0f, kOpaqueWhite, c.right, c.bottom}}});
}

void draw_screen_square(Device& d, float cx, float cy, uint8_t alpha, float size, int slot,
                        int8_t cell) {
  const double h = size / 2.0;
  draw_screen_rect(d, static_cast<float>(cx - h), static_cast<float>(cy - h),
                   static_cast<float>(cx + h), static_cast<float>(cy + h), alpha, slot, cell);
}

void draw_screen_rect(Device& d, float x0, float y0, float x1, float y1, uint8_t alpha, int slot,
                      int8_t cell) {
  const uint32_t colour = white_with_alpha(alpha);
  const CellBounds c = cell_bounds(cell);
  d.draw_screen_quad(slot, {{screen_vertex(x0, y0, colour, c.left, c.top),
                             screen_vertex(x0, y1, colour, c.left, c.bottom),
                             screen_vertex(x1, y1, colour, c.right, c.bottom),
                             screen_vertex(x1, y0, colour, c.right, c.top)}});
}

void draw_ground(Device& d, int slot) {
  d.set_world(glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.0f, kGroundDepth)));
  // The whole image covers the playfield once, its top edge at y = 500.
  d.draw_world_quad(slot, {{{-500.0f, -500.0f, 0.0f, kOpaqueWhite, 0.0f, 1.0f},
                            {-500.0f, 500.0f, 0.0f, kOpaqueWhite, 0.0f, 0.0f},
                            {500.0f, 500.0f, 0.0f, kOpaqueWhite, 1.0f, 0.0f},
                            {500.0f, -500.0f, 0.0f, kOpaqueWhite, 1.0f, 1.0f}}});
}

void draw_minimap(Device& d, const World& w, float cx, float cy, int slot) {
  const uint32_t colour = white_with_alpha(120);
  const auto x0 = static_cast<float>(cx - 50.0);
  const auto x1 = static_cast<float>(cx + 50.0);
  const auto y0 = static_cast<float>(cy - 50.0);
  const auto y1 = static_cast<float>(cy + 50.0);
  d.draw_screen_quad(
      slot,
      {{screen_vertex(x0, y0, colour, 0.0f, 0.0f), screen_vertex(x0, y1, colour, 0.0f, 1.0f),
        screen_vertex(x1, y1, colour, 1.0f, 1.0f), screen_vertex(x1, y0, colour, 1.0f, 0.0f)}});
  // One minimap pixel is ten world units; world +y is up.
  draw_screen_square(d, static_cast<float>(cx + player_state(w).camera_x / 10.0),
                     static_cast<float>(cy - player_state(w).camera_y / 10.0), 200, 20.0f,
                     kAtlasDigits, kCameraMarkCell);
}

void draw_number(Device& d, int16_t x, int16_t y, uint8_t alpha, int8_t count, int8_t size,
                 int32_t value) {
  for (int k = count - 1; k >= 0; --k) {
    const auto q = static_cast<int64_t>(std::trunc(value / std::pow(10.0, k)));
    // A negative value shows the digits of its magnitude: the atlas has no
    // cells for negative digits.
    const auto digit = static_cast<int8_t>(std::llabs(q % 10));
    draw_screen_square(d, static_cast<float>(x - k * size), static_cast<float>(y), alpha,
                       static_cast<float>(size), kAtlasDigits, digit);
  }
}

void draw_units(Device& d, const World& w) {
  for (int layer = 0; layer < kUnitLayers; ++layer) {
    const double layer_z = unit_layer_depth(layer);
    for (int i = 1; i <= kMaxUnit; ++i) {
      const Unit& u = w.units[i];
      if (is_free(u)) continue;
      // A mounted unit sits at its parent's position plus its own offset, in
      // world axes: the offset is not turned by the parent's heading.
      const Unit& parent = unit_at(w, u.parent);
      const double z = double{parent.z} + u.z;
      if (z != layer_z) continue;
      const UnitType& t = unit_type(u.type);
      const auto s = static_cast<float>(t.size / 10.0);
      draw_sprite(d, static_cast<float>(double{parent.x} + u.x),
                  static_cast<float>(double{parent.y} + u.y), static_cast<float>(z),
                  static_cast<float>(double{parent.heading} + u.heading), t.texture, t.cell, s, s);
    }
  }
}

void draw_projectiles(Device& d, const World& w) {
  for (const Projectile& p : w.projectiles) {
    if (p.kind == -1) continue;
    const ProjectileType& t = projectile_type(p.kind);
    const auto s = static_cast<float>(t.size / 10.0);
    draw_sprite(d, p.x, p.y, kProjectileDepth, p.angle, t.texture, t.cell, s, s);
  }
}

void draw_particles(Device& d, const World& w) {
  for (const Particle& p : w.particles) {
    if (p.life == 0) continue;
    const auto s = static_cast<float>(p.size / 10.0);
    draw_sprite(d, p.x, p.y, kParticleDepth, p.angle, p.texture, static_cast<int8_t>(p.cell), s, s);
  }
}

}  // namespace quarvex
