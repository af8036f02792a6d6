#pragma once
// The contact sheet: every drawn cell at the size the game shows it, on the
// three ground tones, and enlarged four times, labelled with file, cell and name.

#include <filesystem>
#include <string>

namespace bake {

bool draw_contact_sheet(const std::filesystem::path& sprite_root,
                        const std::filesystem::path& png_path, std::string& error);

// Pixels across at the normal zoom for a cell of one atlas (index into
// kAtlasNames): table sizes are tenths of a map unit, about 7 pixels per unit.
double game_pixels(int atlas, int cell);

}  // namespace bake
