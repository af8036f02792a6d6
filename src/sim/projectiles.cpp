#include "sim/sim.h"

namespace quarvex {

void update_projectiles(World&) {}
void update_particles(World&) {}

}  // namespace quarvex
