#pragma once
// The end of a networked game as every player sees it: who won, and each
// side's name and fate.

#include <array>
#include <cstdint>
#include <string>

#include "lang/message.h"
#include "net/protocol.h"
#include "world/world.h"

namespace quarvex {

// The frame each side was last seen with its headquarters gone, watched
// frame by frame as the game runs (the World keeps only that a side lost).
class SideFates {
 public:
  void frame_done(const World& w, uint32_t frame);
  // 0: still in the game.
  uint32_t lost_at(int side) const { return lost_at_[static_cast<size_t>(side)]; }

 private:
  std::array<uint32_t, kSides> lost_at_{};
};

struct EndRow {
  int side = 0;
  std::string name;  // the player's, or "" for the computer's side
  Message fate;      // won, lost at frame N, left, still standing
};

struct GameEnd {
  Message headline;
  std::array<EndRow, kSides> rows;
};

// The outcome of the game `w` ended in: a side still standing when no
// other is has won.
GameEnd game_end(const World& w, const net::Roster& roster, const SideFates& fates);

}  // namespace quarvex
