#include "sim/sim.h"

namespace quarvex {

void execute_side_orders(World&) {}

}  // namespace quarvex
