#include "app/drivers.h"

namespace quarvex {

int run_headless(const Options&) { return 0; }

}  // namespace quarvex
