#pragma once
// The stages a player can pick: the game's three, then the player's own from
// $XDG_DATA_HOME/quarvex/stages/ (in the browser: the page's storage), each
// a stage file NAME.aod with its description NAME.toml beside it. A damaged
// or hostile file is listed with what is wrong with it and cannot be
// started; nothing in the folder can stop the game.

#include <cstdint>
#include <string>
#include <vector>

#include "stages/stage_description.h"
#include "world/stage_file.h"

namespace quarvex {

// Stages listed from the folder at most; a larger folder is cut, and said so.
constexpr size_t kMaxListedStages = 500;
constexpr const char* kStageExtension = ".aod";
constexpr const char* kDescriptionExtension = ".toml";

enum class StageOrigin : uint8_t { kBuiltIn, kPlayer, kGenerated };

struct StageEntry {
  StageOrigin origin = StageOrigin::kBuiltIn;
  int number = 0;     // a built-in stage: 1..3
  std::string title;  // as menus show it
  StageDescription description;
  std::string stage_path;        // a player's stage: its stage file
  std::string description_path;  // and its description
  // The stage reader's and the description reader's messages, one line
  // each; a stage with any cannot be started.
  std::vector<std::string> errors;
  bool playable() const { return errors.empty(); }
};

struct StageList {
  std::vector<StageEntry> entries;   // the built-in stages, then the player's by title
  std::vector<std::string> notices;  // about the folder as a whole (unreadable, too many files)
};

// $XDG_DATA_HOME/quarvex/stages, else ~/.local/share/quarvex/stages; empty
// when neither variable is set.
std::string player_stage_folder();

// The title of built-in stage N (1..3).
std::string built_in_stage_title(int number);

// Lists the built-in stages and the stages in `folder` (which may be empty
// or missing: the built-in stages alone).
StageList list_stages(const std::string& folder);

// A stage ready to play that is not one of the game's files: a player's
// stage, read and checked, or a generated one.
struct PlayableStage {
  StageOrigin origin = StageOrigin::kPlayer;
  StageDescription description;
  std::vector<uint8_t> bytes;  // the stage file, as checked
  uint64_t hash = 0;           // stage_content_hash of bytes
  uint32_t random_seed = 0;    // a generated stage: its seed
  std::string stage_path;      // a player's stage: where it was read
};

// Reads a player's stage given its stage file or its description (the other
// is the same name with the other extension). A stage file without a
// description plays on ground 1 under its file name. False with the
// readers' messages when either file is missing, damaged or out of bounds.
bool read_player_stage(const std::string& path, PlayableStage& out,
                       std::vector<std::string>& errors);

// Writes a stage of one's own: the stage file at `stage_path` and, when
// given, its description beside it (the same name ending in .toml), each
// through a temporary file and a rename. Without `replace` nothing is
// written when either file exists; a description written for a stage file
// that then could not be written is taken back. False with a message
// naming the file.
bool write_player_stage(const std::string& stage_path, const std::string& bytes,
                        const StageDescription* description, bool replace, std::string& error);

// The stage the random battle generator makes from `seed`, on `ground`.
PlayableStage generated_stage(uint32_t seed, int ground);

// The stage file in `folder` whose content hash is `hash`; empty when none.
std::string find_stage_by_hash(const std::string& folder, uint64_t hash);

}  // namespace quarvex
