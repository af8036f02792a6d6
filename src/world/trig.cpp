#include "world/trig.h"

#include <array>
#include <cstdint>

#include "world/trig_reduce.h"

// Every expression here is evaluated in double, in the order written: the
// core is compiled without fused multiply-add and without fast-math, so each
// sum and product is rounded once, the same on every machine.

namespace quarvex {

namespace {

// sin on [-pi/4, pi/4]: x + S1 x^3 + ... + S6 x^13.
constexpr double kS1 = -0x1.5555555555549p-3;
constexpr double kS2 = 0x1.111111110f8a6p-7;
constexpr double kS3 = -0x1.a01a019c161d5p-13;
constexpr double kS4 = 0x1.71de357b1fe7dp-19;
constexpr double kS5 = -0x1.ae5e68a2b9cebp-26;
constexpr double kS6 = 0x1.5d93a5acfd57cp-33;

// cos on [-pi/4, pi/4]: 1 - x^2/2 + C1 x^4 + ... + C6 x^14.
constexpr double kC1 = 0x1.555555555554cp-5;
constexpr double kC2 = -0x1.6c16c16c15177p-10;
constexpr double kC3 = 0x1.a01a019cb1590p-16;
constexpr double kC4 = -0x1.27e4f809c52adp-22;
constexpr double kC5 = 0x1.1ee9ebdb4b1c4p-29;
constexpr double kC6 = -0x1.8fae9be8838d4p-37;

// atan(0.5), atan(1), atan(1.5) and atan(inf) = pi/2, each as a double and
// the rest of it.
constexpr std::array<double, 4> kAtanHi = {0x1.dac670561bb4fp-2, 0x1.921fb54442d18p-1,
                                           0x1.f730bd281f69bp-1, 0x1.921fb54442d18p+0};
constexpr std::array<double, 4> kAtanLo = {0x1.a2b7f222f65e2p-56, 0x1.1a62633145c07p-55,
                                           0x1.007887af0cbbdp-56, 0x1.1a62633145c07p-54};
// atan on [-7/16, 7/16]: x - x (T0 x^2 + T1 x^4 + ... + T10 x^22).
constexpr std::array<double, 11> kAtanT = {
    0x1.555555555550dp-2, -0x1.999999998ebc4p-3, 0x1.24924920083ffp-3, -0x1.c71c6fe231671p-4,
    0x1.745cdc54c206ep-4, -0x1.3b0f2af749a6dp-4, 0x1.10d66a0d03d51p-4, -0x1.dde2d52defd9ap-5,
    0x1.97b4b24760debp-5, -0x1.2b4442c6a6c2fp-5, 0x1.0ad3ae322da11p-6,
};
// pi as a double, and the rest of it.
constexpr double kPiHi = 0x1.921fb54442d18p+1;
constexpr double kPiLo = 0x1.1a62633145c07p-53;

double magnitude(double x) {
  return double_from_bits(bits_of(x) & ~(uint64_t{1} << 63));
}

// sin(x + y) for |x + y| <= pi/4 (a hair more), y below half of x's last
// bit; with_tail = false ignores y (taken as 0).
double kernel_sin(double x, double y, bool with_tail) {
  const double z = x * x;
  const double w = z * z;
  const double r = kS2 + z * (kS3 + z * kS4) + z * w * (kS5 + z * kS6);
  const double v = z * x;
  if (!with_tail) return x + v * (kS1 + z * r);
  return x - ((z * (0.5 * y - v * r) - y) - v * kS1);
}

// cos(x + y) on the same range.
double kernel_cos(double x, double y) {
  const double z = x * x;
  double w = z * z;
  const double r = z * (kC1 + z * (kC2 + z * kC3)) + w * w * (kC4 + z * (kC5 + z * kC6));
  const double hz = 0.5 * z;
  w = 1.0 - hz;
  return w + (((1.0 - w) - hz) + (z * r - x * y));
}

// Upper word of pi/4: below it neither function needs a reduction.
constexpr uint32_t kPio4High = 0x3fe921fb;
// Below 2^-26, sin x is x to the last bit; below 2^-27 * sqrt(2), cos x is 1.
constexpr uint32_t kSinIsXHigh = 0x3e500000;
constexpr uint32_t kCosIsOneHigh = 0x3e46a09e;
constexpr uint32_t kInfHigh = 0x7ff00000;

double sin_of_reduced(const ReducedAngle& a) {
  switch (a.quadrant & 3) {
    case 0:
      return kernel_sin(a.hi, a.lo, true);
    case 1:
      return kernel_cos(a.hi, a.lo);
    case 2:
      return -kernel_sin(a.hi, a.lo, true);
    default:
      return -kernel_cos(a.hi, a.lo);
  }
}

double cos_of_reduced(const ReducedAngle& a) {
  switch (a.quadrant & 3) {
    case 0:
      return kernel_cos(a.hi, a.lo);
    case 1:
      return -kernel_sin(a.hi, a.lo, true);
    case 2:
      return -kernel_cos(a.hi, a.lo);
    default:
      return kernel_sin(a.hi, a.lo, true);
  }
}

double small_sin(double x, uint32_t ix) {
  return ix < kSinIsXHigh ? x : kernel_sin(x, 0.0, false);
}
double small_cos(double x, uint32_t ix) {
  return ix < kCosIsOneHigh ? 1.0 : kernel_cos(x, 0.0);
}

double game_atan(double x) {
  const uint32_t ix = high_word(x) & 0x7fffffff;
  const bool negative = (high_word(x) >> 31) != 0;
  if (ix >= 0x44100000) {  // |x| >= 2^66: pi/2 to the last bit
    if (x != x) return x;
    return negative ? -kAtanHi[3] : kAtanHi[3];
  }
  int32_t id = -1;
  if (ix < 0x3fdc0000) {            // |x| < 7/16
    if (ix < 0x3e400000) return x;  // |x| < 2^-27
  } else {
    x = magnitude(x);
    if (ix < 0x3ff30000) {    // |x| < 19/16
      if (ix < 0x3fe60000) {  // 7/16 <= |x| < 11/16: about atan(0.5)
        id = 0;
        x = (2.0 * x - 1.0) / (2.0 + x);
      } else {  // 11/16 <= |x| < 19/16: about atan(1)
        id = 1;
        x = (x - 1.0) / (x + 1.0);
      }
    } else if (ix < 0x40038000) {  // 19/16 <= |x| < 39/16: about atan(1.5)
      id = 2;
      x = (x - 1.5) / (1.0 + 1.5 * x);
    } else {  // 39/16 <= |x| < 2^66: pi/2 - atan(1/x)
      id = 3;
      x = -1.0 / x;
    }
  }
  const double z = x * x;
  const double w = z * z;
  // The odd and the even terms of the polynomial, each in w = x^4.
  const double s1 =
      z * (kAtanT[0] +
           w * (kAtanT[2] + w * (kAtanT[4] + w * (kAtanT[6] + w * (kAtanT[8] + w * kAtanT[10])))));
  const double s2 =
      w * (kAtanT[1] + w * (kAtanT[3] + w * (kAtanT[5] + w * (kAtanT[7] + w * kAtanT[9]))));
  if (id < 0) return x - x * (s1 + s2);
  const double result = kAtanHi[id] - ((x * (s1 + s2) - kAtanLo[id]) - x);
  return negative ? -result : result;
}

}  // namespace

double game_sin(double x) {
  const uint32_t ix = high_word(x) & 0x7fffffff;
  if (ix <= kPio4High) return small_sin(x, ix);
  if (ix >= kInfHigh) return x - x;
  return sin_of_reduced(reduce_by_half_pi(x));
}

double game_cos(double x) {
  const uint32_t ix = high_word(x) & 0x7fffffff;
  if (ix <= kPio4High) return small_cos(x, ix);
  if (ix >= kInfHigh) return x - x;
  return cos_of_reduced(reduce_by_half_pi(x));
}

SinCos game_sincos(double x) {
  const uint32_t ix = high_word(x) & 0x7fffffff;
  if (ix <= kPio4High) return {small_sin(x, ix), small_cos(x, ix)};
  if (ix >= kInfHigh) return {x - x, x - x};
  const ReducedAngle a = reduce_by_half_pi(x);
  return {sin_of_reduced(a), cos_of_reduced(a)};
}

double game_atan2(double y, double x) {
  if (x != x || y != y) return x + y;
  const uint32_t hx = high_word(x);
  const uint32_t lx = low_word(x);
  const uint32_t hy = high_word(y);
  const uint32_t ly = low_word(y);
  if (((hx - 0x3ff00000) | lx) == 0) return game_atan(y);  // x = 1
  // Bit 0: y is negative; bit 1: x is negative.
  const uint32_t m = ((hy >> 31) & 1) | ((hx >> 30) & 2);
  const uint32_t ix = hx & 0x7fffffff;
  const uint32_t iy = hy & 0x7fffffff;

  if ((iy | ly) == 0) {  // y = +-0
    if (m < 2) return y;
    return m == 2 ? kPiHi : -kPiHi;
  }
  if ((ix | lx) == 0) return (m & 1) != 0 ? -kPiHi / 2 : kPiHi / 2;  // x = +-0
  if (ix == kInfHigh) {
    if (iy == kInfHigh) {
      switch (m) {
        case 0:
          return kPiHi / 4;
        case 1:
          return -kPiHi / 4;
        case 2:
          return 3 * kPiHi / 4;
        default:
          return -3 * kPiHi / 4;
      }
    }
    switch (m) {
      case 0:
        return 0.0;
      case 1:
        return -0.0;
      case 2:
        return kPiHi;
      default:
        return -kPiHi;
    }
  }
  // |y/x| beyond 2^64, or y infinite: straight up or down.
  if (ix + (64 << 20) < iy || iy == kInfHigh) return (m & 1) != 0 ? -kPiHi / 2 : kPiHi / 2;

  // atan(|y/x|), taken as 0 when it is below 2^-64 and x is negative (the
  // result is then pi to the last bit, and the division could underflow).
  const double z = (m & 2) != 0 && iy + (64 << 20) < ix ? 0.0 : game_atan(magnitude(y / x));
  switch (m) {
    case 0:
      return z;
    case 1:
      return -z;
    case 2:
      return kPiHi - (z - kPiLo);
    default:
      return (z - kPiLo) - kPiHi;
  }
}

}  // namespace quarvex
