#pragma once
// Checks that hold for the World after every frame, whatever the keys did.

#include <string>
#include <vector>

#include "world/world.h"

namespace quarvex::testing {

class InvariantChecker {
 public:
  // Returns the broken invariants after one more frame (empty when all hold).
  std::vector<std::string> check(const World& w);

 private:
  // Live children whose parent was already free after the previous frame:
  // the next unit pass must have removed them.
  std::vector<int> orphans_;
};

}  // namespace quarvex::testing
