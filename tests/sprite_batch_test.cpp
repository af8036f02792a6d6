// The sprite batch keeps the game's drawing order and groups texture runs.

#include <gtest/gtest.h>

#include "platform/sprite_batch.h"
#include "platform/window.h"

namespace quarvex {
namespace {

std::array<BatchVertex, 4> corners(float tag) {
  std::array<BatchVertex, 4> c{};
  for (int i = 0; i < 4; ++i) c[i].x = tag + static_cast<float>(i) / 10.0f;
  return c;
}

TEST(SpriteBatch, OneRunPerStretchOfOneTextureInDrawingOrder) {
  SpriteBatch batch(8);
  ASSERT_TRUE(batch.add_quad(3, corners(1)));
  ASSERT_TRUE(batch.add_quad(3, corners(2)));
  ASSERT_TRUE(batch.add_quad(5, corners(3)));
  ASSERT_TRUE(batch.add_quad(3, corners(4)));
  ASSERT_EQ(batch.runs().size(), 3u);
  EXPECT_EQ(batch.runs()[0].texture, 3u);
  EXPECT_EQ(batch.runs()[0].vertex_count, 12u);
  EXPECT_EQ(batch.runs()[1].first_vertex, 12u);
  EXPECT_EQ(batch.runs()[2].texture, 3u);
  EXPECT_EQ(batch.runs()[2].first_vertex, 18u);
  // A fan (0,1,2,3) becomes the triangles (0,1,2) and (0,2,3).
  std::vector<float> first;
  for (int i = 0; i < 6; ++i) first.push_back(batch.vertices()[i].x);
  EXPECT_EQ(first, (std::vector<float>{1.0f, 1.1f, 1.2f, 1.0f, 1.2f, 1.3f}));
  EXPECT_EQ(batch.vertices()[18].x, 4.0f);
}

TEST(SpriteBatch, RefusesQuadsBeyondItsCapacityAndStartsAgainWhenCleared) {
  SpriteBatch batch(2);
  EXPECT_TRUE(batch.add_quad(1, corners(1)));
  EXPECT_TRUE(batch.add_quad(1, corners(2)));
  EXPECT_FALSE(batch.add_quad(1, corners(3)));
  EXPECT_EQ(batch.vertices().size(), 12u);
  batch.clear();
  EXPECT_TRUE(batch.empty());
  EXPECT_TRUE(batch.add_quad(2, corners(3)));
  EXPECT_EQ(batch.runs().size(), 1u);
}

TEST(SetColour, SplitsArgbIntoBytes) {
  BatchVertex v{};
  set_colour(v, 0x78B4C8D2u);
  EXPECT_EQ(v.a, 0x78);
  EXPECT_EQ(v.r, 0xB4);
  EXPECT_EQ(v.g, 0xC8);
  EXPECT_EQ(v.b, 0xD2);
}

TEST(Letterbox, WholeScalesCentredAndAProportionalFitWhenTooSmall) {
  const Viewport exact = letterbox(1280, 960);
  EXPECT_EQ(exact.x, 0);
  EXPECT_EQ(exact.width, 1280);
  const Viewport wide = letterbox(1920, 1080);  // scale 2, bars on all sides
  EXPECT_EQ(wide.width, 1280);
  EXPECT_EQ(wide.height, 960);
  EXPECT_EQ(wide.x, 320);
  EXPECT_EQ(wide.y, 60);
  const Viewport small = letterbox(320, 480);
  EXPECT_EQ(small.width, 320);
  EXPECT_EQ(small.height, 240);
  EXPECT_EQ(small.y, 120);
}

}  // namespace
}  // namespace quarvex
