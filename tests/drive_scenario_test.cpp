// A whole game through frame_tick: pick a stage and a side, select a jeep,
// take direct control, drive it, fire its gunner and destroy an enemy
// guard infantryman. The stage's units are placed by hand where the stage load
// would put them.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "sim/sim.h"
#include "test_host.h"
#include "world/trig.h"

namespace quarvex {
namespace {

using testing::TestHost;

constexpr int16_t kJeep = 1;
constexpr int16_t kGunner = 2;
constexpr int16_t kEnemy = 3;

void place_units(World& w) {
  w.reload_requested = 0;
  w.game_phase = 1;
  w.frame_counter = 0;
  player_state(w).selected_unit = 1;
  player_state(w).command_mode = 0;
  ASSERT_EQ(spawn_unit(w, 0, 0, kGroundZ, 0, 0, 20, 2), kJeep);
  ASSERT_EQ(spawn_unit(w, 0, 0, kChildZ, 0, kJeep, 18, 2), kGunner);
  // A guard infantryman cannot walk or side-step, and in march mode at its
  // own goal the autonomous control never gives it a target to shoot at, so
  // it stays where the shots are aimed.
  ASSERT_EQ(spawn_unit(w, 0, 40, kGroundZ, kPi, 0, 18, 3), kEnemy);
  w.units[kEnemy].mode = 4;
  w.units[kEnemy].goal_x = 0;
  w.units[kEnemy].goal_y = 40;
}

class DriveScenario : public ::testing::Test {
 protected:
  void SetUp() override { init_world(w); }
  void run_to(int64_t frame) {
    while (host.frame < frame) frame_tick(w, host);
  }
  std::unique_ptr<World> world = std::make_unique<World>();
  World& w = *world;
  TestHost host;
};

TEST_F(DriveScenario, DriveFireAndDestroy) {
  // Title menu: stage 2, side index 1, start.
  host.hold(kKeyRight, 1, 1);
  host.hold(kKeyDown, 3, 3);
  host.hold(kKeyLeft, 5, 5);
  host.hold(kKeySelect, 7, 7);
  run_to(7);
  EXPECT_EQ(w.stage_number, 2);
  EXPECT_EQ(w.player_side, 1);
  ASSERT_EQ(w.reload_requested, 1);
  place_units(w);

  // Select the jeep under the cursor, then take direct control (item 0).
  host.hold(kKeySelect, 10, 10);
  run_to(10);
  EXPECT_EQ(player_state(w).selected_unit, kJeep);
  EXPECT_EQ(player_state(w).command_mode, 1);
  host.hold(kKeySelect, 13, 13);
  run_to(13);
  ASSERT_EQ(player_state(w).command_mode, 2);

  // Forward for 20 frames: the release frame still counts, so the throttle
  // climbs for 14 frames, stays at 14 for 7 and then falls back to 0 in 14.
  host.hold(kKeyUp, 16, 35);
  float x = 0, y = 0;
  int speed = 0;
  for (int64_t f = 16; f <= 50; ++f) {
    run_to(f);
    speed = f <= 36 ? std::min(speed + 1, 14) : std::max(speed - 1, 0);
    x = static_cast<float>(x + game_cos(0.0 + kHalfPi) * speed / 20.0);
    y = static_cast<float>(y + game_sin(0.0 + kHalfPi) * speed / 20.0);
    ASSERT_EQ(w.units[kJeep].speed, speed) << "frame " << f;
  }
  EXPECT_EQ(w.units[kJeep].x, x);
  EXPECT_EQ(w.units[kJeep].y, y);
  EXPECT_NEAR(y, 14.7, 1e-4);
  EXPECT_EQ(player_state(w).camera_y, y);  // the camera follows the driven unit

  // Fire for 10 frames: the gunner shoots on frame counters 45 and 50.
  host.hold(kKeySelect, 52, 61);
  run_to(62);
  EXPECT_EQ(w.units[kGunner].charge, 59);
  EXPECT_EQ(w.units[kEnemy].health, 3);
  // Each bullet flies 2 units a frame and is within reach of y = 40 after 12.
  run_to(65);
  EXPECT_EQ(w.units[kEnemy].health, 1);
  run_to(70);
  EXPECT_EQ(w.units[kEnemy].health, -1);
  EXPECT_EQ(w.units[kEnemy].type, 18);
  run_to(71);
  EXPECT_EQ(w.units[kEnemy].type, -1);
  EXPECT_EQ(w.units[kJeep].type, 20);
  EXPECT_EQ(w.units[kJeep].y, y);
  EXPECT_EQ(w.units[kJeep].health, 15);
}

}  // namespace
}  // namespace quarvex
