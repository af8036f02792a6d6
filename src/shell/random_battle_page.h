#pragma once
// The Random battle page, opened from the title menu: the ground, the seed
// (the same seed makes the same battle on every machine, so a player can
// pass a good one on), the side, and Start. Left and right on the seed draw
// a new one; Enter on it types one (the digit keys also move in menus, so
// they type only then), Enter keeps it and Esc gives the one before back.

#include <cstdint>

#include "shell/menu_key.h"

namespace quarvex {

struct RandomBattleOutcome {
  enum Kind : uint8_t { kNone, kMoved, kChanged, kStart, kBack };
  Kind kind = kNone;
};

class RandomBattlePage {
 public:
  enum Row : uint8_t { kGround, kSeed, kSide, kStart, kRows };

  // `seed`: the one shown first; `side`: the title menu's (0..3).
  void open(uint32_t seed, int side);
  RandomBattleOutcome handle(MenuKey key);
  // While a seed is typed: a digit, false when the seed would no longer
  // fit in 32 bits; Backspace takes the last back.
  bool typing() const { return typing_; }
  bool type_digit(int digit);
  void erase_digit();

  int row() const { return row_; }
  int ground() const { return ground_; }  // 1..3
  uint32_t seed() const { return seed_; }
  // Digits typed so far; none yet shows as an empty seed.
  int digits_typed() const { return digits_; }
  int side() const { return side_; }  // 0..3

 private:
  void draw_seed();
  void stop_typing(bool keep);

  int row_ = kStart;
  int ground_ = 1;
  uint32_t seed_ = 0;
  bool typing_ = false;
  uint32_t seed_before_ = 0;  // while typing: the seed Esc gives back
  int digits_ = 0;
  int side_ = 0;
};

}  // namespace quarvex
