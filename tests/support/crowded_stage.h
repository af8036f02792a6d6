#pragma once
// A stage file that fills the unit table: four sides with bases in their
// quarters and mixed forces packed round the middle, within reach of each
// other, so that the fighting starts at once and all three pools run near
// full. Used by the soak test and the benchmarks.

#include <cstdint>
#include <string>
#include <vector>

namespace quarvex::testing {

// The bytes of a valid stage file whose placements use exactly `slots` unit
// slots (children included), at most 500.
std::vector<uint8_t> crowded_stage_bytes(uint32_t seed, int slots = 500);

// Writes map<stage>.aod with the crowded stage into `dir`; returns the path.
std::string write_crowded_stage(const std::string& dir, int stage, uint32_t seed, int slots = 500);

}  // namespace quarvex::testing
