// The shell around a real game: pause holds the World bit for bit, the menu
// leads back to the start-up state or a fresh start of the stage, boxes hold
// the frames, the Controls page binds, refuses and saves, the sound keys
// change the levels and save them, and the menus ask for their sounds.

#include <SDL.h>
#include <gtest/gtest.h>

#include "app/game.h"
#include "app/sound_controls.h"
#include "app/world_output.h"
#include "shell/shell.h"
#include "test_files.h"
#include "test_host.h"

namespace quarvex {
namespace {

KeyChord key(const char* name) {
  KeyChord chord;
  EXPECT_TRUE(parse_key_chord(name, chord)) << name;
  return chord;
}

// The windowed driver's step, with a test host: the shell's events, then a
// frame only when the shell lets it run.
struct Driver : testing::TestHost {
  explicit Driver(const Options& options) : shell(settings) {
    settings.path = "";
    std::string error;
    EXPECT_TRUE(game.begin(options, error)) << error;
  }
  void show_message(const char* text) override {
    testing::TestHost::show_message(text);
    shell.show_message(text);
  }
  void event(const InputEvent& e) {
    ShellRequests r;
    shell.handle(e, game.world(), r);
    if (r.restart_stage) game.reset(true, game.watching());
    if (r.back_to_title) game.reset(false, false);
    if (r.watch_stage) game.reset(true, true);
    apply_shell_sound(r, shell, nullptr);
    if (r.cue != ShellCue::kNone) cues.push_back(r.cue);
    quit = quit || r.quit;
  }
  void press(const char* name) {
    event(InputEvent{InputKind::kKeyDown, key(name), false, 0});
    event(InputEvent{InputKind::kKeyUp, key(name), false, 0});
  }
  void steps(int n) {
    for (int i = 0; i < n; ++i) {
      if (shell.game_runs()) game.run_frame(*this);
    }
  }
  uint64_t hash() const { return world_hash(game.world()); }

  SettingsFile settings;
  Shell shell;
  Game game;
  bool quit = false;
  std::vector<ShellCue> cues;
};

Options stage_options(int stage, int side, bool start) {
  Options o;
  o.data_dir = QUARVEX_DATA_DIR;
  o.stage = stage;
  o.side = side;
  o.start = start;
  o.seed = 7;
  return o;
}

TEST(ShellPause, NoFrameRunsWhilePausedAndTheWorldKeepsEveryBit) {
  Driver d(stage_options(1, 0, true));
  d.hold(kKeyUp, 1, 200);
  d.steps(20);
  d.press("P");
  const uint64_t paused_hash = d.hash();
  const int64_t paused_frames = d.game.frames_run();
  d.steps(100);
  EXPECT_EQ(d.hash(), paused_hash);
  EXPECT_EQ(d.game.frames_run(), paused_frames);
  d.press("Pause");
  d.steps(1);
  EXPECT_EQ(d.game.frames_run(), paused_frames + 1);
  EXPECT_NE(d.hash(), paused_hash);

  // Losing the focus pauses, unless the settings say otherwise.
  d.event(InputEvent{InputKind::kFocusLost, {}, false, 0});
  EXPECT_FALSE(d.shell.game_runs());
  d.press("P");
  d.settings.settings.pause_on_focus_loss = false;
  d.event(InputEvent{InputKind::kFocusLost, {}, false, 0});
  EXPECT_TRUE(d.shell.game_runs());
}

TEST(ShellMenu, BackToTheTitleMenuIsTheStartUpStateWithTheChoicesKept) {
  Driver d(stage_options(2, 1, true));
  d.steps(30);
  ASSERT_EQ(d.game.world().game_phase, 1);
  d.press("Escape");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kMenu);
  d.steps(10);
  EXPECT_EQ(d.game.frames_run(), 30);
  for (int i = 0; i < kMenuTitle; ++i) d.press("Down");
  d.press("Return");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kNone);
  const std::vector<ShellCue> heard = {ShellCue::kConfirm, ShellCue::kMove, ShellCue::kMove,
                                       ShellCue::kMove, ShellCue::kConfirm};
  EXPECT_EQ(d.cues, heard);

  Driver fresh(stage_options(2, 1, false));
  EXPECT_EQ(d.hash(), fresh.hash());
  EXPECT_EQ(d.game.world().stage_number, 2);
  EXPECT_EQ(d.game.world().player_side, 1);

  // The title menu's Esc asks before quitting; No (or Esc) goes back.
  d.press("Escape");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kQuitQuestion);
  d.press("Escape");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kNone);
  d.press("Escape");
  d.press("Down");
  d.press("Return");
  EXPECT_FALSE(d.quit);
  d.press("Escape");
  d.press("Return");
  EXPECT_TRUE(d.quit);
}

TEST(ShellMenu, RestartGivesTheStageAsAFreshStartDoes) {
  Driver d(stage_options(3, 2, true));
  d.hold(kKeySelect, 5, 40);
  d.steps(60);
  d.press("Escape");
  d.press("Down");
  d.press("Return");
  d.frame = 0;  // the fresh run's keys count from its first frame again
  d.steps(25);

  Driver fresh(stage_options(3, 2, true));
  fresh.hold(kKeySelect, 5, 40);
  fresh.steps(25);
  EXPECT_EQ(d.hash(), fresh.hash());
}

TEST(ShellBoxes, ABoxHoldsTheFramesAndItsClosingKeyNeverReachesTheGame) {
  testing::TempDir dir;
  // Side 1 has a tank but no headquarters: the stage is lost in its first frame.
  testing::write_file(dir.file("map1.aod"), testing::stage_bytes({testing::record(2, 1, 0, 0),
                                                                  testing::record(32, 2, 50, 50)}));
  Options o = stage_options(1, 0, true);
  o.data_dir = dir.path();
  Driver d(o);
  d.steps(5);
  ASSERT_EQ(d.messages, std::vector<std::string>{"GAME OVER"});
  EXPECT_EQ(d.game.frames_run(), 1);
  EXPECT_EQ(d.game.world().game_phase, 2);
  d.press("H");  // not a key that closes a box
  EXPECT_TRUE(d.shell.message_shown());
  EXPECT_FALSE(d.shell.help_visible());
  d.event(InputEvent{InputKind::kKeyDown, key("Space"), false, 0});
  EXPECT_FALSE(d.shell.message_shown());
  std::array<bool, kKeyCount> down{};
  down[kKeySelect] = true;
  d.shell.filter_game_keys(down);
  EXPECT_FALSE(down[kKeySelect]);
  down[kKeySelect] = false;
  d.shell.filter_game_keys(down);
  down[kKeySelect] = true;
  d.shell.filter_game_keys(down);
  EXPECT_TRUE(down[kKeySelect]);

  // Help toggles on a press, not on the key's repeats.
  d.press("F1");
  d.event(InputEvent{InputKind::kKeyDown, key("F1"), true, 0});
  EXPECT_TRUE(d.shell.help_visible());
  d.press("H");
  EXPECT_FALSE(d.shell.help_visible());
}

TEST(ShellControls, APageBindsRefusesClearsAndSavesAtOnce) {
  testing::TempDir dir;
  Driver d(stage_options(1, 0, true));
  const std::string path = dir.file("settings.toml");
  testing::write_text(path, "# mine\n[keys]\nup = [\"Keypad 8\"]  # only the keypad\n");
  d.settings = load_settings(path, false);
  d.steps(2);
  d.press("Escape");
  d.press("Down");
  d.press("Down");
  d.press("Return");
  ASSERT_EQ(d.shell.screen(), ShellScreen::kControls);
  d.press("Return");
  EXPECT_TRUE(d.shell.controls_waiting());
  d.press("I");
  EXPECT_EQ(d.shell.controls_note(), "I added to up / forward.");
  EXPECT_EQ(testing::read_text(d.settings.path),
            "# mine\n[keys]\nup = [\"Keypad 8\", \"I\"]  # only the keypad\n");

  d.press("Return");
  d.press("Space");
  EXPECT_EQ(d.shell.controls_note(), "Space is already bound to select / fire: refused.");
  EXPECT_EQ(d.cues.back(), ShellCue::kDenied);

  // A shell action takes a chord; the modifier alone is not yet the key.
  for (int i = 0; i < kActionFullscreen; ++i) d.press("Down");
  d.press("Return");
  d.event(InputEvent{InputKind::kKeyDown, key("Left Ctrl"), false, 0});
  EXPECT_TRUE(d.shell.controls_waiting());
  d.press("Ctrl+F");
  EXPECT_EQ(d.shell.controls_note(), "Ctrl+F added to full screen.");

  d.press("Backspace");
  EXPECT_EQ(d.shell.bindings().keys[kActionFullscreen].count, 0);
  EXPECT_EQ(d.shell.save_note(), "Saved in " + d.settings.path);
  d.press("Escape");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kMenu);
  d.press("Escape");
  EXPECT_TRUE(d.shell.game_runs());

  std::vector<std::string> errors;
  const Settings saved = parse_settings(testing::read_text(d.settings.path), "s", errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(saved.bindings, d.shell.bindings());
}

TEST(ShellSound, TheSoundKeysChangeTheLevelsAndSaveThemAtOnceInEveryScreen) {
  testing::TempDir dir;
  Driver d(stage_options(1, 0, true));
  const std::string path = dir.file("settings.toml");
  testing::write_text(path, "# mine\n[sound]\nmaster_volume = 50 # half\n");
  d.settings = load_settings(path, false);
  d.steps(2);
  d.press("M");
  EXPECT_TRUE(d.settings.settings.mute);
  EXPECT_EQ(d.shell.sound_note(), "Sound off");
  EXPECT_EQ(testing::read_text(path), "# mine\n[sound]\nmute = true\nmaster_volume = 50 # half\n");
  // Down stays muted; up ends the mute. Held keys repeat nothing.
  d.press("-");
  d.event(InputEvent{InputKind::kKeyDown, key("-"), true, 0});
  d.press("Keypad -");
  EXPECT_EQ(d.settings.settings.master_volume, 30);
  EXPECT_TRUE(d.settings.settings.mute);
  d.press("=");
  EXPECT_FALSE(d.settings.settings.mute);
  EXPECT_EQ(d.shell.sound_note(), "Volume 40%");
  // In the menu too, which stays open; plus with Shift is plus.
  d.press("Escape");
  d.press("Keypad +");
  d.press("Shift+=");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kMenu);
  EXPECT_EQ(testing::read_text(path), "# mine\n[sound]\nmute = false\nmaster_volume = 60 # half\n");
  for (int i = 0; i < 60; ++i) d.shell.picture_shown();
  EXPECT_EQ(d.shell.sound_note(), "");

  // They are no game keys.
  std::array<uint8_t, SDL_NUM_SCANCODES> keyboard{};
  for (const char* name : {"M", "-", "=", "Keypad -", "Keypad +"}) keyboard[key(name).scancode] = 1;
  std::array<bool, kKeyCount> down{};
  game_keys_down(d.shell.bindings(), keyboard.data(), int(keyboard.size()), {}, down);
  EXPECT_EQ(down, (std::array<bool, kKeyCount>{}));

  // A file with an error keeps its text; the note says the change is not kept.
  const std::string damaged = "[sound]\nmute = 3\n";
  testing::write_text(path, damaged);
  d.settings = load_settings(path, false);
  d.press("M");
  EXPECT_TRUE(d.settings.settings.mute);
  EXPECT_NE(d.shell.sound_note().find("Sound off (not saved: "), std::string::npos);
  EXPECT_EQ(testing::read_text(path), damaged);
}

}  // namespace
}  // namespace quarvex
