#pragma once
// The one way a World is put at the start of play: the state the program
// starts in, with the title menu's stage and side chosen. A recorder of a
// stage (or of a whole run) can rely on every start being this state.

#include <cstdint>

#include "world/world.h"

namespace quarvex {

// An empty World in the title menu, stage and side preset.
void reset_to_title(World& w, int8_t stage, int8_t side);
// The same, with the stage load requested: the next frame begins the stage,
// as if Space had been pressed in the title menu the frame before.
void reset_to_stage_start(World& w, int8_t stage, int8_t side);
// The start of a game of several humans: the stage load requested, humans
// playing `humans` (bit s for side s), the lowest of them the player's.
void reset_to_several_humans(World& w, int8_t stage, uint8_t humans);

}  // namespace quarvex
