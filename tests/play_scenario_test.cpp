// The built game played headless from a key script, the way a player would:
// start from the title menu, select the own jeep, take direct control, drive
// it, and shoot an enemy housing block to pieces.

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>

#include "test_files.h"
#include "world/trig.h"
#include "world/world.h"

namespace quarvex {
namespace {

using testing::record;

constexpr int kJeep = 11;
constexpr int kHeadquarters = 32;
constexpr int kHousing = 33;
constexpr int kStand = 0;

class PlayScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    // Slots: 1-2 own headquarters, 3-4 enemy headquarters (both far away),
    // 5 the jeep with its gunner in 6, 7 the enemy housing block 12 ahead of it.
    testing::write_file(dir.file("map1.aod"),
                        testing::stage_bytes({record(kHeadquarters, 1, -400, -400, 0, kStand),
                                              record(kHeadquarters, 2, 400, 400, 0, kStand),
                                              record(kJeep, 1, 0, 0, 0, kStand),
                                              record(kHousing, 2, 0, 12, 0, kStand)}));
    testing::write_text(dir.file("keys.txt"),
                        "1 space      # title menu: start stage 1 as side 1\n"
                        "4 space      # select the own unit nearest the cursor\n"
                        "7 space      # order menu item 0: direct control (a key up for\n"
                        "             # only one frame would not count as a new press)\n"
                        "9-11 kp8     # throttle up for three frames\n"
                        "20-800 space # fire\n");
  }

  std::string play(int frames) {
    const testing::RunResult r = testing::run_program(
        QUARVEX_BIN,
        {"--headless", "--data", dir.path(), "--seed", "3", "--input", dir.file("keys.txt"),
         "--frames", std::to_string(frames), "--dump", dir.file("d.json")},
        dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");  // no outcome: both headquarters stand
    return testing::read_text(dir.file("d.json"));
  }

  testing::TempDir dir;
};

// The dump line of one live unit slot, or "" when the slot is free.
std::string unit_line(const std::string& dump, int index) {
  const std::string key = "{\"index\": " + std::to_string(index) + ", \"x\"";
  const size_t at = dump.find(key, dump.find("\"units\": ["));
  if (at == std::string::npos) return "";
  return dump.substr(at, dump.find('\n', at) - at);
}

std::string field(const std::string& line, const std::string& name) {
  std::smatch m;
  const std::regex pattern("\"" + name + "\": (-?[0-9.e+-]+)");
  return std::regex_search(line, m, pattern) ? m[1].str() : "";
}

// Where the jeep ends after the throttle steps, moved as the game moves it.
float jeep_y_after(std::initializer_list<int> speeds) {
  float y = 0;
  for (int s : speeds) y = static_cast<float>(y + game_sin(0.0 + kHalfPi) * s / 20.0);
  return y;
}

TEST_F(PlayScenario, ThrottleClimbsWhileHeldAndFallsBackAfter) {
  // kp8 is down in frames 9 to 11 and in frame 12, the frame of its release.
  EXPECT_EQ(field(unit_line(play(12), 5), "speed"), "4");
  EXPECT_EQ(field(unit_line(play(14), 5), "speed"), "2");
  const std::string jeep = unit_line(play(20), 5);
  EXPECT_EQ(field(jeep, "speed"), "0");
  char expected[32];
  std::snprintf(expected, sizeof expected, "%.9g", jeep_y_after({1, 2, 3, 4, 3, 2, 1}));
  EXPECT_EQ(field(jeep, "y"), expected);
}

TEST_F(PlayScenario, DrivenJeepShootsTheEnemyBuildingToPieces) {
  const std::string before = play(300);
  EXPECT_NE(before.find("\"command_mode\": 2,"), std::string::npos);
  EXPECT_NE(before.find("\"selected_unit\": 5,"), std::string::npos);
  const std::string building = unit_line(before, 7);
  ASSERT_NE(building, "") << "destroyed too early";
  const int health = std::stoi(field(building, "health"));
  EXPECT_LT(health, 40);  // hit, two points a shot
  EXPECT_EQ(health % 2, 0);

  const std::string after = play(800);
  EXPECT_EQ(unit_line(after, 7), "");                     // the building is gone
  EXPECT_EQ(field(unit_line(after, 5), "health"), "15");  // the jeep is untouched
  EXPECT_EQ(field(unit_line(after, 6), "type"), "18");    // its gunner still on it
  EXPECT_NE(unit_line(after, 3), "");                     // the enemy stays in the game
}

}  // namespace
}  // namespace quarvex
