#pragma once
// The live top-level units bucketed by position, so that a search for units
// near a point looks at a few cells instead of all 500 slots. Each bucket
// lists its units in ascending slot order, and units away from the map (or
// at no number at all) sit in one extra list that every search walks, so a
// search sees every unit that can be within its reach.

#include <algorithm>
#include <array>
#include <cstdint>

#include "world/world.h"

namespace quarvex {

struct UnitGrid {
  static constexpr int kCellSize = 16;
  static constexpr int kCellsPerRow = 64;  // the grid spans -512..512 on both axes
  static constexpr int kOrigin = -512;

  std::array<int16_t, kCellsPerRow * kCellsPerRow> first;  // 0 ends a list
  std::array<int16_t, kUnitSlots> next;
  int16_t first_outside;
};

// Buckets every live top-level unit. Valid until a unit moves, appears or is
// freed.
void build_unit_grid(const World& w, UnitGrid& grid);

// Calls visit(index) for every bucketed unit that may lie within `reach` of
// (x, y) on both axes, list by list, each list in ascending slot order;
// visit returns true to stop walking the current list. A point that is not a
// finite number is near everything, so every list is walked.
template <typename Visit>
void visit_units_near(const UnitGrid& grid, double x, double y, double reach, Visit visit);

// Cell column or row of a coordinate, or -1 off the grid.
int grid_cell_of(double v);

template <typename Visit>
void visit_units_near(const UnitGrid& grid, double x, double y, double reach, Visit visit) {
  auto walk = [&](int16_t head) {
    for (int16_t i = head; i != 0; i = grid.next[i]) {
      if (visit(i)) break;
    }
  };
  walk(grid.first_outside);
  const bool finite = x - x == 0 && y - y == 0;
  auto low = [&](double v) { return finite ? grid_cell_of(std::max(v - reach, -511.0)) : 0; };
  auto high = [&](double v) {
    return finite ? grid_cell_of(std::min(v + reach, 511.0)) : UnitGrid::kCellsPerRow - 1;
  };
  const int x0 = low(x), x1 = high(x), y0 = low(y), y1 = high(y);
  // A finite point far off the map has an empty range here.
  if (x0 < 0 || x1 < 0 || y0 < 0 || y1 < 0) return;
  for (int cy = y0; cy <= y1; ++cy) {
    for (int cx = x0; cx <= x1; ++cx) walk(grid.first[cy * UnitGrid::kCellsPerRow + cx]);
  }
}

}  // namespace quarvex
