#pragma once
// The stage editor's model: the placements of a stage and its description,
// every change undoable, a selection, and the checks shown while editing.
// Plain code beside the stage reader and writer; the editor's view and input
// live elsewhere and only call this.
//
//   StageModel model = StageModel::empty(2);
//   model.place(record);                 // one undo step each
//   model.select_in_rect(-100, -100, 100, 100, false);
//   model.move_selected(10, 0);
//   model.undo();
//   std::vector<uint8_t> file = model.stage_bytes();   // what Save writes

#include <cstdint>
#include <string>
#include <vector>

#include "stages/stage_description.h"
#include "world/stage_file.h"

namespace quarvex {

// Undo steps kept; the oldest is forgotten beyond this.
constexpr size_t kUndoSteps = 256;
// The playing area: placements outside it are flagged.
constexpr int kPlayingAreaEdge = 500;

// One change, kept so it can be taken back and done again.
struct EditStep {
  enum class Kind : uint8_t { kChange, kAppend, kRemove, kDescription };
  Kind kind = Kind::kChange;
  // kChange: the records at `indices` before and after; kAppend: `after`
  // appended at the end; kRemove: `before` removed from `indices` (ascending).
  std::vector<int> indices;
  std::vector<StageRecord> before;
  std::vector<StageRecord> after;
  StageDescription description_before;
  StageDescription description_after;
};

enum class StageCheck : uint8_t {
  kSideWithoutHeadquarters,  // `side` has placements but no headquarters
  kTooFewHeadquarters,       // fewer than two sides own a headquarters: decided at once
  kTooManyUnits,             // `count` unit slots needed, more than 500
  kOutsidePlayingArea,       // `count` placements outside -500..500, the first `index`
};

struct StageProblem {
  StageCheck check;
  int side = 0;
  int count = 0;
  int index = -1;
  bool operator==(const StageProblem&) const = default;
};

class StageModel {
 public:
  // An empty stage on a ground (1..3), titled as a new stage.
  static StageModel empty(int ground);
  // A stage read from a stage file (checked by decode_stage) and its description.
  static StageModel from_stage(StageSource source, StageDescription description);

  const std::vector<StageRecord>& records() const { return source_.records; }
  const StageDescription& description() const { return description_; }
  // The stage file Save writes: the bytes `quarvex-stage compile` makes of
  // the file's decompiled text.
  std::vector<uint8_t> stage_bytes() const { return encode_stage(source_); }

  // Changes, each one undo step. A record with a kind outside 0..39 or a
  // side outside 1..4 is refused (false). Changes of the selection apply
  // to every selected placement and do nothing without one.
  bool place(const StageRecord& record);
  void move_selected(int dx, int dy);
  void turn_selected(int steps);  // 22.5 degrees each, positive to the left
  void set_order_of_selected(uint8_t mode, int goal_x, int goal_y);
  bool set_side_of_selected(int side);
  // The order mode alone, each placement keeping its goal.
  void set_mode_of_selected(uint8_t mode);
  // Copies the selected placements, shifted; the copies become the selection.
  void copy_selected(int dx, int dy);
  void delete_selected();
  bool set_description(const StageDescription& description);

  bool can_undo() const { return done_ > 0; }
  bool can_redo() const { return done_ < steps_.size(); }
  void undo();
  void redo();

  // Unsaved changes: the stage differs from the one last marked saved.
  bool modified() const;
  void mark_saved();
  // The stage as it stands was never saved (work recovered from an autosave).
  void mark_unsaved() { saved_at_ = -1; }

  // The selection: indices into records(), ascending.
  const std::vector<int>& selection() const { return selection_; }
  void select(int index, bool add);
  // Every placement inside the rectangle (corners in any order, edges included).
  void select_in_rect(int x0, int y0, int x1, int y1, bool add);
  void clear_selection() { selection_.clear(); }
  // The placement nearest (x, y) within `reach` map units; -1 when none.
  int placement_at(int x, int y, int reach) const;

  // What is wrong with the stage as it stands, for the editor to show.
  std::vector<StageProblem> check() const;
  // Unit slots the placements need (a mounted turret or gunner takes its own).
  int unit_slots() const;

 private:
  void apply(const EditStep& step, bool forward);
  void record(EditStep step);
  void change_selected(const std::vector<StageRecord>& after);

  StageSource source_;
  StageDescription description_;
  std::vector<int> selection_;
  std::vector<EditStep> steps_;  // the undo history, oldest first
  size_t done_ = 0;              // steps_[0..done_) are in effect
  // Steps in effect when last saved; -1 when that state is no longer in the history.
  int64_t saved_at_ = 0;
};

// One line saying what a problem is, for the editor's panel.
std::string problem_text(const StageProblem& problem);

}  // namespace quarvex
