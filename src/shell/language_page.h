#pragma once
// The Language page, opened from the title menu or the menu (Esc): the
// system's language first, then every language in its own name. Choosing
// one switches every text at once; the shell saves the choice.

#include "shell/menu_key.h"

namespace quarvex {

struct LanguagePageOutcome {
  enum Kind : uint8_t { kNone, kMoved, kChosen, kBack };
  Kind kind = kNone;
  // Chosen: -1 for the system's language, else the language's index.
  int language = -1;
};

class LanguagePage {
 public:
  // `chosen`: the language in the settings, -1 for the system's; `count`:
  // how many languages there are.
  void open(int chosen, int count);
  // Row 0 is the system's language, row i the language i - 1.
  int row() const { return row_; }
  int rows() const { return rows_; }
  LanguagePageOutcome handle(MenuKey key);

 private:
  int row_ = 0;
  int rows_ = 1;
};

}  // namespace quarvex
