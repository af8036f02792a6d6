#include "render/render_frame.h"

#include <cmath>
#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>

#include "render/draw.h"
#include "render/overlay.h"

namespace quarvex {

namespace {
constexpr float kAspect = 1.33f;
constexpr float kNearPlane = 60.0f;
constexpr float kFarPlane = 80.0f;
}  // namespace

Camera camera_of(const World& w) {
  const CommandState& view = player_state(w);
  // Top-down: the eye looks along +z; the yaw turns the picture about its centre.
  const glm::vec3 eye(view.camera_x, view.camera_y, view.camera_distance);
  const glm::vec3 at(view.camera_x, view.camera_y, static_cast<float>(view.camera_distance + 1.0));
  const double yaw = -double{view.camera_yaw};
  const glm::vec3 up(static_cast<float>(std::sin(yaw)), static_cast<float>(std::cos(yaw)), 0.0f);
  const auto fov = static_cast<float>((50.0 - view.camera_zoom) * double{kDegree});
  return Camera{glm::lookAtLH(eye, at, up),
                glm::perspectiveLH_NO(fov, kAspect, kNearPlane, kFarPlane)};
}

void draw_frame(Device& d, const World& w, const Texts& texts, bool title_rows_focused) {
  d.begin_frame(kClearColour, 1.0f);
  d.set_text_face(texts.face());
  const Camera camera = camera_of(w);
  d.set_view_projection(camera.view, camera.projection);
  // Far to near, so the transparent parts of a sprite never hide a farther one.
  draw_ground(d, kGroundSlot);
  draw_units(d, w);
  draw_projectiles(d, w);
  draw_particles(d, w);
  if (w.game_phase == 0) {
    draw_title_menu(d, w, texts, title_rows_focused);
  } else {
    draw_play_overlay(d, w, texts);
  }
}

void render_frame(Device& d, const World& w, const Texts& texts) {
  draw_frame(d, w, texts);
  d.present();
}

}  // namespace quarvex
