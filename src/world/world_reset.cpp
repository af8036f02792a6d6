#include "world/world_reset.h"

#include "world/humans.h"

namespace quarvex {

void reset_to_title(World& w, int8_t stage, int8_t side) {
  init_world(w);
  w.stage_number = stage;
  w.player_side = side;
}

void reset_to_stage_start(World& w, int8_t stage, int8_t side) {
  reset_to_title(w, stage, side);
  w.reload_requested = 1;
}

void reset_to_several_humans(World& w, int8_t stage, uint8_t humans) {
  reset_to_stage_start(w, stage, 0);
  set_human_sides(w, humans);
}

}  // namespace quarvex
