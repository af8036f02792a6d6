#include <gtest/gtest.h>

#include "battle_world.h"
#include "sim/sim.h"
#include "world/tables.h"

namespace quarvex {
namespace {

using testing::advance;
using testing::Draws;
using testing::find_state;

bool hits(int32_t draw, int32_t n) {
  return draw % n == 1;
}
bool stance_kept(const Draws& d) {
  return !hits(d[1], 120) && !hits(d[2], 100) && !hits(d[3], 140);
}

class UnitControl : public ::testing::Test {
 protected:
  void SetUp() override { testing::reset_for_battle(w); }

  // A fighter in slot 1 at the origin facing +y, with a mounted unit of
  // `child_type` turned by `child_heading`, aiming at an enemy to its front
  // left. The enemy is driven by hand, so only the fighter draws.
  int16_t set_up_duel(int8_t type, int8_t child_type, float child_heading) {
    const int16_t u = spawn_unit(w, 0, 0, kGroundZ, 0, 0, type, 1);
    if (child_type >= 0) spawn_unit(w, 0, 0, kChildZ, child_heading, u, child_type, 1);
    enemy = spawn_unit(w, -10, 10, kGroundZ, 0, 0, 2, 2);
    player_state(w).selected_unit = enemy;
    player_state(w).command_mode = 2;
    w.units[u].target = enemy;
    w.units[u].ai_state = 0;
    w.units[u].control_bits = kTurnRight | kAuxLeft | kForward;
    return u;
  }

  World w{};
  int16_t enemy = 0;
};

TEST_F(UnitControl, AimStanceAimsTheTurretAndMakesEveryDrawInOrder) {
  const uint32_t all_hit = find_state([](const Draws& d) {
    return !hits(d[0], 25) && stance_kept(d) && hits(d[4], 10) && hits(d[5], 20) && hits(d[6], 15);
  });
  const uint32_t none_hit = find_state([](const Draws& d) {
    return !hits(d[0], 25) && stance_kept(d) && !hits(d[4], 10) && !hits(d[5], 20) &&
           !hits(d[6], 15);
  });
  ASSERT_NE(all_hit, 0u);
  ASSERT_NE(none_hit, 0u);

  // A turret turned to 171 degrees sees the front-left enemy on its right:
  // turns are cleared, side steps cleared, then turn, step and fire set.
  const int16_t tank = set_up_duel(2, 3, 3.0f);
  w.rand_state = all_hit;
  control_units(w);
  EXPECT_EQ(w.units[tank].control_bits, kForward | kTurnRight | kAuxRight | kFire);
  EXPECT_EQ(w.units[tank].target, enemy);
  // Seven draws for the bits, one for the closer-enemy probe.
  EXPECT_EQ(w.rand_state, advance(all_hit, 8));

  // Without hits only the turn is rewritten; the side step stays.
  w.units[tank].control_bits = kTurnLeft | kAuxLeft | kForward;
  w.rand_state = none_hit;
  control_units(w);
  EXPECT_EQ(w.units[tank].control_bits, kForward | kAuxLeft | kTurnRight);
  EXPECT_EQ(w.rand_state, advance(none_hit, 8));
}

TEST_F(UnitControl, HelicopterAimsWithItsOwnHeadingNotTheRotors) {
  const uint32_t none_hit = find_state([](const Draws& d) {
    return !hits(d[0], 25) && stance_kept(d) && !hits(d[4], 10) && !hits(d[5], 20) &&
           !hits(d[6], 15);
  });
  const int16_t heli = set_up_duel(0, kTypeRotor, 3.0f);
  w.rand_state = none_hit;
  control_units(w);
  EXPECT_EQ(w.units[heli].control_bits & (kTurnLeft | kTurnRight), kTurnLeft);
}

TEST_F(UnitControl, FirstDrawClearsAllBitsBeforeTheStanceSetsNewOnes) {
  const uint32_t clear = find_state([](const Draws& d) {
    return hits(d[0], 25) && stance_kept(d) && !hits(d[4], 10) && !hits(d[5], 20) &&
           !hits(d[6], 15);
  });
  const int16_t tank = set_up_duel(2, 3, 0.0f);
  w.rand_state = clear;
  control_units(w);
  EXPECT_EQ(w.units[tank].control_bits, kTurnLeft);
}

TEST_F(UnitControl, StanceDrawsAreAllMadeAndTheLastHitWins) {
  // Aim and skirmish both hit; skirmish comes later and wins. The skirmish
  // branch then makes five draws, none of which hit, and the probe one more.
  const uint32_t state = find_state([](const Draws& d) {
    return !hits(d[0], 25) && hits(d[1], 120) && !hits(d[2], 100) && hits(d[3], 140) &&
           !hits(d[4], 25) && !hits(d[5], 30) && !hits(d[6], 30) && !hits(d[7], 40) &&
           !hits(d[8], 25);
  });
  ASSERT_NE(state, 0u);
  const int16_t tank = set_up_duel(2, 3, 0.0f);
  w.rand_state = state;
  control_units(w);
  EXPECT_EQ(w.units[tank].ai_state, 2);
  EXPECT_EQ(w.units[tank].control_bits, kTurnRight | kAuxLeft | kForward);
  EXPECT_EQ(w.rand_state, advance(state, 10));
}

TEST_F(UnitControl, SkyLancerMakesOneMoreStanceDraw) {
  // The fifth draw is the sky lancer's own 1 in 50 to close in; a tank would
  // use it as the first draw of the aim stance instead.
  const uint32_t state = find_state([](const Draws& d) {
    return !hits(d[0], 25) && stance_kept(d) && hits(d[4], 50) && !hits(d[5], 10) &&
           !hits(d[6], 30) && !hits(d[7], 20) && !hits(d[8], 20);
  });
  ASSERT_NE(state, 0u);
  const int16_t lancer = set_up_duel(46, -1, 0.0f);
  w.rand_state = state;
  control_units(w);
  EXPECT_EQ(w.units[lancer].ai_state, 1);
  EXPECT_EQ(w.rand_state, advance(state, 10));

  w.units[lancer].type = 2;
  w.units[lancer].ai_state = 0;
  w.rand_state = state;
  control_units(w);
  EXPECT_EQ(w.units[lancer].ai_state, 0);
  EXPECT_EQ(w.rand_state, advance(state, 8));
}

TEST_F(UnitControl, TargetBeyondNinetyIsDroppedEvenWhenJustAcquired) {
  // Aim stance throughout; the closer-enemy probe (eighth draw) finds slot 3.
  const uint32_t state =
      find_state([](const Draws& d) { return stance_kept(d) && d[7] % kMaxUnit + 1 == 3; });
  ASSERT_NE(state, 0u);
  for (const float closer_x : {91.0f, 90.0f}) {
    testing::reset_for_battle(w);
    const int16_t gun = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 1);
    const int16_t far = spawn_unit(w, 100, 0, kGroundZ, 0, 0, 43, 2);
    const int16_t closer = spawn_unit(w, closer_x, 0, kGroundZ, 0, 0, 43, 2);
    ASSERT_EQ(closer, 3);
    w.units[gun].target = far;
    w.rand_state = state;
    control_units(w);
    EXPECT_EQ(w.units[gun].target, closer_x > 90 ? 0 : closer) << closer_x;
  }
}

TEST_F(UnitControl, TargetOfOwnSideOrInAFreeSlotIsDropped) {
  const int16_t gun = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 1);
  const int16_t friend_unit = spawn_unit(w, 5, 0, kGroundZ, 0, 0, 43, 1);
  w.units[gun].target = friend_unit;
  control_units(w);
  EXPECT_EQ(w.units[gun].target, 0);

  w.units[gun].target = 77;  // a slot that holds nothing
  control_units(w);
  EXPECT_EQ(w.units[gun].target, 0);

  w.units[gun].target = 31000;  // not a slot at all
  control_units(w);
  EXPECT_EQ(w.units[gun].target, 0);
}

TEST_F(UnitControl, MarchingUnitNeverPicksATargetItselfButFightsAGivenOne) {
  const int16_t marcher = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 1);
  for (int i = 2; i <= kMaxUnit; ++i) spawn_unit(w, 10, 10, kGroundZ, 0, 0, 48, 2);
  w.units[marcher].mode = 4;
  w.units[marcher].goal_x = 300;
  w.units[marcher].goal_y = 300;
  for (int frame = 0; frame < 50; ++frame) {
    control_units(w);
    ASSERT_EQ(w.units[marcher].target, 0) << "frame " << frame;
  }

  // Every other slot holds a close enemy: a roaming unit finds one at once.
  w.units[marcher].mode = 1;
  control_units(w);
  EXPECT_NE(w.units[marcher].target, 0);

  w.units[marcher].mode = 4;
  w.units[marcher].target = 2;
  control_units(w);
  EXPECT_NE(w.units[marcher].target, 0);
}

TEST_F(UnitControl, FollowerTurnsToRoamWhenItsLeaderIsGone) {
  const int16_t follower = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 1);
  const int16_t leader = spawn_unit(w, 50, 0, kGroundZ, 0, 0, 43, 1);
  w.units[follower].mode = 3;
  w.units[follower].goal_x = leader;
  w.units[follower].goal_y = 10;
  control_units(w);
  EXPECT_EQ(w.units[follower].mode, 3);

  w.units[leader].type = -1;
  control_units(w);
  EXPECT_EQ(w.units[follower].mode, 1);
}

TEST_F(UnitControl, FollowOrderWithAnIndexOutsideTheTableRoams) {
  // Stage files set goal_x freely; outside 1..500 it names no unit.
  for (const int16_t bad : {int16_t{30000}, int16_t{-5}, int16_t{0}, int16_t{501}}) {
    testing::reset_for_battle(w);
    const int16_t follower = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 1);
    w.units[follower].mode = 3;
    w.units[follower].goal_x = bad;
    w.units[follower].goal_y = 10;
    const Unit sentinel = w.units[0];
    control_units(w);
    EXPECT_EQ(w.units[follower].mode, 1) << bad;
    EXPECT_EQ(w.units[0].heading, sentinel.heading);
    EXPECT_EQ(w.units[0].type, -1);
  }
}

TEST_F(UnitControl, GoToPointLoitersWithinTwentyWholeUnits) {
  // The turn draw of the steering branch hits; the loitering random turn does not.
  const uint32_t state = find_state([](const Draws& d) {
    return !hits(d[0], 30) && hits(d[1], 5) && !hits(d[1], 60) && !hits(d[2], 100) &&
           !hits(d[2], 30) && d[3] % kMaxUnit + 1 > 1 && d[4] % kMaxUnit + 1 > 1 &&
           d[5] % kMaxUnit + 1 > 1 && d[6] % kMaxUnit + 1 > 1 && d[7] % kMaxUnit + 1 > 1;
  });
  ASSERT_NE(state, 0u);
  for (const float x : {20.9f, 21.0f}) {
    testing::reset_for_battle(w);
    const int16_t u = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 1);
    w.units[u].mode = 2;
    w.units[u].goal_x = 0;
    w.units[u].goal_y = 0;
    w.units[u].x = -x;  // goal straight along +x: on the right of a unit facing +y
    w.rand_state = state;
    control_units(w);
    const bool steered = (w.units[u].control_bits & kTurnRight) != 0;
    EXPECT_EQ(steered, x >= 21.0f) << x;
  }
}

TEST_F(UnitControl, UnitUnderDirectControlKeepsThePlayersBits) {
  const int16_t driven = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 1);
  const int16_t other = spawn_unit(w, 20, 0, kGroundZ, 0, 0, 43, 1);
  player_state(w).selected_unit = driven;
  for (int8_t mode : {int8_t{2}, int8_t{1}}) {
    player_state(w).command_mode = mode;
    bool other_changed = false;
    bool driven_changed = false;
    for (int frame = 0; frame < 200; ++frame) {
      w.units[driven].control_bits = kForward | kFire;
      w.units[other].control_bits = kForward | kFire;
      control_units(w);
      driven_changed |= w.units[driven].control_bits != (kForward | kFire);
      other_changed |= w.units[other].control_bits != (kForward | kFire);
    }
    EXPECT_EQ(driven_changed, mode != 2);
    EXPECT_TRUE(other_changed);
  }
}

}  // namespace
}  // namespace quarvex
