#pragma once
// The human sides of a World and their command states.
//
// A game of one player (human_sides 0) has one human, player_side, with the
// command state humans[0]. A game of several humans lists them in
// human_sides; the k-th of them in ascending side order has humans[k], and
// player_side is the lowest. A human side handed to the computer (a player
// who left or fell behind) keeps its command state for when it comes back.

#include <bit>
#include <cstdint>

#include "world/world.h"

namespace quarvex {

constexpr uint8_t side_bit(int side) {
  return static_cast<uint8_t>(1u << side);
}
constexpr bool is_side_index(int side) {
  return side >= 0 && side < kSides;
}
constexpr uint8_t kAllSides = (1u << kSides) - 1;

inline bool several_humans(const World& w) {
  return w.human_sides != 0;
}

// The sides whose humans command them in this frame: player_side in a game
// of one player (none when it lies outside 0..3), else the human sides not
// handed to the computer.
inline uint8_t commanding_sides(const World& w) {
  if (!several_humans(w)) return is_side_index(w.player_side) ? side_bit(w.player_side) : 0;
  return static_cast<uint8_t>(w.human_sides & ~w.computer_sides & kAllSides);
}

// Where a human side's command state is in w.humans; -1 for a side with none.
inline int command_index(const World& w, int side) {
  if (!several_humans(w)) return side == w.player_side ? 0 : -1;
  if (!is_side_index(side) || (w.human_sides & side_bit(side)) == 0) return -1;
  return std::popcount(static_cast<unsigned>(w.human_sides & (side_bit(side) - 1u)));
}

// The side whose command state is w.humans[index]; -1 for none.
inline int human_side(const World& w, int index) {
  if (!several_humans(w)) return index == 0 ? w.player_side : -1;
  for (int side = 0; side < kSides; ++side) {
    if ((w.human_sides & side_bit(side)) != 0 && index-- == 0) return side;
  }
  return -1;
}

// Calls f(side, state) for every side a human commands in this frame, in
// ascending side order. A game of one player calls it for player_side
// whatever its value, as the game always has.
template <class W, class F>
void for_each_commanding_human(W& w, F f) {
  if (!several_humans(w)) {
    f(static_cast<int>(w.player_side), w.humans[0]);
    return;
  }
  const uint8_t commanding = commanding_sides(w);
  int index = 0;
  for (int side = 0; side < kSides; ++side) {
    if ((w.human_sides & side_bit(side)) == 0) continue;
    if ((commanding & side_bit(side)) != 0) f(side, w.humans[index]);
    ++index;
  }
}

// Calls f(side, state) for every human side, those handed to the computer
// included, in ascending side order.
template <class W, class F>
void for_each_human(W& w, F f) {
  if (!several_humans(w)) {
    f(static_cast<int>(w.player_side), w.humans[0]);
    return;
  }
  int index = 0;
  for (int side = 0; side < kSides; ++side) {
    if ((w.human_sides & side_bit(side)) != 0) f(side, w.humans[index++]);
  }
}

// Makes w a game of several humans: `sides` (bits 0..3) are played by
// humans and the lowest is player_side. No sides: a game of one player.
void set_human_sides(World& w, uint8_t sides);

// From this frame on the computer commands a human side: its state falls
// back to the cursor, so the unit it drove goes back to its own control,
// and its keys count as up. Nothing for a side that is not human.
void hand_to_computer(World& w, int side);
// From this frame on the side's human commands it again.
void hand_to_human(World& w, int side);

}  // namespace quarvex
