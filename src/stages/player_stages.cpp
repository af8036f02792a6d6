#include "stages/player_stages.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <system_error>

#include "stages/file_io.h"
#include "world/random_stage.h"
#include "world/shown_text.h"

namespace quarvex {

namespace {

namespace fs = std::filesystem;

// Names as menus show them, in one place.
constexpr const char* kBuiltInTitles[] = {"MAP 1", "MAP 2", "MAP 3"};
// Folder entries looked at before the rest is given up: a folder of a
// million files must not hold the title menu.
constexpr size_t kMaxFolderEntries = 4 * kMaxListedStages;

std::string with_extension(const std::string& path, const char* extension) {
  return fs::path(path).replace_extension(extension).string();
}

// The file name to show: the name of a file a stranger chose may hold anything.
std::string shown_name(const std::string& path) {
  return shown_text(fs::path(path).filename().string());
}

// Reads and checks both files; fills `stage` and `description`.
bool read_both(const std::string& stage_path, const std::string& description_path,
               std::vector<uint8_t>& bytes, StageDescription& description,
               std::vector<std::string>& errors) {
  const size_t errors_before = errors.size();
  std::string error;
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(stage_path, ec))) {
    errors.push_back(shown_name(description_path) + ": its stage file " + shown_name(stage_path) +
                     " is missing");
  } else if (!read_small_file(stage_path, kMaxStageFileSize, bytes, error)) {
    errors.push_back(error);
  } else {
    StageSource source;
    if (!decode_stage(bytes, shown_name(stage_path), source, error)) errors.push_back(error);
  }
  if (fs::exists(fs::symlink_status(description_path, ec))) {
    std::string text;
    if (!read_small_file(description_path, kMaxDescriptionBytes, text, error)) {
      errors.push_back(error);
    } else {
      parse_stage_description(text, fs::path(description_path).filename().string(), description,
                              errors);
    }
  } else {
    // A stage file passed on without its description still plays.
    description = StageDescription{};
    description.title = shown_text(fs::path(stage_path).stem().string(), kMaxTitleCharacters);
  }
  return errors.size() == errors_before;
}

}  // namespace

std::string player_stage_folder() {
  const char* data = std::getenv("XDG_DATA_HOME");
  fs::path base;
  // A relative XDG_DATA_HOME is not valid and is passed over.
  if (data != nullptr && data[0] == '/') {
    base = data;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = fs::path(home) / ".local" / "share";
  } else {
    return {};
  }
  return (base / "quarvex" / "stages").string();
}

std::string built_in_stage_title(int number) {
  if (number < 1 || number > 3) return {};
  return kBuiltInTitles[number - 1];
}

StageList list_stages(const std::string& folder) {
  StageList list;
  for (int n = 1; n <= 3; ++n) {
    StageEntry entry;
    entry.origin = StageOrigin::kBuiltIn;
    entry.number = n;
    entry.title = built_in_stage_title(n);
    entry.description.title = entry.title;
    entry.description.ground = n;
    list.entries.push_back(std::move(entry));
  }
  if (folder.empty()) return list;
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) return list;  // no stages of one's own yet

  // The stems of the stage files and descriptions, in name order.
  std::set<std::string> stems;
  size_t seen = 0;
  bool cut = false;
  fs::directory_iterator it(folder, ec);
  if (ec) {
    list.notices.push_back(shown_text(folder, 200) + ": cannot read the folder: " + ec.message());
    return list;
  }
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) {
      list.notices.push_back(shown_text(folder, 200) + ": cannot read the folder: " + ec.message());
      break;
    }
    if (++seen > kMaxFolderEntries) {
      cut = true;
      break;
    }
    const fs::path name = it->path().filename();
    const std::string extension = name.extension().string();
    if (extension != kStageExtension && extension != kDescriptionExtension) continue;
    stems.insert(name.stem().string());
  }
  if (stems.size() > kMaxListedStages) {
    stems.erase(std::next(stems.begin(), static_cast<std::ptrdiff_t>(kMaxListedStages)),
                stems.end());
    cut = true;
  }
  if (cut) {
    list.notices.push_back(shown_text(folder, 200) + ": more files than the game looks at; " +
                           "only the first " + std::to_string(stems.size()) +
                           " stages by name are listed");
  }

  std::vector<StageEntry> own;
  for (const std::string& stem : stems) {
    StageEntry entry;
    entry.origin = StageOrigin::kPlayer;
    const fs::path base = fs::path(folder) / stem;
    entry.stage_path = base.string() + kStageExtension;
    entry.description_path = base.string() + kDescriptionExtension;
    std::vector<uint8_t> bytes;
    read_both(entry.stage_path, entry.description_path, bytes, entry.description, entry.errors);
    // A stage that cannot be read is listed under its file name.
    entry.title = entry.playable() && !entry.description.title.empty()
                      ? entry.description.title
                      : shown_text(stem, kMaxTitleCharacters);
    own.push_back(std::move(entry));
  }
  std::stable_sort(own.begin(), own.end(),
                   [](const StageEntry& a, const StageEntry& b) { return a.title < b.title; });
  for (StageEntry& entry : own) list.entries.push_back(std::move(entry));
  return list;
}

bool read_player_stage(const std::string& path, PlayableStage& out,
                       std::vector<std::string>& errors) {
  out = PlayableStage{};
  out.origin = StageOrigin::kPlayer;
  const bool is_description = fs::path(path).extension() == kDescriptionExtension;
  out.stage_path = is_description ? with_extension(path, kStageExtension) : path;
  const std::string description_path =
      is_description ? path : with_extension(path, kDescriptionExtension);
  if (!read_both(out.stage_path, description_path, out.bytes, out.description, errors)) {
    return false;
  }
  out.hash = stage_content_hash(out.bytes.data(), out.bytes.size());
  return true;
}

bool write_player_stage(const std::string& stage_path, const std::string& bytes,
                        const StageDescription* description, bool replace, std::string& error) {
  const std::string description_path = with_extension(stage_path, kDescriptionExtension);
  std::error_code ec;
  if (!replace) {
    for (const std::string& path : {stage_path, description_path}) {
      if (fs::exists(fs::symlink_status(path, ec))) {
        error = shown_text(path, 200) + ": already exists; not replaced";
        return false;
      }
    }
  }
  const bool description_was_there = fs::exists(fs::symlink_status(description_path, ec));
  if (description != nullptr &&
      !write_file_atomically(description_path, stage_description_text(*description), replace,
                             error)) {
    return false;
  }
  if (!write_file_atomically(stage_path, bytes, replace, error)) {
    if (description != nullptr && !description_was_there) fs::remove(description_path, ec);
    return false;
  }
  return true;
}

PlayableStage generated_stage(uint32_t seed, int ground) {
  PlayableStage stage;
  stage.origin = StageOrigin::kGenerated;
  stage.random_seed = seed;
  stage.description.title = "Random battle " + std::to_string(seed);
  stage.description.ground = ground;
  stage.bytes = encode_stage(random_stage(seed));
  stage.hash = stage_content_hash(stage.bytes.data(), stage.bytes.size());
  return stage;
}

std::string find_stage_by_hash(const std::string& folder, uint64_t hash) {
  if (folder.empty()) return {};
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  size_t seen = 0;
  for (; !ec && it != fs::directory_iterator() && ++seen <= kMaxFolderEntries; it.increment(ec)) {
    if (it->path().extension() != kStageExtension) continue;
    std::vector<uint8_t> bytes;
    std::string error;
    if (!read_small_file(it->path().string(), kMaxStageFileSize, bytes, error)) continue;
    if (stage_content_hash(bytes.data(), bytes.size()) == hash) return it->path().string();
  }
  return {};
}

}  // namespace quarvex
