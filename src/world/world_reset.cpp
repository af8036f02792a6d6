#include "world/world_reset.h"

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

}  // namespace quarvex
