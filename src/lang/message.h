#pragma once
// A text for the player that waits to be shown (a message box in the queue,
// a note about the replays): kept in English with its placeholders' values,
// and put into the player's language when it is drawn, so that a language
// chosen in between applies to it too.

#include <string>
#include <utility>
#include <vector>

#include "lang/texts.h"

namespace quarvex {

struct Message {
  std::string text;  // English, with {name} placeholders
  std::vector<std::pair<std::string, std::string>> args;
  bool operator==(const Message&) const = default;
};

// For standard error and the headless program's message lines.
std::string in_english(const Message& m);
std::string translated(const Texts& texts, const Message& m);

}  // namespace quarvex
