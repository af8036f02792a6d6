#pragma once
// Everything on screen is a textured quad: sprites in the world, squares and
// rectangles in pixels, the ground, the minimap, numbers, and the loops that
// draw every unit, projectile and particle.

#include <cstdint>

#include "platform/device.h"
#include "world/world.h"

namespace quarvex {

// Texture bounds of one cell of a 4x4 atlas, numbered row by row.
struct CellBounds {
  float left, right, top, bottom;
};
CellBounds cell_bounds(int8_t cell);

constexpr float kGroundDepth = 93.0f;
constexpr float kProjectileDepth = 90.5f;
constexpr float kParticleDepth = 90.0f;
constexpr int kUnitLayers = 4;
double unit_layer_depth(int layer);

constexpr int kAtlasDigits = 6;  // slot of the digits, funds symbol and camera mark
constexpr int8_t kCameraMarkCell = 13;

// The world matrix of a sprite: turned by angle about the depth axis, then
// moved to (x, y, z).
glm::mat4 sprite_world(float x, float y, float z, float angle);
void draw_sprite(Device& d, float x, float y, float z, float angle, int slot, int8_t cell,
                 float width, float height);
void draw_screen_square(Device& d, float cx, float cy, uint8_t alpha, float size, int slot,
                        int8_t cell);
void draw_screen_rect(Device& d, float x0, float y0, float x1, float y1, uint8_t alpha, int slot,
                      int8_t cell);
void draw_ground(Device& d, int slot);
void draw_minimap(Device& d, const World& w, float cx, float cy, int slot);
void draw_number(Device& d, int16_t x, int16_t y, uint8_t alpha, int8_t count, int8_t size,
                 int32_t value);

void draw_units(Device& d, const World& w);
void draw_projectiles(Device& d, const World& w);
void draw_particles(Device& d, const World& w);

}  // namespace quarvex
