// Renders one of the test scenes with the real device and saves it as PNG:
//   quarvex_scene_shot title|stage FILE
// The picture tests run it with SDL's offscreen driver and compare the file
// with a reference picture.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/font.h"
#include "platform/gl_device.h"
#include "platform/system.h"
#include "platform/window.h"
#include "render/render_frame.h"
#include "test_art.h"
#include "world/world.h"

namespace {

using namespace quarvex;

void title_scene(World& w) {
  w.stage_number = 3;
  w.title_row = 1;
  w.player_side = 2;
}

// Units in every layer, a turret on a turned hull, a projectile, a particle,
// and the overlay with the order menu's production panel.
void stage_scene(World& w) {
  w.game_phase = 1;
  w.camera_distance = 20.0f;
  w.camera_x = 10.0f;
  w.camera_y = 5.0f;
  w.player_side = 0;
  w.funds[0] = 1234;
  const int16_t hull = spawn_unit(w, 0, 0, kGroundZ, kHalfPi, 0, 2, 1);
  spawn_unit(w, 0, 0, kChildZ, 0.3f, hull, 3, 1);
  spawn_unit(w, 12, 8, kGroundZ, 0, 0, 4, 2);
  spawn_unit(w, 13, 9, kGroundZ, 0, 0, 16, 2);  // later slot covers the tank
  spawn_unit(w, 20, -5, kAirZ, -0.6f, 0, 7, 3);
  spawn_unit(w, -8, 10, 91.0f, 0, 0, 11, 4);
  spawn_unit(w, -12, -8, 92.25f, 0, 0, 2, 1);  // between layers: not drawn
  spawn_projectile(w, 6, 2, 0.8f, 4, 1, 0);
  w.projectiles[0].angle = 0.8f;
  spawn_particle(w, 8, 4, 0.4f, 0, 0, 0, 10, 0, 0, 40);
  w.command_mode = 1;
  w.order_item = 5;
  w.side_build_list[0] = 1;
  w.build_item = 7;
  w.selected_unit = hull;
  w.units[hull].health = 42;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "title") != 0 && std::strcmp(argv[1], "stage") != 0)) {
    std::fprintf(stderr, "usage: quarvex_scene_shot title|stage FILE\n");
    return 2;
  }
  std::string error;
  if (!start_video(error)) {
    std::fprintf(stderr, "no video: %s\n", error.c_str());
    return 1;
  }
  int status = 0;
  {
    std::unique_ptr<Window> window = Window::open(1, false, error);
    std::unique_ptr<GlDevice> device = window ? GlDevice::create(*window, error) : nullptr;
    if (device == nullptr) {
      std::fprintf(stderr, "no device: %s\n", error.c_str());
      status = 1;
    } else {
      for (int slot = 0; slot < 8; ++slot) device->set_texture(slot, testing::test_atlas(slot));
      device->set_texture(kGroundSlot, testing::test_ground());
      const std::string font = find_japanese_font();
      if (!font.empty()) device->set_font(Font::open(font, 20, error));
      auto world = std::make_unique<World>();
      init_world(*world);
      if (std::strcmp(argv[1], "title") == 0) {
        title_scene(*world);
      } else {
        stage_scene(*world);
      }
      device->request_screenshot(argv[2]);
      render_frame(*device, *world);
      if (!device->screenshot_error().empty()) {
        std::fprintf(stderr, "%s\n", device->screenshot_error().c_str());
        status = 1;
      }
    }
  }
  stop_video();
  return status;
}
