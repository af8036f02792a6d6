#include "render/overlay.h"

#include <string>

#include "render/draw.h"
#include "render/unit_names.h"
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

// A row's name as the title menu marks it: "< MAP  >" when chosen, "  MAP   "
// when not, the name filled out to four characters so that in the
// fixed-pitch Japanese face the marks stand in one column.
std::string title_row_label(const char* name, bool chosen) {
  std::string label = chosen ? "< " : "  ";
  label += name;
  int characters = 0;
  for (const char* c = name; *c != '\0'; ++c) {
    if ((static_cast<unsigned char>(*c) & 0xC0) != 0x80) ++characters;
  }
  for (; characters < 4; ++characters) label += ' ';
  label += chosen ? " >" : "  ";
  return label;
}

}  // namespace

void draw_label(Device& d, const char* text, const TextRect& box, TextAlign align) {
  const TextRect shadow{box.left + 1, box.top + 1, box.right + 1, box.bottom + 1};
  d.draw_text(text, shadow, align, kTextShadowColour);
  d.draw_text(text, box, align, kTextColour);
}

void draw_title_menu(Device& d, const World& w, const Texts& texts, bool rows_focused) {
  // Centred over the picture: the Japanese title's 100 pixels start at 270.
  draw_label(d, texts.tr("Game settings"), TextRect{20, 150, 620, 172}, TextAlign::kCentre);
  const std::string map =
      texts.trf("MAP {number}", {{"number", std::to_string(int{w.stage_number})}});
  draw_label(d, map.c_str(), TextRect{350, 200, 630, 222});
  const std::string map_row = title_row_label(texts.tr("MAP"), rows_focused && w.title_row == 0);
  draw_label(d, map_row.c_str(), TextRect{250, 200, 345, 222});
  draw_screen_square(d, 340.0f, 250.0f, 255, 100.0f, kAtlasPanels, emblem_cell(w));
  const std::string side_row = title_row_label(texts.tr("SIDE"), rows_focused && w.title_row == 1);
  draw_label(d, side_row.c_str(), TextRect{250, 250, 345, 272});
}

void draw_play_overlay(Device& d, const World& w, const Texts& texts) {
  const CommandState& player = player_state(w);
  draw_minimap(d, w, 580.0f, 420.0f, kGroundSlot);

  const bool has_side = valid_side_index(w.player_side);
  if (player.command_mode != kModeDirectControl) {
    draw_screen_square(d, 425.0f, 15.0f, 200, 80.0f, kAtlasPanels, emblem_cell(w));
    draw_screen_square(d, 480.0f, 20.0f, 200, 20.0f, kAtlasDigits, kFundsSymbolCell);
    draw_number(d, 600, 20, 200, 6, 20, has_side ? w.funds[w.player_side] : 0);
    // The money shown is ten times the stored funds.
    draw_screen_square(d, 620.0f, 20.0f, 200, 20.0f, kAtlasDigits, 0);
    draw_screen_square(d, 320.0f, 240.0f, 120, 20.0f, kAtlasMarks, kCrosshairCell);
  }

  const bool production =
      player.command_mode == kModeOrderMenu && player.order_item == kProductionItem && has_side;
  const UnitKind* kind =
      production ? unit_kind(build_list_kind(w.side_build_list[w.player_side], player.build_item))
                 : nullptr;
  if (player.command_mode == kModeOrderMenu) {
    draw_screen_rect(d, 20.0f, 20.0f, 100.0f, 100.0f, 255, kAtlasPanels, kPanelCell);
    if (player.order_item >= 0 && player.order_item < kOrderItems) {
      draw_screen_square(d, 60.0f, 60.0f, 255, 70.0f, kAtlasOrderIcons,
                         order_icon_cells[player.order_item]);
    }
    if (kind != nullptr) draw_production_panel(d, *kind);
  }

  if (player.command_mode != 0) {
    draw_number(d, 60, 460, 200, 3, 20, unit_at(w, player.selected_unit).health);
  }

  if (kind != nullptr) {
    const int k = build_list_kind(w.side_build_list[w.player_side], player.build_item);
    // Right-aligned below the production panel, the shadow one pixel lower.
    const char* name = texts.tr(kind_name(k));
    const TextRect& box = kKindNameBox;
    d.draw_text(name, TextRect{box.left, box.top + 1, box.right, box.bottom + 1}, TextAlign::kRight,
                kTextShadowColour);
    d.draw_text(name, box, TextAlign::kRight, kTextColour);
  }
}

}  // namespace quarvex
