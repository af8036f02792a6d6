#include "shell/shell.h"

#include <algorithm>
#include <utility>

#include "shell/lan_addresses.h"

namespace quarvex {

const std::array<const char*, kMenuItems> kMenuItemTexts = {
    N_("Resume"),   N_("Restart the stage"),      N_("Controls"),
    N_("Language"), N_("Back to the title menu"), N_("Quit")};
const std::array<const char*, 2> kQuitAnswers = {N_("Yes"), N_("No")};

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
constexpr int kNotePictures = 50;

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

Shell::Shell(SettingsFile& settings, const LanguageSet& languages, int system_language)
    : settings_(settings), languages_(languages) {
  fixed_ = FixedKeys{named("Up"),
                     named("Down"),
                     named("Left"),
                     named("Right"),
                     named("Return"),
                     named("Keypad Enter"),
                     named("Space"),
                     named("Escape"),
                     named("Backspace"),
                     {},
                     {}};
  for (int i = 0; i < 10; ++i) {
    fixed_.digits[static_cast<size_t>(i)] = named(std::to_string(i).c_str());
    fixed_.keypad_digits[static_cast<size_t>(i)] = named(("Keypad " + std::to_string(i)).c_str());
  }
  system_language_ =
      system_language >= 0 && system_language < languages.count() ? system_language : 0;
  const int chosen = chosen_language();
  language_ = chosen >= 0 ? chosen : system_language_;
  texts_ = languages_.texts(language_);
}

int Shell::chosen_language() const {
  const std::string& setting = settings_.settings.language;
  return setting == "auto" ? -1 : languages_.find(setting);
}

void Shell::choose_language(int language) {
  const bool system = language < 0 || language >= languages_.count();
  language_ = system ? system_language_ : language;
  texts_ = languages_.texts(language_);
  settings_.settings.language = system ? "auto" : languages_.at(language).code;
  std::string error;
  if (!save_settings(settings_, error)) {
    note_ = texts_.trf("Not saved: {error}", {{"error", why_not_saved(error)}});
    note_pictures_ = kNotePictures;
  }
}

const char* Shell::menu_item_text(int row) const {
  if (row == kMenuTitle && editor_test_play_) return N_("Back to the editor");
  if (row == kMenuRestart && networked_) return N_("Leave the game");
  return row >= 0 && row < kMenuItems ? kMenuItemTexts[static_cast<size_t>(row)] : "";
}

bool Shell::game_runs() const {
  return !paused_ && screen_ == ShellScreen::kNone && messages_.empty();
}

void Shell::show_message(Message message) {
  messages_.push_back(std::move(message));
}

void Shell::filter_game_keys(std::array<bool, kKeyCount>& down) {
  // The title menu's own entries have the focus: the World's rows stay put.
  if (title_.has_focus()) {
    down.fill(false);
    return;
  }
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

MenuKey Shell::menu_key(const InputEvent& e, int action) const {
  if (is_up(e, action)) return MenuKey::kUp;
  if (is_down(e, action)) return MenuKey::kDown;
  if (action == kKeyLeft || is_key(e, fixed_.left)) return MenuKey::kLeft;
  if (action == kKeyRight || is_key(e, fixed_.right)) return MenuKey::kRight;
  if (is_choose(e, action) || is_key(e, fixed_.space)) return MenuKey::kChoose;
  if (is_back(e, action)) return MenuKey::kBack;
  return MenuKey::kNone;
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
  note_ = mute ? texts_.tr("Sound off")
               : texts_.trf("Volume {level}%", {{"level", std::to_string(master_volume)}});
  std::string error;
  if (!save_settings(settings_, error)) {
    note_ = texts_.trf("{note} (not saved: {error})",
                       {{"note", note_}, {"error", why_not_saved(error)}});
  }
  note_pictures_ = kNotePictures;
}

void Shell::picture_shown() {
  if (note_pictures_ > 0 && --note_pictures_ == 0) note_.clear();
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
    // A networked game runs on at the server's pace: only P pauses it.
    if (settings_.settings.pause_on_focus_loss && !networked_) paused_ = true;
    return;
  }
  if (screen_ == ShellScreen::kPlayTogether && play_together_.typing() && messages_.empty()) {
    handle_typing(e, out);
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
    case ShellScreen::kLanguage:
      handle_language_page(e, action);
      return;
    case ShellScreen::kStages:
      handle_stage_list(e, action, out);
      return;
    case ShellScreen::kRandomBattle:
      handle_random_battle(e, action, out);
      return;
    case ShellScreen::kPlayTogether:
      handle_play_together(e, action, out);
      return;
    case ShellScreen::kNone:
      break;
  }
  if (w.game_phase != 0 || play_mode_ != PlayMode::kPlay) {
    title_.leave();
  } else if (handle_title(e, action, w, out)) {
    return;
  }
  if (e.repeat) return;
  if (action == kActionHelp) help_visible_ = !help_visible_;
  if (action == kActionPause && !networked_) paused_ = !paused_;
  if (play_mode_ == PlayMode::kReplay) {
    handle_replay(action, out);
    return;
  }
  if (action == kActionWatch && w.game_phase == 0) {
    // The stage starts: the title menu's entries lose the focus with it.
    title_.leave();
    out.watch_stage = true;
  }
  if (action == kActionMenu) {
    cue_ = ShellCue::kConfirm;
    if (w.game_phase == 0) {
      screen_ = ShellScreen::kQuitQuestion;
      quit_row_ = 0;
    } else {
      screen_ = ShellScreen::kMenu;
      menu_row_ = editor_test_play_ ? kMenuTitle : kMenuResume;
    }
  }
}

bool Shell::handle_title(const InputEvent& e, int action, const World& w, ShellRequests& out) {
  const TitleOutcome outcome = title_.handle(menu_key(e, action), w.title_row);
  switch (outcome.kind) {
    case TitleOutcome::kIgnored:
      return false;
    case TitleOutcome::kLeft:
      // The key that moved back must not move the World's rows too.
      swallowed_.fill(true);
      cue_ = ShellCue::kMove;
      return true;
    case TitleOutcome::kMoved:
      cue_ = ShellCue::kMove;
      return true;
    case TitleOutcome::kChosen:
    case TitleOutcome::kPrevious:
    case TitleOutcome::kNext:
      if (e.repeat && outcome.kind == TitleOutcome::kChosen) return true;
      title_entry(outcome, out);
      return true;
  }
  return false;
}

void Shell::title_entry(const TitleOutcome& outcome, ShellRequests& out) {
  switch (outcome.entry) {
    case TitleEntry::kStages:
    case TitleEntry::kRandomBattle:
      if (outcome.kind != TitleOutcome::kChosen) return;
      cue_ = ShellCue::kConfirm;
      if (outcome.entry == TitleEntry::kStages) {
        out.list_stages = true;
      } else {
        out.random_seed = true;
      }
      return;
    case TitleEntry::kPlayTogether:
      if (outcome.kind == TitleOutcome::kChosen) {
        cue_ = ShellCue::kConfirm;
        open_play_together(lan_addresses());
      }
      return;
    case TitleEntry::kEditor:
      if (outcome.kind == TitleOutcome::kChosen) {
        cue_ = ShellCue::kConfirm;
        title_.leave();
        out.open_editor = true;
      }
      return;
    case TitleEntry::kLanguage:
      if (outcome.kind == TitleOutcome::kChosen) {
        cue_ = ShellCue::kConfirm;
        open_language_page(ShellScreen::kNone);
      } else {
        cue_ = ShellCue::kMove;
        step_language(outcome.kind == TitleOutcome::kNext ? 1 : -1);
      }
      return;
  }
}

// Left and right on the title menu's entry go through the languages in
// their order, round at the ends.
void Shell::step_language(int step) {
  const int count = languages_.count();
  choose_language((language_ + step + count) % count);
}

void Shell::open_language_page(ShellScreen back_to) {
  language_page_from_ = back_to;
  language_page_.open(chosen_language(), languages_.count());
  screen_ = ShellScreen::kLanguage;
}

void Shell::handle_language_page(const InputEvent& e, int action) {
  const LanguagePageOutcome outcome = language_page_.handle(menu_key(e, action));
  if (outcome.kind == LanguagePageOutcome::kMoved) {
    cue_ = ShellCue::kMove;
    return;
  }
  if (e.repeat || outcome.kind == LanguagePageOutcome::kNone) return;
  if (outcome.kind == LanguagePageOutcome::kChosen) {
    choose_language(outcome.language);
    cue_ = ShellCue::kConfirm;
  } else {
    cue_ = ShellCue::kBack;
  }
  if (language_page_from_ == ShellScreen::kNone) {
    close_screen();
  } else {
    screen_ = language_page_from_;
  }
}

void Shell::open_stage_list(StageList list, int side) {
  stage_list_.open(std::move(list), side);
  screen_ = ShellScreen::kStages;
}

void Shell::open_random_battle(uint32_t seed, int side) {
  random_battle_.open(seed, side);
  screen_ = ShellScreen::kRandomBattle;
}

// A stage chosen starts at once; the title menu's entries lose the focus
// with it, as when the stage starts from the title menu's own rows.
void Shell::handle_stage_list(const InputEvent& e, int action, ShellRequests& out) {
  const StageListOutcome outcome = stage_list_.handle(menu_key(e, action));
  switch (outcome.kind) {
    case StageListOutcome::kNone:
      return;
    case StageListOutcome::kMoved:
    case StageListOutcome::kSide:
      cue_ = ShellCue::kMove;
      return;
    case StageListOutcome::kDenied:
      if (!e.repeat) cue_ = ShellCue::kDenied;
      return;
    case StageListOutcome::kChosen:
      if (e.repeat) return;
      cue_ = ShellCue::kConfirm;
      out.play_entry = outcome.entry;
      title_.leave();
      close_screen();
      return;
    case StageListOutcome::kBack:
      if (e.repeat) return;
      cue_ = ShellCue::kBack;
      close_screen();
      return;
  }
}

int Shell::digit_of(const InputEvent& e) const {
  for (int i = 0; i < 10; ++i) {
    if (is_key(e, fixed_.digits[static_cast<size_t>(i)]) ||
        is_key(e, fixed_.keypad_digits[static_cast<size_t>(i)])) {
      return i;
    }
  }
  return -1;
}

void Shell::handle_random_battle(const InputEvent& e, int action, ShellRequests& out) {
  if (random_battle_.typing()) {
    if (const int digit = digit_of(e); digit >= 0) {
      cue_ = random_battle_.type_digit(digit) ? ShellCue::kMove : ShellCue::kDenied;
      return;
    }
    if (is_key(e, fixed_.backspace)) {
      random_battle_.erase_digit();
      cue_ = ShellCue::kBack;
      return;
    }
  }
  const RandomBattleOutcome outcome = random_battle_.handle(menu_key(e, action));
  switch (outcome.kind) {
    case RandomBattleOutcome::kNone:
      return;
    case RandomBattleOutcome::kMoved:
    case RandomBattleOutcome::kChanged:
      cue_ = ShellCue::kMove;
      return;
    case RandomBattleOutcome::kStart:
      if (e.repeat) return;
      cue_ = ShellCue::kConfirm;
      out.play_random_battle = true;
      title_.leave();
      close_screen();
      return;
    case RandomBattleOutcome::kBack:
      if (e.repeat) return;
      cue_ = ShellCue::kBack;
      close_screen();
      return;
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
      if (networked_) {
        out.leave_game = true;
      } else {
        out.restart_stage = true;
      }
      break;
    case kMenuTitle:
      if (editor_test_play_) {
        out.back_to_editor = true;
      } else {
        out.back_to_title = true;
      }
      break;
    case kMenuControls:
      screen_ = ShellScreen::kControls;
      controls_row_ = 0;
      controls_note_.clear();
      save_note_.clear();
      save_failed_ = false;
      return;
    case kMenuLanguage:
      open_language_page(ShellScreen::kMenu);
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
    controls_note_ = texts_.trf("{action}: every key cleared.",
                                {{"action", texts_.tr(kActions[controls_row_].label)}});
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
    controls_note_ = texts_.trf("Press a key or a gamepad button for {action} (Esc: cancel).",
                                {{"action", texts_.tr(kActions[controls_row_].label)}});
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
    controls_note_ = texts_.trf("{action}: every key cleared.",
                                {{"action", texts_.tr(kActions[controls_row_].label)}});
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
  const char* label = texts_.tr(kActions[controls_row_].label);
  controls_waiting_ = false;
  cue_ = result == BindResult::kAdded ? ShellCue::kConfirm : ShellCue::kDenied;
  switch (result) {
    case BindResult::kAdded:
      controls_note_ = texts_.trf("{key} added to {action}.", {{"key", name}, {"action", label}});
      save();
      return;
    case BindResult::kAlreadyBound:
      controls_note_ =
          texts_.trf("{key} is already bound to {action}.", {{"key", name}, {"action", label}});
      return;
    case BindResult::kTaken:
      controls_note_ = texts_.trf("{key} is already bound to {action}: refused.",
                                  {{"key", name}, {"action", texts_.tr(kActions[other].label)}});
      return;
    case BindResult::kFull:
      controls_note_ =
          texts_.trf("{action} has {count} keys already (Backspace clears them).",
                     {{"action", label}, {"count", std::to_string(kMaxKeysPerAction)}});
      return;
    case BindResult::kNeedsPlainKey:
      controls_note_ = texts_.trf("{key} cannot be bound.", {{"key", name}});
      return;
  }
}

// Short enough for a note: a file that now has errors says so (the help
// lists them); any other failure names the file without its folder.
std::string Shell::why_not_saved(const std::string& error) const {
  if (!settings_.errors.empty()) return texts_.tr("the file has errors");
  return without_folder(error, settings_.path);
}

void Shell::save() {
  std::string error;
  save_failed_ = !save_settings(settings_, error);
  save_note_ = save_failed_ ? texts_.trf("Not saved: {error}", {{"error", why_not_saved(error)}})
                            : texts_.trf("Saved in {path}", {{"path", settings_.path}});
}

}  // namespace quarvex
