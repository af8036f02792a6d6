// The editor's start screen: what a stage is started from. Unsaved work an
// autosave kept comes first, then an empty map on a chosen ground, a random
// battle, the game's own stages and the player's.

#include <algorithm>
#include <filesystem>

#include "editor/editor.h"
#include "editor/editor_files.h"
#include "lang/texts.h"
#include "stages/file_io.h"
#include "world/random_stage.h"

namespace quarvex {

void Editor::open_start(const std::string& edit_path, std::vector<std::string> problems) {
  screen_ = EditorScreen::kStart;
  start_path_ = edit_path;
  start_problems_ = std::move(problems);
  start_rows_.clear();
  if (autosave_exists(folder_)) start_rows_.push_back({StartRow::Kind::kRecover, 0, {}, {}, {}});
  start_rows_.push_back({StartRow::Kind::kEmpty, 0, {}, {}, {}});
  start_rows_.push_back({StartRow::Kind::kRandom, 0, {}, {}, {}});
  StageList list = list_stages(folder_);
  for (StageEntry& entry : list.entries) {
    StartRow row;
    row.kind =
        entry.origin == StageOrigin::kBuiltIn ? StartRow::Kind::kBuiltIn : StartRow::Kind::kPlayer;
    row.number = entry.number;
    row.title = std::move(entry.title);
    row.path = std::move(entry.stage_path);
    row.errors = std::move(entry.errors);
    start_rows_.push_back(std::move(row));
  }
  for (std::string& notice : list.notices) start_problems_.push_back(std::move(notice));
  start_rows_.push_back({StartRow::Kind::kBack, 0, {}, {}, {}});
  start_row_ = 0;
}

int Editor::start_scroll() const {
  const int count = static_cast<int>(start_rows_.size());
  return std::clamp(start_row_ - kStartRowsShown / 2, 0, std::max(0, count - kStartRowsShown));
}

void Editor::handle_start(const InputEvent& e, EditorRequests& out) {
  const int count = static_cast<int>(start_rows_.size());
  const bool pad = e.kind == InputKind::kPadDown;
  if (is(e, keys_.up) || (pad && e.pad_input == kPadDpadUp)) {
    start_row_ = (start_row_ + count - 1) % count;
  } else if (is(e, keys_.down) || (pad && e.pad_input == kPadDpadDown)) {
    start_row_ = (start_row_ + 1) % count;
  } else if (is(e, keys_.left) || is(e, keys_.right) ||
             (pad && (e.pad_input == kPadDpadLeft || e.pad_input == kPadDpadRight))) {
    const int step = is(e, keys_.right) || (pad && e.pad_input == kPadDpadRight) ? 1 : -1;
    const StartRow::Kind kind = start_rows_[static_cast<size_t>(start_row_)].kind;
    if (kind == StartRow::Kind::kEmpty || kind == StartRow::Kind::kRandom) {
      ground_ = (ground_ - 1 + step + kGroundCount) % kGroundCount + 1;
    }
    if (kind == StartRow::Kind::kRandom) seed_ += static_cast<uint32_t>(step);
  } else if (is(e, keys_.escape) || (pad && e.pad_input == kPadB)) {
    out.leave = true;
  } else if (e.kind == InputKind::kMouseMove || e.kind == InputKind::kMouseDown) {
    const int row = (e.y - kStartTop) / kStartRowHeight;
    if (e.y < kStartTop || row >= kStartRowsShown || row + start_scroll() >= count) return;
    start_row_ = row + start_scroll();
    if (e.kind == InputKind::kMouseDown && e.button == 1 && !e.repeat) choose_start_row(out);
  } else if (e.kind == InputKind::kWheel) {
    start_row_ = std::clamp(start_row_ - e.wheel, 0, count - 1);
  } else if ((is(e, keys_.enter) || is(e, keys_.keypad_enter) || is(e, keys_.space) ||
              (pad && e.pad_input == kPadA)) &&
             !e.repeat) {
    choose_start_row(out);
  }
}

void Editor::choose_start_row(EditorRequests& out) {
  const StartRow& row = start_rows_[static_cast<size_t>(start_row_)];
  std::vector<std::string> errors;
  switch (row.kind) {
    case StartRow::Kind::kRecover: {
      StageSource stage;
      StageDescription description;
      if (!read_autosave(folder_, stage, description, errors)) {
        start_problems_ = errors;
        return;
      }
      StageModel model = StageModel::from_stage(std::move(stage), std::move(description));
      model.mark_unsaved();
      open_model(std::move(model), start_path_);
      changed();  // kept by the next autosave too
      return;
    }
    case StartRow::Kind::kEmpty: {
      // A stage for --edit's new file is titled after the file until saved as another.
      StageDescription d = StageModel::empty(ground_).description();
      const std::string stem = std::filesystem::path(start_path_).stem().string();
      if (!stem.empty()) d.title = stem;
      if (!description_problem(d).empty()) d = StageModel::empty(ground_).description();
      open_model(StageModel::from_stage({}, std::move(d)), start_path_);
      return;
    }
    case StartRow::Kind::kRandom: {
      PlayableStage generated = generated_stage(seed_, ground_);
      open_model(StageModel::from_stage(random_stage(seed_), generated.description), start_path_);
      return;
    }
    case StartRow::Kind::kBuiltIn: {
      const std::string name = "map" + std::to_string(row.number) + kStageExtension;
      const std::string file = data_.find(name);
      std::vector<uint8_t> bytes;
      std::string error;
      StageSource source;
      if (!read_small_file(file, kMaxStageFileSize, bytes, error) ||
          !decode_stage(bytes, name, source, error)) {
        start_problems_ = {error};
        return;
      }
      StageDescription d;
      d.title = row.title;
      d.ground = std::clamp(row.number, 1, kGroundCount);
      open_model(StageModel::from_stage(std::move(source), std::move(d)), start_path_);
      return;
    }
    case StartRow::Kind::kPlayer:
      if (!row.errors.empty()) {
        start_problems_ = row.errors;
        return;
      }
      if (!open_file(row.path, errors)) start_problems_ = errors;
      return;
    case StartRow::Kind::kBack:
      out.leave = true;
      return;
  }
}

}  // namespace quarvex
