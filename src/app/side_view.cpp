#include "app/side_view.h"

#include <cstddef>

#include "world/humans.h"

namespace quarvex {

void see_as_side(const World& w, int side, World& view) {
  view = w;
  const int index = command_index(w, side);
  // A side the computer commands keeps the first human's camera, but shows
  // its own emblem and funds.
  if (index <= 0) {
    if (side >= 0 && side < kSides) view.player_side = static_cast<int8_t>(side);
    return;
  }
  view.player_side = static_cast<int8_t>(side);
  view.humans[0] = w.humans[static_cast<size_t>(index)];
}

}  // namespace quarvex
