#pragma once
// Test only: one bit of the World flipped on purpose, so that tests can see
// machines that compare their Worlds find the difference and put it right.

#include <string>
#include <string_view>

#include "world/world.h"

namespace quarvex {

// Flips bit `bit` (0 the lowest; of a float, of its bit pattern) of the
// field named as the dump names it: "rand_state", "funds[2]",
// "factories[1][0]", "units[12].health", "projectiles[3].x",
// "particles[0].life", or "humans[1].cursor_x" for the further humans'
// command states. False with a message when no field has that name or the
// bit lies beyond its width.
bool flip_world_bit(World& w, std::string_view field, int bit, std::string& error);

}  // namespace quarvex
