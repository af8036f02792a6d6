// The soak is only as good as its checker: every broken invariant must be
// reported, and a sound World (a freshly placed crowded stage) must pass.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "crowded_stage.h"
#include "invariants.h"
#include "world/stage.h"
#include "world/tables.h"

namespace quarvex::testing {
namespace {

class Invariants : public ::testing::Test {
 protected:
  void SetUp() override {
    init_world(w);
    const std::vector<uint8_t> bytes = crowded_stage_bytes(5);
    read_stage_bytes(w, bytes.data(), bytes.size());
    setup_side_groups(w);
  }
  // The one complaint after a single corruption, or "" when there is none.
  std::string complaint() {
    const auto broken = checker.check(w);
    if (broken.empty()) return "";
    EXPECT_EQ(broken.size(), 1u) << broken[0] << " / " << broken[1];
    return broken[0];
  }
  int some_child_slot() const {
    for (int i = 1; i <= kMaxUnit; ++i)
      if (w.units[i].parent != 0 && w.units[i].type != -1) return i;
    return 0;
  }

  World w;
  InvariantChecker checker;
};

TEST_F(Invariants, CrowdedStageFillsTheTableAndHolds) {
  EXPECT_EQ(complaint(), "");
  EXPECT_EQ(checker.pool_use().units, kMaxUnit);
  for (int s = 0; s < kSides; ++s) EXPECT_NE(w.factories[s][0], 0) << s;
  std::array<bool, kSides> side_seen{};
  for (int i = 1; i <= kMaxUnit; ++i) side_seen[w.units[i].side - 1] = true;
  for (bool seen : side_seen) EXPECT_TRUE(seen);

  // A smaller table fills exactly the slots asked for, children included.
  init_world(w);
  const std::vector<uint8_t> small = crowded_stage_bytes(9, 77);
  read_stage_bytes(w, small.data(), small.size());
  EXPECT_EQ(complaint(), "");
  EXPECT_EQ(checker.pool_use().units, 77);
}

TEST_F(Invariants, EachCorruptionIsReported) {
  const float nan = std::nanf("");
  struct Case {
    const char* what;
    void (*corrupt)(World&);
  };
  const Case cases[] = {
      {"unit side out of range (slot 3)", [](World& v) { v.units[3].side = 5; }},
      {"unit type out of range (slot 4)", [](World& v) { v.units[4].type = -2; }},
      {"unit pose not finite (slot 5)", [](World& v) { v.units[5].heading = INFINITY; }},
      {"unit index field out of range (slot 6)", [](World& v) { v.units[6].target = 501; }},
      {"unit index field out of range (slot 7)", [](World& v) { v.units[7].parent = -1; }},
      {"unit is its own parent (slot 8)", [](World& v) { v.units[8].parent = 8; }},
      {"unit outside the playfield (slot 1)", [](World& v) { v.units[1].x = 600; }},
      {"sentinel changed (slot 0)", [](World& v) { v.units[0].type = 3; }},
      {"negative funds (slot 2)", [](World& v) { v.funds[2] = -1; }},
      {"factory entry out of range (slot 1)", [](World& v) { v.factories[1][2] = 600; }},
      {"order unit out of range (slot 3)", [](World& v) { v.side_order_unit[3] = -4; }},
      {"selected unit out of range (slot 0)",
       [](World& v) { player_state(v).selected_unit = 501; }},
      {"frame counter out of range (slot 0)", [](World& v) { v.frame_counter = 1000; }},
      {"cursor outside the map (slot 0)", [](World& v) { player_state(v).cursor_y = -500.5f; }},
      {"camera not finite (slot 0)", [](World& v) { player_state(v).camera_zoom = std::nanf(""); }},
  };
  for (const Case& c : cases) {
    SetUp();
    c.corrupt(w);
    EXPECT_EQ(complaint(), c.what);
  }

  SetUp();
  spawn_projectile(w, 0, 0, 0, kWeaponHoming, 1, 700);
  EXPECT_EQ(complaint(), "missile target out of range (slot 0)");
  SetUp();
  spawn_projectile(w, 0, 0, 0, 1, 1, 0);
  w.projectiles[0].life = 0;
  EXPECT_EQ(complaint(), "live projectile without life (slot 0)");
  SetUp();
  spawn_projectile(w, 0, 0, 0, 1, 1, 0);
  w.projectiles[0].side = 0;
  EXPECT_EQ(complaint(), "projectile side out of range (slot 0)");
  SetUp();
  spawn_particle(w, 0, nan, 0, 0, 0, 0, 5, 0, 0, 1);
  EXPECT_EQ(complaint(), "particle not finite (slot 0)");
}

TEST_F(Invariants, AnOrphanMayLiveOneFrameButNotTwo) {
  const int child = some_child_slot();
  ASSERT_NE(child, 0);
  const int parent = w.units[child].parent;
  w.units[parent].type = -1;
  EXPECT_EQ(complaint(), "");  // the unit pass of the next frame removes it
  EXPECT_EQ(complaint(),
            "orphaned child survived a unit pass (slot " + std::to_string(child) + ")");

  // Removed in time: nothing to report.
  SetUp();
  InvariantChecker fresh;
  w.units[parent].type = -1;
  EXPECT_TRUE(fresh.check(w).empty());
  w.units[child].type = -1;
  EXPECT_TRUE(fresh.check(w).empty());
}

}  // namespace
}  // namespace quarvex::testing
