#include "audio/game_audio.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/wav.h"

namespace quarvex {

namespace {

// Channels after the battle's voices.
constexpr int kMenuChannel = kBattleVoices;
constexpr int kJingleChannel = kBattleVoices + 1;
constexpr int kLoopChannel = kBattleVoices + 2;
constexpr int kChannelCount = kBattleVoices + 3;
// Their shares of full scale; with the battle's and the loop's they make 1.
constexpr double kMenuHeadroom = 0.1;
constexpr double kJingleHeadroom = 0.15;
static_assert(kBattleHeadroom + kLoopHeadroom + kMenuHeadroom + kJingleHeadroom <= 1.0);

constexpr int kLoopFadeMs = 150;

bool is_jingle(Sound sound) {
  return sound == Sound::kStageStart || sound == Sound::kGameOver || sound == Sound::kComplete ||
         sound == Sound::kInfo;
}

int id_of(Sound sound) {
  return static_cast<int>(sound);
}

}  // namespace

std::unique_ptr<GameAudio> GameAudio::open(const DataFolders& data, SoundLoadReport& report,
                                           std::string& error) {
  std::unique_ptr<SoundOutput> output = SoundOutput::open(kChannelCount, error);
  if (output == nullptr) return nullptr;
  std::unique_ptr<GameAudio> audio(new GameAudio(std::move(output)));
  audio->load(data, report);
  return audio;
}

GameAudio::GameAudio(std::unique_ptr<SoundOutput> output) : output_(std::move(output)) {}

void GameAudio::load(const DataFolders& data, SoundLoadReport& report) {
  // Each sound from the first folder that holds it: a --data folder may
  // replace single sounds and take the rest from the game's own.
  std::error_code ec;
  bool any_folder = false;
  for (const std::string& folder : data.folders) {
    any_folder =
        any_folder || std::filesystem::is_directory(std::filesystem::path(folder) / "sounds", ec);
  }
  if (!any_folder) {
    report.missing.push_back("sounds/");
    return;
  }
  for (int i = 0; i < kSoundCount; ++i) {
    const auto sound = static_cast<Sound>(i);
    const std::string file = "sounds/" + std::string(sound_name(sound)) + ".wav";
    std::vector<int16_t> samples;
    std::string reason;
    if (!data.holds(file)) {
      report.missing.push_back(file);
    } else if (!load_wav_file(data.find(file), samples, reason)) {
      report.unusable.push_back(file + ": " + reason);
    } else {
      peaks_.set(sound, samples);
      output_->load(id_of(sound), samples);
    }
  }
}

bool GameAudio::record(const std::string& path, std::string& error) {
  return output_->record(path, error);
}

double GameAudio::master() const {
  return levels_.muted ? 0.0 : std::clamp(levels_.master, 0, 100) / 100.0;
}

double GameAudio::effects() const {
  return master() * std::clamp(levels_.effects, 0, 100) / 100.0;
}

void GameAudio::hear(const World& w, int64_t now_ms) {
  if (paused_) {
    watcher_.remember(w);
    return;
  }
  events_.count = 0;
  watcher_.watch(w, events_);
  update_loop(w);
  if (master() <= 0.0) return;
  gather_requests(events_, listener_of(w), requests_);
  for (int i = 0; i < requests_.count; ++i) {
    const Sound sound = requests_.list[static_cast<size_t>(i)].sound;
    if (is_interface_sound(sound)) play_interface(sound);
  }
  std::array<bool, kBattleVoices> ringing{};
  for (int i = 0; i < kBattleVoices; ++i) ringing[static_cast<size_t>(i)] = output_->playing(i);
  pool_.assign(requests_, effects(), now_ms, ringing, peaks_, starts_);
  for (int i = 0; i < starts_.count; ++i) {
    const VoiceStart& s = starts_.list[static_cast<size_t>(i)];
    if (s.steals) output_->stop(s.voice);
    double left = 1.0, right = 1.0;
    pan_gains(s.pan, left, right);
    output_->play(s.voice, id_of(s.sound), s.volume, left, right);
  }
}

bool GameAudio::play_interface(Sound sound) {
  const int channel = is_jingle(sound) ? kJingleChannel : kMenuChannel;
  const double share = channel == kJingleChannel ? kJingleHeadroom : kMenuHeadroom;
  const double peak = peaks_.remaining(sound, 0);
  if (peak <= 0.0 || master() <= 0.0) return false;
  output_->stop(channel);
  if (channel == kJingleChannel) message_jingle_ = false;
  output_->play(channel, id_of(sound), std::min(1.0, share / peak) * master(), 1.0, 1.0);
  return true;
}

void GameAudio::update_loop(const World& w) {
  const LoopSetting loop = driven_.follow(w);
  const bool audible = loop.sound != Sound::kCount && effects() > 0.0;
  if (!audible) {
    if (loop_playing_ != Sound::kCount) output_->fade_out(kLoopChannel, kLoopFadeMs);
    loop_playing_ = Sound::kCount;
    return;
  }
  const double peak = peaks_.remaining(loop.sound, 0);
  if (peak <= 0.0) return;
  const double volume = loop.gain * std::min(1.0, kLoopHeadroom / peak) * effects();
  output_->set_loop_rate(loop.rate);
  if (loop.sound != loop_playing_) {
    output_->play_loop(kLoopChannel, id_of(loop.sound), volume);
    loop_playing_ = loop.sound;
  } else {
    output_->set_volume(kLoopChannel, volume);
  }
}

void GameAudio::hear_message(const char* text) {
  // The game stands still behind the box; its engine with it.
  if (loop_playing_ != Sound::kCount) output_->fade_out(kLoopChannel, kLoopFadeMs);
  loop_playing_ = Sound::kCount;
  Sound jingle = Sound::kInfo;
  if (std::strcmp(text, "GAME OVER") == 0) jingle = Sound::kGameOver;
  if (std::strcmp(text, "COMPLETE") == 0) jingle = Sound::kComplete;
  message_jingle_ = play_interface(jingle);
}

void GameAudio::set_paused(bool paused) {
  if (paused == paused_) return;
  paused_ = paused;
  // The menu channel answers the player's keys, in a pause as well.
  for (int channel = 0; channel < kChannelCount; ++channel) {
    if (channel == kMenuChannel) continue;
    if (paused && channel == kJingleChannel && message_jingle_) continue;
    output_->pause(channel, paused);
  }
}

void GameAudio::restart(const World& w) {
  output_->stop_all();
  pool_.clear();
  driven_ = DrivenNoise{};
  loop_playing_ = Sound::kCount;
  message_jingle_ = false;
  watcher_.remember(w);
}

void GameAudio::set_levels(const SoundLevels& levels) {
  const bool muting = levels.muted && !levels_.muted;
  levels_ = levels;
  if (muting || master() <= 0.0) {
    output_->stop_all();
    pool_.clear();
    loop_playing_ = Sound::kCount;
  }
}

void GameAudio::play_menu_sound(Sound sound) {
  if (sound >= Sound::kMenuMove && sound <= Sound::kMark) play_interface(sound);
}

}  // namespace quarvex
