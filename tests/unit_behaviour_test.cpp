#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "sim/sim.h"
#include "sim/unit_motion.h"
#include "sim_fixture.h"
#include "world/tables.h"

namespace quarvex {
namespace {

using UnitBehaviour = testing::SimTest;

float degrees(double d) {
  return static_cast<float>(d * kDegree);
}

TEST(MoveForward, StandingStillKeepsEveryPositionBitForBitAsTheSumWould) {
  constexpr float kInf = std::numeric_limits<float>::infinity();
  const float positions[] = {
      12.5f, -0.0f,         0.0f,   -3.0f, std::numeric_limits<float>::denorm_min(),
      -kInf, std::nanf(""), 499.75f};
  const float headings[] = {0.0f, 1.0f, 3.1415927f, 4.712389f, -2.5f, kInf, std::nanf("")};
  for (const float x : positions) {
    for (const float heading : headings) {
      for (const double speed : {0.0, -0.0}) {
        Unit u{};
        u.x = x;
        u.y = -x;
        u.heading = heading;
        const double h = heading;
        const auto x_sum = static_cast<float>(u.x + forward(h).x * speed / 20.0);
        const auto y_sum = static_cast<float>(u.y + forward(h).y * speed / 20.0);
        move_forward(u, speed);
        // A NaN is any NaN: which sign and payload a sum of NaNs carries is the
        // processor's and the compiler's choice (an unoptimised build differs).
        const auto same = [](float a, float b) {
          return std::isnan(a) ? std::isnan(b)
                               : std::bit_cast<uint32_t>(a) == std::bit_cast<uint32_t>(b);
        };
        EXPECT_TRUE(same(u.x, x_sum)) << x << " " << h << ": " << u.x << " " << x_sum;
        EXPECT_TRUE(same(u.y, y_sum)) << x << " " << h << ": " << u.y << " " << y_sum;
      }
    }
  }
}

TEST_F(UnitBehaviour, TurretFiresAlongItsHeadingBeforeThisFramesTurn) {
  const int16_t hull = spawn(2, 1, 10, 20, 0.25f);
  const int16_t turret = spawn(3, 1, 0, 0, 0, hull);
  w.units[hull].control_bits = kFire | kAuxLeft;
  update_units(w);
  ASSERT_EQ(live_projectiles(1), 1);
  const Projectile& shot = w.projectiles[0];
  EXPECT_EQ(shot.course, 0.25f);
  EXPECT_EQ(shot.x, 10.0f);
  EXPECT_EQ(shot.y, 20.0f);
  EXPECT_EQ(w.units[turret].heading, degrees(2.5));
  EXPECT_EQ(w.units[turret].charge, 0);
  // The hull itself has no weapon and does not side-step.
  EXPECT_EQ(w.units[hull].x, 10.0f);
}

TEST_F(UnitBehaviour, RechargeComesBeforeFire) {
  // Turret type 3: recharge 3, its gun costs 100.
  const int16_t hull = spawn(2, 1);
  const int16_t turret = spawn(3, 1, 0, 0, 0, hull);
  w.units[hull].control_bits = kFire;
  w.units[turret].charge = 97;
  update_units(w);
  EXPECT_EQ(live_projectiles(), 1);
  EXPECT_EQ(w.units[turret].charge, 0);

  // Infantry type 16: recharge 1, its rifle costs 25 and fires every 5th frame.
  const int16_t soldier = spawn(16, 2);
  w.units[hull].control_bits = 0;
  w.units[soldier].control_bits = kFire;
  w.units[soldier].charge = 23;
  update_units(w);
  EXPECT_EQ(live_projectiles(7), 0);
  EXPECT_EQ(w.units[soldier].charge, 24);
  update_units(w);
  EXPECT_EQ(live_projectiles(7), 1);
  EXPECT_EQ(w.units[soldier].charge, 0);
}

TEST_F(UnitBehaviour, FireIntervalFollowsTheFrameCounterAcrossItsWrap) {
  // Fighter A: gun type 3 fires only on multiples of 6.
  const int16_t fighter = spawn(24, 1);
  w.units[fighter].control_bits = kFire;
  std::vector<int> shot_frames;
  for (int f = 990; f < 1010; ++f) {
    w.frame_counter = f % 1000;
    const int before = live_projectiles();
    update_units(w);
    if (live_projectiles() > before) shot_frames.push_back(w.frame_counter);
  }
  EXPECT_EQ(shot_frames, (std::vector<int>{990, 996, 0, 6}));
}

TEST_F(UnitBehaviour, ChildOfADestroyedParentGoesInTheSamePassOnlyFromAHigherSlot) {
  const int16_t hull = spawn(2, 1);
  const int16_t turret = spawn(3, 1, 0, 0, 0, hull);
  ASSERT_GT(turret, hull);
  w.units[hull].health = 0;
  update_units(w);
  EXPECT_EQ(w.units[hull].type, -1);
  EXPECT_EQ(w.units[turret].type, -1);
  EXPECT_EQ(live_particles(), 1);  // the turret goes without an explosion

  const int16_t filler = spawn(16, 1);
  const int16_t hull2 = spawn(2, 1);
  w.units[filler].type = -1;
  const int16_t turret2 = spawn(3, 1, 0, 0, 0, hull2);
  ASSERT_LT(turret2, hull2);
  w.units[hull2].health = -3;
  update_units(w);
  EXPECT_EQ(w.units[hull2].type, -1);
  EXPECT_EQ(w.units[turret2].type, 3);
  update_units(w);
  EXPECT_EQ(w.units[turret2].type, -1);
  EXPECT_EQ(live_particles(), 2);
}

TEST_F(UnitBehaviour, ADoomedUnitStillMovesAndFiresBeforeItExplodes) {
  const int16_t heli = spawn(0, 1, 0, 0);
  w.units[heli].health = 0;
  w.units[heli].control_bits = kForward | kFire;
  update_units(w);
  EXPECT_EQ(w.units[heli].type, -1);
  EXPECT_EQ(live_projectiles(4), 1);
  EXPECT_FLOAT_EQ(w.units[heli].y, 0.6f);
  EXPECT_EQ(w.particles[0].x, w.units[heli].x);
  EXPECT_EQ(w.particles[0].y, w.units[heli].y);
}

TEST_F(UnitBehaviour, ExplosionDrawsCellLifeSpinAndAngleInThatOrder) {
  // From the generator's initial state the draws are 41, 18467, 6334, 26500.
  const int16_t factory = spawn(49, 1);
  w.units[factory].health = -1;
  update_units(w);
  const Particle& p = w.particles[0];
  EXPECT_EQ(p.cell, 41 % 2);
  EXPECT_EQ(p.life, 7 + 18467 % 3);
  EXPECT_EQ(p.spin, 6334 % 11 - 5);
  EXPECT_EQ(p.angle, degrees(26500 % 360));
  EXPECT_EQ(p.texture, 0);
  // 1.5 x 90 = 135 wraps in the 8-bit size.
  EXPECT_EQ(p.size, -121);
  EXPECT_EQ(p.dx, 0);
  EXPECT_EQ(p.dy, 0);
}

TEST_F(UnitBehaviour, UnitsStopAtTheMapEdgeAndSlideAlongIt) {
  const int16_t east = spawn(2, 1, 499.9f, 0, -kHalfPi);  // facing +x
  const int16_t west = spawn(2, 1, -500, 10, 0);          // facing +y
  w.units[east].control_bits = kForward;
  w.units[west].control_bits = kForward;
  update_units(w);
  EXPECT_EQ(w.units[east].x, 500.0f);
  EXPECT_EQ(w.units[west].x, -500.0f);
  EXPECT_FLOAT_EQ(w.units[west].y, 10.35f);
}

TEST_F(UnitBehaviour, SideBitsStepAHelicopterButTurnATanksTurret) {
  const int16_t heli = spawn(0, 1, 0, 0, 0);
  const int16_t rotor = spawn(1, 1, 0, 0, 0, heli);
  w.units[heli].control_bits = kAuxLeft;
  update_units(w);
  // Heading 0: the side vector is +x, so 0x10 steps to -x.
  EXPECT_FLOAT_EQ(w.units[heli].x, -0.2f);
  EXPECT_EQ(w.units[rotor].heading, degrees(21));
  EXPECT_EQ(w.units[rotor].x, 0.0f);

  const int16_t tank = spawn(2, 1, 50, 50, 0);
  const int16_t turret = spawn(3, 1, 0, 0, 0, tank);
  w.units[heli].control_bits = 0;
  w.units[tank].control_bits = kAuxRight;
  update_units(w);
  EXPECT_EQ(w.units[tank].x, 50.0f);
  EXPECT_EQ(w.units[turret].heading, degrees(-2.5));
  // A top-level type 18 (guard infantry) takes no turret turn.
  const int16_t guard = spawn(18, 1);
  w.units[guard].control_bits = kAuxLeft | kTurnLeft;
  update_units(w);
  EXPECT_EQ(w.units[guard].heading, degrees(2.5));
}

TEST_F(UnitBehaviour, CruisingAircraftMoveWithoutBitsAndTurnByTheirRate) {
  const int16_t plane = spawn(7, 1, 0, 0, 0);  // cruise 12, turn 2.0 degrees
  w.units[plane].control_bits = kTurnLeft;
  update_units(w);
  EXPECT_FLOAT_EQ(w.units[plane].y, 0.6f);
  EXPECT_EQ(w.units[plane].heading, degrees(2.0));
  // Type 35 drives forwards on its reverse bit.
  const int16_t tester = spawn(35, 1, 0, 0, 0);
  w.units[tester].control_bits = kBack;
  update_units(w);
  EXPECT_FLOAT_EQ(w.units[tester].y, 1.2f);
}

}  // namespace
}  // namespace quarvex
