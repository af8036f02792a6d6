#pragma once
// Shared set-up for the tests of the battle steps: a World as a stage load
// leaves it (without units), and a look ahead into the random sequence so a
// test can pick a generator state whose draws take the branch it wants.

#include <array>
#include <cstdint>
#include <functional>

#include "world/geometry.h"
#include "world/world.h"

namespace quarvex::testing {

inline void reset_for_battle(World& w) {
  init_world(w);
  w.game_phase = 1;
  player_state(w).camera_distance = 20.0f;
  w.funds = {200, 200, 200, 200};
  w.side_build_list = {2, 3, 0, 1};
  w.side_present = {1, 1, 1, 1};
}

inline uint32_t advance(uint32_t state, int draws) {
  for (int i = 0; i < draws; ++i) state = state * 214013u + 2531011u;
  return state;
}

constexpr int kLookahead = 16;
using Draws = std::array<int32_t, kLookahead>;

inline Draws draws_from(uint32_t state) {
  World probe{};
  probe.rand_state = state;
  Draws d{};
  for (int32_t& v : d) v = next_random(probe);
  return d;
}

// The first generator state (from 1 up) whose next draws satisfy `wanted`;
// 0 when none is found.
inline uint32_t find_state(const std::function<bool(const Draws&)>& wanted) {
  for (uint32_t s = 1; s < 20'000'000u; ++s) {
    if (wanted(draws_from(s))) return s;
  }
  return 0;
}

// Fills the unit table up to (not including) `slot`, so the next spawn lands there.
inline void fill_below(World& w, int slot, int8_t side) {
  for (int i = 1; i < slot; ++i) {
    if (w.units[i].type == -1) {
      w.units[i] = Unit{};
      w.units[i].x = 400.0f;
      w.units[i].y = 400.0f;
      w.units[i].type = 48;  // residence: never moves
      w.units[i].side = side;
      w.units[i].health = 40;
    }
  }
}

}  // namespace quarvex::testing
