#pragma once
// The game's sound: watches the World after each frame and plays what is to
// be heard through the sound card. It never writes the World.
//
//   auto audio = GameAudio::open(data, report, error);   // nullptr: no sound card
//   every frame, after the simulation:  audio->hear(world, clock_ms);
//   a message box shown:                audio->hear_message(text);
//   no frame runs (pause, menu, box):   audio->set_paused(true);
//   the World reset (title, restart):   audio->restart(world);

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/driven_noise.h"
#include "audio/sound_events.h"
#include "audio/sound_levels.h"
#include "audio/spatial_mix.h"
#include "audio/voice_pool.h"
#include "platform/sound_output.h"
#include "stages/data_folders.h"
#include "world/world.h"

namespace quarvex {

// What loading the sounds found wrong: files not there, and files there but
// unusable, each with its reason. The sounds concerned stay silent.
struct SoundLoadReport {
  std::vector<std::string> missing;  // "sounds/<name>.wav", or "sounds/" when the folder is missing
  std::vector<std::string> unusable;  // "sounds/<name>.wav: <reason>"
};

class GameAudio {
 public:
  // Opens the sound card and loads the sounds from the data folders'
  // sounds/. nullptr, with the reason, when there is no sound card.
  static std::unique_ptr<GameAudio> open(const DataFolders& data, SoundLoadReport& report,
                                         std::string& error);

  // Loads the sounds from the data folders' sounds/ (open does it; a page
  // that fetches its sounds after its first frame does it again then).
  void load(const DataFolders& data, SoundLoadReport& report);

  // Writes everything played to a WAV file from now on; false with the
  // reason when the file cannot be written.
  bool record(const std::string& path, std::string& error);

  // Hears what changed in the World since the last call; once per frame,
  // after the simulation and before the frame counter moves on.
  void hear(const World& w, int64_t now_ms);
  // A message box is about to be shown: "GAME OVER", "COMPLETE", or any other.
  void hear_message(const char* text);

  // A paused game is silent: what rings is held and goes on when the game
  // does, and nothing new starts from the World. The jingle of a message box
  // just shown rings on, since the box is why the game stands still, and so
  // do the menu sounds, which answer the player's keys.
  void set_paused(bool paused);
  bool paused() const { return paused_; }
  // The World was put back at the title menu or the start of its stage:
  // everything stops, and `w` is the frame the next one is compared with.
  void restart(const World& w);
  void set_levels(const SoundLevels& levels);
  const SoundLevels& levels() const { return levels_; }
  // A menu sound the player's key asked for (the shell's menus, a volume
  // step), heard at once and at the present volume, paused or not.
  void play_menu_sound(Sound sound);

 private:
  explicit GameAudio(std::unique_ptr<SoundOutput> output);
  // False when nothing started (muted, or the sound is missing).
  bool play_interface(Sound sound);
  void update_loop(const World& w);
  double master() const;
  double effects() const;

  std::unique_ptr<SoundOutput> output_;
  PeakEnvelopes peaks_;
  SoundWatcher watcher_;
  DrivenNoise driven_;
  VoicePool pool_;
  SoundLevels levels_;
  bool paused_ = false;
  bool message_jingle_ = false;  // the jingle channel plays a message box's
  Sound loop_playing_ = Sound::kCount;
  // Per-frame working space, kept here so a frame allocates nothing.
  SoundEvents events_;
  VoiceRequests requests_;
  VoiceStarts starts_;
};

}  // namespace quarvex
