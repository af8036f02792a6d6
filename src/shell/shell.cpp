#include "shell/shell.h"

#include <algorithm>

namespace quarvex {

const std::array<const char*, kMenuItems> kMenuItemTexts = {
    "Resume", "Restart the stage", "Controls", "Back to the title menu", "Quit"};
const std::array<const char*, 2> kQuitAnswers = {"Yes", "No"};

namespace {

KeyChord named(const char* name) {
  KeyChord chord;
  parse_key_chord(name, chord);
  return chord;
}

// The row one up or down from `row` among `count`, going round at the ends.
int next_row(int row, int count, int step) {
  return (row + step + count) % count;
}

// About a second and a half of pictures at the game's 30 ms.
constexpr int kSoundNotePictures = 50;

bool is_press(const InputEvent& e) {
  return e.kind == InputKind::kKeyDown || e.kind == InputKind::kPadDown ||
         e.kind == InputKind::kClick;
}

}  // namespace

void live_game_keys(const Input& input, Shell& shell, std::array<bool, kKeyCount>& down) {
  int count = 0;
  const uint8_t* keyboard = input.keyboard(count);
  std::array<bool, kPadInputs> pad{};
  input.pad_state(pad);
  game_keys_down(shell.bindings(), keyboard, count, pad, down);
  shell.filter_game_keys(down);
}

Shell::Shell(SettingsFile& settings) : settings_(settings) {
  fixed_ = FixedKeys{named("Up"),    named("Down"),   named("Return"),   named("Keypad Enter"),
                     named("Space"), named("Escape"), named("Backspace")};
}

bool Shell::game_runs() const {
  return !paused_ && screen_ == ShellScreen::kNone && messages_.empty();
}

void Shell::show_message(const char* text) {
  messages_.emplace_back(text);
}

void Shell::filter_game_keys(std::array<bool, kKeyCount>& down) {
  for (int k = 0; k < kKeyCount; ++k) {
    if (!swallowed_[k]) continue;
    if (down[k]) {
      down[k] = false;
    } else {
      swallowed_[k] = false;
    }
  }
}

bool Shell::is_key(const InputEvent& e, KeyChord k) const {
  return e.kind == InputKind::kKeyDown && e.key.scancode == k.scancode && k.scancode != 0;
}

bool Shell::is_up(const InputEvent& e, int action) const {
  return action == kKeyUp || is_key(e, fixed_.up);
}

bool Shell::is_down(const InputEvent& e, int action) const {
  return action == kKeyDown || is_key(e, fixed_.down);
}

bool Shell::is_choose(const InputEvent& e, int action) const {
  return action == kKeySelect || is_key(e, fixed_.enter) || is_key(e, fixed_.keypad_enter);
}

bool Shell::is_back(const InputEvent& e, int action) const {
  return action == kActionMenu || action == kKeyFast || is_key(e, fixed_.escape);
}

void Shell::close_screen() {
  screen_ = ShellScreen::kNone;
  controls_waiting_ = false;
  // The key that closed it, and any other held, must not reach the game.
  swallowed_.fill(true);
}

void Shell::keep_sound_levels(int master_volume, bool mute) {
  settings_.settings.master_volume = master_volume;
  settings_.settings.mute = mute;
  sound_note_ = mute ? "Sound off" : "Volume " + std::to_string(master_volume) + "%";
  std::string error;
  if (!save_settings(settings_, error)) sound_note_ += " (not saved: " + error + ")";
  sound_note_pictures_ = kSoundNotePictures;
}

void Shell::picture_shown() {
  if (sound_note_pictures_ > 0 && --sound_note_pictures_ == 0) sound_note_.clear();
}

void Shell::handle(const InputEvent& e, const World& w, ShellRequests& out) {
  cue_ = ShellCue::kNone;
  handle_event(e, w, out);
  out.cue = cue_;
}

void Shell::handle_event(const InputEvent& e, const World& w, ShellRequests& out) {
  if (e.kind == InputKind::kQuit) {
    out.quit = true;
    return;
  }
  if (e.kind == InputKind::kFocusLost) {
    if (settings_.settings.pause_on_focus_loss) paused_ = true;
    return;
  }
  if (!is_press(e)) return;
  int action = -1;
  if (e.kind == InputKind::kKeyDown) action = action_of_key(bindings(), e.key);
  if (e.kind == InputKind::kPadDown) action = action_of_pad(bindings(), e.pad_input);

  const bool binding_a_key = screen_ == ShellScreen::kControls && controls_waiting_;
  if (!binding_a_key && !e.repeat) {
    if (action == kActionFullscreen) {
      out.toggle_fullscreen = true;
      return;
    }
    if (action == kActionScreenshot) {
      out.screenshot = true;
      return;
    }
    if (action == kActionMute) {
      out.toggle_mute = true;
      return;
    }
    if (action == kActionVolumeDown || action == kActionVolumeUp) {
      out.volume_step = action == kActionVolumeUp ? 1 : -1;
      return;
    }
  }
  if (!messages_.empty()) {
    handle_message(e, action);
    return;
  }
  switch (screen_) {
    case ShellScreen::kMenu:
      handle_menu(e, action, out);
      return;
    case ShellScreen::kQuitQuestion:
      handle_quit_question(e, action, out);
      return;
    case ShellScreen::kControls:
      if (controls_waiting_) {
        handle_controls_waiting(e);
      } else {
        handle_controls(e, action);
      }
      return;
    case ShellScreen::kNone:
      break;
  }
  if (e.repeat) return;
  if (action == kActionHelp) help_visible_ = !help_visible_;
  if (action == kActionPause) paused_ = !paused_;
  if (play_mode_ == PlayMode::kReplay) {
    handle_replay(action, out);
    return;
  }
  if (action == kActionWatch && w.game_phase == 0) out.watch_stage = true;
  if (action == kActionMenu) {
    cue_ = ShellCue::kConfirm;
    if (w.game_phase == 0) {
      screen_ = ShellScreen::kQuitQuestion;
      quit_row_ = 0;
    } else {
      screen_ = ShellScreen::kMenu;
      menu_row_ = kMenuResume;
    }
  }
}

// A replay takes no game keys: right and left set its speed, the menu key leaves.
void Shell::handle_replay(int action, ShellRequests& out) {
  if (action == kKeyRight) replay_speed_ = std::min(replay_speed_ * 2, kMaxReplaySpeed);
  if (action == kKeyLeft) replay_speed_ = std::max(replay_speed_ / 2, 1);
  if (action == kActionMenu) out.quit = true;
}

void Shell::handle_message(const InputEvent& e, int action) {
  if (e.repeat) return;
  const bool closes = e.kind == InputKind::kClick || action == kKeySelect ||
                      action == kActionMenu || is_key(e, fixed_.enter) ||
                      is_key(e, fixed_.keypad_enter) || is_key(e, fixed_.space) ||
                      is_key(e, fixed_.escape);
  if (!closes) return;
  messages_.pop_front();
  if (messages_.empty()) swallowed_.fill(true);
}

void Shell::handle_menu(const InputEvent& e, int action, ShellRequests& out) {
  if (is_up(e, action) || is_down(e, action)) {
    menu_row_ = next_row(menu_row_, kMenuItems, is_up(e, action) ? -1 : 1);
    cue_ = ShellCue::kMove;
    return;
  }
  if (e.repeat) return;
  if (is_back(e, action)) {
    close_screen();
    paused_ = false;
    cue_ = ShellCue::kBack;
    return;
  }
  if (!is_choose(e, action)) return;
  cue_ = menu_row_ == kMenuResume ? ShellCue::kBack : ShellCue::kConfirm;
  switch (menu_row_) {
    case kMenuRestart:
      out.restart_stage = true;
      break;
    case kMenuTitle:
      out.back_to_title = true;
      break;
    case kMenuControls:
      screen_ = ShellScreen::kControls;
      controls_row_ = 0;
      controls_note_.clear();
      save_note_.clear();
      return;
    case kMenuQuit:
      out.quit = true;
      return;
    default:
      break;
  }
  close_screen();
  paused_ = false;
}

void Shell::handle_quit_question(const InputEvent& e, int action, ShellRequests& out) {
  if (is_up(e, action) || is_down(e, action)) {
    quit_row_ = 1 - quit_row_;
    cue_ = ShellCue::kMove;
    return;
  }
  if (e.repeat) return;
  if (is_back(e, action)) {
    close_screen();
    cue_ = ShellCue::kBack;
    return;
  }
  if (!is_choose(e, action)) return;
  if (quit_row_ == 0) {
    out.quit = true;
    return;
  }
  close_screen();
  cue_ = ShellCue::kBack;
}

void Shell::handle_controls(const InputEvent& e, int action) {
  if (is_up(e, action) || is_down(e, action)) {
    controls_row_ = next_row(controls_row_, kActionCount, is_up(e, action) ? -1 : 1);
    cue_ = ShellCue::kMove;
    return;
  }
  if (e.repeat) return;
  if (is_key(e, fixed_.backspace)) {
    clear_keys(settings_.settings.bindings, controls_row_);
    clear_pad(settings_.settings.bindings, controls_row_);
    controls_note_ = std::string(kActions[controls_row_].label) + ": every key cleared.";
    cue_ = ShellCue::kBack;
    save();
    return;
  }
  if (is_back(e, action)) {
    screen_ = ShellScreen::kMenu;
    cue_ = ShellCue::kBack;
    return;
  }
  if (is_choose(e, action)) {
    cue_ = ShellCue::kConfirm;
    controls_waiting_ = true;
    controls_note_ = std::string("Press a key or a gamepad button for ") +
                     kActions[controls_row_].label + " (Esc: cancel).";
  }
}

void Shell::handle_controls_waiting(const InputEvent& e) {
  if (e.repeat || e.kind == InputKind::kClick) return;
  Bindings& b = settings_.settings.bindings;
  int other = -1;
  if (e.kind == InputKind::kPadDown) {
    const BindResult result = bind_pad(b, controls_row_, e.pad_input, other);
    note_bind_result(result, pad_input_name(e.pad_input), other);
    return;
  }
  if (is_key(e, fixed_.escape)) {
    controls_waiting_ = false;
    controls_note_.clear();
    cue_ = ShellCue::kBack;
    return;
  }
  if (is_key(e, fixed_.backspace)) {
    clear_keys(b, controls_row_);
    clear_pad(b, controls_row_);
    controls_waiting_ = false;
    cue_ = ShellCue::kBack;
    controls_note_ = std::string(kActions[controls_row_].label) + ": every key cleared.";
    save();
    return;
  }
  const bool game_key = controls_row_ < kKeyCount;
  // A shell action may be a chord: its modifier alone is not the key yet.
  if (!game_key && is_modifier_key(e.key.scancode)) return;
  const KeyChord chord = game_key ? KeyChord{e.key.scancode, 0} : e.key;
  const BindResult result = bind_key(b, controls_row_, chord, other);
  note_bind_result(result, key_chord_name(chord), other);
}

void Shell::note_bind_result(BindResult result, const std::string& name, int other) {
  const std::string label = kActions[controls_row_].label;
  controls_waiting_ = false;
  cue_ = result == BindResult::kAdded ? ShellCue::kConfirm : ShellCue::kDenied;
  switch (result) {
    case BindResult::kAdded:
      controls_note_ = name + " added to " + label + ".";
      save();
      return;
    case BindResult::kAlreadyBound:
      controls_note_ = name + " is already bound to " + label + ".";
      return;
    case BindResult::kTaken:
      controls_note_ = name + " is already bound to " + kActions[other].label + ": refused.";
      return;
    case BindResult::kFull:
      controls_note_ = label + " has " + std::to_string(kMaxKeysPerAction) +
                       " keys already (Backspace clears them).";
      return;
    case BindResult::kNeedsPlainKey:
      controls_note_ = name + " cannot be bound.";
      return;
  }
}

void Shell::save() {
  std::string error;
  if (save_settings(settings_, error)) {
    save_note_ = "Saved in " + settings_.path;
  } else {
    save_note_ = "Not saved: " + error;
  }
}

}  // namespace quarvex
