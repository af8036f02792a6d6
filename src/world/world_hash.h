#pragma once
// A stable 64-bit hash of the World: the same World gives the same hash on
// every machine, whatever its struct layout. Machines of a networked game
// compare it; recordings carry it.

#include <cstdint>

#include "world/world.h"

namespace quarvex {

// FNV-1a over every field in use (world/world_fields.h) of the World and of
// every slot of its pools, each value as its little-endian bytes (floats by
// their bit pattern): the pools, the World's fields, then the command states
// of the further humans. Padding never enters.
uint64_t world_hash(const World& w);

// world_hash less the fields the wall clock writes (frames_this_second,
// frames_last_second, last_second, last_frame_ms), which differ between a
// game played in a window and its replay, and between the machines of a
// networked game: the hash recordings carry and machines compare.
uint64_t replay_hash(const World& w);

}  // namespace quarvex
