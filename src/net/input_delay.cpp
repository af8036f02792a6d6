#include "net/input_delay.h"

#include <algorithm>

namespace quarvex::net {

int delay_for_round_trip(int32_t round_trip_ms, int32_t frame_ms) {
  const int64_t need = std::max<int64_t>(round_trip_ms, 0) + InputDelay::kMarginMs;
  const int64_t interval = std::max<int32_t>(frame_ms, 1);
  const int64_t frames = (need + interval - 1) / interval;
  return static_cast<int>(std::clamp<int64_t>(frames, InputDelay::kLowest, InputDelay::kHighest));
}

void InputDelay::add_round_trip(int32_t ms) {
  samples_[next_] = std::max(ms, 0);
  next_ = (next_ + 1) % kSamples;
  count_ = std::min(count_ + 1, kSamples);
  frames_ = std::max(frames_, delay_for_round_trip(slowest_round_trip(), frame_ms_));
}

void InputDelay::late(uint32_t frame, uint32_t last_sent) {
  if (frame <= sent_before_rise_) return;
  frames_ = std::min(frames_ + 1, kHighest);
  sent_before_rise_ = last_sent;
}

int32_t InputDelay::slowest_round_trip() const {
  int32_t slowest = 0;
  for (size_t i = 0; i < count_; ++i) slowest = std::max(slowest, samples_[i]);
  return slowest;
}

}  // namespace quarvex::net
