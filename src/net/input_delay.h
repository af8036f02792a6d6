#pragma once
// How many frames ahead a client sends its keys. An input sent when frame L
// arrives must reach the server before frame L + delay closes, that is
// within delay frame intervals of frame L closing: a round trip and a
// margin for the machines' own scheduling. The delay follows the slowest
// of the recent round trips and only ever rises during a game (a lower
// delay would ask two inputs of one frame).

#include <array>
#include <cstddef>
#include <cstdint>

namespace quarvex::net {

class InputDelay {
 public:
  static constexpr int kLowest = 2;
  static constexpr int kHighest = 8;
  static constexpr int32_t kMarginMs = 10;
  static constexpr size_t kSamples = 16;

  explicit InputDelay(int32_t frame_ms) : frame_ms_(frame_ms < 1 ? 1 : frame_ms) {}

  // A measured round trip; may raise the delay.
  void add_round_trip(int32_t ms);
  // The server placed our input for `frame` in a later frame: one frame
  // more, unless the input was sent before the last rise (which already
  // answers it). `last_sent` is the latest frame we have sent keys for.
  void late(uint32_t frame, uint32_t last_sent);

  int frames() const { return frames_; }
  int32_t slowest_round_trip() const;

 private:
  int32_t frame_ms_;
  int frames_ = kLowest;
  std::array<int32_t, kSamples> samples_{};
  size_t count_ = 0;
  size_t next_ = 0;
  uint32_t sent_before_rise_ = 0;
};

// The delay a round trip asks for at this frame interval: enough whole
// intervals to cover it and the margin, within kLowest..kHighest.
int delay_for_round_trip(int32_t round_trip_ms, int32_t frame_ms);

}  // namespace quarvex::net
