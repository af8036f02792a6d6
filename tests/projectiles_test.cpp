#include <gtest/gtest.h>

#include <cmath>

#include "sim/sim.h"
#include "sim_fixture.h"
#include "world/geometry.h"
#include "world/trig.h"

namespace quarvex {
namespace {

using Projectiles = testing::SimTest;

float degrees(double d) {
  return static_cast<float>(d * kDegree);
}

TEST_F(Projectiles, HitRadiusIsStrict) {
  // Kind 0 (size 40) against type 2 (size 40): r = 1.2 + 0.8 = 2.0.
  const int16_t near = spawn(2, 2, 1, 1);              // estimate 1.5: hit
  const int16_t edge = spawn(2, 2, 102, 0);            // estimate 2.0: miss
  const int16_t inside = spawn(2, 2, 200.9f, 300.9f);  // truncates to 0: hit
  spawn_projectile(w, 0, 0, 0, 0, 1, 0);
  spawn_projectile(w, 100, 0, kPi, 0, 1, 0);
  spawn_projectile(w, 200, 300, 0, 0, 1, 0);
  update_projectiles(w);
  EXPECT_EQ(w.units[near].health, 46);
  EXPECT_EQ(w.units[edge].health, 50);
  EXPECT_EQ(w.units[inside].health, 46);
  EXPECT_EQ(w.projectiles[0].kind, -1);
  EXPECT_EQ(w.projectiles[1].kind, 0);
  EXPECT_EQ(w.projectiles[2].kind, -1);
}

TEST_F(Projectiles, OnlyTheFirstTopLevelEnemyInSlotOrderIsHit) {
  const int16_t friendly = spawn(2, 1);
  const int16_t hull = spawn(2, 3, 0, 0);
  const int16_t turret = spawn(3, 3, 0, 0, 0, hull);
  const int16_t second = spawn(2, 2, 0, 0);
  w.units[turret].x = 0;
  spawn_projectile(w, 0, 0, 0, 1, 1, 0);  // damage 18
  update_projectiles(w);
  EXPECT_EQ(w.units[friendly].health, 50);
  EXPECT_EQ(w.units[hull].health, 32);
  EXPECT_EQ(w.units[turret].health, 1);
  EXPECT_EQ(w.units[second].health, 50);
  EXPECT_EQ(live_particles(), 7);  // 18 / 3 + 1 pieces of debris
  // Health is not clamped: a second and third hit take it below zero.
  spawn_projectile(w, 0, 0, 0, 18, 1, 0);  // damage 30
  spawn_projectile(w, 0, 0, 0, 18, 1, 0);
  update_projectiles(w);
  EXPECT_EQ(w.units[hull].health, -28);
  EXPECT_EQ(live_particles(), 7 + 22);
}

TEST_F(Projectiles, DebrisDrawsCellLifeDyDxAngleInThatOrder) {
  // From the initial state: 41, 18467, 6334, 26500, 19169, then 15724, 11478,
  // 29358, 26962, 24464 for the second piece.
  spawn(2, 2, 5, 5);
  spawn_projectile(w, 5.5f, 5.25f, 0, 0, 1, 0);  // damage 4: two pieces
  update_projectiles(w);
  ASSERT_EQ(live_particles(), 2);
  const Particle& a = w.particles[0];
  EXPECT_EQ(a.cell, 41 % 2);
  EXPECT_EQ(a.life, 18467 % 5 + 4);
  EXPECT_EQ(a.dy, 6334 % 41 - 20);
  EXPECT_EQ(a.dx, 26500 % 41 - 20);
  EXPECT_EQ(a.angle, degrees(19169 % 360));
  EXPECT_EQ(a.x, 5.5f);
  EXPECT_EQ(a.y, 5.25f);
  EXPECT_EQ(a.size, 40);
  EXPECT_EQ(a.spin, 0);
  const Particle& b = w.particles[1];
  EXPECT_EQ(b.cell, 15724 % 2);
  EXPECT_EQ(b.life, 11478 % 5 + 4);
  EXPECT_EQ(b.dy, 29358 % 41 - 20);
  EXPECT_EQ(b.dx, 26962 % 41 - 20);
  EXPECT_EQ(b.angle, degrees(24464 % 360));
}

TEST_F(Projectiles, FlightSpinAndAgeing) {
  // Speed 32, life 30, spins 16 degrees. The course plus a quarter turn is
  // taken in double: rounded to a float first, x would be a step off.
  spawn_projectile(w, 0, 0, 0.01f, 0, 1, 0);
  update_projectiles(w);
  const Projectile& p = w.projectiles[0];
  EXPECT_EQ(p.x, static_cast<float>(game_cos(wide(0.01f) + kHalfPi) * 32 / 20));
  EXPECT_EQ(p.y, static_cast<float>(game_sin(wide(0.01f) + kHalfPi) * 32 / 20));
  EXPECT_EQ(p.angle, static_cast<float>(wide(0.01f) + 0.27925262));
  EXPECT_EQ(p.life, 29);
  // Kind 14 stands still and is gone after its second update.
  spawn_projectile(w, 7, 7, 1, 14, 1, 0);
  update_projectiles(w);
  EXPECT_EQ(w.projectiles[1].x, 7.0f);
  EXPECT_EQ(w.projectiles[1].kind, 14);
  update_projectiles(w);
  EXPECT_EQ(w.projectiles[1].kind, -1);
}

TEST_F(Projectiles, FragmentDrawsItsLifeAtTheFirstUpdateAndFliesAtItsOwnSpeed) {
  spawn_projectile(w, 0, 0, 0, 10, 1, 30);
  ASSERT_EQ(w.projectiles[0].life, -1);
  update_projectiles(w);
  const int life = 41 % 10 + 10;  // the first draw
  EXPECT_EQ(w.projectiles[0].life, life - 1);
  EXPECT_FLOAT_EQ(w.projectiles[0].y, 1.5f);
  for (int i = 1; i < life - 1; ++i) update_projectiles(w);
  EXPECT_EQ(w.projectiles[0].kind, 10);
  update_projectiles(w);
  EXPECT_EQ(w.projectiles[0].kind, -1);

  spawn_projectile(w, 0, 0, 0, 15, 1, 8);
  update_projectiles(w);
  EXPECT_EQ(w.projectiles[0].life, 18467 % 6 + 6 - 1);
}

TEST_F(Projectiles, HomingMissileTurnsTwoDegreesAFrameAndSmokesOnOddFrames) {
  const int16_t target = spawn(2, 2, -100, 100);  // ahead and to the left
  spawn_projectile(w, 0, 0, 0, 5, 1, target);
  w.frame_counter = 4;
  update_projectiles(w);
  const Projectile& p = w.projectiles[0];
  EXPECT_EQ(p.course, degrees(2));
  EXPECT_EQ(p.angle, p.course);
  EXPECT_EQ(live_particles(), 0);
  w.frame_counter = 5;
  update_projectiles(w);
  EXPECT_EQ(p.course, static_cast<float>(double{degrees(2)} + 2 * double{kDegree}));
  ASSERT_EQ(live_particles(), 1);
  const Particle& smoke = w.particles[0];
  EXPECT_EQ(smoke.cell, 10);
  EXPECT_EQ(smoke.size, 30);
  EXPECT_EQ(smoke.life, 10);
  EXPECT_NEAR(std::hypot(smoke.x - p.x, smoke.y - p.y), 2.0, 1e-5);
  EXPECT_LT(smoke.y, p.y);  // behind the missile

  // A target on the right turns it the other way; with no target it flies straight.
  const int16_t right = spawn(2, 2, 100, 100);
  spawn_projectile(w, 0, 0, 0, 5, 1, right);
  spawn_projectile(w, 0, -50, 0, 5, 1, 0);
  update_projectiles(w);
  EXPECT_EQ(w.projectiles[1].course, degrees(-2));
  EXPECT_EQ(w.projectiles[2].course, 0.0f);
}

TEST_F(Projectiles, HomingMissileWithAnOutOfRangeTargetReadsTheEmptySlot) {
  spawn_projectile(w, 10, 10, 0, 5, 1, 9999);
  update_projectiles(w);
  // Slot 0 sits at the origin, behind and to the left of this missile.
  EXPECT_EQ(w.projectiles[0].kind, 5);
  EXPECT_NE(w.projectiles[0].course, 0.0f);
}

TEST_F(Projectiles, ParticlesDriftTurnAndCountDown) {
  spawn_particle(w, 1, 2, 0, 10, -20, 5, 2, 0, 1, 30);
  update_particles(w);
  const Particle& p = w.particles[0];
  EXPECT_FLOAT_EQ(p.x, 1.5f);
  EXPECT_FLOAT_EQ(p.y, 1.0f);
  EXPECT_EQ(p.angle, degrees(5));
  EXPECT_EQ(p.life, 1);
  update_particles(w);
  EXPECT_EQ(p.life, 0);
  update_particles(w);
  EXPECT_FLOAT_EQ(p.x, 2.0f);  // a free slot no longer moves
}

}  // namespace
}  // namespace quarvex
