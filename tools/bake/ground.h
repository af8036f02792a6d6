#pragma once
// Ground pictures: a landscape painted from noise, covering the map -500..500
// on both axes with the top edge at y = 500.

#include <cstdint>
#include <string>

#include "image.h"

namespace bake {

enum class Landscape { kTemperate, kDesert, kWinter };

struct GroundParams {
  Landscape landscape = Landscape::kTemperate;
  int seed = 1;
  // The four bases sit at (+-base_offset, +-base_offset); roads lead from them
  // to the middle and the ground is cleared around them.
  double base_offset = 330.0;
  int pixels = 2048;
};

bool parse_landscape(const std::string& name, Landscape& landscape);

Image paint_ground(const GroundParams& params);

}  // namespace bake
