#include "net/secrets.h"

#include <algorithm>
#include <random>

namespace quarvex::net {

void SystemRandom::fill(std::span<uint8_t> out) {
  std::random_device device;
  for (size_t i = 0; i < out.size(); i += 4) {
    const uint32_t bits = device();
    for (size_t j = 0; j < 4 && i + j < out.size(); ++j) {
      out[i + j] = static_cast<uint8_t>(bits >> (8 * j));
    }
  }
}

JoinCode make_join_code(RandomSource& random) {
  JoinCode code{};
  size_t filled = 0;
  while (filled < code.size()) {
    std::array<uint8_t, 16> bytes{};
    random.fill(bytes);
    for (uint8_t b : bytes) {
      // 234 = 9 × 26: the bytes above it would favour the first letters.
      if (b >= 234 || filled == code.size()) continue;
      code[filled++] = static_cast<char>('A' + b % 26);
    }
  }
  return code;
}

Token make_token(RandomSource& random) {
  Token token{};
  do {
    random.fill(token);
  } while (std::all_of(token.begin(), token.end(), [](uint8_t b) { return b == 0; }));
  return token;
}

}  // namespace quarvex::net
