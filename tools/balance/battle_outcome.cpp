// quarvex-battle-outcome: plays a stage without a window, exactly as
// `quarvex --headless` does with the same options, and says when the battle
// was decided: the first frame after which at most one side holds a
// headquarters, and that side. No headquarters is ever built, so that frame
// is final; finding it inside one run spares the balance tool a bisection
// over dozens of runs.
//
//   quarvex-battle-outcome [quarvex's options] --frames N
//   -> "decided F S" (S the winning side 1..4, 0 when the last two fell
//      together) or "undecided N"

#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <string>

#include "app/game.h"
#include "world/tables.h"

namespace {

using quarvex::FrameHost;
using quarvex::Game;

// The headless program's host: no keys but the script's, a simulated clock
// of 30 ms a frame from calendar second 1, messages dropped.
class QuietHost : public FrameHost {
 public:
  explicit QuietHost(const Game& game) : game_(game) {}
  void show_message(const char*, std::span<const quarvex::MessageArg>) override {}
  uint32_t stage_seed() override { return static_cast<uint32_t>(std::time(nullptr)); }
  void load_ground_image(const char*) override {}
  void sample_keys(std::array<bool, quarvex::kKeyCount>& down) override { down.fill(false); }
  void render(const quarvex::World&) override {}
  int32_t clock_ms() override { return static_cast<int32_t>(elapsed_ms()); }
  int64_t calendar_seconds() override { return 1 + elapsed_ms() / 1000; }
  void sleep_ms(int32_t) override {}
  bool paced() override { return false; }

 private:
  int64_t elapsed_ms() const { return (game_.current_frame() - 1) * 30; }
  const Game& game_;
};

// Sides (as a bit set) that hold a headquarters.
unsigned sides_holding(const quarvex::World& w) {
  unsigned sides = 0;
  for (int i = 1; i <= quarvex::kMaxUnit; ++i) {
    const quarvex::Unit& u = w.units[i];
    if (u.type == quarvex::kTypeHeadquarters && u.parent == 0 && u.side >= 1 &&
        u.side <= quarvex::kSides) {
      sides |= 1u << (u.side - 1);
    }
  }
  return sides;
}

}  // namespace

int main(int argc, char** argv) {
  quarvex::Options options;
  std::string error;
  if (quarvex::parse_options(argc, argv, options, error) != quarvex::ParseOutcome::kRun) {
    std::fprintf(stderr, "quarvex-battle-outcome: %s\n",
                 error.empty() ? "takes the game's options only" : error.c_str());
    return 2;
  }
  options.headless = true;
  Game game;
  if (!game.begin(options, error)) {
    std::fprintf(stderr, "quarvex-battle-outcome: %s\n", error.c_str());
    return 2;
  }
  QuietHost host(game);
  bool loaded = false;
  while (game.run_frame(host)) {
    loaded = loaded || game.world().game_phase != 0;
    const unsigned sides = sides_holding(game.world());
    if (!loaded || (sides & (sides - 1)) != 0) continue;  // two or more left
    int winner = 0;
    for (int s = 0; s < quarvex::kSides; ++s) {
      if (sides == 1u << s) winner = s + 1;
    }
    std::printf("decided %" PRId64 " %d\n", game.current_frame(), winner);
    return 0;
  }
  std::printf("undecided %" PRId64 "\n", game.frames_run());
  return 0;
}
