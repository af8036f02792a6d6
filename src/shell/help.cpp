#include "shell/help.h"

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
    {kTitleBit, {k(kKeyUp), k(kKeyDown), -1}, "choose the row"},
    {kTitleBit, {k(kKeyLeft), k(kKeyRight), -1}, "change the stage or the side"},
    {kTitleBit, {k(kKeySelect), -1}, "start the stage"},
    {kTitleBit, {k(kActionWatch), -1}, "watch the computer play it"},

    {kCursorBit | kWatchBit, {k(kKeyUp), k(kKeyDown), -1}, "move the cursor up, down"},
    {kCursorBit | kWatchBit, {k(kKeyLeft), k(kKeyRight), -1}, "move the cursor left, right"},
    {kCursorBit | kWatchBit, {k(kKeyFast), -1}, "hold to move faster"},
    {kCursorBit, {k(kKeyMark), -1}, "mark the point under the cursor"},
    {kCursorBit, {k(kKeySelect), -1}, "select your unit nearest to it"},

    {kOrderBit, {k(kKeyLeft), k(kKeyRight), -1}, "choose the order"},
    {kOrderBit, {k(kKeyUp), k(kKeyDown), -1}, "choose what a factory builds"},
    {kOrderBit, {k(kKeySelect), -1}, "give the order"},
    {kOrderBit, {k(kKeyMark), -1}, "mark this unit to be followed"},
    {kOrderBit, {k(kKeyFast), -1}, "back to the map cursor"},

    {kDrivingBit, {k(kKeyUp), k(kKeyDown), -1}, "drive forward, back"},
    {kDrivingBit, {k(kKeyLeft), k(kKeyRight), -1}, "turn left, right"},
    {kDrivingBit, {k(kKeyMark), k(kKeyAux), -1}, "turn the turret or side step"},
    {kDrivingBit, {k(kKeySelect), -1}, "fire"},
    {kDrivingBit, {k(kKeyFast), -1}, "back to the order menu"},

    {kStageBits, {k(kKeyZoomIn), k(kKeyZoomOut), -1}, "zoom in, out"},
    {kStageBits, {k(kKeyInfo), -1}, "information box"},

    {kWatchBit, {-1}, "the computer plays your side too"},

    {kReplayBit, {k(kKeyRight), -1}, "faster, up to x16"},
    {kReplayBit, {k(kKeyLeft), -1}, "slower"},
    {kReplayBit, {k(kActionMenu), -1}, "leave the replay"},

    {kAllBits, {k(kActionHelp), -1}, "show or hide this help"},
    {kAllBits, {k(kActionPause), -1}, "pause and resume"},
    {kTitleBit, {k(kActionMenu), -1}, "quit"},
    {kStageBits, {k(kActionMenu), -1}, "menu: restart, controls, quit"},
    {kAllBits, {k(kActionFullscreen), -1}, "full screen on, off"},
    {kAllBits, {k(kActionScreenshot), -1}, "save a screenshot"},
    {kAllBits, {k(kActionMute), -1}, "sound off, on"},
    {kAllBits, {k(kActionVolumeDown), k(kActionVolumeUp), -1}, "sound quieter, louder"},
};

}  // namespace

std::span<const HelpLine> help_lines() {
  return kLines;
}

const char* help_mode_title(HelpMode mode) {
  switch (mode) {
    case HelpMode::kTitle:
      return "Help: title menu";
    case HelpMode::kCursor:
      return "Help: map cursor";
    case HelpMode::kOrderMenu:
      return "Help: order menu";
    case HelpMode::kDriving:
      return "Help: driving a unit";
    case HelpMode::kWatch:
      return "Help: watching";
    case HelpMode::kReplay:
    case HelpMode::kCount:
      break;
  }
  return "Help: replay";
}

HelpMode help_mode(const World& w, PlayMode play) {
  if (play == PlayMode::kReplay) return HelpMode::kReplay;
  if (w.game_phase == 0) return HelpMode::kTitle;
  if (play == PlayMode::kWatch) return HelpMode::kWatch;
  if (w.command_mode == 1) return HelpMode::kOrderMenu;
  if (w.command_mode == 2) return HelpMode::kDriving;
  return HelpMode::kCursor;
}

}  // namespace quarvex
