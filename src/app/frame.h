#pragma once
// One frame of the game in its fixed step order, and the per-second counter
// and pacing that close it.

#include <array>
#include <cstdint>

#include "world/frame_input.h"
#include "world/humans.h"
#include "world/services.h"
#include "world/world.h"

namespace quarvex {

// Everything a frame needs from the machine it runs on. Tests and the
// headless driver supply their own.
struct FrameHost : Services {
  // This frame's down/up state of the eleven watched keys of the player.
  virtual void sample_keys(std::array<bool, kKeyCount>& down) = 0;
  // This frame's input, read after a pending stage load. A host that knows
  // only the player's keys leaves this as it is: they are player_side's.
  virtual void sample_input(const World& w, FrameInput& input) {
    std::array<bool, kKeyCount> down{};
    sample_keys(down);
    input = FrameInput{};
    if (is_side_index(w.player_side)) input.keys[w.player_side] = mask_from_keys(down);
  }
  // Draws and presents the picture of the World.
  virtual void render(const World& w) = 0;
  // Millisecond clock as a signed 32-bit value.
  virtual int32_t clock_ms() = 0;
  // Calendar time in whole seconds.
  virtual int64_t calendar_seconds() = 0;
  // Gives the processor away for about this many milliseconds.
  virtual void sleep_ms(int32_t ms) = 0;
  // Gives the processor away for a small part of a millisecond, so that the
  // last stretch of a wait polls the clock without holding a core. Hosts
  // that do not wait leave it empty.
  virtual void nap() {}
  // False for headless runs, which do not wait between frames.
  virtual bool paced() = 0;
  // True while the player only watches: the computer commands the player's
  // side as well.
  virtual bool watching() { return false; }
  // The drivers leave the stage files to the Game, which stands between
  // them and the frame (game.h); hosts that run frames themselves name theirs.
  StageFiles stage_files(int) override { return {}; }
};

void frame_tick(World& w, FrameHost& host);
void count_frames_per_second(World& w, FrameHost& host);
// Ends no sooner than 30 ms after the previous pacing ended. Sleeps for most
// of the wait and polls the clock, between naps, only in the last millisecond.
void pace_frame(World& w, FrameHost& host);

}  // namespace quarvex
