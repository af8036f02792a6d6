#include "net/side_inputs.h"

namespace quarvex::net {

SideInputs::Added SideInputs::add(uint32_t frame, uint16_t keys, uint32_t open_frame) {
  if (frame <= last_frame_) return Added::kNotAfterPrevious;
  if (frame > open_frame && frame - open_frame > kMaxAhead) return Added::kTooFarAhead;
  const bool late = frame < open_frame;
  // A late input with the keys of the two before it in the queue changes
  // nothing the game can see (no press, the same keys held): it only moves
  // the last one on. So a link that stalled for seconds, its player idle or
  // holding keys, never fills the queue when its inputs come in a burst.
  if (late && count_ >= 2) {
    Pending& last = ring_[(head_ + count_ - 1) % kCapacity];
    const Pending& before = ring_[(head_ + count_ - 2) % kCapacity];
    if (last.late && last.keys == keys && before.keys == keys) {
      last.frame = frame;
      last_frame_ = frame;
      return Added::kOk;
    }
  }
  if (count_ == kCapacity) return Added::kFull;
  ring_[(head_ + count_) % kCapacity] = Pending{frame, keys, late};
  ++count_;
  last_frame_ = frame;
  return Added::kOk;
}

SideInputs::Closed SideInputs::close(uint32_t frame) {
  Closed out;
  uint16_t pressed = 0;
  uint16_t before = input_before_last_;
  uint16_t last = last_input_;
  while (count_ > 0 && ring_[head_].frame <= frame) {
    const Pending& next = ring_[head_];
    // Pressed: down now, up in the two inputs before.
    const auto presses = static_cast<uint16_t>(next.keys & ~last & ~before);
    if ((presses & (pressed | shown_ | shown_before_)) != 0) break;
    pressed = static_cast<uint16_t>(pressed | presses);
    before = last;
    last = next.keys;
    if (next.late) out.late_frame = next.frame;
    head_ = (head_ + 1) % kCapacity;
    --count_;
  }
  input_before_last_ = before;
  last_input_ = last;
  shown_before_ = shown_;
  shown_ = static_cast<uint16_t>(pressed | last);
  out.keys = shown_;
  return out;
}

}  // namespace quarvex::net
