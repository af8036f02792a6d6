#pragma once
// Checks that hold for the World after every frame, whatever the keys did.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "world/world.h"

namespace quarvex::testing {

// Live records of the three pools after one frame.
struct PoolUse {
  int units = 0;
  int projectiles = 0;
  int particles = 0;
};

class InvariantChecker {
 public:
  InvariantChecker();
  ~InvariantChecker();

  // Returns the broken invariants after one more frame (empty when all hold).
  std::vector<std::string> check(const World& w);
  // Pool use found by the last check.
  const PoolUse& pool_use() const { return use_; }

 private:
  void check_spawns_follow_markers(const World& w, std::vector<std::string>& broken);

  // Live children whose parent was already free after the previous frame:
  // the next unit pass must have removed them.
  struct Orphan {
    int slot;
    int16_t parent;
    int8_t type;
  };
  std::vector<Orphan> orphans_;
  // A copy of the World to spawn into, so the checked World stays untouched.
  std::unique_ptr<World> scratch_;
  PoolUse use_;
};

}  // namespace quarvex::testing
