#pragma once
// Which versions of the game play the same battles as this one. A recording
// names the version that made it; one made by a version whose simulation
// differs cannot be replayed exactly, and is refused before it runs rather
// than left to fail at its first check.

#include <string>
#include <string_view>

namespace quarvex {

// The first version whose battles play as this version's do. Raise it with
// every change that moves the pinned hash.
inline constexpr std::string_view kFirstVersionOfTheseBattles = "1.0.1";

// False when `recorded` names a version older than the first one that plays
// these battles; true for it and later versions, and for a version word
// that is not MAJOR.MINOR.PATCH (its checks then decide).
bool plays_these_battles(std::string_view recorded);

// "recorded by quarvex 1.0.0, whose battles play differently from this
// version (1.0.1); it cannot be replayed exactly"
std::string battles_differ_text(std::string_view recorded, std::string_view current);

}  // namespace quarvex
