// The title menu's own entries, below the World's stage and side rows, in
// the rows' style: a label with its shadow, marked "< ... >" when chosen.

#include <string>

#include "render/overlay.h"
#include "render/shell_panels.h"

namespace quarvex {

namespace {

constexpr int kFirstEntryTop = 312;
constexpr int kEntryStep = 25;

std::string entry_label(const Shell& shell, TitleEntry entry) {
  const Texts& texts = shell.texts();
  switch (entry) {
    case TitleEntry::kStages:
      return texts.tr("Stages: the game's and your own");
    case TitleEntry::kRandomBattle:
      return texts.tr("Random battle");
    case TitleEntry::kPlayTogether:
      return texts.tr("Play together");
    case TitleEntry::kLanguage:
      return texts.trf("Language: {language}",
                       {{"language", shell.languages().own_name(shell.language())}});
    case TitleEntry::kEditor:
      return texts.tr("Edit a stage");
  }
  return {};
}

}  // namespace

void draw_title_entries(Device& d, const Shell& shell) {
  const int focus = shell.title_screen().focus();
  for (size_t i = 0; i < kTitleEntries.size(); ++i) {
    const bool chosen = focus == static_cast<int>(i);
    const std::string label =
        (chosen ? "< " : "  ") + entry_label(shell, kTitleEntries[i]) + (chosen ? " >" : "");
    const int top = kFirstEntryTop + static_cast<int>(i) * kEntryStep;
    draw_label(d, label.c_str(), TextRect{250, top, 630, top + 22});
  }
}

}  // namespace quarvex
