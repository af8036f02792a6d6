#pragma once
// The game's sound files: WAV, 16-bit PCM, one channel, 44.1 kHz, the one
// format the synthesiser writes. Also the header of the stereo recordings.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quarvex {

constexpr int kWavRate = 44100;
constexpr size_t kWavHeaderSize = 44;
// No sound of the game is longer; a file that claims more is refused before
// anything is allocated for it.
constexpr size_t kMaxWavSamples = size_t{kWavRate} * 10;

// Decodes a WAV file held in memory. Accepts a RIFF/WAVE file whose RIFF size
// matches the data's length, with a PCM "fmt " chunk for one channel at
// 44100 Hz and 16 bits, and a "data" chunk of whole samples that lies within
// the file; other chunks are skipped. On failure returns false and says why
// in `error`.
bool decode_wav(const uint8_t* data, size_t size, std::vector<int16_t>& samples,
                std::string& error);

// Reads and decodes a sound file.
bool load_wav_file(const std::string& path, std::vector<int16_t>& samples, std::string& error);

// The 44-byte header of a 16-bit PCM WAV at 44.1 kHz holding `data_bytes`
// bytes of samples for `channels` interleaved channels.
std::array<uint8_t, kWavHeaderSize> wav_header(int channels, uint32_t data_bytes);

// Writes one-channel samples as a WAV file.
bool write_wav_file(const std::string& path, const std::vector<int16_t>& samples,
                    std::string& error);

}  // namespace quarvex
