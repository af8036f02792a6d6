#include "invariants.h"

#include <cmath>

#include "world/tables.h"

namespace quarvex::testing {
namespace {

bool finite(float v) {
  return std::isfinite(v);
}
bool unit_index(int v) {
  return v >= 0 && v <= kMaxUnit;
}

}  // namespace

InvariantChecker::InvariantChecker() : scratch_(std::make_unique<World>()) {}
InvariantChecker::~InvariantChecker() = default;

// A slot is free exactly when its marker says so: each spawn must fill the
// lowest slot whose marker is free, and find none when no marker is.
void InvariantChecker::check_spawns_follow_markers(const World& w,
                                                   std::vector<std::string>& broken) {
  World& s = *scratch_;
  s = w;
  int free_unit = 0;
  for (int i = 1; i <= kMaxUnit && free_unit == 0; ++i)
    if (w.units[i].type == -1) free_unit = i;
  if (spawn_unit(s, 0, 0, kGroundZ, 0, 0, 0, 1) != free_unit)
    broken.push_back("a unit spawn did not take the lowest free slot " + std::to_string(free_unit));

  int free_projectile = -1;
  for (int i = 0; i < kProjectileSlots && free_projectile < 0; ++i)
    if (w.projectiles[i].kind == -1) free_projectile = i;
  spawn_projectile(s, 0, 0, 0, 0, 1, 0);
  for (int i = 0; i < kProjectileSlots; ++i) {
    const bool taken = s.projectiles[i].kind != w.projectiles[i].kind;
    if (taken != (i == free_projectile))
      broken.push_back("a projectile spawn disagreed with the free markers (slot " +
                       std::to_string(i) + ")");
  }

  int free_particle = -1;
  for (int i = 0; i < kParticleSlots && free_particle < 0; ++i)
    if (w.particles[i].life == 0) free_particle = i;
  spawn_particle(s, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1);
  for (int i = 0; i < kParticleSlots; ++i) {
    const bool taken = s.particles[i].life != w.particles[i].life;
    if (taken != (i == free_particle))
      broken.push_back("a particle spawn disagreed with the free markers (slot " +
                       std::to_string(i) + ")");
  }
}

std::vector<std::string> InvariantChecker::check(const World& w) {
  std::vector<std::string> broken;
  auto fail = [&](const std::string& what, int slot) {
    broken.push_back(what + " (slot " + std::to_string(slot) + ")");
  };
  use_ = {};

  // The orphan is the same unit when its slot still holds that type under
  // the same, still free, parent.
  for (const Orphan& o : orphans_) {
    const Unit& u = w.units[o.slot];
    if (u.type == o.type && u.parent == o.parent && w.units[o.parent].type == -1)
      fail("orphaned child survived a unit pass", o.slot);
  }
  orphans_.clear();

  const Unit& sentinel = w.units[0];
  if (sentinel.type != -1 || sentinel.parent != 0 || sentinel.x != 0 || sentinel.y != 0 ||
      sentinel.z != 0 || sentinel.heading != 0)
    fail("sentinel changed", 0);

  for (int i = 1; i <= kMaxUnit; ++i) {
    const Unit& u = w.units[i];
    if (u.type == -1) continue;
    ++use_.units;
    if (u.type < 0 || u.type >= kUnitTypeCount) fail("unit type out of range", i);
    if (u.side < 1 || u.side > 4) fail("unit side out of range", i);
    if (!finite(u.x) || !finite(u.y) || !finite(u.z) || !finite(u.heading))
      fail("unit pose not finite", i);
    if (!unit_index(u.parent) || !unit_index(u.child) || !unit_index(u.target))
      fail("unit index field out of range", i);
    if (u.parent == i) fail("unit is its own parent", i);
    // A unit put into the field during the pass by a unit that had moved past
    // the edge is clamped only in the next pass, so allow a small margin.
    if (u.parent == 0 && (u.x < -510 || u.x > 510 || u.y < -510 || u.y > 510))
      fail("unit outside the playfield", i);
    if (u.parent > 0 && unit_index(u.parent) && w.units[u.parent].type == -1)
      orphans_.push_back({i, u.parent, u.type});
  }
  for (int i = 0; i < kProjectileSlots; ++i) {
    const Projectile& p = w.projectiles[i];
    if (p.kind == -1) continue;
    ++use_.projectiles;
    if (p.kind < 0 || p.kind >= kProjectileTypeCount) fail("projectile kind out of range", i);
    if (p.side < 1 || p.side > 4) fail("projectile side out of range", i);
    if (!finite(p.x) || !finite(p.y) || !finite(p.angle) || !finite(p.course))
      fail("projectile not finite", i);
    if (p.life < 1 && p.life != -1) fail("live projectile without life", i);
    if (p.kind == kWeaponHoming && !unit_index(p.aux)) fail("missile target out of range", i);
  }
  for (int i = 0; i < kParticleSlots; ++i) {
    const Particle& p = w.particles[i];
    if (p.life == 0) continue;
    ++use_.particles;
    if (!finite(p.x) || !finite(p.y) || !finite(p.angle)) fail("particle not finite", i);
    if (p.texture > 8 || p.cell > 15) fail("particle picture out of range", i);
  }
  check_spawns_follow_markers(w, broken);

  for (int s = 0; s < kSides; ++s) {
    if (w.funds[s] < 0) fail("negative funds", s);
    if (!unit_index(w.side_order_unit[s])) fail("order unit out of range", s);
    for (int f = 0; f < kFactoriesPerSide; ++f)
      if (!unit_index(w.factories[s][f])) fail("factory entry out of range", s);
  }
  if (!unit_index(player_state(w).selected_unit)) fail("selected unit out of range", 0);
  if (!unit_index(player_state(w).target_unit)) fail("target unit out of range", 0);
  if (w.frame_counter < 0 || w.frame_counter > 999) fail("frame counter out of range", 0);
  if (!finite(player_state(w).cursor_x) || !finite(player_state(w).cursor_y) ||
      player_state(w).cursor_x < -500 || player_state(w).cursor_x > 500 ||
      player_state(w).cursor_y < -500 || player_state(w).cursor_y > 500)
    fail("cursor outside the map", 0);
  if (!finite(player_state(w).camera_x) || !finite(player_state(w).camera_y) ||
      !finite(player_state(w).camera_distance) || !finite(player_state(w).camera_yaw) ||
      !finite(player_state(w).camera_zoom))
    fail("camera not finite", 0);
  return broken;
}

}  // namespace quarvex::testing
