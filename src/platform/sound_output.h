#pragma once
// The sound card through SDL2_mixer: sounds loaded as chunks, channels that
// play them with a volume and a pan, one channel whose loop can be played
// faster or slower (resampled as it plays, since the mixer has no pitch of
// its own), pause, and a copy of everything mixed written to a WAV file.

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

struct Mix_Chunk;

namespace quarvex {

class SoundOutput {
 public:
  // Opens the default sound device at 44.1 kHz, 16-bit stereo, with this
  // many channels. Returns nullptr with SDL's reason when there is none.
  static std::unique_ptr<SoundOutput> open(int channels, std::string& error);
  ~SoundOutput();
  SoundOutput(const SoundOutput&) = delete;
  SoundOutput& operator=(const SoundOutput&) = delete;

  // Makes one-channel 44.1 kHz samples the sound in slot `id` (0..).
  void load(int id, const std::vector<int16_t>& samples);
  bool has(int id) const;

  bool playing(int channel) const;
  // Starts sound `id` on a channel that is not playing: volume 0..1, and the
  // gains of the left and right side 0..1.
  void play(int channel, int id, double volume, double left, double right);
  // Starts sound `id` on `channel` as an endless loop played at the rate
  // set_loop_rate gives (1 = as recorded), fading in.
  void play_loop(int channel, int id, double volume);
  void set_loop_rate(double rate);
  void set_volume(int channel, double volume);
  void stop(int channel);
  void fade_out(int channel, int ms);
  void stop_all();
  // Holds what `channel` plays, or lets it go on; a sound started on a held
  // channel plays at once.
  void pause(int channel, bool paused);

  // Starts writing everything mixed to a WAV file; false with the reason
  // when the file cannot be opened.
  bool record(const std::string& path, std::string& error);
  // Stops writing and completes the file's header; returns the reason when
  // the recording could not be written whole, empty when all went well.
  std::string finish_recording();

  struct Loop {
    const int16_t* frames = nullptr;  // interleaved stereo
    size_t length = 0;                // frames
    double position = 0.0;
    double rate = 1.0;
    std::atomic<double> target_rate{1.0};
  };
  struct Recording {
    std::FILE* file = nullptr;
    uint64_t bytes = 0;
    uint64_t bytes_at_header = 0;
    bool failed = false;
  };

 private:
  SoundOutput() = default;

  std::vector<std::vector<int16_t>> frames_;  // per sound, interleaved stereo
  std::vector<Mix_Chunk*> chunks_;
  int channels_ = 0;
  Loop loop_;
  Recording recording_;
  std::string recording_path_;
};

}  // namespace quarvex
