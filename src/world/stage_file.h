#pragma once
// A whole stage file in memory, both ways: the reader that checks a file
// before it is offered for play, and the one writer every stage file goes
// through (the stage compiler, generated stages, the editor), so that
// decode_stage(encode_stage(s)) gives s back and a file written by any of
// them compiles back to the same bytes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "world/stage.h"

namespace quarvex {

// The most placements a stage file can hold (its count is 16 bits).
constexpr size_t kMaxStageRecords = 65535;

struct StageSource {
  std::vector<StageRecord> records;
  std::vector<uint8_t> trailing;  // bytes after the last record, kept for a faithful round trip
  bool operator==(const StageSource&) const = default;
};

// The .aod bytes of a stage (at most kMaxStageRecords records are written).
std::vector<uint8_t> encode_stage(const StageSource& stage);

// Reads .aod bytes. Only a valid file is accepted (the count's records all
// present, every kind 0..39 and side 1..4); otherwise false with an error
// "<name>: <what>".
bool decode_stage(const std::vector<uint8_t>& bytes, std::string_view name, StageSource& out,
                  std::string& error);

// What names a stage's content wherever it travels (a replay of a player's
// stage names its stage by this): 64-bit FNV-1a over the file's bytes.
uint64_t stage_content_hash(const uint8_t* bytes, size_t size);

}  // namespace quarvex
