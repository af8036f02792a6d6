// After everything has moved: the cursor sticks to the commanded unit and the
// camera looks at the cursor.

#include "sim/sim.h"
#include "world/humans.h"

namespace quarvex {
namespace {

constexpr float kZoomLimit = 20.0f;

void follow(const World& w, CommandState& c) {
  const Unit& selected = unit_at(w, c.selected_unit);
  if (c.command_mode != 0) {
    c.cursor_x = selected.x;
    c.cursor_y = selected.y;
  }
  c.camera_x = c.cursor_x;
  c.camera_y = c.cursor_y;
  // The picture turns with the unit only while the player drives it.
  c.camera_yaw = (c.command_mode == 2) ? selected.heading : 0.0f;
  if (c.camera_zoom > kZoomLimit) c.camera_zoom = kZoomLimit;
  if (c.camera_zoom < -kZoomLimit) c.camera_zoom = -kZoomLimit;
}

}  // namespace

void camera_follow(World& w) {
  for_each_commanding_human(w, [&w](int, CommandState& c) { follow(w, c); });
}

}  // namespace quarvex
