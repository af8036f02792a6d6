#pragma once
// The editor's files: the player's stage it saves (a stage file and its
// description, each through a temporary file and a rename), the name a new
// stage gets from its title, and the autosave that keeps unsaved work
// through a crash. The autosave lies in the stages folder under names the
// stage list passes over.

#include <string>
#include <vector>

#include "editor/stage_model.h"

namespace quarvex {

// The stage file in `folder` a stage titled `title` is saved as: the title's
// letters and digits in lower case, other characters as '-', with "-2",
// "-3"... added while a stage file or description of that name exists.
// Empty when no free name is found.
std::string new_stage_path(const std::string& folder, const std::string& title);

// Writes the model's stage file and description to `stage_path` (a .aod
// path), replacing what is there. False with a message naming the file.
bool save_stage(const StageModel& model, const std::string& stage_path, std::string& error);

// The autosave's stage file in `folder`; its description is beside it.
std::string autosave_path(const std::string& folder);
// Writes the autosave (creating the folder when needed).
bool write_autosave(const StageModel& model, const std::string& folder, std::string& error);
// Reads the autosave back, checked as any stage of one's own; false with
// the readers' messages when there is none or it is damaged.
bool read_autosave(const std::string& folder, StageSource& stage, StageDescription& description,
                   std::vector<std::string>& errors);
bool autosave_exists(const std::string& folder);
void remove_autosave(const std::string& folder);

// Reads a stage of one's own (its .aod or .toml) for editing: the stage
// file and description as the game would play them.
bool read_stage_for_editing(const std::string& path, StageSource& stage,
                            StageDescription& description, std::vector<std::string>& errors);

}  // namespace quarvex
