// The bucketed hit test must hit exactly the unit the plain walk over every
// slot would: the first live top-level unit of another side in slot order
// that is inside the hit radius, wherever the units and projectiles are.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "sim/sim.h"
#include "sim/unit_grid.h"
#include "sim_fixture.h"
#include "world/geometry.h"
#include "world/tables.h"

namespace quarvex {
namespace {

// A generator of the test's own, so the game's stays untouched.
struct Lcg {
  uint32_t state;
  uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
  }
  int below(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }
  double within(double low, double high) { return low + (high - low) * (next() / 16777216.0); }
};

// The rule written as the plain walk over all slots.
int16_t first_unit_in_range(const World& w, const Projectile& p) {
  const ProjectileType& type = projectile_type(p.kind);
  for (int16_t i = 1; i <= kMaxUnit; ++i) {
    const Unit& u = w.units[i];
    if (u.type == -1 || u.side == p.side || u.parent != 0) continue;
    const double r = unit_type(u.type).size / 40.0 * 1.2 + type.size / 40.0 * 0.8;
    if (point_distance(u.x, u.y, p.x, p.y) < r) return i;
  }
  return 0;
}

class GridHitTest : public testing::SimTest {
 protected:
  // Units crowd a few spots, straddle cell borders and the edge of the
  // grid, and some stand far off the map or at no number at all.
  float coordinate(Lcg& rng) {
    switch (rng.below(10)) {
      case 0:
        return static_cast<float>(rng.below(9) * 16 - 64 + rng.within(-0.99, 0.99));
      case 1:
        return static_cast<float>(rng.within(505, 520) * (rng.below(2) == 0 ? 1 : -1));
      case 2:
        return static_cast<float>(rng.within(-1e6, 1e6));
      default:
        return static_cast<float>(rng.within(-40, 40));
    }
  }

  void fill_units(Lcg& rng) {
    for (int n = 0; n < 420; ++n) {
      const auto type = static_cast<int8_t>(rng.below(kUnitTypeCount));
      const auto side = static_cast<int8_t>(rng.below(5));
      const int16_t i = spawn(type, side, coordinate(rng), coordinate(rng));
      // Some carry a mounted unit, which can never be hit.
      if (i != 0 && rng.below(4) == 0) spawn(type, side, 0, 0, 0, i);
    }
    for (int n = 0; n < 60; ++n) w.units[1 + rng.below(kMaxUnit)].type = -1;
  }
};

TEST_F(GridHitTest, HitsTheSameUnitAsTheWalkOverEverySlot) {
  Lcg rng{7};
  fill_units(rng);
  constexpr float kOdd[] = {std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(), -3e9f};
  w.units[17].x = kOdd[0];  // a unit at no number is within range of everything
  w.units[23].y = kOdd[1];
  w.units[31].x = kOdd[2];
  int hits = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    Projectile p{};
    p.x = trial % 500 == 0 ? kOdd[trial / 500 % 3] : coordinate(rng);
    p.y = coordinate(rng);
    p.kind = static_cast<int8_t>(rng.below(kProjectileTypeCount));
    p.side = static_cast<int8_t>(1 + rng.below(4));
    p.life = 50;
    const int16_t expected = first_unit_in_range(w, p);

    World after = w;
    after.projectiles.fill(Projectile{0, 0, 0, 0, -1, 0, 0, 0});
    after.projectiles[0] = p;
    update_projectiles(after);
    int16_t damaged = 0;
    for (int16_t i = 1; i <= kMaxUnit; ++i) {
      if (after.units[i].health != w.units[i].health) damaged = i;
    }
    if (projectile_type(p.kind).damage == 0) {
      // A harmless kind shows its hit only by vanishing.
      EXPECT_EQ(after.projectiles[0].kind == -1 && p.life > 1, expected != 0) << trial;
    } else {
      EXPECT_EQ(damaged, expected) << "trial " << trial;
    }
    hits += expected != 0;
  }
  // The layout is dense enough that many projectiles hit something.
  EXPECT_GT(hits, 500);
}

TEST(UnitGrid, EveryLiveTopLevelUnitIsListedOnceInSlotOrder) {
  World w{};
  init_world(w);
  const int16_t a = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 2, 1);
  const int16_t b = spawn_unit(w, 16.5f, 0, kGroundZ, 0, 0, 2, 2);  // the next cell
  spawn_unit(w, 0, 0, kChildZ, 0, b, 3, 2);                         // mounted: not listed
  const int16_t c = spawn_unit(w, 1.0f, 1.0f, kGroundZ, 0, 0, 2, 3);
  const int16_t far = spawn_unit(w, 9000.0f, 0, kGroundZ, 0, 0, 2, 4);
  UnitGrid grid;
  build_unit_grid(w, grid);
  std::vector<int16_t> seen;
  visit_units_near(grid, 0.5, 0.5, 2.0, [&](int16_t i) {
    seen.push_back(i);
    return false;
  });
  // The far unit comes first (the list every search walks), then the cell.
  EXPECT_EQ(seen, (std::vector<int16_t>{far, a, c}));
  seen.clear();
  visit_units_near(grid, std::nan(""), 0, 2.0, [&](int16_t i) {
    seen.push_back(i);
    return false;
  });
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(grid_cell_of(-512.0), 0);
  EXPECT_EQ(grid_cell_of(511.99), UnitGrid::kCellsPerRow - 1);
  EXPECT_EQ(grid_cell_of(512.0), -1);
  EXPECT_EQ(grid_cell_of(std::nan("")), -1);
}

}  // namespace
}  // namespace quarvex
