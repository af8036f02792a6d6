// The game's own sine, cosine and arctangent over any doubles: the sanitizers
// watch the exact reduction's integer work on arbitrary exponents, and the
// results keep what every caller relies on. (Bit-for-bit agreement with
// musl is the test suite's job: quarvex_musl_compare.)

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "world/float_bits.h"
#include "world/trig.h"

namespace {

bool same(double a, double b) {
  return (a != a && b != b) || quarvex::bits_of(a) == quarvex::bits_of(b);
}

constexpr double kPi = 0x1.921fb54442d18p+1;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 16) return 0;
  double x;
  double y;
  std::memcpy(&x, data, sizeof x);
  std::memcpy(&y, data + 8, sizeof y);

  const double s = quarvex::game_sin(x);
  const double c = quarvex::game_cos(x);
  const quarvex::SinCos both = quarvex::game_sincos(x);
  if (!same(both.sin, s) || !same(both.cos, c)) std::abort();
  const bool finite = x - x == 0;
  if (finite != (s == s) || finite != (c == c)) std::abort();
  if (finite && (s < -1 || s > 1 || c < -1 || c > 1)) std::abort();

  const double a = quarvex::game_atan2(y, x);
  const bool any_nan = x != x || y != y;
  if (any_nan != (a != a)) std::abort();
  if (!any_nan) {
    if (a < -kPi || a > kPi) std::abort();
    // The angle has the sign of y, zeros included.
    if ((quarvex::bits_of(a) >> 63) != (quarvex::bits_of(y) >> 63)) std::abort();
  }
  return 0;
}
