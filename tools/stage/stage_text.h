#pragma once
// The readable text form of stage files.
// docs/stages.md describes the text format.

#include <string>
#include <string_view>
#include <vector>

#include "world/stage_file.h"

namespace quarvex {

// Parses a stage source. Every bad line adds one error "<name>:<line>: <what>";
// the result is usable only when no error was added.
void parse_stage_text(std::string_view text, std::string_view name, StageSource& out,
                      std::vector<std::string>& errors);

// The stage text for a stage, kinds by name, with a header naming the columns.
std::string format_stage_text(const StageSource& stage);

}  // namespace quarvex
