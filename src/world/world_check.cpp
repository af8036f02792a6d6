#include "world/world_check.h"

#include <bit>
#include <cmath>

#include "world/humans.h"
#include "world/tables.h"

namespace quarvex {

namespace {

constexpr float kMapEdge = 500.0f;
constexpr float kZoomLimit = 20.0f;

// Where a value is, spelled out only for the one at fault:
// "units[12].type", "funds[2]", "factories[1][2]".
struct Place {
  const char* record;
  int index = -1;
  const char* field = nullptr;
  int element = -1;

  // Built by appending: g++ 12 at -O3 takes a chain of operator+ for an
  // overlapping copy (a false -Wrestrict).
  std::string text() const {
    std::string t = record;
    append_index(t, index);
    if (field != nullptr) t.append(".").append(field);
    append_index(t, element);
    return t;
  }
  static void append_index(std::string& t, int i) {
    if (i >= 0) t.append("[").append(std::to_string(i)).append("]");
  }
};

// Keeps the first fault; later checks are skipped once one is found.
class Checker {
 public:
  explicit Checker(std::string& why) : why_(why) {}
  bool ok() const { return ok_; }

  void in_range(const Place& place, int64_t value, int64_t lowest, int64_t highest) {
    if (ok_ && (value < lowest || value > highest)) {
      fail(place.text() + " is " + std::to_string(value) + ", outside " + std::to_string(lowest) +
           ".." + std::to_string(highest));
    }
  }
  void finite(const Place& place, float value) {
    if (ok_ && !std::isfinite(value)) fail(place.text() + " is not a finite number");
  }
  void within(const Place& place, float value, float limit) {
    finite(place, value);
    if (ok_ && (value < -limit || value > limit)) {
      const std::string bound = std::to_string(static_cast<int>(limit));
      fail(place.text() + " lies outside -" + bound + ".." + bound);
    }
  }
  void holds(bool condition, const char* what) {
    if (ok_ && !condition) fail(what);
  }
  void holds(bool condition, const Place& place, const char* what) {
    if (ok_ && !condition) fail(place.text() + what);
  }

 private:
  void fail(std::string what) {
    ok_ = false;
    why_ = std::move(what);
  }
  std::string& why_;
  bool ok_ = true;
};

void check_units(const World& w, Checker& c) {
  const Unit& s = w.units[0];
  c.holds(s.type == -1 && s.parent == 0 && s.x == 0 && s.y == 0 && s.z == 0 && s.heading == 0,
          "units[0], the empty slot that stands for no unit, holds a unit");
  for (int i = 0; i < kUnitSlots && c.ok(); ++i) {
    const Unit& u = w.units[i];
    c.in_range({"units", i, "type"}, u.type, -1, kUnitTypeCount - 1);
    c.in_range({"units", i, "side"}, u.side, u.type == -1 ? 0 : 1, kSides);
    c.in_range({"units", i, "parent"}, u.parent, 0, kMaxUnit);
    c.in_range({"units", i, "child"}, u.child, 0, kMaxUnit);
    c.in_range({"units", i, "target"}, u.target, 0, kMaxUnit);
    c.holds(u.type == -1 || u.parent != i, {"units", i, "parent"}, " is the unit itself");
    c.finite({"units", i, "x"}, u.x);
    c.finite({"units", i, "y"}, u.y);
    c.finite({"units", i, "z"}, u.z);
    c.finite({"units", i, "heading"}, u.heading);
  }
}

void check_projectiles(const World& w, Checker& c) {
  for (int i = 0; i < kProjectileSlots && c.ok(); ++i) {
    const Projectile& p = w.projectiles[i];
    c.in_range({"projectiles", i, "kind"}, p.kind, -1, kProjectileTypeCount - 1);
    c.in_range({"projectiles", i, "side"}, p.side, p.kind == -1 ? 0 : 1, kSides);
    // A homing missile's aux is the unit it flies at.
    if (p.kind == kWeaponHoming) c.in_range({"projectiles", i, "aux"}, p.aux, 0, kMaxUnit);
    c.finite({"projectiles", i, "x"}, p.x);
    c.finite({"projectiles", i, "y"}, p.y);
    c.finite({"projectiles", i, "angle"}, p.angle);
    c.finite({"projectiles", i, "course"}, p.course);
  }
}

void check_particles(const World& w, Checker& c) {
  for (int i = 0; i < kParticleSlots && c.ok(); ++i) {
    const Particle& p = w.particles[i];
    c.in_range({"particles", i, "texture"}, p.texture, 0, 8);
    c.in_range({"particles", i, "cell"}, p.cell, 0, 15);
    c.finite({"particles", i, "x"}, p.x);
    c.finite({"particles", i, "y"}, p.y);
    c.finite({"particles", i, "angle"}, p.angle);
  }
}

void check_command_state(const CommandState& s, int k, Checker& c) {
  c.within({"humans", k, "cursor_x"}, s.cursor_x, kMapEdge);
  c.within({"humans", k, "cursor_y"}, s.cursor_y, kMapEdge);
  c.in_range({"humans", k, "selected_unit"}, s.selected_unit, 0, kMaxUnit);
  c.in_range({"humans", k, "command_mode"}, s.command_mode, 0, 2);
  c.in_range({"humans", k, "order_item"}, s.order_item, 0, 5);
  c.in_range({"humans", k, "build_item"}, s.build_item, 0, kBuildListLength - 1);
  c.in_range({"humans", k, "target_unit"}, s.target_unit, 0, kMaxUnit);
  c.finite({"humans", k, "camera_x"}, s.camera_x);
  c.finite({"humans", k, "camera_y"}, s.camera_y);
  c.finite({"humans", k, "camera_distance"}, s.camera_distance);
  c.finite({"humans", k, "camera_yaw"}, s.camera_yaw);
  c.within({"humans", k, "camera_zoom"}, s.camera_zoom, kZoomLimit);
  for (int key = 0; key < kKeyCount; ++key) {
    c.in_range({"humans", k, "key_latches", key}, s.key_latches[key], kLatchUp, kLatchHeld);
  }
}

void check_sides(const World& w, Checker& c) {
  c.in_range({"player_side"}, w.player_side, 0, kSides - 1);
  c.in_range({"title_row"}, w.title_row, 0, 1);
  c.in_range({"game_phase"}, w.game_phase, 0, 2);
  c.in_range({"frame_counter"}, w.frame_counter, 0, 999);
  for (int s = 0; s < kSides; ++s) {
    c.in_range({"funds", s}, w.funds[s], 0, INT32_MAX);
    c.in_range({"side_order_unit", s}, w.side_order_unit[s], 0, kMaxUnit);
    for (int f = 0; f < kFactoriesPerSide; ++f) {
      c.in_range({"factories", s, nullptr, f}, w.factories[s][f], 0, kMaxUnit);
    }
  }
  c.in_range({"human_sides"}, w.human_sides, 0, kAllSides);
  c.holds((w.computer_sides & ~w.human_sides) == 0, "computer_sides names a side no human plays");
  c.holds((w.lost_sides & ~w.human_sides) == 0, "lost_sides names a side no human plays");
  // The player's command state is the first human's.
  c.holds(!several_humans(w) || w.player_side == std::countr_zero(w.human_sides),
          "player_side is not the lowest of the human sides");
  for (int k = 0; k < kSides; ++k) check_command_state(w.humans[k], k, c);
}

}  // namespace

bool check_world(const World& w, std::string& why) {
  Checker c(why);
  check_units(w, c);
  check_projectiles(w, c);
  check_particles(w, c);
  check_sides(w, c);
  return c.ok();
}

}  // namespace quarvex
