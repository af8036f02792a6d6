// Armoured car, troop truck and jeep move by a throttle instead of the fixed
// speeds of their type: it climbs and falls by 1 a frame and steering grows
// with it.

#include "sim/type_actions.h"
#include "sim/unit_motion.h"

namespace quarvex {
namespace {

struct ThrottleRange {
  int8_t minimum;
  int8_t maximum;
};

ThrottleRange throttle_range(int8_t type) {
  switch (type) {
    case 10:
      return {-8, 10};
    case 19:
      return {-10, 12};
    case 20:
      return {-12, 14};
    default:
      return {0, 0};
  }
}

}  // namespace

void drive_throttle_vehicle(World& w, int16_t index) {
  Unit& u = w.units[index];
  int speed = u.speed;
  if (u.control_bits & kForward) {
    speed += 1;
  } else if (u.control_bits & kBack) {
    speed -= 1;
  } else if (speed > 0) {
    speed -= 1;
  } else if (speed < 0) {
    speed += 1;
  }
  const ThrottleRange range = throttle_range(u.type);
  if (speed > range.maximum) speed = range.maximum;
  if (speed < range.minimum) speed = range.minimum;
  u.speed = static_cast<int8_t>(speed);

  move_forward(u, u.speed);
  // Steering is mirrored when reversing and vanishes at a standstill.
  if (u.control_bits & kTurnLeft) turn_degrees(u, u.speed / 5.0);
  if (u.control_bits & kTurnRight) turn_degrees(u, -(u.speed / 5.0));
}

}  // namespace quarvex
