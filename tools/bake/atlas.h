#pragma once
// Sprite atlases: every SVG in an atlas directory named "NN-what-it-shows.svg"
// is rendered into cell NN (0..15) of a 4x4 grid of 128x128 cells.

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "image.h"

namespace bake {

constexpr int kCellPixels = 128;
constexpr int kAtlasPixels = kCellPixels * 4;

// The eight atlases in texture-slot order, and the file each becomes.
constexpr std::array<const char*, 8> kAtlasNames = {"t0", "t1", "t2", "t3", "t4", "t5", "ts", "tc"};

struct CellSource {
  int cell = 0;
  std::string name;  // the file name without the number and the extension
  std::filesystem::path path;
};

// Lists the sources of one atlas directory in cell order. A file whose name
// does not start with a cell number 0..15, or a second file for the same cell,
// is an error: the message names the file.
bool list_cell_sources(const std::filesystem::path& dir, std::vector<CellSource>& sources,
                       std::string& error);

// Renders an SVG into a square picture of `pixels` edge, its view box fitted
// to the square.
bool render_svg(const std::filesystem::path& path, int pixels, Image& out, std::string& error);

// Renders every source of `dir` into a 512x512 atlas; missing cells stay transparent.
bool bake_atlas(const std::filesystem::path& dir, Image& atlas, std::string& error);

// The picture of one cell cut out of an atlas.
Image cut_cell(const Image& atlas, int cell);

}  // namespace bake
