#pragma once
// Moving and turning a unit along its heading. Every result is computed in
// double and stored back into the unit's float fields.

#include <cmath>

#include "world/trig.h"
#include "world/world.h"

namespace quarvex {

struct Direction {
  double x;
  double y;
};

// Direction of travel of a heading: heading 0 faces +y, growing turns left.
inline Direction forward(double heading) {
  const SinCos turned = game_sincos(heading + kHalfPi);
  return {turned.cos, turned.sin};
}

// Moves the unit along its heading by speed/20 map units.
inline void move_forward(Unit& u, double speed) {
  const double h = wide(u.heading);
  // A move of no length leaves a normal position bit for bit as it is; the
  // cosine and sine are most of the cost of a unit's step, and most units
  // have no cruising speed. Zero, infinite and NaN positions take the sum.
  if (speed == 0.0 && std::isfinite(h) && std::isnormal(u.x) && std::isnormal(u.y)) return;
  const Direction f = forward(h);
  u.x = static_cast<float>(wide(u.x) + f.x * speed / 20.0);
  u.y = static_cast<float>(wide(u.y) + f.y * speed / 20.0);
}

// Moves the unit along its side vector (cos h, sin h), which points a quarter
// turn to the right of its heading.
inline void step_sideways(Unit& u, double distance) {
  const SinCos side = game_sincos(wide(u.heading));
  u.x = static_cast<float>(wide(u.x) + side.cos * distance);
  u.y = static_cast<float>(wide(u.y) + side.sin * distance);
}

inline void turn_degrees(Unit& u, double degrees) {
  u.heading = static_cast<float>(wide(u.heading) + degrees * kDegree);
}

}  // namespace quarvex
