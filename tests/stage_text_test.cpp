#include <gtest/gtest.h>

#include "stage_text.h"
#include "test_files.h"

namespace quarvex {
namespace {

std::vector<uint8_t> compile_text(const std::string& text, std::vector<std::string>& errors) {
  StageSource stage;
  parse_stage_text(text, "m.txt", stage, errors);
  return encode_stage(stage);
}

TEST(StageText, KindsByNameOrNumberAndOptionalFields) {
  std::vector<std::string> errors;
  const auto bytes = compile_text(
      "\xEF\xBB\xBF# header\n"
      "本部 1 -400 -400 0 1 0 0\r\n"
      "2\t2  100 -50 4 7 30 -40 reserved=255  # tank\n"
      "\n"
      "trailing 00fFA1\n",
      errors);
  ASSERT_TRUE(errors.empty()) << errors[0];
  std::vector<uint8_t> expected = testing::stage_bytes(
      {testing::record(32, 1, -400, -400), testing::record(2, 2, 100, -50, 4, 7, 30, -40)});
  expected[2 + 14 + 9] = 255;
  expected.insert(expected.end(), {0x00, 0xFF, 0xA1});
  EXPECT_EQ(bytes, expected);
}

TEST(StageText, EveryBadLineIsReported) {
  std::vector<std::string> errors;
  compile_text(
      "戦車Ｚ 1 0 0 0 1 0 0\n"
      "40 1 0 0 0 1 0 0\n"
      "本部 5 0 0 0 1 0 0\n"
      "本部 1 32768 0 0 1 0 0\n"
      "本部 1 0 0 0 256 0 0\n"
      "本部 1 0 0 0 1 0\n"
      "本部 1 0 0 0 1 0 0 reserved=300\n"
      "本部 1 0 0 0 1 0 0 spare=1\n"
      "本部 1 0 0 x 1 0 0\n"
      "trailing abc\n"
      "trailing zz\n"
      "本部 1 0 0 0 1 0 0\n",
      errors);
  const std::vector<std::string> expected = {
      "m.txt:1: unknown kind '戦車Ｚ'",
      "m.txt:2: kind 40 is outside 0..39",
      "m.txt:3: side 5 is outside 1..4",
      "m.txt:4: x 32768 is outside -32768..32767",
      "m.txt:5: mode 256 is outside 0..255",
      "m.txt:6: expected 8 fields (kind side x y heading mode goal_x goal_y) and an optional "
      "reserved=N, found 7",
      "m.txt:7: reserved 300 is outside 0..255",
      "m.txt:8: unknown field 'spare=1' (only reserved=N may follow goal_y)",
      "m.txt:9: heading 'x' is not a whole number",
      "m.txt:10: trailing: odd number of hex digits",
      "m.txt:11: trailing: 'zz' is not hex",
  };
  EXPECT_EQ(errors, expected);
}

TEST(StageText, DecompileThenCompileIsByteIdentical) {
  // Every kind, both extremes of every field, a reserved byte and trailing bytes.
  std::vector<StageRecord> records;
  for (int k = 0; k < 40; ++k) {
    records.push_back(
        testing::record(k, 1 + k % 4, k % 2 ? -32768 : 32767, -k, k - 20, k * 6, -32768, 32767));
  }
  records[5].reserved = 0x5A;
  std::vector<uint8_t> original = testing::stage_bytes(records);
  original.insert(original.end(), {1, 2, 3, 0xFF});
  StageSource stage;
  std::string error;
  ASSERT_TRUE(decode_stage(original, "m.aod", stage, error)) << error;
  const std::string text = format_stage_text(stage);
  EXPECT_NE(text.find("ダークサークル"), std::string::npos);
  std::vector<std::string> errors;
  EXPECT_EQ(compile_text(text, errors), original);
  EXPECT_TRUE(errors.empty());
  // The empty stage too.
  ASSERT_TRUE(decode_stage({0, 0}, "e.aod", stage, error));
  EXPECT_EQ(compile_text(format_stage_text(stage), errors), (std::vector<uint8_t>{0, 0}));
}

TEST(StageText, DecompileRejectsInvalidFiles) {
  StageSource stage;
  std::string error;
  EXPECT_FALSE(decode_stage({7}, "m.aod", stage, error));
  EXPECT_EQ(error, "m.aod: too short for the record count (1 bytes)");
  auto bytes = testing::stage_bytes({testing::record(1, 1, 0, 0)}, 2);
  EXPECT_FALSE(decode_stage(bytes, "m.aod", stage, error));
  EXPECT_EQ(error, "m.aod: the count says 2 records but the file holds 1");
  bytes = testing::stage_bytes({testing::record(1, 1, 0, 0), testing::record(1, 9, 0, 0)});
  EXPECT_FALSE(decode_stage(bytes, "m.aod", stage, error));
  EXPECT_EQ(error, "m.aod: record 2: side 9 is outside 1..4");
  bytes = testing::stage_bytes({testing::record(-5, 1, 0, 0)});
  EXPECT_FALSE(decode_stage(bytes, "m.aod", stage, error));
  EXPECT_EQ(error, "m.aod: record 1: kind -5 is outside 0..39");
}

#ifdef QUARVEX_STAGE_BIN
TEST(StageCompiler, BadSourceWritesNothingAndGoodSourceReplacesTheFile) {
  testing::TempDir dir;
  testing::write_text(dir.file("good.txt"), "工場 2 10 20 0 1 0 0\n");
  testing::write_text(dir.file("bad.txt"), "工場 2 10 20 0 1 0 0\n本部 0 0 0 0 1 0 0\n");
  testing::write_file(dir.file("map1.aod"), {0, 0});
  auto r = testing::run_program(QUARVEX_STAGE_BIN, {"compile", "bad.txt", "map1.aod"}, dir);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("bad.txt:2: side 0 is outside 1..4"), std::string::npos) << r.err;
  EXPECT_EQ(testing::read_text(dir.file("map1.aod")), std::string(2, '\0'));
  r = testing::run_program(QUARVEX_STAGE_BIN, {"compile", "good.txt", "map1.aod"}, dir);
  EXPECT_EQ(r.status, 0) << r.err;
  r = testing::run_program(QUARVEX_STAGE_BIN, {"decompile", "map1.aod"}, dir);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("工場"), std::string::npos);
  // Nothing but the stage files is left behind.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
    files += e.path().filename().string()[0] != '.';
  }
  EXPECT_EQ(files, 3);
  EXPECT_EQ(testing::run_program(QUARVEX_STAGE_BIN, {"compile", "good.txt"}, dir).status, 2);
}

// A stage travels as two files; the compiler carries the description both
// ways, checks stages as the game reads them, makes random battles and
// installs a stage into the player's folder without replacing one there.
TEST(StageCompiler, CarriesTheDescriptionChecksMakesAndInstallsStages) {
  testing::TempDir dir;
  const auto tool = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"XDG_DATA_HOME=" + dir.file("home"), QUARVEX_STAGE_BIN});
    return testing::run_program("env", args, dir);
  };
  testing::write_text(dir.file("hill.txt"), "本部 1 -300 -300 0 1 0 0\n本部 2 300 300 4 0 0 0\n");
  testing::write_text(dir.file("hill.toml"), "title='Hill'  # written by hand\nground=3\n");
  ASSERT_EQ(tool({"compile", "hill.txt", "hill.aod"}).status, 0);
  // The source's own description is the output's: left as the player wrote it.
  EXPECT_EQ(testing::read_text(dir.file("hill.toml")),
            "title='Hill'  # written by hand\nground=3\n");
  ASSERT_EQ(tool({"decompile", "hill.aod", "back.txt"}).status, 0);
  ASSERT_EQ(tool({"compile", "back.txt", "back.aod"}).status, 0);
  EXPECT_EQ(testing::read_text(dir.file("back.aod")), testing::read_text(dir.file("hill.aod")));
  EXPECT_EQ(
      testing::read_text(dir.file("back.toml")),
      "# quarvex stage description\ntitle = \"Hill\"\nground = 3  # 1..3: the ground picture\n");

  auto r = tool({"check", "hill.aod", "back.toml", "missing.aod"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "hill.aod: \"Hill\", ground 3, 2 placements\n"
            "back.toml: \"Hill\", ground 3, 2 placements\n");
  EXPECT_NE(r.err.find("missing.aod"), std::string::npos) << r.err;

  testing::write_text(dir.file("bad.toml"), "title = \"x\"\nground = 9\n");
  testing::write_text(dir.file("bad.txt"), "本部 1 0 0 0 1 0 0\n");
  r = tool({"compile", "bad.txt", "bad.aod"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("bad.toml:2: ground: expected 1, 2 or 3"), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(dir.file("bad.aod")));

  ASSERT_EQ(tool({"random", "12", "2", "r.aod"}).status, 0);
  EXPECT_EQ(testing::read_text(dir.file("r.toml")),
            "# quarvex stage description\ntitle = \"Random battle 12\"\nground = 2  # 1..3: the "
            "ground picture\n");
  const std::string generated = testing::read_text(dir.file("r.aod"));
  ASSERT_EQ(tool({"random", "12", "2", "r2.aod"}).status, 0);
  EXPECT_EQ(testing::read_text(dir.file("r2.aod")), generated);
  EXPECT_EQ(tool({"random", "12", "4", "r3.aod"}).status, 1);

  r = tool({"install", "hill.aod"});
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string installed = dir.file("home/quarvex/stages/hill");
  EXPECT_EQ(testing::read_text(installed + ".aod"), testing::read_text(dir.file("hill.aod")));
  EXPECT_EQ(testing::read_text(installed + ".toml"), testing::read_text(dir.file("back.toml")));
  // A stage of that name is there: kept, unless the player says to replace it.
  testing::write_text(dir.file("hill.toml"), "title = \"Hill, again\"\nground = 1\n");
  r = tool({"install", "hill.toml"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("already exists; not replaced (--replace replaces it)"), std::string::npos);
  EXPECT_NE(testing::read_text(installed + ".toml").find("Hill\""), std::string::npos);
  EXPECT_EQ(tool({"install", "hill.toml", "--replace"}).status, 0);
  EXPECT_NE(testing::read_text(installed + ".toml").find("Hill, again"), std::string::npos);
}
#endif

}  // namespace
}  // namespace quarvex
