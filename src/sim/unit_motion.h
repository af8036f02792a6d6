#pragma once
// Moving and turning a unit along its heading. Every result is computed in
// double and stored back into the unit's float fields.

#include <cmath>

#include "world/world.h"

namespace quarvex {

// Direction of travel of a heading: heading 0 faces +y, growing turns left.
inline double forward_x(double heading) {
  return std::cos(heading + kHalfPi);
}
inline double forward_y(double heading) {
  return std::sin(heading + kHalfPi);
}

// Moves the unit along its heading by speed/20 map units.
inline void move_forward(Unit& u, double speed) {
  const double h = u.heading;
  // A move of no length leaves a normal position bit for bit as it is; the
  // cosine and sine are most of the cost of a unit's step, and most units
  // have no cruising speed. Zero, infinite and NaN positions take the sum.
  if (speed == 0.0 && std::isfinite(h) && std::isnormal(u.x) && std::isnormal(u.y)) return;
  u.x = static_cast<float>(u.x + forward_x(h) * speed / 20.0);
  u.y = static_cast<float>(u.y + forward_y(h) * speed / 20.0);
}

// Moves the unit along its side vector (cos h, sin h), which points a quarter
// turn to the right of its heading.
inline void step_sideways(Unit& u, double distance) {
  const double h = u.heading;
  u.x = static_cast<float>(u.x + std::cos(h) * distance);
  u.y = static_cast<float>(u.y + std::sin(h) * distance);
}

inline void turn_degrees(Unit& u, double degrees) {
  u.heading = static_cast<float>(u.heading + degrees * kDegree);
}

}  // namespace quarvex
