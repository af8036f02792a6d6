// The built game in a window: SDL's offscreen driver with Mesa's software
// rasteriser, so no X server is needed.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "picture/test_art.h"
#include "platform/image.h"

namespace quarvex {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string err;
};

pid_t start(const std::vector<std::string>& args, const std::string& err_file, bool display) {
  // The settings file and the replays go beside the test's other files,
  // never to the real home.
  const std::string config = fs::path(err_file).parent_path().string();
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", config.c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    if (display) {
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
    } else {
      unsetenv("SDL_VIDEODRIVER");
    }
    // Mesa's own allocations are not the game's.
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    if (freopen(err_file.c_str(), "w", stderr) == nullptr) _exit(126);
    // A modal box left open would otherwise hold the test forever.
    alarm(60);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

RunResult finish(pid_t pid, const std::string& err_file) {
  RunResult run;
  int status = 0;
  waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::ifstream in(err_file);
  run.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return run;
}

class WindowedRun : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("quarvex_window_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  void write(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(dir / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  void write_test_atlases() {
    const char* names[] = {"t0.dds", "t1.dds", "t2.dds", "t3.dds",
                           "t4.dds", "t5.dds", "ts.dds", "tc.dds"};
    for (int slot = 0; slot < 8; ++slot)
      write(names[slot], testing::encode_dds(testing::test_atlas(slot)));
  }
  // The test art, and stage 1 with a headquarters and a tank for each of two
  // sides, so the stage stays undecided.
  void write_two_side_stage() {
    write_test_atlases();
    write("map1.bmp", testing::encode_bmp(testing::test_ground()));
    std::vector<uint8_t> stage = {4, 0};
    const int placements[4][3] = {{-30, 32, 1}, {0, 2, 1}, {40, 32, 2}, {8, 2, 2}};
    for (const auto& [x, kind, side] : placements) {
      stage.insert(stage.end(), {uint8_t(x), uint8_t(x >> 8), 0, 0, 0, 0, uint8_t(kind),
                                 uint8_t(side), 0, 0, 0, 0, 0, 0});
    }
    write("map1.aod", stage);
  }
  RunResult run_game(std::vector<std::string> args, bool display = true) {
    args.insert(args.begin(), QUARVEX_BIN);
    const std::string err = (dir / "stderr.txt").string();
    return finish(start(args, err, display), err);
  }
  Image picture(const std::string& name) {
    Image img;
    std::string error;
    EXPECT_TRUE(load_image_file((dir / name).string(), img, error)) << error;
    return img;
  }

  fs::path dir;
};

TEST_F(WindowedRun, WithoutADisplayItSaysSoInOneLineAndSuggestsHeadless) {
  const RunResult r = run_game({"--frames", "1"}, false);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("--headless"), std::string::npos);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
}

TEST_F(WindowedRun, MissingDataIsListedInOneLineAndTheTitleMenuStillShows) {
  const RunResult r = run_game({"--data", dir.string(), "--frames", "3", "--screenshot",
                                "2:" + (dir / "title.png").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("t0.dds"), std::string::npos);
  EXPECT_NE(r.err.find("map1.aod"), std::string::npos);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  const Image shot = picture("title.png");
  EXPECT_EQ(shot.width, 640);
  EXPECT_EQ(shot.height, 480);
}

TEST_F(WindowedRun, TitleMenuPictureMatchesTheRenderedScene) {
  write_test_atlases();
  const RunResult r = run_game({"--data", dir.string(), "--stage", "3", "--side", "2", "--frames",
                                "5", "--screenshot", "3:" + (dir / "title.png").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  const Image shot = picture("title.png");
  Image reference;
  std::string error;
  ASSERT_TRUE(load_image_file(std::string(QUARVEX_SOURCE_DIR) + "/tests/reference/title_start.png",
                              reference, error));
  ASSERT_EQ(shot.rgba.size(), reference.rgba.size());
  size_t off = 0;
  for (size_t i = 0; i < shot.rgba.size(); ++i) {
    if (std::abs(int(shot.rgba[i]) - int(reference.rgba[i])) > 48) ++off;
  }
  EXPECT_LT(off, shot.rgba.size() / 500);
}

TEST_F(WindowedRun, StageShowsGroundUnitsAndOverlay) {
  write_two_side_stage();
  const RunResult r = run_game({"--data", dir.string(), "--start", "--seed", "1", "--frames", "3",
                                "--screenshot", "2:" + (dir / "stage.png").string()});
  ASSERT_EQ(r.status, 0) << r.err;
  const Image shot = picture("stage.png");
  ASSERT_EQ(shot.width, 640);
  // The ground covers the centre; the minimap sits at the bottom right.
  auto at = [&shot](int x, int y) { return &shot.rgba[(size_t(y) * 640 + x) * 4]; };
  EXPECT_NE(at(20, 240)[1], 0x28);  // not the clear colour
  EXPECT_NE(at(580, 460)[1], 0x28);
}

TEST_F(WindowedRun, TerminationSignalEndsTheLoopWithStatusZero) {
  const std::string err = (dir / "stderr.txt").string();
  const pid_t pid = start({QUARVEX_BIN, "--data", dir.string()}, err, true);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  kill(pid, SIGTERM);
  const RunResult r = finish(pid, err);
  EXPECT_EQ(r.status, 0) << r.err;
}

// With no headquarters for the player's side the stage is lost in frame 1;
// its box stands over that frame's picture, not over an empty window, and
// SIGTERM ends the game while the box waits.
TEST_F(WindowedRun, GameOverInTheFirstFrameShowsItsBoxOverThePictureAndSigtermEndsIt) {
  write_test_atlases();
  write("map1.bmp", testing::encode_bmp(testing::test_ground()));
  std::vector<uint8_t> stage = {1, 0};
  stage.insert(stage.end(), {0, 0, 0, 0, 0, 0, 32, 2, 0, 0, 0, 0, 0, 0});
  write("map1.aod", stage);
  const std::string err = (dir / "stderr.txt").string();
  const std::string shot = (dir / "box.png").string();
  const pid_t pid = start(
      {QUARVEX_BIN, "--data", dir.string(), "--start", "--seed", "1", "--screenshot", "1:" + shot},
      err, true);
  for (int i = 0; i < 100 && !fs::exists(shot); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(pid, SIGTERM);
  const RunResult r = finish(pid, err);
  EXPECT_EQ(r.status, 0) << r.err;
  const Image box = picture("box.png");
  ASSERT_EQ(box.width, 640);
  auto at = [&box](int x, int y) { return &box.rgba[(size_t(y) * 640 + x) * 4]; };
  // The ground around the box, the box's dark panel in its middle.
  EXPECT_NE(at(20, 240)[1], 0x28);
  EXPECT_LT(at(200, 250)[0], 0x40);
  EXPECT_LT(at(200, 250)[1], 0x40);
}

// A game played in the window, from the title menu to the window's close, is
// kept as it went and replays to the same final hash headless and in the
// window, where the end of the replay is said in a box.
TEST_F(WindowedRun, AStagePlayedIsKeptAndReplaysToItsFinalHash) {
  write_two_side_stage();
  const std::string keys = "5 kp5\n8 kp4\n12 space\n20-40 kp8\n41-45 kp7\n";
  write("keys.txt", std::vector<uint8_t>(keys.begin(), keys.end()));
  const std::string err = (dir / "stderr.txt").string();
  pid_t pid = start({QUARVEX_BIN, "--data", dir.string(), "--input", (dir / "keys.txt").string()},
                    err, true);
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  kill(pid, SIGTERM);
  RunResult r = finish(pid, err);
  ASSERT_EQ(r.status, 0) << r.err;

  std::vector<fs::path> replays;
  for (const auto& entry : fs::directory_iterator(dir / "quarvex" / "replays"))
    replays.push_back(entry.path());
  ASSERT_EQ(replays.size(), 1u);
  EXPECT_NE(replays[0].filename().string().find("-map1-side1.qvr"), std::string::npos);
  std::ifstream in(replays[0]);
  const std::string recording((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
  const size_t end = recording.rfind("\nend ");
  ASSERT_NE(end, std::string::npos) << recording;
  const std::string last_frame = recording.substr(end + 5, recording.find(' ', end + 5) - end - 5);
  EXPECT_GT(std::stoi(last_frame), 20) << recording;

  const std::string out = (dir / "stdout.txt").string();
  const std::string command = std::string(QUARVEX_BIN) + " --headless --data '" + dir.string() +
                              "' --replay '" + replays[0].string() + "' >'" + out + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  std::ifstream printed(out);
  const std::string hash_line((std::istreambuf_iterator<char>(printed)),
                              std::istreambuf_iterator<char>());
  EXPECT_EQ(hash_line, "hash: " + recording.substr(recording.find(' ', end + 5) + 1, 16) + "\n");

  const std::string shot = (dir / "end.png").string();
  pid = start({QUARVEX_BIN, "--data", dir.string(), "--replay", replays[0].string(), "--screenshot",
               last_frame + ":" + shot},
              err, true);
  for (int i = 0; i < 100 && !fs::exists(shot); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  kill(pid, SIGTERM);
  r = finish(pid, err);
  EXPECT_EQ(r.status, 0) << r.err;
  const Image box = picture("end.png");
  ASSERT_EQ(box.width, 640);
  // The box's dark panel stands in the middle of the last frame's picture.
  EXPECT_LT(box.rgba[(size_t(250) * 640 + 200) * 4], 0x40);
  const auto kept = fs::directory_iterator(dir / "quarvex" / "replays");
  EXPECT_EQ(std::distance(fs::begin(kept), fs::end(kept)), 1)
      << "a replay keeps no replay of itself";
}

TEST_F(WindowedRun, ADamagedSettingsFileIsReportedUsedWhereItCanAndLeftAsItWas) {
  const std::string damaged = "[window]\nscale = 1\nfullscreen = maybe\n";
  fs::create_directories(dir / "quarvex");
  write("quarvex/settings.toml", std::vector<uint8_t>(damaged.begin(), damaged.end()));
  const RunResult r = run_game({"--data", dir.string(), "--frames", "2"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("settings.toml:3: "), std::string::npos) << r.err;
  std::ifstream in(dir / "quarvex" / "settings.toml", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
            damaged);

  const RunResult printed =
      run_game({"--print-settings", "--config", (dir / "quarvex" / "settings.toml").string()});
  EXPECT_EQ(printed.status, 0);
  EXPECT_NE(printed.err.find("settings.toml:3: "), std::string::npos) << printed.err;
}

}  // namespace
}  // namespace quarvex
