#include "world/latch.h"

namespace quarvex {

void update_key_latch(bool key_is_down, int32_t& latch) {
  if (key_is_down) {
    latch = (latch == kLatchUp) ? kLatchPressed : kLatchHeld;
  } else {
    latch = (latch == kLatchPressed || latch == kLatchHeld) ? kLatchReleased : kLatchUp;
  }
}

void update_key_latches(CommandState& c, const std::array<bool, kKeyCount>& keys_down) {
  for (int k = 0; k < kKeyCount; ++k) update_key_latch(keys_down[k], c.key_latches[k]);
}

}  // namespace quarvex
