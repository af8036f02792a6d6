// Things that burst into fragments: the demolition charge, the grenade and
// the mortar's shell.

#include "sim/type_actions.h"
#include "sim/unit_motion.h"
#include "world/geometry.h"

namespace quarvex {
namespace {

constexpr int8_t kFragmentLong = 10;   // flies for 10..19 frames
constexpr int8_t kFragmentShort = 15;  // flies for 6..11 frames

// Fragments fly in random whole-degree directions; each draws its speed first
// and its course second.
void burst(World& w, float x, float y, int8_t side, int count, int8_t kind, int base_speed,
           int speed_range) {
  for (int i = 0; i < count; ++i) {
    const auto speed = static_cast<int16_t>(base_speed + random_below(w, speed_range));
    const auto course = static_cast<float>(random_below(w, 360) * kDegree);
    spawn_projectile(w, x, y, course, kind, side, speed);
  }
}

}  // namespace

void burn_demolition_fuse(World& w, int16_t index) {
  Unit& u = w.units[index];
  u.speed = static_cast<int8_t>(u.speed + 1);
  if (u.speed < 120) return;
  burst(w, u.x, u.y, u.side, 30, kFragmentLong, 20, 20);
  u.type = -1;
}

void fly_grenade(World& w, int16_t index) {
  Unit& u = w.units[index];
  // The fuse counts 2 a step, so the flight slows by 0.1 a step to a halt.
  move_forward(u, 40 - u.speed);
  u.speed = static_cast<int8_t>(u.speed + 1);
  if (u.speed >= 40) {
    burst(w, u.x, u.y, u.side, 5, kFragmentShort, 8, 10);
    u.type = -1;
  }
  u.speed = static_cast<int8_t>(u.speed + 1);
}

void fire_mortar(World& w, int16_t index) {
  Unit& u = w.units[index];
  if ((u.control_bits & kFire) == 0 || u.charge < 100) return;
  u.charge = static_cast<int8_t>(u.charge - 100);
  const auto [fx, fy] = forward(wide(u.heading));

  const auto puff_angle = static_cast<float>(random_below(w, 360) * kDegree);
  spawn_particle(w, static_cast<float>(wide(u.x) + 2 * fx), static_cast<float>(wide(u.y) + 2 * fy),
                 puff_angle, static_cast<int8_t>(trunc_to_int(10 * fx)),
                 static_cast<int8_t>(trunc_to_int(10 * fy)), 0, 4, 0, 10, 25);

  // The shell does not fly: its fragments appear 35 units ahead, off by up to 6.
  const auto ix = static_cast<float>(wide(u.x) + 35 * fx + random_spread(w, 6));
  const auto iy = static_cast<float>(wide(u.y) + 35 * fy + random_spread(w, 6));
  burst(w, ix, iy, u.side, 8, kFragmentShort, 10, 15);
}

}  // namespace quarvex
