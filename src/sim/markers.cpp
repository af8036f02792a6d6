#include "sim/sim.h"

namespace quarvex {

void show_unit_markers(World&) {}
void lock_on(World&) {}
void show_mark_markers(World&) {}

}  // namespace quarvex
