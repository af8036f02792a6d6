#pragma once
// The page's own words (its Replays and Stages lists, the notice when the
// game has ended, the credits link) in the game's language.

#include <string>

#include "lang/texts.h"

namespace quarvex {

// Hands the page its words in the language of `texts`, whose code is `code`.
void show_page_texts(const Texts& texts, const std::string& code);

}  // namespace quarvex
