#pragma once
// A World in play for tests of the simulation steps: units are placed with
// spawn_unit directly, the generator starts from its initial state.

#include <gtest/gtest.h>

#include <initializer_list>

#include "world/latch.h"
#include "world/world.h"

namespace quarvex::testing {

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    init_world(w);
    w.game_phase = 1;
  }

  int16_t spawn(int8_t type, int8_t side, float x = 0, float y = 0, float heading = 0,
                int16_t parent = 0) {
    const float z = parent == 0 ? kGroundZ : kChildZ;
    return spawn_unit(w, x, y, z, heading, parent, type, side);
  }

  // Samples one frame of keys into the latches.
  void latch_keys(std::initializer_list<Key> keys) {
    std::array<bool, kKeyCount> down{};
    for (Key k : keys) down[k] = true;
    update_key_latches(player_state(w), down);
  }

  int live_projectiles(int kind = -2) const {
    int n = 0;
    for (const Projectile& p : w.projectiles) {
      if (p.kind != -1 && (kind == -2 || p.kind == kind)) ++n;
    }
    return n;
  }

  int live_particles() const {
    int n = 0;
    for (const Particle& p : w.particles) n += p.life != 0 ? 1 : 0;
    return n;
  }

  int live_units_of_type(int type) const {
    int n = 0;
    for (int i = 1; i <= kMaxUnit; ++i) n += w.units[i].type == type ? 1 : 0;
    return n;
  }

  World w{};
};

}  // namespace quarvex::testing
