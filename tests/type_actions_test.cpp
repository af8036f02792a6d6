#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "sim/sim.h"
#include "sim_fixture.h"
#include "world/geometry.h"
#include "world/trig.h"

namespace quarvex {
namespace {

using TypeActions = testing::SimTest;

float degrees(double d) {
  return static_cast<float>(d * kDegree);
}

TEST_F(TypeActions, JeepThrottleClimbsToItsTopAndFallsBackWhenReleased) {
  const int16_t jeep = spawn(20, 1);
  Unit& u = w.units[jeep];
  u.control_bits = kForward;
  std::vector<int> speeds;
  double expected_y = 0;
  for (int i = 0; i < 16; ++i) {
    update_units(w);
    speeds.push_back(u.speed);
    expected_y = static_cast<float>(expected_y + game_sin(double{kHalfPi}) * u.speed / 20.0);
  }
  EXPECT_EQ(speeds, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 14, 14}));
  EXPECT_EQ(u.y, static_cast<float>(expected_y));
  EXPECT_EQ(u.heading, 0.0f);

  u.control_bits = 0;
  for (int i = 0; i < 13; ++i) update_units(w);
  EXPECT_EQ(u.speed, 1);
  update_units(w);
  update_units(w);
  EXPECT_EQ(u.speed, 0);
  // Forward wins over back.
  u.control_bits = kForward | kBack;
  update_units(w);
  EXPECT_EQ(u.speed, 1);
}

TEST_F(TypeActions, ThrottleLimitsDependOnTheVehicle) {
  const int16_t car = spawn(10, 1);
  const int16_t truck = spawn(19, 1);
  w.units[car].control_bits = kBack;
  w.units[truck].control_bits = kForward;
  for (int i = 0; i < 20; ++i) update_units(w);
  EXPECT_EQ(w.units[car].speed, -8);
  EXPECT_EQ(w.units[truck].speed, 12);
}

TEST_F(TypeActions, SteeringGrowsWithSpeedAndIsMirroredInReverse) {
  const int16_t jeep = spawn(20, 1);
  Unit& u = w.units[jeep];
  u.control_bits = kTurnLeft | kTurnRight;
  update_units(w);
  EXPECT_EQ(u.heading, 0.0f);
  u.control_bits = kTurnLeft;
  update_units(w);
  EXPECT_EQ(u.heading, 0.0f);  // at a standstill nothing turns

  u.speed = -4;
  u.control_bits = kBack | kTurnLeft;
  update_units(w);
  EXPECT_EQ(u.speed, -5);
  EXPECT_EQ(u.heading, degrees(-1.0));

  u.heading = 0;
  u.speed = 13;
  u.control_bits = kForward | kTurnRight;
  update_units(w);
  EXPECT_EQ(u.heading, degrees(-14 / 5.0));
}

TEST_F(TypeActions, TruckUnloadsExactlyFiveInfantrymenFacingBackwards) {
  const int16_t truck = spawn(19, 3, 40, -30, 1.0f);
  w.units[truck].mode = 4;
  w.units[truck].goal_x = 123;
  w.units[truck].goal_y = -77;
  w.units[truck].control_bits = kFire;
  std::vector<int> unload_frames;
  for (int f = 0; f < 120; ++f) {
    w.frame_counter = f;
    const int before = live_units_of_type(16);
    update_units(w);
    if (live_units_of_type(16) > before) unload_frames.push_back(f);
  }
  EXPECT_EQ(unload_frames, (std::vector<int>{0, 10, 20, 30, 40}));
  const Unit& soldier = w.units[truck + 1];
  EXPECT_EQ(soldier.type, 16);
  EXPECT_EQ(soldier.side, 3);
  EXPECT_EQ(soldier.heading, static_cast<float>(1.0 + kPi));
  EXPECT_EQ(soldier.z, kGroundZ);
  EXPECT_EQ(soldier.mode, 4);
  EXPECT_EQ(soldier.goal_x, 123);
  EXPECT_EQ(soldier.goal_y, -77);
}

TEST_F(TypeActions, TransportDropsTenParatroopers) {
  const int16_t transport = spawn(26, 2, 0, -400);
  w.units[transport].control_bits = kFire;
  int drops = 0;
  for (int f = 0; f < 200; ++f) {
    w.frame_counter = f;
    const int before = live_units_of_type(30) + live_units_of_type(31);
    update_units(w);
    drops += live_units_of_type(30) + live_units_of_type(31) - before;
  }
  EXPECT_EQ(drops, 10);
  EXPECT_EQ(w.units[transport].charge, 0);
}

TEST_F(TypeActions, CanopyLandsInItsSixtyFirstStep) {
  const int16_t canopy = spawn(30, 2, 5, 5, 0.3f);
  w.units[canopy].goal_x = 9;
  w.units[canopy].mode = 3;
  for (int i = 0; i < 60; ++i) update_units(w);
  EXPECT_EQ(w.units[canopy].type, 30);
  EXPECT_EQ(live_units_of_type(31), 0);
  const float heading_before = w.units[canopy].heading;
  update_units(w);
  EXPECT_EQ(w.units[canopy].type, -1);
  const Unit& soldier = w.units[canopy + 1];
  EXPECT_EQ(soldier.type, 31);
  EXPECT_EQ(soldier.x, w.units[canopy].x);
  EXPECT_EQ(soldier.y, w.units[canopy].y);
  EXPECT_EQ(soldier.heading, heading_before);
  EXPECT_EQ(soldier.mode, 3);
  EXPECT_EQ(soldier.goal_x, 9);
}

TEST_F(TypeActions, CanopyHeadingJumpsByWholeRadiansLessOneDegree) {
  // Draws 41 (41 % 5 is 1: a jump) and 18467 (k = 18467 % 3 = 2).
  const int16_t canopy = spawn(30, 2, 0, 0, 0);
  update_units(w);
  EXPECT_EQ(w.units[canopy].heading, static_cast<float>(2 - double{kDegree}));
}

TEST_F(TypeActions, GrenadeFliesTwentyOneUnitsAndBurstsInItsTwentyFirstStep) {
  const int16_t grenadier = spawn(45, 1, 0, 10, 0);
  w.units[grenadier].control_bits = kFire;
  update_units(w);  // the grenade in the next slot takes its first step at once
  const int16_t grenade = grenadier + 1;
  ASSERT_EQ(w.units[grenade].type, 37);
  EXPECT_EQ(w.units[grenade].z, 92.0f);
  EXPECT_FLOAT_EQ(w.units[grenade].y, 12.0f);
  w.units[grenadier].control_bits = 0;
  for (int i = 2; i <= 20; ++i) update_units(w);
  EXPECT_EQ(w.units[grenade].type, 37);
  EXPECT_NEAR(w.units[grenade].y, 31.0, 1e-4);
  EXPECT_NEAR(w.units[grenade].x, 0.0, 1e-4);
  EXPECT_EQ(live_projectiles(), 0);
  update_units(w);
  EXPECT_EQ(w.units[grenade].type, -1);
  EXPECT_EQ(live_projectiles(15), 5);
  for (const Projectile& p : w.projectiles) {
    if (p.kind == -1) continue;
    EXPECT_GE(p.aux, 8);
    EXPECT_LE(p.aux, 17);
    EXPECT_EQ(p.life, -1);
    EXPECT_NEAR(p.y, 31.0, 1e-4);
  }
}

TEST_F(TypeActions, DemolitionChargeBurstsInItsHundredFortiethStep) {
  const int16_t engineer = spawn(44, 4, -20, 0);
  w.units[engineer].control_bits = kFire;
  update_units(w);
  const int16_t charge = engineer + 1;
  ASSERT_EQ(w.units[charge].type, 38);
  EXPECT_EQ(w.units[charge].speed, -19);  // laid at -20, stepped once
  // Still firing, the engineer lays its second charge once it is back at 100.
  for (int i = 2; i <= 100; ++i) update_units(w);
  EXPECT_EQ(live_units_of_type(38), 1);
  EXPECT_EQ(w.units[engineer].charge, 99);
  update_units(w);
  EXPECT_EQ(live_units_of_type(38), 2);
  w.units[engineer].control_bits = 0;
  for (int i = 102; i < 140; ++i) update_units(w);
  EXPECT_EQ(w.units[charge].type, 38);
  EXPECT_EQ(live_projectiles(), 0);
  update_units(w);
  EXPECT_EQ(w.units[charge].type, -1);
  EXPECT_EQ(live_units_of_type(38), 1);
  EXPECT_EQ(live_projectiles(10), 30);
  for (const Projectile& p : w.projectiles) {
    if (p.kind == -1) continue;
    EXPECT_GE(p.aux, 20);
    EXPECT_LE(p.aux, 39);
    EXPECT_EQ(p.side, 4);
  }
}

TEST_F(TypeActions, FragmentsDrawSpeedBeforeCourse) {
  // A charge one step from bursting: the first fragment uses draws 41 and 18467.
  const int16_t charge = spawn(38, 2, 3, 4);
  w.units[charge].speed = 119;
  update_units(w);
  const Projectile& first = w.projectiles[0];
  EXPECT_EQ(first.aux, 20 + 41 % 20);
  EXPECT_EQ(first.course, degrees(18467 % 360));
  EXPECT_EQ(first.angle, first.course);
  EXPECT_EQ(first.x, 3.0f);
  EXPECT_EQ(first.y, 4.0f);
}

TEST_F(TypeActions, MortarShellBurstsThirtyFiveUnitsAhead) {
  const int16_t mortar = spawn(36, 1, 0, 0, kHalfPi);  // facing -x
  w.units[mortar].control_bits = kFire;
  update_units(w);
  EXPECT_EQ(w.units[mortar].charge, 0);
  EXPECT_EQ(live_projectiles(15), 8);
  for (const Projectile& p : w.projectiles) {
    if (p.kind == -1) continue;
    EXPECT_LE(std::abs(p.x + 35), 6.0001);
    EXPECT_LE(std::abs(p.y), 6.0001);
    EXPECT_GE(p.aux, 10);
    EXPECT_LE(p.aux, 24);
  }
  const Particle& puff = w.particles[0];
  EXPECT_NEAR(puff.x, -2.0, 1e-5);
  EXPECT_EQ(puff.dx, -9);  // 10 x cos(3.141592) truncates toward zero
  EXPECT_EQ(puff.dy, 0);
  EXPECT_EQ(puff.cell, 10);
  EXPECT_EQ(puff.life, 4);
}

TEST_F(TypeActions, SalvoSweepsFromSeventyEightRightToSeventyEightLeft) {
  const int16_t lancer = spawn(46, 1, 0, 0, 0.5f);
  w.units[lancer].control_bits = kFire;
  std::vector<float> courses;
  for (int i = 0; i < 16; ++i) {
    const int before = live_projectiles();
    update_units(w);
    for (int s = before; s < live_projectiles(); ++s) courses.push_back(w.projectiles[s].course);
  }
  ASSERT_EQ(courses.size(), 14u);
  EXPECT_EQ(courses.front(), static_cast<float>(0.5 + -78 * double{kDegree}));
  EXPECT_EQ(courses.back(), static_cast<float>(0.5 + 78 * double{kDegree}));
  EXPECT_EQ(w.units[lancer].speed, 0);
  const Projectile& first = w.projectiles[0];
  EXPECT_EQ(first.kind, 14);
  const double a = 0.5 + -78 * double{kDegree};
  EXPECT_EQ(first.x, static_cast<float>(6 * game_cos(a + kHalfPi)));
  EXPECT_EQ(live_particles(), 14);
}

TEST_F(TypeActions, TwinMissilesLeaveFromBothWingsAtTheTarget) {
  const int16_t target = spawn(2, 2, 0, 50);
  const int16_t bomber = spawn(52, 1, 0, 0, 0);
  w.units[bomber].target = target;
  w.units[bomber].control_bits = kFire;
  update_units(w);
  ASSERT_EQ(live_projectiles(5), 2);
  // The plane cruised 0.6 first; heading 0 puts the wings on the x axis.
  EXPECT_FLOAT_EQ(w.projectiles[0].x, 2.0f);
  EXPECT_FLOAT_EQ(w.projectiles[1].x, -2.0f);
  EXPECT_FLOAT_EQ(w.projectiles[0].y, 0.6f);
  EXPECT_EQ(w.projectiles[0].aux, target);
  EXPECT_EQ(w.projectiles[1].aux, target);
}

TEST_F(TypeActions, HeadquartersAndResidenceTouchOnlyTheirOwnSide) {
  spawn(47, 3);
  const int16_t stray = spawn(47, 5);
  spawn(48, 2);
  spawn(48, 0);
  w.side_present = {0, 0, 0, 0};
  w.funds = {200, 200, 200, 200};
  w.frame_counter = 1;
  update_units(w);
  EXPECT_EQ(w.side_present, (std::array<int8_t, 4>{0, 0, 1, 0}));
  EXPECT_EQ(w.funds, (std::array<int32_t, 4>{200, 201, 200, 200}));
  EXPECT_EQ(w.units[stray].type, 47);
  w.frame_counter = 2;
  update_units(w);
  w.frame_counter = 51;
  update_units(w);
  EXPECT_EQ(w.funds[1], 202);
}

}  // namespace
}  // namespace quarvex
