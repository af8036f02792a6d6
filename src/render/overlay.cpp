#include "render/overlay.h"

#include <cstdio>

#include "render/draw.h"
#include "world/tables.h"

namespace quarvex {

namespace {

constexpr int kAtlasMarks = 0;
constexpr int kAtlasPanels = 5;
constexpr int kAtlasOrderIcons = 7;
constexpr int8_t kEmblemCell = 8;  // side emblems are cells 8..11
constexpr int8_t kPanelCell = 12;
constexpr int8_t kCrosshairCell = 14;
constexpr int8_t kFundsSymbolCell = 12;
constexpr int8_t kModeDirectControl = 2;
constexpr int8_t kModeOrderMenu = 1;
constexpr int8_t kProductionItem = 5;

int8_t emblem_cell(const World& w) {
  return static_cast<int8_t>(w.player_side + kEmblemCell);
}

bool valid_side_index(int side) {
  return side >= 0 && side < kSides;
}

void draw_unit_type_square(Device& d, int type) {
  const UnitType& t = unit_type(type);
  draw_screen_square(d, 570.0f, 100.0f, 255, static_cast<float>(t.size + 10), t.texture, t.cell);
}

void draw_production_panel(Device& d, const UnitKind& kind) {
  draw_screen_rect(d, 510.0f, 40.0f, 630.0f, 180.0f, 255, kAtlasPanels, kPanelCell);
  draw_unit_type_square(d, kind.main_type);
  if (kind.child_type != -1) draw_unit_type_square(d, kind.child_type);
  draw_number(d, 600, 160, 200, 4, 20, kind.cost * 10);
}

}  // namespace

void draw_text(Device& d, const char* text, int x, int y, uint32_t argb) {
  d.draw_text(text, TextRect{x, y, kPictureWidth, kPictureHeight}, TextAlign::kLeft, argb);
}

void draw_text_right(Device& d, const char* text, int x, int y, uint32_t argb) {
  d.draw_text(text, TextRect{0, y, x, kPictureHeight}, TextAlign::kRight, argb);
}

void draw_label(Device& d, const char* text, int x, int y) {
  draw_text(d, text, x + 1, y + 1, kTextShadowColour);
  draw_text(d, text, x, y, kTextColour);
}

void draw_title_menu(Device& d, const World& w) {
  draw_label(d, "ゲーム設定", 270, 150);
  char map_label[16];
  std::snprintf(map_label, sizeof map_label, "MAP %d", w.stage_number);
  draw_label(d, map_label, 350, 200);
  draw_label(d, w.title_row == 0 ? "< MAP  >" : "  MAP   ", 250, 200);
  draw_screen_square(d, 340.0f, 250.0f, 255, 100.0f, kAtlasPanels, emblem_cell(w));
  draw_label(d, w.title_row == 1 ? "< SIDE >" : "  SIDE  ", 250, 250);
}

void draw_play_overlay(Device& d, const World& w) {
  draw_minimap(d, w, 580.0f, 420.0f, kGroundSlot);

  const bool has_side = valid_side_index(w.player_side);
  if (w.command_mode != kModeDirectControl) {
    draw_screen_square(d, 425.0f, 15.0f, 200, 80.0f, kAtlasPanels, emblem_cell(w));
    draw_screen_square(d, 480.0f, 20.0f, 200, 20.0f, kAtlasDigits, kFundsSymbolCell);
    draw_number(d, 600, 20, 200, 6, 20, has_side ? w.funds[w.player_side] : 0);
    // The money shown is ten times the stored funds.
    draw_screen_square(d, 620.0f, 20.0f, 200, 20.0f, kAtlasDigits, 0);
    draw_screen_square(d, 320.0f, 240.0f, 120, 20.0f, kAtlasMarks, kCrosshairCell);
  }

  const bool production =
      w.command_mode == kModeOrderMenu && w.order_item == kProductionItem && has_side;
  const UnitKind* kind =
      production ? unit_kind(build_list_kind(w.side_build_list[w.player_side], w.build_item))
                 : nullptr;
  if (w.command_mode == kModeOrderMenu) {
    draw_screen_rect(d, 20.0f, 20.0f, 100.0f, 100.0f, 255, kAtlasPanels, kPanelCell);
    if (w.order_item >= 0 && w.order_item < kOrderItems) {
      draw_screen_square(d, 60.0f, 60.0f, 255, 70.0f, kAtlasOrderIcons,
                         order_icon_cells[w.order_item]);
    }
    if (kind != nullptr) draw_production_panel(d, *kind);
  }

  if (w.command_mode != 0) {
    draw_number(d, 60, 460, 200, 3, 20, unit_at(w, w.selected_unit).health);
  }

  if (kind != nullptr) {
    const int k = build_list_kind(w.side_build_list[w.player_side], w.build_item);
    draw_text_right(d, kind_names[k], 630, 191, kTextShadowColour);
    draw_text_right(d, kind_names[k], 630, 190, kTextColour);
  }
}

}  // namespace quarvex
