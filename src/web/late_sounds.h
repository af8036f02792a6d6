#pragma once
// The page's sounds come after its first frame: the title menu is silent
// until a key is pressed anyway, and the sounds are the largest part of
// what the first screen does not need.

#include "audio/game_audio.h"
#include "stages/data_folders.h"

namespace quarvex {

// Starts fetching every sound from beside the page (data/sounds/).
void fetch_sounds();

// False while some sound is on its way. Once every one has come or failed,
// `audio` takes those that came and the page says which could not; true
// from then on.
bool sounds_settled(GameAudio& audio, const DataFolders& data);

}  // namespace quarvex
