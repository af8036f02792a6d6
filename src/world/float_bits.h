#pragma once
// The representation of a float or a double as an unsigned integer, and
// back. (The browser build's C++ library has no std::bit_cast.)

#include <cstdint>
#include <cstring>

namespace quarvex {

inline uint64_t bits_of(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

inline uint32_t bits_of(float x) {
  uint32_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

inline double double_from_bits(uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

}  // namespace quarvex
