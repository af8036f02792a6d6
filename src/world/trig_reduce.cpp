#include "world/trig_reduce.h"

#include <array>

// Every expression here is evaluated in double, in the order written: the
// core is compiled without fused multiply-add and without fast-math, so each
// sum and product is rounded once, the same on every machine.

namespace quarvex {

namespace {

// pi/2 in three parts of 33 bits (a multiple of up to 2^20 of each is exact)
// and the remainder after each.
constexpr double kPio2Part1 = 0x1.921fb544p+0;
constexpr double kPio2Tail1 = 0x1.0b4611a626331p-34;
constexpr double kPio2Part2 = 0x1.0b4611a6p-34;
constexpr double kPio2Tail2 = 0x1.3198a2e037073p-69;
constexpr double kPio2Part3 = 0x1.3198a2ep-69;
constexpr double kPio2Tail3 = 0x1.b839a252049c1p-104;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kPio4 = 0x1.921fb54442d18p-1;
// Adding and subtracting 1.5 * 2^52 rounds a double below 2^51 to a whole number.
constexpr double kToWhole = 0x1.8p+52;

// 2/pi to 396 hexadecimal digits, 24 bits an entry: enough for the largest
// double, with the pieces a remainder near a multiple of pi/2 needs.
constexpr std::array<int32_t, 66> kTwoOverPiBits = {
    0xA2F983, 0x6E4E44, 0x1529FC, 0x2757D1, 0xF534DD, 0xC0DB62, 0x95993C, 0x439041, 0xFE5163,
    0xABDEBB, 0xC561B7, 0x246E3A, 0x424DD2, 0xE00649, 0x2EEA09, 0xD1921C, 0xFE1DEB, 0x1CB129,
    0xA73EE8, 0x8235F5, 0x2EBB44, 0x84E99C, 0x7026B4, 0x5F7E41, 0x3991D6, 0x398353, 0x39F49C,
    0x845F8B, 0xBDF928, 0x3B1FF8, 0x97FFDE, 0x05980F, 0xEF2F11, 0x8B5A0A, 0x6D1F6D, 0x367ECF,
    0x27CB09, 0xB74F46, 0x3F669E, 0x5FEA2D, 0x7527BA, 0xC7EBE5, 0xF17B3D, 0x0739F7, 0x8A5292,
    0xEA6BFB, 0x5FB11F, 0x8D5D08, 0x560330, 0x46FC7B, 0x6BABF0, 0xCFBC20, 0x9AF436, 0x1DA9E3,
    0x91615E, 0xE61B08, 0x659985, 0x5F14A0, 0x68408D, 0xFFD880, 0x4D7327, 0x310606, 0x1556CA,
    0x73A8C9, 0x60E27B, 0xC08C6B,
};

// pi/2 as a sum of pieces of 24 significant bits, each the leading bits of
// what the pieces before it leave.
constexpr std::array<double, 8> kPio2Pieces = {
    0x1.921fb4p+0,  0x1.4442dp-24,   0x1.846988p-48,  0x1.8cc516p-72,
    0x1.01b838p-96, 0x1.a25204p-120, 0x1.382228p-145, 0x1.9f31dp-169,
};

// Terms of 2/pi beyond the first needed piece: 4 give the 53 bits of a
// double's remainder with room to spare.
constexpr int32_t kExtraTerms = 4;
// Room for the terms and for the extra pieces a remainder close to zero
// asks for; no double needs more.
constexpr int32_t kWork = 20;

// 2^e for -1022 <= e <= 1023, built from its bits.
double power_of_two(int32_t e) {
  return double_from_bits(static_cast<uint64_t>(0x3ff + e) << 52);
}

// floor for 0 <= v < 2^63.
double floor_of_nonnegative(double v) {
  return static_cast<double>(static_cast<int64_t>(v));
}

// x near k * pi/2 for k = +-1 .. +-4, far enough from it that one part of
// pi/2 (and its tail) leaves 85 good bits.
ReducedAngle reduce_near_multiple(double x, int32_t k) {
  const double m = k;
  const double z = x - m * kPio2Part1;
  const double hi = z - m * kPio2Tail1;
  return {k, hi, (z - hi) - m * kPio2Tail1};
}

// |x| below 2^20 * pi/2: the nearest multiple n, then x - n * pi/2 with one,
// two or three parts of pi/2, as many as the cancellation asks for.
ReducedAngle reduce_medium(double x, uint32_t ix) {
  double fn = x * kTwoOverPi + kToWhole - kToWhole;
  auto n = static_cast<int32_t>(fn);
  double r = x - fn * kPio2Part1;
  double w = fn * kPio2Tail1;
  // The product above can round x/(pi/2) to the other side of a half:
  // keep the remainder within pi/4.
  if (r - w < -kPio4) {
    --n;
    fn = fn - 1;
    r = x - fn * kPio2Part1;
    w = fn * kPio2Tail1;
  } else if (r - w > kPio4) {
    ++n;
    fn = fn + 1;
    r = x - fn * kPio2Part1;
    w = fn * kPio2Tail1;
  }
  double hi = r - w;
  const auto x_exponent = static_cast<int32_t>(ix >> 20);
  auto lost_bits = [&] { return x_exponent - static_cast<int32_t>((high_word(hi) >> 20) & 0x7ff); };
  if (lost_bits() > 16) {
    double t = r;
    w = fn * kPio2Part2;
    r = t - w;
    w = fn * kPio2Tail2 - ((t - r) - w);
    hi = r - w;
    if (lost_bits() > 49) {
      t = r;
      w = fn * kPio2Part3;
      r = t - w;
      w = fn * kPio2Tail3 - ((t - r) - w);
      hi = r - w;
    }
  }
  return {n, hi, (r - hi) - w};
}

// One term of the product x * (2/pi): the sum over the pieces of x of each
// piece times its piece of 2/pi, f[offset - j] for piece j.
double product_term(const double* pieces, int32_t last_piece, const double* f, int32_t offset) {
  double sum = 0.0;
  for (int32_t j = 0; j <= last_piece; ++j) sum += pieces[j] * f[offset - j];
  return sum;
}

// The exact reduction of a large positive argument, given as count (1 to 3)
// whole numbers below 2^24, the first and the last non-zero:
// x = pieces[0] * 2^exponent + pieces[1] * 2^(exponent - 24) + ...
// Returns the multiple of pi/2 modulo 8 and writes the remainder's hi and lo.
int32_t reduce_large(const double* pieces, int32_t exponent, int32_t count, double& hi,
                     double& lo) {
  const int32_t last_piece = count - 1;
  // The first piece of 2/pi that matters: earlier ones only add multiples
  // of 8 quarter turns (whole turns) to the product.
  const int32_t first_bits = exponent - 3 >= 0 ? (exponent - 3) / 24 : 0;
  // Scale of the product's leading term.
  int32_t scale = exponent - 24 * (first_bits + 1);

  std::array<double, kWork> f{};
  std::array<double, kWork> q{};
  std::array<double, kWork> fq{};
  std::array<int32_t, kWork> iq{};
  for (int32_t i = 0, j = first_bits - last_piece; i <= last_piece + kExtraTerms; ++i, ++j) {
    f[i] = j < 0 ? 0.0 : static_cast<double>(kTwoOverPiBits[j]);
  }
  for (int32_t i = 0; i <= kExtraTerms; ++i)
    q[i] = product_term(pieces, last_piece, f.data(), last_piece + i);

  int32_t top = kExtraTerms;
  int32_t n = 0;
  int32_t high_half = 0;
  double z = 0;
  for (;;) {
    // Carry the terms into 24-bit whole pieces, lowest first.
    z = q[top];
    for (int32_t i = 0, j = top; j > 0; ++i, --j) {
      const double carry = static_cast<int32_t>(0x1p-24 * z);
      iq[i] = static_cast<int32_t>(z - 0x1p24 * carry);
      z = q[j - 1] + carry;
    }

    // The whole part modulo 8, and the fraction.
    z = z * power_of_two(scale);
    z -= 8.0 * floor_of_nonnegative(z * 0.125);
    n = static_cast<int32_t>(z);
    z -= static_cast<double>(n);
    high_half = 0;
    if (scale > 0) {
      // The last bits of the whole part sit in the top piece.
      const int32_t whole = iq[top - 1] >> (24 - scale);
      n += whole;
      iq[top - 1] -= whole << (24 - scale);
      high_half = iq[top - 1] >> (23 - scale);
    } else if (scale == 0) {
      high_half = iq[top - 1] >> 23;
    } else if (z >= 0.5) {
      high_half = 2;
    }

    if (high_half > 0) {
      // The fraction is above one half: take 1 - fraction, one more quadrant.
      n += 1;
      bool borrowed = false;
      for (int32_t i = 0; i < top; ++i) {
        const int32_t j = iq[i];
        if (!borrowed) {
          if (j != 0) {
            borrowed = true;
            iq[i] = 0x1000000 - j;
          }
        } else {
          iq[i] = 0xffffff - j;
        }
      }
      if (scale == 1) iq[top - 1] &= 0x7fffff;
      if (scale == 2) iq[top - 1] &= 0x3fffff;
      if (high_half == 2) {
        z = 1.0 - z;
        if (borrowed) z -= power_of_two(scale);
      }
    }

    if (z != 0) break;
    int32_t any = 0;
    for (int32_t i = top - 1; i >= kExtraTerms; --i) any |= iq[i];
    if (any != 0) break;
    // Every bit so far cancelled: bring in as many more pieces of 2/pi as
    // leading zero pieces were found.
    int32_t more = 1;
    while (iq[kExtraTerms - more] == 0) ++more;
    for (int32_t i = top + 1; i <= top + more; ++i) {
      f[last_piece + i] = static_cast<double>(kTwoOverPiBits[first_bits + i]);
      q[i] = product_term(pieces, last_piece, f.data(), last_piece + i);
    }
    top += more;
  }

  if (z == 0.0) {
    // Drop the pieces that are zero.
    top -= 1;
    scale -= 24;
    while (iq[top] == 0) {
      top--;
      scale -= 24;
    }
  } else {
    // Put the fraction back as one or two more pieces.
    z = z * power_of_two(-scale);
    if (z >= 0x1p24) {
      const double carry = static_cast<int32_t>(0x1p-24 * z);
      iq[top] = static_cast<int32_t>(z - 0x1p24 * carry);
      top += 1;
      scale += 24;
      iq[top] = static_cast<int32_t>(carry);
    } else {
      iq[top] = static_cast<int32_t>(z);
    }
  }

  // The pieces as doubles, then times pi/2.
  double weight = power_of_two(scale);
  for (int32_t i = top; i >= 0; --i) {
    q[i] = weight * static_cast<double>(iq[i]);
    weight *= 0x1p-24;
  }
  for (int32_t i = top; i >= 0; --i) {
    double sum = 0.0;
    for (int32_t k = 0; k <= kExtraTerms && k <= top - i; ++k) sum += kPio2Pieces[k] * q[i + k];
    fq[top - i] = sum;
  }

  double sum = 0.0;
  for (int32_t i = top; i >= 0; --i) sum += fq[i];
  hi = high_half == 0 ? sum : -sum;
  sum = fq[0] - sum;
  for (int32_t i = 1; i <= top; ++i) sum += fq[i];
  lo = high_half == 0 ? sum : -sum;
  return n & 7;
}

}  // namespace

ReducedAngle reduce_by_half_pi(double x) {
  const uint32_t ix = high_word(x) & 0x7fffffff;
  const bool negative = (high_word(x) >> 31) != 0;
  const int32_t sign = negative ? -1 : 1;

  // Up to 9pi/4 the nearest multiple is found by comparing the high word,
  // except right at pi/2, pi, 3pi/2 and 2pi, where the cancellation needs
  // more parts of pi/2 than one.
  if (ix <= 0x400f6a7a) {  // |x| up to about 5pi/4
    if ((ix & 0xfffff) == 0x921fb) return reduce_medium(x, ix);
    return reduce_near_multiple(x, ix <= 0x4002d97c ? sign : 2 * sign);  // 3pi/4
  }
  if (ix <= 0x401c463b) {    // up to about 9pi/4
    if (ix <= 0x4015fdbc) {  // up to about 7pi/4
      if (ix == 0x4012d97c) return reduce_medium(x, ix);
      return reduce_near_multiple(x, 3 * sign);
    }
    if (ix == 0x401921fb) return reduce_medium(x, ix);
    return reduce_near_multiple(x, 4 * sign);
  }
  if (ix < 0x413921fb) return reduce_medium(x, ix);  // below 2^20 * pi/2

  if (ix >= 0x7ff00000) return {0, x - x, x - x};
  // |x| scaled into [2^23, 2^24), cut into 24-bit whole pieces.
  uint64_t bits = bits_of(x) & (~uint64_t{0} >> 12);
  bits |= uint64_t{0x3ff + 23} << 52;
  double z = double_from_bits(bits);
  std::array<double, 3> pieces{};
  for (int32_t i = 0; i < 2; ++i) {
    pieces[i] = static_cast<double>(static_cast<int32_t>(z));
    z = (z - pieces[i]) * 0x1p24;
  }
  pieces[2] = z;
  int32_t count = 3;
  while (pieces[count - 1] == 0.0) --count;
  double hi = 0;
  double lo = 0;
  const int32_t n =
      reduce_large(pieces.data(), static_cast<int32_t>(ix >> 20) - (0x3ff + 23), count, hi, lo);
  if (negative) return {-n, -hi, -lo};
  return {n, hi, lo};
}

}  // namespace quarvex
