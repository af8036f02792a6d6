#include <cmath>
#include <cstdint>

#include "sim/chance.h"
#include "sim/sim.h"
#include "world/geometry.h"
#include "world/humans.h"
#include "world/tables.h"

namespace quarvex {
namespace {

constexpr float kScoutRange = 50.0f;
constexpr int32_t kWorthAttacking = 4;  // one building, or four ordinary units

void try_build(World& w, int i) {
  if (one_in(w, 6)) w.ai_build_choice[i] = static_cast<int8_t>(random_below(w, kBuildListLength));
  w.side_order_unit[i] = w.factories[i][random_below(w, kFactoriesPerSide)];
  w.side_order[i] = 5;
  // A build-list choice outside the tables reads as kind -1, which builds nothing.
  w.side_order_arg[i] =
      static_cast<int16_t>(build_list_kind(w.side_build_list[i], w.ai_build_choice[i]));
}

void try_move(World& w, int i) {
  const int16_t k = random_unit_index(w);
  const Unit& u = w.units[k];
  if (u.type == -1 || u.side != i + 1 || u.parent != 0) return;
  if (!one_in(w, 2)) return;
  const int32_t j = random_below(w, kAttackPointsPerSide);
  w.side_order_unit[i] = k;
  w.side_order[i] = static_cast<int8_t>(random_below(w, 2) + 2);  // 2 roam, 3 go to point
  w.side_order_arg[i] = w.ai_goal_x[i][j];
  w.side_order_arg_y[i] = w.ai_goal_y[i][j];
}

int32_t enemy_weight_near(const World& w, int i, int32_t px, int32_t py) {
  int32_t sum = 0;
  for (int16_t k = 1; k <= kMaxUnit; ++k) {
    const Unit& u = w.units[k];
    if (u.type == -1 || u.parent != 0 || u.side == i + 1) continue;
    // Most units are far off on one axis; such a difference alone makes the
    // estimate at least the range (a unit at no number falls through to the
    // full test, which takes it as near).
    const double dx = std::abs(static_cast<double>(u.x) - px);
    const double dy = std::abs(static_cast<double>(u.y) - py);
    if (dx >= wide(kScoutRange) || dy >= wide(kScoutRange)) continue;
    if (point_distance(wide(u.x), wide(u.y), px, py) >= kScoutRange) continue;
    sum += 1;
    if (u.type == kTypeHeadquarters || u.type == kTypeResidence || u.type == kTypeFactory) {
      sum += 3;
    }
  }
  return sum;
}

void scout(World& w, int i) {
  const int32_t px = random_below(w, 1000) - 500;
  const int32_t py = random_below(w, 1000) - 500;
  if (enemy_weight_near(w, i, px, py) < kWorthAttacking) return;
  if (!one_in(w, 2)) return;
  const int32_t j = random_below(w, kAttackPointsPerSide);
  w.ai_goal_x[i][j] = static_cast<int16_t>(px);
  w.ai_goal_y[i][j] = static_cast<int16_t>(py);
}

}  // namespace

void command_computer_sides(World& w, Commanded sides) {
  const uint8_t humans = sides == Commanded::kRivals ? commanding_sides(w) : 0;
  for (int i = 0; i < kSides; ++i) {
    if ((humans & side_bit(i)) != 0) continue;
    if (one_in(w, 40)) {
      try_build(w, i);
    } else {
      try_move(w, i);
    }
    scout(w, i);
  }
}

}  // namespace quarvex
