#pragma once
// The editor's palette: every unit kind of the game, grouped as a player
// looks for them, each shown with its picture, name and price.

#include <array>
#include <cstdint>
#include <span>

namespace quarvex {

struct PaletteCategory {
  const char* name;  // English, through the catalogue
  std::span<const int8_t> kinds;
};

// Buildings, soldiers, vehicles, guns, aircraft, specials: every kind 0..39
// exactly once.
std::span<const PaletteCategory> palette_categories();

}  // namespace quarvex
