// Sound files come from the data folder and may hold any bytes: they must
// decode to at most ten seconds of samples, or be refused with a reason,
// without a read outside the data.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/wav.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<int16_t> samples;
  std::string error;
  if (!quarvex::decode_wav(data, size, samples, error)) {
    if (error.empty() || !samples.empty()) std::abort();
    return 0;
  }
  if (samples.empty() || samples.size() > quarvex::kMaxWavSamples || samples.size() * 2 > size)
    std::abort();
  return 0;
}
