#pragma once
// End-of-run views of the World: the JSON dump and a stable 64-bit hash.

#include <cstdint>
#include <cstdio>

#include "world/world.h"

namespace quarvex {

// {"frame": n, "world": {...}, "units": [...], "projectiles": [...], "particles": [...]}
// Units: slot 0 and every live slot; projectiles and particles: live slots.
// Floats carry 9 significant digits (a 32-bit float reads back exactly); a
// value that is not finite is written as null, which JSON can hold.
void write_world_json(std::FILE* out, const World& w, int64_t frames_run);

// FNV-1a over every field of the World and of every slot of its pools, in
// declaration order, each value as its little-endian bytes (floats by their
// bit pattern). Padding never enters.
uint64_t world_hash(const World& w);

// world_hash less the fields the wall clock writes (frames_this_second,
// frames_last_second, last_second, last_frame_ms), which differ between a
// game played in a window and its replay: the hash recordings carry.
uint64_t replay_hash(const World& w);

}  // namespace quarvex
