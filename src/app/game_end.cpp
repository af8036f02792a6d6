#include "app/game_end.h"

#include <bit>

#include "app/game_lines.h"
#include "world/humans.h"

namespace quarvex {

void SideFates::frame_done(const World& w, uint32_t frame) {
  // Sides are judged once the stage is under way; before it loads nobody
  // owns anything.
  if (w.game_phase == 0) return;
  for (int s = 0; s < kSides; ++s) {
    uint32_t& lost = lost_at_[static_cast<size_t>(s)];
    if (lost == 0 && w.side_present[s] == 0) lost = frame;
  }
}

GameEnd game_end(const World& w, const net::Roster& roster, const SideFates& fates) {
  GameEnd end;
  uint8_t standing = 0;
  for (int s = 0; s < kSides; ++s) {
    if (w.side_present[s] != 0) standing = static_cast<uint8_t>(standing | side_bit(s));
  }
  const bool one_left = std::popcount(unsigned{standing}) == 1;
  for (int s = 0; s < kSides; ++s) {
    EndRow& row = end.rows[static_cast<size_t>(s)];
    row.side = s;
    const net::SeatState seat = roster.seats[static_cast<size_t>(s)].state;
    const bool human = (w.human_sides & side_bit(s)) != 0 && seat != net::SeatState::kComputer;
    if (human) row.name = side_player_name(roster, s);
    if ((standing & side_bit(s)) != 0) {
      row.fate = one_left ? Message{N_("won"), {}} : Message{N_("still standing"), {}};
    } else if (fates.lost_at(s) != 0) {
      row.fate = {N_("lost at frame {frame}"), {{"frame", std::to_string(fates.lost_at(s))}}};
    } else {
      row.fate = {N_("lost"), {}};
    }
    // A player who went away left the side to the computer.
    if (human && seat == net::SeatState::kAway && (standing & side_bit(s)) == 0) {
      row.fate = {N_("left the game"), {}};
    }
  }
  if (one_left) {
    const int winner = std::countr_zero(unsigned{standing});
    const std::string& name = end.rows[static_cast<size_t>(winner)].name;
    end.headline = name.empty() ? Message{N_("The computer's side won"), {}}
                                : Message{N_("{name} won the game"), {{"name", name}}};
  } else {
    end.headline = {N_("The game is over."), {}};
  }
  return end;
}

}  // namespace quarvex
