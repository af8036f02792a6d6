#include <gtest/gtest.h>

#include <cstring>

#include "world/tables.h"
#include "world/world.h"

namespace quarvex {
namespace {

class SpawnTest : public ::testing::Test {
 protected:
  void SetUp() override { init_world(w); }
  World w;
};

TEST_F(SpawnTest, ProgramStartHasEveryPoolFreeAndTheSentinelReset) {
  for (const Unit& u : w.units) EXPECT_EQ(u.type, -1);
  for (const Projectile& p : w.projectiles) EXPECT_EQ(p.kind, -1);
  for (const Particle& p : w.particles) EXPECT_EQ(p.life, 0);
  EXPECT_EQ(w.units[0].health, 1);
  EXPECT_EQ(w.stage_number, 1);
  EXPECT_EQ(w.rand_state, 1u);
}

TEST_F(SpawnTest, UnitTakesLowestFreeSlotWithItsTypeDefaults) {
  w.units[1].type = 2;  // occupied
  const int16_t i = spawn_unit(w, 1.5f, -2.0f, kGroundZ, 0.25f, 0, 27, 3);
  ASSERT_EQ(i, 2);
  const Unit& u = w.units[2];
  EXPECT_EQ(u.x, 1.5f);
  EXPECT_EQ(u.z, kGroundZ);
  EXPECT_EQ(u.heading, 0.25f);
  EXPECT_EQ(u.health, 70);  // max_health of type 27
  EXPECT_EQ(u.charge, 100);
  EXPECT_EQ(u.mode, 1);
  EXPECT_EQ(u.side, 3);
  // A freed low slot wins over free slots above it.
  spawn_unit(w, 0, 0, 0, 0, 0, 2, 1);
  w.units[2].type = -1;
  EXPECT_EQ(spawn_unit(w, 0, 0, 0, 0, 0, 2, 1), 2);
}

TEST_F(SpawnTest, ChildLinksAndStaleChildOfReusedSlot) {
  const int16_t parent = spawn_unit(w, 0, 0, 0, 0, 0, 2, 1);
  const int16_t first = spawn_unit(w, 0, 0, kChildZ, 0, parent, 3, 1);
  const int16_t second = spawn_unit(w, 0, 0, kChildZ, 0, parent, 3, 1);
  EXPECT_EQ(w.units[second].parent, parent);
  EXPECT_EQ(w.units[parent].child, second);  // the second child overwrites the link
  EXPECT_NE(first, second);
  // A top-level unit in a slot whose previous occupant had a child gets child 0.
  w.units[parent].type = -1;
  EXPECT_EQ(spawn_unit(w, 0, 0, 0, 0, 0, 2, 1), parent);
  EXPECT_EQ(w.units[parent].child, 0);
}

TEST_F(SpawnTest, ParentOutsideTheTableNeverWritesTheSentinel) {
  spawn_unit(w, 0, 0, 0, 0, 1234, 3, 1);
  spawn_unit(w, 0, 0, 0, 0, -7, 3, 1);
  EXPECT_EQ(w.units[0].child, 0);
}

TEST_F(SpawnTest, FullTableReturnsZeroAndChangesNothing) {
  for (int i = 1; i <= kMaxUnit; ++i) ASSERT_EQ(spawn_unit(w, 0, 0, 0, 0, 0, 2, 1), i);
  const World before = w;
  EXPECT_EQ(spawn_unit(w, 5, 5, 0, 0, 0, 2, 1), 0);
  EXPECT_EQ(std::memcmp(&before.units, &w.units, sizeof w.units), 0);
}

TEST_F(SpawnTest, ProjectilesAndParticlesFirstFitAndDropWhenFull) {
  spawn_projectile(w, 1, 2, 0.5f, 10, 2, 7);
  const Projectile& p = w.projectiles[0];
  EXPECT_EQ(p.angle, 0.5f);
  EXPECT_EQ(p.course, 0.5f);
  EXPECT_EQ(p.life, -1);  // a random life is drawn at the first update
  EXPECT_EQ(p.aux, 7);
  spawn_projectile(w, 0, 0, 0, 1, 1, 0);
  EXPECT_EQ(w.projectiles[1].life, 30);
  for (int i = 2; i < kProjectileSlots; ++i) spawn_projectile(w, 0, 0, 0, 1, 1, 0);
  spawn_projectile(w, 9, 9, 0, 3, 1, 0);  // dropped
  EXPECT_EQ(w.projectiles[0].kind, 10);

  spawn_particle(w, 0, 0, 0, 1, 1, 1, 0, 0, 0, 10);  // life 0: the slot stays free
  EXPECT_TRUE(spawn_particle(w, 0, 0, 0, 1, 1, 1, 5, 0, 3, 10));
  EXPECT_EQ(w.particles[0].life, 5);
  EXPECT_EQ(w.particles[0].cell, 3);
  for (int i = 1; i < kParticleSlots; ++i) spawn_particle(w, 0, 0, 0, 0, 0, 0, 9, 0, 0, 1);
  EXPECT_FALSE(spawn_particle(w, 0, 0, 0, 0, 0, 0, 77, 0, 0, 1));  // dropped
  for (const Particle& q : w.particles) EXPECT_NE(q.life, 77);
}

TEST(Tables, GuardedLookupsNeverReadOutside) {
  EXPECT_EQ(unit_type(-1).max_health, 0);
  EXPECT_EQ(unit_type(55).size, 0);
  EXPECT_EQ(unit_type(54).max_health, 30);
  EXPECT_EQ(projectile_type(20).speed, 0);
  EXPECT_EQ(unit_kind(40), nullptr);
  EXPECT_EQ(unit_kind(-1), nullptr);
  EXPECT_EQ(build_list_kind(3, 12), -1);
  EXPECT_EQ(build_list_kind(2, 11), 30);
  // Every kind's types are real rows.
  for (int k = 0; k < kUnitKindCount; ++k) {
    EXPECT_LT(unit_kind(k)->main_type & 0xFF, kUnitTypeCount);
    EXPECT_GE(unit_kind(k)->child_type, -1);
    EXPECT_LT(unit_kind(k)->child_type, kUnitTypeCount);
  }
}

}  // namespace
}  // namespace quarvex
