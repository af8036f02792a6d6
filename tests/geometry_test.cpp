#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "world/geometry.h"

namespace quarvex {
namespace {

TEST(RandomGenerator, FollowsTheLinearCongruentialSequence) {
  World w{};
  init_world(w);
  // First draws from the initial state 1.
  EXPECT_EQ(next_random(w), 41);
  EXPECT_EQ(next_random(w), 18467);
  EXPECT_EQ(next_random(w), 6334);
  seed_random(w, 5);
  const uint32_t expected_state = 5u * 214013u + 2531011u;
  EXPECT_EQ(next_random(w), static_cast<int32_t>((expected_state >> 16) & 0x7FFF));
}

TEST(DistanceEstimate, LargerPlusHalfTheSmaller) {
  EXPECT_FLOAT_EQ(distance_estimate(3, 4), 5.5f);
  EXPECT_FLOAT_EQ(distance_estimate(4, 3), 5.5f);
  EXPECT_FLOAT_EQ(distance_estimate(10, 0), 10.0f);
  EXPECT_FLOAT_EQ(distance_estimate(7, 7), 10.5f);
  // Both truncate to 0: the second branch keeps the fractions.
  EXPECT_FLOAT_EQ(distance_estimate(0.9f, 0.4f), 1.1f);
}

TEST(WrapAngle, BringsAnglesIntoOneTurn) {
  float a = -0.5f;
  wrap_angle(a);
  EXPECT_FLOAT_EQ(a, static_cast<float>(-0.5 + 6.283184051513672));
  float b = kTwoPi;
  wrap_angle(b);
  EXPECT_EQ(b, 0.0f);
  float c = 13.0f;
  wrap_angle(c);
  EXPECT_NEAR(c, 0.433632, 1e-5);
}

TEST(TurnSide, AxisPointsCountAsBearingZero) {
  // P straight along +x: bearing 0, so the heading that would face it wraps to 270 degrees.
  EXPECT_EQ(turn_side(10, 0, 0, 0, 0.0f), 1);
  EXPECT_EQ(turn_side(10, 0, 0, 0, 3.0f), 0);
  // P = Q behaves the same.
  EXPECT_EQ(turn_side(0, 0, 0, 0, 0.0f), 1);
  // A point ahead and to the left of heading 0 (which faces +y).
  EXPECT_EQ(turn_side(-5, 10, 0, 0, 0.0f), 0);
  EXPECT_EQ(turn_side(5, 10, 0, 0, 0.0f), 1);
}

TEST(RandomSpread, ConsumesOneDrawAndStaysInRange) {
  World w{};
  init_world(w);
  World copy = w;
  EXPECT_EQ(random_spread(w, 0), 0);
  next_random(copy);
  EXPECT_EQ(w.rand_state, copy.rand_state);
  for (int i = 0; i < 1000; ++i) {
    const int32_t r = random_spread(w, 5);
    EXPECT_GE(r, -5);
    EXPECT_LE(r, 5);
  }
}

}  // namespace
}  // namespace quarvex

namespace quarvex {
namespace {

TEST(DistanceEstimate, ExtremeArgumentsStayDefined) {
  // Truncation saturates; the branch test must not overflow on the most negative value.
  EXPECT_FLOAT_EQ(distance_estimate(-3e9f, 0), -3e9f);
  EXPECT_FLOAT_EQ(point_distance(0.9, 0, 0, 0), 0);  // differences are truncated first
  EXPECT_FLOAT_EQ(point_distance(-10.5, 4.2, 0, 0), 12.0f);
}

TEST(PointDistance, ShortcutOnTheMapAgreesBitForBitWithTheGeneralEstimate) {
  const auto general = [](double ax, double ay, double bx, double by) {
    const auto dx = static_cast<float>(std::abs(int64_t{trunc_to_int(ax - bx)}));
    const auto dy = static_cast<float>(std::abs(int64_t{trunc_to_int(ay - by)}));
    return distance_estimate(dx, dy);
  };
  const double magnitudes[] = {0.0,        0.4,        0.5,      0.99,         1.0,
                               7.5,        499.9,      1000.0,   16777215.0,   16777215.9,
                               16777216.0, 16777217.0, 3.3554e7, 2147483647.0, 5e9};
  for (const double mx : magnitudes) {
    for (const double my : magnitudes) {
      for (const double sx : {-1.0, 1.0}) {
        for (const double sy : {-1.0, 1.0}) {
          const double ax = sx * mx + 0.25;
          const double ay = sy * my - 0.25;
          EXPECT_EQ(std::bit_cast<uint32_t>(point_distance(ax, ay, 0.25, -0.25)),
                    std::bit_cast<uint32_t>(general(ax, ay, 0.25, -0.25)))
              << mx << " " << my << " " << sx << " " << sy;
        }
      }
    }
  }
  const double nan = std::nan("");
  EXPECT_EQ(point_distance(nan, 3.0, 0.0, 0.0), general(nan, 3.0, 0.0, 0.0));
}

TEST(RandomBelow, ZeroRangeTakesTheDrawAndReturnsZero) {
  World w{};
  init_world(w);
  EXPECT_EQ(random_below(w, 0), 0);
  EXPECT_EQ(w.rand_state, 1u * 214013u + 2531011u);
  EXPECT_EQ(random_below(w, 7), 18467 % 7);
}

TEST(WrapAngle, HugeOrNonFiniteAnglesEndInOneTurn) {
  float huge = 1e30f;
  wrap_angle(huge);
  EXPECT_GE(huge, 0.0f);
  EXPECT_LT(huge, kTwoPi);
}

TEST(TurnSide, NegativeHeadingKeepsItsSignInWholeDegrees) {
  // Heading -0.5 rad enters as -28 whole degrees; one point to its left, one to its right.
  EXPECT_EQ(turn_side(-10, 1, 0, 0, -0.5f), 0);
  EXPECT_EQ(turn_side(10, 1, 0, 0, -0.5f), 1);
}

}  // namespace
}  // namespace quarvex
