#include "world/world.h"

#include "world/tables.h"

namespace quarvex {

void reset_sentinel(World& w) {
  Unit& s = w.units[0];
  s.x = s.y = s.z = s.heading = 0;
  s.parent = 0;
  s.type = -1;
  s.side = 0;
  s.health = 1;
  s.control_bits = 0;
}

void init_world(World& w) {
  w = World{};
  for (Unit& u : w.units) u.type = -1;
  for (Projectile& p : w.projectiles) p.kind = -1;
  reset_sentinel(w);
  w.stage_number = 1;
  w.rand_state = 1;
}

int16_t spawn_unit(World& w, float x, float y, float z, float heading, int16_t parent, int8_t type,
                   int8_t side) {
  for (int16_t i = 1; i <= kMaxUnit; ++i) {
    Unit& u = w.units[i];
    if (u.type != -1) continue;
    u.x = x;
    u.y = y;
    u.z = z;
    u.heading = heading;
    // A parent outside the table would link the child into the sentinel;
    // such a unit is placed top-level instead.
    parent = checked_unit_index(parent);
    u.parent = parent;
    if (parent == 0) {
      u.child = 0;
    } else {
      w.units[parent].child = i;
    }
    u.type = type;
    u.side = side;
    u.charge = 100;
    u.health = unit_type(type).max_health;
    u.target = 0;
    u.control_bits = 0;
    u.speed = 0;
    u.mode = 1;
    return i;
  }
  return 0;
}

void spawn_projectile(World& w, float x, float y, float course, int8_t kind, int8_t side,
                      int16_t aux) {
  for (Projectile& p : w.projectiles) {
    if (p.kind != -1) continue;
    p.x = x;
    p.y = y;
    p.angle = course;
    p.course = course;
    p.kind = kind;
    p.side = side;
    p.life = projectile_type(kind).life;
    p.aux = aux;
    return;
  }
}

bool spawn_particle(World& w, float x, float y, float angle, int8_t dx, int8_t dy, int8_t spin,
                    uint8_t life, uint8_t texture, uint8_t cell, int8_t size) {
  for (Particle& p : w.particles) {
    if (p.life != 0) continue;
    p.x = x;
    p.y = y;
    p.angle = angle;
    p.dx = dx;
    p.dy = dy;
    p.spin = spin;
    p.life = life;
    p.texture = texture;
    p.cell = cell;
    p.size = size;
    return true;
  }
  return false;
}

}  // namespace quarvex
