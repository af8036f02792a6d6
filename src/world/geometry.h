#pragma once
// Planar helpers and the shared random generator used by every step.

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "world/world.h"

namespace quarvex {

// Whole-number truncation toward zero as the rules use it (saturating for
// values outside the 32-bit range, so no undefined conversion).
inline int32_t trunc_to_int(double v) {
  if (!(v == v)) return 0;  // NaN
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// Larger plus half the smaller; callers pass |trunc(dx)|, |trunc(dy)|.
inline float distance_estimate(float a, float b) {
  // In 64 bits: the magnitude of the most negative 32-bit value does not fit in 32.
  const int64_t ia = std::abs(int64_t{trunc_to_int(wide(a))});
  const int64_t ib = std::abs(int64_t{trunc_to_int(wide(b))});
  if (ia < ib) return static_cast<float>(wide(b) + wide(a) / 2);
  return static_cast<float>(wide(a) + wide(b) / 2);
}

// Estimate between two points with whole-unit differences, the range test
// every rule uses. Inline: the hit test and the unit control call it hundreds
// of thousands of times a second.
inline float point_distance(double ax, double ay, double bx, double by) {
  const double ddx = ax - bx;
  const double ddy = ay - by;
  // Below 2^24 every whole difference is exact as a float, so the estimate
  // reduces to whole numbers; this is the case on the map.
  if (std::abs(ddx) < 16777216.0 && std::abs(ddy) < 16777216.0) {
    const int32_t ix = std::abs(static_cast<int32_t>(ddx));
    const int32_t iy = std::abs(static_cast<int32_t>(ddy));
    const int32_t larger = ix < iy ? iy : ix;
    const int32_t smaller = ix < iy ? ix : iy;
    return static_cast<float>(larger + smaller / 2.0);
  }
  // The magnitude is taken in 64 bits, so a difference saturated at the
  // most negative 32-bit value is far, not negative.
  const auto dx = static_cast<float>(std::abs(int64_t{trunc_to_int(ddx)}));
  const auto dy = static_cast<float>(std::abs(int64_t{trunc_to_int(ddy)}));
  return distance_estimate(dx, dy);
}

// Brings an angle into 0 <= angle < 2*pi, rounding each step to float.
void wrap_angle(float& angle);

// 0 when P lies within the half-turn to the left of the heading seen from Q,
// 1 when it lies to the right.
uint8_t turn_side(float px, float py, float qx, float qy, float heading);

// The generator: state = state * 214013 + 2531011, yields bits 16..30.
void seed_random(World& w, uint32_t seed);
inline int32_t next_random(World& w) {
  w.rand_state = w.rand_state * 214013u + 2531011u;
  return static_cast<int32_t>((w.rand_state >> 16) & 0x7FFF);
}
// Non-negative remainder of one draw; 0 (the draw still taken) for n = 0,
// which would otherwise divide by zero.
inline int32_t random_below(World& w, int32_t n) {
  const int32_t r = next_random(w);
  return n == 0 ? 0 : r % n;
}
// One draw reduced to -n..n.
int32_t random_spread(World& w, int8_t n);

}  // namespace quarvex
