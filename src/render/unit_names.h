#pragma once
// The names the player reads for the unit kinds and the order menu's items,
// in English; they are shown through Texts::tr.

#include <array>

#include "world/tables.h"

namespace quarvex {

// Empty for a kind outside 0..39.
const char* kind_name(int kind);

// In order item order: drive, hold, roam, go to the mark, follow the mark, build.
extern const std::array<const char*, kOrderItems> kOrderNames;

}  // namespace quarvex
