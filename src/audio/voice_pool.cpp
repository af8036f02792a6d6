#include "audio/voice_pool.h"

#include <algorithm>
#include <cstdlib>

#include "platform/wav.h"

namespace quarvex {

namespace {

constexpr int64_t kBlockMs = 10;
constexpr size_t kBlockSamples = kWavRate * kBlockMs / 1000;
// A voice is started a little after it is asked for (the mixer works a buffer
// ahead), so it is taken to be that much younger than the clock says.
constexpr int64_t kStartSlopMs = 60;

}  // namespace

void PeakEnvelopes::set(Sound sound, const std::vector<int16_t>& samples) {
  std::vector<float>& blocks = blocks_[static_cast<size_t>(sound)];
  blocks.assign((samples.size() + kBlockSamples - 1) / kBlockSamples, 0.0f);
  float loudest = 0.0f;
  for (size_t i = samples.size(); i-- > 0;) {
    loudest = std::max(loudest, static_cast<float>(std::abs(int{samples[i]})) / 32767.0f);
    blocks[i / kBlockSamples] = loudest;
  }
}

double PeakEnvelopes::remaining(Sound sound, int64_t ms_since_start) const {
  if (sound >= Sound::kCount) return 0.0;
  const std::vector<float>& blocks = blocks_[static_cast<size_t>(sound)];
  const int64_t block = std::max<int64_t>(0, ms_since_start) / kBlockMs;
  return block < static_cast<int64_t>(blocks.size()) ? blocks[static_cast<size_t>(block)] : 0.0;
}

double VoicePool::loudness(const Voice& v, int64_t now_ms, const PeakEnvelopes& peaks) const {
  if (v.sound == Sound::kCount) return 0.0;
  return v.volume * peaks.remaining(v.sound, now_ms - v.started_ms - kStartSlopMs);
}

void VoicePool::assign(const VoiceRequests& requests, double level, int64_t now_ms,
                       const std::array<bool, kBattleVoices>& ringing, const PeakEnvelopes& peaks,
                       VoiceStarts& out) {
  out.count = 0;
  double used = 0.0;
  for (size_t i = 0; i < voices_.size(); ++i) {
    if (!ringing[i]) voices_[i] = Voice{};
    used += loudness(voices_[i], now_ms, peaks);
  }
  for (int r = 0; r < requests.count; ++r) {
    const VoiceRequest& request = requests.list[static_cast<size_t>(r)];
    if (is_interface_sound(request.sound)) continue;
    const double peak = peaks.remaining(request.sound, 0);
    const double wanted = request.gain * level;
    if (peak <= 0.0 || wanted < kQuietest) continue;
    // A free voice, else the quietest one if it is quieter than this request.
    size_t chosen = voices_.size();
    double chosen_loudness = wanted * peak;
    for (size_t i = 0; i < voices_.size(); ++i) {
      const double l = loudness(voices_[i], now_ms, peaks);
      if (l < chosen_loudness) {
        chosen = i;
        chosen_loudness = l;
      }
    }
    if (chosen == voices_.size()) continue;
    const double room = kBattleHeadroom - (used - chosen_loudness);
    const double volume = std::min(wanted, room / peak);
    if (volume < kQuietest) continue;
    VoiceStart& start = out.list[static_cast<size_t>(out.count++)];
    start = VoiceStart{static_cast<int>(chosen), request.sound, volume, request.pan,
                       voices_[chosen].sound != Sound::kCount};
    used += volume * peak - chosen_loudness;
    voices_[chosen] = Voice{request.sound, volume, now_ms};
    if (out.count == kBattleVoices) break;
  }
}

void VoicePool::clear() {
  voices_.fill(Voice{});
}

}  // namespace quarvex
