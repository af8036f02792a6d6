#pragma once
// The picture of one frame: the world pass through the camera, then the
// title menu or the play overlay in pixels, then present.

#include <glm/mat4x4.hpp>

#include "lang/texts.h"
#include "platform/device.h"
#include "world/world.h"

namespace quarvex {

constexpr uint32_t kClearColour = 0xFF282828u;

struct Camera {
  glm::mat4 view;
  glm::mat4 projection;
};
Camera camera_of(const World& w);

// The picture of the World, not yet presented, so that more can be drawn
// over it; its texts in the language of `texts`. `title_rows_focused` as
// draw_title_menu takes it.
void draw_frame(Device& d, const World& w, const Texts& texts, bool title_rows_focused = true);
void render_frame(Device& d, const World& w, const Texts& texts);

}  // namespace quarvex
