// The shell around a real game: pause holds the World bit for bit, the menu
// leads back to the start-up state or a fresh start of the stage, boxes hold
// the frames, the Controls page binds, refuses and saves.

#include <gtest/gtest.h>

#include "app/game.h"
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

}  // namespace
}  // namespace quarvex
