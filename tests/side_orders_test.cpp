#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "battle_world.h"
#include "sim/sim.h"
#include "world/tables.h"
#include "world/trig.h"

namespace quarvex {
namespace {

class SideOrders : public ::testing::Test {
 protected:
  void SetUp() override { testing::reset_for_battle(w); }

  void order(int side_index, int8_t code, int16_t unit, int16_t arg = 0, int16_t arg_y = 0) {
    w.side_order[side_index] = code;
    w.side_order_unit[side_index] = unit;
    w.side_order_arg[side_index] = arg;
    w.side_order_arg_y[side_index] = arg_y;
  }

  int live_units() const {
    int n = 0;
    for (int i = 1; i <= kMaxUnit; ++i) n += w.units[i].type != -1;
    return n;
  }

  World w{};
};

TEST_F(SideOrders, BuildNeedsTheFullPriceAndNoMore) {
  const int16_t factory = spawn_unit(w, 10, 20, kGroundZ, 0, 0, kTypeFactory, 1);
  constexpr int16_t kTankA = 2;  // costs 46, hull 2 with turret 3
  w.funds[0] = 45;
  order(0, 5, factory, kTankA);
  execute_side_orders(w);
  EXPECT_EQ(live_units(), 1);
  EXPECT_EQ(w.funds[0], 45);
  EXPECT_EQ(w.side_order[0], 0);

  w.funds[0] = 46;
  order(0, 5, factory, kTankA);
  execute_side_orders(w);
  EXPECT_EQ(w.funds[0], 0);
  ASSERT_EQ(live_units(), 3);
  const Unit& hull = w.units[2];
  const Unit& turret = w.units[3];
  EXPECT_EQ(hull.type, 2);
  EXPECT_EQ(hull.z, kGroundZ);
  EXPECT_EQ(hull.side, 1);
  EXPECT_EQ(turret.type, 3);
  EXPECT_EQ(turret.parent, 2);
  EXPECT_EQ(turret.z, kChildZ);
  EXPECT_EQ(hull.child, 3);
}

TEST_F(SideOrders, PlayersProductionPaysThePriceAndAppearsFiveAhead) {
  w.player_side = 2;
  const float heading = 1.0f;
  const int16_t factory = spawn_unit(w, -100.5f, 30.25f, kGroundZ, heading, 0, kTypeFactory, 3);
  constexpr int16_t kHeliA = 0;  // air kind, costs 50
  order(2, 5, factory, kHeliA);
  execute_side_orders(w);
  EXPECT_EQ(w.funds[2], 150);
  const Unit& heli = w.units[2];
  EXPECT_EQ(heli.type, 0);
  EXPECT_EQ(heli.z, kAirZ);
  EXPECT_EQ(heli.heading, heading);
  const double ahead = static_cast<double>(heading) + kHalfPi;
  EXPECT_EQ(heli.x, static_cast<float>(-100.5 + 5.0 * game_cos(ahead)));
  EXPECT_EQ(heli.y, static_cast<float>(30.25 + 5.0 * game_sin(ahead)));
  EXPECT_EQ(w.units[3].type, kTypeRotor);
}

TEST_F(SideOrders, BuildOnlyAtALiveFactoryOfTheOrderingSide) {
  const int16_t factory = spawn_unit(w, 0, 0, kGroundZ, 0, 0, kTypeFactory, 1);
  const int16_t foreign = spawn_unit(w, 50, 0, kGroundZ, 0, 0, kTypeFactory, 2);
  constexpr int16_t kInfantry = 22;
  order(0, 5, foreign, kInfantry);
  execute_side_orders(w);
  EXPECT_EQ(live_units(), 2);

  w.units[factory].type = -1;  // destroyed in an earlier frame
  order(0, 5, factory, kInfantry);
  execute_side_orders(w);
  EXPECT_EQ(live_units(), 1);
  EXPECT_EQ(w.funds[0], 200);

  // Kinds outside the table build nothing.
  for (const int16_t kind : {int16_t{40}, int16_t{-1}}) {
    order(1, 5, foreign, kind);
    execute_side_orders(w);
    EXPECT_EQ(w.funds[1], 200);
  }
}

TEST_F(SideOrders, BuiltUnitTakesTheFactorysOrder) {
  const int16_t factory = spawn_unit(w, 0, 0, kGroundZ, 0, 0, kTypeFactory, 4);
  order(3, 3, factory, 120, -80);
  execute_side_orders(w);
  order(3, 5, factory, 22);
  execute_side_orders(w);
  const Unit& infantry = w.units[2];
  EXPECT_EQ(infantry.type, 16);
  EXPECT_EQ(infantry.mode, 2);
  EXPECT_EQ(infantry.goal_x, 120);
  EXPECT_EQ(infantry.goal_y, -80);
  EXPECT_EQ(w.units[3].type, -1);  // infantry comes alone
}

TEST_F(SideOrders, FullTableKeepsTheMoneySpent) {
  const int16_t factory = spawn_unit(w, 0, 0, kGroundZ, 0, 0, kTypeFactory, 1);
  testing::fill_below(w, kMaxUnit + 1, 1);
  order(0, 5, factory, 22);
  execute_side_orders(w);
  EXPECT_EQ(w.funds[0], 196);
}

TEST_F(SideOrders, HoldStopsAGroundUnitAndCirclesAnAircraft) {
  const int16_t tank = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 2, 1);
  const int16_t recon = spawn_unit(w, -12.7f, 33.9f, kAirZ, 0, 0, 7, 2);  // cannot stop
  order(0, 1, tank);
  order(1, 1, recon);
  execute_side_orders(w);
  EXPECT_EQ(w.units[tank].mode, 0);
  EXPECT_EQ(w.units[recon].mode, 2);
  EXPECT_EQ(w.units[recon].goal_x, -12);
  EXPECT_EQ(w.units[recon].goal_y, 33);
}

TEST_F(SideOrders, RoamGoToAndFollowSetModeAndGoal) {
  const int16_t a = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 1);
  const int16_t b = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 2);
  const int16_t c = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 3);
  w.units[a].mode = 0;
  order(0, 2, a);
  order(1, 3, b, -250, 400);
  order(2, 4, c, a, 15);
  order(3, 9, c);  // unknown code: nothing
  execute_side_orders(w);
  EXPECT_EQ(w.units[a].mode, 1);
  EXPECT_EQ(w.units[b].mode, 2);
  EXPECT_EQ(w.units[b].goal_x, -250);
  EXPECT_EQ(w.units[b].goal_y, 400);
  EXPECT_EQ(w.units[c].mode, 3);
  EXPECT_EQ(w.units[c].goal_x, a);
  EXPECT_EQ(w.units[c].goal_y, 15);
  for (int i = 0; i < kSides; ++i) EXPECT_EQ(w.side_order[i], 0);
}

TEST_F(SideOrders, OrderForNoUnitLeavesTheSentinelUntouched) {
  Unit before{};
  std::memcpy(&before, &w.units[0], sizeof before);
  for (const int16_t unit : {int16_t{0}, int16_t{-3}, int16_t{501}, int16_t{32000}}) {
    for (int8_t code = 1; code <= 5; ++code) {
      order(0, code, unit, 7, 9);
      execute_side_orders(w);
      EXPECT_EQ(std::memcmp(&before, &w.units[0], sizeof before), 0) << unit << " " << int{code};
    }
  }
  EXPECT_EQ(w.funds[0], 200);
}

TEST_F(SideOrders, SideWithoutHeadquartersLosesItsNextOrder) {
  const int16_t tank = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 43, 2);
  w.side_present[1] = 0;  // no headquarters seen in the previous frame
  order(1, 2, tank);
  w.units[tank].mode = 0;
  reset_side_presence(w);
  execute_side_orders(w);
  EXPECT_EQ(w.units[tank].mode, 0);

  // Present sides keep theirs, and every flag is cleared for this frame's count.
  order(2, 2, tank);
  w.side_present = {1, 1, 1, 1};
  reset_side_presence(w);
  EXPECT_EQ(w.side_order[2], 2);
  for (int i = 0; i < kSides; ++i) EXPECT_EQ(w.side_present[i], 0);
  execute_side_orders(w);
  EXPECT_EQ(w.units[tank].mode, 1);
}

}  // namespace
}  // namespace quarvex
