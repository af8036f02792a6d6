#include "sim/sim.h"

namespace quarvex {

void command_computer_sides(World&) {}

}  // namespace quarvex
