#include "editor/editor.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "editor/editor_files.h"
#include "editor/palette.h"
#include "lang/texts.h"
#include "world/tables.h"

namespace quarvex {

const std::array<const char*, kOrderModes> kOrderModeNames = {
    N_("stand"), N_("roam"), N_("go to the goal"), N_("follow a unit"), N_("march to the goal")};

namespace {

int16_t scancode(const char* name) {
  KeyChord chord;
  parse_key_chord(name, chord);
  return chord.scancode;
}

// A copy lands this far from its original when there is no cursor to go to.
constexpr int kCopyOffset = 20;
// How near (in pixels) a click must be to a placement to take it.
constexpr double kPickPixels = 12.0;
// A press and release closer than this (pixels) is a click, not a drag.
constexpr int kDragPixels = 4;
// Pixels the cursor moves a key press, and the picture's margin it keeps.
constexpr double kCursorStepPixels = 8.0;
constexpr double kViewMarginPixels = 40.0;
// Where followers keep to their leader, in map units.
constexpr int16_t kFollowDistance = 40;
constexpr int kPadRepeatPictures = 2;

}  // namespace

Editor::Editor(DataFolders data, std::string stages_folder)
    : data_(std::move(data)), folder_(std::move(stages_folder)) {
  keys_ = EditorKeys{scancode("Up"),
                     scancode("Down"),
                     scancode("Left"),
                     scancode("Right"),
                     scancode("Return"),
                     scancode("Keypad Enter"),
                     scancode("Space"),
                     scancode("Escape"),
                     scancode("Backspace"),
                     scancode("Delete"),
                     scancode("Insert"),
                     scancode("Tab"),
                     scancode("PageUp"),
                     scancode("PageDown"),
                     scancode("="),
                     scancode("-"),
                     scancode("Keypad +"),
                     scancode("Keypad -"),
                     scancode("Q"),
                     scancode("E"),
                     scancode("G"),
                     scancode("M"),
                     scancode("C"),
                     scancode("X"),
                     scancode("A"),
                     scancode("Z"),
                     scancode("Y"),
                     scancode("S"),
                     scancode("T"),
                     scancode("H"),
                     scancode("F1"),
                     scancode("F5"),
                     {scancode("1"), scancode("2"), scancode("3"), scancode("4")}};
}

bool Editor::is(const InputEvent& e, int code, uint8_t mods) const {
  const uint8_t held = e.key.mods & (kModCtrl | kModShift | kModAlt);
  return e.kind == InputKind::kKeyDown && code != 0 && e.key.scancode == code && held == mods;
}

int Editor::kind() const {
  const PaletteCategory& c = palette_categories()[static_cast<size_t>(category_)];
  return c.kinds[static_cast<size_t>(kind_row_)];
}

void Editor::say(Message message, bool error) {
  note_ = std::move(message);
  note_error_ = error;
  note_fresh_ = true;
}

void Editor::changed() {
  ++changes_;
}

void Editor::open_model(StageModel model, std::string path) {
  model_ = std::move(model);
  path_ = std::move(path);
  screen_ = EditorScreen::kMap;
  view_ = EditorView{};
  view_.zoom = kEditorZoomOut;
  cursor_x_ = 0.0;
  cursor_y_ = 0.0;
  drag_ = Drag::kNone;
  changes_ = autosaved_changes_ = 0;
  note_ = Message{};
}

bool Editor::open_file(const std::string& path, std::vector<std::string>& errors) {
  StageSource stage;
  StageDescription description;
  if (!read_stage_for_editing(path, stage, description, errors)) return false;
  std::string stage_path = path;
  if (stage_path.size() >= 5 && stage_path.ends_with(kDescriptionExtension)) {
    stage_path.replace(stage_path.size() - 5, 5, kStageExtension);
  }
  open_model(StageModel::from_stage(std::move(stage), std::move(description)), stage_path);
  return true;
}

void Editor::drag_rectangle(double& x0, double& y0, double& x1, double& y1) const {
  x0 = drag_x_;
  y0 = drag_y_;
  x1 = cursor_x_;
  y1 = cursor_y_;
}

void Editor::handle(const InputEvent& e, EditorRequests& out) {
  if (e.kind == InputKind::kQuit) {
    close_requested(out);
    return;
  }
  switch (screen_) {
    case EditorScreen::kStart:
      handle_start(e, out);
      return;
    case EditorScreen::kMap:
      handle_map(e, out);
      return;
    case EditorScreen::kTitle:
      handle_title(e, out);
      return;
    case EditorScreen::kLeave:
      handle_leave(e, out);
      return;
  }
}

void Editor::close_requested(EditorRequests& out) {
  if (screen_ == EditorScreen::kStart || !model_.modified()) {
    out.quit = true;
    return;
  }
  ask_leave(true, out);
}

void Editor::tick(int32_t now_ms, const std::array<bool, kPadInputs>& pad) {
  now_ms_ = now_ms;
  if (note_fresh_) {
    note_until_ = now_ms + kNoteMs;
    note_fresh_ = false;
  } else if (!note_.text.empty() && now_ms - note_until_ > 0) {
    note_ = Message{};
  }
  if (!autosave_clock_started_) {
    autosaved_ms_ = now_ms;
    autosave_clock_started_ = true;
  }
  if (screen_ == EditorScreen::kStart) return;
  if (changes_ != autosaved_changes_ && now_ms - autosaved_ms_ >= kAutosaveMs) {
    autosaved_ms_ = now_ms;
    std::string error;
    if (folder_.empty()) {
      autosaved_changes_ = changes_;
    } else if (model_.modified() && !write_autosave(model_, folder_, error)) {
      say(Message{N_("Autosave failed: {error}"), {{"error", error}}}, true);
    } else {
      autosaved_changes_ = changes_;
    }
  }
  if (screen_ != EditorScreen::kMap) return;
  // A held direction of the pad moves the cursor every few pictures.
  const double step = kCursorStepPixels * view_.map_per_pixel();
  const double dx = (pad[kPadDpadRight] || pad[kPadLeftXPlus] ? step : 0.0) -
                    (pad[kPadDpadLeft] || pad[kPadLeftXMinus] ? step : 0.0);
  const double dy = (pad[kPadDpadUp] || pad[kPadLeftYMinus] ? step : 0.0) -
                    (pad[kPadDpadDown] || pad[kPadLeftYPlus] ? step : 0.0);
  if (dx == 0.0 && dy == 0.0) {
    pad_wait_ = 0;
  } else if (pad_wait_ > 0) {
    --pad_wait_;
  } else {
    move_cursor(dx, dy);
    pad_wait_ = kPadRepeatPictures;
  }
  if (pad[kPadLeftTrigger]) view_.zoom_by(-1);
  if (pad[kPadRightTrigger]) view_.zoom_by(1);
}

// --- the map ---------------------------------------------------------------

void Editor::handle_map(const InputEvent& e, EditorRequests& out) {
  switch (e.kind) {
    case InputKind::kMouseDown:
      mouse_down(e);
      return;
    case InputKind::kClick:
      mouse_up(e);
      return;
    case InputKind::kMouseMove:
      mouse_move(e);
      return;
    case InputKind::kWheel:
      // The point under the mouse stays where it is while zooming.
      {
        double before_x = 0.0;
        double before_y = 0.0;
        view_.to_map(e.x, e.y, before_x, before_y);
        view_.zoom_by(e.wheel * 2);
        double after_x = 0.0;
        double after_y = 0.0;
        view_.to_map(e.x, e.y, after_x, after_y);
        view_.x += before_x - after_x;
        view_.y += before_y - after_y;
      }
      return;
    case InputKind::kPadDown:
      handle_pad(e.pad_input, out);
      return;
    case InputKind::kKeyDown:
      handle_map_key(e, out);
      return;
    default:
      return;
  }
}

bool Editor::handle_map_key(const InputEvent& e, EditorRequests& out) {
  const double step = kCursorStepPixels * view_.map_per_pixel();
  const struct {
    int16_t key;
    double dx, dy;
  } directions[] = {
      {keys_.left, -1, 0}, {keys_.right, 1, 0}, {keys_.up, 0, 1}, {keys_.down, 0, -1}};
  for (const auto& d : directions) {
    if (is(e, d.key)) {
      move_cursor(d.dx * step, d.dy * step);
      return true;
    }
    if (is(e, d.key, kModShift)) {
      move_cursor(d.dx * step * 4, d.dy * step * 4);
      return true;
    }
    // Ctrl moves the selected placements, a map unit at a time or (with Shift) ten.
    if (is(e, d.key, kModCtrl) || is(e, d.key, kModCtrl | kModShift)) {
      const int n = (e.key.mods & kModShift) != 0 ? 10 : 1;
      model_.move_selected(static_cast<int>(d.dx) * n, static_cast<int>(d.dy) * n);
      changed();
      return true;
    }
  }
  if (is(e, keys_.z, kModCtrl)) {
    model_.undo();
    changed();
  } else if (is(e, keys_.y, kModCtrl) || is(e, keys_.z, kModCtrl | kModShift)) {
    model_.redo();
    changed();
  } else if (is(e, keys_.s, kModCtrl)) {
    save(false);
  } else if (is(e, keys_.s, kModCtrl | kModShift)) {
    save(true);
  } else if (is(e, keys_.a, kModCtrl)) {
    model_.select_in_rect(INT16_MIN, INT16_MIN, INT16_MAX, INT16_MAX, false);
  } else if (e.repeat) {
    return false;
  } else if (is(e, keys_.f5) || is(e, keys_.t)) {
    test_play(out);
  } else if (is(e, keys_.enter) || is(e, keys_.keypad_enter) || is(e, keys_.insert)) {
    place_at(cursor_x_, cursor_y_);
  } else if (is(e, keys_.space) || is(e, keys_.space, kModShift)) {
    const int i = model_.placement_at(static_cast<int>(std::lround(cursor_x_)),
                                      static_cast<int>(std::lround(cursor_y_)),
                                      static_cast<int>(kPickPixels * view_.map_per_pixel()) + 1);
    if (i >= 0 || (e.key.mods & kModShift) == 0) model_.select(i, (e.key.mods & kModShift) != 0);
  } else if (is(e, keys_.q)) {
    model_.turn_selected(1);
    changed();
  } else if (is(e, keys_.e)) {
    model_.turn_selected(-1);
    changed();
  } else if (is(e, keys_.q, kModShift) || is(e, keys_.e, kModShift)) {
    // The heading the next placements get.
    heading_ = ((heading_ + (e.key.scancode == keys_.q ? 1 : -1)) % 16 + 16) % 16;
  } else if (is(e, keys_.del) || is(e, keys_.backspace) || is(e, keys_.x)) {
    model_.delete_selected();
    changed();
  } else if (is(e, keys_.c)) {
    copy_to_cursor();
  } else if (is(e, keys_.g)) {
    goal_at(cursor_x_, cursor_y_);
  } else if (is(e, keys_.m)) {
    cycle_mode();
  } else if (is(e, keys_.tab)) {
    step_category(1);
  } else if (is(e, keys_.tab, kModShift)) {
    step_category(-1);
  } else if (is(e, keys_.page_down)) {
    step_kind(1);
  } else if (is(e, keys_.page_up)) {
    step_kind(-1);
  } else if (is(e, keys_.plus) || is(e, keys_.plus, kModShift) || is(e, keys_.keypad_plus)) {
    view_.zoom_by(2);
  } else if (is(e, keys_.minus) || is(e, keys_.keypad_minus)) {
    view_.zoom_by(-2);
  } else if (is(e, keys_.f1) || is(e, keys_.h)) {
    help_ = !help_;
  } else if (is(e, keys_.escape)) {
    if (help_) {
      help_ = false;
    } else {
      ask_leave(false, out);
    }
  } else {
    for (int s = 0; s < 4; ++s) {
      if (is(e, keys_.sides[static_cast<size_t>(s)])) {
        side_ = s + 1;
        return true;
      }
      if (is(e, keys_.sides[static_cast<size_t>(s)], kModShift)) {
        model_.set_side_of_selected(s + 1);
        changed();
        return true;
      }
    }
    return false;
  }
  return true;
}

// The gamepad: the d-pad and the left stick move the cursor (tick), A
// places, X selects, B deletes, Y takes the next kind, the shoulders turn,
// Back undoes, Start plays the stage.
void Editor::handle_pad(int input, EditorRequests& out) {
  switch (input) {
    case kPadA:
      place_at(cursor_x_, cursor_y_);
      break;
    case kPadX: {
      const int i = model_.placement_at(static_cast<int>(std::lround(cursor_x_)),
                                        static_cast<int>(std::lround(cursor_y_)),
                                        static_cast<int>(kPickPixels * view_.map_per_pixel()) + 1);
      model_.select(i, true);
      break;
    }
    case kPadB:
      if (model_.selection().empty()) {
        ask_leave(false, out);
      } else {
        model_.delete_selected();
        changed();
      }
      break;
    case kPadY:
      step_kind(1);
      break;
    case kPadLeftShoulder:
      model_.turn_selected(1);
      changed();
      break;
    case kPadRightShoulder:
      model_.turn_selected(-1);
      changed();
      break;
    case kPadBack:
      model_.undo();
      changed();
      break;
    case kPadStart:
      test_play(out);
      break;
    case kPadRightStick:
      step_category(1);
      break;
    default:
      break;
  }
}

void Editor::mouse_down(const InputEvent& e) {
  mouse_move(e);
  if (e.y >= kPaletteTop) {
    if (e.button == 1) palette_click(e.x, e.y);
    return;
  }
  drag_px_ = e.x;
  drag_py_ = e.y;
  drag_x_ = cursor_x_;
  drag_y_ = cursor_y_;
  drag_dx_ = drag_dy_ = 0;
  const bool shift = (e.key.mods & kModShift) != 0;
  const bool ctrl = (e.key.mods & kModCtrl) != 0;
  if (e.button == 2) {
    drag_ = Drag::kPan;
  } else if (e.button == 3) {
    if (ctrl) {
      goal_at(cursor_x_, cursor_y_);
    } else {
      place_at(cursor_x_, cursor_y_);
    }
  } else if (e.button == 1) {
    const int i = model_.placement_at(static_cast<int>(std::lround(cursor_x_)),
                                      static_cast<int>(std::lround(cursor_y_)),
                                      static_cast<int>(kPickPixels * view_.map_per_pixel()) + 1);
    if (i < 0) {
      drag_ = Drag::kRectangle;
      drag_adds_ = shift;
      return;
    }
    const std::vector<int>& selection = model_.selection();
    const bool selected = std::binary_search(selection.begin(), selection.end(), i);
    if (!selected) model_.select(i, shift);
    // Ctrl and a drag copy the selection; a drag alone moves it.
    if (ctrl) {
      model_.copy_selected(0, 0);
      changed();
    }
    drag_ = Drag::kMove;
  }
}

void Editor::mouse_move(const InputEvent& e) {
  const double old_x = cursor_x_;
  const double old_y = cursor_y_;
  view_.to_map(e.x, e.y, cursor_x_, cursor_y_);
  if (drag_ == Drag::kPan) {
    // The map follows the mouse: the point grabbed stays under it.
    view_.x -= cursor_x_ - old_x;
    view_.y -= cursor_y_ - old_y;
    cursor_x_ = old_x;
    cursor_y_ = old_y;
  } else if (drag_ == Drag::kMove) {
    drag_dx_ = static_cast<int>(std::lround(cursor_x_ - drag_x_));
    drag_dy_ = static_cast<int>(std::lround(cursor_y_ - drag_y_));
  }
}

void Editor::mouse_up(const InputEvent& e) {
  mouse_move(e);
  const bool dragged =
      std::abs(e.x - drag_px_) > kDragPixels || std::abs(e.y - drag_py_) > kDragPixels;
  if (drag_ == Drag::kMove) {
    if (dragged && (drag_dx_ != 0 || drag_dy_ != 0)) {
      model_.move_selected(drag_dx_, drag_dy_);
      changed();
    }
  } else if (drag_ == Drag::kRectangle) {
    if (dragged) {
      model_.select_in_rect(static_cast<int>(std::lround(drag_x_)),
                            static_cast<int>(std::lround(drag_y_)),
                            static_cast<int>(std::lround(cursor_x_)),
                            static_cast<int>(std::lround(cursor_y_)), drag_adds_);
    } else if (!drag_adds_) {
      model_.clear_selection();
    }
  }
  drag_ = Drag::kNone;
  drag_dx_ = drag_dy_ = 0;
}

bool Editor::palette_click(int x, int y) {
  if (y < kPaletteCellTop) {
    // The category's box: its left half goes back, its right half on.
    if (x >= kCategoryBoxRight) return false;
    step_category(x < kCategoryBoxRight / 2 ? -1 : 1);
    return true;
  }
  const int cell = (x - kPaletteLeft) / kPaletteCell;
  const int count =
      static_cast<int>(palette_categories()[static_cast<size_t>(category_)].kinds.size());
  if (x < kPaletteLeft || cell >= count) return false;
  kind_row_ = cell;
  return true;
}

void Editor::place_at(double x, double y) {
  StageRecord r{};
  r.x = static_cast<int16_t>(std::clamp<long>(std::lround(x), INT16_MIN, INT16_MAX));
  r.y = static_cast<int16_t>(std::clamp<long>(std::lround(y), INT16_MIN, INT16_MAX));
  r.heading_steps = static_cast<int16_t>(heading_);
  r.kind = static_cast<int8_t>(kind());
  r.side = static_cast<int8_t>(side_);
  r.goal_x = r.x;
  r.goal_y = r.y;
  if (model_.place(r)) {
    changed();
  } else {
    say(Message{N_("No more placements fit in a stage file"), {}}, true);
  }
}

void Editor::goal_at(double x, double y) {
  if (model_.selection().empty()) return;
  const int gx = static_cast<int>(std::lround(x));
  const int gy = static_cast<int>(std::lround(y));
  const std::vector<StageRecord>& records = model_.records();
  const int leader =
      model_.placement_at(gx, gy, static_cast<int>(kPickPixels * view_.map_per_pixel()) + 1);
  const std::vector<int>& selection = model_.selection();
  if (leader >= 0 && !std::binary_search(selection.begin(), selection.end(), leader)) {
    // A unit under the goal: the selected follow it. The order names its
    // slot, which is its place among the slots the placements take.
    int slot = 1;
    for (int i = 0; i < leader; ++i) {
      const UnitKind* k = unit_kind(records[static_cast<size_t>(i)].kind);
      slot += k != nullptr && k->child_type != -1 ? 2 : 1;
    }
    model_.set_order_of_selected(3, slot, kFollowDistance);
  } else {
    const uint8_t mode = records[static_cast<size_t>(selection.front())].mode == 4 ? 4 : 2;
    model_.set_order_of_selected(mode, gx, gy);
  }
  changed();
}

void Editor::cycle_mode() {
  if (model_.selection().empty()) return;
  const StageRecord& first = model_.records()[static_cast<size_t>(model_.selection().front())];
  model_.set_mode_of_selected(static_cast<uint8_t>((first.mode + 1) % kOrderModes));
  changed();
}

void Editor::copy_to_cursor() {
  const std::vector<int>& selection = model_.selection();
  if (selection.empty()) return;
  // The copy is centred on the cursor; on the originals it is moved aside.
  double sx = 0.0;
  double sy = 0.0;
  for (const int i : selection) {
    sx += model_.records()[static_cast<size_t>(i)].x;
    sy += model_.records()[static_cast<size_t>(i)].y;
  }
  const auto n = static_cast<double>(selection.size());
  int dx = static_cast<int>(std::lround(cursor_x_ - sx / n));
  int dy = static_cast<int>(std::lround(cursor_y_ - sy / n));
  if (std::abs(dx) < kCopyOffset / 2 && std::abs(dy) < kCopyOffset / 2) {
    dx = kCopyOffset;
    dy = -kCopyOffset;
  }
  model_.copy_selected(dx, dy);
  changed();
}

void Editor::move_cursor(double dx, double dy) {
  cursor_x_ = std::clamp(cursor_x_ + dx, double{INT16_MIN}, double{INT16_MAX});
  cursor_y_ = std::clamp(cursor_y_ + dy, double{INT16_MIN}, double{INT16_MAX});
  keep_cursor_in_view();
}

void Editor::keep_cursor_in_view() {
  double px = 0.0;
  double py = 0.0;
  view_.to_picture(cursor_x_, cursor_y_, px, py);
  const double m = kViewMarginPixels;
  const double right = 640.0 - m;
  const double per = view_.map_per_pixel();
  if (px < m) view_.x -= (m - px) * per;
  if (px > right) view_.x += (px - right) * per;
  if (py < m) view_.y += (m - py) * per;
  if (py > kPaletteTop - m) view_.y -= (py - (kPaletteTop - m)) * per;
}

void Editor::step_kind(int step) {
  const int count =
      static_cast<int>(palette_categories()[static_cast<size_t>(category_)].kinds.size());
  kind_row_ = (kind_row_ + step + count) % count;
}

void Editor::step_category(int step) {
  const int count = static_cast<int>(palette_categories().size());
  category_ = (category_ + step + count) % count;
  kind_row_ = 0;
}

// --- saving, test play, leaving ----------------------------------------------

void Editor::save(bool ask_title) {
  if (ask_title || path_.empty()) {
    title_text_ = model_.description().title;
    screen_ = EditorScreen::kTitle;
    return;
  }
  std::string error;
  if (!save_stage(model_, path_, error)) {
    say(Message{N_("Not saved: {error}"), {{"error", error}}}, true);
    return;
  }
  model_.mark_saved();
  remove_autosave(folder_);
  autosaved_changes_ = changes_;
  say(Message{N_("Saved: {file}"), {{"file", path_}}});
}

void Editor::finish_title() {
  StageDescription d = model_.description();
  d.title = title_text_;
  const std::string problem = description_problem(d);
  if (title_text_.empty() || !problem.empty()) {
    say(Message{N_("The title cannot be used: {error}"),
                {{"error", problem.empty() ? "-" : problem}}},
        true);
    return;
  }
  if (folder_.empty()) {
    say(Message{N_("Not saved: neither XDG_DATA_HOME nor HOME is set"), {}}, true);
    screen_ = EditorScreen::kMap;
    return;
  }
  const std::string path = new_stage_path(folder_, title_text_);
  if (path.empty()) {
    say(Message{N_("Not saved: no free file name for this title"), {}}, true);
    return;
  }
  model_.set_description(d);
  changed();
  path_ = path;
  screen_ = EditorScreen::kMap;
  save(false);
}

void Editor::test_play(EditorRequests& out) {
  out.test_play = true;
  out.test_stage = PlayableStage{};
  out.test_stage.origin = StageOrigin::kPlayer;
  out.test_stage.description = model_.description();
  out.test_stage.bytes = model_.stage_bytes();
  out.test_stage.hash =
      stage_content_hash(out.test_stage.bytes.data(), out.test_stage.bytes.size());
  out.test_stage.stage_path = path_;
  out.test_side = side_ - 1;
  drag_ = Drag::kNone;
}

void Editor::ask_leave(bool quit, EditorRequests& out) {
  drag_ = Drag::kNone;
  if (!model_.modified()) {
    leaving_quits_ = quit;
    leave(out);
    return;
  }
  leaving_quits_ = quit;
  leave_row_ = kLeaveSave;
  screen_ = EditorScreen::kLeave;
}

void Editor::leave(EditorRequests& out) {
  remove_autosave(folder_);
  if (leaving_quits_) {
    out.quit = true;
  } else {
    out.leave = true;
  }
}

void Editor::handle_leave(const InputEvent& e, EditorRequests& out) {
  if (is(e, keys_.up) || is(e, keys_.down)) {
    leave_row_ = (leave_row_ + (is(e, keys_.up) ? kLeaveRows - 1 : 1)) % kLeaveRows;
    return;
  }
  if (e.kind == InputKind::kMouseMove || e.kind == InputKind::kMouseDown) {
    const int row = (e.y - 220) / 30;
    if (row >= 0 && row < kLeaveRows && e.x >= 170 && e.x < 470) {
      leave_row_ = row;
      if (e.kind == InputKind::kMouseMove) return;
    } else {
      return;
    }
  } else if (e.kind == InputKind::kPadDown && e.pad_input == kPadB) {
    leave_row_ = kLeaveStay;
  } else if (is(e, keys_.escape)) {
    screen_ = EditorScreen::kMap;
    return;
  } else if (!(is(e, keys_.enter) || is(e, keys_.keypad_enter) || is(e, keys_.space) ||
               (e.kind == InputKind::kPadDown && e.pad_input == kPadA))) {
    return;
  }
  if (e.repeat) return;
  switch (leave_row_) {
    case kLeaveSave:
      screen_ = EditorScreen::kMap;
      save(false);
      if (!model_.modified()) {
        leave(out);
      } else if (screen_ == EditorScreen::kTitle) {
        title_then_leave_ = true;
      }
      return;
    case kLeaveDiscard:
      leave(out);
      return;
    default:
      screen_ = EditorScreen::kMap;
      return;
  }
}

// --- the title Save as asks for ------------------------------------------------

void Editor::handle_title(const InputEvent& e, EditorRequests& out) {
  if (e.kind == InputKind::kText) {
    if (character_count(title_text_) < kMaxTitleCharacters) title_text_ += e.text;
    return;
  }
  if (is(e, keys_.backspace)) {
    // Back over one whole character.
    while (!title_text_.empty()) {
      const auto last = static_cast<unsigned char>(title_text_.back());
      title_text_.pop_back();
      if ((last & 0xC0) != 0x80) break;
    }
    return;
  }
  if (is(e, keys_.escape) || (e.kind == InputKind::kPadDown && e.pad_input == kPadB)) {
    screen_ = EditorScreen::kMap;
    title_then_leave_ = false;
    return;
  }
  if (is(e, keys_.enter) || is(e, keys_.keypad_enter) ||
      (e.kind == InputKind::kPadDown && e.pad_input == kPadA)) {
    finish_title();
    if (title_then_leave_ && screen_ == EditorScreen::kMap && !model_.modified()) {
      title_then_leave_ = false;
      leave(out);
    }
  }
}

}  // namespace quarvex
