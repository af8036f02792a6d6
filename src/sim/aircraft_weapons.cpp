// The Sky Lancer's sweeping salvo and the heavy attack plane's twin missiles.

#include "sim/type_actions.h"
#include "sim/unit_motion.h"
#include "world/tables.h"
#include "world/trig.h"

namespace quarvex {
namespace {
constexpr int8_t kSalvoShot = 14;
constexpr int8_t kSalvoLength = 14;
}  // namespace

void fire_salvo(World& w, int16_t index) {
  Unit& u = w.units[index];
  if ((u.control_bits & kFire) && u.charge >= 100 && u.speed == 0) {
    u.charge = static_cast<int8_t>(u.charge - 100);
    u.speed = 1;
  }
  if (u.speed < 1) return;
  // Shot n leaves at 12n - 90 degrees off the heading: from 78 right to 78 left.
  const double direction = wide(u.heading) + (12 * u.speed - 90) * kDegree;
  const Direction f = forward(direction);
  const auto px = static_cast<float>(wide(u.x) + 6 * f.x);
  const auto py = static_cast<float>(wide(u.y) + 6 * f.y);
  const auto course = static_cast<float>(direction);
  spawn_projectile(w, px, py, course, kSalvoShot, u.side, 0);
  spawn_particle(w, px, py, course, 0, 0, 0, 8, 4, 11, 100);
  u.speed = static_cast<int8_t>(u.speed + 1);
  if (u.speed == kSalvoLength + 1) u.speed = 0;
}

void fire_twin_missiles(World& w, int16_t index) {
  Unit& u = w.units[index];
  if ((u.control_bits & kFire) == 0 || u.charge < 100) return;
  u.charge = static_cast<int8_t>(u.charge - 100);
  // One missile from each wing, 2 units to either side.
  const SinCos side = game_sincos(wide(u.heading));
  const double sx = 2 * side.cos;
  const double sy = 2 * side.sin;
  spawn_projectile(w, static_cast<float>(wide(u.x) + sx), static_cast<float>(wide(u.y) + sy),
                   u.heading, kWeaponHoming, u.side, u.target);
  spawn_projectile(w, static_cast<float>(wide(u.x) - sx), static_cast<float>(wide(u.y) - sy),
                   u.heading, kWeaponHoming, u.side, u.target);
}

}  // namespace quarvex
