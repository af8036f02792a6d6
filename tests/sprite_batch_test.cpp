// The sprite batch keeps the game's drawing order and groups texture runs.

#include <gtest/gtest.h>

#include <limits>

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
  ASSERT_TRUE(batch.add_quad(3, false, corners(1)));
  ASSERT_TRUE(batch.add_quad(3, false, corners(2)));
  ASSERT_TRUE(batch.add_quad(5, false, corners(3)));
  ASSERT_TRUE(batch.add_quad(3, false, corners(4)));
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
  EXPECT_TRUE(batch.add_quad(1, false, corners(1)));
  EXPECT_TRUE(batch.add_quad(1, false, corners(2)));
  EXPECT_FALSE(batch.add_quad(1, false, corners(3)));
  EXPECT_EQ(batch.vertices().size(), 12u);
  batch.clear();
  EXPECT_TRUE(batch.empty());
  EXPECT_TRUE(batch.add_quad(2, false, corners(3)));
  EXPECT_EQ(batch.runs().size(), 1u);
}

TEST(SpriteBatch, AQuadIsOpaqueOnlyWithAnOpaqueTextureAndFullAlphaAtEveryCorner) {
  SpriteBatch batch(8);
  std::array<BatchVertex, 4> solid = corners(1);
  for (BatchVertex& c : solid) c.a = 255;
  std::array<BatchVertex, 4> one_faded = solid;
  one_faded[2].a = 254;
  ASSERT_TRUE(batch.add_quad(3, true, solid));
  ASSERT_TRUE(batch.add_quad(3, true, solid));
  ASSERT_TRUE(batch.add_quad(3, true, one_faded));  // same texture, a new run
  ASSERT_TRUE(batch.add_quad(3, false, solid));
  ASSERT_TRUE(batch.add_quad(3, true, solid));
  ASSERT_EQ(batch.runs().size(), 3u);
  EXPECT_TRUE(batch.runs()[0].opaque);
  EXPECT_EQ(batch.runs()[0].vertex_count, 12u);
  EXPECT_FALSE(batch.runs()[1].opaque);
  EXPECT_EQ(batch.runs()[1].vertex_count, 12u);
  EXPECT_TRUE(batch.runs()[2].opaque);
}

std::array<BatchVertex, 4> clip_quad(std::array<std::array<float, 4>, 4> xyzw) {
  std::array<BatchVertex, 4> c{};
  for (size_t i = 0; i < 4; ++i) {
    c[i].x = xyzw[i][0];
    c[i].y = xyzw[i][1];
    c[i].z = xyzw[i][2];
    c[i].w = xyzw[i][3];
  }
  return c;
}

TEST(OutsideView, OnlyAQuadWhollyBeyondOneSideIsLeftOut) {
  // Wholly to the right, and wholly beyond the far plane.
  EXPECT_TRUE(outside_view(clip_quad({{{2, 0, 0, 1}, {3, 0, 0, 1}, {3, 1, 0, 1}, {2, 1, 0, 1}}})));
  EXPECT_TRUE(outside_view(clip_quad({{{0, 0, 2, 1}, {1, 0, 2, 1}, {1, 1, 2, 1}, {0, 1, 2, 1}}})));
  // Wider than the view, every corner outside but on different sides: it
  // covers the whole picture.
  EXPECT_FALSE(
      outside_view(clip_quad({{{-5, -5, 0, 1}, {-5, 5, 0, 1}, {5, 5, 0, 1}, {5, -5, 0, 1}}})));
  // One corner inside is enough.
  EXPECT_FALSE(
      outside_view(clip_quad({{{0.5f, 0, 0, 1}, {3, 0, 0, 1}, {3, 1, 0, 1}, {2, 1, 0, 1}}})));
  // The view volume grows with w: x = 2 is inside at w = 4.
  EXPECT_FALSE(outside_view(clip_quad({{{2, 0, 0, 4}, {3, 0, 0, 4}, {3, 1, 0, 4}, {2, 1, 0, 4}}})));
  // A corner at NaN could be anywhere.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(
      outside_view(clip_quad({{{nan, 0, 0, 1}, {3, 0, 0, 1}, {3, 1, 0, 1}, {2, 1, 0, 1}}})));
}

TEST(CoversPicture, OnlyAConvexQuadAroundThePictureInsideTheDepthRange) {
  // Around the picture, in either winding and at any w.
  EXPECT_TRUE(
      covers_picture(clip_quad({{{-5, -5, 0, 1}, {-5, 5, 0, 1}, {5, 5, 0, 1}, {5, -5, 0, 1}}})));
  EXPECT_TRUE(
      covers_picture(clip_quad({{{-5, -5, 0, 1}, {5, -5, 0, 1}, {5, 5, 0, 1}, {-5, 5, 0, 1}}})));
  EXPECT_TRUE(covers_picture(
      clip_quad({{{-10, -10, 1, 2}, {-10, 10, 1, 2}, {10, 10, 1, 2}, {10, -10, 1, 2}}})));
  // Turned a quarter of a right angle, still around it.
  EXPECT_TRUE(
      covers_picture(clip_quad({{{0, -3, 0, 1}, {-3, 0, 0, 1}, {0, 3, 0, 1}, {3, 0, 0, 1}}})));
  // Exactly the picture leaves the edge pixels to rounding; a diamond through
  // the picture's corners misses them.
  EXPECT_FALSE(
      covers_picture(clip_quad({{{-1, -1, 0, 1}, {-1, 1, 0, 1}, {1, 1, 0, 1}, {1, -1, 0, 1}}})));
  EXPECT_FALSE(
      covers_picture(clip_quad({{{0, -2, 0, 1}, {-2, 0, 0, 1}, {0, 2, 0, 1}, {2, 0, 0, 1}}})));
  // Short of the right edge.
  EXPECT_FALSE(covers_picture(
      clip_quad({{{-5, -5, 0, 1}, {-5, 5, 0, 1}, {0.9f, 5, 0, 1}, {0.9f, -5, 0, 1}}})));
  // Beyond the far plane, or with a corner behind the eye.
  EXPECT_FALSE(
      covers_picture(clip_quad({{{-5, -5, 2, 1}, {-5, 5, 2, 1}, {5, 5, 2, 1}, {5, -5, 2, 1}}})));
  EXPECT_FALSE(
      covers_picture(clip_quad({{{-5, -5, 0, 1}, {-5, 5, 0, -1}, {5, 5, 0, 1}, {5, -5, 0, 1}}})));
  // Folded into a bow tie: the triangles (0,1,2) and (0,2,3) leave gaps.
  EXPECT_FALSE(
      covers_picture(clip_quad({{{-5, -5, 0, 1}, {5, 5, 0, 1}, {-5, 5, 0, 1}, {5, -5, 0, 1}}})));
  // Dented: one corner pulled inside the picture.
  EXPECT_FALSE(
      covers_picture(clip_quad({{{-5, -5, 0, 1}, {-5, 5, 0, 1}, {0, 0, 0, 1}, {5, -5, 0, 1}}})));
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(
      covers_picture(clip_quad({{{nan, -5, 0, 1}, {-5, 5, 0, 1}, {5, 5, 0, 1}, {5, -5, 0, 1}}})));
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
