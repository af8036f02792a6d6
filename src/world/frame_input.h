#pragma once
// The input of one frame: the keys of every human side and the events that
// every machine of a game applies at the same frame. It is all that a game
// of several humans needs from outside to compute a frame, so the machines
// of a networked game exchange only these, and replays hold them.
//
// Plain data of fixed size (12 bytes of values) with no pointers; its wire
// form is the network code's, its text form the key script's
// (replay/key_script.h).

#include <array>
#include <cstdint>

#include "world/world.h"

namespace quarvex {

// One bit per watched key: bit k is Key k (the order of enum Key) down.
using KeyMask = uint16_t;
constexpr KeyMask kAllKeys = (1u << kKeyCount) - 1;

struct FrameInput {
  // The keys down in this frame, by side index. Only the sides a human
  // commands in this frame read theirs; a game of one player reads those of
  // player_side. Bits above kKeyCount are ignored.
  std::array<KeyMask, kSides> keys{};
  // Events, one bit per side index, applied in this order before the keys:
  uint8_t to_computer = 0;  // from this frame on the computer commands the side
  uint8_t to_human = 0;     // from this frame on its human commands it again
  // The game pauses after this frame on every machine, at the request of the
  // player of the side; it resumed before this frame. They change nothing in
  // the World: a paused game simply runs no frames.
  uint8_t pause = 0;
  uint8_t resume = 0;

  friend bool operator==(const FrameInput&, const FrameInput&) = default;
};

// Applies the hand-overs (a game of one player has none) and then advances
// the key latches of every side a human commands in this frame. The first
// steps of a frame after a stage load.
void apply_frame_input(World& w, const FrameInput& input);

KeyMask mask_from_keys(const std::array<bool, kKeyCount>& down);
void keys_from_mask(KeyMask mask, std::array<bool, kKeyCount>& down);

}  // namespace quarvex
