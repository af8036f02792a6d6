#pragma once
// One line of text the player types: a name, an address, a game's code.
// The keyboard types through the system's text input (UTF-8, so an input
// method's committed Japanese arrives whole); a gamepad picks characters
// from an on-screen letter grid. Every character goes through the same
// limit and filter, whichever way it came.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "shell/menu_key.h"

namespace quarvex {

// A grid cell: a character, or the two actions of the grid's last row.
constexpr char kGridDelete = '\x7F';
constexpr char kGridDone = '\n';
inline constexpr std::string_view kGridCells =
    "ABCDEFGHIJ"
    "KLMNOPQRST"
    "UVWXYZ0123"
    "456789.:-_"
    " \x7F\n";
constexpr int kGridColumns = 10;

// The keys of the keyboard that edit rather than type.
enum class EditKey : uint8_t { kBackspace, kEnter, kEscape };

struct TextEntryOutcome {
  enum Kind : uint8_t { kNone, kChanged, kMoved, kConfirmed, kCancelled };
  Kind kind = kNone;
};

class TextEntry {
 public:
  enum class Filter : uint8_t {
    kLine,     // any printable character
    kLetters,  // A to Z only, lower case typed as upper
  };

  // Starts editing `text` (cut to the limit), the grid's focus on its first cell.
  void open(std::string_view text, size_t max_code_points, Filter filter);
  const std::string& text() const { return text_; }
  // The grid cell with the focus, an index into kGridCells.
  int grid_focus() const { return grid_focus_; }
  // True once a gamepad is used, false again when the keyboard types.
  bool grid_shown() const { return grid_shown_; }

  // Committed text from the keyboard or an input method.
  TextEntryOutcome type(std::string_view utf8);
  TextEntryOutcome edit(EditKey key);
  // A gamepad's (or the menu keys') move on the grid; Choose presses the cell.
  TextEntryOutcome grid(MenuKey key);

 private:
  bool add(std::string_view character, char32_t code_point);

  std::string text_;
  size_t count_ = 0;
  size_t max_ = 0;
  Filter filter_ = Filter::kLine;
  int grid_focus_ = 0;
  bool grid_shown_ = false;
};

}  // namespace quarvex
