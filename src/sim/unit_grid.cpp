#include "sim/unit_grid.h"

namespace quarvex {

int grid_cell_of(double v) {
  constexpr double kLow = UnitGrid::kOrigin;
  constexpr double kHigh = kLow + UnitGrid::kCellSize * UnitGrid::kCellsPerRow;
  if (!(v >= kLow && v < kHigh)) return -1;
  return static_cast<int>((v - kLow) / UnitGrid::kCellSize);
}

void build_unit_grid(const World& w, UnitGrid& grid) {
  grid.first.fill(0);
  grid.first_outside = 0;
  // Pushing from the highest slot down leaves every list in ascending order.
  for (int16_t i = kMaxUnit; i >= 1; --i) {
    const Unit& u = w.units[i];
    if (u.type == -1 || u.parent != 0) continue;
    const int cx = grid_cell_of(wide(u.x));
    const int cy = grid_cell_of(wide(u.y));
    int16_t& head =
        (cx < 0 || cy < 0) ? grid.first_outside : grid.first[cy * UnitGrid::kCellsPerRow + cx];
    grid.next[i] = head;
    head = i;
  }
}

}  // namespace quarvex
