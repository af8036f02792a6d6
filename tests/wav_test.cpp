// The reader of the game's sound files: what the synthesiser writes reads
// back exactly, and anything else is refused with a reason before a sample
// is kept.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/wav.h"
#include "test_files.h"

namespace quarvex {
namespace {

std::vector<uint8_t> wav_bytes(const std::vector<int16_t>& samples) {
  const auto header = wav_header(1, static_cast<uint32_t>(samples.size() * 2));
  std::vector<uint8_t> bytes(header.begin(), header.end());
  for (int16_t s : samples) {
    bytes.push_back(static_cast<uint8_t>(s));
    bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
  }
  return bytes;
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

std::string refusal(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples{1, 2, 3};
  std::string error;
  EXPECT_FALSE(decode_wav(bytes.data(), bytes.size(), samples, error));
  EXPECT_TRUE(samples.empty());
  return error;
}

TEST(Wav, WhatIsWrittenReadsBackSampleForSample) {
  testing::TempDir dir;
  const std::vector<int16_t> samples = {0, 1, -1, 32767, -32768, 1234, -4321};
  std::string error;
  ASSERT_TRUE(write_wav_file(dir.file("a.wav"), samples, error)) << error;
  std::vector<int16_t> back;
  ASSERT_TRUE(load_wav_file(dir.file("a.wav"), back, error)) << error;
  EXPECT_EQ(back, samples);
  EXPECT_FALSE(load_wav_file(dir.file("missing.wav"), back, error));
  EXPECT_FALSE(error.empty());
}

TEST(Wav, ChunksBeforeTheSamplesAreSkippedPaddingIncluded) {
  std::vector<uint8_t> bytes = wav_bytes({5, -5});
  // An odd-sized "LIST" chunk with its pad byte between the format and the data.
  const std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0};
  bytes.insert(bytes.begin() + 36, list.begin(), list.end());
  put32(bytes, 4, static_cast<uint32_t>(bytes.size() - 8));
  std::vector<int16_t> samples;
  std::string error;
  ASSERT_TRUE(decode_wav(bytes.data(), bytes.size(), samples, error)) << error;
  EXPECT_EQ(samples, (std::vector<int16_t>{5, -5}));
}

TEST(Wav, SizesThatDoNotMatchTheFileAreRefused) {
  const std::vector<uint8_t> good = wav_bytes({1, 2, 3, 4});
  EXPECT_NE(refusal({good.begin(), good.begin() + 11}).find("not a WAV"), std::string::npos);
  // Cut short: the RIFF size no longer matches.
  EXPECT_NE(refusal({good.begin(), good.end() - 2}).find("RIFF size"), std::string::npos);
  // The data chunk claims more than there is.
  std::vector<uint8_t> b = good;
  put32(b, 40, 1000);
  EXPECT_NE(refusal(b).find("past the end"), std::string::npos);
  // A chunk size so large that adding it to the offset would wrap.
  b = good;
  put32(b, 40, 0xFFFFFFF0u);
  EXPECT_NE(refusal(b).find("past the end"), std::string::npos);
  // Half a sample.
  b = good;
  b.push_back(0);
  put32(b, 4, static_cast<uint32_t>(b.size() - 8));
  put32(b, 40, 9);
  EXPECT_NE(refusal(b).find("whole samples"), std::string::npos);
}

TEST(Wav, OnlySixteenBitMonoAt44100IsAccepted) {
  const std::vector<uint8_t> good = wav_bytes({1, 2});
  struct Change {
    size_t at;
    uint8_t value;
  };
  for (const Change c : {Change{20, 3}, Change{22, 2}, Change{24, 0x22}, Change{34, 8}}) {
    std::vector<uint8_t> b = good;
    b[c.at] = c.value;
    EXPECT_NE(refusal(b).find("not 16-bit PCM"), std::string::npos) << c.at;
  }
  // Samples before their format, and no samples at all.
  std::vector<uint8_t> b = good;
  std::memcpy(&b[12], "junk", 4);
  EXPECT_NE(refusal(b).find("before their format"), std::string::npos);
  b = {good.begin(), good.begin() + 36};
  put32(b, 4, 28);
  EXPECT_NE(refusal(b).find("no samples"), std::string::npos);
}

TEST(Wav, ALengthPastTenSecondsIsRefusedBeforeAllocating) {
  std::vector<uint8_t> b = wav_bytes({});
  const uint32_t claimed = static_cast<uint32_t>(kMaxWavSamples * 2 + 2);
  b.resize(b.size() + claimed);
  put32(b, 4, static_cast<uint32_t>(b.size() - 8));
  put32(b, 40, claimed);
  EXPECT_NE(refusal(b).find("longer than 10 seconds"), std::string::npos);
}

}  // namespace
}  // namespace quarvex
