#pragma once
// Random battles: a stage for four sides made from a seed. Each side gets a
// headquarters, factories, housing, defences and an army; the four bases are
// one base turned by quarter turns about the centre of the map, placed in
// turn so that no side always takes the lower unit slots. Whole-number
// arithmetic only, so a seed gives the same stage on every machine.

#include <cstdint>

#include "world/stage_file.h"

namespace quarvex {

StageSource random_stage(uint32_t seed);

}  // namespace quarvex
