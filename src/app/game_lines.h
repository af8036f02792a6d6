#pragma once
// What a networked game tells its players at the top of the picture while it
// runs: whom it waits for and how long before the computer takes that side,
// who paused it and when it goes on, and the server's refusal of a request.
// Kept in English with their values, as the wait lines are.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "lang/message.h"
#include "net/protocol.h"

namespace quarvex {

// How long a refusal stays on the screen.
constexpr int64_t kRefusalShownMs = 5000;

struct GameLineState {
  const net::Roster* roster = nullptr;
  std::array<int, kSides> lag{-1, -1, -1, -1};  // the client's lag()
  net::Paused pause;
  int64_t pause_age_ms = 0;  // since the pause (or its countdown) was heard
  std::string refusal;       // the server's words, "" for none
  int64_t refusal_age_ms = 0;
  int own_side = -1;  // -1: a spectator
};

// The name a side is shown by: its player's, "Player N" when the server
// named no one.
std::string side_player_name(const net::Roster& roster, int side);

// Every line due now, top first.
std::vector<Message> game_lines(const GameLineState& state);

}  // namespace quarvex
