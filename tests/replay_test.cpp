// Replays: a game recorded as it is played rebuilds the same World bit for
// bit, a replay that stops agreeing with its recording says where, damaged
// files are refused with the line at fault, and watching a stage hands the
// player's side to the computer.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>

#include "app/game.h"
#include "app/world_output.h"
#include "replay/replay_folder.h"
#include "test_files.h"
#include "test_host.h"

namespace quarvex {
namespace {

namespace fs = std::filesystem;
using testing::record;
using testing::RunResult;

constexpr int kTank = 22;
constexpr int kHeadquarters = 32;
constexpr int kHousing = 33;
constexpr int kFactory = 34;

// Two sides, each with a headquarters, a factory, housing and six tanks,
// far enough apart that the stage stays open for a few thousand frames.
// Everything holds (mode 0) until an order moves it; what a factory builds
// holds too.
std::vector<StageRecord> two_camps() {
  std::vector<StageRecord> records;
  for (const int side : {1, 2}) {
    const int at = side == 1 ? -350 : 350;
    records.push_back(record(kHeadquarters, side, at, at, 0, 0));
    records.push_back(record(kFactory, side, at + 60, at, 0, 0));
    records.push_back(record(kHousing, side, at, at + 60, 0, 0));
    for (int i = 0; i < 6; ++i) records.push_back(record(kTank, side, at + 10 * i, at - 50, 0, 0));
  }
  return records;
}

// The text of a file with every line for which `drop` says so left out.
std::string without_lines(const std::string& text, auto drop) {
  std::string kept;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find('\n', pos) + 1;
    const std::string line = text.substr(pos, end - pos);
    if (!drop(line)) kept += line;
    pos = end;
  }
  return kept;
}

std::string end_hash(const std::string& recording) {
  const size_t at = recording.rfind("\nend ");
  if (at == std::string::npos) return "";
  const size_t space = recording.find(' ', at + 5);
  return recording.substr(space + 1, 16);
}

class Replay : public ::testing::Test {
 protected:
  void SetUp() override {
    testing::write_file(dir.file("map1.aod"), testing::stage_bytes(two_camps()));
  }
  RunResult run(std::vector<std::string> args) {
    return testing::run_program(QUARVEX_BIN, args, dir);
  }
  std::string text(const std::string& name) { return testing::read_text(dir.file(name)); }

  testing::TempDir dir;
};

TEST_F(Replay, RecordIsReplayedToItsFinalHashAndOldScriptsTakeThePresetsOfTheCommandLine) {
  testing::write_text(dir.file("keys.txt"), "3 space\n5-20 kp6\n8-9 kp7 kp9\n900-1400 kp8 tab\n");
  const RunResult first = run({"--headless", "--start", "--frames", "2100", "--input", "keys.txt",
                               "--record", "rec.qvr", "--dump", "a.json"});
  ASSERT_EQ(first.status, 0) << first.err;
  const std::string recording = text("rec.qvr");
  EXPECT_NE(recording.find("\ncheck 1000 "), std::string::npos) << recording;
  EXPECT_NE(recording.find("\ncheck 2000 "), std::string::npos);

  const RunResult replay = run({"--headless", "--replay", "rec.qvr", "--dump", "b.json"});
  ASSERT_EQ(replay.status, 0) << replay.err;
  EXPECT_EQ(replay.out, "hash: " + end_hash(recording) + "\n");
  EXPECT_EQ(text("a.json"), text("b.json"));

  // A script of keys and the seed only, as --record wrote before: the
  // command line says where play started.
  testing::write_text(dir.file("old.txt"), without_lines(recording, [](const std::string& line) {
                        return line.rfind("version", 0) == 0 || line.rfind("stage", 0) == 0 ||
                               line.rfind("side", 0) == 0 || line.rfind("start", 0) == 0 ||
                               line.rfind("end", 0) == 0;
                      }));
  const RunResult old = run({"--headless", "--replay", "old.txt", "--start", "--dump", "c.json"});
  ASSERT_EQ(old.status, 0) << old.err;
  EXPECT_EQ(old.out, replay.out);
  EXPECT_EQ(text("a.json"), text("c.json"));
  // A whole recording does not take them: they could only make it differ.
  const RunResult refused = run({"--headless", "--replay", "rec.qvr", "--side", "2"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("says where its play started"), std::string::npos) << refused.err;
}

TEST_F(Replay, AChangedKeyIsCaughtAtTheNextCheckAndADamagedFileIsRefusedWithItsLine) {
  testing::write_text(dir.file("keys.txt"), "3 space\n40-400 kp8 kp4\n");
  ASSERT_EQ(run({"--headless", "--start", "--seed", "5", "--frames", "2500", "--input", "keys.txt",
                 "--record", "rec.qvr"})
                .status,
            0);
  const std::string recording = text("rec.qvr");

  // One key more in frame 1500 moves the cursor: the check after frame 2000 finds it.
  testing::write_text(dir.file("changed.qvr"), recording + "1500 kp6\n");
  RunResult r = run({"--headless", "--replay", "changed.qvr"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "quarvex: changed.qvr: replay differs from the recorded game at frame 2000\n");
  // After the last check only the final hash can tell.
  testing::write_text(dir.file("late.qvr"), recording + "2400 kp6\n");
  r = run({"--headless", "--replay", "late.qvr"});
  EXPECT_EQ(r.status, 3);
  EXPECT_NE(r.err.find("at frame 2500\n"), std::string::npos) << r.err;

  // Cut short where a crash would cut it: at a line's end, or in its middle.
  const size_t end_line = recording.rfind("end ");
  testing::write_text(dir.file("cut.qvr"), recording.substr(0, end_line));
  const int lines = static_cast<int>(std::count(recording.begin(), recording.end(), '\n'));
  r = run({"--headless", "--replay", "cut.qvr", "--hash"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("quarvex: cut.qvr:" + std::to_string(lines) +
                       ": the recording stops without its 'end' line"),
            std::string::npos)
      << r.err;
  const size_t check = recording.find("check 2000 ");
  testing::write_text(dir.file("torn.qvr"), recording.substr(0, check + 16));
  const int check_line =
      static_cast<int>(std::count(recording.begin(), recording.begin() + check, '\n')) + 1;
  r = run({"--headless", "--replay", "torn.qvr"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("torn.qvr:" + std::to_string(check_line) + ": check hash"),
            std::string::npos)
      << r.err;
  r = run({"--headless", "--replay", "missing.qvr"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "quarvex: missing.qvr: cannot open the key script\n");
}

// Top-level units of a side in a dump; with `ordered_only` those an order moved.
int count_units(const std::string& dump, int side, bool ordered_only) {
  int n = 0;
  const std::string key = "\"side\": " + std::to_string(side) + ", ";
  for (size_t at = dump.find("\"units\": [");
       (at = dump.find("{\"index\": ", at + 1)) != std::string::npos;) {
    const std::string line = dump.substr(at, dump.find('\n', at) - at);
    if (line.find("\"parent\": 0,") == std::string::npos || line.find(key) == std::string::npos)
      continue;
    if (ordered_only && line.find("\"mode\": 0,") != std::string::npos) continue;
    ++n;
  }
  return n;
}

TEST_F(Replay, WatchingGivesThePlayersSideProductionAndOrdersAndItsRecordingReplays) {
  // Side 1's camp, and a rival with nothing that fights: side 1's units
  // only come and go by what it is ordered to do.
  std::vector<StageRecord> camp = two_camps();
  camp.resize(9);
  camp.push_back(record(kHeadquarters, 2, 350, 350, 0, 0));
  camp.push_back(record(kHousing, 2, 350, 410, 0, 0));
  testing::write_file(dir.file("map2.aod"), testing::stage_bytes(camp));
  testing::write_text(dir.file("keys.txt"), "2 space\n3 kp7\n10-20 kp8\n");
  const RunResult played = run({"--headless", "--start", "--stage", "2", "--seed", "3", "--frames",
                                "3000", "--dump", "played.json"});
  const RunResult watched =
      run({"--headless", "--start", "--stage", "2", "--seed", "3", "--frames", "3000", "--spectate",
           "--input", "keys.txt", "--record", "w.qvr", "--dump", "watched.json"});
  ASSERT_EQ(played.status, 0) << played.err;
  ASSERT_EQ(watched.status, 0) << watched.err;
  const int placed = 9;
  EXPECT_EQ(count_units(text("played.json"), 1, false), placed);
  EXPECT_EQ(count_units(text("played.json"), 1, true), 0);
  EXPECT_GT(count_units(text("watched.json"), 1, false), placed);
  EXPECT_GT(count_units(text("watched.json"), 1, true), 0);
  // Space and 7 never reach a watched stage: nothing is selected or marked.
  const std::string world = text("watched.json").substr(0, text("watched.json").find("\"units\""));
  EXPECT_NE(world.find("\"command_mode\": 0,"), std::string::npos);
  EXPECT_NE(world.find("\"mark_x\": 0, \"mark_y\": 0,"), std::string::npos);

  const std::string recording = text("w.qvr");
  EXPECT_NE(recording.find("\nwatch\n"), std::string::npos);
  const RunResult replay = run({"--headless", "--replay", "w.qvr"});
  EXPECT_EQ(replay.status, 0) << replay.err;
  EXPECT_EQ(replay.out, "hash: " + end_hash(recording) + "\n");
}

// The windowed driver's calls, with a test host: a game played from the
// title menu, restarted, then left, kept in a replay folder.
TEST_F(Replay, EveryStagePlayedIsKeptFromWherePlayStartedAndReplaysExactly) {
  const std::string folder = dir.file("data/quarvex/replays");
  testing::TestHost host;
  host.data_directory = dir.path();
  host.seed = 11;
  // Title menu: right three times (stages 2, 3, then 1 again), down, left
  // (side 1), Space.
  host.hold(kKeyRight, 5, 5);
  host.hold(kKeyRight, 9, 9);
  host.hold(kKeyRight, 13, 14);
  host.hold(kKeyDown, 16, 16);
  host.hold(kKeyLeft, 19, 19);
  host.hold(kKeySelect, 24, 25);
  host.hold(kKeyUp, 30, 1300);
  Options options;
  options.data_dir = dir.path();
  Game game;
  game.keep_replays_in(folder);
  std::string error;
  ASSERT_TRUE(game.begin(options, error)) << error;
  for (int i = 0; i < 1200; ++i) game.run_frame(host);
  game.reset(true, false);
  for (int i = 0; i < 40; ++i) game.run_frame(host);
  const uint64_t restarted_hash = replay_hash(game.world());
  EXPECT_EQ(game.finish(), 0);
  EXPECT_EQ(game.take_notice(), "");

  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  ASSERT_EQ(names.size(), 2u);
  for (const std::string& name : names) {
    EXPECT_TRUE(is_replay_file_name(name)) << name;
    EXPECT_NE(name.find("-map1-side1"), std::string::npos) << name;
  }
  const std::string from_title = testing::read_text(folder + "/" + names[0]);
  const std::string restarted = testing::read_text(folder + "/" + names[1]);
  EXPECT_NE(from_title.find("\nstage 1\nside 0\n1-4\n5 kp6\n"), std::string::npos) << from_title;
  EXPECT_NE(from_title.find("\nseed 11\n"), std::string::npos);
  EXPECT_NE(from_title.find("\ncheck 1000 "), std::string::npos);
  EXPECT_NE(from_title.find("\nend 1200 "), std::string::npos);
  EXPECT_NE(restarted.find("\nstage 1\nside 1\nstart\nseed 11\n"), std::string::npos) << restarted;
  EXPECT_NE(restarted.find("\nend 40 " + hash_text(restarted_hash)), std::string::npos);

  for (const std::string& name : names) {
    Options o;
    o.data_dir = dir.path();
    o.replay_file = folder + "/" + name;
    o.headless = true;
    Game replay;
    ASSERT_TRUE(replay.begin(o, error)) << error;
    testing::TestHost replay_host;
    while (replay.run_frame(replay_host)) {
    }
    EXPECT_EQ(replay.replay_state(), ReplayState::kEnded) << name;
  }
}

TEST_F(Replay, AFolderThatCannotBeMadeIsToldOnceAndTheGameGoesOn) {
  testing::write_text(dir.file("in-the-way"), "a file where the folder should be\n");
  testing::TestHost host;
  host.data_directory = dir.path();
  Options options;
  options.data_dir = dir.path();
  options.start = true;
  Game game;
  game.keep_replays_in(dir.file("in-the-way/replays"));
  std::string error;
  ASSERT_TRUE(game.begin(options, error)) << error;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(game.run_frame(host));
  const std::string notice = game.take_notice();
  EXPECT_NE(notice.find("Replays are not kept: cannot create the folder"), std::string::npos)
      << notice;
  game.reset(true, false);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(game.run_frame(host));
  EXPECT_EQ(game.take_notice(), "");
  EXPECT_EQ(game.world().game_phase, 1);
}

TEST(ReplayFolder, NamesAndTheHundredNewestKept) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(replay_file_name(1796630400, 2, 3), "20261207-080000-map2-side3.qvr");
  EXPECT_EQ(replay_file_name(1796630400, 2, 3, 2), "20261207-080000-map2-side3_2.qvr");
  for (const char* name : {"20261207-080000-map2-side3.qvr", "20261207-080000-map2-side3_12.qvr"})
    EXPECT_TRUE(is_replay_file_name(name)) << name;
  for (const char* name : {"notes.qvr", "20261207-080000-map2-side3.qvr~",
                           "2026120-080000-map2-side3.qvr", "20261207-080000-map-side3.qvr",
                           "20261207-080000-map2-side3_.qvr", "20261207-080000-map2-side3-2.qvr"})
    EXPECT_FALSE(is_replay_file_name(name)) << name;

  testing::TempDir dir;
  for (int i = 0; i < 103; ++i)
    testing::write_text(dir.file(replay_file_name(1796630400 + i * 60, 1, 0)), "x\n");
  testing::write_text(dir.file("mine.qvr"), "not ours\n");
  prune_replays(dir.path(), kReplaysKept);
  int left = 0;
  for (const auto& entry : fs::directory_iterator(dir.path())) left += entry.is_regular_file();
  EXPECT_EQ(left, 101);
  EXPECT_TRUE(fs::exists(dir.file("mine.qvr")));
  EXPECT_FALSE(fs::exists(dir.file(replay_file_name(1796630400 + 2 * 60, 1, 0))));
  EXPECT_TRUE(fs::exists(dir.file(replay_file_name(1796630400 + 3 * 60, 1, 0))));

  const char* names[] = {"XDG_DATA_HOME", "HOME"};
  std::vector<std::optional<std::string>> saved;
  for (const char* n : names)
    saved.push_back(std::getenv(n) ? std::optional<std::string>(std::getenv(n)) : std::nullopt);
  setenv("XDG_DATA_HOME", "/x/data", 1);
  EXPECT_EQ(default_replay_folder(), "/x/data/quarvex/replays");
  setenv("XDG_DATA_HOME", "relative", 1);
  setenv("HOME", "/home/p", 1);
  EXPECT_EQ(default_replay_folder(), "/home/p/.local/share/quarvex/replays");
  unsetenv("HOME");
  EXPECT_EQ(default_replay_folder(), "");
  for (size_t i = 0; i < saved.size(); ++i) {
    if (saved[i]) {
      setenv(names[i], saved[i]->c_str(), 1);
    } else {
      unsetenv(names[i]);
    }
  }
}

TEST(ReplayHash, LeavesOutOnlyWhatTheWallClockWrites) {
  World a{};
  init_world(a);
  World b = a;
  b.frames_this_second = 7;
  b.frames_last_second = 33;
  b.last_second = 1700000000;
  b.last_frame_ms = 123456;
  EXPECT_NE(world_hash(a), world_hash(b));
  EXPECT_EQ(replay_hash(a), replay_hash(b));
  b.frame_counter = 1;
  EXPECT_NE(replay_hash(a), replay_hash(b));
}

}  // namespace
}  // namespace quarvex
