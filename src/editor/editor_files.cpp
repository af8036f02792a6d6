#include "editor/editor_files.h"

#include <filesystem>
#include <system_error>

#include "stages/file_io.h"
#include "stages/player_stages.h"
#include "world/shown_text.h"

namespace quarvex {

namespace fs = std::filesystem;

namespace {

// Neither ends in .aod nor in .toml: the stage list never shows the autosave.
constexpr const char* kAutosaveStage = "editor-autosave.aod.keep";
constexpr const char* kAutosaveDescription = "editor-autosave.toml.keep";
constexpr int kMostNameTries = 999;
constexpr size_t kMostNameBytes = 40;

std::string name_from_title(const std::string& title) {
  std::string name;
  for (const char c : title) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
    const bool capital = c >= 'A' && c <= 'Z';
    if (letter || capital) {
      name += capital ? static_cast<char>(c - 'A' + 'a') : c;
    } else if (!name.empty() && name.back() != '-') {
      name += '-';
    }
    if (name.size() >= kMostNameBytes) break;
  }
  while (!name.empty() && name.back() == '-') name.pop_back();
  return name.empty() ? "stage" : name;
}

bool taken(const fs::path& stem) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(stem.string() + kStageExtension, ec)) ||
         fs::exists(fs::symlink_status(stem.string() + kDescriptionExtension, ec));
}

std::string as_string(const std::vector<uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

bool make_folder(const std::string& folder, std::string& error) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!ec) return true;
  error = shown_text(folder, 200) + ": cannot make the folder: " + ec.message();
  return false;
}

}  // namespace

std::string new_stage_path(const std::string& folder, const std::string& title) {
  const std::string name = name_from_title(title);
  for (int n = 1; n <= kMostNameTries; ++n) {
    const fs::path stem = fs::path(folder) / (n == 1 ? name : name + "-" + std::to_string(n));
    if (!taken(stem)) return stem.string() + kStageExtension;
  }
  return {};
}

bool save_stage(const StageModel& model, const std::string& stage_path, std::string& error) {
  const fs::path folder = fs::path(stage_path).parent_path();
  if (!folder.empty() && !make_folder(folder.string(), error)) return false;
  return write_player_stage(stage_path, as_string(model.stage_bytes()), &model.description(), true,
                            error);
}

std::string autosave_path(const std::string& folder) {
  return (fs::path(folder) / kAutosaveStage).string();
}

bool write_autosave(const StageModel& model, const std::string& folder, std::string& error) {
  if (!make_folder(folder, error)) return false;
  const fs::path base(folder);
  return write_file_atomically((base / kAutosaveDescription).string(),
                               stage_description_text(model.description()), true, error) &&
         write_file_atomically((base / kAutosaveStage).string(), as_string(model.stage_bytes()),
                               true, error);
}

bool read_autosave(const std::string& folder, StageSource& stage, StageDescription& description,
                   std::vector<std::string>& errors) {
  const fs::path base(folder);
  std::string error;
  std::vector<uint8_t> bytes;
  std::string text;
  const size_t before = errors.size();
  if (!read_small_file((base / kAutosaveStage).string(), kMaxStageFileSize, bytes, error) ||
      !decode_stage(bytes, kAutosaveStage, stage, error)) {
    errors.push_back(error);
  }
  if (!read_small_file((base / kAutosaveDescription).string(), kMaxDescriptionBytes, text, error)) {
    errors.push_back(error);
  } else {
    parse_stage_description(text, kAutosaveDescription, description, errors);
  }
  return errors.size() == before;
}

bool autosave_exists(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && fs::exists(fs::symlink_status(autosave_path(folder), ec));
}

void remove_autosave(const std::string& folder) {
  if (folder.empty()) return;
  std::error_code ec;
  fs::remove(fs::path(folder) / kAutosaveStage, ec);
  fs::remove(fs::path(folder) / kAutosaveDescription, ec);
}

bool read_stage_for_editing(const std::string& path, StageSource& stage,
                            StageDescription& description, std::vector<std::string>& errors) {
  PlayableStage played;
  if (!read_player_stage(path, played, errors)) return false;
  std::string error;
  if (!decode_stage(played.bytes, shown_text(path, 200), stage, error)) {
    errors.push_back(error);
    return false;
  }
  description = played.description;
  return true;
}

}  // namespace quarvex
