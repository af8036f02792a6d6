// Renders one of the test scenes with the real device and saves it as PNG:
//   quarvex_scene_shot title|stage|stage-without-aircraft|colours|lobby FILE [CATALOGUE.mo]
// in English, or in the language of the catalogue. The picture tests run it
// with SDL's offscreen driver and compare the file with a reference picture.

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "lang/languages.h"
#include "platform/font.h"
#include "platform/gl_device.h"
#include "platform/system.h"
#include "platform/window.h"
#include "render/lobby_drawing.h"
#include "render/render_frame.h"
#include "shell/lobby_page.h"
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
// and the overlay with the order menu's production panel. Without the
// aircraft, the picture a fault that loses one sprite would give.
void stage_scene(World& w, bool with_aircraft) {
  w.game_phase = 1;
  player_state(w).camera_distance = 20.0f;
  player_state(w).camera_x = 10.0f;
  player_state(w).camera_y = 5.0f;
  w.player_side = 0;
  w.funds[0] = 1234;
  const int16_t hull = spawn_unit(w, 0, 0, kGroundZ, kHalfPi, 0, 2, 1);
  spawn_unit(w, 0, 0, kChildZ, 0.3f, hull, 3, 1);
  spawn_unit(w, 12, 8, kGroundZ, 0, 0, 4, 2);
  spawn_unit(w, 13, 9, kGroundZ, 0, 0, 16, 2);  // later slot covers the tank
  if (with_aircraft) spawn_unit(w, 20, -5, kAirZ, -0.6f, 0, 7, 3);
  spawn_unit(w, -8, 10, 91.0f, 0, 0, 11, 4);
  spawn_unit(w, -12, -8, 92.25f, 0, 0, 2, 1);  // between layers: not drawn
  spawn_projectile(w, 6, 2, 0.8f, 4, 1, 0);
  w.projectiles[0].angle = 0.8f;
  spawn_particle(w, 8, 4, 0.4f, 0, 0, 0, 10, 0, 0, 40);
  player_state(w).command_mode = 1;
  player_state(w).order_item = 5;
  w.side_build_list[0] = 1;
  player_state(w).build_item = 7;
  player_state(w).selected_unit = hull;
  w.units[hull].health = 42;
}

// Four bands across the picture in the colours the drawing code names as
// ARGB: red, green, blue, and white at half opacity over the black clear.
void draw_colour_bands(Device& d) {
  d.begin_frame(0xFF000000u, 1.0f);
  const uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0x80FFFFFFu};
  for (int band = 0; band < 4; ++band) {
    const auto left = static_cast<float>(band * 160);
    const float right = left + 160.0f;
    auto at = [&](float x, float y) { return ScreenVertex{x, y, 0.0f, 1.0f, colours[band], 0, 0}; };
    d.draw_screen_quad(-1, {at(left, 0), at(left, 480), at(right, 480), at(right, 0)});
  }
  d.present();
}

// A lobby as its host sees it: two players, one ready, the computer's side
// and a closed one, a refusal at the foot.
void draw_lobby_scene(GlDevice& d, const Texts& texts) {
  LobbyView view;
  view.stage = 2;
  view.host = true;
  view.own_side = 0;
  view.host_side = 0;
  view.spectators = 1;
  view.address = "192.168.1.20:7480";
  view.code = "QWERTY";
  view.seats[0] = {LobbySeat::kPlayer, "Ana", false, 3};
  view.seats[1] = {LobbySeat::kPlayer, "Bo", true, 41};
  view.seats[2] = {LobbySeat::kComputer, "", false, 0};
  view.seats[3] = {LobbySeat::kClosed, "", false, 0};
  LobbyPage page;
  page.open(view);
  page.key(MenuKey::kDown);
  page.key(MenuKey::kDown);
  page.key(MenuKey::kRight);
  d.begin_frame(0xFF000000u, 1.0f);
  d.set_text_face(texts.face());
  draw_lobby_page(d, texts, page);
  d.present();
}

}  // namespace

int main(int argc, char** argv) {
  const std::string scene = argc == 3 || argc == 4 ? argv[1] : "";
  if (scene != "title" && scene != "stage" && scene != "stage-without-aircraft" &&
      scene != "colours" && scene != "lobby") {
    std::fprintf(stderr,
                 "usage: quarvex_scene_shot title|stage|stage-without-aircraft|colours|lobby FILE "
                 "[CATALOGUE.mo]\n");
    return 2;
  }
  std::string error;
  LanguageSet languages;
  if (argc == 4) {
    std::ifstream in(argv[3], std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::vector<std::string> dropped;
    if (!in || !languages.add("xx", bytes.str(), error, dropped)) {
      std::fprintf(stderr, "%s: %s\n", argv[3], error.c_str());
      return 2;
    }
  }
  const Texts texts = languages.texts(languages.count() - 1);
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
      std::unique_ptr<Fonts> fonts = Fonts::open(find_latin_font(), find_japanese_font(), error);
      if (fonts != nullptr) device->set_fonts(std::move(fonts));
      auto world = std::make_unique<World>();
      init_world(*world);
      if (scene == "title") {
        title_scene(*world);
      } else {
        stage_scene(*world, scene == "stage");
      }
      device->request_screenshot(argv[2]);
      if (scene == "colours") {
        draw_colour_bands(*device);
      } else if (scene == "lobby") {
        draw_lobby_scene(*device, texts);
      } else {
        render_frame(*device, *world, texts);
      }
      if (!device->screenshot_error().empty()) {
        std::fprintf(stderr, "%s\n", device->screenshot_error().c_str());
        status = 1;
      }
    }
  }
  stop_video();
  return status;
}
