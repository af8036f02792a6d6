#pragma once
// Everything around a running game that the player steers: the help panel,
// pause, the menu (Esc), the quit question at the title menu, the Controls
// page and the message boxes. It decides whether the next frame of the game
// runs; it never touches the World, and asks the driver for what only the
// driver can do (quit, full screen, screenshot, restart, title menu).

#include <array>
#include <deque>
#include <string>

#include "platform/input.h"
#include "shell/bindings.h"
#include "shell/help.h"
#include "shell/settings.h"
#include "world/world.h"

namespace quarvex {

enum class ShellScreen : uint8_t { kNone, kMenu, kQuitQuestion, kControls };

enum MenuItem : int { kMenuResume, kMenuRestart, kMenuControls, kMenuTitle, kMenuQuit, kMenuItems };
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
  bool watch_stage = false;  // start the stage the title menu shows, watched
};

constexpr int kMaxReplaySpeed = 16;

class Shell;

// The eleven game keys this frame from the keyboard and the gamepads, through
// the shell's bindings and its filter of keys held through a closed menu.
void live_game_keys(const Input& input, Shell& shell, std::array<bool, kKeyCount>& down);

class Shell {
 public:
  // The Controls page changes the bindings in `settings` and saves them.
  explicit Shell(SettingsFile& settings);

  // One event from the player, with the World as it stands between frames.
  void handle(const InputEvent& e, const World& w, ShellRequests& out);
  // True when the next frame of the game may run: not paused, no menu, no box.
  bool game_runs() const;
  // How the game on the screen is played; the driver says so before handing
  // the shell the player's events.
  void set_play_mode(PlayMode mode) { play_mode_ = mode; }
  PlayMode play_mode() const { return play_mode_; }
  // Frames a replay runs in each 30 ms: 1, 2, 4, 8 or 16.
  int replay_speed() const { return replay_speed_; }
  // Queues a message box; frames wait until the player has closed it.
  void show_message(const char* text);
  // The live game keys, less those held through a closed menu or box: such a
  // key counts again only after it has been released.
  void filter_game_keys(std::array<bool, kKeyCount>& down);
  // The sound levels a sound key set: kept in the settings and saved at
  // once. A note says the new level, and any failure to save, for a moment.
  void keep_sound_levels(int master_volume, bool mute);
  // Once for every picture shown: the note's moment passes.
  void picture_shown();

  const Bindings& bindings() const { return settings_.settings.bindings; }
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
  // Empty when there is no note to show.
  const std::string& sound_note() const { return sound_note_; }
  bool message_shown() const { return !messages_.empty(); }
  const std::string& message() const { return messages_.front(); }

 private:
  struct FixedKeys {
    KeyChord up, down, enter, keypad_enter, space, escape, backspace;
  };
  void handle_event(const InputEvent& e, const World& w, ShellRequests& out);
  bool is_key(const InputEvent& e, KeyChord k) const;
  bool is_up(const InputEvent& e, int action) const;
  bool is_down(const InputEvent& e, int action) const;
  bool is_choose(const InputEvent& e, int action) const;
  bool is_back(const InputEvent& e, int action) const;
  void close_screen();
  void handle_message(const InputEvent& e, int action);
  void handle_menu(const InputEvent& e, int action, ShellRequests& out);
  void handle_quit_question(const InputEvent& e, int action, ShellRequests& out);
  void handle_replay(int action, ShellRequests& out);
  void handle_controls(const InputEvent& e, int action);
  void handle_controls_waiting(const InputEvent& e);
  void note_bind_result(BindResult result, const std::string& name, int other);
  void save();

  SettingsFile& settings_;
  FixedKeys fixed_;
  bool help_visible_ = false;
  bool paused_ = false;
  PlayMode play_mode_ = PlayMode::kPlay;
  int replay_speed_ = 1;
  ShellScreen screen_ = ShellScreen::kNone;
  int menu_row_ = 0;
  int quit_row_ = 0;
  int controls_row_ = 0;
  bool controls_waiting_ = false;
  std::string controls_note_;
  std::string save_note_;
  std::string sound_note_;
  int sound_note_pictures_ = 0;
  ShellCue cue_ = ShellCue::kNone;
  std::deque<std::string> messages_;
  std::array<bool, kKeyCount> swallowed_{};
};

}  // namespace quarvex
