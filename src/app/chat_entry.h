#pragma once
// The chat line a player types in a networked game: Enter opens it, Enter
// sends it, Esc drops it. While it is open the keyboard types into it and no
// key reaches the player's side.

#include <string>
#include <string_view>

#include "shell/text_entry.h"

namespace quarvex {

class ChatEntry {
 public:
  enum class Outcome : uint8_t { kNone, kSend, kClosed };

  bool is_open() const { return open_; }
  void open();
  const TextEntry& entry() const { return entry_; }
  // Committed text from the keyboard or an input method.
  void type(std::string_view utf8);
  // Enter sends what was typed (a line of nothing but spaces only closes);
  // Esc closes without sending. The text sent is in take_line().
  Outcome edit(EditKey key);
  std::string take_line() { return std::move(line_); }

 private:
  TextEntry entry_;
  std::string line_;
  bool open_ = false;
};

}  // namespace quarvex
