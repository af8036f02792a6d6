#pragma once
// The windowed game's sound: started beside the window with the settings'
// levels, and steered by the shell: the sound keys and the shell's menus.

#include <memory>
#include <string>
#include <vector>

#include "app/options.h"
#include "audio/game_audio.h"
#include "shell/settings.h"
#include "shell/shell.h"

namespace quarvex {

// Opens the sound card, loads the sounds and sets the levels. Sound files
// not found join `missing` (reported with the other missing data); an
// unusable sound file, a recording that cannot be written and the lack of a
// sound card are each said in one line on standard error. nullptr when
// there is no sound card: the game then plays silently.
std::unique_ptr<GameAudio> start_sound(const Options& options, const DataFolders& data,
                                       const SoundLevels& levels,
                                       std::vector<std::string>& missing);

// The master and effects volumes and the mute the settings hold.
SoundLevels sound_levels(const Settings& settings);

// What one shell event asks of the sound. Mute and the volume steps change
// the levels, which the shell keeps in the settings file at once, and a
// volume step ticks at the new level; the shell's menus make the menu
// sounds. `audio` may be null: the levels are then only kept.
void apply_shell_sound(const ShellRequests& requests, Shell& shell, GameAudio* audio);

}  // namespace quarvex
