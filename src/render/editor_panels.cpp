// The editor's panels over its map: the status line and the checks at the
// top, the palette along the bottom, and its screens: the start screen,
// the title Save as asks for, the question before leaving, and the keys.

#include <algorithm>
#include <cmath>
#include <string>

#include "editor/palette.h"
#include "render/draw.h"
#include "render/editor_draw.h"
#include "render/panel_drawing.h"
#include "render/unit_names.h"
#include "world/tables.h"

namespace quarvex {

namespace {

constexpr int kMostChecksShown = 4;

std::string n(int v) {
  return std::to_string(v);
}

std::string problem_line(const Texts& t, const StageProblem& p) {
  switch (p.check) {
    case StageCheck::kSideWithoutHeadquarters:
      return t.trf("Side {side} has units but no headquarters", {{"side", n(p.side)}});
    case StageCheck::kTooFewHeadquarters:
      return t.tr("Fewer than two sides have a headquarters: the stage ends at once");
    case StageCheck::kTooManyUnits:
      return t.trf("{count} unit slots needed, more than 500", {{"count", n(p.count)}});
    case StageCheck::kOutsidePlayingArea:
      return t.trf("{count} units outside the playing area (the first: #{index})",
                   {{"count", n(p.count)}, {"index", n(p.index + 1)}});
  }
  return {};
}

void draw_status(Device& d, const Editor& e, const Texts& t) {
  const StageModel& m = e.model();
  fill(d, 0, 0, 640, 26, kPanelColour);
  const std::string title = fitted(d, m.description().title, 180) + (m.modified() ? " *" : "");
  text(d, title, line_box(6, 2, 200), kWhite);
  const std::string counts =
      t.trf("{units} units, {slots} slots",
            {{"units", n(static_cast<int>(m.records().size()))}, {"slots", n(m.unit_slots())}});
  text(d, counts, line_box(204, 2, 420), kDim);
  fill(d, 424, 6, 438, 20, side_colour(e.side()));
  text(d,
       t.trf("side {side}, {degrees}°",
             {{"side", n(e.side())}, {"degrees", n(e.heading() * 45 / 2)}}),
       line_box(442, 2, 580), kWhite);
  d.draw_text(t.tr("F1: keys"), line_box(540, 2, 636), TextAlign::kRight, kKeyColour);

  // What is selected, and its order.
  const std::vector<int>& selection = m.selection();
  int line_top = 28;
  if (!selection.empty()) {
    const StageRecord& r = m.records()[static_cast<size_t>(selection.front())];
    const int mode = r.mode < kOrderModes ? r.mode : 0;
    std::string what = t.trf("{count} selected: {unit}, {order}",
                             {{"count", n(static_cast<int>(selection.size()))},
                              {"unit", t.tr(kind_name(r.kind))},
                              {"order", t.tr(kOrderModeNames[static_cast<size_t>(mode)])}});
    if (mode == 2 || mode == 4) what += " (" + n(r.goal_x) + ", " + n(r.goal_y) + ")";
    if (mode == 3) what += " #" + n(r.goal_x);
    const int width = std::min(text_width(d, what), 620);
    fill(d, 0, line_top, width + 12, line_top + 24, kPanelColour);
    text(d, what, line_box(6, line_top + 1, 634), kWhite);
    line_top += 24;
  }
  // The checks, while there is anything to say.
  const std::vector<StageProblem> problems = m.check();
  for (size_t i = 0; i < problems.size() && i < kMostChecksShown; ++i) {
    const std::string line = problem_line(t, problems[i]);
    fill(d, 0, line_top, std::min(text_width(d, line), 620) + 12, line_top + 24, kPanelColour);
    text(d, line, line_box(6, line_top + 1, 634), kErrorColour);
    line_top += 24;
  }
}

void draw_palette(Device& d, const Editor& e, const Texts& t) {
  fill(d, 0, kPaletteTop, 640, 480, kPanelColour);
  fill(d, 0, kPaletteTop, 640, kPaletteTop + 1, kBorderColour);
  const PaletteCategory& category = palette_categories()[static_cast<size_t>(e.category())];
  centred(d, "< " + std::string(t.tr(category.name)) + " >",
          line_box(0, kPaletteTop + 2, kCategoryBoxRight), kHighlight);
  const UnitKind* chosen = unit_kind(e.kind());
  if (chosen != nullptr) {
    // Prices read as the funds do: ten times the stored cost.
    d.draw_text(t.trf("{unit}  price {price}",
                      {{"unit", t.tr(kind_name(e.kind()))}, {"price", n(chosen->cost * 10)}})
                    .c_str(),
                line_box(kCategoryBoxRight + 4, kPaletteTop + 2, 634), TextAlign::kRight, kWhite);
  }
  for (size_t i = 0; i < category.kinds.size(); ++i) {
    const int kind = category.kinds[i];
    const UnitKind* k = unit_kind(kind);
    if (k == nullptr) continue;
    const int left = kPaletteLeft + static_cast<int>(i) * kPaletteCell;
    const bool is_chosen = static_cast<int>(i) == e.kind_row();
    if (is_chosen) fill(d, left, kPaletteCellTop, left + kPaletteCell - 4, 478, 0x60FFD840u);
    const UnitType& body = unit_type(k->main_type);
    const float x0 = static_cast<float>(left + 4);
    const float y0 = static_cast<float>(kPaletteCellTop + 2);
    draw_screen_rect(d, x0, y0, x0 + 40.0f, y0 + 40.0f, 255, body.texture, body.cell);
    if (k->child_type != -1) {
      const UnitType& child = unit_type(k->child_type);
      draw_screen_rect(d, x0 + 8.0f, y0 + 8.0f, x0 + 32.0f, y0 + 32.0f, 255, child.texture,
                       child.cell);
    }
    centred(d, n(k->cost * 10), line_box(left - 2, 456, left + kPaletteCell - 2),
            is_chosen ? kHighlight : kDim);
  }
  if (!e.note().text.empty()) {
    const std::string line = translated(t, e.note());
    const std::string shown = fitted(d, line, 600);
    const int half = text_width(d, shown) / 2 + 8;
    fill(d, 320 - half, kPaletteTop - 28, 320 + half, kPaletteTop - 4, kPanelColour);
    centred(d, shown, line_box(20, kPaletteTop - 27, 620),
            e.note_is_error() ? kErrorColour : kWhite);
  }
}

// The rectangle being drawn with the mouse, in the picture.
void draw_drag_rectangle(Device& d, const Editor& e) {
  if (e.drag() != Drag::kRectangle) return;
  double mx0 = 0, my0 = 0, mx1 = 0, my1 = 0;
  e.drag_rectangle(mx0, my0, mx1, my1);
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  e.view().to_picture(mx0, my0, x0, y0);
  e.view().to_picture(mx1, my1, x1, y1);
  const int l = static_cast<int>(std::min(x0, x1));
  const int r = static_cast<int>(std::max(x0, x1));
  const int top = static_cast<int>(std::min(y0, y1));
  const int b = static_cast<int>(std::max(y0, y1));
  fill(d, l, top, r, b, 0x30FFFFFFu);
  fill(d, l, top, r, top + 1, kWhite);
  fill(d, l, b - 1, r, b, kWhite);
  fill(d, l, top, l + 1, b, kWhite);
  fill(d, r - 1, top, r, b, kWhite);
}

struct KeyLine {
  const char* keys;
  const char* what;
};

constexpr KeyLine kKeyLines[] = {
    {N_("Right button"), N_("place (Ctrl: set the goal)")},
    {N_("Left button"), N_("select; drag: move, or a rectangle")},
    {N_("Middle, wheel"), N_("move the map, zoom")},
    {N_("Arrows"), N_("move the cursor (Ctrl: move the selected)")},
    {N_("Enter"), N_("place the chosen kind at the cursor")},
    {N_("Space"), N_("select at the cursor (Shift: add)")},
    {N_("Tab, PgUp, PgDn"), N_("palette: category, kind")},
    {N_("1-4"), N_("side to place (Shift: give the selected)")},
    {N_("Q, E"), N_("turn the selected (Shift: the next placed)")},
    {N_("C, Del"), N_("copy to the cursor, delete")},
    {N_("G, M"), N_("goal at the cursor, next order mode")},
    {N_("+, -"), N_("zoom in, out")},
    {N_("Ctrl+Z, Ctrl+Y"), N_("undo, redo")},
    {N_("Ctrl+S"), N_("save (Ctrl+Shift+S: save as)")},
    {N_("F5"), N_("test play (Esc in the game comes back)")},
    {N_("Esc"), N_("leave the editor")},
    {N_("Pad A, X, B, Y"), N_("place, select, delete, next kind")},
    {N_("Pad LB, RB, Back"), N_("turn, undo (Start: test play)")},
};

void draw_keys(Device& d, const Texts& t) {
  const int rows = static_cast<int>(std::size(kKeyLines));
  const int top = 28;
  panel(d, 10, top, 630, top + 32 + rows * 22);
  centred(d, t.tr("Editor keys"), line_box(10, top + 4, 630), kHighlight);
  for (int i = 0; i < rows; ++i) {
    const KeyLine& k = kKeyLines[i];
    const int y = top + 28 + i * 22;
    text(d, t.tr(k.keys), line_box(18, y, 210), kKeyColour);
    text(d, t.tr(k.what), line_box(212, y, 624), kWhite);
  }
}

std::string start_row_label(const Editor& e, const StartRow& row, const Texts& t) {
  switch (row.kind) {
    case StartRow::Kind::kRecover:
      return t.tr("Recover the unsaved stage (autosave)");
    case StartRow::Kind::kEmpty:
      return t.trf("Empty map on ground {ground}", {{"ground", n(e.empty_ground())}});
    case StartRow::Kind::kRandom:
      return t.trf("Random battle {seed} on ground {ground}",
                   {{"seed", std::to_string(e.random_seed())}, {"ground", n(e.empty_ground())}});
    case StartRow::Kind::kBuiltIn:
      return t.trf("The game's stage: {title}", {{"title", row.title}});
    case StartRow::Kind::kPlayer:
      return row.title;
    case StartRow::Kind::kBack:
      return t.tr("Back to the title menu");
  }
  return {};
}

void draw_start(Device& d, const Editor& e, const Texts& t) {
  panel(d, 40, 20, 600, 460);
  centred(d, t.tr("Edit a stage: start from"), line_box(40, 28, 600), kHighlight);
  int y = 54;
  for (size_t i = 0; i < e.start_problems().size() && i < 2; ++i) {
    text(d, fitted(d, e.start_problems()[i], 540), line_box(50, y, 590), kErrorColour);
    y += 20;
  }
  const std::vector<StartRow>& rows = e.start_rows();
  const int first = e.start_scroll();
  for (int i = 0; i < Editor::kStartRowsShown && first + i < static_cast<int>(rows.size()); ++i) {
    const StartRow& row = rows[static_cast<size_t>(first + i)];
    const bool chosen = first + i == e.start_row();
    const int top = Editor::kStartTop + i * Editor::kStartRowHeight;
    const bool stretch = row.kind == StartRow::Kind::kEmpty || row.kind == StartRow::Kind::kRandom;
    std::string label = fitted(d, start_row_label(e, row, t), 470);
    if (chosen && stretch) label = "< " + label + " >";
    uint32_t colour = chosen ? kHighlight : kWhite;
    if (!row.errors.empty()) colour = kErrorColour;
    if (chosen) fill(d, 48, top, 592, top + Editor::kStartRowHeight - 1, 0x40FFFFFFu);
    centred(d, label, line_box(50, top + 1, 590), colour);
  }
  const StartRow& chosen = rows[static_cast<size_t>(e.start_row())];
  if (!chosen.errors.empty()) {
    text(d, fitted(d, chosen.errors.front(), 540), line_box(50, 432, 590), kErrorColour);
  } else {
    centred(d, t.tr("Enter: start   Left, right: ground, seed   Esc: back"), line_box(40, 432, 600),
            kKeyColour);
  }
}

void draw_title_entry(Device& d, const Editor& e, const Texts& t) {
  panel(d, 60, 170, 580, 300);
  centred(d, t.tr("Save as: the stage's title"), line_box(60, 180, 580), kHighlight);
  fill(d, 80, 212, 560, 240, 0xFF000000u);
  text(d, fitted(d, e.title_text(), 460) + "_", line_box(86, 215, 556), kWhite);
  centred(d, t.tr("Enter: save   Esc: cancel"), line_box(60, 260, 580), kKeyColour);
}

void draw_leave(Device& d, const Editor& e, const Texts& t) {
  static constexpr const char* kRows[kLeaveRows] = {N_("Save and leave"),
                                                    N_("Leave without saving"), N_("Keep editing")};
  panel(d, 140, 170, 500, 320);
  centred(d, t.tr("The stage has unsaved changes."), line_box(140, 182, 500), kHighlight);
  for (int i = 0; i < kLeaveRows; ++i) {
    const bool chosen = i == e.leave_row();
    const std::string label = chosen ? "> " + std::string(t.tr(kRows[i])) + " <" : t.tr(kRows[i]);
    centred(d, label, line_box(140, 222 + i * 30, 500), chosen ? kHighlight : kWhite);
  }
}

}  // namespace

void draw_editor_panels(Device& d, const Editor& e, const Texts& t) {
  switch (e.screen()) {
    case EditorScreen::kStart:
      draw_start(d, e, t);
      return;
    case EditorScreen::kMap:
    case EditorScreen::kTitle:
    case EditorScreen::kLeave:
      break;
  }
  draw_drag_rectangle(d, e);
  draw_status(d, e, t);
  draw_palette(d, e, t);
  if (e.help_visible()) draw_keys(d, t);
  if (e.screen() == EditorScreen::kTitle) draw_title_entry(d, e, t);
  if (e.screen() == EditorScreen::kLeave) draw_leave(d, e, t);
}

}  // namespace quarvex
