/* The reference for the game's own sine, cosine and arctangent: musl's libm,
 * built with musl-gcc. Writes a deterministic stream of arguments with
 * musl's answers, as raw little-endian 64-bit words on standard output:
 *
 *   musl_oracle trig COUNT    COUNT records  x, sin(x), cos(x)
 *   musl_oracle atan2 COUNT   COUNT records  y, x, atan2(y, x)
 *
 * quarvex_musl_compare reads the stream and checks the game's functions
 * against every record. The arguments mix uniform ranges, values a few
 * units in the last place around multiples of pi/4, the edges of every
 * branch of the algorithms, tiny, huge and special values, and the kinds of
 * values the game passes (float headings plus a float quarter turn, whole
 * map differences). */

#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static uint64_t mix(uint64_t z) {
  z += 0x9e3779b97f4a7c15ull;
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

/* A small generator per record, so record i is the same whatever COUNT is. */
typedef struct {
  uint64_t state;
} Draws;

static uint64_t draw(Draws* d) {
  d->state = mix(d->state);
  return d->state;
}

static double from_bits(uint64_t b) {
  double x;
  memcpy(&x, &b, sizeof x);
  return x;
}

static uint64_t to_bits(double x) {
  uint64_t b;
  memcpy(&b, &x, sizeof b);
  return b;
}

/* Uniform in [-limit, limit]. */
static double uniform(Draws* d, double limit) {
  return ((double)(draw(d) >> 11) * 0x1p-53 * 2.0 - 1.0) * limit;
}

/* x moved by up to `steps` representable values either way. */
static double nudge(Draws* d, double x, int steps) {
  int64_t by = (int64_t)(draw(d) % (uint64_t)(2 * steps + 1)) - steps;
  return from_bits((uint64_t)((int64_t)to_bits(x) + by));
}

static double random_sign(Draws* d, double x) {
  return (draw(d) & 1) ? -x : x;
}

/* A double with a random mantissa and sign and an exponent field in [lo, hi]. */
static double with_exponent(Draws* d, uint64_t lo, uint64_t hi) {
  uint64_t e = lo + draw(d) % (hi - lo + 1);
  uint64_t m = draw(d) & ((1ull << 52) - 1);
  return random_sign(d, from_bits(e << 52 | m));
}

/* High words where the algorithms change path; a record picks one, a word
 * just below, at or above it, and a random low word. */
static const uint32_t kTrigEdges[] = {
    0x3e46a09e, 0x3e500000, 0x3fe921fb, 0x4002d97c, 0x400921fb, 0x400f6a7a, 0x4012d97c,
    0x4015fdbc, 0x401921fb, 0x401c463b, 0x413921fb, 0x7fefffff, 0x7ff00000, 0x3ff921fb,
};
static const uint32_t kAtanEdges[] = {
    0x3e400000, 0x3fdc0000, 0x3fe60000, 0x3ff30000, 0x40038000, 0x44100000, 0x3ff00000,
};

static double near_edge(Draws* d, const uint32_t* edges, size_t count) {
  uint32_t high = edges[draw(d) % count] + (uint32_t)(draw(d) % 3) - 1u;
  uint32_t low = (draw(d) & 3) == 0 ? 0 : (uint32_t)draw(d);
  return random_sign(d, from_bits((uint64_t)high << 32 | low));
}

static double special(Draws* d) {
  static const uint64_t kSpecials[] = {
      0x0000000000000000ull, 0x8000000000000000ull, 0x7ff0000000000000ull, 0xfff0000000000000ull,
      0x7ff8000000000000ull, 0xfff8000000000000ull, 0x7ff4000000000001ull, 0x0000000000000001ull,
      0x000fffffffffffffull, 0x0010000000000000ull, 0x7fefffffffffffffull, 0x3ff0000000000000ull,
  };
  uint64_t b = kSpecials[draw(d) % (sizeof kSpecials / sizeof kSpecials[0])];
  return (draw(d) & 1) ? from_bits(b ^ 0x8000000000000000ull) : from_bits(b);
}

/* Around k * pi/4 with k up to a random size (small k most often). */
static double near_pi_multiple(Draws* d) {
  static const double kScales[] = {16, 1024, 0x1p22, 0x1p40};
  double scale = kScales[draw(d) % 4];
  double k = (double)(int64_t)(draw(d) % (uint64_t)scale) + 1.0;
  return random_sign(d, nudge(d, k * 0x1.921fb54442d18p-1, 8));
}

/* A heading as the game stores it (a float of a few turns at most), plus or
 * minus the game's float quarter turn, in double. */
static double game_heading(Draws* d) {
  float heading = (float)uniform(d, 20.0);
  double quarter = (double)1.570796f;
  switch (draw(d) % 3) {
    case 0:
      return (double)heading;
    case 1:
      return (double)heading + quarter;
    default:
      return (double)heading - quarter;
  }
}

static double trig_argument(uint64_t i) {
  Draws d = {i * 0x2545f4914f6cdd1dull + 1};
  switch (draw(&d) % 16) {
    case 0:
    case 1:
    case 2:
      return uniform(&d, 64.0);
    case 3:
    case 4:
    case 5:
      return uniform(&d, 7.0);
    case 6:
    case 7:
    case 8:
      return near_pi_multiple(&d);
    case 9:
      return with_exponent(&d, 0, 0x3e5); /* tiny, subnormals included */
    case 10:
      return with_exponent(&d, 0x413, 0x7fe); /* the exact reduction */
    case 11:
      return from_bits(draw(&d));
    case 12:
      return near_edge(&d, kTrigEdges, sizeof kTrigEdges / sizeof kTrigEdges[0]);
    case 13:
      return special(&d);
    default:
      return game_heading(&d);
  }
}

/* One coordinate of a pair: a map difference, a uniform value, or anything. */
static double coordinate(Draws* d) {
  switch (draw(d) % 6) {
    case 0:
      return (double)(float)((int64_t)(draw(d) % 2001) - 1000);
    case 1:
      return uniform(d, 64.0);
    case 2:
      return special(d);
    case 3:
      return with_exponent(d, 0, 0x7fe);
    case 4:
      return with_exponent(d, 0x3c0, 0x440);
    default:
      return from_bits(draw(d));
  }
}

static void atan2_pair(uint64_t i, double* y, double* x) {
  Draws d = {i * 0x9e3779b97f4a7c15ull + 7};
  switch (draw(&d) % 10) {
    case 0:
    case 1:
    case 2: /* every quadrant */
      *y = uniform(&d, 64.0);
      *x = uniform(&d, 64.0);
      return;
    case 3: /* whole map differences, as the game's */
      *y = (double)(float)((int64_t)(draw(&d) % 2001) - 1000);
      *x = (double)(float)((int64_t)(draw(&d) % 2001) - 1000);
      return;
    case 4: /* on an axis, zeros of both signs, infinities, NaN */
      if (draw(&d) & 1) {
        *y = special(&d);
        *x = coordinate(&d);
      } else {
        *y = coordinate(&d);
        *x = special(&d);
      }
      return;
    case 5: { /* |y/x| near where atan changes its reduction */
      static const double kRatios[] = {0x1p-27, 7.0 / 16, 11.0 / 16, 19.0 / 16, 39.0 / 16,
                                       0x1p66,  0x1p64,   0x1p-64,   1.0};
      *x = random_sign(&d, uniform(&d, 100.0));
      *y = random_sign(&d, nudge(&d, *x * kRatios[draw(&d) % 9], 1 << 20));
      return;
    }
    case 6: /* x = +-1 exactly: x = 1 is atan(y) itself */
      *y = (draw(&d) & 1) ? near_edge(&d, kAtanEdges, sizeof kAtanEdges / sizeof kAtanEdges[0])
                          : coordinate(&d);
      *x = (draw(&d) & 1) ? 1.0 : -1.0;
      return;
    case 7: { /* exponents 60 to 70 apart */
      *x = with_exponent(&d, 0x100, 0x600);
      uint64_t apart = (uint64_t)(60 + draw(&d) % 11) << 52;
      uint64_t magnitude = to_bits(fabs(*x));
      *y = random_sign(&d, from_bits((draw(&d) & 1) ? magnitude + apart : magnitude - apart));
      if (draw(&d) & 1) {
        double t = *x;
        *x = *y;
        *y = t;
      }
      return;
    }
    case 8:
      *y = coordinate(&d);
      *x = coordinate(&d);
      return;
    default:
      *y = from_bits(draw(&d));
      *x = from_bits(draw(&d));
      return;
  }
}

static int emit(uint64_t a, uint64_t b, uint64_t c) {
  uint64_t record[3] = {a, b, c};
  return fwrite(record, sizeof record, 1, stdout) == 1;
}

int main(int argc, char** argv) {
  if (argc != 3 || (strcmp(argv[1], "trig") != 0 && strcmp(argv[1], "atan2") != 0)) {
    fprintf(stderr, "usage: musl_oracle trig|atan2 COUNT\n");
    return 2;
  }
  char* end = NULL;
  unsigned long long count = strtoull(argv[2], &end, 10);
  if (*argv[2] == '\0' || *end != '\0') {
    fprintf(stderr, "musl_oracle: bad count '%s'\n", argv[2]);
    return 2;
  }
  static char buffer[1 << 16];
  setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  int trig = strcmp(argv[1], "trig") == 0;
  for (uint64_t i = 0; i < count; ++i) {
    int ok;
    if (trig) {
      double x = trig_argument(i);
      ok = emit(to_bits(x), to_bits(sin(x)), to_bits(cos(x)));
    } else {
      double y, x;
      atan2_pair(i, &y, &x);
      ok = emit(to_bits(y), to_bits(x), to_bits(atan2(y, x)));
    }
    if (!ok) return 1;
  }
  return fflush(stdout) == 0 ? 0 : 1;
}
