#include "shell/stage_list_page.h"

#include <algorithm>
#include <utility>

namespace quarvex {

void StageListPage::open(StageList list, int side) {
  list_ = std::move(list);
  row_ = 0;
  top_ = 0;
  side_ = side >= 0 && side < kSides ? side : 0;
}

// Up from the first row goes round to the last and back: with hundreds of
// stages that is the quick way to the end of the list.
void StageListPage::move(int step) {
  const int count = static_cast<int>(list_.entries.size());
  if (count == 0) return;
  row_ = (row_ + step + count) % count;
  if (row_ < top_) top_ = row_;
  if (row_ >= top_ + kRowsShown) top_ = row_ - kRowsShown + 1;
}

StageListOutcome StageListPage::handle(MenuKey key) {
  switch (key) {
    case MenuKey::kUp:
    case MenuKey::kDown:
      move(key == MenuKey::kUp ? -1 : 1);
      return {StageListOutcome::kMoved};
    case MenuKey::kLeft:
    case MenuKey::kRight:
      side_ = (side_ + (key == MenuKey::kLeft ? kSides - 1 : 1)) % kSides;
      return {StageListOutcome::kSide};
    case MenuKey::kChoose:
      if (row_ >= static_cast<int>(list_.entries.size()) ||
          !list_.entries[static_cast<size_t>(row_)].playable()) {
        return {StageListOutcome::kDenied};
      }
      return {StageListOutcome::kChosen, row_};
    case MenuKey::kBack:
      return {StageListOutcome::kBack};
    case MenuKey::kNone:
      break;
  }
  return {};
}

}  // namespace quarvex
