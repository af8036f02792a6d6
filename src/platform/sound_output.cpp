#include "platform/sound_output.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "platform/wav.h"

namespace quarvex {

namespace {

constexpr int kBufferFrames = 1024;
// How often, in bytes of recording, the header is brought up to date, so
// that a recording cut short still reads back to its last second.
constexpr uint64_t kHeaderEvery = uint64_t{kWavRate} * 4;

// The audio libraries under SDL print their own complaints on standard error
// when there is no sound card; the game says it in one line of its own.
class QuietStandardError {
 public:
  QuietStandardError() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    const int null = ::open("/dev/null", O_WRONLY);
    if (saved_ >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
  }
  ~QuietStandardError() {
    std::fflush(stderr);
    if (saved_ >= 0) {
      dup2(saved_, STDERR_FILENO);
      close(saved_);
    }
  }
  QuietStandardError(const QuietStandardError&) = delete;
  QuietStandardError& operator=(const QuietStandardError&) = delete;

 private:
  int saved_ = -1;
};

int mixer_volume(double volume) {
  return static_cast<int>(std::lround(std::clamp(volume, 0.0, 1.0) * MIX_MAX_VOLUME));
}

Uint8 pan_byte(double gain) {
  return static_cast<Uint8>(std::lround(std::clamp(gain, 0.0, 1.0) * 255.0));
}

// Runs on the mixer's thread: replaces the loop channel's samples with the
// loop read at the wanted rate, gliding to a new rate rather than jumping.
void resample_loop(int, void* stream, int len, void* data) {
  auto& loop = *static_cast<SoundOutput::Loop*>(data);
  auto* out = static_cast<int16_t*>(stream);
  const int frames = len / 4;
  if (loop.length < 2) return;
  const double target = loop.target_rate.load(std::memory_order_relaxed);
  const auto length = static_cast<double>(loop.length);
  for (int i = 0; i < frames; ++i) {
    loop.rate += (target - loop.rate) * 0.0005;
    const auto at = static_cast<size_t>(loop.position);
    const size_t next = at + 1 < loop.length ? at + 1 : 0;
    const double frac = loop.position - static_cast<double>(at);
    for (int side = 0; side < 2; ++side) {
      const double a = loop.frames[2 * at + side], b = loop.frames[2 * next + side];
      out[2 * i + side] = static_cast<int16_t>(std::lround(a + (b - a) * frac));
    }
    loop.position += loop.rate;
    while (loop.position >= length) loop.position -= length;
  }
}

void write_header(SoundOutput::Recording& r) {
  const auto bytes = static_cast<uint32_t>(std::min<uint64_t>(r.bytes, UINT32_MAX - 64));
  const auto header = wav_header(2, bytes - bytes % 4);
  const long end = std::ftell(r.file);
  if (std::fseek(r.file, 0, SEEK_SET) != 0 ||
      std::fwrite(header.data(), 1, header.size(), r.file) != header.size() ||
      std::fseek(r.file, end, SEEK_SET) != 0) {
    r.failed = true;
  }
  r.bytes_at_header = r.bytes;
}

// Runs on the mixer's thread with every buffer mixed.
void record_mix(void* data, Uint8* stream, int len) {
  auto& r = *static_cast<SoundOutput::Recording*>(data);
  if (r.file == nullptr || r.failed) return;
  // A WAV file holds at most 4 GB; a longer recording keeps its beginning.
  if (r.bytes + static_cast<uint64_t>(len) > UINT32_MAX - 64) return;
  if (std::fwrite(stream, 1, static_cast<size_t>(len), r.file) != static_cast<size_t>(len)) {
    r.failed = true;
    return;
  }
  r.bytes += static_cast<uint64_t>(len);
  if (r.bytes - r.bytes_at_header >= kHeaderEvery) write_header(r);
}

}  // namespace

std::unique_ptr<SoundOutput> SoundOutput::open(int channels, std::string& error) {
  {
    QuietStandardError quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
      error = SDL_GetError();
      return nullptr;
    }
    // No format changes allowed: SDL converts to the card's, so the sounds
    // can be handed over as they are.
    if (Mix_OpenAudioDevice(kWavRate, AUDIO_S16SYS, 2, kBufferFrames, nullptr, 0) != 0) {
      error = Mix_GetError();
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      return nullptr;
    }
  }
  std::unique_ptr<SoundOutput> out(new SoundOutput());
  out->channels_ = Mix_AllocateChannels(channels);
  return out;
}

SoundOutput::~SoundOutput() {
  Mix_HaltChannel(-1);
  const std::string failure = finish_recording();
  if (!failure.empty()) std::fprintf(stderr, "quarvex: %s\n", failure.c_str());
  Mix_CloseAudio();
  for (Mix_Chunk* chunk : chunks_) {
    if (chunk != nullptr) Mix_FreeChunk(chunk);
  }
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void SoundOutput::load(int id, const std::vector<int16_t>& samples) {
  if (id < 0) return;
  const auto slot = static_cast<size_t>(id);
  if (slot >= chunks_.size()) {
    chunks_.resize(slot + 1, nullptr);
    frames_.resize(slot + 1);
  }
  if (chunks_[slot] != nullptr) Mix_FreeChunk(chunks_[slot]);
  std::vector<int16_t>& frames = frames_[slot];
  frames.resize(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i) frames[2 * i] = frames[2 * i + 1] = samples[i];
  chunks_[slot] = Mix_QuickLoad_RAW(reinterpret_cast<Uint8*>(frames.data()),
                                    static_cast<Uint32>(frames.size() * sizeof(int16_t)));
}

bool SoundOutput::has(int id) const {
  return id >= 0 && static_cast<size_t>(id) < chunks_.size() &&
         chunks_[static_cast<size_t>(id)] != nullptr;
}

bool SoundOutput::playing(int channel) const {
  return Mix_Playing(channel) != 0;
}

void SoundOutput::play(int channel, int id, double volume, double left, double right) {
  if (!has(id) || channel < 0 || channel >= channels_) return;
  // The pan goes on before the sound starts, so not one buffer of it is heard
  // unpanned; stopping a channel takes its pan off.
  Mix_SetPanning(channel, pan_byte(left), pan_byte(right));
  Mix_Volume(channel, mixer_volume(volume));
  Mix_PlayChannel(channel, chunks_[static_cast<size_t>(id)], 0);
  Mix_Resume(channel);
}

void SoundOutput::play_loop(int channel, int id, double volume) {
  if (!has(id) || channel < 0 || channel >= channels_) return;
  // Once stopped and cleared, the mixer's thread no longer reads the loop.
  Mix_HaltChannel(channel);
  Mix_UnregisterAllEffects(channel);
  const std::vector<int16_t>& frames = frames_[static_cast<size_t>(id)];
  loop_.frames = frames.data();
  loop_.length = frames.size() / 2;
  loop_.position = 0.0;
  loop_.rate = loop_.target_rate.load();
  Mix_RegisterEffect(channel, resample_loop, nullptr, &loop_);
  Mix_Volume(channel, mixer_volume(volume));
  Mix_FadeInChannel(channel, chunks_[static_cast<size_t>(id)], -1, 120);
}

void SoundOutput::set_loop_rate(double rate) {
  loop_.target_rate.store(std::clamp(rate, 0.25, 4.0), std::memory_order_relaxed);
}

void SoundOutput::set_volume(int channel, double volume) {
  Mix_Volume(channel, mixer_volume(volume));
}

void SoundOutput::stop(int channel) {
  Mix_HaltChannel(channel);
}

void SoundOutput::fade_out(int channel, int ms) {
  Mix_FadeOutChannel(channel, ms);
}

void SoundOutput::stop_all() {
  Mix_HaltChannel(-1);
}

void SoundOutput::pause(int channel, bool paused) {
  if (channel < 0 || channel >= channels_) return;
  if (paused) {
    Mix_Pause(channel);
  } else {
    Mix_Resume(channel);
  }
}

bool SoundOutput::record(const std::string& path, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot write '" + path + "': " + std::strerror(errno);
    return false;
  }
  const auto header = wav_header(2, 0);
  if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
    std::fclose(file);
    error = "cannot write '" + path + "'";
    return false;
  }
  recording_path_ = path;
  recording_.file = file;
  Mix_SetPostMix(record_mix, &recording_);
  return true;
}

std::string SoundOutput::finish_recording() {
  if (recording_.file == nullptr) return {};
  // Takes the mixer's lock: no buffer is being written once it returns.
  Mix_SetPostMix(nullptr, nullptr);
  write_header(recording_);
  const bool closed = std::fclose(recording_.file) == 0;
  recording_.file = nullptr;
  if (recording_.failed || !closed) {
    return "--record-audio: writing '" + recording_path_ + "' failed; the recording is cut short";
  }
  return {};
}

}  // namespace quarvex
