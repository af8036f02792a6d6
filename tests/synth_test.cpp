// The synthesiser's recipes: errors name their line, the sound comes out at
// the recipe's peak, loops close without a seam, and every recipe in the
// game's assets makes a sound.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "recipe.h"
#include "render.h"
#include "test_files.h"

namespace quarvex {
namespace {

Recipe parsed(const std::string& text) {
  Recipe recipe;
  std::vector<std::string> errors;
  parse_recipe(text, "r.txt", recipe, errors);
  EXPECT_TRUE(errors.empty()) << errors.front();
  return recipe;
}

std::vector<std::string> errors_of(const std::string& text) {
  Recipe recipe;
  std::vector<std::string> errors;
  parse_recipe(text, "r.txt", recipe, errors);
  return errors;
}

int loudest(const std::vector<int16_t>& s) {
  int peak = 0;
  for (int16_t x : s) peak = std::max(peak, std::abs(int{x}));
  return peak;
}

TEST(SoundRecipe, EveryFaultyLineIsNamedWithItsNumber) {
  const std::vector<std::string> errors = errors_of(
      "length 0.5\n"
      "gain 2\n"  // 2: before any layer
      "layer sine\n"
      "  pitch 25000\n"       // 4: out of range
      "  envelope 0.1 0.2\n"  // 5: too few values
      "  wobble 3\n"          // 6: unknown
      "peak 0.5\n"            // 7: global after a layer
      "layer hum\n"           // 8: unknown wave
      "  gain 1x\n");         // 9: not a number
  ASSERT_EQ(errors.size(), 7u);
  EXPECT_EQ(errors[0], "r.txt:2: gain belongs to a layer; start one with 'layer'");
  EXPECT_EQ(errors[1], "r.txt:4: pitch 25000 is outside 1..20000");
  EXPECT_EQ(errors[2], "r.txt:5: envelope takes 3 values, not 2");
  EXPECT_EQ(errors[3], "r.txt:6: unknown word 'wobble'");
  EXPECT_EQ(errors[4], "r.txt:7: peak belongs before the first layer");
  EXPECT_EQ(errors[5], "r.txt:8: unknown wave 'hum'");
  EXPECT_EQ(errors[6], "r.txt:9: '1x' is not a number");
}

TEST(SoundRecipe, WholeRecipeMistakesAreCaught) {
  EXPECT_EQ(errors_of("length 1\n").size(), 1u);  // no layer
  EXPECT_EQ(errors_of("length 1\nloop 0.5\nlayer noise\n").size(), 1u);
  EXPECT_EQ(errors_of("length 1\nlayer noise\n start 1.5\n").size(), 1u);
  std::string many = "length 1\n";
  for (int i = 0; i < 17; ++i) many += "layer sine\n";
  EXPECT_EQ(errors_of(many).size(), 1u);
}

TEST(SoundRecipe, SoundComesOutAtItsPeakTheSameEveryTime) {
  const Recipe r = parsed(
      "length 0.3\npeak 0.5\nseed 4\necho 0.05 0.3\n"
      "layer noise\n envelope 0.001 0.01 0.1\n lowpass 3000 300\n drive 2\n"
      "layer square\n pitch 400 100\n envelope 0.01 0 0.2\n vibrato 6 1\n tremolo 20 0.5\n");
  const std::vector<int16_t> a = render_recipe(r);
  ASSERT_EQ(a.size(), 13230u);
  EXPECT_NEAR(loudest(a), 0.5 * 32767, 1);
  EXPECT_EQ(render_recipe(r), a);
  // A sound cut off by its length fades out rather than clicking.
  EXPECT_LT(std::abs(int{a.back()}), 200);
  // A recipe that makes nothing gives nothing.
  EXPECT_TRUE(render_recipe(parsed("length 0.1\nlayer sine\n gain 0\n")).empty());
}

TEST(SoundRecipe, ALoopRunsOnFromItsLastSampleIntoItsFirst) {
  const std::vector<int16_t> loop =
      render_recipe(parsed("length 1.2\nloop 0.2\nlayer saw\n pitch 50\n envelope 0 1.2 0\n"
                           " lowpass 400\n"));
  ASSERT_EQ(loop.size(), 44100u);
  // Across the seam the wave moves no more than it does between neighbours.
  int largest_step = 0;
  for (size_t i = 1; i < loop.size(); ++i) {
    largest_step = std::max(largest_step, std::abs(loop[i] - loop[i - 1]));
  }
  EXPECT_LE(std::abs(loop.front() - loop.back()), largest_step);
}

TEST(SoundRecipe, EveryRecipeOfTheGameMakesASound) {
  const std::filesystem::path folder = std::string(QUARVEX_SOURCE_DIR) + "/assets/sounds";
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    SCOPED_TRACE(entry.path().string());
    const Recipe r = parsed(testing::read_text(entry.path().string()));
    EXPECT_FALSE(render_recipe(r).empty());
    ++count;
  }
  EXPECT_GT(count, 30);
}

}  // namespace
}  // namespace quarvex
