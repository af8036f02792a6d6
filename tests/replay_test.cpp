// Replays: a game recorded as it is played rebuilds the same World bit for
// bit, a replay that stops agreeing with its recording says where, damaged
// files are refused with the line at fault, and watching a stage hands the
// player's side to the computer.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
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
  // The stages are the test's own, over the game's data.
  RunResult run(std::vector<std::string> args) {
    if (std::find(args.begin(), args.end(), "--data") == args.end()) {
      args.insert(args.end(), {"--data", dir.path()});
    }
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

  // A recording from a version whose battles differ is refused before it runs.
  std::string old_version = recording;
  const size_t version_at = old_version.find("version " QUARVEX_VERSION "\n");
  ASSERT_NE(version_at, std::string::npos) << recording;
  old_version.replace(version_at, std::string("version " QUARVEX_VERSION).size(), "version 1.0.0");
  testing::write_text(dir.file("old.qvr"), old_version);
  r = run({"--headless", "--replay", "old.qvr", "--hash"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "quarvex: old.qvr: recorded by quarvex 1.0.0, whose battles play differently "
            "from this version (" QUARVEX_VERSION "); it cannot be replayed exactly\n");

  // Cut short where a stopped game leaves it: at a line's end it plays as far
  // as it goes (here every frame, so to the final hash), in the middle of its
  // last line up to that line; a damaged line elsewhere is refused.
  const size_t end_line = recording.rfind("end ");
  testing::write_text(dir.file("cut.qvr"), recording.substr(0, end_line));
  r = run({"--headless", "--replay", "cut.qvr"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "hash: " + end_hash(recording) + "\n");
  const size_t check = recording.find("check 2000 ");
  const std::string torn = recording.substr(0, check + 16);
  testing::write_text(dir.file("torn.qvr"), torn);
  r = run({"--headless", "--replay", "torn.qvr"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("hash: ", 0), 0u) << r.out;
  const int check_line =
      static_cast<int>(std::count(recording.begin(), recording.begin() + check, '\n')) + 1;
  testing::write_text(dir.file("damaged.qvr"), torn + "\n1-2 kp8\n");
  r = run({"--headless", "--replay", "damaged.qvr"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("damaged.qvr:" + std::to_string(check_line) + ": check hash"),
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

// Two humans on sides 0 and 1 of the two camps, each with its own cursor,
// selection and orders; side 1 is handed to the computer for a while.
TEST_F(Replay, TwoHumansPlayTheirOwnSidesAndTheirRecordingReplaysExactly) {
  testing::write_text(dir.file("keys.txt"),
                      "humans 0 1\n"
                      "0: 5-14 kp6\n"      // side 0's cursor goes right
                      "1: 5-24 kp8 tab\n"  // side 1's goes up, fast
                      "1: 30 kp7\n"        // and marks there
                      "1: 40 space\n"      // selects its nearest unit
                      "1: 43 kp6\n"        // order menu: hold, then roam
                      "1: 46 kp6\n"
                      "1: 49 space\n"
                      "computer 600 1\n"
                      "1: 700-800 kp4\n"  // nobody's keys: the computer has the side
                      "human 900 1\n"
                      "1: 950-951 kp4\n");
  const RunResult first = run({"--headless", "--seed", "4", "--frames", "1500", "--input",
                               "keys.txt", "--record", "two.qvr", "--dump", "a.json"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, "");
  const std::string dump = text("a.json");
  const std::string humans = dump.substr(dump.find("\"humans\": ["));
  EXPECT_NE(dump.find("\"human_sides\": 3, \"computer_sides\": 0, \"lost_sides\": 0"),
            std::string::npos);
  const size_t second = humans.find("{\"index\": 1, \"side\": 1, ");
  ASSERT_NE(second, std::string::npos) << humans;
  EXPECT_NE(humans.find("\"side\": 0, \"cursor_x\": 16.5, \"cursor_y\": 0,"), std::string::npos)
      << humans;
  // The cursor went with the tank at (350, 300) that side 1 ordered to roam,
  // and three steps left after the side came back, none while it was away.
  EXPECT_NE(humans.find("\"cursor_x\": 345.5, \"cursor_y\": 300,", second), std::string::npos)
      << humans;
  EXPECT_NE(humans.find("\"mark_x\": 0, \"mark_y\": 94,", second), std::string::npos)
      << humans;                             // 21 frames up at 4.5 before the mark
  EXPECT_EQ(count_units(dump, 1, true), 0);  // side 0 gave no order
  EXPECT_GT(count_units(dump, 2, true), 0);

  const std::string recording = text("two.qvr");
  EXPECT_NE(recording.find("\nhumans 0 1\nstart\nseed 4\n"), std::string::npos) << recording;
  EXPECT_NE(recording.find("\ncomputer 600 1\n"), std::string::npos);
  const RunResult replay = run({"--headless", "--replay", "two.qvr", "--dump", "b.json"});
  ASSERT_EQ(replay.status, 0) << replay.err;
  EXPECT_EQ(replay.out, "hash: " + end_hash(recording) + "\n");
  EXPECT_EQ(text("b.json"), dump);

  // One bit of the World flipped after frame 700 is caught by the next check.
  ASSERT_EQ(run({"--headless", "--seed", "4", "--frames", "1500", "--input", "keys.txt", "--record",
                 "flipped.qvr", "--flip-bit", "700:units[3].health:2"})
                .status,
            0);
  testing::write_text(dir.file("replayed.qvr"), without_lines(text("flipped.qvr"),
                                                              [](const std::string& line) {
                                                                return line.rfind("end ", 0) == 0;
                                                              }) +
                                                    "end 1500 " + end_hash(recording) + "\n");
  const RunResult caught = run({"--headless", "--replay", "replayed.qvr"});
  EXPECT_EQ(caught.status, 3);
  EXPECT_EQ(caught.err,
            "quarvex: replayed.qvr: replay differs from the recorded game at frame 1000\n");

  // Keys of the wrong kind for the sides given are refused before anything runs.
  testing::write_text(dir.file("one.txt"), "5 kp6\n");
  testing::write_text(dir.file("sides.txt"), "1: 5 kp6\n");
  const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
      {{"--humans", "0,1", "--input", "one.txt"},
       "one.txt: in a game of several humans every key line names its side, as '2: 10-40 kp8'"},
      {{"--input", "sides.txt"},
       "sides.txt: its lines name sides, as a game of several humans does; play it with --humans"},
      {{"--humans", "0,2", "--input", "sides.txt"},
       "sides.txt: it names a side that no human plays (--humans)"},
      {{"--humans", "1,2", "--input", "keys.txt"},
       "--humans does not name the human sides of keys.txt"},
      {{"--humans", "0,1", "--flip-bit", "5:nope"}, "--flip-bit: the World has no field 'nope'"},
  };
  for (auto [args, message] : refused) {
    args.push_back("--headless");
    const RunResult r = run(args);
    EXPECT_EQ(r.status, 2) << message;
    EXPECT_EQ(r.err, "quarvex: " + message + "\n");
  }
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
  EXPECT_EQ(game.take_notice().text, "");

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
  const std::string notice = in_english(game.take_notice());
  EXPECT_NE(notice.find("Replays are not kept: cannot create the folder"), std::string::npos)
      << notice;
  game.reset(true, false);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(game.run_frame(host));
  EXPECT_EQ(game.take_notice().text, "");
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

  // The oldest go by the time they were written, whatever their names say: a
  // clock set back names the stage just begun before every replay kept, and
  // that replay, being written, is never the one removed.
  testing::TempDir dir;
  const auto written_at = fs::file_time_type::clock::now() - std::chrono::hours(24);
  auto keep_replay = [&](const std::string& name, int minute) {
    testing::write_text(dir.file(name), "x\n");
    fs::last_write_time(dir.file(name), written_at + std::chrono::minutes(minute));
  };
  for (int i = 0; i < 103; ++i) keep_replay(replay_file_name(1796630400 + i * 60, 1, 0), i);
  keep_replay(replay_file_name(1796630400 + 200 * 60, 1, 0), -1);  // named late, written first
  testing::write_text(dir.file("mine.qvr"), "not ours\n");
  fs::last_write_time(dir.file("mine.qvr"), written_at - std::chrono::hours(1));
  prune_replays(dir.path(), kReplaysKept);
  auto left = [&dir] {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir.path())) n += entry.is_regular_file();
    return n;
  };
  EXPECT_EQ(left(), 101);
  EXPECT_TRUE(fs::exists(dir.file("mine.qvr")));
  EXPECT_FALSE(fs::exists(dir.file(replay_file_name(1796630400 + 200 * 60, 1, 0))));
  EXPECT_FALSE(fs::exists(dir.file(replay_file_name(1796630400 + 60, 1, 0))));
  EXPECT_TRUE(fs::exists(dir.file(replay_file_name(1796630400 + 3 * 60, 1, 0))));

  const std::string behind = dir.file(replay_file_name(1796630400 - 3600, 2, 1));
  testing::write_text(behind, "version 1.0.0\n");
  prune_replays(dir.path(), kReplaysKept, behind);
  EXPECT_EQ(left(), 101);
  EXPECT_TRUE(fs::exists(behind));
  EXPECT_FALSE(fs::exists(dir.file(replay_file_name(1796630400 + 3 * 60, 1, 0))));

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
