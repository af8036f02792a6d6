#include "editor/stage_model.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

#include "world/tables.h"

namespace quarvex {

namespace {

constexpr const char* kNewStageTitle = "New stage";
constexpr int8_t kHeadquartersKind = 32;
// The texts of the checks, in one place.
constexpr const char* kSideWithoutHeadquartersText = "Side %d has units but no headquarters";
constexpr const char* kTooFewHeadquartersText =
    "Fewer than two sides have a headquarters: the stage ends at once";
constexpr const char* kTooManyUnitsText =
    "%d unit slots needed, more than 500: the last placements are left out";
constexpr const char* kOutsideText = "%d placements outside the playing area (the first: #%d)";

int16_t clamp16(int v) {
  return static_cast<int16_t>(std::clamp(v, int{INT16_MIN}, int{INT16_MAX}));
}

bool valid(const StageRecord& r) {
  return unit_kind(r.kind) != nullptr && r.side >= 1 && r.side <= kSides;
}

}  // namespace

StageModel StageModel::empty(int ground) {
  StageModel model;
  model.description_.title = kNewStageTitle;
  model.description_.ground = std::clamp(ground, 1, kGroundCount);
  return model;
}

StageModel StageModel::from_stage(StageSource source, StageDescription description) {
  StageModel model;
  model.source_ = std::move(source);
  model.description_ = std::move(description);
  return model;
}

void StageModel::record(EditStep step) {
  steps_.resize(done_);  // a new change forgets what was undone
  if (saved_at_ > static_cast<int64_t>(done_)) saved_at_ = -1;
  steps_.push_back(std::move(step));
  if (steps_.size() > kUndoSteps) {
    steps_.erase(steps_.begin());
    if (saved_at_ >= 0) --saved_at_;  // reaching -1: the saved state is beyond the history
  }
  done_ = steps_.size();
  apply(steps_.back(), true);
}

void StageModel::apply(const EditStep& step, bool forward) {
  std::vector<StageRecord>& records = source_.records;
  switch (step.kind) {
    case EditStep::Kind::kChange: {
      const std::vector<StageRecord>& values = forward ? step.after : step.before;
      for (size_t i = 0; i < step.indices.size(); ++i) {
        records[static_cast<size_t>(step.indices[i])] = values[i];
      }
      selection_ = step.indices;
      break;
    }
    case EditStep::Kind::kAppend:
      if (forward) {
        records.insert(records.end(), step.after.begin(), step.after.end());
        selection_ = step.indices;
      } else {
        records.resize(records.size() - step.after.size());
        selection_.clear();
      }
      break;
    case EditStep::Kind::kRemove:
      if (forward) {
        for (size_t i = step.indices.size(); i-- > 0;) {
          records.erase(records.begin() + step.indices[i]);
        }
        selection_.clear();
      } else {
        for (size_t i = 0; i < step.indices.size(); ++i) {
          records.insert(records.begin() + step.indices[i], step.before[i]);
        }
        selection_ = step.indices;
      }
      break;
    case EditStep::Kind::kDescription:
      description_ = forward ? step.description_after : step.description_before;
      break;
  }
}

void StageModel::undo() {
  if (!can_undo()) return;
  --done_;
  apply(steps_[done_], false);
}

void StageModel::redo() {
  if (!can_redo()) return;
  apply(steps_[done_], true);
  ++done_;
}

bool StageModel::modified() const {
  return saved_at_ != static_cast<int64_t>(done_);
}

void StageModel::mark_saved() {
  saved_at_ = static_cast<int64_t>(done_);
}

bool StageModel::place(const StageRecord& record_to_place) {
  if (!valid(record_to_place) || source_.records.size() >= kMaxStageRecords) return false;
  EditStep step;
  step.kind = EditStep::Kind::kAppend;
  step.indices = {static_cast<int>(source_.records.size())};
  step.after = {record_to_place};
  record(std::move(step));
  return true;
}

void StageModel::change_selected(const std::vector<StageRecord>& after) {
  EditStep step;
  step.kind = EditStep::Kind::kChange;
  step.indices = selection_;
  for (const int i : selection_) step.before.push_back(source_.records[static_cast<size_t>(i)]);
  step.after = after;
  if (step.before == step.after) return;  // nothing changes: no undo step
  record(std::move(step));
}

void StageModel::move_selected(int dx, int dy) {
  if (selection_.empty()) return;
  std::vector<StageRecord> after;
  for (const int i : selection_) {
    StageRecord r = source_.records[static_cast<size_t>(i)];
    r.x = clamp16(r.x + dx);
    r.y = clamp16(r.y + dy);
    after.push_back(r);
  }
  change_selected(after);
}

void StageModel::turn_selected(int steps) {
  if (selection_.empty()) return;
  std::vector<StageRecord> after;
  for (const int i : selection_) {
    StageRecord r = source_.records[static_cast<size_t>(i)];
    // Kept within one turn, so repeated turning never wraps the field.
    r.heading_steps = static_cast<int16_t>(((r.heading_steps + steps) % 16 + 16) % 16);
    after.push_back(r);
  }
  change_selected(after);
}

void StageModel::set_order_of_selected(uint8_t mode, int goal_x, int goal_y) {
  if (selection_.empty()) return;
  std::vector<StageRecord> after;
  for (const int i : selection_) {
    StageRecord r = source_.records[static_cast<size_t>(i)];
    r.mode = mode;
    r.goal_x = clamp16(goal_x);
    r.goal_y = clamp16(goal_y);
    after.push_back(r);
  }
  change_selected(after);
}

void StageModel::set_mode_of_selected(uint8_t mode) {
  if (selection_.empty()) return;
  std::vector<StageRecord> after;
  for (const int i : selection_) {
    StageRecord r = source_.records[static_cast<size_t>(i)];
    r.mode = mode;
    after.push_back(r);
  }
  change_selected(after);
}

bool StageModel::set_side_of_selected(int side) {
  if (side < 1 || side > kSides) return false;
  if (selection_.empty()) return true;
  std::vector<StageRecord> after;
  for (const int i : selection_) {
    StageRecord r = source_.records[static_cast<size_t>(i)];
    r.side = static_cast<int8_t>(side);
    after.push_back(r);
  }
  change_selected(after);
  return true;
}

void StageModel::copy_selected(int dx, int dy) {
  if (selection_.empty()) return;
  const size_t room = kMaxStageRecords - source_.records.size();
  EditStep step;
  step.kind = EditStep::Kind::kAppend;
  for (const int i : selection_) {
    if (step.after.size() == room) break;
    StageRecord r = source_.records[static_cast<size_t>(i)];
    r.x = clamp16(r.x + dx);
    r.y = clamp16(r.y + dy);
    step.indices.push_back(static_cast<int>(source_.records.size() + step.after.size()));
    step.after.push_back(r);
  }
  if (step.after.empty()) return;
  record(std::move(step));
}

void StageModel::delete_selected() {
  if (selection_.empty()) return;
  EditStep step;
  step.kind = EditStep::Kind::kRemove;
  step.indices = selection_;
  for (const int i : selection_) step.before.push_back(source_.records[static_cast<size_t>(i)]);
  record(std::move(step));
}

bool StageModel::set_description(const StageDescription& d) {
  if (!description_problem(d).empty()) return false;
  if (d == description_) return true;
  EditStep step;
  step.kind = EditStep::Kind::kDescription;
  step.description_before = description_;
  step.description_after = d;
  record(std::move(step));
  return true;
}

void StageModel::select(int index, bool add) {
  if (!add) selection_.clear();
  if (index < 0 || static_cast<size_t>(index) >= source_.records.size()) return;
  const auto at = std::lower_bound(selection_.begin(), selection_.end(), index);
  if (at == selection_.end() || *at != index) selection_.insert(at, index);
}

void StageModel::select_in_rect(int x0, int y0, int x1, int y1, bool add) {
  if (!add) selection_.clear();
  const int left = std::min(x0, x1);
  const int right = std::max(x0, x1);
  const int bottom = std::min(y0, y1);
  const int top = std::max(y0, y1);
  for (size_t i = 0; i < source_.records.size(); ++i) {
    const StageRecord& r = source_.records[i];
    if (r.x >= left && r.x <= right && r.y >= bottom && r.y <= top) {
      select(static_cast<int>(i), true);
    }
  }
}

int StageModel::placement_at(int x, int y, int reach) const {
  int best = -1;
  int64_t best_distance = int64_t{reach} * reach;
  // The last placed is drawn on top, so it wins a tie.
  for (size_t i = 0; i < source_.records.size(); ++i) {
    const StageRecord& r = source_.records[i];
    const int64_t dx = r.x - x;
    const int64_t dy = r.y - y;
    const int64_t d = dx * dx + dy * dy;
    if (d <= best_distance) {
      best_distance = d;
      best = static_cast<int>(i);
    }
  }
  return best;
}

int StageModel::unit_slots() const {
  int slots = 0;
  for (const StageRecord& r : source_.records) {
    const UnitKind* kind = unit_kind(r.kind);
    slots += kind != nullptr && kind->child_type != -1 ? 2 : 1;
  }
  return slots;
}

std::vector<StageProblem> StageModel::check() const {
  std::vector<StageProblem> problems;
  std::array<int, kSides> placed{};
  std::array<int, kSides> headquarters{};
  int outside = 0;
  int first_outside = -1;
  for (size_t i = 0; i < source_.records.size(); ++i) {
    const StageRecord& r = source_.records[i];
    ++placed[static_cast<size_t>(r.side - 1)];
    if (r.kind == kHeadquartersKind) ++headquarters[static_cast<size_t>(r.side - 1)];
    if (std::abs(r.x) > kPlayingAreaEdge || std::abs(r.y) > kPlayingAreaEdge) {
      if (outside++ == 0) first_outside = static_cast<int>(i);
    }
  }
  int sides_with_headquarters = 0;
  for (int s = 0; s < kSides; ++s) {
    if (headquarters[static_cast<size_t>(s)] > 0) {
      ++sides_with_headquarters;
    } else if (placed[static_cast<size_t>(s)] > 0) {
      problems.push_back({StageCheck::kSideWithoutHeadquarters, s + 1, 0, -1});
    }
  }
  if (sides_with_headquarters < 2) problems.push_back({StageCheck::kTooFewHeadquarters, 0, 0, -1});
  const int slots = unit_slots();
  if (slots > kMaxUnit) problems.push_back({StageCheck::kTooManyUnits, 0, slots, -1});
  if (outside > 0) {
    problems.push_back({StageCheck::kOutsidePlayingArea, 0, outside, first_outside});
  }
  return problems;
}

std::string problem_text(const StageProblem& problem) {
  char text[160];
  switch (problem.check) {
    case StageCheck::kSideWithoutHeadquarters:
      std::snprintf(text, sizeof text, kSideWithoutHeadquartersText, problem.side);
      break;
    case StageCheck::kTooFewHeadquarters:
      std::snprintf(text, sizeof text, "%s", kTooFewHeadquartersText);
      break;
    case StageCheck::kTooManyUnits:
      std::snprintf(text, sizeof text, kTooManyUnitsText, problem.count);
      break;
    case StageCheck::kOutsidePlayingArea:
      std::snprintf(text, sizeof text, kOutsideText, problem.count, problem.index + 1);
      break;
  }
  return text;
}

}  // namespace quarvex
