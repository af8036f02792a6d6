#pragma once
// Planar helpers and the shared random generator used by every step.

#include <cstdint>

#include "world/world.h"

namespace quarvex {

// Larger plus half the smaller; callers pass |trunc(dx)|, |trunc(dy)|.
float distance_estimate(float a, float b);

// Estimate between two points with whole-unit differences, the range test
// every rule uses.
float point_distance(double ax, double ay, double bx, double by);

// Brings an angle into 0 <= angle < 2*pi, rounding each step to float.
void wrap_angle(float& angle);

// 0 when P lies within the half-turn to the left of the heading seen from Q,
// 1 when it lies to the right.
uint8_t turn_side(float px, float py, float qx, float qy, float heading);

// The generator: state = state * 214013 + 2531011, yields bits 16..30.
void seed_random(World& w, uint32_t seed);
int32_t next_random(World& w);
// Non-negative remainder of one draw; 0 (the draw still taken) for n = 0,
// which would otherwise divide by zero.
inline int32_t random_below(World& w, int32_t n) {
  const int32_t r = next_random(w);
  return n == 0 ? 0 : r % n;
}
// One draw reduced to -n..n.
int32_t random_spread(World& w, int8_t n);

// Whole-number truncation toward zero as the rules use it (saturating for
// values outside the 32-bit range, so no undefined conversion).
int32_t trunc_to_int(double v);

}  // namespace quarvex
