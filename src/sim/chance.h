#pragma once
// Random decisions of the autonomous rules.

#include <cstdint>

#include "world/geometry.h"

namespace quarvex {

// A chance of 1 in n is one draw that hits when it leaves remainder 1.
inline bool one_in(World& w, int32_t n) {
  return random_below(w, n) == 1;
}

// A unit index drawn uniformly from 1..500.
inline int16_t random_unit_index(World& w) {
  return static_cast<int16_t>(random_below(w, kMaxUnit) + 1);
}

}  // namespace quarvex
