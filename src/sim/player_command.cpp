#include "sim/sim.h"

namespace quarvex {

void player_command(World&) {}
void camera_follow(World&) {}

}  // namespace quarvex
