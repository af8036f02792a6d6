#include <cstdio>

#include "sim/sim.h"
#include "world/latch.h"

namespace quarvex {
namespace {

bool is_side_index(int32_t i) {
  return i >= 0 && i < kSides;
}

// A player side outside 0..3 owns nothing, so it reads as absent.
bool player_present(const World& w) {
  return is_side_index(w.player_side) && w.side_present[w.player_side] != 0;
}

bool any_rival_present(const World& w) {
  for (int j = 0; j < kSides; ++j) {
    if (j != w.player_side && w.side_present[j] != 0) return true;
  }
  return false;
}

void show_information(World& w, Services& services) {
  char text[256];
  const double heading_degrees = unit_at(w, w.selected_unit).heading / static_cast<double>(kDegree);
  std::snprintf(text, sizeof text,
                " quarvex\n version %s\n by ostrel%s\n FPS : %d / LOOP : %d \n X=%f Y=%f RZ=%f \n",
                "0.40", "-vek", w.frames_last_second, w.frames_last_second,
                static_cast<double>(w.cursor_x), static_cast<double>(w.cursor_y), heading_degrees);
  services.show_message(text);
}

}  // namespace

void reset_side_presence(World& w) {
  for (int i = 0; i < kSides; ++i) {
    // A side without a headquarters in the previous frame loses the order it
    // was just given.
    if (w.side_present[i] == 0) w.side_order[i] = 0;
    w.side_present[i] = 0;
  }
}

void end_of_frame(World& w, Services& services) {
  if (is_free(unit_at(w, w.target_unit))) w.target_unit = 0;
  // A selection that died (or none at all) falls back to cursor mode.
  if (is_free(unit_at(w, w.selected_unit))) w.command_mode = 0;
  if (w.command_mode != 2) show_mark_markers(w);
  if (pressed(w, kKeyInfo)) show_information(w, services);
  if (w.game_phase != 1) return;
  // Both verdicts may fall in one frame: the loss is told first.
  if (!player_present(w)) {
    services.show_message("GAME OVER");
    w.game_phase = 2;
  }
  if (!any_rival_present(w)) {
    services.show_message("COMPLETE");
    w.game_phase = 2;
  }
}

}  // namespace quarvex
