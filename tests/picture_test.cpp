// Picture tests: the real device with Mesa's software rasteriser through
// SDL's offscreen driver (no X server needed), compared with reference
// pictures within a tolerance.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/image.h"

namespace quarvex {
namespace {

namespace fs = std::filesystem;

// Runs a program with the offscreen video driver; returns its exit status.
// Mesa's own allocations are not the game's, so the leak checker is off here.
int run_offscreen(const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Difference {
  double mean = 0;       // mean absolute difference per channel
  double share_off = 0;  // share of pixels with a channel off by more than 48
};

Difference compare(const Image& a, const Image& b) {
  Difference d;
  size_t off = 0;
  double total = 0;
  for (size_t i = 0; i < a.rgba.size(); i += 4) {
    int worst = 0;
    for (size_t c = 0; c < 3; ++c) {
      const int diff = std::abs(int(a.rgba[i + c]) - int(b.rgba[i + c]));
      total += diff;
      worst = std::max(worst, diff);
    }
    if (worst > 48) ++off;
  }
  const double pixels = static_cast<double>(a.rgba.size() / 4);
  d.mean = total / (pixels * 3);
  d.share_off = static_cast<double>(off) / pixels;
  return d;
}

void expect_matches_reference(const std::string& scene) {
  const fs::path out = fs::temp_directory_path() /
                       ("quarvex_picture_" + scene + "_" + std::to_string(getpid()) + ".png");
  ASSERT_EQ(run_offscreen({QUARVEX_SCENE_SHOT_BIN, scene, out.string()}), 0);
  Image shot;
  Image reference;
  std::string error;
  ASSERT_TRUE(load_image_file(out.string(), shot, error)) << error;
  ASSERT_TRUE(load_image_file(
      std::string(QUARVEX_SOURCE_DIR) + "/tests/reference/" + scene + ".png", reference, error))
      << error;
  fs::remove(out);
  ASSERT_EQ(shot.width, 640);
  ASSERT_EQ(shot.height, 480);
  ASSERT_EQ(reference.width, 640);
  ASSERT_EQ(reference.height, 480);
  const Difference d = compare(shot, reference);
  EXPECT_LT(d.mean, 2.0) << scene;
  EXPECT_LT(d.share_off, 0.002) << scene;
}

TEST(Picture, TitleMenuMatchesItsReference) {
  expect_matches_reference("title");
}

TEST(Picture, StageWithOverlayMatchesItsReference) {
  expect_matches_reference("stage");
}

TEST(Picture, ComparisonCatchesAPictureOffByALayer) {
  // The two references differ everywhere that matters; a real fault would too.
  Image title;
  Image stage;
  std::string error;
  const std::string dir = std::string(QUARVEX_SOURCE_DIR) + "/tests/reference/";
  ASSERT_TRUE(load_image_file(dir + "title.png", title, error));
  ASSERT_TRUE(load_image_file(dir + "stage.png", stage, error));
  EXPECT_GT(compare(title, stage).share_off, 0.002);
}

}  // namespace
}  // namespace quarvex
