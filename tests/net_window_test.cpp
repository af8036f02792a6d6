// What the window shows of a networked game: the line for a wait or a
// failure, and the World drawn from the player's own side.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

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
  // Side 2 is the second human; side 0 plays nobody, -1 is a spectator:
  // both see what the game's player side sees.
  const Case cases[] = {{2, 2, 200}, {1, 1, 100}, {0, 1, 100}, {-1, 1, 100}};
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
