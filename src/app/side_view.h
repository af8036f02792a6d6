#pragma once
// The World as one side's player sees it. The picture, the panels and the
// sound follow the player's side (player_side and the first command state);
// in a game of several humans on several machines each machine shows its
// own side, so it draws a copy with that side put in the player's place.
// The copy only ever goes to the screen and the speakers, never back into
// the World the frames run on.

#include "world/world.h"

namespace quarvex {

// Copies `w` into `view` with `side`'s player in the player's place. A side
// no human plays in `w` becomes the player's side only for its emblem and
// funds; -1 (a spectator who chose none) leaves the copy as it is.
void see_as_side(const World& w, int side, World& view);

}  // namespace quarvex
