#include "app/game.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <filesystem>

#include "app/world_output.h"
#include "world/world_reset.h"

namespace quarvex {

// The host a frame sees: the driver's host with the Game's keys, seed and
// data folder put in.
class Game::FrameServices : public FrameHost {
 public:
  explicit FrameServices(Game& game) : game_(game) {}
  void bind(FrameHost& host) { host_ = &host; }

  void show_message(const char* text) override { host_->show_message(text); }
  uint32_t stage_seed() override {
    const uint32_t seed = game_.fixed_seed_ ? *game_.fixed_seed_ : host_->stage_seed();
    game_.seed_used_ = seed;
    return seed;
  }
  void load_ground_image(const char* path) override { host_->load_ground_image(path); }
  const char* data_dir() override { return game_.data_dir_.c_str(); }
  void sample_keys(std::array<bool, kKeyCount>& down) override {
    if (game_.has_script_) {
      keys_from_mask(game_.script_.keys_at(game_.current_frame_), down);
    } else {
      host_->sample_keys(down);
    }
    game_.recorder_.add(game_.current_frame_, mask_from_keys(down));
  }
  void render(const World& w) override { host_->render(w); }
  int32_t clock_ms() override { return host_->clock_ms(); }
  int64_t calendar_seconds() override { return host_->calendar_seconds(); }
  void sleep_ms(int32_t ms) override { host_->sleep_ms(ms); }
  void nap() override { host_->nap(); }
  bool paced() override { return host_->paced(); }

 private:
  Game& game_;
  FrameHost* host_ = nullptr;
};

std::string resolve_data_dir(const std::string& option) {
  if (!option.empty()) return option;
  std::error_code ec;
  if (std::filesystem::is_regular_file("map1.aod", ec)) return ".";
  // An installed game never reaches into the build tree, even when its data is
  // incomplete: the files it misses are then named in its own folder. A binary
  // in the build folder has no such folder beside it and keeps the build's data.
  const std::filesystem::path binary = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (!ec) {
    const std::filesystem::path installed =
        (binary.parent_path() / QUARVEX_DATA_FROM_BINARY).lexically_normal();
    if (std::filesystem::is_directory(installed, ec)) return installed.string();
  }
  return QUARVEX_BUILT_DATA_DIR;
}

Game::Game()
    : world_(std::make_unique<World>()), services_(std::make_unique<FrameServices>(*this)) {
  init_world(*world_);
}

Game::~Game() {
  if (dump_file_ != nullptr) std::fclose(dump_file_);
}

bool Game::begin(const Options& options, std::string& error) {
  options_ = options;
  data_dir_ = resolve_data_dir(options.data_dir);
  if (!options.input_file.empty()) {
    if (!load_key_script(options.input_file, script_, error)) return false;
    has_script_ = true;
  }
  fixed_seed_ = options.seed ? options.seed : script_.seed;
  if (!options.record_file.empty() && !recorder_.open(options.record_file, error)) return false;
  if (!options.dump_file.empty()) {
    dump_file_ = std::fopen(options.dump_file.c_str(), "w");
    if (dump_file_ == nullptr) {
      error = "--dump: cannot write '" + options.dump_file + "': " + std::strerror(errno);
      return false;
    }
  }
  if (options.frames) {
    frame_limit_ = options.frames;
  } else if (options.headless) {
    frame_limit_ = std::max<int64_t>(script_.last_named_frame, 1);
  }

  const auto stage = static_cast<int8_t>(options.stage);
  const auto side = static_cast<int8_t>(options.side);
  if (options.start) {
    reset_to_stage_start(*world_, stage, side);
  } else {
    reset_to_title(*world_, stage, side);
  }
  return true;
}

void Game::reset(bool start_stage) {
  if (recorder_.is_open()) {
    std::string error;
    if (recorder_.finish(fixed_seed_ ? fixed_seed_ : seed_used_, error)) {
      std::fprintf(stderr, "quarvex: --record: '%s' ends at frame %lld, where the stage was left\n",
                   options_.record_file.c_str(), static_cast<long long>(frames_run_));
    } else {
      record_error_ = error;
    }
  }
  World& w = *world_;
  if (start_stage) {
    reset_to_stage_start(w, w.stage_number, w.player_side);
  } else {
    reset_to_title(w, w.stage_number, w.player_side);
  }
}

bool Game::run_frame(FrameHost& host) {
  if (frame_limit_ && frames_run_ >= *frame_limit_) return false;
  current_frame_ = frames_run_ + 1;
  services_->bind(host);
  frame_tick(*world_, *services_);
  frames_run_ = current_frame_;
  return true;
}

int Game::finish() {
  int status = 0;
  std::string error;
  if (!record_error_.empty() || !recorder_.finish(fixed_seed_ ? fixed_seed_ : seed_used_, error)) {
    if (error.empty()) error = record_error_;
    std::fprintf(stderr, "quarvex: %s\n", error.c_str());
    status = 1;
  }
  if (dump_file_ != nullptr) {
    write_world_json(dump_file_, *world_, frames_run_);
    const bool failed = std::ferror(dump_file_) != 0;
    const bool closed = std::fclose(dump_file_) == 0;
    dump_file_ = nullptr;
    if (failed || !closed) {
      std::fprintf(stderr, "quarvex: --dump: writing '%s' failed\n", options_.dump_file.c_str());
      status = 1;
    }
  }
  if (options_.hash) std::printf("hash: %016" PRIx64 "\n", world_hash(*world_));
  std::fflush(stdout);
  return status;
}

}  // namespace quarvex
