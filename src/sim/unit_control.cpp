#include "sim/sim.h"

namespace quarvex {

void control_units(World&) {}

}  // namespace quarvex
