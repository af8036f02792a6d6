#pragma once
// What the device draws with, loaded the same way by every windowed driver
// (the desktop's loop and the browser page).

#include <string>

#include "platform/gl_device.h"

namespace quarvex {

// Loads the atlases of the data folder and the Japanese font. A file that is
// missing or bad leaves its slot empty and the game runs without it; one
// line on standard error names everything not found, the stage files
// included.
void load_device_data(GlDevice& device, const std::string& data_dir);

}  // namespace quarvex
