#pragma once
// Snapshots: the whole World after a frame, for a machine that joins a game
// under way or has to be put right after its World went astray. Every field
// is written in little-endian order through the field lists
// (world/world_fields.h, every field), never as a copy of memory: struct
// layouts differ between i386, x86-64 and WebAssembly. A snapshot read back
// gives a World with the same hash and dump, bit for bit.
//
//   bytes 0..3   "QVXS"
//   bytes 4..5   format version, 1
//   bytes 6..9   the frames the game had run when it was taken (the frame
//                number of the World, counted from 1)
//   then         every field of units[0..500], of projectiles[0..199] and of
//                particles[0..199], each record's fields in order; every other
//                field of the World, the several humans' included; the command
//                states humans[1..3]
//
// Floats are written by their bit pattern, integers in two's complement,
// each in its own width. Everything a machine needs to go on with the game
// is in the World, the human sides and their hand-overs included, so the
// frame number is the only thing beside it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "world/world.h"

namespace quarvex {

constexpr uint16_t kSnapshotVersion = 1;

// Every snapshot has this many bytes: the format has no optional parts.
size_t snapshot_size();

// Replaces `out` with the snapshot of w after `frame` frames.
void encode_snapshot(const World& w, uint32_t frame, std::vector<uint8_t>& out);

// The frame count in a snapshot's header, the rest unread; false for bytes
// that do not start as a snapshot does.
bool snapshot_frame(const uint8_t* data, size_t size, uint32_t& frame);

// Reads a snapshot into `out` and its frame count into `frame`. False with
// one line saying what is wrong (the length, the version, the first value
// the game could not have made) when the snapshot is refused; `out` and
// `frame` are then left as they were.
bool decode_snapshot(const uint8_t* data, size_t size, World& out, uint32_t& frame,
                     std::string& error);

}  // namespace quarvex
