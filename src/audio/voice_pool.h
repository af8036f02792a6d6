#pragma once
// The sixteen voices of the battle: which request gets one, at what volume.
// Nearer and louder requests come first; a request may take the voice of a
// quieter sound that is still ringing. The voices together never add up to
// more than their share of full scale, so the mix never clips: a new sound
// is made quieter while loud ones still ring.

#include <array>
#include <cstdint>
#include <vector>

#include "audio/sounds.h"
#include "audio/spatial_mix.h"

namespace quarvex {

constexpr int kBattleVoices = 16;
// Shares of full scale: the battle voices together, the driven unit's
// loop, and the menu and jingle channels (whose recipes keep within theirs).
constexpr double kBattleHeadroom = 0.65;
constexpr double kLoopHeadroom = 0.1;
// A voice quieter than this is not worth starting.
constexpr double kQuietest = 0.02;

// How loud each sound can still get from a moment on: per 10 ms, the largest
// sample from there to its end, as a share of full scale.
class PeakEnvelopes {
 public:
  void set(Sound sound, const std::vector<int16_t>& samples);
  double remaining(Sound sound, int64_t ms_since_start) const;

 private:
  std::array<std::vector<float>, kSoundCount> blocks_;
};

struct VoiceStart {
  int voice = 0;
  Sound sound = Sound::kCount;
  double volume = 0.0;  // 0 .. 1, the level already applied
  double pan = 0.0;
  bool steals = false;  // the voice is still ringing and must be stopped first
};

struct VoiceStarts {
  std::array<VoiceStart, kBattleVoices> list;
  int count = 0;
};

class VoicePool {
 public:
  // Assigns voices to the frame's requests (loudest first; interface sounds
  // are skipped). `ringing[i]` says whether voice i still sounds; `level` is
  // the player's volume for effects (0..1).
  void assign(const VoiceRequests& requests, double level, int64_t now_ms,
              const std::array<bool, kBattleVoices>& ringing, const PeakEnvelopes& peaks,
              VoiceStarts& out);
  // Forgets every voice (all stopped).
  void clear();

 private:
  struct Voice {
    Sound sound = Sound::kCount;
    double volume = 0.0;
    int64_t started_ms = 0;
  };
  double loudness(const Voice& v, int64_t now_ms, const PeakEnvelopes& peaks) const;

  std::array<Voice, kBattleVoices> voices_{};
};

}  // namespace quarvex
