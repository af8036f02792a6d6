// The shell's side of the Play together page: which keys reach it, the
// sounds of its steps, and saving the name and the addresses it changes.

#include <utility>

#include "shell/shell.h"

namespace quarvex {

void Shell::open_play_together(std::vector<std::string> lan_addresses) {
  play_together_.open(std::move(lan_addresses));
  screen_ = ShellScreen::kPlayTogether;
}

void Shell::handle_play_together(const InputEvent& e, int action, ShellRequests& out) {
  play_together_done(play_together_.key(menu_key(e, action), settings_.settings), e.repeat, out);
}

// While a text is typed the keyboard types: only the editing keys, the
// arrows (which move the letter grid) and the full screen and screenshot
// keys keep their meaning; no letter reaches a binding.
void Shell::handle_typing(const InputEvent& e, ShellRequests& out) {
  Settings& settings = settings_.settings;
  if (e.kind == InputKind::kText) {
    play_together_done(play_together_.type(e.text), false, out);
    return;
  }
  if (e.kind == InputKind::kPadDown) {
    const int action = action_of_pad(bindings(), e.pad_input);
    play_together_done(play_together_.key(menu_key(e, action), settings), e.repeat, out);
    return;
  }
  if (e.kind != InputKind::kKeyDown) return;
  const int action = action_of_key(bindings(), e.key);
  if (!e.repeat && (action == kActionFullscreen || action == kActionScreenshot)) {
    out.toggle_fullscreen = action == kActionFullscreen;
    out.screenshot = action == kActionScreenshot;
    return;
  }
  PlayTogetherOutcome outcome;
  if (is_key(e, fixed_.backspace)) {
    outcome = play_together_.edit(EditKey::kBackspace, settings);
  } else if (e.repeat) {
    return;
  } else if (is_key(e, fixed_.enter) || is_key(e, fixed_.keypad_enter)) {
    outcome = play_together_.edit(EditKey::kEnter, settings);
  } else if (is_key(e, fixed_.escape)) {
    outcome = play_together_.edit(EditKey::kEscape, settings);
  } else if (is_key(e, fixed_.up)) {
    outcome = play_together_.key(MenuKey::kUp, settings);
  } else if (is_key(e, fixed_.down)) {
    outcome = play_together_.key(MenuKey::kDown, settings);
  } else if (is_key(e, fixed_.left)) {
    outcome = play_together_.key(MenuKey::kLeft, settings);
  } else if (is_key(e, fixed_.right)) {
    outcome = play_together_.key(MenuKey::kRight, settings);
  }
  play_together_done(outcome, false, out);
}

void Shell::play_together_done(const PlayTogetherOutcome& outcome, bool repeat,
                               ShellRequests& out) {
  switch (outcome.kind) {
    case PlayTogetherOutcome::kNone:
      return;
    case PlayTogetherOutcome::kMoved:
      cue_ = ShellCue::kMove;
      return;
    case PlayTogetherOutcome::kConfirmed:
      if (!repeat) cue_ = ShellCue::kConfirm;
      return;
    case PlayTogetherOutcome::kDenied:
      if (!repeat) cue_ = ShellCue::kDenied;
      return;
    case PlayTogetherOutcome::kBack:
      cue_ = ShellCue::kBack;
      return;
    case PlayTogetherOutcome::kLeft:
      cue_ = ShellCue::kBack;
      close_screen();
      return;
    case PlayTogetherOutcome::kSettings:
      cue_ = ShellCue::kConfirm;
      save();
      return;
    case PlayTogetherOutcome::kRequest:
      if (repeat) return;
      cue_ = ShellCue::kConfirm;
      save();
      close_screen();
      out.network_game = true;
      return;
  }
}

}  // namespace quarvex
