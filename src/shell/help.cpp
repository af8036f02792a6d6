#include "shell/help.h"

#include "lang/texts.h"

namespace quarvex {

namespace {

constexpr uint8_t kTitleBit = help_bit(HelpMode::kTitle);
constexpr uint8_t kCursorBit = help_bit(HelpMode::kCursor);
constexpr uint8_t kOrderBit = help_bit(HelpMode::kOrderMenu);
constexpr uint8_t kDrivingBit = help_bit(HelpMode::kDriving);
constexpr uint8_t kWatchBit = help_bit(HelpMode::kWatch);
constexpr uint8_t kReplayBit = help_bit(HelpMode::kReplay);
constexpr uint8_t kStageBits = kCursorBit | kOrderBit | kDrivingBit | kWatchBit;
constexpr uint8_t kAllBits = kTitleBit | kStageBits | kReplayBit;

constexpr int8_t k(int action) {
  return static_cast<int8_t>(action);
}

constexpr HelpLine kLines[] = {
    {kTitleBit, {k(kKeyUp), k(kKeyDown), -1}, N_("choose the row")},
    {kTitleBit, {k(kKeyLeft), k(kKeyRight), -1}, N_("change the stage, side or language")},
    {kTitleBit, {k(kKeySelect), -1}, N_("start the stage")},
    {kTitleBit, {k(kActionWatch), -1}, N_("watch the computer play it")},
    {kTitleBit, {k(kKeyDown), -1}, N_("your stages, random battle (below)")},
    {kTitleBit, {k(kKeyDown), -1}, N_("play together over the network (below)")},

    {kCursorBit | kWatchBit, {k(kKeyUp), k(kKeyDown), -1}, N_("move the cursor up, down")},
    {kCursorBit | kWatchBit, {k(kKeyLeft), k(kKeyRight), -1}, N_("move the cursor left, right")},
    {kCursorBit | kWatchBit, {k(kKeyFast), -1}, N_("hold to move faster")},
    {kCursorBit, {k(kKeyMark), -1}, N_("mark the point under the cursor")},
    {kCursorBit, {k(kKeySelect), -1}, N_("select your unit nearest to it")},

    {kOrderBit, {k(kKeyLeft), k(kKeyRight), -1}, N_("choose the order")},
    {kOrderBit, {k(kKeyUp), k(kKeyDown), -1}, N_("choose what a factory builds")},
    {kOrderBit, {k(kKeySelect), -1}, N_("give the order")},
    {kOrderBit, {k(kKeyMark), -1}, N_("mark this unit to be followed")},
    {kOrderBit, {k(kKeyFast), -1}, N_("back to the map cursor")},

    {kDrivingBit, {k(kKeyUp), k(kKeyDown), -1}, N_("drive forward, back")},
    {kDrivingBit, {k(kKeyLeft), k(kKeyRight), -1}, N_("turn left, right")},
    {kDrivingBit, {k(kKeyMark), k(kKeyAux), -1}, N_("turn the turret or side step")},
    {kDrivingBit, {k(kKeySelect), -1}, N_("fire")},
    {kDrivingBit, {k(kKeyFast), -1}, N_("back to the order menu")},

    {kStageBits, {k(kKeyZoomIn), k(kKeyZoomOut), -1}, N_("zoom in, out")},
    {kStageBits, {k(kKeyInfo), -1}, N_("information box")},

    {kWatchBit, {-1}, N_("the computer plays your side too"), HelpGame::kAlone},
    {kWatchBit, {-1}, N_("see that side's view"), HelpGame::kTogether, "1 2 3 4"},
    {kStageBits, {-1}, N_("chat: Enter sends, Esc drops"), HelpGame::kTogether, "Enter"},

    {kReplayBit, {k(kKeyRight), -1}, N_("faster, up to x16")},
    {kReplayBit, {k(kKeyLeft), -1}, N_("slower")},
    {kReplayBit, {k(kActionMenu), -1}, N_("leave the replay")},
    {kReplayBit, {-1}, N_("a side's view (game together)"), HelpGame::kAny, "1 2 3 4"},

    {kAllBits, {k(kActionHelp), -1}, N_("show or hide this help")},
    {kAllBits, {k(kActionPause), -1}, N_("pause and resume"), HelpGame::kAlone},
    {kStageBits,
     {k(kActionPause), -1},
     N_("pause for all (3 a game), resume"),
     HelpGame::kTogether},
    {kTitleBit, {k(kActionMenu), -1}, N_("quit")},
    {kStageBits,
     {k(kActionMenu), -1},
     N_("menu: restart, controls, language, quit"),
     HelpGame::kAlone},
    {kStageBits,
     {k(kActionMenu), -1},
     N_("menu: leave the game, controls, language"),
     HelpGame::kTogether},
    {kAllBits, {k(kActionFullscreen), -1}, N_("full screen on, off")},
    {kAllBits, {k(kActionScreenshot), -1}, N_("save a screenshot")},
    {kAllBits, {k(kActionMute), -1}, N_("sound off, on")},
    {kAllBits, {k(kActionVolumeDown), k(kActionVolumeUp), -1}, N_("sound quieter, louder")},
};

}  // namespace

bool help_lists(const HelpLine& line, HelpMode mode, bool together) {
  if ((line.modes & help_bit(mode)) == 0) return false;
  if (line.game == HelpGame::kAny) return true;
  return (line.game == HelpGame::kTogether) == together;
}

std::span<const HelpLine> help_lines() {
  return kLines;
}

const char* help_mode_title(HelpMode mode) {
  switch (mode) {
    case HelpMode::kTitle:
      return N_("Help: title menu");
    case HelpMode::kCursor:
      return N_("Help: map cursor");
    case HelpMode::kOrderMenu:
      return N_("Help: order menu");
    case HelpMode::kDriving:
      return N_("Help: driving a unit");
    case HelpMode::kWatch:
      return N_("Help: watching");
    case HelpMode::kReplay:
    case HelpMode::kCount:
      break;
  }
  return N_("Help: replay");
}

HelpMode help_mode(const World& w, PlayMode play) {
  if (play == PlayMode::kReplay) return HelpMode::kReplay;
  if (w.game_phase == 0) return HelpMode::kTitle;
  if (play == PlayMode::kWatch) return HelpMode::kWatch;
  if (player_state(w).command_mode == 1) return HelpMode::kOrderMenu;
  if (player_state(w).command_mode == 2) return HelpMode::kDriving;
  return HelpMode::kCursor;
}

}  // namespace quarvex
