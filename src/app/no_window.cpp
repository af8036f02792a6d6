#include <cstdio>

#include "app/drivers.h"

namespace quarvex {

// A headless-only build has no window to open.
int run_windowed(const Options&) {
  std::fputs("quarvex: this build has no window; run it with --headless\n", stderr);
  return 2;
}

}  // namespace quarvex
