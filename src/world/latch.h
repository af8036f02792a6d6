#pragma once
// Per-key latches: 0 up, 1 pressed this frame, 2 released this frame, 3 held.

#include <cstdint>

#include "world/world.h"

namespace quarvex {

// Advances one latch from this frame's sample of its key.
void update_key_latch(bool key_is_down, int32_t& latch);
// Advances a human's eleven latches, in the watched-key order.
void update_key_latches(CommandState& c, const std::array<bool, kKeyCount>& keys_down);

inline bool pressed(const CommandState& c, Key k) {
  return c.key_latches[k] == kLatchPressed;
}
inline bool down(const CommandState& c, Key k) {
  return c.key_latches[k] != kLatchUp;
}

}  // namespace quarvex
