// Stage files are untrusted: any bytes must load without a read outside the
// data or a table, and leave a World whose every index is in range.

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "world/stage.h"
#include "world/tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static auto world = std::make_unique<quarvex::World>();
  quarvex::init_world(*world);
  quarvex::read_stage_bytes(*world, data, size);
  quarvex::setup_side_groups(*world);
  for (int i = 1; i <= quarvex::kMaxUnit; ++i) {
    const quarvex::Unit& u = world->units[i];
    if (u.type == -1) continue;
    if (u.type >= quarvex::kUnitTypeCount || u.side < 1 || u.side > 4) std::abort();
    if (u.parent < 0 || u.parent > quarvex::kMaxUnit) std::abort();
  }
  if (world->units[0].type != -1) std::abort();
  return 0;
}
