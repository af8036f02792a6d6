#pragma once
// Reduction of an angle by multiples of pi/2, for the game's own sine and
// cosine (world/trig.h). docs/maths.md states every step and constant.

#include <cstdint>

#include "world/float_bits.h"

namespace quarvex {

// The upper and lower 32 bits of a double's representation.
inline uint32_t high_word(double x) {
  return static_cast<uint32_t>(bits_of(x) >> 32);
}
inline uint32_t low_word(double x) {
  return static_cast<uint32_t>(bits_of(x));
}

// A reduced angle: x = quadrant * pi/2 + hi + lo, with |hi + lo| about pi/4
// at most and lo below half of hi's last bit.
struct ReducedAngle {
  int32_t quadrant;
  double hi;
  double lo;
};

// Any x with |x| > pi/4. Infinities and NaN give quadrant 0 and x - x.
ReducedAngle reduce_by_half_pi(double x);

}  // namespace quarvex
