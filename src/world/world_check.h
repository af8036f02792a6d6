#pragma once
// Whether a World holds only values the game itself can make: every index
// inside its table, every float finite, the sentinel untouched, the human
// sides consistent. A World that comes from outside (a snapshot) is checked
// before it is used.

#include <string>

#include "world/world.h"

namespace quarvex {

// False with the first value at fault ("units[12].type is 97").
bool check_world(const World& w, std::string& why);

}  // namespace quarvex
