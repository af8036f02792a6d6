#include "app/game_lines.h"

#include "net/player_text.h"

namespace quarvex {

std::string side_player_name(const net::Roster& roster, int side) {
  return net::player_name(roster.seats[static_cast<size_t>(side)].name, side);
}

std::vector<Message> game_lines(const GameLineState& state) {
  std::vector<Message> lines;
  const net::Roster empty;
  const net::Roster& roster = state.roster != nullptr ? *state.roster : empty;
  for (int s = 0; s < kSides; ++s) {
    const int seconds = state.lag[static_cast<size_t>(s)];
    if (seconds < 0) continue;
    lines.push_back(
        {N_("waiting for {name}: the computer takes the side in {seconds} s"),
         {{"name", side_player_name(roster, s)}, {"seconds", std::to_string(seconds)}}});
  }
  const net::Paused& pause = state.pause;
  if (pause.paused && pause.side < kSides) {
    const std::string name = side_player_name(roster, pause.side);
    if (pause.resume_in_ms == 0) {
      lines.push_back(pause.side == state.own_side
                          ? Message{N_("{name} paused the game: P lets it go on"), {{"name", name}}}
                          : Message{N_("{name} paused the game"), {{"name", name}}});
    } else {
      const int64_t left_ms = int64_t{pause.resume_in_ms} - state.pause_age_ms;
      // Counts 3, 2, 1: a second shows its number for the whole of it.
      if (left_ms > 0) {
        lines.push_back({N_("The game goes on in {seconds} s"),
                         {{"seconds", std::to_string((left_ms + 999) / 1000)}}});
      }
    }
  }
  if (!state.refusal.empty() && state.refusal_age_ms < kRefusalShownMs) {
    lines.push_back({N_("The server refused: {why}"), {{"why", state.refusal}}});
  }
  return lines;
}

}  // namespace quarvex
