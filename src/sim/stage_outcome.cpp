#include "sim/sim.h"

namespace quarvex {

void reset_side_presence(World&) {}
void end_of_frame(World&, Services&) {}

}  // namespace quarvex
