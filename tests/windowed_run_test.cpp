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
#include "test_files.h"

namespace quarvex {
namespace {

namespace fs = std::filesystem;

struct RunResult {
  int status = -1;
  std::string err;
};

pid_t start(const std::vector<std::string>& args, const std::string& err_file, bool display,
            const char* audio_driver = "dummy") {
  // The settings file (and any other user file) goes beside the test's other
  // files, never to the real home.
  const std::string config = fs::path(err_file).parent_path().string();
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    setenv("XDG_DATA_HOME", config.c_str(), 1);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    if (display) {
      setenv("SDL_VIDEODRIVER", "offscreen", 1);
      // No sound card here: the dummy driver plays in real time into nothing.
      setenv("SDL_AUDIODRIVER", audio_driver, 1);
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
  RunResult run_game(std::vector<std::string> args, bool display = true,
                     const char* audio_driver = "dummy") {
    args.insert(args.begin(), QUARVEX_BIN);
    const std::string err = (dir / "stderr.txt").string();
    return finish(start(args, err, display, audio_driver), err);
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
  write_test_atlases();
  write("map1.bmp", testing::encode_bmp(testing::test_ground()));
  // A headquarters and a tank for each of two sides, so the stage stays undecided.
  std::vector<uint8_t> stage = {4, 0};
  const int placements[4][3] = {{-30, 32, 1}, {0, 2, 1}, {40, 32, 2}, {8, 2, 2}};
  for (const auto& [x, kind, side] : placements) {
    stage.insert(stage.end(), {uint8_t(x), uint8_t(x >> 8), 0, 0, 0, 0, uint8_t(kind),
                               uint8_t(side), 0, 0, 0, 0, 0, 0});
  }
  write("map1.aod", stage);
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

// Energy of one side of a 16-bit stereo recording from a given second on.
double energy(const std::string& wav, int side, double from_seconds) {
  double sum = 0;
  for (size_t at = 44 + size_t(from_seconds * 44100) * 4 + 2 * side; at + 1 < wav.size(); at += 4) {
    const double s = int16_t(uint8_t(wav[at]) | wav[at + 1] << 8);
    sum += s * s;
  }
  return sum;
}

uint32_t le32(const std::string& b, size_t at) {
  return uint8_t(b[at]) | uint8_t(b[at + 1]) << 8 | uint8_t(b[at + 2]) << 16 |
         uint32_t(uint8_t(b[at + 3])) << 24;
}

TEST_F(WindowedRun, ABlastRightOfTheCameraIsHeardOnTheRight) {
  // The player's engineer lays a charge where it stands, leaves it, and moves
  // the cursor 40 units to the left; the charge goes off 140 steps later.
  // The headquarters are far out of hearing.
  write("map1.aod",
        testing::stage_bytes({testing::record(27, 1, 0, 0, 0, 0), testing::record(32, 1, -400, 400),
                              testing::record(32, 2, 400, 400)}));
  fs::copy(fs::path(QUARVEX_DATA_DIR) / "sounds", dir / "sounds");
  testing::write_text((dir / "keys.txt").string(),
                      "2 space\n5 space\n9 tab\n12 tab\n15-22 kp4 tab\n");
  const std::string wav = (dir / "battle.wav").string();
  const RunResult r = run_game({"--data", dir.string(), "--start", "--seed", "3", "--input",
                                (dir / "keys.txt").string(), "--frames", "200", "--scale", "1",
                                "--record-audio", wav});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string bytes = testing::read_text(wav);
  ASSERT_GT(bytes.size(), 44u + 44100 * 4 * 5);
  // The header was completed at exit.
  EXPECT_EQ(le32(bytes, 4), bytes.size() - 8);
  EXPECT_EQ(le32(bytes, 40), bytes.size() - 44);
  // After the stage's start and the menu clicks, which sound in the middle.
  const double left = energy(bytes, 0, 3.0), right = energy(bytes, 1, 3.0);
  EXPECT_GT(right, 1e9);
  EXPECT_GT(right, 5 * left);
}

TEST_F(WindowedRun, WithoutASoundDeviceTheGamePlaysSilentlyAndSaysSoInOneLine) {
  const RunResult r = run_game(
      {"--data", QUARVEX_DATA_DIR, "--frames", "3", "--record-audio", (dir / "a.wav").string()},
      true, "no-such-driver");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("no sound device"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--record-audio records nothing"), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  EXPECT_FALSE(fs::exists(dir / "a.wav"));
}

TEST_F(WindowedRun, ARecordingThatCannotBeWrittenIsSaidAndTheGameGoesOn) {
  const RunResult r = run_game({"--data", QUARVEX_DATA_DIR, "--frames", "3", "--record-audio",
                                (dir / "no" / "such" / "folder.wav").string()});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("--record-audio: cannot write"), std::string::npos) << r.err;
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

}  // namespace
}  // namespace quarvex
