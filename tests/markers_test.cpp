#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "battle_world.h"
#include "sim/sim.h"

namespace quarvex {
namespace {

std::vector<Particle> live_particles(const World& w) {
  std::vector<Particle> live;
  for (const Particle& p : w.particles) {
    if (p.life != 0) live.push_back(p);
  }
  return live;
}

class Markers : public ::testing::Test {
 protected:
  void SetUp() override { testing::reset_for_battle(w); }

  // Selects `unit` with the order menu open, as the lock-on sees it.
  void select(int16_t unit) {
    player_state(w).selected_unit = unit;
    player_state(w).command_mode = 1;
  }

  World w{};
};

TEST_F(Markers, LockOnTakesTheNearestEnemyStrictlyInsideSixty) {
  const int16_t fighter = spawn_unit(w, 0, 0, kAirZ, 0, 0, 25, 1);  // homing missiles
  const int16_t enemy = spawn_unit(w, 59, 0, kGroundZ, 0, 0, 43, 2);
  select(fighter);
  lock_on(w);
  EXPECT_EQ(w.units[fighter].target, enemy);
  const auto marks = live_particles(w);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0].x, 59.0f);
  EXPECT_EQ(marks[0].cell, 13);
  EXPECT_EQ(marks[0].size, 50);
  EXPECT_EQ(marks[0].life, 2);

  // At exactly 60 the lock is let go, although the unit control would keep it.
  w.units[enemy].x = 60;
  lock_on(w);
  EXPECT_EQ(w.units[fighter].target, 0);
}

TEST_F(Markers, LockOnTieGoesToTheLowerSlot) {
  const int16_t fighter = spawn_unit(w, 0, 0, kAirZ, 0, 0, 25, 1);
  const int16_t lower = spawn_unit(w, 0, 40, kGroundZ, 0, 0, 43, 3);
  const int16_t higher = spawn_unit(w, 40, 0, kGroundZ, 0, 0, 43, 2);
  spawn_unit(w, 1, 1, kGroundZ, 0, 0, 43, 1);  // own side, nearer: never locked
  select(fighter);
  lock_on(w);
  EXPECT_EQ(w.units[fighter].target, lower);
  w.units[higher].x = 39;
  lock_on(w);
  EXPECT_EQ(w.units[fighter].target, higher);
}

TEST_F(Markers, OnlyHomingCarriersLockOn) {
  // Kind 7: a carrier with the launcher of type 12 mounted.
  const int16_t launcher = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 8, 1);
  spawn_unit(w, 0, 0, kChildZ, 0, launcher, 12, 1);
  const int16_t heavy_attack = spawn_unit(w, 0, 0, kAirZ, 0, 0, 52, 1);
  const int16_t tank = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 2, 1);
  spawn_unit(w, 0, 0, kChildZ, 0, tank, 3, 1);
  const int16_t enemy = spawn_unit(w, 10, 0, kGroundZ, 0, 0, 43, 2);
  for (const int16_t s : {launcher, heavy_attack, tank}) {
    select(s);
    lock_on(w);
    EXPECT_EQ(w.units[s].target, s == tank ? 0 : enemy) << s;
  }
  // Nothing selected: the sentinel never takes a target.
  player_state(w).selected_unit = 0;
  lock_on(w);
  EXPECT_EQ(w.units[0].target, 0);
}

TEST_F(Markers, GunSightSpansTwentyFiveDegreesWithoutWrappingTheSeam) {
  const int16_t driven = spawn_unit(w, 0, 0, kGroundZ, 0.1f, 0, 43, 1);
  // Heading h faces (-sin h, cos h).
  auto ahead = [](double h) {
    return std::array<float, 2>{static_cast<float>(-std::sin(h) * 50),
                                static_cast<float>(std::cos(h) * 50)};
  };
  const auto in_sight = ahead(0.05);
  const auto across_seam = ahead(6.25);
  const int16_t seen = spawn_unit(w, in_sight[0], in_sight[1], kGroundZ, 0, 0, 43, 2);
  spawn_unit(w, across_seam[0], across_seam[1], kGroundZ, 0, 0, 43, 2);
  const int16_t own = spawn_unit(w, ahead(0.2)[0], ahead(0.2)[1], kGroundZ, 0, 0, 43, 1);
  player_state(w).selected_unit = driven;
  player_state(w).command_mode = 2;
  show_unit_markers(w);
  const auto marks = live_particles(w);
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0].x, w.units[seen].x);
  EXPECT_EQ(marks[0].cell, 13);
  EXPECT_EQ(marks[0].angle, 0.1f);
  EXPECT_EQ(marks[1].x, w.units[own].x);
  EXPECT_EQ(marks[1].cell, 12);
}

TEST_F(Markers, SelectedHeadingIsWrappedIntoOneTurn) {
  const int16_t s = spawn_unit(w, 0, 0, kGroundZ, -0.5f, 0, 43, 1);
  player_state(w).selected_unit = s;
  show_unit_markers(w);
  EXPECT_FLOAT_EQ(w.units[s].heading, static_cast<float>(-0.5 + kTwoPi));
}

TEST_F(Markers, CursorMarksUnitsWithinSeventyAcrossAndFiftyUpDown) {
  spawn_unit(w, 69.9f, 0, kGroundZ, 0, 0, 43, 3);
  spawn_unit(w, 70.0f, 0, kGroundZ, 0, 0, 43, 3);
  spawn_unit(w, 0, -49.9f, kGroundZ, 0, 0, 43, 2);
  spawn_unit(w, 0, 50.0f, kGroundZ, 0, 0, 43, 2);
  show_unit_markers(w);
  const auto marks = live_particles(w);
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0].x, 69.9f);
  EXPECT_EQ(marks[0].cell, 10);  // 7 + side
  EXPECT_EQ(marks[1].y, -49.9f);
  EXPECT_EQ(marks[1].cell, 9);
}

TEST_F(Markers, MarkMarkersShowThePointAndTheMarkedUnit) {
  show_mark_markers(w);
  auto marks = live_particles(w);
  ASSERT_EQ(marks.size(), 1u);
  EXPECT_EQ(marks[0].x, 0.0f);
  EXPECT_EQ(marks[0].size, 120);

  testing::reset_for_battle(w);
  player_state(w).target_unit = spawn_unit(w, 12, -7, kGroundZ, 0, 0, 43, 2);
  player_state(w).mark_x = 30;
  player_state(w).mark_y = -40;
  show_mark_markers(w);
  marks = live_particles(w);
  ASSERT_EQ(marks.size(), 2u);
  EXPECT_EQ(marks[0].y, -40.0f);
  EXPECT_EQ(marks[1].x, 12.0f);
  EXPECT_EQ(marks[1].size, 50);
}

}  // namespace
}  // namespace quarvex
