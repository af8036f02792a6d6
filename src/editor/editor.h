#pragma once
// The stage editor as the player uses it: its start screen (what to start
// from), the map with its placements, the palette, the title asked for by
// Save as and the question before leaving. It takes the player's events in
// pixels of the 640x480 picture and changes only its StageModel; the host
// draws it (render/editor_*), runs the test play it asks for and takes it
// back afterwards exactly as it was.
//
//   Editor editor(data, player_stage_folder());
//   editor.open_start("");                  // or open_file(path)
//   EditorRequests out;
//   editor.handle(event, out);              // every event
//   editor.tick(now_ms, pad, out);          // once a picture

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "editor/editor_view.h"
#include "editor/stage_model.h"
#include "lang/message.h"
#include "platform/input.h"
#include "stages/data_folders.h"
#include "stages/player_stages.h"

namespace quarvex {

enum class EditorScreen : uint8_t { kStart, kMap, kTitle, kLeave };

// What the editor asks of its host.
struct EditorRequests {
  bool leave = false;      // back to the title menu
  bool quit = false;       // the program ends
  bool test_play = false;  // play test_stage for test_side (0..3) at once
  PlayableStage test_stage;
  int test_side = 0;
};

// One row of the start screen.
struct StartRow {
  enum class Kind : uint8_t { kRecover, kEmpty, kRandom, kBuiltIn, kPlayer, kBack };
  Kind kind = Kind::kEmpty;
  int number = 0;  // a built-in stage's
  std::string title;
  std::string path;                 // a player's stage
  std::vector<std::string> errors;  // a damaged stage's: it cannot be opened
};

// The mouse's work under way.
enum class Drag : uint8_t { kNone, kMove, kRectangle, kPan };

// How long a note stays, and how often unsaved work is kept.
constexpr int32_t kNoteMs = 4000;
constexpr int32_t kAutosaveMs = 60000;
// The palette: a strip along the bottom of the picture, the category and
// the chosen kind's name and price on its first line, then the kinds'
// pictures with their prices.
constexpr int kPaletteTop = 388;
constexpr int kPaletteCellTop = 414;
constexpr int kPaletteLeft = 8;
constexpr int kPaletteCell = 52;
constexpr int kCategoryBoxRight = 200;
// The order modes a placement can be given, as the game names them.
constexpr int kOrderModes = 5;
// The rows of the question before leaving.
enum LeaveRow : int { kLeaveSave, kLeaveDiscard, kLeaveStay, kLeaveRows };

// The keys the editor knows, found by name once.
struct EditorKeys {
  int16_t up, down, left, right, enter, keypad_enter, space, escape, backspace, del, insert, tab,
      page_up, page_down, plus, minus, keypad_plus, keypad_minus, q, e, g, m, c, x, a, z, y, s, t,
      h, f1, f5;
  std::array<int16_t, 4> sides;  // 1..4
};

class Editor {
 public:
  Editor(DataFolders data, std::string stages_folder);

  // The start screen. `edit_path`, when given, is where Save writes what is
  // started from (quarvex --edit with a file that does not exist yet);
  // `problems` are shown above the rows (a file that could not be read).
  void open_start(const std::string& edit_path, std::vector<std::string> problems = {});
  // Opens a stage of one's own for editing; false with the readers'
  // messages (the start screen then shows them).
  bool open_file(const std::string& path, std::vector<std::string>& errors);
  // Starts from a model (a built-in stage, a random battle, an empty map).
  void open_model(StageModel model, std::string path);

  void handle(const InputEvent& e, EditorRequests& out);
  // Once a picture: the gamepad's held inputs move the cursor, the notes
  // age, and unsaved work is autosaved once a minute.
  void tick(int32_t now_ms, const std::array<bool, kPadInputs>& pad);
  // The window is being closed: asks first when there is unsaved work.
  void close_requested(EditorRequests& out);
  // A note on the editor's note line for a few seconds.
  void say(Message message, bool error = false);

  EditorScreen screen() const { return screen_; }
  const DataFolders& data() const { return data_; }
  const StageModel& model() const { return model_; }
  const EditorView& view() const { return view_; }
  const std::string& path() const { return path_; }
  // The palette's category and the kind chosen in it.
  int category() const { return category_; }
  int kind() const;
  int kind_row() const { return kind_row_; }
  int side() const { return side_; }             // 1..4: new placements' side
  int heading() const { return heading_; }       // new placements' heading steps
  double cursor_x() const { return cursor_x_; }  // on the map
  double cursor_y() const { return cursor_y_; }
  Drag drag() const { return drag_; }
  // The rectangle being drawn, in map units; the move being dragged.
  void drag_rectangle(double& x0, double& y0, double& x1, double& y1) const;
  int drag_dx() const { return drag_dx_; }
  int drag_dy() const { return drag_dy_; }
  bool help_visible() const { return help_; }
  const Message& note() const { return note_; }
  bool note_is_error() const { return note_error_; }
  const std::vector<StartRow>& start_rows() const { return start_rows_; }
  int start_row() const { return start_row_; }
  int empty_ground() const { return ground_; }
  uint32_t random_seed() const { return seed_; }
  const std::vector<std::string>& start_problems() const { return start_problems_; }
  const std::string& title_text() const { return title_text_; }
  int leave_row() const { return leave_row_; }
  bool leaving_quits() const { return leaving_quits_; }

  // Picture rows of the start screen's list and of the palette, for the
  // mouse and the drawing alike.
  static constexpr int kStartTop = 96;
  static constexpr int kStartRowHeight = 24;
  static constexpr int kStartRowsShown = 14;
  int start_scroll() const;

 private:
  void handle_start(const InputEvent& e, EditorRequests& out);
  void choose_start_row(EditorRequests& out);
  void handle_map(const InputEvent& e, EditorRequests& out);
  bool handle_map_key(const InputEvent& e, EditorRequests& out);
  void handle_pad(int input, EditorRequests& out);
  void handle_title(const InputEvent& e, EditorRequests& out);
  void handle_leave(const InputEvent& e, EditorRequests& out);
  void mouse_down(const InputEvent& e);
  void mouse_up(const InputEvent& e);
  void mouse_move(const InputEvent& e);
  bool palette_click(int x, int y);
  void place_at(double x, double y);
  void goal_at(double x, double y);
  void cycle_mode();
  void copy_to_cursor();
  void move_cursor(double dx, double dy);
  void keep_cursor_in_view();
  void step_kind(int step);
  void step_category(int step);
  void save(bool ask_title);
  void finish_title();
  void test_play(EditorRequests& out);
  void ask_leave(bool quit, EditorRequests& out);
  void leave(EditorRequests& out);
  void changed();
  bool is(const InputEvent& e, int scancode, uint8_t mods = 0) const;

  EditorKeys keys_{};
  DataFolders data_;
  std::string folder_;
  EditorScreen screen_ = EditorScreen::kStart;
  StageModel model_ = StageModel::empty(1);
  std::string path_;
  EditorView view_;
  int category_ = 0;
  int kind_row_ = 0;
  int side_ = 1;
  int heading_ = 0;
  double cursor_x_ = 0.0;
  double cursor_y_ = 0.0;
  Drag drag_ = Drag::kNone;
  double drag_x_ = 0.0;  // where the drag began, on the map
  double drag_y_ = 0.0;
  int drag_px_ = 0;  // and in the picture
  int drag_py_ = 0;
  int drag_dx_ = 0;
  int drag_dy_ = 0;
  bool drag_adds_ = false;
  bool help_ = false;
  Message note_;
  bool note_error_ = false;
  int32_t note_until_ = 0;
  int32_t now_ms_ = 0;
  bool note_fresh_ = false;
  // Autosave: a change count, and the count and time of the last autosave.
  uint64_t changes_ = 0;
  uint64_t autosaved_changes_ = 0;
  int32_t autosaved_ms_ = 0;
  bool autosave_clock_started_ = false;
  std::vector<StartRow> start_rows_;
  int start_row_ = 0;
  int ground_ = 1;
  uint32_t seed_ = 1;
  std::vector<std::string> start_problems_;
  std::string start_path_;  // --edit's file, for what the start screen opens
  std::string title_text_;
  bool title_then_leave_ = false;
  int leave_row_ = kLeaveSave;
  bool leaving_quits_ = false;
  int pad_wait_ = 0;  // pictures until a held pad direction moves the cursor again
};

// The names the order modes go by in the editor.
extern const std::array<const char*, kOrderModes> kOrderModeNames;

}  // namespace quarvex
