#pragma once
// Names and chat lines come from other people's machines: before the
// server passes one on it is cleaned to text every client can draw and
// store. Invalid UTF-8 becomes U+FFFD, control characters go, and the text
// is cut to a number of code points (not bytes, so a Japanese name gets as
// many characters as a Latin one).

#include <cstddef>
#include <string>
#include <string_view>

namespace quarvex::net {

constexpr size_t kMaxNameChars = 24;
constexpr size_t kMaxChatChars = 120;
// The most bytes a cleaned text of n code points takes.
constexpr size_t max_text_bytes(size_t chars) {
  return chars * 4;
}

// `text` as valid UTF-8 without control characters, at most `max_chars`
// code points, with the spaces at either end removed.
std::string clean_text(std::string_view text, size_t max_chars);
// True when clean_text would return `text` unchanged.
bool is_clean_text(std::string_view text, size_t max_chars);
// A player's name as the game shows it: cleaned, and "Player N" (N = side
// + 1) when nothing is left.
std::string player_name(std::string_view wanted, int side);

}  // namespace quarvex::net
