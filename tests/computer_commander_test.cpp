#include <gtest/gtest.h>

#include <limits>

#include "battle_world.h"
#include "sim/sim.h"
#include "world/tables.h"

namespace quarvex {
namespace {

using testing::Draws;
using testing::find_state;

class ComputerCommander : public ::testing::Test {
 protected:
  void SetUp() override { testing::reset_for_battle(w); }

  int count_side(int8_t side) const {
    int n = 0;
    for (int i = 1; i <= kMaxUnit; ++i) n += w.units[i].type != -1 && w.units[i].side == side;
    return n;
  }

  World w{};
};

TEST_F(ComputerCommander, NeverOrdersThePlayersSideUnlessThePlayerWatches) {
  for (int8_t player = 0; player < kSides; ++player) {
    testing::reset_for_battle(w);
    w.player_side = player;
    for (int8_t side = 1; side <= kSides; ++side) {
      const int16_t factory =
          spawn_unit(w, side * 100.0f - 250, 0, kGroundZ, 0, 0, kTypeFactory, side);
      w.factories[side - 1] = {factory, factory, factory};
      for (int i = 0; i < 20; ++i)
        spawn_unit(w, side * 100.0f - 250, i * 5.0f, kGroundZ, 0, 0, 43, side);
    }
    int others_ordered = 0;
    for (int frame = 0; frame < 3000; ++frame) {
      command_computer_sides(w);
      ASSERT_EQ(w.side_order[player], 0) << "player side " << int{player};
      for (int i = 0; i < kSides; ++i) {
        others_ordered += w.side_order[i] != 0;
        w.side_order[i] = 0;
      }
    }
    EXPECT_GT(others_ordered, 100);
    // While the player watches, the player's side is commanded like the rest.
    int player_orders = 0;
    int player_builds = 0;
    for (int frame = 0; frame < 3000; ++frame) {
      command_computer_sides(w, Commanded::kAllSides);
      player_orders += w.side_order[player] != 0;
      player_builds += w.side_order[player] == 5;
      w.side_order.fill(0);
    }
    EXPECT_GT(player_orders, 100) << "player side " << int{player};
    EXPECT_GT(player_builds, 20) << "player side " << int{player};
  }
}

TEST_F(ComputerCommander, OneEnemyBuildingMakesAnAttackPointThreeUnitsDoNot) {
  // Side index 0 runs first: a movement attempt (side 1 has no units, so no
  // further draw), the probed point, then the 1 in 2 to remember it.
  w.player_side = 3;
  const uint32_t state = find_state([](const Draws& d) { return d[0] % 40 != 1 && d[4] % 2 == 1; });
  ASSERT_NE(state, 0u);
  const Draws d = testing::draws_from(state);
  const int16_t px = static_cast<int16_t>(d[2] % 1000 - 500);
  const int16_t py = static_cast<int16_t>(d[3] % 1000 - 500);
  const int j = d[5] % 3;

  struct Case {
    int8_t type;
    int count;
    bool remembered;
  };
  for (const Case c :
       {Case{47, 1, true}, Case{49, 1, true}, Case{43, 3, false}, Case{43, 4, true}}) {
    testing::reset_for_battle(w);
    w.player_side = 3;
    for (int i = 0; i < c.count; ++i)
      spawn_unit(w, px + 10.0f, py + i * 5.0f, kGroundZ, 0, 0, c.type, 2);
    w.rand_state = state;
    command_computer_sides(w);
    EXPECT_EQ(w.ai_goal_x[0][j], c.remembered ? px : 0) << int{c.type} << " x" << c.count;
    EXPECT_EQ(w.ai_goal_y[0][j], c.remembered ? py : 0) << int{c.type} << " x" << c.count;
  }
}

TEST_F(ComputerCommander, ScoutingRangeIsTheWholeUnitEstimateBelowFifty) {
  w.player_side = 3;
  const uint32_t state = find_state([](const Draws& d) { return d[0] % 40 != 1 && d[4] % 2 == 1; });
  ASSERT_NE(state, 0u);
  const Draws d = testing::draws_from(state);
  const float px = static_cast<float>(d[2] % 1000 - 500);
  const float py = static_cast<float>(d[3] % 1000 - 500);
  const int j = d[5] % 3;
  ASSERT_TRUE(px != 0 || py != 0);  // a remembered point must differ from the start (0, 0)

  struct Case {
    float dx, dy;
    bool remembered;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const Case c :
       {Case{49.9f, 0, true}, Case{-49.9f, 0, true}, Case{50, 0, false}, Case{0, -50, false},
        Case{40, 19.5f, true}, Case{40, 20, false}, Case{-40, -20, false}, Case{nan, 0, true}}) {
    testing::reset_for_battle(w);
    w.player_side = 3;
    // A unit at no number truncates to no difference at all, so it is near.
    spawn_unit(w, px + c.dx, py + c.dy, kGroundZ, 0, 0, kTypeHeadquarters, 2);
    w.rand_state = state;
    command_computer_sides(w);
    EXPECT_EQ(w.ai_goal_x[0][j] != 0 || w.ai_goal_y[0][j] != 0, c.remembered)
        << c.dx << ", " << c.dy;
  }
}

TEST_F(ComputerCommander, SidesBuildOnlyAtTheirOwnFactories) {
  w.player_side = 3;
  w.funds = {100000, 100000, 100000, 100000};
  // Side 1 has no factory; side 2 one; side 3 a factory that is gone.
  const int16_t factory = spawn_unit(w, 0, 0, kGroundZ, 0, 0, kTypeFactory, 2);
  w.factories[1] = {factory, 0, 0};
  const int16_t ruined = spawn_unit(w, 100, 0, kGroundZ, 0, 0, kTypeFactory, 3);
  w.factories[2] = {ruined, ruined, ruined};
  w.units[ruined].type = -1;
  for (int frame = 0; frame < 4000; ++frame) {
    command_computer_sides(w);
    execute_side_orders(w);
  }
  EXPECT_EQ(count_side(1), 0);
  EXPECT_EQ(count_side(3), 0);
  EXPECT_GT(count_side(2), 5);
  EXPECT_EQ(w.funds[0], 100000);
  EXPECT_LT(w.funds[1], 100000);
}

}  // namespace
}  // namespace quarvex
