#include "platform/wav.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

namespace quarvex {

namespace {

uint32_t le32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t le16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

bool check_format(const uint8_t* fmt, uint32_t size, std::string& error) {
  if (size < 16) {
    error = "its format chunk is too short";
    return false;
  }
  const uint16_t tag = le16(fmt), channels = le16(fmt + 2), bits = le16(fmt + 14);
  const uint32_t rate = le32(fmt + 4);
  if (tag != 1 || channels != 1 || rate != kWavRate || bits != 16 || le16(fmt + 12) != 2 ||
      le32(fmt + 8) != 2u * kWavRate) {
    error = "it is not 16-bit PCM, one channel, 44100 Hz (format " + std::to_string(tag) + ", " +
            std::to_string(channels) + " channels, " + std::to_string(rate) + " Hz, " +
            std::to_string(bits) + " bits)";
    return false;
  }
  return true;
}

}  // namespace

bool decode_wav(const uint8_t* data, size_t size, std::vector<int16_t>& samples,
                std::string& error) {
  samples.clear();
  if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0) {
    error = "it is not a WAV file";
    return false;
  }
  if (le32(data + 4) != size - 8) {
    error = "its RIFF size " + std::to_string(le32(data + 4)) + " does not match its length " +
            std::to_string(size);
    return false;
  }
  bool have_format = false;
  size_t at = 12;
  while (at + 8 <= size) {
    const uint8_t* chunk = data + at;
    const uint32_t chunk_size = le32(chunk + 4);
    if (chunk_size > size - at - 8) {
      error = "a chunk runs past the end of the file";
      return false;
    }
    const uint8_t* body = chunk + 8;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (!check_format(body, chunk_size, error)) return false;
      have_format = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!have_format) {
        error = "its samples come before their format";
        return false;
      }
      if (chunk_size % 2 != 0 || chunk_size == 0) {
        error = "its data chunk does not hold whole samples";
        return false;
      }
      if (chunk_size / 2 > kMaxWavSamples) {
        error = "it is longer than " + std::to_string(kMaxWavSamples / kWavRate) + " seconds";
        return false;
      }
      samples.resize(chunk_size / 2);
      for (size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(le16(body + 2 * i));
      }
      return true;
    }
    // Chunks are padded to an even length.
    at += 8 + size_t{chunk_size} + (chunk_size & 1u);
  }
  error = "it has no samples";
  return false;
}

bool load_wav_file(const std::string& path, std::vector<int16_t>& samples, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = std::strerror(errno);
    return false;
  }
  // The largest file the game accepts, plus room for a few extra chunks.
  constexpr size_t kMaxFileBytes = kMaxWavSamples * 2 + 4096;
  std::vector<uint8_t> bytes;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    if (bytes.size() > kMaxFileBytes) {
      error = "it is longer than " + std::to_string(kMaxWavSamples / kWavRate) + " seconds";
      return false;
    }
  }
  return decode_wav(bytes.data(), bytes.size(), samples, error);
}

std::array<uint8_t, kWavHeaderSize> wav_header(int channels, uint32_t data_bytes) {
  std::array<uint8_t, kWavHeaderSize> h{};
  const auto block = static_cast<uint16_t>(2 * channels);
  std::memcpy(h.data(), "RIFF", 4);
  put32(h.data() + 4, data_bytes + 36);
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  put32(h.data() + 16, 16);
  put16(h.data() + 20, 1);
  put16(h.data() + 22, static_cast<uint16_t>(channels));
  put32(h.data() + 24, kWavRate);
  put32(h.data() + 28, kWavRate * uint32_t{block});
  put16(h.data() + 32, block);
  put16(h.data() + 34, 16);
  std::memcpy(h.data() + 36, "data", 4);
  put32(h.data() + 40, data_bytes);
  return h;
}

bool write_wav_file(const std::string& path, const std::vector<int16_t>& samples,
                    std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) {
    error = "cannot write '" + path + "': " + std::strerror(errno);
    return false;
  }
  const auto header = wav_header(1, static_cast<uint32_t>(samples.size() * 2));
  std::vector<uint8_t> body(samples.size() * 2);
  for (size_t i = 0; i < samples.size(); ++i)
    put16(&body[2 * i], static_cast<uint16_t>(samples[i]));
  const bool written = std::fwrite(header.data(), 1, header.size(), f) == header.size() &&
                       std::fwrite(body.data(), 1, body.size(), f) == body.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed) {
    error = "writing '" + path + "' failed";
    return false;
  }
  return true;
}

}  // namespace quarvex
