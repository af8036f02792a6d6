#include "net/side_inputs.h"

namespace quarvex::net {

SideInputs::Added SideInputs::add(uint32_t frame, uint16_t keys, uint32_t open_frame) {
  if (frame <= last_frame_) return Added::kNotAfterPrevious;
  if (frame > open_frame && frame - open_frame > kMaxAhead) return Added::kTooFarAhead;
  if (count_ == kCapacity) return Added::kFull;
  ring_[(head_ + count_) % kCapacity] = Pending{frame, keys, frame < open_frame};
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
