#pragma once
// Turns a recipe into samples at 44.1 kHz.

#include <cstdint>
#include <vector>

#include "recipe.h"

namespace quarvex {

// The recipe's sound, scaled so its loudest sample is the recipe's peak.
// A loop comes out shorter by its blend, ready to repeat without a seam.
// Empty when the recipe makes no sound at all.
std::vector<int16_t> render_recipe(const Recipe& recipe);

}  // namespace quarvex
