#pragma once
// The game's own sine, cosine and arctangent, on doubles. The simulation
// uses these, never the C library's: the same keys must give the same World
// with any compiler, processor or C library, the browser's included. They
// follow fdlibm's algorithms and agree bit for bit with every libm that
// compiles those faithfully (musl's is the test suite's reference);
// docs/maths.md states them exactly.

namespace quarvex {

double game_sin(double x);
double game_cos(double x);

// Both of one angle with one reduction; each equals the function's own result.
struct SinCos {
  double sin;
  double cos;
};
SinCos game_sincos(double x);

// The angle of (x, y) in -pi..pi, by quadrant, with every signed zero,
// infinity and NaN answered as C's atan2 answers it.
double game_atan2(double y, double x);

}  // namespace quarvex
