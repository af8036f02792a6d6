// Projectiles: the hit test against the units of other sides, flight, the
// rules of the spinning, homing and fragment kinds, and ageing.

#include "sim/sim.h"
#include "sim/unit_grid.h"
#include "world/geometry.h"
#include "world/tables.h"
#include "world/trig.h"

namespace quarvex {
namespace {

constexpr int8_t kSpinningShell = 0;
constexpr int8_t kSpinningRocket = 3;
constexpr int8_t kHomingMissile = 5;
constexpr int8_t kLongFragment = 10;
constexpr int8_t kShortFragment = 15;

void throw_debris(World& w, const Projectile& p, const ProjectileType& type) {
  const int count = trunc_to_int(type.damage / 3.0) + 1;
  for (int i = 0; i < count; ++i) {
    const auto cell = static_cast<uint8_t>(random_below(w, 2));
    const auto life = static_cast<uint8_t>(random_below(w, 5) + 4);
    const auto dy = static_cast<int8_t>(random_spread(w, 20));
    const auto dx = static_cast<int8_t>(random_spread(w, 20));
    const auto angle = static_cast<float>(random_below(w, 360) * kDegree);
    spawn_particle(w, p.x, p.y, angle, dx, dy, 0, life, 0, cell, type.size);
  }
}

// No unit further than this on either axis can be hit: the hit radius is at
// most 127/40 * 1.2 + 127/40 * 0.8 for sizes that fit 8 bits, and whole-unit
// truncation lets a difference reach up to one more.
constexpr double kHitReach = 127 / 40.0 * 1.2 + 127 / 40.0 * 0.8 + 1;

// Hits the first unit in slot order that is in range; a unit exactly at the
// hit radius is missed. Returns true when the projectile is spent.
bool hit_first_unit(World& w, const UnitGrid& grid, Projectile& p) {
  const ProjectileType& type = projectile_type(p.kind);
  const double own_share = type.size / 40.0 * 0.8;
  int16_t first_hit = 0;
  visit_units_near(grid, wide(p.x), wide(p.y), kHitReach, [&](int16_t i) {
    // A list is in slot order: past a hit already found, nothing here can come first.
    if (first_hit != 0 && i > first_hit) return true;
    const Unit& u = w.units[i];
    if (u.side == p.side) return false;
    const float d = point_distance(wide(u.x), wide(u.y), wide(p.x), wide(p.y));
    if (!(wide(d) < unit_type(u.type).size / 40.0 * 1.2 + own_share)) return false;
    first_hit = i;
    return true;
  });
  if (first_hit == 0) return false;
  Unit& u = w.units[first_hit];
  u.health = static_cast<int16_t>(u.health - type.damage);
  throw_debris(w, p, type);
  p.kind = -1;
  return true;
}

void fly(Projectile& p, double speed) {
  const SinCos ahead = game_sincos(wide(p.course) + kHalfPi);
  p.x = static_cast<float>(wide(p.x) + ahead.cos * speed / 20);
  p.y = static_cast<float>(wide(p.y) + ahead.sin * speed / 20);
}

void trail_smoke(World& w, const Projectile& p) {
  const SinCos back = game_sincos(wide(p.angle) - kHalfPi);
  const auto x = static_cast<float>(wide(p.x) + 2 * back.cos);
  const auto y = static_cast<float>(wide(p.y) + 2 * back.sin);
  const auto dy = static_cast<int8_t>(random_below(w, 5) - 2);
  const auto dx = static_cast<int8_t>(random_below(w, 5) - 2);
  const auto angle = static_cast<float>(random_below(w, 360) * kDegree);
  spawn_particle(w, x, y, angle, dx, dy, 0, 10, 0, 10, 30);
}

void home_in(World& w, Projectile& p) {
  if (p.aux != 0) {
    // The slot may have been freed or reused: the missile steers at whatever it holds.
    const Unit& target = unit_at(w, p.aux);
    const double turn = (turn_side(target.x, target.y, p.x, p.y, p.course) == 0) ? 2.0 : -2.0;
    p.course = static_cast<float>(wide(p.course) + turn * kDegree);
    p.angle = p.course;
  }
  if (w.frame_counter % 2 == 1) trail_smoke(w, p);
}

// Fragments get their life at the first update and fly at the speed they were given.
void fly_fragment(World& w, Projectile& p, int32_t life_base, int32_t life_range) {
  if (p.life == -1) p.life = static_cast<int16_t>(random_below(w, life_range) + life_base);
  fly(p, p.aux);
}

void run_kind_rule(World& w, Projectile& p) {
  switch (p.kind) {
    case kSpinningShell:
      p.angle = static_cast<float>(wide(p.angle) + 0.27925262);
      break;
    case kSpinningRocket:
      p.angle = static_cast<float>(wide(p.angle) + 0.36651906);
      break;
    case kHomingMissile:
      home_in(w, p);
      break;
    case kLongFragment:
      fly_fragment(w, p, 10, 10);
      break;
    case kShortFragment:
      fly_fragment(w, p, 6, 6);
      break;
    default:
      break;
  }
}

}  // namespace

void update_projectiles(World& w) {
  // Units neither move nor appear nor leave during this step, so one grid
  // serves every projectile.
  UnitGrid grid;
  bool grid_built = false;
  for (Projectile& p : w.projectiles) {
    if (p.kind == -1) continue;
    if (!grid_built) {
      build_unit_grid(w, grid);
      grid_built = true;
    }
    if (hit_first_unit(w, grid, p)) continue;
    fly(p, projectile_type(p.kind).speed);
    run_kind_rule(w, p);
    p.life = static_cast<int16_t>(p.life - 1);
    if (p.life < 1) p.kind = -1;
  }
}

}  // namespace quarvex
