// One step of every unit per frame, in slot order: motion, turning, recharge,
// fire, the rule of its type, destruction, orphan removal and the map edge.

#include "sim/sim.h"
#include "sim/type_actions.h"
#include "sim/unit_motion.h"
#include "world/geometry.h"
#include "world/tables.h"

namespace quarvex {
namespace {

constexpr float kMapEdge = 500.0f;
constexpr double kRotorDegrees = 21.0;
constexpr int kChargeFull = 100;

// Map units per frame that bits 0x10/0x20 move these types sideways; 0 = none.
double side_step_length(int8_t type) {
  switch (type) {
    case 0:
      return 0.2;
    case 6:
      return 0.4;
    case 16:
      return 0.1;
    case 22:
      return 0.15;
    case 31:
      return 0.15;
    case 35:
      return 0.5;
    case 46:
      return 0.5;
    case 53:
      return 0.45;
    default:
      return 0.0;
  }
}

// Degrees per frame that a mounted unit turns on its parent's bits 0x10/0x20; 0 = none.
double turret_turn_degrees(int8_t type) {
  switch (type) {
    case 3:
      return 2.5;
    case 5:
      return 2.0;
    case 9:
      return 3.0;
    case 12:
      return 1.5;
    case 13:
      return 2.0;
    case 14:
      return 2.0;
    case 18:
      return 3.0;
    case 28:
      return 1.5;
    case 40:
      return 1.5;
    case 41:
      return 2.0;
    default:
      return 0.0;
  }
}

// Spends the charge and reports true when the weapon may fire this frame.
bool try_spend_charge(const World& w, Unit& u, int8_t weapon) {
  if (weapon == -1) return false;
  const ProjectileType& p = projectile_type(weapon);
  if (p.fire_interval <= 0 || w.frame_counter % p.fire_interval != 0) return false;
  if (u.charge < p.charge_cost) return false;
  u.charge = static_cast<int8_t>(u.charge - p.charge_cost);
  return true;
}

void fire_own_weapon(World& w, Unit& u) {
  if ((u.control_bits & kFire) == 0) return;
  const int8_t weapon = unit_type(u.type).weapon;
  if (!try_spend_charge(w, u, weapon)) return;
  const int16_t aux = (weapon == kWeaponHoming) ? u.target : int16_t{0};
  spawn_projectile(w, u.x, u.y, u.heading, weapon, u.side, aux);
}

// A turret fires its own weapon from its parent's position when the parent fires.
void fire_mounted_weapon(World& w, Unit& u) {
  if (u.parent == 0) return;
  const Unit& parent = unit_at(w, u.parent);
  if ((parent.control_bits & kFire) == 0) return;
  const int8_t weapon = unit_type(u.type).weapon;
  if (!try_spend_charge(w, u, weapon)) return;
  const int16_t aux = (weapon == kWeaponHoming) ? parent.target : int16_t{0};
  spawn_projectile(w, static_cast<float>(wide(parent.x) + wide(u.x)),
                   static_cast<float>(wide(parent.y) + wide(u.y)),
                   static_cast<float>(wide(parent.heading) + wide(u.heading)), weapon, u.side, aux);
}

void side_step(Unit& u) {
  const double step = side_step_length(u.type);
  if (step == 0.0) return;
  if (u.control_bits & kAuxLeft) step_sideways(u, -step);
  if (u.control_bits & kAuxRight) step_sideways(u, step);
}

void turn_turret(World& w, Unit& u) {
  if (u.parent == 0) return;
  const double rate = turret_turn_degrees(u.type);
  if (rate == 0.0) return;
  const uint8_t parent_bits = unit_at(w, u.parent).control_bits;
  if (parent_bits & kAuxLeft) turn_degrees(u, rate);
  if (parent_bits & kAuxRight) turn_degrees(u, -rate);
}

void run_type_rule(World& w, int16_t index) {
  Unit& u = w.units[index];
  side_step(u);
  turn_turret(w, u);
  if (u.type == kTypeRotor) turn_degrees(u, kRotorDegrees);
  run_type_action(w, index);
}

// The wreck: cell, life, spin and angle are drawn in this order.
void explode(World& w, const Unit& u, int8_t type) {
  const auto cell = static_cast<uint8_t>(random_below(w, 2));
  const auto life = static_cast<uint8_t>(7 + random_below(w, 3));
  const auto spin = static_cast<int8_t>(random_spread(w, 5));
  const auto angle = static_cast<float>(random_below(w, 360) * kDegree);
  const auto size = static_cast<int8_t>(trunc_to_int(1.5 * unit_type(type).size));
  spawn_particle(w, u.x, u.y, angle, 0, 0, spin, life, 0, cell, size);
}

void keep_on_map(Unit& u) {
  if (u.x > kMapEdge) u.x = kMapEdge;
  if (u.y > kMapEdge) u.y = kMapEdge;
  if (u.x < -kMapEdge) u.x = -kMapEdge;
  if (u.y < -kMapEdge) u.y = -kMapEdge;
}

void step_unit(World& w, int16_t index) {
  Unit& u = w.units[index];
  // The type the unit entered the pass with: its type action may free the slot
  // before the wreck is drawn, and the wreck keeps the size of what it was.
  const int8_t entry_type = u.type;
  const UnitType& t = unit_type(entry_type);

  move_forward(u, t.cruise_speed);
  if (u.control_bits & kForward) move_forward(u, t.fwd_speed);
  if (u.control_bits & kBack) move_forward(u, t.back_speed);
  if (u.control_bits & kTurnLeft) turn_degrees(u, t.turn_rate / 10.0);
  if (u.control_bits & kTurnRight) turn_degrees(u, -(t.turn_rate / 10.0));

  int charge = u.charge + t.recharge;
  if (charge > kChargeFull) charge = kChargeFull;
  u.charge = static_cast<int8_t>(charge);

  fire_own_weapon(w, u);
  fire_mounted_weapon(w, u);
  run_type_rule(w, index);

  if (u.health <= 0) {
    explode(w, u, entry_type);
    u.type = -1;
  }
  if (u.parent != 0 && unit_at(w, u.parent).type == -1) u.type = -1;
  keep_on_map(u);
}

}  // namespace

void update_units(World& w) {
  for (int16_t i = 1; i <= kMaxUnit; ++i) {
    if (w.units[i].type == -1) continue;
    step_unit(w, i);
  }
}

}  // namespace quarvex
