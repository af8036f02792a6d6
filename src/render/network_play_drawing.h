#pragma once
// What a networked game draws over the play overlay: the players' names by
// their emblems, the lines at the top (whom the game waits for, its pause),
// the chat, every side's funds for a spectator, and the end of the game.

#include <string>
#include <vector>

#include "lang/message.h"
#include "lang/texts.h"
#include "platform/device.h"
#include "shell/text_entry.h"
#include "world/world.h"

namespace quarvex {

struct RosterRow {
  std::string name;  // "" for a side no one plays
  bool playing = false;
  bool away = false;  // its player left; the computer has it
};

// Where a spectator's strip starts, and the first free row below a strip.
constexpr int kSpectatorStripTop = 30;
constexpr int kBelowStrip = 96;
constexpr int kBelowSpectatorStrip = kBelowStrip + kSpectatorStripTop - 4;

// The four sides in a strip at the top left (four rows, to y 92): emblem and name, and with
// `funds` (a spectator's view) each side's money.
void draw_roster_strip(Device& d, const Texts& texts, const World& w,
                       const std::vector<RosterRow>& rows, bool funds);
// The player's own name under its emblem.
void draw_own_name(Device& d, const World& w, const std::string& name);
// The game's lines, centred, the first at `top`.
void draw_game_lines(Device& d, const Texts& texts, const std::vector<Message>& lines, int top);
// The chat lines shown now ("NAME: text"), oldest first, and the line being
// typed when `entry` is given.
void draw_chat(Device& d, const Texts& texts, const std::vector<std::string>& lines,
               const TextEntry* entry);

struct EndScreen {
  Message headline;
  struct Row {
    int side = 0;
    std::string name;  // "" draws "Computer"
    Message fate;
  };
  std::vector<Row> rows;
  bool play_again = false;  // offered
  int focus = 0;            // 0 play again, 1 leave
};
void draw_end_screen(Device& d, const Texts& texts, const EndScreen& screen);

}  // namespace quarvex
