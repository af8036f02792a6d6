#pragma once
// What the device draws with, loaded the same way by every windowed driver
// (the desktop's loop and the browser page).

#include <string>
#include <vector>

#include "platform/gl_device.h"
#include "stages/data_folders.h"

namespace quarvex {

// Loads the atlases of the data folders and the two fonts. A file that is
// missing or bad leaves its slot empty and the game runs without it; what
// was not found, the stage files included, joins `missing`.
void load_device_data(GlDevice& device, const DataFolders& data, std::vector<std::string>& missing);

// One line on standard error names everything not found.
void report_missing(const DataFolders& data, const std::vector<std::string>& missing);

}  // namespace quarvex
