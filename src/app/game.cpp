#include "app/game.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "app/world_output.h"
#include "replay/replay_folder.h"
#include "world/watch_keys.h"
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
    game_.stage_loading(seed);
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
    if (game_.watching_) keep_watching_keys(*game_.world_, down);
    const KeyMask keys = mask_from_keys(down);
    game_.record_.add(keys);
    game_.stage_replay_.add(keys);
  }
  void render(const World& w) override { host_->render(w); }
  int32_t clock_ms() override { return host_->clock_ms(); }
  int64_t calendar_seconds() override { return host_->calendar_seconds(); }
  void sleep_ms(int32_t ms) override { host_->sleep_ms(ms); }
  void nap() override { host_->nap(); }
  bool paced() override { return host_->paced(); }
  bool watching() override { return game_.watching_; }

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
  play_start_ = PlayStart{options.stage, options.side, options.start, options.spectate};
  const std::string& script_file =
      options.replay_file.empty() ? options.input_file : options.replay_file;
  if (!script_file.empty()) {
    if (!load_key_script(script_file, script_, error)) return false;
    has_script_ = true;
  }
  if (!options.replay_file.empty()) {
    // A recording says where its play started; an older key script without
    // a version line takes that from the command line, as --input does.
    if (script_.is_recording()) {
      if (options.presets_given) {
        error = "--replay: '" + script_file +
                "' says where its play started; leave out --stage, --side, --start, --seed "
                "and --spectate";
        return false;
      }
      if (!script_.end) {
        error = script_file + ":" + std::to_string(script_.lines + 1) +
                ": the recording stops without its 'end' line, so the game that wrote it did "
                "not finish it (--input plays the keys it holds)";
        return false;
      }
      play_start_ = PlayStart{script_.stage, script_.side, script_.start, script_.watch};
    }
    replay_state_ = ReplayState::kPlaying;
    replay_last_frame_ = script_.end ? script_.end->frame : script_.last_named_frame;
  }
  fixed_seed_ = options.seed ? options.seed : script_.seed;
  if (!options.dump_file.empty()) {
    dump_file_ = std::fopen(options.dump_file.c_str(), "w");
    if (dump_file_ == nullptr) {
      error = "--dump: cannot write '" + options.dump_file + "': " + std::strerror(errno);
      return false;
    }
  }
  if (options.frames) {
    frame_limit_ = options.frames;
  } else if (options.headless && !replaying()) {
    frame_limit_ = std::max<int64_t>(script_.last_named_frame, 1);
  }

  watching_ = play_start_.watch;
  const auto stage = static_cast<int8_t>(play_start_.stage);
  const auto side = static_cast<int8_t>(play_start_.side);
  if (play_start_.start) {
    reset_to_stage_start(*world_, stage, side);
  } else {
    reset_to_title(*world_, stage, side);
  }
  if (!options.record_file.empty()) {
    record_.begin(play_start_, QUARVEX_VERSION);
    if (!record_.open(options.record_file, false, error)) {
      error = "--record: " + error;
      return false;
    }
  }
  begin_recordings();
  if (replaying() && replay_last_frame_ == 0) end_replay();
  return true;
}

void Game::reset(bool start_stage, bool watch) {
  end_recordings();
  if (record_.active()) {
    std::string error;
    if (record_.finish(replay_hash(*world_), error)) {
      std::fprintf(stderr, "quarvex: --record: '%s' ends at frame %lld, where the stage was left\n",
                   options_.record_file.c_str(), static_cast<long long>(frames_run_));
    } else {
      record_error_ = "--record: " + error;
    }
  }
  World& w = *world_;
  watching_ = watch;
  play_start_ = PlayStart{w.stage_number, w.player_side, start_stage, watch};
  if (start_stage) {
    reset_to_stage_start(w, w.stage_number, w.player_side);
  } else {
    reset_to_title(w, w.stage_number, w.player_side);
  }
  begin_recordings();
}

// The stage's replay starts in memory; its file is made when the stage loads.
void Game::begin_recordings() {
  if (!replay_folder_.empty() && !replaying()) stage_replay_.begin(play_start_, QUARVEX_VERSION);
}

void Game::end_recordings() {
  std::string error;
  if (!stage_replay_.finish(replay_hash(*world_), error)) stop_keeping_replays(error);
}

void Game::stage_loading(uint32_t seed) {
  record_.seed(seed);
  if (!stage_replay_.active()) return;
  stage_replay_.seed(seed);
  if (stage_replay_.is_open()) return;
  const World& w = *world_;
  std::string error;
  if (!open_replay_file(stage_replay_, replay_folder_, std::time(nullptr), w.stage_number,
                        w.player_side, error)) {
    stop_keeping_replays(error);
    return;
  }
  prune_replays(replay_folder_, kReplaysKept);
}

void Game::stop_keeping_replays(const std::string& why) {
  stage_replay_.drop();
  replay_folder_.clear();
  notice_ = "Replays are not kept: " + why +
            ". The game goes on; --no-replay or \"record = false\" under [replays] in the "
            "settings turns recording off.";
}

bool Game::run_frame(FrameHost& host) {
  if (frame_limit_ && frames_run_ >= *frame_limit_) return false;
  if (replaying() && replay_state_ != ReplayState::kPlaying) return false;
  current_frame_ = frames_run_ + 1;
  services_->bind(host);
  frame_tick(*world_, *services_);
  frames_run_ = current_frame_;
  after_frame(host.clock_ms());
  return true;
}

void Game::after_frame(int32_t now_ms) {
  if (record_.check_due() || stage_replay_.check_due()) {
    const uint64_t hash = replay_hash(*world_);
    if (record_.check_due()) record_.check(hash);
    if (stage_replay_.check_due()) stage_replay_.check(hash);
  }
  keep_recordings_current(now_ms);
  if (replay_state_ != ReplayState::kPlaying) return;
  if (next_check_ < script_.checks.size() && script_.checks[next_check_].frame == frames_run_) {
    if (replay_hash(*world_) != script_.checks[next_check_].hash) {
      replay_state_ = ReplayState::kDiffers;
      replay_differs_at_ = frames_run_;
      return;
    }
    ++next_check_;
  }
  if (frames_run_ >= replay_last_frame_) end_replay();
}

void Game::end_replay() {
  replay_state_ = ReplayState::kEnded;
  if (script_.end && replay_hash(*world_) != script_.end->hash) {
    replay_state_ = ReplayState::kDiffers;
    replay_differs_at_ = frames_run_;
  }
}

std::string Game::replay_differs_text() const {
  std::string text =
      "replay differs from the recorded game at frame " + std::to_string(replay_differs_at_);
  if (script_.is_recording() && script_.version != QUARVEX_VERSION) {
    text += " (recorded by quarvex " + script_.version + ", played by " QUARVEX_VERSION ")";
  }
  return text;
}

void Game::keep_recordings_current(int32_t now_ms) {
  constexpr int64_t kFlushEveryMs = 1000;
  const int64_t since = int64_t{now_ms} - last_flush_ms_;
  // A clock that went back counts as due.
  if (since >= 0 && since < kFlushEveryMs) return;
  last_flush_ms_ = now_ms;
  flush_recordings();
}

void Game::flush_recordings() {
  std::string error;
  if (!record_.flush(error)) record_error_ = "--record: " + error;
  if (!stage_replay_.flush(error)) stop_keeping_replays(error);
}

int Game::finish() {
  int status = 0;
  std::string error;
  end_recordings();
  if (record_error_.empty() && !record_.finish(replay_hash(*world_), error)) {
    record_error_ = "--record: " + error;
  }
  if (!record_error_.empty()) {
    std::fprintf(stderr, "quarvex: %s\n", record_error_.c_str());
    status = 1;
  }
  if (!notice_.empty()) std::fprintf(stderr, "quarvex: %s\n", take_notice().c_str());
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
  if (replay_state_ == ReplayState::kDiffers) {
    std::fprintf(stderr, "quarvex: %s: %s\n", options_.replay_file.c_str(),
                 replay_differs_text().c_str());
    status = 3;
  } else if (replaying() && (options_.headless || options_.hash)) {
    // The hash a recording ends with, so the two can be compared.
    std::printf("hash: %s\n", hash_text(replay_hash(*world_)).c_str());
  } else if (options_.hash) {
    std::printf("hash: %016" PRIx64 "\n", world_hash(*world_));
  }
  std::fflush(stdout);
  return status;
}

}  // namespace quarvex
