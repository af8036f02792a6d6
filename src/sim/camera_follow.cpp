// After everything has moved: the cursor sticks to the commanded unit and the
// camera looks at the cursor.

#include "sim/sim.h"

namespace quarvex {
namespace {
constexpr float kZoomLimit = 20.0f;
}  // namespace

void camera_follow(World& w) {
  const Unit& selected = unit_at(w, w.selected_unit);
  if (w.command_mode != 0) {
    w.cursor_x = selected.x;
    w.cursor_y = selected.y;
  }
  w.camera_x = w.cursor_x;
  w.camera_y = w.cursor_y;
  // The picture turns with the unit only while the player drives it.
  w.camera_yaw = (w.command_mode == 2) ? selected.heading : 0.0f;
  if (w.camera_zoom > kZoomLimit) w.camera_zoom = kZoomLimit;
  if (w.camera_zoom < -kZoomLimit) w.camera_zoom = -kZoomLimit;
}

}  // namespace quarvex
