#pragma once
// The help panel's content: for each mode of play, which actions it lists
// and what they do there. A table, so that a new mode or a new action (the
// replay keys, the sound keys) is a few more rows.

#include <array>
#include <cstdint>
#include <span>

#include "shell/bindings.h"
#include "world/world.h"

namespace quarvex {

enum class HelpMode : uint8_t { kTitle, kCursor, kOrderMenu, kDriving, kWatch, kReplay, kCount };

// How the stage on the screen is played: by the player, watched (the
// computer commands every side), or replayed from a recording.
enum class PlayMode : uint8_t { kPlay, kWatch, kReplay };

constexpr uint8_t help_bit(HelpMode m) {
  return static_cast<uint8_t>(1u << static_cast<int>(m));
}

// Whether a line is for a game alone, one played together over the
// network, or both.
enum class HelpGame : uint8_t { kAny, kAlone, kTogether };

struct HelpLine {
  uint8_t modes;                  // help_bit of every mode that lists the line
  std::array<int8_t, 4> actions;  // whose keys the line shows; -1 ends the list
  const char* text;
  HelpGame game = HelpGame::kAny;
  const char* keys = nullptr;  // keys no binding moves ("Enter"), shown as they stand
};

// Whether `line` is listed in `mode`, alone or together.
bool help_lists(const HelpLine& line, HelpMode mode, bool together);

std::span<const HelpLine> help_lines();
const char* help_mode_title(HelpMode mode);
// The mode the World and the play are in.
HelpMode help_mode(const World& w, PlayMode play);

}  // namespace quarvex
