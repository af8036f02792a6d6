// The settings file: what a damaged or hand-edited file gives, that a file
// with an error is never written, and that saving keeps the player's text.

#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "shell/game_address.h"
#include "shell/player_name.h"
#include "shell/settings.h"

namespace quarvex {
namespace {

namespace fs = std::filesystem;

KeyChord key(const char* name) {
  KeyChord chord;
  EXPECT_TRUE(parse_key_chord(name, chord)) << name;
  return chord;
}

bool has_key(const Settings& s, int action, const char* name) {
  const ActionKeys& k = s.bindings.keys[action];
  for (int i = 0; i < k.count; ++i) {
    if (k.keys[i] == key(name)) return true;
  }
  return false;
}

Settings parse(const std::string& text, std::vector<std::string>& errors) {
  return parse_settings(text, "s.toml", errors);
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("quarvex_settings_" + std::to_string(getpid()) + "_" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
    path = (dir / "quarvex" / "settings.toml").string();
  }
  void TearDown() override { fs::remove_all(dir); }
  void write(const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  std::string read() {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  fs::path dir;
  std::string path;
};

TEST(Settings, EmptyTextGivesTheDefaultsAndTheWrittenDefaultsReadBackTheSame) {
  std::vector<std::string> errors;
  EXPECT_EQ(parse("", errors), Settings{});
  const std::string text = settings_text(Settings{});
  EXPECT_EQ(parse(text, errors), Settings{});
  EXPECT_TRUE(errors.empty()) << errors.front();
  // Every entry has a comment line right above it (the gamepad's bindings
  // share the comment block of their section).
  std::istringstream lines(text);
  std::string line, previous;
  bool in_pad = false;
  while (std::getline(lines, line)) {
    if (line == "[gamepad]") in_pad = true;
    const bool entry = line.find(" = ") != std::string::npos && line[0] != '#';
    if (entry && !(in_pad && line.rfind("dead_zone", 0) != 0)) {
      EXPECT_EQ(previous.rfind("# ", 0), 0u) << line;
    }
    previous = line;
  }
}

TEST(Settings, EachBadEntryIsOneLineWithItsLineAndTakesItsDefaultTheRestIsUsed) {
  std::vector<std::string> errors;
  const Settings s = parse(
      "[window]\n"
      "scale = 99\n"                   // 2: out of range
      "fullscreen = \"yes\"\n"         // 3: wrong type
      "pause_on_focus_loss = false\n"  // used
      "colour = 3\n"                   // 5: unknown entry
      "[sound]\n"
      "master_volume = 40\n"  // used
      "[keys]\n"
      "help = [\"F2\"]\n"          // used
      "pause = [\"Keypad 88\"]\n"  // 10: unknown key name
      "up = [\"Ctrl+W\"]\n"        // 11: a game key with a modifier
      "jump = [\"J\"]\n"           // 12: unknown action
      "[gamepad]\n"
      "dead_zone = 2\n"                   // 14: out of range
      "select = [\"a\", \"triangle\"]\n"  // 15: unknown input
      "[extra]\n",                        // 16: unknown section
      errors);
  ASSERT_EQ(errors.size(), 9u);
  const char* expected[] = {"s.toml:2: window.scale: 99 is outside 0..16",
                            "s.toml:3: window.fullscreen: expected true or false",
                            "s.toml:5: unknown entry 'window.colour'",
                            "s.toml:16: unknown section 'extra'",
                            "s.toml:14: gamepad.dead_zone: 2 is outside 0.05..0.95",
                            "s.toml:12: unknown entry 'keys.jump'",
                            "s.toml:10: keys.pause: unknown key name 'Keypad 88'",
                            "s.toml:11: keys.up: 'Ctrl+W': a game key is one key",
                            "s.toml:15: gamepad.select: unknown gamepad input 'triangle'"};
  for (const char* e : expected) {
    EXPECT_TRUE(std::any_of(errors.begin(), errors.end(), [&](const std::string& got) {
      return got.rfind(e, 0) == 0;
    })) << e;
  }
  const Settings defaults;
  EXPECT_EQ(s.window_scale, defaults.window_scale);
  EXPECT_EQ(s.fullscreen, defaults.fullscreen);
  EXPECT_FALSE(s.pause_on_focus_loss);
  EXPECT_EQ(s.master_volume, 40);
  EXPECT_EQ(s.dead_zone, defaults.dead_zone);
  EXPECT_EQ(s.bindings.keys[kActionHelp].count, 1);
  EXPECT_TRUE(has_key(s, kActionHelp, "F2"));
  EXPECT_EQ(s.bindings.keys[kActionPause], defaults.bindings.keys[kActionPause]);
  EXPECT_EQ(s.bindings.keys[kKeyUp], defaults.bindings.keys[kKeyUp]);
  EXPECT_EQ(s.bindings.pad[kKeySelect], defaults.bindings.pad[kKeySelect]);
}

TEST(Settings, ASyntaxErrorLeavesOutItsLineOnly) {
  std::vector<std::string> errors;
  const Settings s = parse(
      "[window]\n"
      "scale = = 3\n"
      "fullscreen = true\n"
      "[keys\n"
      "[sound]\n"
      "mute = true\n",
      errors);
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_EQ(errors[0].rfind("s.toml:2: ", 0), 0u) << errors[0];
  EXPECT_EQ(errors[1].rfind("s.toml:4: ", 0), 0u) << errors[1];
  EXPECT_TRUE(s.fullscreen);
  EXPECT_TRUE(s.mute);
}

TEST(Settings, AKeyClaimedTwiceGoesToTheEarlierLineAndOutOfTheDefaults) {
  std::vector<std::string> errors;
  const Settings s = parse(
      "[keys]\n"
      "pause = [\"F5\", \"H\"]\n"
      "help = [\"F5\"]\n"
      "zoom_in = [\"Space\"]\n",
      errors);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0], "s.toml:3: keys.help: 'F5' is already bound to pause");
  EXPECT_EQ(s.bindings.keys[kActionHelp].count, 0);
  EXPECT_TRUE(has_key(s, kActionPause, "H"));
  // Space was select's only by default; the file gave it to zoom in.
  EXPECT_TRUE(has_key(s, kKeyZoomIn, "Space"));
  EXPECT_EQ(s.bindings.keys[kKeySelect].count, 0);
  int other = -1;
  Bindings b = s.bindings;
  EXPECT_EQ(bind_key(b, kKeySelect, key("Space"), other), BindResult::kTaken);
  EXPECT_EQ(other, kKeyZoomIn);
}

TEST(Settings, ModifiedBindingsAreWrittenIntoTheOldTextKeepingItsComments) {
  const std::string old_text =
      "# my settings\n"
      "[window]\n"
      "scale = 2 # my scale\n"
      "[keys]  # my keys\n"
      "help = [\"F1\",\n"
      "        \"H\"] # help keys\n";
  Settings s;
  std::vector<std::string> errors;
  s = parse(old_text, errors);
  ASSERT_TRUE(errors.empty());
  int other = -1;
  ASSERT_EQ(bind_key(s.bindings, kActionHelp, key("F2"), other), BindResult::kAdded);
  clear_keys(s.bindings, kActionScreenshot);
  ASSERT_EQ(bind_key(s.bindings, kActionScreenshot, key("Ctrl+S"), other), BindResult::kAdded);
  clear_pad(s.bindings, kActionPause);
  const std::string text = updated_settings_text(old_text, s);
  for (const char* kept : {"# my settings", "scale = 2 # my scale", "[keys]  # my keys",
                           "help = [\"F1\", \"H\", \"F2\"] # help keys",
                           "screenshot = [\"Ctrl+S\"]", "[gamepad]\npause = []"}) {
    EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
  }
  EXPECT_EQ(parse(text, errors), s);
  EXPECT_TRUE(errors.empty());
}

TEST(Settings, SoundLevelsAreWrittenIntoTheOldTextKeepingItsComments) {
  Settings s;
  std::vector<std::string> errors;
  // Where the entry stands, and under its section's header when it is missing.
  const std::string with_sound = "[sound]  # mine\nmaster_volume = 100  # loud\n";
  s = parse(with_sound, errors);
  s.master_volume = 70;
  s.mute = true;
  std::string text = updated_settings_text(with_sound, s);
  EXPECT_EQ(text, "[sound]  # mine\nmute = true\nmaster_volume = 70  # loud\n");
  EXPECT_EQ(parse(text, errors), s);

  // A file without the sections gets each once, with every changed entry.
  const std::string without = "# only a comment";
  s = parse(without, errors);
  s.mute = true;
  s.effects_volume = 40;
  clear_keys(s.bindings, kActionMute);
  clear_keys(s.bindings, kActionHelp);
  text = updated_settings_text(without, s);
  EXPECT_EQ(text.rfind("# only a comment\n\n[sound]\n", 0), 0u) << text;
  EXPECT_EQ(text.find("[sound]", 20), std::string::npos) << text;
  EXPECT_EQ(text.find("[keys]"), text.rfind("[keys]")) << text;
  EXPECT_EQ(parse(text, errors), s);
  EXPECT_TRUE(errors.empty());
}

TEST(Settings, TheLanguageIsAutoOrALanguageCodeAndIsWrittenWhereItStands) {
  struct Case {
    const char* text;
    const char* language;
    const char* error;  // the start of the one error, or empty
  };
  const Case cases[] = {
      {"", "auto", ""},
      {"language = \"de\"\n", "de", ""},
      {"language = \"pt_BR\"  # Brazil\n", "pt_BR", ""},
      {"language = \"Deutsch\"\n", "auto", "s.toml:1: language: expected \"auto\" or a language"},
      {"\nlanguage = 3\n", "auto", "s.toml:2: language: expected \"auto\" or a language"},
      {"[window]\nlanguage = \"de\"\n", "auto", "s.toml:2: unknown entry 'window.language'"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> errors;
    EXPECT_EQ(parse(c.text, errors).language, c.language) << c.text;
    if (c.error[0] == '\0') {
      EXPECT_TRUE(errors.empty()) << c.text << errors.front();
    } else {
      ASSERT_EQ(errors.size(), 1u) << c.text;
      EXPECT_EQ(errors[0].rfind(c.error, 0), 0u) << errors[0];
    }
  }

  // Changed where it stands; else a line before the first section; else at the end.
  const std::vector<std::pair<std::string, std::string>> saves = {
      {"language = \"auto\"  # mine\n[sound]\nmute = true\n",
       "language = \"ja\"  # mine\n[sound]\nmute = true\n"},
      {"# mine\n\n[sound]  # loud\nmute = true\n",
       "# mine\n\nlanguage = \"ja\"\n[sound]  # loud\nmute = true\n"},
      {"# only a comment", "# only a comment\nlanguage = \"ja\"\n"},
  };
  for (const auto& [old_text, expected] : saves) {
    std::vector<std::string> errors;
    Settings s = parse(old_text, errors);
    s.language = "ja";
    const std::string text = updated_settings_text(old_text, s);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(parse(text, errors), s);
    EXPECT_TRUE(errors.empty());
  }
}

TEST(Settings, ThePlayersNameIsOneCleanLineOfAtMost24Characters) {
  struct Case {
    const char* entry;  // the TOML value as the file holds it
    const char* name;
  };
  const Case cases[] = {
      {R"("Ada")", "Ada"},
      {R"("  Ada Lovelace  ")", "Ada Lovelace"},
      {R"("a\u0007b\tc\u001b[2Jd")", "abc[2Jd"},          // control characters left out
      {R"("\u202Eevil")", "evil"},                        // a direction override too
      {R"("\"quoted\" \\ back")", "\"quoted\" \\ back"},  // written back escaped
      {R"("やまだたろう")", "やまだたろう"},
      {R"("abcdefghijklmnopqrstuvwxyz")", "abcdefghijklmnopqrstuvwx"},
      {R"("あいうえおかきくけこさしすせそたちつてとなにぬねの")",
       "あいうえおかきくけこさしすせそたちつてとなにぬね"},
      {R"("")", ""},
  };
  for (const Case& c : cases) {
    std::vector<std::string> errors;
    const Settings s = parse(std::string("[player]\nname = ") + c.entry + "\n", errors);
    EXPECT_TRUE(errors.empty()) << c.entry;
    EXPECT_EQ(s.player_name, c.name) << c.entry;
    EXPECT_EQ(parse(settings_text(s), errors), s) << c.entry;
    EXPECT_TRUE(errors.empty()) << c.entry;
  }
  // Bytes that are not UTF-8 (TOML refuses them in a file) become U+FFFD.
  EXPECT_EQ(clean_line("a\xFF\xC3z", kMaxNameCodePoints), "a\xEF\xBF\xBD\xEF\xBF\xBDz");
  EXPECT_EQ(player_name(" \x01 "), system_player_name());
  EXPECT_FALSE(system_player_name().empty());

  std::vector<std::string> errors;
  const Settings s = parse("[player]\nname = 3\ncolour = \"red\"\n", errors);
  ASSERT_EQ(errors.size(), 2u);
  std::sort(errors.begin(), errors.end());  // the reader's order is not the file's
  EXPECT_EQ(errors[0], "s.toml:2: player.name: expected a name in quotes");
  EXPECT_EQ(errors[1], "s.toml:3: unknown entry 'player.colour'");
  EXPECT_EQ(s.player_name, "");
}

TEST(Settings, TheAddressesJoinedAreKeptNewestFirstFiveAtMost) {
  std::vector<std::string> addresses;
  for (const char* a : {"one", "two", "three", "two", "four", "five", "six", "three"}) {
    remember_address(addresses, a);
  }
  EXPECT_EQ(addresses, (std::vector<std::string>{"three", "six", "five", "four", "two"}));

  std::vector<std::string> errors;
  Settings s = parse(
      "[network]\naddresses = [\"a\", \"\", \"b\\u0007c\", \"d\", \"e\", \"f\", \"g\"]\n", errors);
  EXPECT_TRUE(errors.empty());
  EXPECT_EQ(s.addresses, (std::vector<std::string>{"a", "bc", "d", "e", "f"}));
  s = parse("[network]\naddresses = [\"a\", 7]\n", errors);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].rfind("s.toml:2: network.addresses: expected a list of addresses", 0), 0u);
  EXPECT_TRUE(s.addresses.empty());

  // Written where they stand, the rest of the file kept.
  const std::string old = "# mine\n[player]\nname = \"Ada\"  # me\n";
  s = parse(old, errors);
  s.player_name = "Grace";
  s.addresses = {"[::1]:7480", "ws://lan-box:7000"};
  const std::string text = updated_settings_text(old, s);
  EXPECT_EQ(text,
            "# mine\n[player]\nname = \"Grace\"  # me\n\n[network]\n"
            "addresses = [\"[::1]:7480\", \"ws://lan-box:7000\"]\n");
  errors.clear();
  EXPECT_EQ(parse(text, errors), s);
  EXPECT_TRUE(errors.empty());
}

TEST_F(SettingsFileTest, AMissingFileIsWrittenWithTheDefaults) {
  const SettingsFile file = load_settings(path, true);
  EXPECT_TRUE(file.errors.empty());
  EXPECT_EQ(read(), settings_text(Settings{}));
  EXPECT_FALSE(fs::exists(path + ".tmp"));
}

TEST_F(SettingsFileTest, ADamagedFileGivesItsMessagesAndIsNeverOverwritten) {
  const std::string damaged =
      "[window]\nscale = \"big\"\n\x01\xff garbage\n[keys]\nhelp = [\"F3\"]\n";
  write(damaged);
  SettingsFile file = load_settings(path, true);
  ASSERT_EQ(file.errors.size(), 2u);
  EXPECT_EQ(file.errors[0].rfind(path + ":3: ", 0), 0u) << file.errors[0];
  EXPECT_EQ(file.errors[1].rfind(path + ":2: window.scale: expected a whole number", 0), 0u);
  EXPECT_TRUE(has_key(file.settings, kActionHelp, "F3"));
  clear_keys(file.settings.bindings, kActionHelp);
  std::string error;
  EXPECT_FALSE(save_settings(file, error));
  EXPECT_NE(error.find("has errors"), std::string::npos);
  EXPECT_EQ(read(), damaged);
}

TEST_F(SettingsFileTest, AFileThatIsNoFileIsReportedAndLeftAlone) {
  fs::create_directories(path);  // a folder where the file should be
  const SettingsFile file = load_settings(path, true);
  ASSERT_EQ(file.errors.size(), 1u);
  EXPECT_NE(file.errors[0].find(path), std::string::npos);
  EXPECT_EQ(file.settings, Settings{});
  EXPECT_TRUE(fs::is_directory(path));
}

TEST_F(SettingsFileTest, SavingKeepsTheFileReadableAfterEveryChange) {
  write("# mine\n[keys]\n# help\nhelp = [\"F1\"]\n");
  SettingsFile file = load_settings(path, true);
  ASSERT_TRUE(file.errors.empty());
  int other = -1;
  for (const char* name : {"F2", "Ctrl+Keypad +", "Shift+F3"}) {
    ASSERT_EQ(bind_key(file.settings.bindings, kActionHelp, key(name), other), BindResult::kAdded);
    std::string error;
    ASSERT_TRUE(save_settings(file, error)) << error;
    EXPECT_EQ(load_settings(path, false).settings, file.settings);
  }
  EXPECT_EQ(read().rfind("# mine\n[keys]\n# help\nhelp = [", 0), 0u) << read();
}

// Every key a player can press has a name that reads back as that key: SDL
// names none for the ISO key beside Z (100), the Japanese Ro, Yen, Henkan
// and Muhenkan keys (135, 137, 138, 139) or the Korean Hangul and Hanja keys
// (144, 145), and names the second Return key as the first.
TEST(KeyNames, EveryKeyReadsBackAsItselfAlsoThroughASavedFile) {
  for (int scancode = 1; scancode < SDL_NUM_SCANCODES; ++scancode) {
    for (const uint8_t mods : {uint8_t{0}, uint8_t(kModCtrl | kModShift)}) {
      const KeyChord chord{static_cast<int16_t>(scancode), mods};
      KeyChord back;
      EXPECT_TRUE(parse_key_chord(key_chord_name(chord), back)) << key_chord_name(chord);
      EXPECT_EQ(back, chord) << key_chord_name(chord);
    }
  }
  EXPECT_EQ(key_chord_name({100, 0}), "Scancode 100");
  EXPECT_EQ(key_chord_short_name({100, kModAlt}), "Alt+Key 100");
  KeyChord chord;
  for (const char* bad : {"Scancode 0", "Scancode 512", "Scancode -1", "Scancode 1x", "Scancode "})
    EXPECT_FALSE(parse_key_chord(bad, chord)) << bad;
}

TEST_F(SettingsFileTest, KeysWithoutAnSdlNameAreSavedAndReadBack) {
  SettingsFile file = load_settings(path, true);
  clear_keys(file.settings.bindings, kActionMute);
  int other = -1;
  for (const int scancode : {100, 135, 137, 138, 139, 144, 145, 158}) {
    ASSERT_EQ(bind_key(file.settings.bindings, kActionMute, {int16_t(scancode), 0}, other),
              BindResult::kAdded);
  }
  std::string error;
  ASSERT_TRUE(save_settings(file, error)) << error;
  const SettingsFile again = load_settings(path, false);
  EXPECT_TRUE(again.errors.empty()) << again.errors.front();
  EXPECT_EQ(again.settings, file.settings);
}

// The player edits the file while the game runs: a save puts only what the
// game changed into the file as it is now.
TEST_F(SettingsFileTest, ASaveMergesTheGamesChangeIntoTheFileAsItIsNow) {
  write("[sound]\nmaster_volume = 80\n[keys]\nhelp = [\"F1\"]\n");
  SettingsFile file = load_settings(path, true);
  file.settings.master_volume = 60;
  int other = -1;
  ASSERT_EQ(bind_key(file.settings.bindings, kActionPause, key("F2"), other), BindResult::kAdded);
  // Edited meanwhile: a note, the window's scale, and F2 given to help.
  write(
      "# my note\n[window]\nscale = 3\n[sound]\nmaster_volume = 80\n[keys]\n"
      "help = [\"F1\", \"F2\"]\n");
  std::string error;
  ASSERT_TRUE(save_settings(file, error)) << error;
  std::vector<std::string> errors;
  const Settings saved = parse(read(), errors);
  EXPECT_TRUE(errors.empty()) << errors.front();
  EXPECT_EQ(read().rfind("# my note\n[window]\nscale = 3\n", 0), 0u) << read();
  EXPECT_EQ(saved.window_scale, 3);
  EXPECT_EQ(saved.master_volume, 60);
  EXPECT_TRUE(has_key(saved, kActionPause, "F2"));  // the game's binding wins the key
  EXPECT_TRUE(has_key(saved, kActionHelp, "F1"));
  EXPECT_FALSE(has_key(saved, kActionHelp, "F2"));

  // A later save changes only what changed since: the scale the player set stays.
  write(read() + "# another note\n");
  file.settings.mute = true;
  ASSERT_TRUE(save_settings(file, error)) << error;
  EXPECT_NE(read().find("# another note"), std::string::npos);
  EXPECT_EQ(parse(read(), errors).window_scale, 3);
  EXPECT_TRUE(parse(read(), errors).mute);
}

TEST_F(SettingsFileTest, AFileThatNowHasErrorsIsLeftAsItIsAndTheChangeWaitsForItsRepair) {
  write("[sound]\nmaster_volume = 80\n");
  SettingsFile file = load_settings(path, true);
  file.settings.master_volume = 50;
  const std::string edited = "[sound]\nmaster_volume = 80\n# notes\n[window\nscale = 2\n";
  write(edited);
  std::string error;
  EXPECT_FALSE(save_settings(file, error));
  EXPECT_NE(error.find("has errors"), std::string::npos) << error;
  EXPECT_EQ(read(), edited);
  EXPECT_FALSE(file.errors.empty());
  EXPECT_EQ(file.settings.master_volume, 50);
  write("[sound]\nmaster_volume = 80\n# notes\n[window]\nscale = 2\n");
  ASSERT_TRUE(save_settings(file, error)) << error;
  EXPECT_EQ(read(), "[sound]\nmaster_volume = 50\n# notes\n[window]\nscale = 2\n");
  EXPECT_TRUE(file.errors.empty());
}

// Settings kept with the player's other dotfiles and linked here are
// written where they live, private as they were.
TEST_F(SettingsFileTest, ALinkedFileIsWrittenWhereItLivesAndKeepsItsMode) {
  const fs::path kept = dir / "dotfiles" / "quarvex.toml";
  fs::create_directories(kept.parent_path());
  std::ofstream(kept) << "[sound]\nmute = false\n";
  fs::permissions(kept, fs::perms::owner_read | fs::perms::owner_write);
  fs::create_directories(fs::path(path).parent_path());
  fs::create_symlink("../dotfiles/quarvex.toml", path);
  SettingsFile file = load_settings(path, true);
  file.settings.mute = true;
  std::string error;
  ASSERT_TRUE(save_settings(file, error)) << error;
  EXPECT_TRUE(fs::is_symlink(path));
  EXPECT_EQ(read(), "[sound]\nmute = true\n");
  EXPECT_EQ(fs::status(kept).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(std::distance(fs::directory_iterator(kept.parent_path()), fs::directory_iterator()), 1);
}

// A save that cannot be written (a folder the player cannot write, a full
// disk) leaves the old file byte for byte and says so.
TEST_F(SettingsFileTest, AFailedSaveKeepsTheOldFileAndSaysSo) {
  const std::string old_text = "# mine\n[sound]\nmaster_volume = 80\n";
  write(old_text);
  SettingsFile file = load_settings(path, true);
  file.settings.master_volume = 20;
  // A read-only folder stops anyone but root; a file size limit stops root too.
  const fs::path folder = fs::path(path).parent_path();
  fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit size{8, 8};
    setrlimit(RLIMIT_FSIZE, &size);
    std::string error;
    const bool saved = save_settings(file, error);
    _exit(!saved && error.find("cannot write") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  fs::permissions(folder, fs::perms::owner_all);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(read(), old_text);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST(SettingsPath, FollowsXdgThenHome) {
  const std::string saved_xdg =
      std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
  const std::string saved_home = std::getenv("HOME") ? std::getenv("HOME") : "";
  setenv("XDG_CONFIG_HOME", "/x/config", 1);
  EXPECT_EQ(default_settings_path(), "/x/config/quarvex/settings.toml");
  setenv("XDG_CONFIG_HOME", "relative", 1);
  setenv("HOME", "/home/p", 1);
  EXPECT_EQ(default_settings_path(), "/home/p/.config/quarvex/settings.toml");
  unsetenv("XDG_CONFIG_HOME");
  unsetenv("HOME");
  EXPECT_EQ(default_settings_path(), "");
  if (!saved_xdg.empty()) setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
  if (!saved_home.empty()) setenv("HOME", saved_home.c_str(), 1);
}

}  // namespace
}  // namespace quarvex
