#include "world/humans.h"

namespace quarvex {

void set_human_sides(World& w, uint8_t sides) {
  sides &= kAllSides;
  w.human_sides = sides;
  w.computer_sides = 0;
  w.lost_sides = 0;
  if (sides != 0) w.player_side = static_cast<int8_t>(std::countr_zero(sides));
}

void hand_to_computer(World& w, int side) {
  const int index = command_index(w, side);
  if (!several_humans(w) || index < 0) return;
  w.computer_sides = static_cast<uint8_t>(w.computer_sides | side_bit(side));
  CommandState& c = w.humans[index];
  c.command_mode = 0;
  c.selected_unit = 0;
  c.key_latches.fill(kLatchUp);
}

void hand_to_human(World& w, int side) {
  if (!several_humans(w) || command_index(w, side) < 0) return;
  w.computer_sides = static_cast<uint8_t>(w.computer_sides & ~side_bit(side));
}

}  // namespace quarvex
