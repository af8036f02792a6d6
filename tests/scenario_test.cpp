// The built game run headless on stage files written here.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "test_files.h"

namespace quarvex {
namespace {

using testing::record;
using testing::RunResult;

constexpr int kHeadquarters = 32;
constexpr int kHousing = 33;
constexpr int kFactory = 34;

class Scenario : public ::testing::Test {
 protected:
  RunResult run(std::vector<std::string> args) {
    return testing::run_program(QUARVEX_BIN, args, dir);
  }
  void write_stage(int n, const std::vector<StageRecord>& records) {
    testing::write_file(dir.file("map" + std::to_string(n) + ".aod"),
                        testing::stage_bytes(records));
  }
  std::string dump(const std::string& name) { return testing::read_text(dir.file(name)); }

  testing::TempDir dir;
};

// The dump line of one unit slot, from its index to the end of the line.
std::string unit_line(const std::string& dump, int index) {
  const std::string key = "{\"index\": " + std::to_string(index) + ", \"x\"";
  const size_t units = dump.find("\"units\": [");
  const size_t at = dump.find(key, units);
  if (units == std::string::npos || at == std::string::npos) return "";
  return dump.substr(at, dump.find('\n', at) - at);
}

std::string float_text(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(static_cast<float>(v)));
  return text;
}

TEST_F(Scenario, StartPlacesTheStageExactly) {
  // Buildings far apart: nothing moves, turns or fights in the first frame.
  write_stage(2, {record(kHeadquarters, 1, -300, -300, 4, 2, 5, -6),
                  record(kFactory, 3, 300, 300, -4, 0, 7, 8), record(kHousing, 2, 300, -300),
                  record(kFactory, 3, -300, 300)});
  const RunResult r = run({"--headless", "--start", "--stage", "2", "--side", "1", "--seed", "77",
                           "--frames", "1", "--data", dir.path(), "--dump", "d.json"});
  ASSERT_EQ(r.status, 0) << r.err;
  // The player's side 2 owns no headquarters here: the stage is lost at once.
  EXPECT_EQ(r.out, "1: message: GAME OVER\n");
  const std::string d = dump("d.json");
  EXPECT_EQ(d.rfind("{\"frame\": 1,", 0), 0u);
  EXPECT_NE(d.find("\"stage_number\": 2, \"player_side\": 1,"), std::string::npos);
  EXPECT_NE(d.find("\"game_phase\": 2, \"reload_requested\": 0,"), std::string::npos);
  EXPECT_NE(d.find("\"factories\": [[0, 0, 0], [0, 0, 0], [3, 6, 0], [0, 0, 0]]"),
            std::string::npos);
  const std::string quarter = float_text(4 * 22.5 * 0.01745328888888889);
  EXPECT_EQ(unit_line(d, 1).rfind(
                "{\"index\": 1, \"x\": -300, \"y\": -300, \"z\": 92.5, \"heading\": " + quarter +
                    ", \"parent\": 0, \"child\": 2, \"health\": 60,",
                0),
            0u);
  EXPECT_NE(unit_line(d, 1).find("\"type\": 47, \"side\": 1,"), std::string::npos);
  EXPECT_NE(unit_line(d, 1).find("\"mode\": 2, \"ai_state\": 0, \"goal_x\": 5, \"goal_y\": -6}"),
            std::string::npos);
  EXPECT_NE(unit_line(d, 2).find("\"z\": -0.5,"), std::string::npos);
  EXPECT_NE(unit_line(d, 2).find("\"parent\": 1,"), std::string::npos);
  EXPECT_NE(unit_line(d, 2).find("\"type\": 13, \"side\": 1,"), std::string::npos);
  EXPECT_NE(unit_line(d, 3).find("\"heading\": -" + quarter + ","), std::string::npos);
  EXPECT_NE(unit_line(d, 3).find("\"mode\": 0, \"ai_state\": 0, \"goal_x\": 7, \"goal_y\": 8}"),
            std::string::npos);
  EXPECT_NE(unit_line(d, 5).find("\"child\": 0,"), std::string::npos);
  EXPECT_NE(unit_line(d, 5).find("\"type\": 48, \"side\": 2,"), std::string::npos);
  // Slot 0 is always listed, as the free sentinel.
  EXPECT_EQ(unit_line(d, 0).rfind("{\"index\": 0, \"x\": 0, \"y\": 0, \"z\": 0, ", 0), 0u);
}

TEST_F(Scenario, MissingStageFileIsAMessageLineAndTheRunGoesOn) {
  // The game installed with its data folder empty: no folder has the file.
  std::filesystem::create_directories(dir.file("bin"));
  std::filesystem::create_directories(dir.file("share/quarvex"));
  std::filesystem::copy_file(QUARVEX_BIN, dir.file("bin/quarvex"));
  const RunResult r = testing::run_program(
      dir.file("bin/quarvex"), {"--headless", "--start", "--frames", "3", "--dump", "d.json"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  // Message lines are in English, whatever the system's language.
  EXPECT_EQ(r.out.rfind("1: message: The stage file could not be opened.\n", 0), 0u) << r.out;
  EXPECT_EQ(dump("d.json").rfind("{\"frame\": 3,", 0), 0u);
}

TEST_F(Scenario, SameSeedAndKeysGiveTheSameWorld) {
  write_stage(1, {record(kHeadquarters, 1, -200, -200), record(2, 1, -150, -200),
                  record(kHeadquarters, 2, 200, 200), record(2, 2, 150, 200)});
  testing::write_text(dir.file("keys.txt"), "2-30 kp8\n10 space\n12-40 kp4 tab\n");
  const std::vector<std::string> common = {"--headless", "--start",  "--seed", "12345",
                                           "--input",    "keys.txt", "--hash"};
  auto with = [&](const std::string& dump_name) {
    std::vector<std::string> args = common;
    args.insert(args.end(), {"--dump", dump_name});
    return run(args);
  };
  const RunResult a = with("a.json");
  const RunResult b = with("b.json");
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(dump("a.json").rfind("{\"frame\": 40,", 0), 0u);  // the script's last frame
  EXPECT_EQ(dump("a.json"), dump("b.json"));
  EXPECT_EQ(a.out.size(), 23u);
  EXPECT_EQ(a.out, b.out);
  // Another seed is another world.
  const RunResult c =
      run({"--headless", "--start", "--seed", "12346", "--input", "keys.txt", "--hash"});
  EXPECT_NE(a.out, c.out);
}

TEST_F(Scenario, RecordThenReplayGivesTheSameDumpAndHash) {
  write_stage(1, {record(kHeadquarters, 1, -200, -200), record(22, 1, -150, -200),
                  record(kFactory, 3, 200, 200), record(22, 3, 150, 200)});
  testing::write_text(dir.file("keys.txt"), "3 space\n5-20 kp6\n8-9 kp7 kp9\n");
  // No --seed: the stage load takes the calendar seed, which the record keeps.
  const RunResult first = run({"--headless", "--start", "--frames", "50", "--input", "keys.txt",
                               "--record", "rec.txt", "--dump", "a.json", "--hash"});
  ASSERT_EQ(first.status, 0) << first.err;
  const std::string record_text = testing::read_text(dir.file("rec.txt"));
  // The file is written out every second (of the run's clock), ending the line at hand.
  EXPECT_NE(record_text.find("\n3 space\n4\n5-7 kp6\n8-9 kp6 kp7 kp9\n10-20 kp6\n21-35\n36-50\n"),
            std::string::npos)
      << record_text;
  EXPECT_NE(record_text.find("\nseed "), std::string::npos);
  const RunResult replay =
      run({"--headless", "--start", "--input", "rec.txt", "--dump", "b.json", "--hash"});
  ASSERT_EQ(replay.status, 0) << replay.err;
  EXPECT_EQ(dump("a.json"), dump("b.json"));
  EXPECT_EQ(first.out, replay.out);
}

TEST_F(Scenario, TheWorkingDirectoryIsNoDataFolderAndFramesDefaultToOne) {
  // A stage file where the game is started from is not the game's stage.
  write_stage(1, {record(kHousing, 4, 1, 2)});
  const RunResult r = run({"--headless", "--start", "--dump", "d.json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(dump("d.json").rfind("{\"frame\": 1,", 0), 0u);
  EXPECT_EQ(unit_line(dump("d.json"), 1).find("\"type\": 48, \"side\": 4,"), std::string::npos);
  EXPECT_NE(unit_line(dump("d.json"), 60), "");  // the game's own stage 1 is far larger
}

TEST_F(Scenario, BadArgumentsAndScriptsExitWithStatusTwoAndRunNothing) {
  RunResult r = run({"--headless", "--frames", "ten"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "quarvex: --frames: 'ten' is not a whole number\n");
  r = run({"--headless", "--side", "4"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--side"), std::string::npos);
  testing::write_text(dir.file("keys.txt"), "1 space\n\n5-3 kp8\n");
  r = run({"--headless", "--input", "keys.txt", "--dump", "d.json"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "quarvex: keys.txt:3: range 5-3 runs backwards\n");
  EXPECT_FALSE(std::filesystem::exists(dir.file("d.json")));
  r = run({"--headless", "--record", dir.file("no/such/folder/rec.txt")});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("--record: cannot write"), std::string::npos);
}

}  // namespace
}  // namespace quarvex
