#include <cstdio>
#include <ctime>
#include <string>

#include "app/drivers.h"
#include "app/game.h"
#include "app/message_line.h"

namespace quarvex {

namespace {

// No window, no device, no waiting. Time is simulated so a run is the same
// on every machine: the clock starts at calendar second 1 and every frame
// lasts exactly 30 ms. Message boxes become lines on standard output.
class HeadlessHost : public FrameHost {
 public:
  explicit HeadlessHost(const Game& game) : game_(game) {}

  void show_message(const char* text, std::span<const MessageArg> args) override {
    show_side_message(-1, text, args);
  }
  void show_side_message(int side, const char* text, std::span<const MessageArg> args) override {
    const std::string english = in_english(message_of(text, args));
    std::fputs(message_line(game_.current_frame(), english.c_str(), side).c_str(), stdout);
  }
  uint32_t stage_seed() override { return static_cast<uint32_t>(std::time(nullptr)); }
  void load_ground_image(const char*) override {}
  void sample_keys(std::array<bool, kKeyCount>& down) override { down.fill(false); }
  void render(const World&) override {}
  int32_t clock_ms() override { return static_cast<int32_t>(elapsed_ms()); }
  int64_t calendar_seconds() override { return 1 + elapsed_ms() / 1000; }
  void sleep_ms(int32_t) override {}
  bool paced() override { return false; }

 private:
  int64_t elapsed_ms() const { return (game_.current_frame() - 1) * kFrameMs; }

  static constexpr int64_t kFrameMs = 30;
  const Game& game_;
};

}  // namespace

int run_headless(const Options& requested) {
  // Whoever calls this gets a headless run, with its frame limit, even when
  // the command line did not say --headless.
  Options options = requested;
  options.headless = true;
  Game game;
  std::string error;
  if (!game.begin(options, error)) {
    std::fprintf(stderr, "quarvex: %s\n", error.c_str());
    return game.failure_status();
  }
  if (!options.screenshots.empty()) {
    std::fprintf(stderr, "quarvex: --screenshot needs a window; ignored with --headless\n");
  }
  HeadlessHost host(game);
  while (game.run_frame(host)) {
  }
  return game.finish();
}

}  // namespace quarvex
