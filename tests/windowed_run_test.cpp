// The built game in a window: SDL's offscreen driver with Mesa's software
// rasteriser, so no X server is needed.

#include <SDL.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/drivers.h"
#include "app/options.h"
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

// Forks a child with the environment of a windowed run and its standard
// error in `err_file`; the child runs `body` and exits with its status.
pid_t start_child(const std::string& err_file, bool display, const char* audio_driver,
                  const std::function<int()>& body) {
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
    _exit(body());
  }
  return pid;
}

pid_t start(const std::vector<std::string>& args, const std::string& err_file, bool display,
            const char* audio_driver = "dummy") {
  return start_child(err_file, display, audio_driver, [&args] {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    return 127;
  });
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
    write("map1.aod", two_side_stage());
  }
  static std::vector<uint8_t> two_side_stage() {
    std::vector<uint8_t> stage = {4, 0};
    const int placements[4][3] = {{-30, 32, 1}, {0, 2, 1}, {40, 32, 2}, {8, 2, 2}};
    for (const auto& [x, kind, side] : placements) {
      stage.insert(stage.end(), {uint8_t(x), uint8_t(x >> 8), 0, 0, 0, 0, uint8_t(kind),
                                 uint8_t(side), 0, 0, 0, 0, 0, 0});
    }
    return stage;
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
  // The game installed with an empty data folder beside it: it takes that
  // folder for its own and never reads the build's.
  fs::create_directories(dir / "bin");
  fs::create_directories(dir / "share" / "quarvex");
  fs::copy_file(QUARVEX_BIN, dir / "bin" / "quarvex");
  std::vector<std::string> args = {"--frames", "3", "--screenshot",
                                   "2:" + (dir / "title.png").string()};
  args.insert(args.begin(), (dir / "bin" / "quarvex").string());
  const std::string err = (dir / "stderr.txt").string();
  const RunResult r = finish(start(args, err, true, "dummy"), err);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("t0.dds"), std::string::npos);
  EXPECT_NE(r.err.find("map1.aod"), std::string::npos);
  EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  const Image shot = picture("title.png");
  EXPECT_EQ(shot.width, 640);
  EXPECT_EQ(shot.height, 480);
}

// The data folder holds no catalogues: the title menu is in English, with its
// Language entry and the help hint, whatever the system's language.
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

// A folder that holds only a stage file plays it with the game's own
// pictures and sounds: the same picture as a folder with every file.
TEST_F(WindowedRun, AFolderWithOnlyAStageFilePlaysWithTheGamesPicturesAndSounds) {
  fs::create_directories(dir / "only" / "sounds");
  fs::create_directories(dir / "whole");
  write("only/map1.aod", two_side_stage());
  write("whole/map1.aod", two_side_stage());
  for (const fs::directory_entry& e : fs::directory_iterator(QUARVEX_DATA_DIR)) {
    if (e.path().filename() != "map1.aod")
      fs::create_symlink(e.path(), dir / "whole" / e.path().filename());
  }
  const std::vector<std::string> run = {"--start", "--seed", "1", "--frames", "3", "--no-replay"};
  for (const char* folder : {"only", "whole"}) {
    std::vector<std::string> args = run;
    args.insert(args.end(), {"--data", (dir / folder).string(), "--screenshot",
                             "2:" + (dir / folder).string() + ".png"});
    const RunResult r = run_game(args);
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err.find("not found"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("silent"), std::string::npos) << r.err;
  }
  const Image only = picture("only.png");
  const Image whole = picture("whole.png");
  EXPECT_EQ(only.rgba, whole.rgba);
  // The game's ground, not the clear colour, is under the units.
  EXPECT_NE(only.rgba[(240 * 640 + 20) * 4 + 1], 0x28);
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

// SIGTERM, and SIGHUP when the terminal the game was started from closes,
// end the game as its quit does: status 0 and the stage's replay finished
// with its end line.
TEST_F(WindowedRun, TerminationAndHangUpEndTheLoopAndFinishTheReplay) {
  write_two_side_stage();
  for (const int signal : {SIGTERM, SIGHUP}) {
    fs::remove_all(dir / "quarvex" / "replays");
    const std::string err = (dir / "stderr.txt").string();
    const pid_t pid =
        start({QUARVEX_BIN, "--data", dir.string(), "--start", "--seed", "1"}, err, true);
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    kill(pid, signal);
    const RunResult r = finish(pid, err);
    EXPECT_EQ(r.status, 0) << "signal " << signal << ": " << r.err;
    std::string recording;
    for (const auto& entry : fs::directory_iterator(dir / "quarvex" / "replays")) {
      std::ifstream in(entry.path());
      recording.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(recording.find("\nend "), std::string::npos) << "signal " << signal << recording;
  }
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

// A player's press, pushed into SDL's queue at a second of the recording.
struct Press {
  double at;
  SDL_Scancode key;  // SDL_SCANCODE_UNKNOWN: the window loses the focus
};

void push(const Press& p) {
  SDL_Event e{};
  if (p.key == SDL_SCANCODE_UNKNOWN) {
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&e);
    return;
  }
  e.type = SDL_KEYDOWN;
  e.key.state = SDL_PRESSED;
  e.key.keysym.scancode = p.key;
  SDL_PushEvent(&e);
  e.type = SDL_KEYUP;
  e.key.state = SDL_RELEASED;
  SDL_PushEvent(&e);
}

// Pushes the presses about their seconds apart once the recording in `wav`
// has begun, then closes the window at `quit_at`. The second of the
// recording each press came at (its length on disk then) goes to `log`,
// one line each.
void play_presses(const std::string& wav, const std::vector<Press>& presses, double quit_at,
                  const std::string& log) {
  using Clock = std::chrono::steady_clock;
  constexpr double kBytesPerSecond = 44100.0 * 4;
  std::error_code ec;
  auto recorded = [&] {
    const auto size = fs::file_size(wav, ec);
    return ec ? 0.0 : (double(size) - 44) / kBytesPerSecond;
  };
  const auto give_up = Clock::now() + std::chrono::seconds(30);
  while (recorded() < 0.5 && Clock::now() < give_up) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const auto began = Clock::now() - std::chrono::duration<double>(recorded());
  auto at = [&](double second) {
    return began +
           std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(second));
  };
  std::ofstream out(log);
  for (const Press& p : presses) {
    std::this_thread::sleep_until(at(p.at));
    push(p);
    out << recorded() << "\n";
  }
  out.close();
  std::this_thread::sleep_until(at(quit_at));
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
}

// Loudest sample of a 16-bit stereo recording between two of its seconds.
int peak(const std::string& wav, double from, double to) {
  int loudest = 0;
  const size_t end = std::min(wav.size(), 44 + size_t(to * 44100) * 4);
  for (size_t at = 44 + size_t(from * 44100) * 4; at + 1 < end; at += 2) {
    loudest = std::max(loudest, std::abs(int(int16_t(uint8_t(wav[at]) | wav[at + 1] << 8))));
  }
  return loudest;
}

class WindowedSound : public WindowedRun {
 protected:
  // The player's tank, driven round in circles from frame 8 on: its engine
  // runs for as long as frames do. The headquarters are out of hearing.
  void write_driving_stage() {
    write("map1.aod",
          testing::stage_bytes({testing::record(2, 1, 0, 0), testing::record(32, 1, -400, 400),
                                testing::record(32, 2, 400, 400)}));
    fs::copy(fs::path(QUARVEX_DATA_DIR) / "sounds", dir / "sounds");
    testing::write_text((dir / "keys.txt").string(), "2 space\n5 space\n8-5000 kp8 kp4\n");
  }
  std::vector<std::string> driving_args() {
    return {"--data",
            dir.string(),
            "--start",
            "--seed",
            "3",
            "--input",
            (dir / "keys.txt").string(),
            "--scale",
            "1",
            "--record-audio",
            wav};
  }

  void SetUp() override {
    WindowedRun::SetUp();
    wav = (dir / "drive.wav").string();
    settings = (dir / "quarvex" / "settings.toml").string();
  }

  std::string wav;
  std::string settings;
};

TEST_F(WindowedSound, TheSettingsVolumesReachTheMixer) {
  write_driving_stage();
  fs::create_directories(dir / "quarvex");
  const std::string text = "[sound]\neffects_volume = 0  # the battle off, the menus on\n";
  testing::write_text(settings, text);
  std::vector<std::string> args = driving_args();
  args.insert(args.end(), {"--frames", "130"});
  const RunResult r = run_game(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string bytes = testing::read_text(wav);
  // The stage's start (1.5 s) is heard at the master volume; the engine, an
  // effect, is not, from then to the last frame. Measured from the start's
  // first sound, so a slow start-up on a loaded machine does not matter.
  const double seconds = double(bytes.size() - 44) / (44100 * 4);
  double start = -1;
  for (double t = 0; t < seconds && start < 0; t += 0.01) {
    if (peak(bytes, t, t + 0.01) > 1000) start = t;
  }
  ASSERT_GE(start, 0.0) << "the stage's start is not heard";
  ASSERT_GT(seconds, start + 1.6 + 0.5);
  EXPECT_EQ(peak(bytes, start + 1.6, seconds), 0);
  EXPECT_EQ(testing::read_text(settings), text);
}

// The program's own windowed loop, as main() runs it, while a second thread
// plays the presses; `args` are the command line's arguments.
int run_windowed_with_presses(std::vector<std::string> args, const std::string& wav,
                              const std::vector<Press>& presses, double quit_at,
                              const std::string& log) {
  args.insert(args.begin(), "quarvex");
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());
  Options options;
  std::string error;
  if (parse_options(int(argv.size()), argv.data(), options, error) != ParseOutcome::kRun) return 2;
  std::thread player(play_presses, wav, presses, quit_at, log);
  const int status = run_windowed(options);
  player.join();
  return status;
}

// The game's loop in a child, with the player's presses arriving in SDL's
// queue while it runs: pause and the lost focus hold the sound, the volume
// keys change it, mute silences it, and each change is in the settings file
// at once.
TEST_F(WindowedSound, PauseHoldsTheSoundAndTheSoundKeysChangeItAndAreSaved) {
  write_driving_stage();
  const std::vector<Press> presses = {{2.0, SDL_SCANCODE_P},       {3.5, SDL_SCANCODE_P},
                                      {4.5, SDL_SCANCODE_UNKNOWN}, {5.5, SDL_SCANCODE_P},
                                      {7.0, SDL_SCANCODE_MINUS},   {7.2, SDL_SCANCODE_KP_MINUS},
                                      {8.5, SDL_SCANCODE_M}};
  const std::string err = (dir / "stderr.txt").string();
  const std::string log = (dir / "presses.txt").string();
  const RunResult r =
      finish(start_child(
                 err, true, "dummy",
                 [&] { return run_windowed_with_presses(driving_args(), wav, presses, 9.5, log); }),
             err);
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<double> at;
  std::ifstream in(log);
  for (double second = 0; in >> second;) at.push_back(second);
  ASSERT_EQ(at.size(), presses.size());
  const std::string bytes = testing::read_text(wav);
  const double end = double(bytes.size() - 44) / (44100 * 4);
  ASSERT_GT(end, at.back() + 0.6);
  // A press takes effect within a step and a mixed buffer: 0.3 s is ample.
  EXPECT_GT(peak(bytes, at[0] - 0.5, at[0]), 1000) << "driving";
  EXPECT_EQ(peak(bytes, at[0] + 0.3, at[1]), 0) << "paused";
  EXPECT_GT(peak(bytes, at[1] + 0.3, at[2]), 1000) << "resumed";
  EXPECT_EQ(peak(bytes, at[2] + 0.3, at[3]), 0) << "the focus lost";
  const int full = peak(bytes, at[3] + 0.3, at[4]);
  EXPECT_GT(full, 1000) << "resumed";
  // Two steps down, past the volume's tick: the engine at 80 %.
  const int quieter = peak(bytes, at[5] + 0.3, at[6]);
  EXPECT_LT(quieter, full * 92 / 100);
  EXPECT_GT(quieter, full * 65 / 100);
  EXPECT_EQ(peak(bytes, at[6] + 0.3, end), 0) << "muted";

  // The file written at start-up, its comments kept, holds the new levels.
  const std::string saved = testing::read_text(settings);
  EXPECT_NE(saved.find("# Loudness of everything, 0 to 100.\nmaster_volume = 80\n"),
            std::string::npos)
      << saved;
  EXPECT_NE(saved.find("# No sound at all.\nmute = true\n"), std::string::npos) << saved;
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
