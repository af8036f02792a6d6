#pragma once
// Everything around a running game that the player steers: the help panel,
// pause, the menu (Esc), the quit question at the title menu, the title
// menu's own entries, the Controls and Language pages, the message boxes and
// the language every text is shown in. It decides whether the next frame of
// the game runs; it never touches the World, and asks the driver for what
// only the driver can do (quit, full screen, screenshot, restart, title menu).

#include <array>
#include <deque>
#include <string>

#include "lang/languages.h"
#include "lang/message.h"
#include "platform/input.h"
#include "shell/bindings.h"
#include "shell/help.h"
#include "shell/language_page.h"
#include "shell/menu_key.h"
#include "shell/network_request.h"
#include "shell/play_together_page.h"
#include "shell/random_battle_page.h"
#include "shell/settings.h"
#include "shell/stage_list_page.h"
#include "shell/title_screen.h"
#include "world/world.h"

namespace quarvex {

enum class ShellScreen : uint8_t {
  kNone,
  kMenu,
  kQuitQuestion,
  kControls,
  kLanguage,
  kStages,
  kRandomBattle,
  kPlayTogether
};

enum MenuItem : int {
  kMenuResume,
  kMenuRestart,
  kMenuControls,
  kMenuLanguage,
  kMenuTitle,
  kMenuQuit,
  kMenuItems
};
// In English; shown through the shell's texts().
extern const std::array<const char*, kMenuItems> kMenuItemTexts;
extern const std::array<const char*, 2> kQuitAnswers;  // "Yes", "No"

// The sound of what the shell's own menus just did.
enum class ShellCue : uint8_t { kNone, kMove, kConfirm, kBack, kDenied };

struct ShellRequests {
  bool quit = false;
  bool toggle_fullscreen = false;
  bool screenshot = false;
  bool restart_stage = false;
  bool back_to_title = false;
  // The sound keys: mute on or off, the volume a step down (-1) or up (1).
  bool toggle_mute = false;
  int volume_step = 0;
  ShellCue cue = ShellCue::kNone;
  bool watch_stage = false;     // start the stage the title menu shows, watched
  bool open_editor = false;     // the title menu's "Edit a stage"
  bool back_to_editor = false;  // a test play of the editor's stage ends
  bool leave_game = false;      // a networked game: leave it
  // The title menu's Stages page wants the stages as the folder holds them
  // now (Shell::open_stage_list), the Random battle page a first seed
  // (Shell::open_random_battle).
  bool list_stages = false;
  bool random_seed = false;
  // Play the Stages page's entry of this index, for the page's side.
  int play_entry = -1;
  // Play the random battle the Random battle page shows.
  bool play_random_battle = false;
  // The Play together page ends: start the networked game of
  // Shell::network_request().
  bool network_game = false;
  bool about_stages() const {
    return list_stages || random_seed || play_entry >= 0 || play_random_battle;
  }
};

constexpr int kMaxReplaySpeed = 16;

class Shell;

// The eleven game keys this frame from the keyboard and the gamepads, through
// the shell's bindings and its filter of keys held through a closed menu.
void live_game_keys(const Input& input, Shell& shell, std::array<bool, kKeyCount>& down);

class Shell {
 public:
  // The Controls page changes the bindings in `settings` and saves them; the
  // Language page the language. `languages` must outlive the shell;
  // `system_language` is the language "auto" stands for.
  Shell(SettingsFile& settings, const LanguageSet& languages, int system_language = 0);

  // One event from the player, with the World as it stands between frames.
  void handle(const InputEvent& e, const World& w, ShellRequests& out);
  // True when the next frame of the game may run: not paused, no menu, no box.
  bool game_runs() const;
  // How the game on the screen is played; the driver says so before handing
  // the shell the player's events.
  void set_play_mode(PlayMode mode) { play_mode_ = mode; }
  // While the editor's stage is test played, the menu offers "Back to the
  // editor" in place of the title menu, and opens on it.
  void set_editor_test_play(bool on) { editor_test_play_ = on; }
  bool editor_test_play() const { return editor_test_play_; }
  // In a networked game the menu offers "Leave the game" in place of a
  // restart, and P pauses nothing: the server's clock runs for everyone.
  void set_networked(bool on) { networked_ = on; }
  bool networked() const { return networked_; }
  // The menu's row as it reads now, in English.
  const char* menu_item_text(int row) const;
  PlayMode play_mode() const { return play_mode_; }
  // Frames a replay runs in each 30 ms: 1, 2, 4, 8 or 16.
  int replay_speed() const { return replay_speed_; }
  // Queues a message box; frames wait until the player has closed it.
  void show_message(Message message);
  // The live game keys, less those held through a closed menu or box: such a
  // key counts again only after it has been released.
  void filter_game_keys(std::array<bool, kKeyCount>& down);
  // The sound levels a sound key set: kept in the settings and saved at
  // once. A note says the new level, and any failure to save, for a moment.
  void keep_sound_levels(int master_volume, bool mute);
  // Once for every picture shown: the note's moment passes.
  void picture_shown();

  // The texts of the language in effect, for every screen.
  const Texts& texts() const { return texts_; }
  const LanguageSet& languages() const { return languages_; }
  // The language in effect, and the one "auto" stands for.
  int language() const { return language_; }
  int system_language() const { return system_language_; }
  // Switches every text to `language` at once (-1: the system's) and saves
  // the choice.
  void choose_language(int language);
  // Opens the Stages page on `list`, at the title menu's side (0..3).
  void open_stage_list(StageList list, int side);
  // Opens the Random battle page with `seed` shown, at the title menu's side.
  void open_random_battle(uint32_t seed, int side);
  // Opens the Play together page, hosting offered on `lan_addresses` (the
  // title menu's entry gives the machine's).
  void open_play_together(std::vector<std::string> lan_addresses);

  const Bindings& bindings() const { return settings_.settings.bindings; }
  // What a press means on a menu, for pages the shell does not own (the
  // lobby); kNone for a release or a key no menu uses.
  MenuKey menu_key_of(const InputEvent& e) const;
  const SettingsFile& settings() const { return settings_; }
  bool help_visible() const { return help_visible_; }
  bool paused() const { return paused_; }
  ShellScreen screen() const { return screen_; }
  int menu_row() const { return menu_row_; }
  int quit_row() const { return quit_row_; }
  int controls_row() const { return controls_row_; }
  bool controls_waiting() const { return controls_waiting_; }
  // What the Controls page last did, and where (or whether) it saved.
  const std::string& controls_note() const { return controls_note_; }
  const std::string& save_note() const { return save_note_; }
  bool save_failed() const { return save_failed_; }
  // A note for a moment over everything (a new volume, a choice not
  // saved); empty when there is none.
  const std::string& note() const { return note_; }
  const TitleScreen& title_screen() const { return title_; }
  const LanguagePage& language_page() const { return language_page_; }
  const StageListPage& stage_list_page() const { return stage_list_; }
  const RandomBattlePage& random_battle_page() const { return random_battle_; }
  const PlayTogetherPage& play_together_page() const { return play_together_; }
  const NetworkRequest& network_request() const { return play_together_.request(); }
  bool message_shown() const { return !messages_.empty(); }
  const Message& message() const { return messages_.front(); }

 private:
  struct FixedKeys {
    KeyChord up, down, left, right, enter, keypad_enter, space, escape, backspace;
    std::array<KeyChord, 10> digits, keypad_digits;
  };
  void handle_event(const InputEvent& e, const World& w, ShellRequests& out);
  bool is_key(const InputEvent& e, KeyChord k) const;
  bool is_up(const InputEvent& e, int action) const;
  bool is_down(const InputEvent& e, int action) const;
  bool is_choose(const InputEvent& e, int action) const;
  bool is_back(const InputEvent& e, int action) const;
  MenuKey menu_key(const InputEvent& e, int action) const;
  void close_screen();
  bool handle_title(const InputEvent& e, int action, const World& w, ShellRequests& out);
  void title_entry(const TitleOutcome& outcome, ShellRequests& out);
  void handle_stage_list(const InputEvent& e, int action, ShellRequests& out);
  void handle_random_battle(const InputEvent& e, int action, ShellRequests& out);
  // The Play together page (shell_play_together.cpp).
  void handle_play_together(const InputEvent& e, int action, ShellRequests& out);
  void handle_typing(const InputEvent& e, ShellRequests& out);
  void play_together_done(const PlayTogetherOutcome& outcome, bool repeat, ShellRequests& out);
  // 0..9 for a digit key, else -1.
  int digit_of(const InputEvent& e) const;
  void open_language_page(ShellScreen back_to);
  void handle_language_page(const InputEvent& e, int action);
  void step_language(int step);
  // The setting's language, -1 for "auto" (or a code without a catalogue).
  int chosen_language() const;
  void handle_message(const InputEvent& e, int action);
  void handle_menu(const InputEvent& e, int action, ShellRequests& out);
  void handle_quit_question(const InputEvent& e, int action, ShellRequests& out);
  void handle_replay(int action, ShellRequests& out);
  void handle_controls(const InputEvent& e, int action);
  void handle_controls_waiting(const InputEvent& e);
  void note_bind_result(BindResult result, const std::string& name, int other);
  void save();
  std::string why_not_saved(const std::string& error) const;

  SettingsFile& settings_;
  const LanguageSet& languages_;
  int system_language_ = 0;
  int language_ = 0;
  Texts texts_;
  FixedKeys fixed_;
  bool help_visible_ = false;
  bool paused_ = false;
  PlayMode play_mode_ = PlayMode::kPlay;
  bool editor_test_play_ = false;
  bool networked_ = false;
  int replay_speed_ = 1;
  ShellScreen screen_ = ShellScreen::kNone;
  int menu_row_ = 0;
  int quit_row_ = 0;
  int controls_row_ = 0;
  bool controls_waiting_ = false;
  std::string controls_note_;
  std::string save_note_;
  bool save_failed_ = false;
  std::string note_;
  int note_pictures_ = 0;
  TitleScreen title_;
  LanguagePage language_page_;
  StageListPage stage_list_;
  RandomBattlePage random_battle_;
  PlayTogetherPage play_together_;
  ShellScreen language_page_from_ = ShellScreen::kNone;
  ShellCue cue_ = ShellCue::kNone;
  std::deque<Message> messages_;
  std::array<bool, kKeyCount> swallowed_{};
};

}  // namespace quarvex
