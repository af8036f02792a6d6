#include "sim/sim.h"

namespace quarvex {

void update_units(World&) {}

}  // namespace quarvex
