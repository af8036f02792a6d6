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

std::vector<std::string> InvariantChecker::check(const World& w) {
  std::vector<std::string> broken;
  auto fail = [&](const std::string& what, int slot) {
    broken.push_back(what + " (slot " + std::to_string(slot) + ")");
  };

  for (int i : orphans_) {
    const Unit& u = w.units[i];
    if (u.type != -1 && u.parent != 0 && w.units[u.parent].type == -1)
      fail("orphaned child survived a unit pass", i);
  }
  orphans_.clear();

  const Unit& sentinel = w.units[0];
  if (sentinel.type != -1 || sentinel.parent != 0 || sentinel.x != 0 || sentinel.y != 0 ||
      sentinel.z != 0 || sentinel.heading != 0)
    fail("sentinel changed", 0);

  for (int i = 1; i <= kMaxUnit; ++i) {
    const Unit& u = w.units[i];
    if (u.type == -1) continue;
    if (u.type < 0 || u.type >= kUnitTypeCount) fail("unit type out of range", i);
    if (u.side < 1 || u.side > 4) fail("unit side out of range", i);
    if (!finite(u.x) || !finite(u.y) || !finite(u.z) || !finite(u.heading))
      fail("unit pose not finite", i);
    if (!unit_index(u.parent) || !unit_index(u.child) || !unit_index(u.target))
      fail("unit index field out of range", i);
    // A unit put into the field during the pass by a unit that had moved past
    // the edge is clamped only in the next pass, so allow a small margin.
    if (u.parent == 0 && (u.x < -510 || u.x > 510 || u.y < -510 || u.y > 510))
      fail("unit outside the playfield", i);
    if (u.parent != 0 && w.units[u.parent].type == -1) orphans_.push_back(i);
  }
  for (int i = 0; i < kProjectileSlots; ++i) {
    const Projectile& p = w.projectiles[i];
    if (p.kind == -1) continue;
    if (p.kind < 0 || p.kind >= kProjectileTypeCount) fail("projectile kind out of range", i);
    if (p.side < 1 || p.side > 4) fail("projectile side out of range", i);
    if (!finite(p.x) || !finite(p.y) || !finite(p.angle) || !finite(p.course))
      fail("projectile not finite", i);
    if (p.life < 1) fail("live projectile without life", i);
  }
  for (int i = 0; i < kParticleSlots; ++i) {
    const Particle& p = w.particles[i];
    if (p.life == 0) continue;
    if (!finite(p.x) || !finite(p.y) || !finite(p.angle)) fail("particle not finite", i);
    if (p.texture > 8 || p.cell > 15) fail("particle picture out of range", i);
  }
  for (int s = 0; s < kSides; ++s) {
    if (w.funds[s] < 0) fail("negative funds", s);
    if (!unit_index(w.side_order_unit[s])) fail("order unit out of range", s);
    for (int f = 0; f < kFactoriesPerSide; ++f)
      if (!unit_index(w.factories[s][f])) fail("factory entry out of range", s);
  }
  if (!unit_index(w.selected_unit)) fail("selected unit out of range", 0);
  if (!unit_index(w.target_unit)) fail("target unit out of range", 0);
  if (w.frame_counter < 0 || w.frame_counter > 999) fail("frame counter out of range", 0);
  if (!finite(w.cursor_x) || !finite(w.cursor_y) || w.cursor_x < -500 || w.cursor_x > 500 ||
      w.cursor_y < -500 || w.cursor_y > 500)
    fail("cursor outside the map", 0);
  return broken;
}

}  // namespace quarvex::testing
