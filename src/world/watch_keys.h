#pragma once
// Watching a stage: the computer commands every side, and the player only
// looks around.

#include <array>

#include "world/world.h"

namespace quarvex {

// The keys a watched stage lets through: the cursor, its speed, the zoom and
// the information box. Select, mark and the driving key are taken out, so no
// unit is ever selected, marked or driven and no order can be given. The
// title menu keeps every key, to choose and start the stage.
void keep_watching_keys(const World& w, std::array<bool, kKeyCount>& down);

}  // namespace quarvex
