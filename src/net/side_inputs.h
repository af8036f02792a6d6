#pragma once
// The keys one side's player sent, waiting at the server for the frames
// they were meant for. The server never waits for a player: a frame closes
// with what has arrived, an input that comes after its frame closed goes
// into the next open frame, and no press is ever lost.
//
// The game counts a press when a key is down in a frame and was up in the
// two frames before (a key released for a single frame and pressed again
// is still held). So:
//
// - Several inputs that are due together go into one frame as long as that
//   frame can show every press among them: the frame's keys are the last
//   input's keys plus every key pressed on the way (a key pressed and
//   released between two frames still counts as pressed once).
// - An input whose press the frame cannot show (the key is already down in
//   the frame, or was down in one of the two frames before) waits, so that
//   the game sees the key up long enough to count the press.
// - A frame without a new input repeats the keys last sent (a held key
//   stays held).
// Inputs that arrive in time for their own frames come out unchanged.

#include <array>
#include <cstddef>
#include <cstdint>

namespace quarvex::net {

class SideInputs {
 public:
  // Inputs may be sent at most this far ahead of the frame being closed:
  // well beyond the largest input delay, small enough to bound the queue.
  static constexpr uint32_t kMaxAhead = 32;
  // Room for the inputs of a burst after a stall in which the keys change
  // in every frame, up to the 10 seconds behind that hand a side over.
  static constexpr size_t kCapacity = 512;

  enum class Added : uint8_t {
    kOk,
    kNotAfterPrevious,  // frames must rise from one input to the next
    kTooFarAhead,
    kFull,
  };

  // An input for `frame` while `open_frame` is the frame to close next.
  Added add(uint32_t frame, uint16_t keys, uint32_t open_frame);

  struct Closed {
    uint16_t keys = 0;
    // The latest frame among the inputs this frame took that arrived after
    // their own frame had closed; 0 when none did.
    uint32_t late_frame = 0;
  };
  // Closes `frame` for this side: takes what is due and gives its keys.
  Closed close(uint32_t frame);

  // Forgets everything: the side was handed over, or its player is back.
  void clear() { *this = SideInputs{}; }

  size_t waiting() const { return count_; }

 private:
  struct Pending {
    uint32_t frame;
    uint16_t keys;
    bool late;  // arrived after its frame had closed
  };

  std::array<Pending, kCapacity> ring_{};
  size_t head_ = 0;
  size_t count_ = 0;
  uint32_t last_frame_ = 0;         // the frame of the last input added
  uint16_t last_input_ = 0;         // the keys of the last input taken
  uint16_t input_before_last_ = 0;  // and of the one before it
  uint16_t shown_ = 0;              // the keys of the last frame closed
  uint16_t shown_before_ = 0;       // and of the frame before it
};

}  // namespace quarvex::net
