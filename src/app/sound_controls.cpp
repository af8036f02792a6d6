#include "app/sound_controls.h"

#include <cstdio>

namespace quarvex {

std::unique_ptr<GameAudio> start_sound(const Options& options, const DataFolders& data,
                                       const SoundLevels& levels,
                                       std::vector<std::string>& missing) {
  SoundLoadReport report;
  std::string error;
  std::unique_ptr<GameAudio> audio = GameAudio::open(data, report, error);
  if (audio == nullptr) {
    std::fprintf(stderr, "quarvex: no sound device (%s); playing silently%s\n", error.c_str(),
                 options.record_audio_file.empty() ? "" : ", and --record-audio records nothing");
    return nullptr;
  }
  audio->set_levels(levels);
  missing.insert(missing.end(), report.missing.begin(), report.missing.end());
  for (const std::string& problem : report.unusable) {
    std::fprintf(stderr, "quarvex: %s; that sound stays silent\n", problem.c_str());
  }
  if (!options.record_audio_file.empty() && !audio->record(options.record_audio_file, error)) {
    std::fprintf(stderr, "quarvex: --record-audio: %s; playing without recording\n", error.c_str());
  }
  return audio;
}

SoundLevels sound_levels(const Settings& settings) {
  return SoundLevels{settings.master_volume, settings.effects_volume, settings.mute};
}

void apply_shell_sound(const ShellRequests& requests, Shell& shell, GameAudio* audio) {
  if (requests.toggle_mute || requests.volume_step != 0) {
    SoundLevels levels = sound_levels(shell.settings().settings);
    if (requests.toggle_mute) levels = toggle_mute(levels);
    if (requests.volume_step > 0) levels = louder(levels);
    if (requests.volume_step < 0) levels = quieter(levels);
    shell.keep_sound_levels(levels.master, levels.muted);
    if (audio != nullptr) {
      audio->set_levels(levels);
      if (requests.volume_step != 0) audio->play_menu_sound(Sound::kMenuMove);
    }
  }
  if (audio == nullptr) return;
  switch (requests.cue) {
    case ShellCue::kMove:
      audio->play_menu_sound(Sound::kMenuMove);
      break;
    case ShellCue::kConfirm:
      audio->play_menu_sound(Sound::kMenuConfirm);
      break;
    case ShellCue::kBack:
      audio->play_menu_sound(Sound::kMenuBack);
      break;
    case ShellCue::kDenied:
      audio->play_menu_sound(Sound::kMenuDenied);
      break;
    case ShellCue::kNone:
      break;
  }
}

}  // namespace quarvex
