#include "app/windowed_stage_choice.h"

#include <utility>
#include <vector>

namespace quarvex {

// The stages are read when the page opens, so a stage saved or installed
// while the game runs is there the next time. A stage chosen is read and
// checked again: its files may have changed since the page listed them.
void answer_stage_requests(const ShellRequests& requests, Game& game, Shell& shell,
                           const std::string& folder, uint32_t fresh_seed) {
  const int title_side = game.world().player_side;
  if (requests.list_stages) shell.open_stage_list(list_stages(folder), title_side);
  if (requests.random_seed) shell.open_random_battle(fresh_seed, title_side);
  if (requests.play_random_battle) {
    const RandomBattlePage& page = shell.random_battle_page();
    game.play_stage(generated_stage(page.seed(), page.ground()), page.side(), false);
  }
  const std::vector<StageEntry>& entries = shell.stage_list_page().entries();
  if (requests.play_entry < 0 || requests.play_entry >= static_cast<int>(entries.size())) return;
  const StageEntry& entry = entries[static_cast<size_t>(requests.play_entry)];
  const int side = shell.stage_list_page().side();
  if (entry.origin == StageOrigin::kBuiltIn) {
    game.play_built_in(entry.number, side);
    return;
  }
  PlayableStage stage;
  std::vector<std::string> errors;
  if (!read_player_stage(entry.stage_path, stage, errors)) {
    std::string lines;
    for (const std::string& error : errors) lines += (lines.empty() ? "" : "\n") + error;
    shell.show_message(Message{N_("This stage cannot be played:\n{errors}"), {{"errors", lines}}});
    return;
  }
  game.play_stage(std::move(stage), side, false);
}

}  // namespace quarvex
