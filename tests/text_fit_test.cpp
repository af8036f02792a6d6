// Every text of every language in its place: each screen the player can
// reach (title menu and its entries, the play overlay with every order and
// every unit a factory builds, the help of every mode, the menus, the
// Controls and Language pages, every message box and note) is drawn at
// 640x480 in English, German and Japanese, each text measured with the real
// faces exactly as the window draws it, and none may need more room than its
// box. No window is opened: the faces are measured without one. The screens
// together must ask for every text of the catalogues, so that a new text
// cannot escape this check.

#include <gtest/gtest.h>

#include <cstdio>

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/chat_entry.h"
#include "app/game_end.h"
#include "app/game_lines.h"
#include "app/message_line.h"
#include "app/network_lines.h"
#include "built_languages.h"
#include "editor/editor.h"
#include "editor/editor_files.h"
#include "editor/palette.h"
#include "net/player_text.h"
#include "platform/font.h"
#include "platform/input_names.h"
#include "recording_device.h"
#include "render/editor_draw.h"
#include "render/lobby_drawing.h"
#include "render/network_line.h"
#include "render/network_play_drawing.h"
#include "render/overlay.h"
#include "render/render_frame.h"
#include "render/shell_panels.h"
#include "render/unit_names.h"
#include "shell/player_name.h"
#include "shell/shell.h"
#include "test_files.h"

namespace quarvex {
namespace {

namespace fs = std::filesystem;

// The recording device with the window's own measure.
struct MeasuringDevice : testing::RecordingDevice {
  explicit MeasuringDevice(const Fonts& f) : fonts(f) {}
  TextSize text_size(const char* text) override { return fonts.size(text, face); }
  const Fonts& fonts;
};

KeyChord key(const char* name) {
  KeyChord chord;
  EXPECT_TRUE(parse_key_chord(name, chord)) << name;
  return chord;
}

// One screen as the player sees it: the World and the shell, set up by `reach`.
struct Screen {
  std::string name;
  std::function<void(World&, Shell&, SettingsFile&)> reach;
};

void press(Shell& shell, const World& w, const char* name) {
  ShellRequests requests;
  shell.handle(InputEvent{InputKind::kKeyDown, key(name), false, 0}, w, requests);
  shell.handle(InputEvent{InputKind::kKeyUp, key(name), false, 0}, w, requests);
}

void type_text(Shell& shell, const World& w, const char* utf8) {
  ShellRequests requests;
  InputEvent e{InputKind::kText, {}, false, 0};
  std::snprintf(e.text, sizeof e.text, "%s", utf8);
  shell.handle(e, w, requests);
}

void pad_press(Shell& shell, const World& w, const char* input) {
  ShellRequests requests;
  InputEvent e{InputKind::kPadDown, {}, false, static_cast<int16_t>(parse_pad_input(input))};
  shell.handle(e, w, requests);
}

void playing(World& w) {
  w.game_phase = 1;
  w.player_side = 2;
  player_state(w).selected_unit = spawn_unit(w, 0, 0, kGroundZ, 0, 0, 2, 3);
}

void order_menu(World& w, int item, int list, int build_item) {
  playing(w);
  player_state(w).command_mode = 1;
  player_state(w).order_item = static_cast<int8_t>(item);
  w.side_build_list[2] = static_cast<int8_t>(list);
  player_state(w).build_item = static_cast<int8_t>(build_item);
}

void open_menu(World& w, Shell& shell, int row) {
  if (w.game_phase == 0) playing(w);
  press(shell, w, "Escape");
  for (int i = 0; i < row; ++i) press(shell, w, "Down");
}

void message(Shell& shell, const char* text,
             std::vector<std::pair<std::string, std::string>> args = {}) {
  shell.show_message(Message{text, std::move(args)});
}

// The player's texts of crowded_stage_list are long runs of one character,
// and the reader's messages about its damaged stage; those are cut to their
// boxes, as a player's text may be and the game's own never is.
bool is_players_long_text(const std::string& text) {
  if (text.rfind("cut.", 0) == 0) return true;
  for (const char* run : {"WWWWWWWWWW", "戦戦戦戦戦", "MMMMMMMMMM", "xxxxxxxxxx"}) {
    if (text.find(run) != std::string::npos) return true;
  }
  return false;
}

// The game's stages, then the player's: titles and texts at the longest a
// description allows, Latin and Japanese, and a damaged stage; enough of
// them to scroll.
StageList crowded_stage_list() {
  StageList list = list_stages("");
  const auto own = [&](std::string title, std::string author, std::string notes,
                       std::vector<std::string> errors) {
    StageEntry e;
    e.origin = StageOrigin::kPlayer;
    e.title = title;
    e.description = StageDescription{std::move(title), 2, std::move(author), std::move(notes)};
    e.errors = std::move(errors);
    list.entries.push_back(std::move(e));
  };
  std::string long_title;
  std::string japanese;
  for (size_t i = 0; i < kMaxTitleCharacters; ++i) {
    long_title += "W";
    japanese += "戦";
  }
  own(long_title, std::string(kMaxAuthorCharacters, 'M'), std::string(kMaxNotesCharacters, 'w'),
      {});
  own(japanese, "作者の名前", "橋を守れ。川を渡る敵を止めよ。", {});
  own("Cut", "", "",
      {"cut.aod: the count says 9 records but the file holds 0",
       "cut.toml:1: " + std::string(200, 'x')});
  for (int i = 0; i < 20; ++i) own("Stage " + std::to_string(i), "", "", {});
  return list;
}

std::vector<Screen> every_screen() {
  std::vector<Screen> screens;
  auto add = [&](std::string name, std::function<void(World&, Shell&, SettingsFile&)> reach) {
    screens.push_back(Screen{std::move(name), std::move(reach)});
  };
  for (int row = 0; row < 2; ++row) {
    add("title row " + std::to_string(row),
        [row](World& w, Shell&, SettingsFile&) { w.title_row = static_cast<int8_t>(row); });
  }
  for (size_t entry = 0; entry < kTitleEntries.size(); ++entry) {
    add("title entry " + std::to_string(entry), [entry](World& w, Shell& shell, SettingsFile&) {
      w.title_row = 1;
      for (size_t i = 0; i <= entry; ++i) press(shell, w, "Down");
    });
  }
  add("a networked game's menu", [](World& w, Shell& shell, SettingsFile&) {
    shell.set_networked(true);
    open_menu(w, shell, kMenuRestart);
  });
  add("title, paused", [](World& w, Shell& shell, SettingsFile&) { press(shell, w, "P"); });
  add("title, quit question",
      [](World& w, Shell& shell, SettingsFile&) { press(shell, w, "Escape"); });
  add("language page from the title", [](World& w, Shell& shell, SettingsFile&) {
    w.title_row = 1;
    for (size_t i = 0; i < kTitleEntries.size(); ++i) press(shell, w, "Down");
    press(shell, w, "Return");
  });
  // The Play together page: every step, the player's name and addresses at
  // their longest, the letter grid, and each reason an address is refused.
  const std::vector<std::string> hosts = {"192.168.100.200", "fd12:3456:789a:1:2:3:4:5",
                                          "127.0.0.1"};
  add("play together", [hosts](World&, Shell& shell, SettingsFile& settings) {
    settings.settings.player_name = std::string(kMaxNameCodePoints, 'W');
    shell.open_play_together(hosts);
  });
  add("play together, host", [hosts](World& w, Shell& shell, SettingsFile&) {
    shell.open_play_together(hosts);
    press(shell, w, "Return");
  });
  add("play together, nowhere to host", [](World& w, Shell& shell, SettingsFile&) {
    shell.open_play_together({});
    press(shell, w, "Return");
  });
  add("play together, the name and the grid", [hosts](World& w, Shell& shell, SettingsFile&) {
    shell.open_play_together(hosts);
    press(shell, w, "Up");
    press(shell, w, "Return");
    for (int i = 0; i < 6; ++i) type_text(shell, w, "戦戦戦戦");
    pad_press(shell, w, "dpdown");
  });
  // Join a game (one row down) and Watch a game (two), with the addresses
  // joined last.
  for (int row : {1, 2}) {
    add("play together, addresses " + std::to_string(row),
        [hosts, row](World& w, Shell& shell, SettingsFile& settings) {
          settings.settings.addresses = {"ws://" + std::string(kMaxAddressCharacters - 5, 'x'),
                                         "[::1]:7480"};
          shell.open_play_together(hosts);
          for (int i = 0; i < row; ++i) press(shell, w, "Down");
          press(shell, w, "Return");
        });
  }
  for (const char* typed : {"", "http://x", "x/a b", "[::1", "[::1]x", "[x]", "a b", "x:0"}) {
    add(std::string("play together, address ") + typed,
        [hosts, typed](World& w, Shell& shell, SettingsFile&) {
          shell.open_play_together(hosts);
          press(shell, w, "Down");
          press(shell, w, "Return");
          press(shell, w, "Return");
          type_text(shell, w, typed);
          press(shell, w, "Return");
        });
  }
  add("play together, code", [hosts](World& w, Shell& shell, SettingsFile&) {
    shell.open_play_together(hosts);
    press(shell, w, "Down");
    press(shell, w, "Return");
    press(shell, w, "Return");
    type_text(shell, w, "box.lan");
    press(shell, w, "Return");
    type_text(shell, w, "ABC");
    press(shell, w, "Return");
  });
  add("hosting in a browser", [](World&, Shell& shell, SettingsFile&) {
    message(shell,
            "A browser page cannot host a game: host it in quarvex on a desktop, or with "
            "quarvex-server.",
            {});
  });
  add("hosting refused", [](World&, Shell& shell, SettingsFile&) {
    message(shell, "Cannot host a game on {address}: {error}",
            {{"address", "[fd12:3456:789a:1:2:3:4:5]:7480"},
             {"error", "bind: Address already in use"}});
  });

  // The Stages page with the player's texts at their longest, in both
  // faces, and a damaged stage with the reader's messages; the chosen row on
  // each kind, and scrolled to the end.
  for (int row : {0, 3, 4, 5, 6, 20}) {
    add("stages page row " + std::to_string(row), [row](World& w, Shell& shell, SettingsFile&) {
      shell.open_stage_list(crowded_stage_list(), 1);
      for (int i = 0; i < row; ++i) press(shell, w, "Down");
    });
  }
  add("a stage that no longer reads", [](World&, Shell& shell, SettingsFile&) {
    shell.open_stage_list(crowded_stage_list(), 1);
    message(shell, "This stage cannot be played:\n{errors}",
            {{"errors",
              "mine.aod: the count says 9 records but the file holds 0\nmine.toml:3: "
              "ground: expected 1, 2 or 3"}});
  });
  for (int row = 0; row < RandomBattlePage::kRows; ++row) {
    add("random battle row " + std::to_string(row), [row](World& w, Shell& shell, SettingsFile&) {
      shell.open_random_battle(4294967295u, 3);
      for (int i = 0; i <= row; ++i) press(shell, w, "Down");
    });
  }
  add("random battle, a seed typed", [](World& w, Shell& shell, SettingsFile&) {
    shell.open_random_battle(7, 0);
    press(shell, w, "Up");
    press(shell, w, "Up");
    press(shell, w, "Return");
    for (const char* digit : {"4", "2", "9", "4", "9", "6", "7", "2", "9", "5"})
      press(shell, w, digit);
  });
  for (int row = 0; row < kMenuItems; ++row) {
    add("menu row " + std::to_string(row),
        [row](World& w, Shell& shell, SettingsFile&) { open_menu(w, shell, row); });
  }
  for (int row = 0; row < 4; ++row) {
    add("language page row " + std::to_string(row), [row](World& w, Shell& shell, SettingsFile&) {
      open_menu(w, shell, kMenuLanguage);
      press(shell, w, "Return");
      for (int i = 0; i < row; ++i) press(shell, w, "Down");
    });
  }
  for (int row = 0; row < kActionCount; ++row) {
    add("controls row " + std::to_string(row), [row](World& w, Shell& shell, SettingsFile&) {
      open_menu(w, shell, kMenuControls);
      press(shell, w, "Return");
      for (int i = 0; i < row; ++i) press(shell, w, "Down");
    });
  }
  // The Controls page's notes, each with a key of a usual length.
  const std::vector<std::pair<std::string, std::vector<const char*>>> controls_notes = {
      {"waiting for a key", {"Return"}},
      {"a key added and saved", {"Return", "I"}},
      {"a key bound here already", {"Return", "Keypad 8"}},
      {"a key bound elsewhere", {"Return", "Space"}},
      {"every key cleared", {"Backspace"}},
      {"a full action",
       {"Return", "I", "Return", "J", "Return", "K", "Return", "L", "Return", "O", "Return", "U"}},
  };
  for (const auto& [name, keys] : controls_notes) {
    add("controls: " + name, [keys = keys](World& w, Shell& shell, SettingsFile&) {
      open_menu(w, shell, kMenuControls);
      press(shell, w, "Return");
      for (const char* k : keys) press(shell, w, k);
    });
  }
  add("controls: a key without a name", [](World& w, Shell& shell, SettingsFile&) {
    open_menu(w, shell, kMenuControls);
    press(shell, w, "Return");
    press(shell, w, "Return");
    ShellRequests requests;
    shell.handle(InputEvent{InputKind::kKeyDown, KeyChord{}, false, 0}, w, requests);
  });
  for (int item = 0; item < kOrderItems; ++item) {
    add("order " + std::to_string(item),
        [item](World& w, Shell&, SettingsFile&) { order_menu(w, item, 0, 0); });
  }
  for (int list = 0; list < kBuildListCount; ++list) {
    for (int item = 0; item < kBuildListLength; ++item) {
      add("build list " + std::to_string(list) + " item " + std::to_string(item),
          [list, item](World& w, Shell&, SettingsFile&) {
            order_menu(w, kOrderItems - 1, list, item);
          });
    }
  }
  for (const int mode : {0, 1, 2}) {
    add("help in command mode " + std::to_string(mode),
        [mode](World& w, Shell& shell, SettingsFile&) {
          playing(w);
          player_state(w).command_mode = static_cast<int8_t>(mode);
          player_state(w).order_item = 0;
          press(shell, w, "F1");
        });
  }
  add("help at the title", [](World& w, Shell& shell, SettingsFile&) { press(shell, w, "F1"); });
  add("help, watching", [](World& w, Shell& shell, SettingsFile&) {
    playing(w);
    shell.set_play_mode(PlayMode::kWatch);
    press(shell, w, "F1");
  });
  for (const PlayMode mode : {PlayMode::kPlay, PlayMode::kWatch}) {
    add("help in a game played together, " + std::to_string(static_cast<int>(mode)),
        [mode](World& w, Shell& shell, SettingsFile&) {
          playing(w);
          shell.set_networked(true);
          shell.set_play_mode(mode);
          press(shell, w, "F1");
        });
  }
  for (const int speed : {1, 16}) {
    add("replay at x" + std::to_string(speed), [speed](World& w, Shell& shell, SettingsFile&) {
      shell.set_play_mode(PlayMode::kReplay);
      playing(w);
      for (int s = 1; s < speed; s *= 2) press(shell, w, "Right");
      press(shell, w, "F1");
    });
  }
  add("menu in the editor's test play", [](World& w, Shell& shell, SettingsFile&) {
    shell.set_editor_test_play(true);
    open_menu(w, shell, 0);
  });
  add("stage decided", [](World& w, Shell&, SettingsFile&) {
    playing(w);
    w.game_phase = 2;
  });
  add("GAME OVER", [](World& w, Shell& shell, SettingsFile&) {
    playing(w);
    message(shell, "GAME OVER");
  });
  add("COMPLETE", [](World& w, Shell& shell, SettingsFile&) {
    playing(w);
    message(shell, "COMPLETE");
  });
  add("no stage file", [](World& w, Shell& shell, SettingsFile&) {
    playing(w);
    message(shell, "The stage file could not be opened.");
  });
  add("information box", [](World& w, Shell& shell, SettingsFile&) {
    playing(w);
    message(shell,
            " quarvex\n version {version}\n by {author}\n FPS : {fps} / LOOP : {loop} \n X={x} "
            "Y={y} RZ={heading} \n",
            {{"version", "0.40"},
             {"author", "ostrel-vek"},
             {"fps", "33"},
             {"loop", "33"},
             {"x", "-500.000000"},
             {"y", "-500.000000"},
             {"heading", "-359.999982"}});
  });
  add("end of replay", [](World& w, Shell& shell, SettingsFile&) {
    shell.set_play_mode(PlayMode::kReplay);
    playing(w);
    message(shell, "end of replay");
  });
  add("end of an unfinished replay", [](World& w, Shell& shell, SettingsFile&) {
    shell.set_play_mode(PlayMode::kReplay);
    playing(w);
    message(shell, "end of replay: the game that recorded it stopped here");
  });
  add("not recorded after a snapshot", [](World& w, Shell& shell, SettingsFile&) {
    playing(w);
    message(shell,
            "The game went on from frame {frame} without the frames before it, so it is not "
            "recorded.",
            {{"frame", "123456"}});
  });
  add("replay differs", [](World& w, Shell& shell, SettingsFile&) {
    shell.set_play_mode(PlayMode::kReplay);
    playing(w);
    message(shell, "replay differs from the recorded game at frame {frame}", {{"frame", "123456"}});
  });
  add("replay differs, another version", [](World& w, Shell& shell, SettingsFile&) {
    shell.set_play_mode(PlayMode::kReplay);
    playing(w);
    message(shell,
            "replay differs from the recorded game at frame {frame} (recorded by quarvex "
            "{recorded}, played by {played})",
            {{"frame", "123456"}, {"recorded", "0.9.0"}, {"played", "1.0.0"}});
  });
  add("replays not kept", [](World& w, Shell& shell, SettingsFile&) {
    playing(w);
    message(shell,
            "Replays are not kept: {reason}. The game goes on; --no-replay or \"record = false\" "
            "under [replays] in the settings turns recording off.",
            {{"reason",
              "cannot create the folder '/home/player/.local/share/quarvex/replays': No space "
              "left on device"}});
  });
  // A settings file with errors is never written: the notes say so, with the
  // file's short name. The file on disk has them too, as a save reads it again.
  auto with_errors = [](SettingsFile& settings) {
    testing::write_text(settings.path, "[window\nscale = 2\n");
    for (int i = 0; i < 5; ++i)
      settings.errors.push_back("s:" + std::to_string(i + 1) + ": unknown entry 'x'");
  };
  add("title, the settings file has errors",
      [with_errors](World&, Shell&, SettingsFile& settings) { with_errors(settings); });
  add("help with the settings file's errors",
      [with_errors](World& w, Shell& shell, SettingsFile& settings) {
        with_errors(settings);
        press(shell, w, "F1");
      });
  add("volume, not saved", [with_errors](World& w, Shell& shell, SettingsFile& settings) {
    with_errors(settings);
    playing(w);
    shell.keep_sound_levels(100, false);
  });
  add("language, not saved", [with_errors](World& w, Shell& shell, SettingsFile& settings) {
    with_errors(settings);
    w.title_row = 1;
    press(shell, w, "Down");
    press(shell, w, "Right");
  });
  add("controls, not saved", [with_errors](World& w, Shell& shell, SettingsFile& settings) {
    with_errors(settings);
    open_menu(w, shell, kMenuControls);
    press(shell, w, "Return");
    press(shell, w, "Return");
    press(shell, w, "I");
  });
  add("sound off", [](World& w, Shell& shell, SettingsFile&) {
    playing(w);
    shell.keep_sound_levels(100, true);
  });
  add("volume", [](World& w, Shell& shell, SettingsFile&) {
    playing(w);
    shell.keep_sound_levels(100, false);
  });
  return screens;
}

// The text's failure, empty when it fits its box and the picture.
std::string misfit(const Fonts& fonts, const testing::RecordedText& t) {
  const TextSize size = fonts.size(t.text.c_str(), t.face);
  const TextRect& box = t.rect;
  std::string what;
  if (size.width > box.right - box.left) {
    what = std::to_string(size.width) + " pixels wide in a box of " +
           std::to_string(box.right - box.left);
  } else if (size.height > box.bottom - box.top) {
    what = std::to_string(size.height) + " pixels high in a box of " +
           std::to_string(box.bottom - box.top);
  } else if (box.left < 0 || box.top < 0 || box.right > kPictureWidth + 1 ||
             box.bottom > kPictureHeight + 1) {
    what = "its box leaves the picture";
  } else if (t.text.size() > 3 && t.text.compare(t.text.size() - 3, 3, "...") == 0) {
    what = "cut short";
  }
  return what;
}

// The editor's screens: its start screen (with unsaved work to recover),
// the map with a selection of every order mode and every check, every
// palette category, every note, the keys, Save as and leaving.
using EditorStep = std::function<void(Editor&)>;

void editor_key(Editor& e, const char* name) {
  EditorRequests out;
  InputEvent event;
  event.kind = InputKind::kKeyDown;
  event.key = key(name);
  e.handle(event, out);
}

std::vector<std::pair<std::string, EditorStep>> editor_screens() {
  std::vector<std::pair<std::string, EditorStep>> screens;
  screens.emplace_back("start", [](Editor&) {});
  screens.emplace_back("start, random battle", [](Editor& e) { editor_key(e, "Down"); });
  const auto map = [](Editor& e) {
    e.open_model(StageModel::empty(2), "");
    editor_key(e, "Return");  // a headquarters of side 1 at the middle
    editor_key(e, "Tab");
    editor_key(e, "2");
    editor_key(e, "Return");
  };
  screens.emplace_back("map with the checks", map);
  for (int mode = 0; mode < kOrderModes; ++mode) {
    screens.emplace_back("order mode " + std::to_string(mode), [map, mode](Editor& e) {
      map(e);
      for (int i = 0; i < mode; ++i) editor_key(e, "M");
    });
  }
  for (size_t c = 0; c < palette_categories().size(); ++c) {
    screens.emplace_back("palette category " + std::to_string(c), [map, c](Editor& e) {
      map(e);
      for (size_t i = 1; i < c; ++i) editor_key(e, "Tab");
      for (size_t k = 0; k + 1 < palette_categories()[c].kinds.size(); ++k) {
        editor_key(e, "PageDown");
      }
    });
  }
  const std::vector<std::pair<const char*, bool>> notes = {
      {"No more placements fit in a stage file", true},
      {"Saved: {file}", false},
      {"Not saved: {error}", true},
      {"Not saved: neither XDG_DATA_HOME nor HOME is set", true},
      {"Not saved: no free file name for this title", true},
      {"Autosave failed: {error}", true},
      {"The title cannot be used: {error}", true}};
  for (const auto& [note, error] : notes) {
    screens.emplace_back(std::string("note ") + note, [map, note = note, error = error](Editor& e) {
      map(e);
      e.say(Message{note,
                    {{"file", "stages/two-rivers.aod"}, {"error", "stages: Permission denied"}}},
            error);
    });
  }
  screens.emplace_back("a placement outside, too many slots", [](Editor& e) {
    StageSource many;
    for (int i = 0; i < 600; ++i) {
      many.records.push_back(
          StageRecord{static_cast<int16_t>(i * 2 - 600), 0, 0, 2, 3, 1, 0, 0, 0});
    }
    e.open_model(StageModel::from_stage(many, {"Two rivers", 1, "", ""}), "");
  });
  screens.emplace_back("keys", [map](Editor& e) {
    map(e);
    editor_key(e, "F1");
  });
  screens.emplace_back("save as", [map](Editor& e) {
    map(e);
    editor_key(e, "Ctrl+Shift+S");
  });
  screens.emplace_back("leaving", [map](Editor& e) {
    map(e);
    editor_key(e, "Escape");
  });
  return screens;
}

LobbyView crowded_lobby(bool host, int own_side, bool ready = true) {
  LobbyView view;
  view.stage = 3;
  view.host = host;
  view.own_side = own_side;
  view.host_side = 0;
  view.spectators = 65535;
  if (host) view.address = "[fd12:3456:789a:1:2:3:4:5]:7480";
  view.code = "WWWWWW";
  const std::string longest(kMaxNameCodePoints, 'W');
  view.seats[0] = {LobbySeat::kPlayer, longest, false, 65535};
  view.seats[1] = {LobbySeat::kPlayer, "戦戦戦戦戦戦戦戦戦戦戦戦戦戦戦戦戦戦戦戦戦戦戦戦", ready,
                   999};
  view.seats[2] = {LobbySeat::kComputer, "", false, 0};
  view.seats[3] = {LobbySeat::kClosed, "", false, 0};
  if (own_side < 0) view.seats[1] = {LobbySeat::kOpen, "", false, 0};
  return view;
}

std::vector<std::pair<std::string, std::function<void(LobbyPage&)>>> lobby_screens() {
  std::vector<std::pair<std::string, std::function<void(LobbyPage&)>>> screens;
  const auto add = [&](std::string name, LobbyView view, std::vector<MenuKey> keys) {
    screens.emplace_back(std::move(name), [view, keys](LobbyPage& page) {
      page.open(view);
      for (MenuKey key : keys) page.key(key);
    });
  };
  using K = MenuKey;
  add("host", crowded_lobby(true, 0), {});
  add("host, not every player ready", crowded_lobby(true, 0, false), {K::kUp, K::kUp, K::kChoose});
  add("host, a player's side", crowded_lobby(true, 0), {K::kDown, K::kDown, K::kRight});
  add("player", crowded_lobby(false, 1), {});
  add("player, not ready", crowded_lobby(false, 1, false), {});
  add("player, the stage", crowded_lobby(false, 1), {K::kDown, K::kDown, K::kRight});
  add("player, the sides", crowded_lobby(false, 1), {K::kUp, K::kRight});
  add("player, a closed side", crowded_lobby(false, 1), {K::kUp, K::kUp, K::kChoose});
  add("spectator", crowded_lobby(false, -1), {K::kDown, K::kDown, K::kDown, K::kDown, K::kChoose});
  screens.emplace_back("refused", [](LobbyPage& page) {
    page.open(crowded_lobby(false, 1));
    page.refused("a player holds that side, and the server says so at length in its own words");
  });
  return screens;
}

class TextFit : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    fonts = Fonts::open(find_latin_font(), find_japanese_font(), error);
    ASSERT_NE(fonts, nullptr) << error;
    ASSERT_TRUE(fonts->has(TextFace::kLatin)) << "install fonts-dejavu-core";
    ASSERT_TRUE(fonts->has(TextFace::kJapanese)) << "install fonts-ipafont-gothic";
    std::vector<std::string> problems;
    languages.add_folder(std::string(QUARVEX_DATA_DIR) + "/lang", problems);
    ASSERT_TRUE(problems.empty()) << problems.front();
    languages.note_asked_in(&asked);
  }

  std::unique_ptr<Fonts> fonts;
  LanguageSet languages;
  std::set<std::string> asked;
  testing::TempDir dir;
};

TEST_F(TextFit, EveryTextOfEveryLanguageFitsItsBoxOnEveryScreen) {
  ASSERT_GE(languages.count(), 3);
  const std::vector<Screen> screens = every_screen();
  for (int language = 0; language < languages.count(); ++language) {
    const std::string code = languages.at(language).code;
    for (const Screen& screen : screens) {
      SettingsFile settings;
      settings.path = dir.file("settings-" + code + ".toml");
      settings.settings.language = code;
      Shell shell(settings, languages);
      ASSERT_EQ(shell.language(), language);
      auto w = std::make_unique<World>();
      init_world(*w);
      screen.reach(*w, shell, settings);
      MeasuringDevice d(*fonts);
      draw_frame(d, *w, shell.texts(), !shell.title_screen().has_focus());
      draw_shell_overlay(d, *w, shell);
      for (const testing::RecordedText& t : d.texts) {
        std::string what = misfit(*fonts, t);
        if (what == "cut short" && is_players_long_text(t.text)) what.clear();
        EXPECT_TRUE(what.empty()) << code << ", " << screen.name << ": \"" << t.text << "\" is "
                                  << what;
      }
    }
    const Texts texts = languages.texts(language);
    const std::string folder = dir.file("stages");
    {
      // Unsaved work kept, for the start screen's first row.
      std::string error;
      ASSERT_TRUE(write_autosave(StageModel::empty(1), folder, error)) << error;
    }
    for (const auto& [name, reach] : editor_screens()) {
      Editor editor(DataFolders{{QUARVEX_DATA_DIR}}, folder);
      editor.open_start("");
      reach(editor);
      MeasuringDevice d(*fonts);
      draw_editor(d, editor, texts);
      for (const testing::RecordedText& t : d.texts) {
        const std::string what = misfit(*fonts, t);
        EXPECT_TRUE(what.empty()) << code << ", editor " << name << ": \"" << t.text << "\" is "
                                  << what;
      }
    }
    // A networked game's line at the top, for each wait and each failure,
    // with the server's longest words.
    {
      const std::string address = "ws://192.168.178.120:7480";
      std::vector<Message> lines;
      for (int wait = 0; wait <= static_cast<int>(NetworkWait::kOver); ++wait) {
        lines.push_back(wait_line(static_cast<NetworkWait>(wait), "QWERTY", address));
      }
      for (int reason = 0; reason <= static_cast<int>(net::Reason::kLeft); ++reason) {
        lines.push_back(failure_line(static_cast<net::Reason>(reason),
                                     "the game runs quarvex 1.0.0; you have 1.0.1", true, "QWERTY",
                                     address));
      }
      lines.push_back(
          failure_line(std::nullopt, "connect: Connection refused", false, "QWERTY", address));
      lines.push_back(
          failure_line(std::nullopt, "the server stopped answering", true, "QWERTY", address));
      for (const Message& line : lines) {
        MeasuringDevice d(*fonts);
        draw_network_failure(d, texts, line);
        for (const testing::RecordedText& t : d.texts) {
          const std::string what = misfit(*fonts, t);
          EXPECT_TRUE(what.empty()) << code << ": \"" << t.text << "\" is " << what;
        }
      }
    }
    // A networked game's lines over the stage, with the longest names: the
    // waits, the pause and its countdown, a refusal, the strip of names with
    // a spectator's funds, the chat being typed and the end of the game.
    {
      const std::string longest(net::kMaxNameChars, 'W');
      net::Roster roster;
      for (auto& seat : roster.seats) seat = {net::SeatState::kPlayer, longest};
      roster.seats[3].state = net::SeatState::kComputer;
      std::vector<Message> lines;
      for (const int own : {0, 1}) {
        GameLineState state;
        state.roster = &roster;
        state.lag = {9, 30, -1, -1};
        state.pause = {true, 0, 100, 0};
        state.own_side = own;
        state.refusal = "you have paused the game 3 times";
        for (const Message& m : game_lines(state)) lines.push_back(m);
      }
      GameLineState counting;
      counting.pause = {true, 0, 100, 3000};
      for (const Message& m : game_lines(counting)) lines.push_back(m);
      auto w = std::make_unique<World>();
      init_world(*w);
      w->game_phase = 1;
      w->funds = {99999, 99999, 99999, 99999};
      SideFates fates;
      fates.frame_done(*w, 2147483647);
      const GameEnd end = game_end(*w, roster, fates);
      EndScreen screen{end.headline, {}, true, 0};
      for (const EndRow& row : end.rows) screen.rows.push_back({row.side, row.name, row.fate});
      w->side_present = {1, 0, 0, 0};
      w->human_sides = 0b0111;
      const GameEnd won = game_end(*w, roster, fates);
      std::vector<RosterRow> rows(kSides, RosterRow{longest, true, false});
      rows[3] = RosterRow{};
      ChatEntry chat;
      chat.open();
      chat.type(std::string(net::kMaxChatChars, 'W'));
      MeasuringDevice d(*fonts);
      draw_game_lines(d, texts, lines, 96);
      draw_game_lines(d, texts, {won.headline, won.rows[0].fate}, 78);
      draw_game_lines(d, texts, {{"still standing", {}}, {"lost", {}}, {"left the game", {}}}, 78);
      draw_roster_strip(d, texts, *w, rows, true);
      draw_own_name(d, *w, longest);
      draw_chat(d, texts, {longest + ": " + std::string(net::kMaxChatChars, 'W')}, &chat.entry());
      draw_end_screen(d, texts, screen);
      screen.play_again = false;
      screen.headline = {"The computer's side won", {}};
      draw_end_screen(d, texts, screen);
      for (const testing::RecordedText& t : d.texts) {
        std::string what = misfit(*fonts, t);
        // The names, all W, are cut where the strip and the end screen run out.
        if (what == "cut short" && t.text.starts_with("WWW")) what.clear();
        EXPECT_TRUE(what.empty()) << code << ": \"" << t.text << "\" is " << what;
      }
    }
    // The lobby as the host, a player and a spectator see it, with the
    // longest names, round trips and addresses, and each refusal.
    for (const auto& [name, reach] : lobby_screens()) {
      LobbyPage page;
      reach(page);
      MeasuringDevice d(*fonts);
      draw_lobby_page(d, texts, page);
      for (const testing::RecordedText& t : d.texts) {
        std::string what = misfit(*fonts, t);
        if (what == "cut short" && is_players_long_text(t.text)) what.clear();
        EXPECT_TRUE(what.empty()) << code << ", lobby " << name << ": \"" << t.text << "\" is "
                                  << what;
      }
    }
    // The kinds no factory builds, in the place the build menu names a kind.
    for (int k = 0; k < kUnitKindCount; ++k) {
      const testing::RecordedText name{texts.tr(kind_name(k)), kKindNameBox, TextAlign::kRight,
                                       kTextColour, texts.face()};
      const std::string what = misfit(*fonts, name);
      EXPECT_TRUE(what.empty()) << code << ": \"" << name.text << "\" is " << what;
    }
  }

  // Every text of the catalogues was on one of these screens, but the box
  // the system draws when the window cannot be opened and the browser
  // page's own words around the picture.
  const std::set<std::string> not_in_the_picture = {
      "OpenGL could not be started.",
      "Replays",
      "Replays kept in this browser (the last 100 written):",
      "(unfinished)",
      "Watching the replay leaves the stage in play (its replay so far is kept).",
      "Watch",
      "Keep playing",
      "none yet: every stage played here is kept",
      "download",
      std::string("replay link") + '\4' + "watch",
      "Open a replay file:",
      "quarvex has ended.",
      "Play again",
      "Credits",
      "Your stages kept in this browser (the title menu lists them under Stages):",
      "none yet",
      "Upload a stage (its .aod with its .toml, or the .aod alone):",
      "{name} added: choose it under Stages in the title menu.",
      "{name} not added: {reason}",
      "{name} not added: the stage kept here stays.",
      "A stage named {name} is kept here already. Replace it?",
      "{name} is neither a stage file (.aod) nor a description (.toml).",
      "Loading the stage's ground picture…",
      "The stage's ground picture could not be loaded; the stage is played on plain ground",
      "The sounds could not be loaded; the game plays without them"};
  const Catalogue& all = languages.at(languages.find("ja")).catalogue;
  for (size_t i = 0; i < all.size(); ++i) {
    const CatalogueEntry e = all.entry(i);
    if (e.english.empty()) continue;
    const std::string id = e.context.empty()
                               ? std::string(e.english)
                               : std::string(e.context) + '\4' + std::string(e.english);
    if (not_in_the_picture.count(id) > 0) continue;
    EXPECT_TRUE(asked.count(id) > 0) << "no screen of this test shows \"" << e.english << "\"";
  }
}

// The measure the boxes are checked with is the picture the window draws,
// for one face, a text that needs both and a text of several lines.
TEST_F(TextFit, TheMeasureIsThePictureDrawn) {
  const std::pair<const char*, TextFace> texts[] = {
      {"Schweres Transportflugzeug", TextFace::kLatin},
      {"兵員輸送トラック", TextFace::kJapanese},
      {"Language: 日本語", TextFace::kLatin},
      {"言語: Deutsch ß", TextFace::kJapanese},
      {" quarvex\n version 0.40\n X=1.000000 \n", TextFace::kJapanese},
      {"Sprache: 日本語\nzweite Zeile", TextFace::kLatin},
      {"GAME OVER\n", TextFace::kJapanese},
      {"one\n\nthree", TextFace::kLatin},
  };
  for (const auto& [text, face] : texts) {
    Image picture;
    ASSERT_TRUE(fonts->render(text, face, picture)) << text;
    const TextSize size = fonts->size(text, face);
    EXPECT_EQ(size.width, picture.width) << text;
    EXPECT_EQ(size.height, picture.height) << text;
  }
}

}  // namespace
}  // namespace quarvex
