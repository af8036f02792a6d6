#include "world/stage.h"

namespace quarvex {

void load_stage(World&, Services&) {}
void read_stage_file(World&, Services&, const char*) {}
void read_stage_bytes(World&, const uint8_t*, size_t) {}
void setup_side_groups(World&) {}

}  // namespace quarvex
