// What the window shows of a networked game: the line for a wait or a
// failure, and the World drawn from the player's own side.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/chat_entry.h"
#include "app/game_end.h"
#include "app/game_lines.h"
#include "app/network_lines.h"
#include "app/side_view.h"
#include "app/token_text.h"
#include "world/humans.h"
#include "world/world_hash.h"

namespace quarvex {
namespace {

TEST(NetworkWindow, EachFailureHasItsOwnClearLine) {
  using net::Reason;
  struct Case {
    std::optional<Reason> reason;
    const char* why;
    bool opened;
    const char* line;
  };
  const std::vector<Case> cases = {
      {std::nullopt, "connect: Connection refused", false,
       "Cannot reach ws://h:7480:\nconnect: Connection refused"},
      {std::nullopt, "the server did not answer", false,
       "Cannot reach ws://h:7480:\nthe server did not answer"},
      {std::nullopt, "the server stopped answering", true,
       "The connection to the server ended:\nthe server stopped answering"},
      {Reason::kWrongCode, "no game has the code QWERTY", true, "No game has the code QWERTY."},
      {Reason::kFull, "the game has its 32 spectators", true,
       "The game is full:\nthe game has its 32 spectators"},
      {Reason::kVersionMismatch, "the game runs quarvex 1.0.0; you have 1.0.1", true,
       "Another version of quarvex:\nthe game runs quarvex 1.0.0; you have 1.0.1"},
      {Reason::kSideTaken, "another player has this side", true, "Another player has this side."},
      {Reason::kTooManyWrongCodes, "", true,
       "Too many wrong codes: wait a minute before trying again."},
      {Reason::kMalformed, "sent a frame out of turn", true,
       "The server ended the connection:\nsent a frame out of turn"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(in_english(failure_line(c.reason, c.why, c.opened, "QWERTY", "ws://h:7480")), c.line);
  }
}

TEST(NetworkWindow, EveryWaitSaysWhatItWaitsForAndThePlayingGameSaysNothing) {
  const NetworkWait waits[] = {NetworkWait::kConnecting, NetworkWait::kCreating,
                               NetworkWait::kJoining,    NetworkWait::kSnapshot,
                               NetworkWait::kPlayers,    NetworkWait::kServer,
                               NetworkWait::kOver};
  for (NetworkWait wait : waits) {
    EXPECT_FALSE(wait_line(wait, "QWERTY", "ws://h:1").text.empty());
  }
  EXPECT_EQ(in_english(wait_line(NetworkWait::kPlayers, "QWERTY", "ws://h:1")),
            "Waiting for the other players (Esc leaves).\nThe game's code is QWERTY");
  EXPECT_TRUE(wait_line(NetworkWait::kNone, "QWERTY", "ws://h:1").text.empty());
}

TEST(NetworkWindow, TheTopLinesNameWhomTheGameWaitsForWhoPausedAndTheCountdown) {
  net::Roster roster;
  roster.seats[0] = {net::SeatState::kPlayer, "Ann"};
  roster.seats[2] = {net::SeatState::kPlayer, "Bo"};
  roster.seats[3] = {net::SeatState::kPlayer, ""};  // the server named no one
  struct Case {
    const char* what;
    std::array<int, kSides> lag;
    net::Paused pause;
    int64_t pause_age_ms;
    std::string refusal;
    int64_t refusal_age_ms;
    int own_side;
    std::vector<std::string> lines;
  };
  const std::vector<Case> cases = {
      {"all well", {-1, -1, -1, -1}, {}, 0, "", 0, 0, {}},
      {"two late at once, in side order",
       {-1, -1, 9, 12},
       {},
       0,
       "",
       0,
       0,
       {"waiting for Bo: the computer takes the side in 9 s",
        "waiting for Player 4: the computer takes the side in 12 s"}},
      {"paused by another",
       {-1, -1, -1, -1},
       {true, 2, 500, 0},
       0,
       "",
       0,
       0,
       {"Bo paused the game"}},
      {"paused by me",
       {-1, -1, -1, -1},
       {true, 0, 500, 0},
       0,
       "",
       0,
       0,
       {"Ann paused the game: P lets it go on"}},
      {"countdown's first second",
       {-1, -1, -1, -1},
       {true, 0, 500, 3000},
       0,
       "",
       0,
       2,
       {"The game goes on in 3 s"}},
      {"countdown's last second",
       {-1, -1, -1, -1},
       {true, 0, 500, 3000},
       2001,
       "",
       0,
       2,
       {"The game goes on in 1 s"}},
      {"countdown over", {-1, -1, -1, -1}, {true, 0, 500, 3000}, 3000, "", 0, 2, {}},
      {"a pause from no side", {-1, -1, -1, -1}, {true, 9, 500, 0}, 0, "", 0, 2, {}},
      {"a refusal, fresh",
       {-1, -1, -1, -1},
       {},
       0,
       "you have paused 3 times",
       4999,
       0,
       {"The server refused: you have paused 3 times"}},
      {"a refusal, old", {-1, -1, -1, -1}, {}, 0, "you have paused 3 times", 5000, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameLineState state;
    state.roster = &roster;
    state.lag = c.lag;
    state.pause = c.pause;
    state.pause_age_ms = c.pause_age_ms;
    state.refusal = c.refusal;
    state.refusal_age_ms = c.refusal_age_ms;
    state.own_side = c.own_side;
    std::vector<std::string> lines;
    for (const Message& m : game_lines(state)) lines.push_back(in_english(m));
    EXPECT_EQ(lines, c.lines);
  }
}

TEST(NetworkWindow, TheChatLineTypesSendsOnEnterAndEscDropsIt) {
  ChatEntry chat;
  EXPECT_EQ(chat.edit(EditKey::kEnter), ChatEntry::Outcome::kNone);  // not open: nothing
  chat.open();
  chat.type("gg ");
  chat.type("\xE3\x81\x82");  // an input method's committed Japanese
  chat.type("\x07\x1B");      // control characters never reach the line
  EXPECT_EQ(chat.edit(EditKey::kBackspace), ChatEntry::Outcome::kNone);
  chat.type("!");
  EXPECT_EQ(chat.entry().text(), "gg !");
  EXPECT_EQ(chat.edit(EditKey::kEnter), ChatEntry::Outcome::kSend);
  EXPECT_FALSE(chat.is_open());
  EXPECT_EQ(chat.take_line(), "gg !");

  chat.open();  // opens empty
  EXPECT_EQ(chat.entry().text(), "");
  chat.type("never sent");
  EXPECT_EQ(chat.edit(EditKey::kEscape), ChatEntry::Outcome::kClosed);
  EXPECT_EQ(chat.take_line(), "");

  chat.open();
  chat.type("   ");
  EXPECT_EQ(chat.edit(EditKey::kEnter),
            ChatEntry::Outcome::kClosed);  // only spaces: nothing to say

  chat.open();
  for (int i = 0; i < 130; ++i) chat.type("\xE3\x81\x82");
  EXPECT_EQ(chat.entry().text().size(), 120u * 3);  // 120 characters, not bytes
}

TEST(NetworkWindow, TheEndNamesEverySideAndItsFate) {
  auto w = std::make_unique<World>();
  init_world(*w);
  set_human_sides(*w, 0b0111);
  w->game_phase = 1;
  w->side_present = {1, 1, 1, 1};
  SideFates fates;
  fates.frame_done(*w, 10);
  w->side_present = {1, 0, 1, 0};
  fates.frame_done(*w, 700);
  w->side_present = {1, 0, 0, 0};
  fates.frame_done(*w, 900);
  fates.frame_done(*w, 901);  // a loss is kept at its first frame
  net::Roster roster;
  roster.seats[0] = {net::SeatState::kPlayer, "Ann"};
  roster.seats[1] = {net::SeatState::kPlayer, "Bo"};
  roster.seats[2] = {net::SeatState::kAway, "Cy"};
  const GameEnd end = game_end(*w, roster, fates);
  EXPECT_EQ(in_english(end.headline), "Ann won the game");
  const std::vector<std::pair<std::string, std::string>> rows = {{"Ann", "won"},
                                                                 {"Bo", "lost at frame 700"},
                                                                 {"Cy", "left the game"},
                                                                 {"", "lost at frame 700"}};
  for (size_t s = 0; s < rows.size(); ++s) {
    EXPECT_EQ(end.rows[s].name, rows[s].first) << s;
    EXPECT_EQ(in_english(end.rows[s].fate), rows[s].second) << s;
  }
  w->side_present = {0, 0, 0, 1};  // the computer's side is the one left
  EXPECT_EQ(in_english(game_end(*w, roster, fates).headline), "The computer's side won");
}

TEST(NetworkWindow, TheWorldIsDrawnFromThePlayersOwnSideAndStaysAsItWas) {
  auto w = std::make_unique<World>();
  init_world(*w);
  set_human_sides(*w, 0b0110);
  w->humans[0].camera_x = 100;
  w->humans[1].camera_x = 200;
  const auto before = std::make_unique<World>(*w);
  auto view = std::make_unique<World>();
  struct Case {
    int side;
    int player_side;
    float camera_x;
  };
  // Side 2 is the second human; side 0 plays nobody: its emblem and funds
  // through the first human's camera; -1 is a spectator who chose no side.
  const Case cases[] = {{2, 2, 200}, {1, 1, 100}, {0, 0, 100}, {-1, 1, 100}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.side);
    see_as_side(*w, c.side, *view);
    EXPECT_EQ(view->player_side, c.player_side);
    EXPECT_EQ(player_state(*view).camera_x, c.camera_x);
  }
  EXPECT_EQ(replay_hash(*before), replay_hash(*w));
}

TEST(NetworkWindow, ATokenReadsBackAsWrittenAndABadOneIsNone) {
  net::Token token{};
  for (size_t i = 0; i < token.size(); ++i) token[i] = static_cast<uint8_t>(i * 17);
  EXPECT_EQ(token_from_text(token_text(token)), token);
  EXPECT_EQ(token_from_text("0123456789ABCDEF0123456789abcdef")[7], 0xEF);
  EXPECT_EQ(token_from_text("zz23456789abcdef0123456789abcdef"), net::Token{});
  EXPECT_EQ(token_from_text(""), net::Token{});
}

}  // namespace
}  // namespace quarvex
