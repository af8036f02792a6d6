#include "render/network_play_drawing.h"

#include "render/draw.h"
#include "render/overlay.h"
#include "render/panel_drawing.h"
#include "render/text_entry_drawing.h"
#include "world/humans.h"

namespace quarvex {

namespace {

constexpr int kAtlasPanels = 5;
constexpr int8_t kEmblemCell = 8;  // side emblems are cells 8..11
constexpr int8_t kModeDirectControl = 2;
// The strip's four rows, between the order menu's panel and the emblem.
constexpr int kStripLeft = 104;
constexpr int kStripWidth = 234;
constexpr int kStripRow = 22;
constexpr int kChatLinesShown = 5;

int8_t emblem(int side) {
  return static_cast<int8_t>(kEmblemCell + side);
}

}  // namespace

void draw_roster_strip(Device& d, const Texts& texts, const World& w,
                       const std::vector<RosterRow>& rows, bool funds) {
  for (int s = 0; s < kSides && s < static_cast<int>(rows.size()); ++s) {
    const RosterRow& row = rows[static_cast<size_t>(s)];
    const int x = kStripLeft;
    // A spectator's strip starts below the WATCHING mark.
    const int y = (funds ? kSpectatorStripTop : 4) + s * kStripRow;
    draw_screen_square(d, static_cast<float>(x + 9), static_cast<float>(y + 10), 220, 18.0f,
                       kAtlasPanels, emblem(s));
    std::string name = row.playing ? row.name : std::string(texts.tr("Computer"));
    const int money_width = funds ? 70 : 0;
    name = fitted(d, name, kStripWidth - 24 - money_width);
    const uint32_t colour = s == w.player_side ? kHighlight : row.away ? kDim : kWhite;
    const TextRect box = line_box(x + 20, y, x + kStripWidth - money_width - 2);
    d.draw_text(name.c_str(), TextRect{box.left + 1, box.top + 1, box.right + 1, box.bottom + 1},
                TextAlign::kLeft, 0xFF000000u);
    d.draw_text(name.c_str(), box, TextAlign::kLeft, colour);
    if (funds) {
      // The money shown is ten times the stored funds.
      const std::string money = std::to_string(int64_t{w.funds[s]} * 10);
      const TextRect mbox = line_box(x + kStripWidth - money_width, y, x + kStripWidth);
      d.draw_text(money.c_str(), mbox, TextAlign::kRight, kKeyColour);
    }
  }
}

void draw_own_name(Device& d, const World& w, const std::string& name) {
  if (player_state(w).command_mode == kModeDirectControl || name.empty()) return;
  const std::string shown = fitted(d, name, 170);
  draw_label(d, shown.c_str(), TextRect{340, 52, 510, 74}, TextAlign::kCentre);
}

void draw_game_lines(Device& d, const Texts& texts, const std::vector<Message>& lines, int top) {
  for (Message line : lines) {
    // A player's name and the server's words are cut to leave the game's
    // own words room in every language.
    for (auto& [key, value] : line.args) {
      if (key == "name") value = fitted(d, value, 190);
      if (key == "why") value = fitted(d, value, 330);
    }
    const std::string shown = fitted(d, translated(texts, line), 620);
    draw_label(d, shown.c_str(), TextRect{10, top, 630, top + kLine}, TextAlign::kCentre);
    top += kLine;
  }
}

void draw_chat(Device& d, const Texts& texts, const std::vector<std::string>& lines,
               const TextEntry* entry) {
  constexpr int kLeft = 10;
  constexpr int kRight = 520;
  constexpr int kEntryTop = 376;
  const size_t first = lines.size() > kChatLinesShown ? lines.size() - kChatLinesShown : 0;
  int y = kEntryTop - kLine * static_cast<int>(lines.size() - first) - 4;
  for (size_t i = first; i < lines.size(); ++i, y += kLine) {
    const std::string shown = fitted(d, lines[i], kRight - kLeft);
    draw_label(d, shown.c_str(), line_box(kLeft, y, kRight));
  }
  if (entry == nullptr) return;
  const std::string hint = texts.tr("Chat: Enter sends, Esc cancels");
  draw_label(d, hint.c_str(), line_box(kLeft, kEntryTop, kRight));
  draw_text_entry(d, texts, *entry, kLeft, kEntryTop + kLine, kRight);
}

void draw_end_screen(Device& d, const Texts& texts, const EndScreen& screen) {
  constexpr int kLeft = 70;
  constexpr int kRight = 570;
  constexpr int kTop = 110;
  panel(d, kLeft, kTop, kRight, 380);
  centred(d, translated(texts, screen.headline), line_box(kLeft, kTop + 12, kRight), kHighlight);
  int y = kTop + 52;
  for (const EndScreen::Row& row : screen.rows) {
    draw_screen_square(d, static_cast<float>(kLeft + 30), static_cast<float>(y + 11), 255, 24.0f,
                       kAtlasPanels, emblem(row.side));
    const std::string name = row.name.empty() ? std::string(texts.tr("Computer")) : row.name;
    text(d, fitted(d, name, 150), line_box(kLeft + 50, y, kLeft + 200), kWhite);
    text(d, translated(texts, row.fate), line_box(kLeft + 205, y, kRight - 10), kDim);
    y += 34;
  }
  const int buttons_top = 380 - 46;
  if (screen.play_again) {
    const bool again = screen.focus == 0;
    if (again) fill(d, kLeft + 60, buttons_top, kLeft + 220, buttons_top + kLine + 6, kHighlight);
    centred(d, texts.tr("Play again"), line_box(kLeft + 60, buttons_top + 3, kLeft + 220),
            again ? 0xFF202020u : kWhite);
    const bool leave = !again;
    if (leave) fill(d, kRight - 220, buttons_top, kRight - 60, buttons_top + kLine + 6, kHighlight);
    centred(d, texts.tr("Leave"), line_box(kRight - 220, buttons_top + 3, kRight - 60),
            leave ? 0xFF202020u : kWhite);
  } else {
    fill(d, 240, buttons_top, 400, buttons_top + kLine + 6, kHighlight);
    centred(d, texts.tr("Leave"), line_box(240, buttons_top + 3, 400), 0xFF202020u);
  }
}

}  // namespace quarvex
