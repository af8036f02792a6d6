#include "app/chat_entry.h"

#include <algorithm>

#include "net/player_text.h"

namespace quarvex {

void ChatEntry::open() {
  entry_.open("", net::kMaxChatChars, TextEntry::Filter::kLine);
  line_.clear();
  open_ = true;
}

void ChatEntry::type(std::string_view utf8) {
  if (open_) entry_.type(utf8);
}

ChatEntry::Outcome ChatEntry::edit(EditKey key) {
  if (!open_) return Outcome::kNone;
  switch (key) {
    case EditKey::kBackspace:
      entry_.edit(key);
      return Outcome::kNone;
    case EditKey::kEscape:
      open_ = false;
      return Outcome::kClosed;
    case EditKey::kEnter:
      break;
  }
  open_ = false;
  const std::string& text = entry_.text();
  if (std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; })) {
    return Outcome::kClosed;
  }
  line_ = text;
  return Outcome::kSend;
}

}  // namespace quarvex
