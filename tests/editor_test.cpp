// The stage editor driven as a player drives it, by events in pixels of the
// picture: a stage made on the start screen's empty map, changed with the
// mouse and the keys, saved as a stage of one's own (which the stage
// compiler makes again byte for byte from its decompiled text), kept by the
// autosave through a crash, and never left with unsaved work unasked.

#include <gtest/gtest.h>

#include <filesystem>

#include "editor/editor.h"
#include "editor/editor_files.h"
#include "stage_text.h"
#include "stages/file_io.h"
#include "test_files.h"

namespace quarvex {
namespace {

InputEvent key(const char* name) {
  InputEvent e;
  e.kind = InputKind::kKeyDown;
  EXPECT_TRUE(parse_key_chord(name, e.key)) << name;
  return e;
}

InputEvent mouse(InputKind kind, int x, int y, int button = 1, uint8_t mods = 0) {
  InputEvent e;
  e.kind = kind;
  e.x = static_cast<int16_t>(x);
  e.y = static_cast<int16_t>(y);
  e.button = static_cast<uint8_t>(button);
  e.key.mods = mods;
  return e;
}

InputEvent typed(const char* text) {
  InputEvent e;
  e.kind = InputKind::kText;
  std::snprintf(e.text, sizeof e.text, "%s", text);
  return e;
}

struct Session {
  Editor editor;
  EditorRequests out;
  explicit Session(const std::string& folder) : editor(DataFolders{{QUARVEX_DATA_DIR}}, folder) {}
  void send(const InputEvent& e) {
    out = EditorRequests{};
    editor.handle(e, out);
  }
  void keys(std::initializer_list<const char*> names) {
    for (const char* n : names) send(key(n));
  }
  void click(int x, int y, int button = 1, uint8_t mods = 0) {
    send(mouse(InputKind::kMouseDown, x, y, button, mods));
    send(mouse(InputKind::kClick, x, y, button, mods));
  }
  void drag(int x0, int y0, int x1, int y1) {
    send(mouse(InputKind::kMouseDown, x0, y0));
    send(mouse(InputKind::kMouseMove, x1, y1));
    send(mouse(InputKind::kClick, x1, y1));
  }
  // The picture pixel of a map point.
  void pixel(double mx, double my, int& x, int& y) const {
    double px = 0;
    double py = 0;
    editor.view().to_picture(mx, my, px, py);
    x = static_cast<int>(std::lround(px));
    y = static_cast<int>(std::lround(py));
  }
};

TEST(Editor, AStageMadeWithMouseAndKeysIsSavedAsTheCompilerWouldMakeIt) {
  testing::TempDir dir;
  const std::string folder = dir.file("stages");
  Session s(folder);
  s.editor.open_start("");
  ASSERT_EQ(s.editor.start_rows().front().kind, StartRow::Kind::kEmpty);
  s.keys({"Right", "Return"});  // an empty map on ground 2
  ASSERT_EQ(s.editor.screen(), EditorScreen::kMap);
  EXPECT_EQ(s.editor.model().description().ground, 2);

  // The view and the mouse agree: a right click places where it points.
  int x = 0;
  int y = 0;
  s.pixel(-300, -300, x, y);
  s.click(x, y, 3);  // the palette opens on the headquarters
  s.keys({"2"});
  s.pixel(300, 300, x, y);
  s.click(x, y, 3);
  ASSERT_EQ(s.editor.model().records().size(), 2u);
  EXPECT_NEAR(s.editor.model().records()[0].x, -300, 2);
  EXPECT_NEAR(s.editor.model().records()[1].y, 300, 2);
  EXPECT_EQ(s.editor.model().records()[1].side, 2);
  EXPECT_EQ(s.editor.model().records()[0].kind, 32);

  // The palette: the next category's second kind, by clicks on the strip.
  s.click(kCategoryBoxRight - 10, kPaletteTop + 10);
  s.click(kPaletteLeft + kPaletteCell + 10, kPaletteCellTop + 10);
  const int soldier = s.editor.kind();
  for (int i = 0; i < 3; ++i) {
    s.pixel(-200 + 20 * i, -200, x, y);
    s.click(x, y, 3);
  }
  EXPECT_EQ(s.editor.model().records()[4].kind, soldier);

  // A rectangle takes the three; Q turns them, a drag moves them, Ctrl+Z
  // and Ctrl+Y take the move back and do it again.
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  s.pixel(-240, -160, x0, y0);
  s.pixel(-120, -240, x1, y1);
  s.drag(x0, y0, x1, y1);
  EXPECT_EQ(s.editor.model().selection(), (std::vector<int>{2, 3, 4}));
  s.keys({"Q"});
  EXPECT_EQ(s.editor.model().records()[3].heading_steps, 1);
  const int placed_x = s.editor.model().records()[3].x;
  s.pixel(placed_x, -200, x0, y0);
  s.drag(x0, y0, x0 + 50, y0);
  const int moved_x = s.editor.model().records()[3].x;
  EXPECT_GT(moved_x, placed_x + 100);
  s.send(key("Ctrl+Z"));
  EXPECT_EQ(s.editor.model().records()[3].x, placed_x);
  s.send(key("Ctrl+Y"));
  EXPECT_EQ(s.editor.model().records()[3].x, moved_x);

  // An order with its goal, then a copy at the cursor and a delete.
  s.pixel(0, 100, x, y);
  s.send(mouse(InputKind::kMouseMove, x, y));
  s.keys({"G"});
  EXPECT_EQ(s.editor.model().records()[2].mode, 2);
  EXPECT_NEAR(s.editor.model().records()[4].goal_y, 100, 2);
  s.keys({"M"});
  EXPECT_EQ(s.editor.model().records()[2].mode, 3);
  EXPECT_NEAR(s.editor.model().records()[2].goal_y, 100, 2);  // the goal stays
  s.keys({"C"});
  EXPECT_EQ(s.editor.model().records().size(), 8u);
  s.keys({"Delete"});
  EXPECT_EQ(s.editor.model().records().size(), 5u);
  EXPECT_TRUE(s.editor.model().check().empty());

  // Test play asks for the stage as it stands, for the side chosen.
  s.keys({"F5"});
  ASSERT_TRUE(s.out.test_play);
  EXPECT_EQ(s.out.test_side, 1);
  EXPECT_EQ(s.out.test_stage.bytes, s.editor.model().stage_bytes());
  EXPECT_EQ(s.out.test_stage.description.ground, 2);

  // Save asks for a title first; the file is named after it.
  s.send(key("Ctrl+S"));
  ASSERT_EQ(s.editor.screen(), EditorScreen::kTitle);
  s.keys({"Backspace", "Backspace", "Backspace", "Backspace", "Backspace", "Backspace", "Backspace",
          "Backspace", "Backspace"});
  EXPECT_EQ(s.editor.title_text(), "");
  s.send(typed("Two "));
  s.send(typed("rí"));
  s.keys({"Backspace"});  // back over a whole character
  s.send(typed("ivers"));
  s.keys({"Return"});
  ASSERT_EQ(s.editor.screen(), EditorScreen::kMap);
  EXPECT_FALSE(s.editor.model().modified()) << s.editor.note().text;
  EXPECT_EQ(s.editor.path(), folder + "/two-rivers.aod");

  std::vector<uint8_t> saved;
  std::string error;
  ASSERT_TRUE(read_small_file(s.editor.path(), kMaxStageFileSize, saved, error)) << error;
  EXPECT_EQ(saved, s.editor.model().stage_bytes());
  StageSource decoded;
  ASSERT_TRUE(decode_stage(saved, "saved", decoded, error)) << error;
  StageSource compiled;
  std::vector<std::string> errors;
  parse_stage_text(format_stage_text(decoded), "saved.txt", compiled, errors);
  ASSERT_TRUE(errors.empty()) << errors[0];
  EXPECT_EQ(encode_stage(compiled), saved);

  // The stage lists under its title, and opens as it was saved.
  Session again(folder);
  again.editor.open_start("");
  const auto& rows = again.editor.start_rows();
  const auto own = std::find_if(rows.begin(), rows.end(), [](const StartRow& r) {
    return r.kind == StartRow::Kind::kPlayer;
  });
  ASSERT_NE(own, rows.end());
  EXPECT_EQ(own->title, "Two rivers");
  // Save as of the same title never takes the first stage's files.
  EXPECT_EQ(new_stage_path(folder, "Two rivers!"), folder + "/two-rivers-2.aod");
}

TEST(Editor, UnsavedWorkIsAutosavedAndNeverLeftUnasked) {
  testing::TempDir dir;
  const std::string folder = dir.file("stages");
  const std::array<bool, kPadInputs> no_pad{};
  {
    Session s(folder);
    s.editor.open_start(dir.file("new.aod"));
    s.keys({"Return"});
    s.editor.tick(1000, no_pad);
    s.keys({"Return"});  // one placement at the cursor
    s.editor.tick(30000, no_pad);
    EXPECT_FALSE(autosave_exists(folder));
    s.editor.tick(61000, no_pad);
    EXPECT_TRUE(autosave_exists(folder));
    // Esc asks; Esc again goes on editing; the window's close asks too.
    s.keys({"Escape"});
    EXPECT_EQ(s.editor.screen(), EditorScreen::kLeave);
    EXPECT_FALSE(s.out.leave);
    s.keys({"Escape"});
    EXPECT_EQ(s.editor.screen(), EditorScreen::kMap);
    s.send(InputEvent{});  // kQuit
    EXPECT_FALSE(s.out.quit);
    EXPECT_EQ(s.editor.screen(), EditorScreen::kLeave);
    EXPECT_TRUE(s.editor.leaving_quits());
    // The program ends here as if it had crashed.
  }
  Session s(folder);
  s.editor.open_start(dir.file("new.aod"));
  ASSERT_EQ(s.editor.start_rows().front().kind, StartRow::Kind::kRecover);
  s.keys({"Return"});
  ASSERT_EQ(s.editor.model().records().size(), 1u);
  EXPECT_TRUE(s.editor.model().modified());
  // Save and leave: written to --edit's file, the autosave gone.
  s.keys({"Escape", "Return"});
  EXPECT_TRUE(s.out.leave);
  EXPECT_TRUE(std::filesystem::exists(dir.file("new.aod")));
  EXPECT_TRUE(std::filesystem::exists(dir.file("new.toml")));
  EXPECT_FALSE(autosave_exists(folder));

  // A stage that cannot be read is shown with its error and not opened.
  {
    std::string error;
    ASSERT_TRUE(write_file_atomically(folder + "/broken.aod", "\x05", true, error));
  }
  s.editor.open_start("");
  const auto& rows = s.editor.start_rows();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].kind != StartRow::Kind::kPlayer || rows[i].errors.empty()) continue;
    while (s.editor.start_row() != static_cast<int>(i)) s.keys({"Down"});
    s.keys({"Return"});
    EXPECT_EQ(s.editor.screen(), EditorScreen::kStart);
    EXPECT_FALSE(s.editor.start_problems().empty());
  }
}

}  // namespace
}  // namespace quarvex
