#pragma once
// The player's name, shown to the other players of a networked game. It
// comes from the settings file, from the text entry and, on the other
// players' machines, from the network, so it is cleaned wherever it enters.

#include <cstddef>
#include <string>
#include <string_view>

namespace quarvex {

// Code points of a player's name.
constexpr size_t kMaxNameCodePoints = 24;

// `raw` as one line of at most `max_code_points` code points: control and
// invisible characters left out, bytes that are not UTF-8 replaced by U+FFFD,
// spaces at either end trimmed.
std::string clean_line(std::string_view raw, size_t max_code_points);

// The name the player goes by when the settings name none: the system's
// user name on the desktop ("Player" when it has none), "Player" in the
// browser.
std::string system_player_name();

// `chosen` cleaned, else the system's name.
std::string player_name(std::string_view chosen);

}  // namespace quarvex
