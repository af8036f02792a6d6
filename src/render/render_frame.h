#pragma once
// The picture of one frame: the world pass through the camera, then the
// title menu or the play overlay in pixels, then present.

#include <glm/mat4x4.hpp>

#include "platform/device.h"
#include "world/world.h"

namespace quarvex {

constexpr uint32_t kClearColour = 0xFF282828u;

struct Camera {
  glm::mat4 view;
  glm::mat4 projection;
};
Camera camera_of(const World& w);

// The picture of the World, not yet presented, so that more can be drawn over it.
void draw_frame(Device& d, const World& w);
void render_frame(Device& d, const World& w);

}  // namespace quarvex
