#pragma once
// End-of-run views of the World: the JSON dump, and (world/world_hash.h)
// a stable 64-bit hash.

#include <cstdint>
#include <cstdio>

#include "world/world.h"
#include "world/world_hash.h"

namespace quarvex {

// {"frame": n, "world": {...}, "units": [...], "projectiles": [...], "particles": [...]}
// Units: slot 0 and every live slot; projectiles and particles: live slots.
// Floats carry 9 significant digits (a 32-bit float reads back exactly); a
// value that is not finite is written as null, which JSON can hold.
void write_world_json(std::FILE* out, const World& w, int64_t frames_run);

}  // namespace quarvex
