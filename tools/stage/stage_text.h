#pragma once
// The readable text form of stage files, and the binary form both ways.
// docs/stages.md describes the text format.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "world/stage.h"

namespace quarvex {

struct StageSource {
  std::vector<StageRecord> records;
  std::vector<uint8_t> trailing;  // bytes after the last record, kept for a faithful round trip
};

// Parses a stage source. Every bad line adds one error "<name>:<line>: <what>";
// the result is usable only when no error was added.
void parse_stage_text(std::string_view text, std::string_view name, StageSource& out,
                      std::vector<std::string>& errors);

// The stage text for a stage, kinds by name, with a header naming the columns.
std::string format_stage_text(const StageSource& stage);

// The .aod bytes of a stage.
std::vector<uint8_t> encode_stage(const StageSource& stage);

// Reads .aod bytes. Only a valid file is accepted (the count's records all
// present, every kind 0..39 and side 1..4); otherwise false with an error
// "<name>: <what>".
bool decode_stage(const std::vector<uint8_t>& bytes, std::string_view name, StageSource& out,
                  std::string& error);

}  // namespace quarvex
