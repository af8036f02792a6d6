// The stage editor's model: every change undone and done again exactly, a
// long history, the checks, and a saved stage that the stage compiler makes
// again byte for byte from its decompiled text.

#include <gtest/gtest.h>

#include "editor/stage_model.h"
#include "stage_text.h"
#include "test_files.h"
#include "world/random_stage.h"

namespace quarvex {
namespace {

using testing::record;

constexpr int kTank = 2;
constexpr int kHeadquarters = 32;
constexpr int kFactory = 34;  // with a mounted gun: two unit slots

TEST(StageModel, EveryChangeIsUndoneAndDoneAgainWithItsSelection) {
  StageModel model = StageModel::empty(2);
  EXPECT_EQ(model.description().ground, 2);
  EXPECT_FALSE(model.modified());
  // Each change, and the records and selection it leaves.
  std::vector<std::vector<StageRecord>> records = {model.records()};
  std::vector<std::vector<int>> selections = {model.selection()};
  const auto keep = [&] {
    records.push_back(model.records());
    selections.push_back(model.selection());
  };
  ASSERT_TRUE(model.place(record(kHeadquarters, 1, -300, -300, 0, 0)));
  keep();
  ASSERT_TRUE(model.place(record(kTank, 1, -250, -300, 0, 1)));
  keep();
  ASSERT_TRUE(model.place(record(kHeadquarters, 2, 300, 300, 8, 0)));
  keep();
  model.select_in_rect(-200, -400, -400, -200, false);  // corners in any order
  EXPECT_EQ(model.selection(), (std::vector<int>{0, 1}));
  model.move_selected(10, -5);
  keep();
  model.turn_selected(-3);
  keep();
  EXPECT_EQ(model.records()[0].heading_steps, 13);
  model.set_order_of_selected(2, 40, 50);
  keep();
  model.set_mode_of_selected(4);
  keep();
  EXPECT_EQ(model.records()[1].mode, 4);
  EXPECT_EQ(model.records()[1].goal_y, 50);
  model.copy_selected(0, 100);
  keep();
  EXPECT_EQ(model.selection(), (std::vector<int>{3, 4}));
  EXPECT_EQ(model.records()[4].y, -205);
  model.select(0, false);
  model.select(2, true);
  model.delete_selected();
  keep();
  EXPECT_EQ(model.records().size(), 3u);
  EXPECT_EQ(model.records()[0].kind, kTank);
  EXPECT_TRUE(model.modified());

  // Refused: a kind or side outside the tables; a change that changes nothing.
  EXPECT_FALSE(model.place(record(40, 1, 0, 0)));
  EXPECT_FALSE(model.place(record(kTank, 5, 0, 0)));
  model.select(0, false);
  EXPECT_FALSE(model.set_side_of_selected(0));
  model.move_selected(0, 0);
  EXPECT_TRUE(model.can_undo());

  for (size_t step = records.size() - 1; step > 0; --step) {
    ASSERT_EQ(model.records(), records[step]) << step;
    model.undo();
    EXPECT_EQ(model.records(), records[step - 1]) << step;
  }
  EXPECT_FALSE(model.can_undo());
  EXPECT_FALSE(model.modified());
  for (size_t step = 1; step < records.size(); ++step) {
    model.redo();
    EXPECT_EQ(model.records(), records[step]) << step;
    EXPECT_EQ(model.selection(), selections[step]) << step;
  }
  EXPECT_FALSE(model.can_redo());
  // A new change forgets what was undone.
  model.undo();
  model.select(0, false);
  ASSERT_TRUE(model.set_side_of_selected(3));
  EXPECT_FALSE(model.can_redo());
  EXPECT_EQ(model.records()[0].side, 3);
}

TEST(StageModel, AHistoryOfTwoHundredAndMoreStepsAndWhatWasSaved) {
  StageModel model = StageModel::empty(1);
  ASSERT_TRUE(model.place(record(kTank, 1, 0, 0)));
  model.mark_saved();
  model.select(0, false);
  for (int i = 0; i < 300; ++i) model.move_selected(1, 0);
  EXPECT_EQ(model.records()[0].x, 300);
  size_t undone = 0;
  while (model.can_undo()) {
    model.undo();
    ++undone;
  }
  EXPECT_EQ(undone, kUndoSteps);
  EXPECT_GE(kUndoSteps, 200u);
  EXPECT_EQ(model.records()[0].x, 300 - static_cast<int>(kUndoSteps));
  // The saved state lies beyond the history: nothing reaches it again.
  EXPECT_TRUE(model.modified());
  model.mark_saved();
  EXPECT_FALSE(model.modified());
  model.redo();
  EXPECT_TRUE(model.modified());
  model.undo();
  EXPECT_FALSE(model.modified());
  // Saved, undone, then changed otherwise: the saved state is gone for good.
  model.redo();
  model.mark_saved();
  model.undo();
  model.move_selected(0, 7);
  EXPECT_TRUE(model.modified());
  model.undo();
  EXPECT_TRUE(model.modified());

  StageDescription d = model.description();
  d.title = "Renamed";
  ASSERT_TRUE(model.set_description(d));
  EXPECT_EQ(model.description().title, "Renamed");
  model.undo();
  EXPECT_EQ(model.description().title, "New stage");
  d.title = "";
  EXPECT_FALSE(model.set_description(d));
}

TEST(StageModel, ChecksShowWhatWouldGoWrongInPlay) {
  struct Case {
    std::vector<StageRecord> records;
    std::vector<StageProblem> problems;
  };
  std::vector<StageRecord> crowded = {record(kHeadquarters, 1, 0, 0),
                                      record(kHeadquarters, 2, 0, 0)};  // 4 slots
  for (int i = 0; i < 248; ++i) crowded.push_back(record(kFactory, 3, 0, 0));
  const std::vector<Case> cases = {
      {{record(kHeadquarters, 1, 0, 0), record(kHeadquarters, 2, 0, 0)}, {}},
      {{}, {{StageCheck::kTooFewHeadquarters}}},
      {{record(kHeadquarters, 1, 0, 0), record(kTank, 2, 0, 0), record(kTank, 4, 0, 0)},
       {{StageCheck::kSideWithoutHeadquarters, 2},
        {StageCheck::kSideWithoutHeadquarters, 4},
        {StageCheck::kTooFewHeadquarters}}},
      {{record(kHeadquarters, 1, 500, -500), record(kHeadquarters, 2, 0, 0),
        record(kTank, 1, 501, 0), record(kTank, 1, 0, -32768)},
       {{StageCheck::kOutsidePlayingArea, 0, 2, 2}}},
      {crowded, {{StageCheck::kSideWithoutHeadquarters, 3}}},  // exactly the 500 slots
  };
  for (size_t c = 0; c < cases.size(); ++c) {
    const StageModel model = StageModel::from_stage({cases[c].records, {}}, {"x", 1, "", ""});
    EXPECT_EQ(model.check(), cases[c].problems) << c;
  }
  crowded.push_back(record(kTank, 3, 0, 0));
  EXPECT_EQ(StageModel::from_stage({crowded, {}}, {}).check().back(),
            (StageProblem{StageCheck::kTooManyUnits, 0, 502, -1}));  // a tank and its turret
  EXPECT_EQ(problem_text({StageCheck::kOutsidePlayingArea, 0, 2, 2}),
            "2 placements outside the playing area (the first: #3)");
  EXPECT_EQ(problem_text({StageCheck::kSideWithoutHeadquarters, 4}),
            "Side 4 has units but no headquarters");
}

TEST(StageModel, ASavedStageIsWhatTheCompilerMakesOfItsDecompiledText) {
  // Loaded with what only a file can carry (a reserved byte, trailing bytes,
  // headings beyond a turn), then edited.
  StageSource loaded;
  loaded.records = {record(kHeadquarters, 1, -400, 400, -7, 255, -32768, 32767),
                    record(kTank, 2, 12, -9, 40, 0, 1, 2)};
  loaded.records[1].reserved = 9;
  loaded.trailing = {0xDE, 0xAD};
  StageModel model = StageModel::from_stage(loaded, {"Loaded", 3, "", ""});
  model.select(1, false);
  model.copy_selected(-5, 5);
  model.turn_selected(1);
  ASSERT_TRUE(model.place(record(30, 4, 499, -499, 15, 4, 0, 0)));

  const std::vector<uint8_t> saved = model.stage_bytes();
  StageSource decoded;
  std::string error;
  ASSERT_TRUE(decode_stage(saved, "saved.aod", decoded, error)) << error;
  StageSource compiled;
  std::vector<std::string> errors;
  parse_stage_text(format_stage_text(decoded), "saved.txt", compiled, errors);
  ASSERT_TRUE(errors.empty()) << errors[0];
  EXPECT_EQ(encode_stage(compiled), saved);
  EXPECT_EQ(decoded.records.size(), 4u);
  EXPECT_EQ(decoded.trailing, loaded.trailing);

  // A random battle opened in the editor saves as the generator wrote it.
  const StageModel random = StageModel::from_stage(random_stage(9), {"Random battle 9", 2, "", ""});
  EXPECT_EQ(random.stage_bytes(), encode_stage(random_stage(9)));
}

TEST(StageModel, TheNearestPlacementWithinReachIsPicked) {
  const StageModel model = StageModel::from_stage(
      {{record(kTank, 1, 0, 0), record(kTank, 1, 10, 0), record(kTank, 2, 10, 0)}, {}}, {});
  EXPECT_EQ(model.placement_at(2, 0, 5), 0);
  EXPECT_EQ(model.placement_at(9, 1, 5), 2);  // of two on one spot, the one drawn on top
  EXPECT_EQ(model.placement_at(40, 40, 5), -1);
}

}  // namespace
}  // namespace quarvex
