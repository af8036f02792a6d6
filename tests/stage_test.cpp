#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "test_files.h"
#include "test_host.h"
#include "world/geometry.h"
#include "world/stage.h"
#include "world/tables.h"

namespace quarvex {
namespace {

using testing::record;
using testing::stage_bytes;

constexpr int kHeadquarters = 32;  // kind with a mounted gun (type 13)
constexpr int kTankA = 2;
constexpr int kFactory = 34;
constexpr int kInfantry = 22;  // no mounted unit
constexpr int kHeliA = 0;      // air

class StageReadTest : public ::testing::Test {
 protected:
  void SetUp() override { init_world(w); }
  void read(const std::vector<uint8_t>& bytes) { read_stage_bytes(w, bytes.data(), bytes.size()); }
  int live_units() const {
    int n = 0;
    for (int i = 1; i <= kMaxUnit; ++i) n += w.units[i].type != -1;
    return n;
  }
  World w;
};

TEST_F(StageReadTest, PlacesMainAndChildWithPoseModeAndGoal) {
  read(stage_bytes({record(kTankA, 2, 100, -50, 4, 7, 30, -40), record(kHeliA, 3, -1, 2, -4),
                    record(kInfantry, 4, 5, 5)}));
  ASSERT_EQ(live_units(), 5);
  const Unit& tank = w.units[1];
  EXPECT_EQ(tank.type, 2);
  EXPECT_EQ(tank.side, 2);
  EXPECT_EQ(tank.x, 100.0f);
  EXPECT_EQ(tank.y, -50.0f);
  EXPECT_EQ(tank.z, 92.5f);
  EXPECT_EQ(tank.heading, static_cast<float>(4 * 22.5 * 0.01745328888888889));
  EXPECT_EQ(tank.child, 2);
  EXPECT_EQ(tank.mode, 7);
  EXPECT_EQ(tank.goal_x, 30);
  EXPECT_EQ(tank.goal_y, -40);
  const Unit& turret = w.units[2];
  EXPECT_EQ(turret.type, 3);
  EXPECT_EQ(turret.parent, 1);
  EXPECT_EQ(turret.z, -0.5f);
  EXPECT_EQ(turret.x, 0.0f);
  EXPECT_EQ(turret.heading, 0.0f);
  EXPECT_EQ(turret.mode, 1);  // mode and goal go to the main unit only
  // Air kinds are placed one layer up; negative headings stay negative.
  EXPECT_EQ(w.units[3].z, 91.5f);
  EXPECT_LT(w.units[3].heading, 0.0f);
  EXPECT_EQ(w.units[5].type, 16);
  EXPECT_EQ(w.units[5].child, 0);
}

TEST_F(StageReadTest, TruncatedDataStopsAtTheEnd) {
  read({});
  read({5});  // half a count
  EXPECT_EQ(live_units(), 0);
  // The count promises three records; one and a half are there.
  std::vector<uint8_t> bytes =
      stage_bytes({record(kInfantry, 1, 0, 0), record(kInfantry, 1, 1, 1)}, 3);
  bytes.resize(bytes.size() - 7);
  read(bytes);
  EXPECT_EQ(live_units(), 1);
}

TEST_F(StageReadTest, SkipsBadKindsAndSides) {
  read(stage_bytes({record(40, 1, 0, 0), record(-1, 1, 0, 0), record(kInfantry, 0, 0, 0),
                    record(kInfantry, 5, 0, 0), record(kInfantry, -3, 0, 0),
                    record(kInfantry, 4, 9, 9)}));
  ASSERT_EQ(live_units(), 1);
  EXPECT_EQ(w.units[1].x, 9.0f);
}

TEST_F(StageReadTest, FullTableSkipsWholeRecordsAndNeverTouchesTheSentinel) {
  std::vector<StageRecord> records(499, record(kInfantry, 1, 0, 0));
  // Slot 500 takes this tank's hull; its turret finds no slot and is dropped.
  records.push_back(record(kTankA, 2, 1, 1, 0, 9, 3, 3));
  // No slot for these: nothing of them may land anywhere.
  records.push_back(record(kTankA, 3, 2, 2, 0, 200, 77, 77));
  records.push_back(record(kInfantry, 4, 2, 2, 0, 200, 77, 77));
  read(stage_bytes(records));
  EXPECT_EQ(live_units(), 500);
  EXPECT_EQ(w.units[500].type, 2);
  EXPECT_EQ(w.units[500].child, 0);
  EXPECT_EQ(w.units[500].mode, 9);
  const Unit& s = w.units[0];
  EXPECT_EQ(s.type, -1);
  EXPECT_EQ(s.child, 0);
  EXPECT_EQ(s.mode, 0);
  EXPECT_EQ(s.goal_x, 0);
}

TEST_F(StageReadTest, HugeCountIsBoundedByTheData) {
  std::vector<uint8_t> bytes = stage_bytes({record(kInfantry, 1, 0, 0)}, 65535);
  read(bytes);
  EXPECT_EQ(live_units(), 1);
  // Bytes after the last counted record are ignored.
  bytes = stage_bytes({record(kInfantry, 1, 0, 0), record(kInfantry, 1, 0, 0)}, 1);
  init_world(w);
  read(bytes);
  EXPECT_EQ(live_units(), 1);
}

TEST(StageRecord, EncodesLittleEndianAndRoundTrips) {
  const StageRecord r = record(kFactory, 3, -2, 300, -4, 250, -500, 32767);
  uint8_t bytes[kStageRecordSize];
  encode_stage_record(r, bytes);
  EXPECT_EQ(bytes[0], 0xFE);
  EXPECT_EQ(bytes[1], 0xFF);
  EXPECT_EQ(bytes[2], 0x2C);
  EXPECT_EQ(bytes[3], 0x01);
  EXPECT_EQ(bytes[6], kFactory);
  EXPECT_EQ(bytes[8], 250);
  const StageRecord back = decode_stage_record(bytes);
  EXPECT_EQ(std::memcmp(&back, &r, sizeof r), 0);
}

TEST(SetupSideGroups, TakesTheFirstThreeTopLevelFactoriesPerSide) {
  World w{};
  init_world(w);
  std::vector<StageRecord> records;
  for (int i = 0; i < 4; ++i) records.push_back(record(kFactory, 2, i, 0));  // 2 slots each
  records.push_back(record(kFactory, 4, 0, 0));
  const auto bytes = stage_bytes(records);
  read_stage_bytes(w, bytes.data(), bytes.size());
  w.units[20].type = kTypeFactory;  // mounted on something: not a factory of the table
  w.units[20].parent = 1;
  w.units[20].side = 1;
  w.ai_goal_x[1][2] = 5;
  w.ai_build_choice[3] = 4;
  w.factories[0][0] = 99;
  setup_side_groups(w);
  EXPECT_EQ(w.factories[0], (std::array<int16_t, 3>{0, 0, 0}));
  EXPECT_EQ(w.factories[1], (std::array<int16_t, 3>{1, 3, 5}));
  EXPECT_EQ(w.factories[3], (std::array<int16_t, 3>{9, 0, 0}));
  EXPECT_EQ(w.ai_goal_x[1][2], 0);
  EXPECT_EQ(w.ai_build_choice[3], 0);
}

class LoadStageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    init_world(w);
    host.data_directory = dir.path();
  }
  World w;
  testing::TempDir dir;
  testing::TestHost host;
};

TEST_F(LoadStageTest, ResetsTheWorldAndReadsTheNumberedStage) {
  testing::write_file(dir.file("map2.aod"),
                      stage_bytes({record(kHeadquarters, 1, 10, 10), record(kFactory, 3, 0, 0)}));
  w.stage_number = 2;
  w.player_side = 3;
  w.reload_requested = 1;
  w.frame_counter = 500;
  w.units[300].type = 5;  // leftovers of an earlier state
  w.projectiles[4].kind = 2;
  w.particles[9].life = 4;
  player_state(w).camera_zoom = 12;
  w.funds[2] = 3;
  player_state(w).key_latches[kKeyUp] = kLatchHeld;
  host.seed = 4242;
  load_stage(w, host);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(w.rand_state, 4242u);
  EXPECT_EQ(w.units[300].type, -1);
  EXPECT_EQ(w.projectiles[4].kind, -1);
  EXPECT_EQ(w.particles[9].life, 0);
  EXPECT_EQ(w.units[1].type, kTypeHeadquarters);
  EXPECT_EQ(w.factories[2][0], 3);
  EXPECT_EQ(player_state(w).camera_distance, 20.0f);
  EXPECT_EQ(player_state(w).camera_zoom, 0.0f);
  EXPECT_EQ(player_state(w).selected_unit, 1);
  EXPECT_EQ(w.game_phase, 1);
  EXPECT_EQ(w.funds, (std::array<int32_t, 4>{200, 200, 200, 200}));
  EXPECT_EQ(w.side_build_list, (std::array<int8_t, 4>{2, 3, 0, 1}));
  EXPECT_EQ(w.side_present, (std::array<int8_t, 4>{1, 1, 1, 1}));
  EXPECT_EQ(w.frame_counter, 0);
  EXPECT_EQ(w.reload_requested, 0);
  // Left alone by the reset.
  EXPECT_EQ(w.player_side, 3);
  EXPECT_EQ(player_state(w).key_latches[kKeyUp], kLatchHeld);
  ASSERT_EQ(host.ground_images.size(), 1u);
  EXPECT_EQ(host.ground_images[0], dir.file("map2.bmp"));
}

TEST_F(LoadStageTest, MissingOrUnreadableFileShowsTheMessageAndSetupGoesOn) {
  load_stage(w, host);
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0], "The stage file could not be opened.");
  EXPECT_EQ(w.game_phase, 1);
  EXPECT_EQ(host.ground_images.size(), 1u);
  // A folder in place of the file opens but cannot be read.
  std::filesystem::create_directory(dir.file("map3.aod"));
  w.stage_number = 3;
  load_stage(w, host);
  EXPECT_EQ(host.messages.size(), 2u);
}

TEST_F(LoadStageTest, EmptyFileAndDataDirWithTrailingSlash) {
  testing::write_file(dir.file("map1.aod"), {});
  host.data_directory = dir.path() + "/";
  load_stage(w, host);
  EXPECT_TRUE(host.messages.empty());
  EXPECT_EQ(host.ground_images.at(0), dir.file("map1.bmp"));
  EXPECT_EQ(w.factories[0][0], 0);
}

}  // namespace
}  // namespace quarvex
