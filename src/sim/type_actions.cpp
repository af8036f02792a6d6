// Which unit types have an action of their own, and the per-side effects of
// the headquarters and the residence.

#include "sim/type_actions.h"

namespace quarvex {

void run_type_action(World& w, int16_t index) {
  switch (w.units[index].type) {
    case 10:
    case 20:
      drive_throttle_vehicle(w, index);
      break;
    case 19:
      drive_throttle_vehicle(w, index);
      unload_infantry(w, index);
      break;
    case 26:
      drop_paratrooper(w, index);
      break;
    case 30:
      descend_under_canopy(w, index);
      break;
    case 36:
      fire_mortar(w, index);
      break;
    case 37:
      fly_grenade(w, index);
      break;
    case 38:
      burn_demolition_fuse(w, index);
      break;
    case 44:
      lay_demolition_charge(w, index);
      break;
    case 45:
      throw_grenade(w, index);
      break;
    case 46:
      fire_salvo(w, index);
      break;
    case 47:
      mark_side_present(w, index);
      break;
    case 48:
      collect_rent(w, index);
      break;
    case 52:
      fire_twin_missiles(w, index);
      break;
    default:
      break;
  }
}

void inherit_order(World& w, int16_t created, const Unit& creator) {
  if (created == 0) return;
  Unit& u = w.units[created];
  u.mode = creator.mode;
  u.goal_x = creator.goal_x;
  u.goal_y = creator.goal_y;
}

void mark_side_present(World& w, int16_t index) {
  const int s = side_index(w.units[index].side);
  if (s >= 0) w.side_present[s] = 1;
}

void collect_rent(World& w, int16_t index) {
  constexpr int32_t kRentInterval = 50;
  const int s = side_index(w.units[index].side);
  if (s < 0 || w.frame_counter % kRentInterval != 1) return;
  // Funds wrap like the 32-bit field they are.
  w.funds[s] = static_cast<int32_t>(static_cast<uint32_t>(w.funds[s]) + 1u);
}

}  // namespace quarvex
