#include "app/sound_controls.h"

#include <cstdio>

namespace quarvex {

std::unique_ptr<GameAudio> start_sound(const Options& options, const std::string& data_dir,
                                       std::vector<std::string>& missing) {
  SoundLoadReport report;
  std::string error;
  std::unique_ptr<GameAudio> audio = GameAudio::open(data_dir, report, error);
  if (audio == nullptr) {
    std::fprintf(stderr, "quarvex: no sound device (%s); playing silently%s\n", error.c_str(),
                 options.record_audio_file.empty() ? "" : ", and --record-audio records nothing");
    return nullptr;
  }
  missing.insert(missing.end(), report.missing.begin(), report.missing.end());
  for (const std::string& problem : report.unusable) {
    std::fprintf(stderr, "quarvex: %s; that sound stays silent\n", problem.c_str());
  }
  if (!options.record_audio_file.empty() && !audio->record(options.record_audio_file, error)) {
    std::fprintf(stderr, "quarvex: --record-audio: %s; playing without recording\n", error.c_str());
  }
  return audio;
}

}  // namespace quarvex
