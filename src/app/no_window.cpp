#include <cstdio>

#include "app/drivers.h"

namespace quarvex {

// A headless-only build has no window to open.
int run_windowed(const Options&) {
  std::fputs("quarvex: this build has no window; run it with --headless\n", stderr);
  return 2;
}

// Nor the settings that go with one.
int print_settings(const Options&) {
  std::fputs("quarvex: this build has no window and reads no settings\n", stderr);
  return 2;
}

}  // namespace quarvex
