#include "world/frame_input.h"

#include "world/humans.h"
#include "world/latch.h"

namespace quarvex {

void apply_frame_input(World& w, const FrameInput& input) {
  // A side that leaves and comes back in one frame is its human's again,
  // with its command state reset as for any hand-over.
  for (int s = 0; s < kSides; ++s) {
    if ((input.to_computer & side_bit(s)) != 0) hand_to_computer(w, s);
  }
  for (int s = 0; s < kSides; ++s) {
    if ((input.to_human & side_bit(s)) != 0) hand_to_human(w, s);
  }
  for_each_commanding_human(w, [&input](int side, CommandState& c) {
    // Only a game of one player can have a side outside 0..3: it has no keys.
    const KeyMask keys = is_side_index(side) ? input.keys[side] : KeyMask{0};
    std::array<bool, kKeyCount> down{};
    keys_from_mask(keys, down);
    update_key_latches(c, down);
  });
}

KeyMask mask_from_keys(const std::array<bool, kKeyCount>& down) {
  KeyMask mask = 0;
  for (int k = 0; k < kKeyCount; ++k) {
    if (down[k]) mask = static_cast<KeyMask>(mask | (1u << k));
  }
  return mask;
}

void keys_from_mask(KeyMask mask, std::array<bool, kKeyCount>& down) {
  for (int k = 0; k < kKeyCount; ++k) down[k] = (mask >> k) & 1u;
}

}  // namespace quarvex
