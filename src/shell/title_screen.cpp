#include "shell/title_screen.h"

#include <cstddef>

namespace quarvex {

TitleOutcome TitleScreen::handle(MenuKey key, int world_row) {
  constexpr int kLast = static_cast<int>(kTitleEntries.size()) - 1;
  if (focus_ < 0) {
    if (key != MenuKey::kDown || world_row != kLastWorldTitleRow) return {};
    focus_ = 0;
    return {TitleOutcome::kMoved, kTitleEntries[0]};
  }
  const TitleEntry entry = kTitleEntries[static_cast<std::size_t>(focus_)];
  switch (key) {
    case MenuKey::kUp:
      --focus_;
      return {focus_ < 0 ? TitleOutcome::kLeft : TitleOutcome::kMoved, entry};
    case MenuKey::kDown:
      if (focus_ < kLast) ++focus_;
      return {TitleOutcome::kMoved, kTitleEntries[static_cast<std::size_t>(focus_)]};
    case MenuKey::kLeft:
      return {TitleOutcome::kPrevious, entry};
    case MenuKey::kRight:
      return {TitleOutcome::kNext, entry};
    case MenuKey::kChoose:
      return {TitleOutcome::kChosen, entry};
    case MenuKey::kBack:
    case MenuKey::kNone:
      break;
  }
  return {};
}

}  // namespace quarvex
