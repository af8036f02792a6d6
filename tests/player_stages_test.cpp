// The player's own stages: descriptions read as untrusted text, a folder of
// stages listed whatever it holds, and a stage played by its file.

#include <gtest/gtest.h>

#include <filesystem>

#include "app/game.h"
#include "replay/recording.h"
#include "stages/player_stages.h"
#include "stages/stage_description.h"
#include "test_files.h"
#include "test_host.h"
#include "world/shown_text.h"

namespace quarvex {
namespace {

namespace fs = std::filesystem;

TEST(StageDescription, ReadsWhatIsThereAndNamesFileAndLineOfWhatIsWrong) {
  struct Case {
    std::string text;
    StageDescription read;            // when errors is empty
    std::vector<std::string> errors;  // every line expected
  };
  const std::string long_title(61, 'x');
  const std::vector<Case> cases = {
      {"title = \"Two rivers\"\nground = 2\nauthor = \"Jo\"\nnotes = \"a\\nb\\tc\"\n",
       {"Two rivers", 2, "Jo", "a\nb\tc"},
       {}},
      {"# comment\r\ntitle = '本部を守れ'\r\nground = 3\r\nlater_entry = [1, 2]\r\n",
       {"本部を守れ", 3, "", ""},
       {}},
      {"",
       {},
       {"d.toml: title is missing (title = \"...\")",
        "d.toml: ground is missing (ground = 1, 2 or 3: the ground picture)"}},
      {"title = 5\nground = 0\n",
       {},
       {"d.toml:1: title: expected text in quotes",
        "d.toml:2: ground: expected 1, 2 or 3 (the ground picture)"}},
      {"title = \"   \"\nground = 2.0\n",
       {},
       {"d.toml:1: title is empty",
        "d.toml:2: ground: expected 1, 2 or 3 (the "
        "ground picture)"}},
      {"title = \"" + long_title + "\"\nground = 1\n",
       {},
       {"d.toml:1: title has 61 characters, more than 60"}},
      // A control character or a reordering one in a line that menus show.
      {"title = \"a\\u001B[2Jb\"\nground = 1\nauthor = \"\\u202Eevil\"\n",
       {},
       {"d.toml:1: title holds a control character: 'a\\x1B[2Jb'",
        "d.toml:3: author holds a control character: '\\u{202E}evil'"}},
      {"title = \"x\"\nground = 1\nnotes = \"\"\"\nline\n\tmore\"\"\"\n",
       {"x", 1, "", "line\n\tmore"},
       {}},
      // Syntax: the TOML reader's message, its bytes escaped.
      {"title = \"x\" ground = 1\n", {}, {}},
      // What broke the TOML library before its patches.
      {"\xCC\xAA", {}, {}},
      {"[&", {}, {}},
      {"title = \"x\"\nground = 1\n[[[1]]]\n", {}, {}},
      {"t=5344-01-04t\xDA\x9Doed:I", {}, {}},
  };
  for (const Case& c : cases) {
    StageDescription d;
    std::vector<std::string> errors;
    const bool ok = parse_stage_description(c.text, "d.toml", d, errors);
    EXPECT_EQ(ok, errors.empty()) << c.text;
    const bool syntax = c.errors.empty() && c.read.title.empty();
    if (syntax) {
      ASSERT_EQ(errors.size(), 1u) << c.text;
      EXPECT_EQ(errors[0].rfind("d.toml:", 0), 0u) << errors[0];
      EXPECT_TRUE(is_plain_text(errors[0], false)) << errors[0];
    } else if (c.errors.empty()) {
      EXPECT_TRUE(ok) << c.text << (errors.empty() ? "" : errors[0]);
      EXPECT_EQ(d, c.read) << c.text;
    } else {
      EXPECT_EQ(errors, c.errors) << c.text;
    }
  }
  std::vector<std::string> errors;
  StageDescription d;
  EXPECT_FALSE(
      parse_stage_description(std::string(kMaxDescriptionBytes + 1, ' '), "d.toml", d, errors));
  EXPECT_EQ(errors.at(0), "d.toml: larger than 65536 bytes");
}

TEST(StageDescription, TextReadsBackAsTheSameDescription) {
  const StageDescription cases[] = {
      {"Two rivers", 2, "", ""},
      {"\"Quoted\" \\ back", 1, "Jo 'the' author", "first\nsecond\r\n\tthird # not a comment"},
      {"本部を守れ", 3, "作者", "説明\n二行目"},
  };
  for (const StageDescription& d : cases) {
    ASSERT_EQ(description_problem(d), "");
    StageDescription again;
    std::vector<std::string> errors;
    ASSERT_TRUE(parse_stage_description(stage_description_text(d), "w.toml", again, errors))
        << stage_description_text(d) << errors.at(0);
    EXPECT_EQ(again, d);
  }
  EXPECT_EQ(description_problem({"", 1, "", ""}), "title is empty");
  EXPECT_EQ(description_problem({"x", 4, "", ""}), "ground: expected 1, 2 or 3");
  EXPECT_EQ(description_problem({"x\xFF", 1, "", ""}), "title is not valid UTF-8 text");
}

class PlayerStages : public ::testing::Test {
 protected:
  void stage(const std::string& name, const std::vector<StageRecord>& records) {
    testing::write_file(dir.file(name), testing::stage_bytes(records));
  }
  void text(const std::string& name, const std::string& content) {
    testing::write_text(dir.file(name), content);
  }
  static std::vector<StageRecord> two_headquarters() {
    return {testing::record(32, 1, -300, -300), testing::record(32, 2, 300, 300)};
  }
  testing::TempDir dir;
};

TEST_F(PlayerStages, TheGamesStagesComeFirstThenTheOwnByTitleEachDamagedOneWithItsError) {
  stage("zeta.aod", two_headquarters());
  text("zeta.toml", "title = \"Alpha hills\"\nground = 2\n");
  stage("alpha.aod", two_headquarters());
  text("alpha.toml", "title = \"Beta\"\nground = 3\n");
  stage("no description.aod", two_headquarters());
  text("orphan.toml", "title = \"Lost\"\nground = 1\n");
  testing::write_file(dir.file("cut.aod"), {9, 0, 1, 2, 3});
  text("cut.toml", "title = \"Cut\"\nground = 1\n");
  stage("hostile.aod", two_headquarters());
  text("hostile.toml", std::string("\x1B]0;owned\x07\xFF\n", 10));
  fs::create_directory(dir.file("folder.aod"));
  stage("esc\x1B[31m.aod", two_headquarters());
  text("notes.txt", "not a stage");
  // A file far larger than any stage file is refused before it is read.
  text("huge.aod", "");
  fs::resize_file(dir.file("huge.aod"), kMaxStageFileSize + 1);

  const StageList list = list_stages(dir.path());
  EXPECT_TRUE(list.notices.empty());
  std::vector<std::string> titles;
  for (const StageEntry& e : list.entries) titles.push_back(e.title + (e.playable() ? "" : " !"));
  // Sorted by title: bytes, so capitals first; unplayable ones under their file name.
  EXPECT_EQ(titles, (std::vector<std::string>{"MAP 1", "MAP 2", "MAP 3", "Alpha hills", "Beta",
                                              "cut !", "esc\\x1B[31m", "folder !", "hostile !",
                                              "huge !", "no description", "orphan !"}));
  const auto entry = [&](const std::string& title) {
    for (const StageEntry& e : list.entries) {
      if (e.title == title) return e;
    }
    return StageEntry{};
  };
  EXPECT_EQ(entry("MAP 2").origin, StageOrigin::kBuiltIn);
  EXPECT_EQ(entry("MAP 2").number, 2);
  EXPECT_EQ(entry("Alpha hills").description.ground, 2);
  EXPECT_EQ(entry("Alpha hills").stage_path, dir.file("zeta.aod"));
  EXPECT_EQ(entry("no description").description.ground, 1);
  EXPECT_EQ(entry("cut").errors,
            std::vector<std::string>{"cut.aod: the count says 9 records but the file holds 0"});
  EXPECT_EQ(entry("orphan").errors,
            std::vector<std::string>{"orphan.toml: its stage file orphan.aod is missing"});
  EXPECT_EQ(entry("folder").errors.at(0), dir.file("folder.aod") + ": not a file");
  EXPECT_NE(entry("huge").errors.at(0).find("more than the"), std::string::npos);
  ASSERT_EQ(entry("hostile").errors.size(), 1u);
  EXPECT_EQ(entry("hostile").errors[0].rfind("hostile.toml:1: ", 0), 0u);
  for (const StageEntry& e : list.entries) {
    for (const std::string& error : e.errors) EXPECT_TRUE(is_plain_text(error, false)) << error;
  }

  // No folder, or none yet: the game's own stages alone.
  EXPECT_EQ(list_stages("").entries.size(), 3u);
  EXPECT_EQ(list_stages(dir.file("nothing here")).entries.size(), 3u);
}

TEST_F(PlayerStages, AStageIsReadByEitherFileAndFoundByItsHash) {
  stage("s.aod", two_headquarters());
  text("s.toml", "title = \"S\"\nground = 3\n");
  PlayableStage by_stage;
  PlayableStage by_description;
  std::vector<std::string> errors;
  ASSERT_TRUE(read_player_stage(dir.file("s.aod"), by_stage, errors));
  ASSERT_TRUE(read_player_stage(dir.file("s.toml"), by_description, errors));
  EXPECT_EQ(by_stage.bytes, testing::stage_bytes(two_headquarters()));
  EXPECT_EQ(by_stage.description.ground, 3);
  EXPECT_EQ(by_stage.hash, by_description.hash);
  EXPECT_EQ(by_stage.hash, stage_content_hash(by_stage.bytes.data(), by_stage.bytes.size()));
  EXPECT_EQ(find_stage_by_hash(dir.path(), by_stage.hash), dir.file("s.aod"));
  EXPECT_EQ(find_stage_by_hash(dir.path(), by_stage.hash ^ 1), "");

  text("s.toml", "title = \"S\"\nground = 4\n");
  EXPECT_FALSE(read_player_stage(dir.file("s.aod"), by_stage, errors));
  EXPECT_EQ(errors.back(), "s.toml:2: ground: expected 1, 2 or 3 (the ground picture)");
}

// --stage-file and --random-stage play at once; a replay names its stage by
// its content hash and finds it in the player's folder, or is given it.
class PlayedStages : public PlayerStages {
 protected:
  void SetUp() override {
    fs::create_directories(dir.file("data/quarvex/stages"));
    fs::create_directories(dir.file("empty"));
    stage("mine.aod", {testing::record(32, 1, -300, -300), testing::record(22, 1, 10, 20, 0, 0),
                       testing::record(32, 2, 300, 300)});
    text("mine.toml", "title = \"Mine\"\nground = 2\n");
  }
  testing::RunResult run(const std::string& data_home, std::vector<std::string> args) {
    args.insert(args.begin(), {"XDG_DATA_HOME=" + dir.file(data_home), QUARVEX_BIN, "--headless"});
    return testing::run_program("env", args, dir);
  }
  static std::string end_hash(const std::string& recording) {
    const size_t at = recording.rfind("\nend ");
    return at == std::string::npos ? "" : recording.substr(recording.find(' ', at + 5) + 1, 16);
  }
};

TEST_F(PlayedStages, AStageOfOnesOwnPlaysAtOnceAndItsReplayFindsIt) {
  const testing::RunResult played =
      run("empty", {"--stage-file", dir.file("mine.aod"), "--side", "1", "--seed", "4", "--frames",
                    "40", "--record", "r.qvr", "--dump", "d.json"});
  ASSERT_EQ(played.status, 0) << played.err;
  const std::string dump = testing::read_text(dir.file("d.json"));
  EXPECT_NE(dump.find("\"stage_number\": 2,"), std::string::npos);  // the description's ground
  EXPECT_NE(dump.find("\"player_side\": 1,"), std::string::npos);
  EXPECT_NE(dump.find("{\"index\": 3, \"x\": 10, \"y\": 20,"), std::string::npos) << dump;
  const std::string recording = testing::read_text(dir.file("r.qvr"));
  PlayableStage mine;
  std::vector<std::string> errors;
  ASSERT_TRUE(read_player_stage(dir.file("mine.aod"), mine, errors));
  EXPECT_NE(recording.find("\nstage 2\nside 1\nstart\nstage-hash " + hash_text(mine.hash) + "\n"),
            std::string::npos)
      << recording;

  // Found in the player's folder by its hash, or named; refused when it is
  // nowhere, or when the file named is another stage.
  fs::copy_file(dir.file("mine.aod"), dir.file("data/quarvex/stages/renamed.aod"));
  const std::string expected = "hash: " + end_hash(recording) + "\n";
  EXPECT_EQ(run("data", {"--replay", "r.qvr"}).out, expected);
  EXPECT_EQ(run("empty", {"--replay", "r.qvr", "--stage-file", dir.file("mine.toml")}).out,
            expected);
  const testing::RunResult lost = run("empty", {"--replay", "r.qvr"});
  EXPECT_EQ(lost.status, 2);
  EXPECT_NE(lost.err.find("that is not in " + dir.file("empty/quarvex/stages") +
                          "; name its file with --stage-file"),
            std::string::npos)
      << lost.err;
  stage("other.aod", {testing::record(32, 1, 0, 0)});
  const testing::RunResult other = run("empty", {"--replay", "r.qvr", "--stage-file", "other.aod"});
  EXPECT_EQ(other.status, 2);
  EXPECT_NE(other.err.find("'other.aod' is not the stage 'r.qvr' played"), std::string::npos)
      << other.err;

  // A damaged stage is refused with the stage reader's message, before any frame.
  testing::write_file(dir.file("cut.aod"), {3, 0, 1});
  const testing::RunResult cut = run("empty", {"--stage-file", "cut.aod"});
  EXPECT_EQ(cut.status, 2);
  EXPECT_EQ(cut.err,
            "quarvex: --stage-file: cut.aod: the count says 3 records but the file "
            "holds 0\n");
}

TEST_F(PlayedStages, ARandomBattleIsMadeFromItsSeedOnTheGroundOfTheStageNumber) {
  const testing::RunResult played =
      run("empty", {"--random-stage", "7", "--stage", "3", "--spectate", "--seed", "2", "--frames",
                    "60", "--record", "r.qvr", "--dump", "d.json"});
  ASSERT_EQ(played.status, 0) << played.err;
  EXPECT_NE(testing::read_text(dir.file("d.json")).find("\"stage_number\": 3,"), std::string::npos);
  const std::string recording = testing::read_text(dir.file("r.qvr"));
  EXPECT_NE(recording.find("\nrandom-stage 7\nstage-hash "), std::string::npos) << recording;
  EXPECT_EQ(run("empty", {"--replay", "r.qvr"}).out, "hash: " + end_hash(recording) + "\n");
  const testing::RunResult both = run("empty", {"--random-stage", "7", "--stage-file", "mine.aod"});
  EXPECT_EQ(both.status, 2);
}

// Restarting plays the same stage again; going back to the title menu
// leaves it for the game's own stages; a stage started by the game (as the
// title menu will) plays on its ground for the side chosen.
TEST_F(PlayedStages, ARestartKeepsTheStageAndTheTitleMenuLeavesIt) {
  testing::TestHost host;
  Options options;
  options.stage_file = dir.file("mine.aod");
  Game game;
  std::string error;
  ASSERT_TRUE(game.begin(options, error)) << error;
  const auto live_units = [&] {
    int n = 0;
    for (int i = 1; i <= kMaxUnit; ++i) n += game.world().units[i].type != -1;
    return n;
  };
  game.run_frame(host);
  EXPECT_EQ(live_units(), 5);  // two headquarters with their guns, one soldier
  EXPECT_EQ(game.world().stage_number, 2);
  game.reset(true, false);
  game.run_frame(host);
  EXPECT_EQ(live_units(), 5);
  ASSERT_NE(game.played_stage(), nullptr);
  game.reset(false, false);
  EXPECT_EQ(game.played_stage(), nullptr);
  EXPECT_EQ(game.world().game_phase, 0);

  game.play_stage(generated_stage(3, 1), 2, true);
  game.run_frame(host);
  EXPECT_EQ(game.world().stage_number, 1);
  EXPECT_EQ(game.world().player_side, 2);
  EXPECT_TRUE(game.watching());
  EXPECT_GT(live_units(), 40);
  EXPECT_EQ(game.finish(), 0);
}

}  // namespace
}  // namespace quarvex
