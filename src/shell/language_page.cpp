#include "shell/language_page.h"

namespace quarvex {

void LanguagePage::open(int chosen, int count) {
  rows_ = count + 1;
  row_ = chosen >= 0 && chosen < count ? chosen + 1 : 0;
}

LanguagePageOutcome LanguagePage::handle(MenuKey key) {
  switch (key) {
    case MenuKey::kUp:
      row_ = (row_ + rows_ - 1) % rows_;
      return {LanguagePageOutcome::kMoved};
    case MenuKey::kDown:
      row_ = (row_ + 1) % rows_;
      return {LanguagePageOutcome::kMoved};
    case MenuKey::kChoose:
      return {LanguagePageOutcome::kChosen, row_ - 1};
    case MenuKey::kBack:
      return {LanguagePageOutcome::kBack};
    case MenuKey::kLeft:
    case MenuKey::kRight:
    case MenuKey::kNone:
      break;
  }
  return {};
}

}  // namespace quarvex
