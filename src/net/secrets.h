#pragma once
// Join codes and rejoin tokens: drawn from the system's random source, so
// that neither can be guessed from another.

#include <cstdint>
#include <span>

#include "net/protocol.h"

namespace quarvex::net {

// Where random bytes come from; tests give their own.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual void fill(std::span<uint8_t> out) = 0;
};

// The operating system's random numbers (getrandom through std::random_device).
class SystemRandom : public RandomSource {
 public:
  void fill(std::span<uint8_t> out) override;
};

// Six letters A..Z, each equally likely.
JoinCode make_join_code(RandomSource& random);
// Sixteen random bytes, never all zero (zero means "no token").
Token make_token(RandomSource& random);

}  // namespace quarvex::net
