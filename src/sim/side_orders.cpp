#include <cstdint>

#include "sim/sim.h"
#include "world/geometry.h"
#include "world/tables.h"
#include "world/trig.h"

namespace quarvex {
namespace {

constexpr double kBuildOffset = 5.0;  // a new unit appears this far ahead of its factory

void hold(Unit& u) {
  if (unit_type(u.type).cruise_speed == 0) {
    u.mode = 0;
    return;
  }
  // An aircraft that cannot stop circles over the place it was told to hold.
  u.mode = 2;
  u.goal_x = static_cast<int16_t>(trunc_to_int(wide(u.x)));
  u.goal_y = static_cast<int16_t>(trunc_to_int(wide(u.y)));
}

void build(World& w, int side_index, const Unit& factory, int32_t kind_number) {
  const int8_t side = static_cast<int8_t>(side_index + 1);
  // A destroyed factory's slot is free and fails this test, so it costs nothing.
  if (factory.type != kTypeFactory || factory.side != side) return;
  const UnitKind* kind = unit_kind(kind_number);
  if (kind == nullptr) return;
  if (w.funds[side_index] < kind->cost) return;
  w.funds[side_index] -= kind->cost;

  const SinCos ahead = game_sincos(wide(factory.heading) + kHalfPi);
  const auto x = static_cast<float>(wide(factory.x) + kBuildOffset * ahead.cos);
  const auto y = static_cast<float>(wide(factory.y) + kBuildOffset * ahead.sin);
  const float z = kind->air != 0 ? kAirZ : kGroundZ;
  const auto main_type = static_cast<int8_t>(kind->main_type & 0xFF);
  // With the table full the money stays spent.
  const int16_t built = spawn_unit(w, x, y, z, factory.heading, 0, main_type, side);
  if (built == 0) return;
  if (kind->child_type != -1) {
    spawn_unit(w, 0, 0, kChildZ, 0, built, static_cast<int8_t>(kind->child_type), side);
  }
  // The factory's own order is the rally order of what it builds.
  Unit& unit = w.units[built];
  unit.mode = factory.mode;
  unit.goal_x = factory.goal_x;
  unit.goal_y = factory.goal_y;
}

void carry_out(World& w, int i) {
  const int16_t index = checked_unit_index(w.side_order_unit[i]);
  // An order for no unit (index 0, or a stored index outside 1..500) does
  // nothing: the sentinel in slot 0 keeps the values every "no unit" relies on.
  if (index == 0) return;
  Unit& u = w.units[index];
  switch (w.side_order[i]) {
    case 1:
      hold(u);
      break;
    case 2:
      u.mode = 1;
      break;
    case 3:
      u.mode = 2;
      u.goal_x = w.side_order_arg[i];
      u.goal_y = w.side_order_arg_y[i];
      break;
    case 4:
      u.mode = 3;
      u.goal_x = w.side_order_arg[i];
      u.goal_y = w.side_order_arg_y[i];
      break;
    case 5:
      build(w, i, u, w.side_order_arg[i]);
      break;
    default:
      break;
  }
}

}  // namespace

void execute_side_orders(World& w) {
  for (int i = 0; i < kSides; ++i) {
    carry_out(w, i);
    w.side_order[i] = 0;
  }
}

}  // namespace quarvex
