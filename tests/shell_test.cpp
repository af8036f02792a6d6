// The shell around a real game: pause holds the World bit for bit, the menu
// leads back to the start-up state or a fresh start of the stage, boxes hold
// the frames, the Controls page binds, refuses and saves, the sound keys
// change the levels and save them, and the menus ask for their sounds.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "app/game.h"
#include "app/message_line.h"
#include "app/sound_controls.h"
#include "app/windowed_stage_choice.h"
#include "app/world_output.h"
#include "built_languages.h"
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
  explicit Driver(const Options& options, const LanguageSet* set = nullptr)
      : shell(settings, set != nullptr ? *set : languages) {
    settings.path = "";
    std::string error;
    EXPECT_TRUE(game.begin(options, error)) << error;
  }
  void show_message(const char* text, std::span<const MessageArg> args) override {
    testing::TestHost::show_message(text, args);
    shell.show_message(message_of(text, args));
  }
  void event(const InputEvent& e) {
    ShellRequests r;
    shell.handle(e, game.world(), r);
    if (r.restart_stage) game.reset(true, game.watching());
    if (r.back_to_title) game.reset(false, false);
    if (r.watch_stage) game.reset(true, true);
    if (r.about_stages()) answer_stage_requests(r, game, shell, stage_folder, 1234);
    apply_shell_sound(r, shell, nullptr);
    if (r.cue != ShellCue::kNone) cues.push_back(r.cue);
    if (r.network_game) requests.push_back(shell.network_request());
    quit = quit || r.quit;
  }
  void type(const char* utf8) {
    InputEvent e{InputKind::kText, {}, false, 0};
    std::snprintf(e.text, sizeof e.text, "%s", utf8);
    event(e);
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

  std::string stage_folder;  // the player's stages
  SettingsFile settings;
  LanguageSet languages;
  Shell shell;
  Game game;
  bool quit = false;
  std::vector<ShellCue> cues;
  std::vector<NetworkRequest> requests;
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
  std::vector<ShellCue> heard = {ShellCue::kConfirm};
  heard.insert(heard.end(), kMenuTitle, ShellCue::kMove);
  heard.push_back(ShellCue::kConfirm);
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
  EXPECT_EQ(d.shell.note(), "Sound off");
  EXPECT_EQ(testing::read_text(path), "# mine\n[sound]\nmute = true\nmaster_volume = 50 # half\n");
  // Down stays muted; up ends the mute. Held keys repeat nothing.
  d.press("-");
  d.event(InputEvent{InputKind::kKeyDown, key("-"), true, 0});
  d.press("Keypad -");
  EXPECT_EQ(d.settings.settings.master_volume, 30);
  EXPECT_TRUE(d.settings.settings.mute);
  d.press("=");
  EXPECT_FALSE(d.settings.settings.mute);
  EXPECT_EQ(d.shell.note(), "Volume 40%");
  // In the menu too, which stays open; plus with Shift is plus.
  d.press("Escape");
  d.press("Keypad +");
  d.press("Shift+=");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kMenu);
  EXPECT_EQ(testing::read_text(path), "# mine\n[sound]\nmute = false\nmaster_volume = 60 # half\n");
  for (int i = 0; i < 60; ++i) d.shell.picture_shown();
  EXPECT_EQ(d.shell.note(), "");

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
  EXPECT_NE(d.shell.note().find("Sound off (not saved: "), std::string::npos);
  EXPECT_EQ(testing::read_text(path), damaged);
}

}  // namespace
}  // namespace quarvex

namespace quarvex {
namespace {

std::array<bool, kKeyCount> every_key_down() {
  std::array<bool, kKeyCount> down{};
  down.fill(true);
  return down;
}

// Down from the World's side row to the title menu's entry `entry`.
void focus_entry(Driver& d, TitleEntry entry) {
  for (size_t i = 0; i <= kTitleEntries.size(); ++i) {
    const int focus = d.shell.title_screen().focus();
    if (focus >= 0 && kTitleEntries[static_cast<size_t>(focus)] == entry) return;
    d.press("Down");
  }
  ADD_FAILURE() << "no such title entry";
}

// The title menu's Language entry: below the side row, reached with down;
// while it has the focus no game key reaches the World; left and right
// switch every text at once and save the choice; up goes back without
// moving the World's rows.
TEST(ShellTitle, TheLanguageEntrySwitchesAtOnceSavesAndLeavesTheWorldsRowsAlone) {
  testing::TempDir dir;
  Driver d(stage_options(2, 3, false), &testing::built_languages());
  d.settings = load_settings(dir.file("settings.toml"), true);
  const LanguageSet& set = testing::built_languages();
  d.press("Down");  // the World is at the stage row: the shell leaves the key to it
  EXPECT_FALSE(d.shell.title_screen().has_focus());
  d.hold(kKeyDown, 1, 1);
  d.steps(3);
  ASSERT_EQ(d.game.world().title_row, 1);
  focus_entry(d, TitleEntry::kLanguage);
  ASSERT_TRUE(d.shell.title_screen().has_focus());
  std::array<bool, kKeyCount> down = every_key_down();
  d.shell.filter_game_keys(down);
  EXPECT_EQ(down, (std::array<bool, kKeyCount>{}));

  const struct {
    const char* key;
    const char* code;
    const char* resume;
  } steps[] = {{"Right", "de", "Weiter"},
               {"Right", "ja", "再開"},
               {"Right", "en", "Resume"},
               {"Left", "ja", "再開"}};
  for (const auto& step : steps) {
    d.press(step.key);
    EXPECT_EQ(set.at(d.shell.language()).code, step.code);
    EXPECT_STREQ(d.shell.texts().tr("Resume"), step.resume);
    EXPECT_NE(testing::read_text(d.settings.path).find(std::string("language = \"") + step.code),
              std::string::npos)
        << testing::read_text(d.settings.path);
  }
  const uint64_t before = d.hash();
  while (d.shell.title_screen().has_focus()) d.press("Up");
  // The up that left the entry stays away from the World until released.
  down = every_key_down();
  d.shell.filter_game_keys(down);
  EXPECT_FALSE(down[kKeyUp]);
  EXPECT_EQ(d.hash(), before);
  EXPECT_EQ(d.game.world().title_row, 1);
  EXPECT_EQ(d.game.world().stage_number, 2);
  EXPECT_EQ(d.game.world().player_side, 3);

  // Enter on the entry opens the page; its first row is the system's language.
  focus_entry(d, TitleEntry::kLanguage);
  d.press("Return");
  ASSERT_EQ(d.shell.screen(), ShellScreen::kLanguage);
  EXPECT_EQ(d.shell.language_page().rows(), set.count() + 1);
  EXPECT_EQ(d.shell.language_page().row(), set.find("ja") + 1);
  for (int i = 0; i <= set.find("ja"); ++i) d.press("Up");
  d.press("Return");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kNone);
  EXPECT_EQ(d.settings.settings.language, "auto");
  EXPECT_EQ(d.shell.language(), d.shell.system_language());

  // W watches the stage from the entry: the entry gives the focus up with it.
  ASSERT_TRUE(d.shell.title_screen().has_focus());
  d.press("W");
  EXPECT_FALSE(d.shell.title_screen().has_focus());
  EXPECT_TRUE(d.game.watching());
}

// The title menu's Stages page lists the game's stages, then the player's
// by title, a damaged one with its error and refused; the stage chosen plays
// for the page's side, a restart plays it again, and a stage saved meanwhile
// is there when the page opens again. The Random battle page plays the
// battle of the seed typed, on the ground chosen.
TEST(ShellTitle, TheStagesAndRandomBattlePagesPlayWhatTheyShow) {
  testing::TempDir dir;
  Driver d(stage_options(1, 0, false));
  d.stage_folder = dir.path();
  const auto save_stage = [&](const std::string& name, const std::string& title) {
    testing::write_file(dir.file(name + ".aod"),
                        testing::stage_bytes({testing::record(32, 1, -300, -300),
                                              testing::record(22, 1, 10, 20, 0, 0),
                                              testing::record(32, 2, 300, 300)}));
    testing::write_text(dir.file(name + ".toml"), "title = \"" + title + "\"\nground = 2\n");
  };
  save_stage("mine", "Mine");
  testing::write_file(dir.file("cut.aod"), {9, 0, 1});
  const auto open_page = [&](TitleEntry entry) {
    d.hold(kKeyDown, d.frame + 1, d.frame + 1);
    d.steps(2);
    focus_entry(d, entry);
    d.press("Return");
  };
  const auto titles = [&] {
    std::vector<std::string> shown;
    for (const StageEntry& e : d.shell.stage_list_page().entries())
      shown.push_back(e.title + (e.playable() ? "" : " !"));
    return shown;
  };
  const auto choose_menu_row = [&](int row) {
    d.press("Escape");
    for (int i = 0; i < row; ++i) d.press("Down");
    d.press("Return");
  };

  open_page(TitleEntry::kStages);
  ASSERT_EQ(d.shell.screen(), ShellScreen::kStages);
  EXPECT_EQ(titles(), (std::vector<std::string>{"MAP 1", "MAP 2", "MAP 3", "Mine", "cut !"}));
  for (int i = 0; i < 4; ++i) d.press("Down");
  d.press("Return");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kStages);
  EXPECT_EQ(d.cues.back(), ShellCue::kDenied);
  d.press("Up");
  d.press("Right");
  d.press("Right");
  d.press("Return");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kNone);
  EXPECT_FALSE(d.shell.title_screen().has_focus());
  PlayableStage mine;
  std::vector<std::string> errors;
  ASSERT_TRUE(read_player_stage(dir.file("mine.aod"), mine, errors));
  ASSERT_NE(d.game.played_stage(), nullptr);
  EXPECT_EQ(d.game.played_stage()->hash, mine.hash);
  d.steps(2);
  EXPECT_NE(d.game.world().game_phase, 0);
  EXPECT_EQ(d.game.world().stage_number, 2);
  EXPECT_EQ(d.game.world().player_side, 2);

  choose_menu_row(kMenuRestart);
  ASSERT_NE(d.game.played_stage(), nullptr);
  EXPECT_EQ(d.game.played_stage()->hash, mine.hash);
  EXPECT_EQ(d.game.world().player_side, 2);

  // Saved while the stage was played: listed when the page opens again.
  save_stage("later", "Later");
  choose_menu_row(kMenuTitle);
  EXPECT_EQ(d.game.played_stage(), nullptr);
  open_page(TitleEntry::kStages);
  EXPECT_EQ(titles(),
            (std::vector<std::string>{"MAP 1", "MAP 2", "MAP 3", "Later", "Mine", "cut !"}));
  // The game's own stage 3, from the list, for side 1.
  d.press("Left");
  d.press("Down");
  d.press("Down");
  d.press("Return");
  EXPECT_EQ(d.game.played_stage(), nullptr);
  d.steps(2);
  EXPECT_NE(d.game.world().game_phase, 0);
  EXPECT_EQ(d.game.world().stage_number, 3);
  EXPECT_EQ(d.game.world().player_side, 1);
  choose_menu_row(kMenuTitle);

  // A random battle: the first seed is the one handed in; Enter on the
  // seed types another (the digits move in the menu otherwise); ground 2.
  open_page(TitleEntry::kRandomBattle);
  ASSERT_EQ(d.shell.screen(), ShellScreen::kRandomBattle);
  EXPECT_EQ(d.shell.random_battle_page().seed(), 1234u);
  d.press("Keypad 8");  // up, to the side
  d.press("Up");
  EXPECT_EQ(d.shell.random_battle_page().row(), RandomBattlePage::kSeed);
  d.press("Return");
  d.press("4");
  d.press("Keypad 2");
  d.press("7");
  d.press("Backspace");
  d.press("Return");
  EXPECT_EQ(d.shell.random_battle_page().seed(), 42u);
  d.press("Up");  // the ground
  d.press("Right");
  d.press("Down");
  d.press("Down");
  d.press("Down");  // Start
  d.press("Return");
  ASSERT_NE(d.game.played_stage(), nullptr);
  EXPECT_EQ(d.game.played_stage()->hash, generated_stage(42, 2).hash);
  EXPECT_EQ(d.game.played_stage()->random_seed, 42u);
  d.steps(2);
  EXPECT_EQ(d.game.world().stage_number, 2);
  choose_menu_row(kMenuRestart);
  ASSERT_NE(d.game.played_stage(), nullptr);
  EXPECT_EQ(d.game.played_stage()->random_seed, 42u);
}

// Up from the top of a long list goes round to its end, and the rows shown
// follow the chosen one; a seed too large for 32 bits is refused digit by
// digit, and a typed seed given up leaves the one before.
TEST(ShellTitle, TheStagePagesScrollAndKeepTheSeedInRange) {
  StageList list;
  list.entries.resize(3 + kMaxListedStages);
  StageListPage page;
  page.open(list, 7);
  EXPECT_EQ(page.side(), 0);
  const struct {
    MenuKey key;
    int row, top;
  } moves[] = {{MenuKey::kUp, 502, 493}, {MenuKey::kDown, 0, 0},   {MenuKey::kDown, 1, 0},
               {MenuKey::kUp, 0, 0},     {MenuKey::kUp, 502, 493}, {MenuKey::kUp, 501, 493}};
  for (const auto& m : moves) {
    page.handle(m.key);
    EXPECT_EQ(page.row(), m.row);
    EXPECT_EQ(page.top(), m.top);
  }
  for (int i = 0; i < 12; ++i) page.handle(MenuKey::kDown);
  EXPECT_EQ(page.row(), 10);
  EXPECT_EQ(page.top(), 1);

  RandomBattlePage random;
  random.open(5, 3);
  EXPECT_FALSE(random.type_digit(1));  // not typing: the digit is a menu key
  random.handle(MenuKey::kUp);
  random.handle(MenuKey::kUp);
  random.handle(MenuKey::kChoose);
  for (const char c : std::string("4294967295")) EXPECT_TRUE(random.type_digit(c - '0'));
  EXPECT_FALSE(random.type_digit(0));
  random.handle(MenuKey::kChoose);
  EXPECT_EQ(random.seed(), 4294967295u);
  // Esc, or Enter before any digit, gives the seed before back.
  for (const MenuKey end : {MenuKey::kBack, MenuKey::kChoose}) {
    random.handle(MenuKey::kChoose);
    if (end == MenuKey::kBack) {
      EXPECT_TRUE(random.type_digit(7));
    }
    random.handle(end);
    EXPECT_FALSE(random.typing());
    EXPECT_EQ(random.seed(), 4294967295u);
  }
  random.handle(MenuKey::kRight);  // on the seed: a new draw
  EXPECT_NE(random.seed(), 4294967295u);
  EXPECT_EQ(random.row(), RandomBattlePage::kSeed);
  EXPECT_EQ(random.side(), 3);
}

// The menu's Language entry: the page, a language chosen, back at the menu
// in that language; the choice is what the next start reads.
TEST(ShellMenu, TheLanguagePageSwitchesEveryTextAndTheNextStartKeepsIt) {
  testing::TempDir dir;
  const LanguageSet& set = testing::built_languages();
  Driver d(stage_options(1, 0, true), &set);
  d.settings = load_settings(dir.file("settings.toml"), true);
  d.steps(2);
  d.press("Escape");
  for (int i = 0; i < kMenuLanguage; ++i) d.press("Down");
  d.press("Return");
  ASSERT_EQ(d.shell.screen(), ShellScreen::kLanguage);
  for (int i = 0; i < set.find("de") + 1; ++i) d.press("Down");
  d.press("Return");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kMenu);
  EXPECT_STREQ(d.shell.texts().tr(kMenuItemTexts[kMenuLanguage]), "Sprache");
  EXPECT_EQ(d.cues.back(), ShellCue::kConfirm);

  SettingsFile restarted = load_settings(dir.file("settings.toml"), false);
  EXPECT_EQ(restarted.settings.language, "de");
  Shell again(restarted, set);
  EXPECT_EQ(set.at(again.language()).code, "de");
  // Esc on the page leaves the language as it is.
  d.press("Return");
  d.press("Escape");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kMenu);
  EXPECT_EQ(set.at(d.shell.language()).code, "de");
}

}  // namespace
}  // namespace quarvex

namespace quarvex {
namespace {

// The Play together page from the title menu: typed text reaches the entry
// and no binding (M would mute, - lower the volume); a bad address or a
// short code is refused where it was typed; the request carries the
// address, the code upper-cased and the name, and the address is kept.
TEST(ShellTitle, PlayTogetherTypesTheNameAddressAndCodeIntoOneRequest) {
  Driver d(stage_options(1, 0, false));
  d.hold(kKeyDown, d.frame + 1, d.frame + 1);
  d.steps(2);
  focus_entry(d, TitleEntry::kPlayTogether);
  d.press("Return");
  ASSERT_EQ(d.shell.screen(), ShellScreen::kPlayTogether);
  const PlayTogetherPage& page = d.shell.play_together_page();
  const Settings& settings = d.settings.settings;

  d.press("Down");
  d.press("Down");
  d.press("Down");
  d.press("Return");
  ASSERT_EQ(page.step(), PlayTogetherStep::kName);
  for (int i = 0; i < 40; ++i) d.press("Backspace");
  d.type("Mia ");
  d.type("やま-");
  d.press("M");  // the mute key: while typing it only types (its text came above)
  d.press("Return");
  EXPECT_EQ(page.step(), PlayTogetherStep::kChoices);
  EXPECT_EQ(settings.player_name, "Mia やま-");
  EXPECT_FALSE(settings.mute);

  d.press("Up");
  d.press("Up");
  d.press("Return");  // Join a game
  ASSERT_EQ(page.step(), PlayTogetherStep::kAddresses);
  d.press("Return");  // New address...
  ASSERT_EQ(page.step(), PlayTogetherStep::kAddress);
  d.type("box.lan:70x");
  d.press("Return");
  ASSERT_NE(page.problem(), nullptr);
  EXPECT_STREQ(page.problem(), "The port is a number from 1 to 65535.");
  EXPECT_EQ(page.step(), PlayTogetherStep::kAddress);
  d.press("Backspace");
  d.type("00");
  d.press("Return");
  ASSERT_EQ(page.step(), PlayTogetherStep::kCode);
  d.type("ab1");
  d.type("cde");
  d.press("Return");
  EXPECT_STREQ(page.problem(), "The game's code has six letters.");
  EXPECT_TRUE(d.requests.empty());
  d.type("f");
  d.press("Return");
  ASSERT_EQ(d.requests.size(), 1u);
  EXPECT_EQ(d.requests[0].kind, NetworkRequest::kJoin);
  EXPECT_EQ(d.requests[0].url, "ws://box.lan:7000");
  EXPECT_EQ(d.requests[0].code, "ABCDEF");
  EXPECT_EQ(d.requests[0].name, "Mia やま-");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kNone);
  EXPECT_EQ(settings.addresses, (std::vector<std::string>{"box.lan:7000"}));

  // Watching picks the address just used from the list; Escape steps back
  // one step at a time and then leaves the page.
  d.press("Return");
  ASSERT_EQ(d.shell.screen(), ShellScreen::kPlayTogether);
  d.press("Down");
  d.press("Down");
  d.press("Return");  // Watch a game
  d.press("Down");
  d.press("Return");  // box.lan:7000
  ASSERT_EQ(page.step(), PlayTogetherStep::kCode);
  d.press("Escape");
  EXPECT_EQ(page.step(), PlayTogetherStep::kAddresses);
  d.press("Escape");
  EXPECT_EQ(page.step(), PlayTogetherStep::kChoices);
  d.press("Escape");
  EXPECT_EQ(d.shell.screen(), ShellScreen::kNone);
  EXPECT_EQ(d.requests.size(), 1u);
  EXPECT_FALSE(d.quit);
}

}  // namespace
}  // namespace quarvex
