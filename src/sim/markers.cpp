#include <cstdint>
#include <cstdlib>

#include "sim/sim.h"
#include "world/geometry.h"
#include "world/humans.h"
#include "world/tables.h"
#include "world/trig.h"

namespace quarvex {
namespace {

// Every marker lives two frames: it is drawn once, by the rendering that
// follows its spawn, and is spawned anew while it should stay visible.
constexpr uint8_t kMarkerLife = 2;
constexpr uint8_t kMarkerSheet = 0;
constexpr uint8_t kSideMarkSheet = 5;
constexpr double kSightHalfWidth = 0.43633223;  // 25 degrees
constexpr float kSightRange = 100.0f;
constexpr int32_t kCursorReachX = 70;
constexpr int32_t kCursorReachY = 50;
constexpr float kLockRange = 60.0f;
constexpr float kQuarterTurn = static_cast<float>(0.785398);  // 45 degrees
constexpr int8_t kTypeHeavyAttackPlane = 52;

bool spawn_marker(World& w, float x, float y, float angle, uint8_t texture, uint8_t cell,
                  int8_t size) {
  return spawn_particle(w, x, y, angle, 0, 0, 0, kMarkerLife, texture, cell, size);
}

// Heading that a unit standing at (ox, oy) would need to face (px, py); a
// point straight along an axis counts as bearing 0.
float heading_toward(double px, double py, double ox, double oy) {
  const double dx = px - ox;
  const double dy = py - oy;
  float b = 0;
  if (dx != 0 && dy != 0) b = static_cast<float>(game_atan2(dy, dx));
  b = static_cast<float>(wide(b) - kHalfPi);
  wrap_angle(b);
  return b;
}

bool carries_homing_weapon(const World& w, const Unit& s) {
  return unit_type(s.type).weapon == kWeaponHoming ||
         unit_type(unit_at(w, s.child).type).weapon == kWeaponHoming ||
         s.type == kTypeHeavyAttackPlane;
}

void show_markers_of(World& w, int side, const CommandState& c) {
  const int16_t selected = checked_unit_index(c.selected_unit);
  Unit& s = w.units[selected];
  // The only place a stored heading is normalised; the sentinel is left alone.
  if (selected != 0) wrap_angle(s.heading);
  // Markers are all this loop makes, and no particle ends during it: once
  // the pool is full, the rest of the units would only search it in vain.
  for (int16_t i = 1; i <= kMaxUnit; ++i) {
    const Unit& u = w.units[i];
    if (u.type == -1 || u.parent != 0) continue;
    if (c.command_mode == 2) {
      // The sight compares raw headings, so it does not reach across the
      // seam at 0 and 2*pi.
      const double b =
          wide(heading_toward(wide(u.x), wide(u.y), wide(c.cursor_x), wide(c.cursor_y)));
      const bool ahead =
          b + kSightHalfWidth > wide(s.heading) && b - kSightHalfWidth < wide(s.heading);
      if (ahead && i != selected && u.side != 0 &&
          point_distance(wide(s.x), wide(s.y), wide(u.x), wide(u.y)) < kSightRange) {
        const uint8_t cell = u.side == side + 1 ? 12 : 13;
        if (!spawn_marker(w, u.x, u.y, s.heading, kMarkerSheet, cell, 80)) return;
      }
    } else {
      const int64_t dx = std::abs(int64_t{trunc_to_int(wide(u.x) - wide(c.cursor_x))});
      const int64_t dy = std::abs(int64_t{trunc_to_int(wide(u.y) - wide(c.cursor_y))});
      if (dx < kCursorReachX && dy < kCursorReachY && u.side != 0) {
        if (!spawn_marker(w, u.x, u.y, 0, kSideMarkSheet, static_cast<uint8_t>(7 + u.side), 80)) {
          return;
        }
      }
    }
  }
}

void lock_on_for(World& w, const CommandState& c) {
  const int16_t selected = checked_unit_index(c.selected_unit);
  // With nothing selected the sentinel would be read; it never takes a target.
  if (selected == 0) return;
  Unit& s = w.units[selected];
  if (!carries_homing_weapon(w, s)) return;
  float best = 999.0f;
  int16_t found = 0;
  for (int16_t i = 1; i <= kMaxUnit; ++i) {
    const Unit& u = w.units[i];
    if (u.type == -1 || u.parent != 0) continue;
    const float d = point_distance(wide(u.x), wide(u.y), wide(s.x), wide(s.y));
    // Strictly nearer only: of equal candidates the lower slot keeps the lock.
    if (d < best && i != selected && u.side != s.side) {
      best = d;
      found = i;
    }
  }
  if (best < kLockRange) {
    s.target = found;
    const Unit& locked = w.units[found];
    spawn_marker(w, locked.x, locked.y, s.heading, kSideMarkSheet, 13, 50);
  } else {
    s.target = 0;
  }
}

}  // namespace

void show_unit_markers(World& w) {
  for_each_commanding_human(w, [&w](int side, CommandState& c) { show_markers_of(w, side, c); });
}

void lock_on(World& w) {
  for_each_commanding_human(w, [&w](int, CommandState& c) { lock_on_for(w, c); });
}

void show_mark_markers(World& w) {
  for_each_commanding_human(w, [&w](int, const CommandState& c) {
    // Under direct control the picture is the driver's view alone.
    if (c.command_mode == 2) return;
    spawn_marker(w, c.mark_x, c.mark_y, kQuarterTurn, kMarkerSheet, 14, 120);
    if (c.target_unit != 0) {
      const Unit& t = unit_at(w, c.target_unit);
      spawn_marker(w, t.x, t.y, kQuarterTurn, kMarkerSheet, 14, 50);
    }
  });
}

}  // namespace quarvex
