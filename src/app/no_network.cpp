#include <cstdio>

#include "app/drivers.h"

namespace quarvex {

// A build without the network's transport (the cross builds of the
// headless program) refuses --connect.
int run_network_client(const Options&) {
  std::fputs("quarvex: this build has no network; --connect is not available\n", stderr);
  return 2;
}

}  // namespace quarvex
