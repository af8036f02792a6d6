#include "world/watch_keys.h"

namespace quarvex {

void keep_watching_keys(const World& w, std::array<bool, kKeyCount>& down) {
  if (w.game_phase == 0) return;
  down[kKeySelect] = false;
  down[kKeyMark] = false;
  down[kKeyAux] = false;
}

}  // namespace quarvex
