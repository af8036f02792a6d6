// Checks the game's own sine, cosine and arctangent against musl's libm,
// record by record, over the argument stream of musl_oracle (built with
// musl-gcc). Any difference in any bit fails.
//
//   quarvex_musl_compare [--count N] [--oracle PATH]
//
// N arguments for sin, cos and sincos, and N pairs for atan2 (default
// 1,000,000). Prints one line per function and exits 1 when any differs.
// A NaN result matches any NaN: which operand's payload an addition of two
// NaNs passes on is up to the processor and to the compiler's operand order.

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "world/trig.h"

namespace {

using quarvex::game_atan2;
using quarvex::game_cos;
using quarvex::game_sin;
using quarvex::game_sincos;

uint64_t bits_of(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

double from_bits(uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

bool same(double ours, uint64_t theirs) {
  if (ours != ours) return from_bits(theirs) != from_bits(theirs);
  return bits_of(ours) == theirs;
}

struct Tally {
  const char* name;
  uint64_t differences = 0;

  void check(double ours, uint64_t theirs, uint64_t a, uint64_t b, bool pair) {
    if (same(ours, theirs)) return;
    if (++differences <= 10) {
      if (pair) {
        std::printf("%s(%a, %a) [%016" PRIx64 " %016" PRIx64 "]: ours %a, musl %a\n", name,
                    from_bits(a), from_bits(b), a, b, ours, from_bits(theirs));
      } else {
        std::printf("%s(%a) [%016" PRIx64 "]: ours %a, musl %a\n", name, from_bits(a), a, ours,
                    from_bits(theirs));
      }
    }
  }
};

// Runs the oracle and hands each record to check; false when the oracle
// could not run or gave fewer records than asked.
template <class Check>
bool read_records(const std::string& oracle, const char* mode, uint64_t count, Check check) {
  const std::string command = "'" + oracle + "' " + mode + " " + std::to_string(count);
  std::FILE* in = popen(command.c_str(), "r");
  if (in == nullptr) {
    std::fprintf(stderr, "musl_compare: cannot run %s\n", command.c_str());
    return false;
  }
  uint64_t seen = 0;
  uint64_t record[3];
  while (std::fread(record, sizeof record, 1, in) == 1) {
    check(record[0], record[1], record[2]);
    ++seen;
  }
  const int status = pclose(in);
  if (status != 0 || seen != count) {
    std::fprintf(stderr, "musl_compare: %s gave %" PRIu64 " of %" PRIu64 " records (status %d)\n",
                 command.c_str(), seen, count, status);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t count = 1000000;
  std::string oracle = QUARVEX_MUSL_ORACLE;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--count" && i + 1 < argc) {
      char* end = nullptr;
      count = std::strtoull(argv[++i], &end, 10);
      if (*end != '\0' || count == 0) {
        std::fprintf(stderr, "musl_compare: bad --count '%s'\n", argv[i]);
        return 2;
      }
    } else if (arg == "--oracle" && i + 1 < argc) {
      oracle = argv[++i];
    } else {
      std::fprintf(stderr, "usage: quarvex_musl_compare [--count N] [--oracle PATH]\n");
      return 2;
    }
  }

  Tally sin{"sin"};
  Tally cos{"cos"};
  Tally sincos{"sincos"};
  Tally atan2{"atan2"};
  const bool trig_ran =
      read_records(oracle, "trig", count, [&](uint64_t x, uint64_t s, uint64_t c) {
        const double arg = from_bits(x);
        sin.check(game_sin(arg), s, x, 0, false);
        cos.check(game_cos(arg), c, x, 0, false);
        const quarvex::SinCos both = game_sincos(arg);
        sincos.check(both.sin, s, x, 0, false);
        sincos.check(both.cos, c, x, 0, false);
      });
  const bool atan2_ran =
      read_records(oracle, "atan2", count, [&](uint64_t y, uint64_t x, uint64_t r) {
        atan2.check(game_atan2(from_bits(y), from_bits(x)), r, y, x, true);
      });
  if (!trig_ran || !atan2_ran) return 1;

  for (const Tally* t : {&sin, &cos, &sincos}) {
    std::printf("%s: %" PRIu64 " arguments, %" PRIu64 " differences\n", t->name, count,
                t->differences);
  }
  std::printf("atan2: %" PRIu64 " pairs, %" PRIu64 " differences\n", count, atan2.differences);
  const uint64_t total = sin.differences + cos.differences + sincos.differences + atan2.differences;
  return total == 0 ? 0 : 1;
}
