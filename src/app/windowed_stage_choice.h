#pragma once
// What the title menu's Stages and Random battle pages ask of the game: the
// stages as the folder holds them now, a first seed, and the stage chosen,
// started for the page's side.

#include <cstdint>
#include <string>

#include "app/game.h"
#include "shell/shell.h"

namespace quarvex {

// `folder`: the player's stages (player_stage_folder()); `fresh_seed`: the
// seed the Random battle page shows first.
void answer_stage_requests(const ShellRequests& requests, Game& game, Shell& shell,
                           const std::string& folder, uint32_t fresh_seed);

}  // namespace quarvex
