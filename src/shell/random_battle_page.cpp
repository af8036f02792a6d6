#include "shell/random_battle_page.h"

#include "stages/stage_description.h"
#include "world/world.h"

namespace quarvex {

namespace {

int step_round(int value, int count, int step) {
  return (value + step + count) % count;
}

}  // namespace

void RandomBattlePage::open(uint32_t seed, int side) {
  row_ = kStart;
  seed_ = seed;
  typing_ = false;
  side_ = side >= 0 && side < kSides ? side : 0;
}

// The next seed from the one shown (a 32-bit mix of it), so a new draw is
// never the one before; the first came from the clock.
void RandomBattlePage::draw_seed() {
  uint32_t x = seed_ + 0x9E3779B9u;
  x = (x ^ (x >> 16)) * 0x85EBCA6Bu;
  x = (x ^ (x >> 13)) * 0xC2B2AE35u;
  seed_ = x ^ (x >> 16);
}

// A seed typed without a digit is no seed: the one before stays.
void RandomBattlePage::stop_typing(bool keep) {
  if (!keep || digits_ == 0) seed_ = seed_before_;
  typing_ = false;
}

RandomBattleOutcome RandomBattlePage::handle(MenuKey key) {
  if (typing_) {
    switch (key) {
      case MenuKey::kChoose:
      case MenuKey::kBack:
        stop_typing(key == MenuKey::kChoose);
        return {RandomBattleOutcome::kChanged};
      case MenuKey::kUp:
      case MenuKey::kDown:
        stop_typing(true);
        break;
      case MenuKey::kLeft:
      case MenuKey::kRight:
      case MenuKey::kNone:
        return {};
    }
  }
  const int step = key == MenuKey::kLeft ? -1 : 1;
  switch (key) {
    case MenuKey::kUp:
    case MenuKey::kDown:
      row_ = step_round(row_, kRows, key == MenuKey::kUp ? -1 : 1);
      return {RandomBattleOutcome::kMoved};
    case MenuKey::kLeft:
    case MenuKey::kRight:
      if (row_ == kGround) {
        ground_ = step_round(ground_ - 1, kGroundCount, step) + 1;
      } else if (row_ == kSide) {
        side_ = step_round(side_, kSides, step);
      } else if (row_ == kSeed) {
        draw_seed();
      } else {
        return {};
      }
      return {RandomBattleOutcome::kChanged};
    case MenuKey::kChoose:
      if (row_ == kStart) return {RandomBattleOutcome::kStart};
      if (row_ == kSeed) {
        typing_ = true;
        seed_before_ = seed_;
        seed_ = 0;
        digits_ = 0;
        return {RandomBattleOutcome::kChanged};
      }
      row_ = kStart;
      return {RandomBattleOutcome::kMoved};
    case MenuKey::kBack:
      return {RandomBattleOutcome::kBack};
    case MenuKey::kNone:
      break;
  }
  return {};
}

bool RandomBattlePage::type_digit(int digit) {
  if (!typing_ || digit < 0 || digit > 9) return false;
  const uint64_t typed = uint64_t{seed_} * 10 + static_cast<uint64_t>(digit);
  if (typed > UINT32_MAX || (digits_ > 0 && seed_ == 0)) return false;
  seed_ = static_cast<uint32_t>(typed);
  ++digits_;
  return true;
}

void RandomBattlePage::erase_digit() {
  if (!typing_ || digits_ == 0) return;
  seed_ /= 10;
  --digits_;
}

}  // namespace quarvex
