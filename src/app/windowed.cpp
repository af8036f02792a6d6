#include <cstdio>

#include "app/drivers.h"

namespace quarvex {

int run_windowed(const Options& options) {
  std::printf("quarvex: the window is not built yet; running headless\n");
  return run_headless(options);
}

}  // namespace quarvex
