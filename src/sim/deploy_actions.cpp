// Units that put other units into the field: the troop truck's infantry, the
// transport's paratroopers, the landing canopy, the engineer's charge and the
// grenadier's grenade.

#include "sim/type_actions.h"
#include "world/geometry.h"

namespace quarvex {
namespace {

constexpr int8_t kTypeInfantry = 16;
constexpr int8_t kTypeCanopy = 30;
constexpr int8_t kTypeSpecialForces = 31;
constexpr int8_t kTypeGrenade = 37;
constexpr int8_t kTypeDemolitionCharge = 38;
constexpr float kGrenadeZ = 92.0f;
constexpr int kCanopySteps = 60;
constexpr int8_t kChargeFuseStart = -20;

bool fire_held(const Unit& u) {
  return (u.control_bits & kFire) != 0;
}

float facing_backwards(const Unit& u) {
  return static_cast<float>(wide(u.heading) + kPi);
}

}  // namespace

void unload_infantry(World& w, int16_t index) {
  Unit& u = w.units[index];
  if (!fire_held(u) || w.frame_counter % 10 != 0 || u.charge < 20) return;
  u.charge = static_cast<int8_t>(u.charge - 20);
  const int16_t soldier =
      spawn_unit(w, u.x, u.y, kGroundZ, facing_backwards(u), 0, kTypeInfantry, u.side);
  inherit_order(w, soldier, u);
}

void drop_paratrooper(World& w, int16_t index) {
  Unit& u = w.units[index];
  if (!fire_held(u) || w.frame_counter % 8 != 0 || u.charge < 10) return;
  u.charge = static_cast<int8_t>(u.charge - 10);
  const int16_t canopy =
      spawn_unit(w, u.x, u.y, kAirZ, facing_backwards(u), 0, kTypeCanopy, u.side);
  inherit_order(w, canopy, u);
}

void descend_under_canopy(World& w, int16_t index) {
  Unit& u = w.units[index];
  const int steps_before = u.speed;
  u.speed = static_cast<int8_t>(steps_before + 1);
  if (steps_before >= kCanopySteps) {
    const int16_t soldier =
        spawn_unit(w, u.x, u.y, kGroundZ, u.heading, 0, kTypeSpecialForces, u.side);
    inherit_order(w, soldier, u);
    u.type = -1;
  }
  // The canopy drifts: k is a whole number of radians, less one degree.
  if (random_below(w, 5) == 1) {
    const int32_t k = random_below(w, 3);
    u.heading = static_cast<float>(wide(u.heading) + (k - kDegree));
  }
}

void lay_demolition_charge(World& w, int16_t index) {
  Unit& u = w.units[index];
  if (!fire_held(u) || u.charge < 100) return;
  u.charge = static_cast<int8_t>(u.charge - 100);
  const int16_t charge =
      spawn_unit(w, u.x, u.y, kGroundZ, u.heading, 0, kTypeDemolitionCharge, u.side);
  if (charge != 0) w.units[charge].speed = kChargeFuseStart;
}

void throw_grenade(World& w, int16_t index) {
  Unit& u = w.units[index];
  if (!fire_held(u) || u.charge < 100) return;
  u.charge = static_cast<int8_t>(u.charge - 100);
  spawn_unit(w, u.x, u.y, kGrenadeZ, u.heading, 0, kTypeGrenade, u.side);
}

}  // namespace quarvex
