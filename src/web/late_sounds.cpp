#include "web/late_sounds.h"

#include <cstdio>
#include <string>

#include "audio/sounds.h"
#include "platform/system.h"
#include "web/browser.h"
#include "web/late_files.h"

namespace quarvex {

namespace {

std::string sound_file(int i) {
  return "data/sounds/" + std::string(sound_name(static_cast<Sound>(i))) + ".wav";
}

}  // namespace

void fetch_sounds() {
  for (int i = 0; i < kSoundCount; ++i) fetch_late(sound_file(i), "/" + sound_file(i));
}

bool sounds_settled(GameAudio& audio, const DataFolders& data) {
  std::string failed;
  const int32_t now = clock_ms();
  for (int i = 0; i < kSoundCount; ++i) {
    const std::string path = "/" + sound_file(i);
    const LateState state = late_state(path, now);
    if (state == LateState::kFetching) return false;
    if (state == LateState::kFailed && failed.empty()) failed = late_error(path);
  }
  SoundLoadReport report;
  audio.load(data, report);
  for (const std::string& problem : report.unusable) {
    std::fprintf(stderr, "quarvex: %s; that sound stays silent\n", problem.c_str());
  }
  if (!failed.empty()) show_page_note("soundsFailed", " (" + failed + ")");
  return true;
}

}  // namespace quarvex
