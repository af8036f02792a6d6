#pragma once
// The simulation computes in double and rounds to float only where it
// stores. wide() is the one way a float field enters a computation, so that
// two floats never meet in float arithmetic (which would round their sum or
// product to a float before the rest of the expression sees it). The core is
// compiled with -Wdouble-promotion: any float widened without it is an error.

namespace quarvex {

constexpr double wide(float x) {
  return static_cast<double>(x);
}

}  // namespace quarvex
