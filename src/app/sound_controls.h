#pragma once
// The windowed game's sound: started beside the window, told of every frame
// and message box, and steered by the sound keys.

#include <memory>
#include <string>
#include <vector>

#include "app/options.h"
#include "audio/game_audio.h"

namespace quarvex {

// Opens the sound card and loads the sounds. Sound files not found join
// `missing` (reported with the other missing data); an unusable sound file,
// a recording that cannot be written and the lack of a sound card are each
// said in one line on standard error. nullptr when there is no sound card:
// the game then plays silently.
std::unique_ptr<GameAudio> start_sound(const Options& options, const std::string& data_dir,
                                       std::vector<std::string>& missing);

}  // namespace quarvex
