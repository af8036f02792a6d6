#pragma once
// The title menu's own entries, below its stage and side rows. Those two
// rows belong to the World (the simulation moves between them, and a replay
// starts at the title menu); these belong to the shell. Down from the side
// row moves into them, up from the first moves back. While one of them has
// the focus the game's keys do not reach the World, so the stage and side
// stay as they are.
//
// A new entry is a value of TitleEntry, its place in kTitleEntries, its
// label (render/title_entries.cpp) and what choosing it does
// (Shell::title_entry).

#include <array>
#include <cstdint>

#include "shell/menu_key.h"

namespace quarvex {

enum class TitleEntry : uint8_t { kStages, kRandomBattle, kPlayTogether, kEditor, kLanguage };

inline constexpr std::array<TitleEntry, 5> kTitleEntries = {
    TitleEntry::kStages, TitleEntry::kRandomBattle, TitleEntry::kPlayTogether, TitleEntry::kEditor,
    TitleEntry::kLanguage};

// The World's last title row (the side).
constexpr int kLastWorldTitleRow = 1;

struct TitleOutcome {
  enum Kind : uint8_t {
    kIgnored,   // the key is not the title screen's: it goes on to the game
    kMoved,     // the focus moved
    kLeft,      // the focus went back to the World's rows
    kChosen,    // Enter or Space on the entry
    kPrevious,  // left on the entry
    kNext       // right on the entry
  };
  Kind kind = kIgnored;
  TitleEntry entry = TitleEntry::kLanguage;
};

class TitleScreen {
 public:
  // Index into kTitleEntries, -1 while the World's rows have the focus.
  int focus() const { return focus_; }
  bool has_focus() const { return focus_ >= 0; }
  void leave() { focus_ = -1; }
  // One key at the title menu, the World's row as it stands.
  TitleOutcome handle(MenuKey key, int world_row);

 private:
  int focus_ = -1;
};

}  // namespace quarvex
