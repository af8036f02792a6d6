#include "shell/text_entry.h"

#include <algorithm>

#include "world/shown_text.h"

namespace quarvex {

namespace {

constexpr int kGridCellCount = static_cast<int>(kGridCells.size());
constexpr int kGridRows = (kGridCellCount + kGridColumns - 1) / kGridColumns;

// Bytes of the last UTF-8 character of `text`.
size_t last_character_bytes(const std::string& text) {
  size_t bytes = 0;
  while (bytes < text.size()) {
    ++bytes;
    const auto b = static_cast<unsigned char>(text[text.size() - bytes]);
    if ((b & 0xC0) != 0x80) break;
  }
  return bytes;
}

}  // namespace

void TextEntry::open(std::string_view text, size_t max_code_points, Filter filter) {
  text_.clear();
  count_ = 0;
  max_ = max_code_points;
  filter_ = filter;
  grid_focus_ = 0;
  type(text);
}

bool TextEntry::add(std::string_view character, char32_t code_point) {
  if (count_ >= max_) return false;
  if (filter_ == Filter::kLetters) {
    if (code_point >= 'a' && code_point <= 'z') code_point -= 'a' - 'A';
    if (code_point < 'A' || code_point > 'Z') return false;
    text_ += static_cast<char>(code_point);
  } else {
    if (code_point < 0x20 || code_point == 0x7F || invisible_control(code_point)) return false;
    text_ += character;
  }
  ++count_;
  return true;
}

TextEntryOutcome TextEntry::type(std::string_view utf8) {
  grid_shown_ = false;
  bool changed = false;
  size_t i = 0;
  while (i < utf8.size()) {
    char32_t c = 0;
    const size_t length = utf8_sequence(utf8.substr(i), c);
    if (length == 0) {
      ++i;  // not UTF-8: dropped, the rest still typed
      continue;
    }
    changed = add(utf8.substr(i, length), c) || changed;
    i += length;
  }
  return {changed ? TextEntryOutcome::kChanged : TextEntryOutcome::kNone};
}

TextEntryOutcome TextEntry::edit(EditKey key) {
  switch (key) {
    case EditKey::kBackspace:
      if (text_.empty()) return {};
      text_.resize(text_.size() - last_character_bytes(text_));
      --count_;
      return {TextEntryOutcome::kChanged};
    case EditKey::kEnter:
      return {TextEntryOutcome::kConfirmed};
    case EditKey::kEscape:
      return {TextEntryOutcome::kCancelled};
  }
  return {};
}

TextEntryOutcome TextEntry::grid(MenuKey key) {
  grid_shown_ = true;
  const int row = grid_focus_ / kGridColumns;
  const int column = grid_focus_ % kGridColumns;
  const int last_row_columns = kGridCellCount - (kGridRows - 1) * kGridColumns;
  auto row_columns = [&](int r) { return r == kGridRows - 1 ? last_row_columns : kGridColumns; };
  switch (key) {
    case MenuKey::kUp:
    case MenuKey::kDown: {
      const int to = (row + (key == MenuKey::kUp ? kGridRows - 1 : 1)) % kGridRows;
      grid_focus_ = to * kGridColumns + std::min(column, row_columns(to) - 1);
      return {TextEntryOutcome::kMoved};
    }
    case MenuKey::kLeft:
    case MenuKey::kRight: {
      const int columns = row_columns(row);
      const int to = (column + (key == MenuKey::kLeft ? columns - 1 : 1)) % columns;
      grid_focus_ = row * kGridColumns + to;
      return {TextEntryOutcome::kMoved};
    }
    case MenuKey::kChoose: {
      const char cell = kGridCells[static_cast<size_t>(grid_focus_)];
      if (cell == kGridDelete) return edit(EditKey::kBackspace);
      if (cell == kGridDone) return edit(EditKey::kEnter);
      const bool added = add(std::string_view(&kGridCells[static_cast<size_t>(grid_focus_)], 1),
                             static_cast<char32_t>(cell));
      return {added ? TextEntryOutcome::kChanged : TextEntryOutcome::kNone};
    }
    case MenuKey::kBack:
      return edit(EditKey::kEscape);
    case MenuKey::kNone:
      break;
  }
  return {};
}

}  // namespace quarvex
