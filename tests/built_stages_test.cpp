// Checks the three stages the build compiles: each side owns a base in its own
// quarter and a starting force from its own build list, the stage leaves
// room for production, and the files survive decompiling and compiling back.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_files.h"
#include "world/stage.h"
#include "world/tables.h"
#include "world/world.h"

namespace quarvex {
namespace {

constexpr int kMaxStartSlots = 300;
constexpr int kEdge = 480;
// Buildings (headquarters, housing, factory) are kinds 32..34.
constexpr int kKindHeadquarters = 32;
constexpr int kKindFactory = 34;
// The build list each side gets at stage setup.
constexpr int kSideBuildList[4] = {2, 3, 0, 1};
// Which quarter each side's base lies in: the signs of x and y.
constexpr int kSideQuarter[4][2] = {{-1, -1}, {1, 1}, {1, -1}, {-1, 1}};

std::string stage_path(int stage) {
  return std::string(QUARVEX_DATA_DIR) + "/map" + std::to_string(stage) + ".aod";
}

std::vector<StageRecord> read_records(int stage) {
  std::string bytes = testing::read_text(stage_path(stage));
  std::vector<StageRecord> records;
  if (bytes.size() < 2) return records;
  size_t count = static_cast<uint8_t>(bytes[0]) | static_cast<uint8_t>(bytes[1]) << 8;
  EXPECT_EQ(bytes.size(), 2 + count * kStageRecordSize) << "map" << stage;
  for (size_t i = 0; i < count && 2 + (i + 1) * kStageRecordSize <= bytes.size(); ++i) {
    records.push_back(
        decode_stage_record(reinterpret_cast<const uint8_t*>(bytes.data()) + 2 + i * 14));
  }
  return records;
}

int slots_of(const std::vector<StageRecord>& records) {
  int slots = 0;
  for (const StageRecord& r : records) {
    const UnitKind* kind = unit_kind(r.kind);
    slots += kind == nullptr ? 0 : (kind->child_type == -1 ? 1 : 2);
  }
  return slots;
}

class BuiltStage : public ::testing::TestWithParam<int> {};

TEST_P(BuiltStage, PlacementsAreValidAndLeaveRoomForProduction) {
  auto records = read_records(GetParam());
  ASSERT_FALSE(records.empty());
  EXPECT_LE(slots_of(records), kMaxStartSlots);
  for (const StageRecord& r : records) {
    SCOPED_TRACE("at " + std::to_string(r.x) + "," + std::to_string(r.y));
    ASSERT_GE(r.side, 1);
    ASSERT_LE(r.side, 4);
    ASSERT_NE(unit_kind(r.kind), nullptr);
    EXPECT_LE(std::abs(r.x), kEdge);
    EXPECT_LE(std::abs(r.y), kEdge);
    EXPECT_LE(std::abs(r.goal_x), kEdge);
    EXPECT_LE(std::abs(r.goal_y), kEdge);
    EXPECT_TRUE(r.mode <= 2 || r.mode == 4) << "mode " << int{r.mode};
    // Everyone starts in the own quarter.
    EXPECT_EQ(r.x > 0 ? 1 : -1, kSideQuarter[r.side - 1][0]);
    EXPECT_EQ(r.y > 0 ? 1 : -1, kSideQuarter[r.side - 1][1]);
    if (r.kind < kKindHeadquarters || r.kind > kKindFactory) {
      const auto& list = build_lists[kSideBuildList[r.side - 1]];
      EXPECT_NE(std::find(list.begin(), list.end(), r.kind), list.end())
          << "side " << int{r.side} << " starts with kind " << int{r.kind}
          << ", which it cannot build";
    }
  }
}

TEST_P(BuiltStage, EverySideOwnsABaseWhenLoaded) {
  std::string bytes = testing::read_text(stage_path(GetParam()));
  World w;
  init_world(w);
  read_stage_bytes(w, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  setup_side_groups(w);
  int headquarters[4] = {}, housing[4] = {}, live = 0;
  for (int i = 1; i < kUnitSlots; ++i) {
    const Unit& u = w.units[i];
    if (u.type == -1) continue;
    ++live;
    if (u.parent != 0) continue;
    headquarters[u.side - 1] += u.type == kTypeHeadquarters;
    housing[u.side - 1] += u.type == kTypeResidence;
  }
  EXPECT_EQ(live, slots_of(read_records(GetParam())));
  for (int s = 0; s < 4; ++s) {
    SCOPED_TRACE("side " + std::to_string(s + 1));
    EXPECT_GE(headquarters[s], 1);
    EXPECT_GE(housing[s], 2);
    int factories = 0;
    for (int16_t f : w.factories[s]) factories += f != 0;
    EXPECT_GE(factories, 1);
  }
}

#ifdef QUARVEX_STAGE_BIN
TEST_P(BuiltStage, DecompilesAndCompilesBackToTheSameFile) {
  testing::TempDir dir;
  auto text = testing::run_program(QUARVEX_STAGE_BIN, {"decompile", stage_path(GetParam())}, dir);
  ASSERT_EQ(text.status, 0) << text.err;
  testing::write_text(dir.file("stage.txt"), text.out);
  auto compiled =
      testing::run_program(QUARVEX_STAGE_BIN, {"compile", "stage.txt", "again.aod"}, dir);
  ASSERT_EQ(compiled.status, 0) << compiled.err;
  EXPECT_EQ(testing::read_text(dir.file("again.aod")), testing::read_text(stage_path(GetParam())));
}
#endif

INSTANTIATE_TEST_SUITE_P(Stages, BuiltStage, ::testing::Values(1, 2, 3));

TEST(BuiltStages, GrowFromSmallToLarge) {
  int small = slots_of(read_records(1));
  int medium = slots_of(read_records(2));
  int large = slots_of(read_records(3));
  EXPECT_LT(small, medium);
  EXPECT_LT(medium, large);
}

}  // namespace
}  // namespace quarvex
