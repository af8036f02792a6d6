#include <bit>
#include <cstdio>

#include "sim/sim.h"
#include "world/humans.h"
#include "world/latch.h"

namespace quarvex {
namespace {

// A player side outside 0..3 owns nothing, so it reads as absent.
bool player_present(const World& w) {
  return is_side_index(w.player_side) && w.side_present[w.player_side] != 0;
}

bool any_rival_present(const World& w) {
  for (int j = 0; j < kSides; ++j) {
    if (j != w.player_side && w.side_present[j] != 0) return true;
  }
  return false;
}

uint8_t present_sides(const World& w) {
  uint8_t present = 0;
  for (int j = 0; j < kSides; ++j) {
    if (w.side_present[j] != 0) present = static_cast<uint8_t>(present | side_bit(j));
  }
  return present;
}

void show_information(World& w, int side, const CommandState& c, Services& services) {
  // A float's largest value in degrees is 41 digits before the point.
  char fps[16];
  char x[64];
  char y[64];
  char heading[64];
  const double heading_degrees = wide(unit_at(w, c.selected_unit).heading) / kDegree;
  std::snprintf(fps, sizeof fps, "%d", w.frames_last_second);
  std::snprintf(x, sizeof x, "%f", wide(c.cursor_x));
  std::snprintf(y, sizeof y, "%f", wide(c.cursor_y));
  std::snprintf(heading, sizeof heading, "%f", heading_degrees);
  const MessageArg args[] = {{"version", "0.40"},
                             {"author", "ostrel-vek"},
                             {"fps", fps},
                             {"loop", fps},
                             {"x", x},
                             {"y", y},
                             {"heading", heading}};
  // A game of one player has no sides to tell apart.
  services.show_side_message(
      several_humans(w) ? side : -1,
      " quarvex\n version {version}\n by {author}\n FPS : {fps} / LOOP : {loop} \n X={x} Y={y} "
      "RZ={heading} \n",
      args);
}

void judge_one_player(World& w, Services& services) {
  // Both verdicts may fall in one frame: the loss is told first.
  if (!player_present(w)) {
    services.show_message("GAME OVER", {});
    w.game_phase = 2;
  }
  if (!any_rival_present(w)) {
    services.show_message("COMPLETE", {});
    w.game_phase = 2;
  }
}

// Every human side hears of its own loss once, in ascending side order; the
// game is decided when one side or none is left, or no human side is: the
// one left, if a human's, has won.
void judge_several_humans(World& w, Services& services) {
  const uint8_t present = present_sides(w);
  for (int s = 0; s < kSides; ++s) {
    const uint8_t bit = side_bit(s);
    if ((w.human_sides & bit) == 0 || (w.lost_sides & bit) != 0 || (present & bit) != 0) continue;
    w.lost_sides = static_cast<uint8_t>(w.lost_sides | bit);
    services.show_side_message(s, "GAME OVER", {});
  }
  if (std::popcount(static_cast<unsigned>(present)) > 1 && (present & w.human_sides) != 0) return;
  w.game_phase = 2;
  if (std::popcount(static_cast<unsigned>(present)) == 1 && (present & w.human_sides) != 0) {
    services.show_side_message(std::countr_zero(static_cast<unsigned>(present)), "COMPLETE", {});
  }
}

}  // namespace

void reset_side_presence(World& w) {
  for (int i = 0; i < kSides; ++i) {
    // A side without a headquarters in the previous frame loses the order it
    // was just given.
    if (w.side_present[i] == 0) w.side_order[i] = 0;
    w.side_present[i] = 0;
  }
}

void end_of_frame(World& w, Services& services) {
  // A side handed to the computer has its selection cleaned too, so that it
  // never comes back to a slot another unit took meanwhile.
  for_each_human(w, [&w](int, CommandState& c) {
    if (is_free(unit_at(w, c.target_unit))) c.target_unit = 0;
    // A selection that died (or none at all) falls back to cursor mode.
    if (is_free(unit_at(w, c.selected_unit))) c.command_mode = 0;
  });
  show_mark_markers(w);
  for_each_commanding_human(w, [&](int side, const CommandState& c) {
    if (pressed(c, kKeyInfo)) show_information(w, side, c, services);
  });
  if (w.game_phase != 1) return;
  if (several_humans(w)) {
    judge_several_humans(w, services);
  } else {
    judge_one_player(w, services);
  }
}

}  // namespace quarvex
