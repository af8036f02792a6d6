// The title menu's Stages and Random battle pages. Titles, file names and
// the readers' messages come from the player's files: they are cut to their
// boxes, never allowed to run over the panel.

#include <string>

#include "render/draw.h"
#include "render/panel_drawing.h"
#include "render/shell_panels.h"

namespace quarvex {

namespace {

constexpr int kAtlasPanels = 5;
constexpr int kEmblemCell = 8;  // side emblems are cells 8..11
constexpr int kRowStep = 24;

void emblem(Device& d, int side, float cx, float cy, float size) {
  draw_screen_square(d, cx, cy, 255, size, kAtlasPanels, static_cast<int8_t>(kEmblemCell + side));
}

std::string marked(const std::string& label, bool chosen) {
  return chosen ? "< " + label + " >" : label;
}

std::string entry_title(const Texts& texts, const StageEntry& entry) {
  if (entry.origin == StageOrigin::kBuiltIn) {
    return texts.trf("MAP {number}", {{"number", std::to_string(entry.number)}});
  }
  return entry.title;
}

// Below the list: what is wrong with the chosen stage, or who made it and
// what they say of it.
void draw_details(Device& d, const Texts& texts, const StageEntry& entry, int top) {
  if (!entry.playable()) {
    text(d, texts.tr("Cannot be played:"), line_box(70, top, 570), kErrorColour);
    for (size_t i = 0; i < entry.errors.size() && i < 2; ++i) {
      text(d, fitted(d, entry.errors[i], 500),
           line_box(70, top + kLine * static_cast<int>(i + 1), 570), kErrorColour);
    }
    return;
  }
  if (entry.origin == StageOrigin::kBuiltIn) {
    text(d, texts.tr("One of the game's own stages."), line_box(70, top, 570), kDim);
    return;
  }
  if (!entry.description.author.empty()) {
    const std::string by = texts.trf("By {author}", {{"author", entry.description.author}});
    text(d, fitted(d, by, 500), line_box(70, top, 570), kDim);
  }
  const std::string notes = wrapped(d, entry.description.notes, 500);
  // Two lines of the notes at most; the rest would run over the panel.
  size_t end = notes.find('\n');
  if (end != std::string::npos) end = notes.find('\n', end + 1);
  text(d, notes.substr(0, end), TextRect{70, top + kLine, 570, top + 3 * kLine}, kDim);
}

}  // namespace

void draw_stage_list_page(Device& d, const Shell& shell) {
  const Texts& texts = shell.texts();
  const StageListPage& page = shell.stage_list_page();
  const std::vector<StageEntry>& entries = page.entries();
  panel(d, 50, 24, 590, 456);
  centred(d, texts.tr("Stages"), line_box(60, 32, 580), kHighlight);
  const std::string side = texts.tr("SIDE");
  text(d, side, line_box(70, 66, 200), kWhite);
  emblem(d, page.side(), static_cast<float>(70 + text_width(d, side) + 26), 77.0f, 32.0f);
  const std::string place = std::to_string(page.row() + 1) + " / " + std::to_string(entries.size());
  d.draw_text(place.c_str(), line_box(400, 66, 570), TextAlign::kRight, kDim);
  const int list_top = 100;
  const int end =
      std::min(static_cast<int>(entries.size()), page.top() + StageListPage::kRowsShown);
  for (int i = page.top(); i < end; ++i) {
    const StageEntry& entry = entries[static_cast<size_t>(i)];
    const bool chosen = i == page.row();
    const int top = list_top + (i - page.top()) * kRowStep;
    if (chosen) fill(d, 60, top - 1, 580, top + kRowStep - 1, 0x60FFD840u);
    std::string label = entry_title(texts, entry);
    uint32_t colour = chosen ? kHighlight : kWhite;
    if (!entry.playable()) {
      label = texts.trf("{title} (damaged)", {{"title", label}});
      colour = kErrorColour;
    }
    text(d, fitted(d, label, 466), line_box(76, top, 546), colour);
  }
  // Marks at the right of the first and last rows shown that the list goes
  // on above or below them.
  if (page.top() > 0) centred(d, "^", line_box(550, list_top, 578), kDim);
  if (end < static_cast<int>(entries.size())) {
    centred(d, "v", line_box(550, list_top + (StageListPage::kRowsShown - 1) * kRowStep, 578),
            kDim);
  }
  const int details_top = list_top + StageListPage::kRowsShown * kRowStep + 8;
  if (page.row() < static_cast<int>(entries.size())) {
    draw_details(d, texts, entries[static_cast<size_t>(page.row())], details_top);
  }
  if (!page.notices().empty()) {
    text(d, fitted(d, page.notices().front(), 500), line_box(70, details_top + 3 * kLine, 570),
         kErrorColour);
  }
  centred(d, texts.tr("Enter: play   Left/Right: side   Esc: back"), line_box(60, 428, 580), kDim);
}

void draw_random_battle_page(Device& d, const Shell& shell) {
  const Texts& texts = shell.texts();
  const RandomBattlePage& page = shell.random_battle_page();
  panel(d, 120, 96, 520, 404);
  centred(d, texts.tr("Random battle"), line_box(130, 106, 510), kHighlight);
  const int top = 142;
  const int step = 38;
  const auto row_colour = [&](int row) { return page.row() == row ? kHighlight : kWhite; };
  const std::string ground =
      texts.trf("Ground {number}", {{"number", std::to_string(page.ground())}});
  centred(d, marked(ground, page.row() == RandomBattlePage::kGround), line_box(130, top, 510),
          row_colour(RandomBattlePage::kGround));
  std::string seed_digits = std::to_string(page.seed());
  if (page.typing()) seed_digits = (page.digits_typed() > 0 ? seed_digits : "") + "_";
  const std::string seed = texts.trf("Seed {seed}", {{"seed", seed_digits}});
  centred(d, marked(seed, page.row() == RandomBattlePage::kSeed), line_box(130, top + step, 510),
          row_colour(RandomBattlePage::kSeed));
  const std::string side_label = marked(texts.tr("SIDE"), page.row() == RandomBattlePage::kSide);
  const int side_width = text_width(d, side_label);
  const int side_left = 320 - (side_width + 40) / 2;
  text(d, side_label, line_box(side_left, top + 2 * step, side_left + side_width + 4),
       row_colour(RandomBattlePage::kSide));
  emblem(d, page.side(), static_cast<float>(side_left + side_width + 24),
         static_cast<float>(top + 2 * step + 11), 30.0f);
  centred(d, marked(texts.tr("Start"), page.row() == RandomBattlePage::kStart),
          line_box(130, top + 3 * step, 510), row_colour(RandomBattlePage::kStart));
  const std::string help = wrapped(
      d,
      texts.tr(page.typing() ? N_("Type the seed's digits; Enter keeps it, Esc gives the one "
                                  "before back.")
                             : N_("The same seed makes the same battle on every machine. Left "
                                  "and right on the seed draw a new one; Enter types one.")),
      370);
  text(d, help, TextRect{135, top + 4 * step + 6, 505, 398}, kDim);
}

}  // namespace quarvex
