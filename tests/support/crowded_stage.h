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

// A valid stage file of odd but allowed placements: every kind, positions on
// and far beyond the map edge, headings of many turns, every mode byte, and
// follow goals naming no unit or slots outside the table. Each side keeps a
// headquarters, so the stage is not decided at once.
std::vector<uint8_t> edge_stage_bytes(uint32_t seed);

// Writes `bytes` as map<stage>.aod into `dir`; returns the path.
std::string write_stage(const std::string& dir, int stage, const std::vector<uint8_t>& bytes);

}  // namespace quarvex::testing
