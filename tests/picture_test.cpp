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

// The game's picture of `scene` against the reference picture `reference`.
Difference difference_from_reference(const std::string& scene, const std::string& reference_name) {
  const fs::path out = fs::temp_directory_path() /
                       ("quarvex_picture_" + scene + "_" + std::to_string(getpid()) + ".png");
  // In Japanese: the references are the game's own screens.
  EXPECT_EQ(run_offscreen({QUARVEX_SCENE_SHOT_BIN, scene, out.string(),
                           std::string(QUARVEX_DATA_DIR) + "/lang/ja.mo"}),
            0);
  Image shot;
  Image reference;
  std::string error;
  EXPECT_TRUE(load_image_file(out.string(), shot, error)) << error;
  EXPECT_TRUE(load_image_file(
      std::string(QUARVEX_SOURCE_DIR) + "/tests/reference/" + reference_name + ".png", reference,
      error))
      << error;
  fs::remove(out);
  EXPECT_EQ(shot.width, 640);
  EXPECT_EQ(shot.height, 480);
  EXPECT_EQ(reference.width, 640);
  EXPECT_EQ(reference.height, 480);
  if (shot.rgba.size() != reference.rgba.size()) return {255, 1};
  return compare(shot, reference);
}

bool within_tolerance(const Difference& d) {
  return d.mean < 2.0 && d.share_off < 0.002;
}

void expect_matches_reference(const std::string& scene) {
  const Difference d = difference_from_reference(scene, scene);
  EXPECT_TRUE(within_tolerance(d)) << scene << ": mean " << d.mean << ", share " << d.share_off;
}

TEST(Picture, TitleMenuMatchesItsReference) {
  expect_matches_reference("title");
}

TEST(Picture, StageWithOverlayMatchesItsReference) {
  expect_matches_reference("stage");
}

// The tolerance is tight enough for the faults it is there to catch: the
// game drawing the stage with one sprite lost does not pass for it.
TEST(Picture, TheStageWithOneSpriteLostFailsTheComparison) {
  const Difference d = difference_from_reference("stage-without-aircraft", "stage");
  EXPECT_FALSE(within_tolerance(d)) << "mean " << d.mean << ", share " << d.share_off;
}

// Colours reach the picture as the drawing code names them (ARGB), through
// the vertex layout, the shader and the blending: a channel swapped or an
// alpha ignored shows here, where the scenes above, drawn mostly in greys,
// stay within their tolerance.
TEST(Picture, ColoursAreDrawnAsTheirArgbSays) {
  const fs::path out =
      fs::temp_directory_path() / ("quarvex_picture_colours_" + std::to_string(getpid()) + ".png");
  ASSERT_EQ(run_offscreen({QUARVEX_SCENE_SHOT_BIN, "colours", out.string()}), 0);
  Image shot;
  std::string error;
  ASSERT_TRUE(load_image_file(out.string(), shot, error)) << error;
  fs::remove(out);
  ASSERT_EQ(shot.width, 640);
  const int expected[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {128, 128, 128}};
  for (int band = 0; band < 4; ++band) {
    const uint8_t* pixel = &shot.rgba[(size_t{240} * 640 + size_t(band) * 160 + 80) * 4];
    for (int c = 0; c < 3; ++c) {
      EXPECT_NEAR(pixel[c], expected[band][c], 1) << "band " << band << ", channel " << c;
    }
  }
}

}  // namespace
}  // namespace quarvex
