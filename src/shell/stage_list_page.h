#pragma once
// The Stages page, opened from the title menu: the game's three stages, then
// the player's own by title, as the folder held them when the page opened.
// Left and right choose the side to play; a damaged stage is listed with
// what is wrong with it and cannot be started.

#include <string>
#include <vector>

#include "shell/menu_key.h"
#include "stages/player_stages.h"
#include "world/world.h"

namespace quarvex {

struct StageListOutcome {
  enum Kind : uint8_t { kNone, kMoved, kSide, kChosen, kDenied, kBack };
  Kind kind = kNone;
  int entry = -1;  // chosen: the index of the stage to play
};

class StageListPage {
 public:
  // Rows the page shows at once; the list scrolls to keep the chosen row in them.
  static constexpr int kRowsShown = 10;

  // `side`: the side the title menu shows (0..3).
  void open(StageList list, int side);
  StageListOutcome handle(MenuKey key);

  const std::vector<StageEntry>& entries() const { return list_.entries; }
  const std::vector<std::string>& notices() const { return list_.notices; }
  int row() const { return row_; }
  // The first row shown.
  int top() const { return top_; }
  int side() const { return side_; }

 private:
  void move(int step);

  StageList list_;
  int row_ = 0;
  int top_ = 0;
  int side_ = 0;
};

}  // namespace quarvex
