#include "render/text_entry_drawing.h"

#include <string>

#include "render/panel_drawing.h"

namespace quarvex {

namespace {

constexpr int kCellHeight = 26;

std::string cell_label(const Texts& texts, char cell) {
  if (cell == ' ') return texts.tr("letter grid", "Space");
  if (cell == kGridDelete) return texts.tr("letter grid", "Delete");
  if (cell == kGridDone) return texts.tr("letter grid", "Done");
  return std::string(1, cell);
}

}  // namespace

int draw_text_entry(Device& d, const Texts& texts, const TextEntry& entry, int left, int top,
                    int right) {
  fill(d, left, top, right, top + kLine + 6, 0xFF000000u);
  fill(d, left, top + kLine + 5, right, top + kLine + 6, kBorderColour);
  // What the player typed is cut at its start, so the cursor stays in sight.
  std::string shown = entry.text() + "_";
  const int width = right - left - 8;
  if (text_width(d, shown) > width) {
    size_t from = 0;
    while (from < shown.size() && text_width(d, "..." + shown.substr(from)) > width) {
      ++from;
      while (from < shown.size() && (static_cast<unsigned char>(shown[from]) & 0xC0) == 0x80) {
        ++from;
      }
    }
    shown = "..." + shown.substr(from);
  }
  text(d, shown, line_box(left + 4, top + 3, right - 4), kWhite);
  int bottom = top + kLine + 12;
  if (!entry.grid_shown()) return bottom;

  const int cell_width = (right - left) / kGridColumns;
  const int cells = static_cast<int>(kGridCells.size());
  const int last_row_start = (cells - 1) / kGridColumns * kGridColumns;
  const int last_row_width = (right - left) / (cells - last_row_start);
  for (int i = 0; i < cells; ++i) {
    const int row = i / kGridColumns;
    const bool last_row = i >= last_row_start;
    const int x0 = last_row ? left + (i - last_row_start) * last_row_width
                            : left + (i % kGridColumns) * cell_width;
    const int x1 = x0 + (last_row ? last_row_width : cell_width) - 2;
    const int y0 = bottom + row * kCellHeight;
    const bool focus = i == entry.grid_focus();
    if (focus) fill(d, x0, y0, x1, y0 + kCellHeight - 2, kHighlight);
    centred(d, cell_label(texts, kGridCells[static_cast<size_t>(i)]), line_box(x0, y0 + 2, x1),
            focus ? 0xFF202020u : kWhite);
  }
  return bottom + (last_row_start / kGridColumns + 1) * kCellHeight + 4;
}

}  // namespace quarvex
