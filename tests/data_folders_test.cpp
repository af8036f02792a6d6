// The game's own data is the base; --data lies over it file by file; the
// folder the game is started from plays no part.

#include <gtest/gtest.h>

#include <filesystem>

#include "stages/data_folders.h"
#include "test_files.h"

namespace quarvex {
namespace {

namespace fs = std::filesystem;

TEST(DataFolders, EachFileComesFromTheFirstFolderThatHoldsIt) {
  testing::TempDir over;
  testing::TempDir base;
  testing::write_text(over.file("map1.aod"), "over");
  testing::write_text(base.file("map1.aod"), "base");
  testing::write_text(base.file("t0.dds"), "base");
  fs::create_directory(over.file("map2.aod"));  // a folder is not the file
  testing::write_text(base.file("map2.aod"), "base");
  fs::create_directory(base.file("sounds"));
  testing::write_text(base.file("sounds/mark.wav"), "base");

  const DataFolders data = data_folders(over.path(), base.path());
  struct Case {
    const char* name;
    std::string found;
    bool held;
  };
  const Case cases[] = {
      {"map1.aod", over.file("map1.aod"), true},
      {"t0.dds", base.file("t0.dds"), true},
      {"map2.aod", base.file("map2.aod"), true},
      {"sounds/mark.wav", base.file("sounds/mark.wav"), true},
      // Missing everywhere: named in the base, where messages look for it.
      {"map3.bmp", base.file("map3.bmp"), false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(data.find(c.name), c.found) << c.name;
    EXPECT_EQ(data.holds(c.name), c.held) << c.name;
  }
  EXPECT_EQ(data.description(), over.path() + ", then " + base.path());
  // --data naming the game's own folder (by any path) is the base alone.
  EXPECT_EQ(data_folders(base.path() + "/.", base.path()).folders,
            std::vector<std::string>{base.path()});
  EXPECT_EQ(data_folders("", base.path()).folders, std::vector<std::string>{base.path()});
}

std::string hash_of(const testing::RunResult& r) {
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find("message:"), std::string::npos) << r.out;
  return r.out;
}

TEST(DataFolders, AStageFileInTheWorkingFolderChangesNothing) {
  const std::vector<std::string> run = {"--headless", "--start",  "--stage", "1",     "--seed",
                                        "5",          "--frames", "3",       "--hash"};
  testing::TempDir elsewhere;
  const std::string reference = hash_of(testing::run_program(QUARVEX_BIN, run, elsewhere));
  // Stage 2's layout as map1.aod, and nothing else, in the working folder.
  testing::TempDir stray;
  fs::copy_file(fs::path(QUARVEX_DATA_DIR) / "map2.aod", stray.file("map1.aod"));
  EXPECT_EQ(hash_of(testing::run_program(QUARVEX_BIN, run, stray)), reference);

  // Given with --data, that file is the one played.
  std::vector<std::string> with_data = run;
  with_data.insert(with_data.end(), {"--data", stray.path()});
  EXPECT_NE(hash_of(testing::run_program(QUARVEX_BIN, with_data, elsewhere)), reference);
}

}  // namespace
}  // namespace quarvex
